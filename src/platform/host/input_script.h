#pragma once
// Scripted input for deterministic runs. One event per line:
//   <ms> keydown|keyup|key <KEY>       KEY: LEFT, RETURN, APP1, A, 7, 0x26 ...
//   <ms> text <characters>             typed text (UTF-8), the rest of the line
//   <ms> down|move|up|tap <x> <y>      stylus, in screen pixels
//   <ms> screenshot <file.png>
//   <ms> activate 0|1 | close | quit | rotate <W>x<H>
// Blank lines and lines starting with "#" are ignored.

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct ScriptEvent {
    uint32_t atMs = 0;
    std::string action;
    int a = 0;
    int b = 0;
    std::string text;
};

struct InputScript {
    std::vector<ScriptEvent> events;  // sorted by time, stable
};

bool ParseInputScript(const std::string& text, InputScript& script, std::string& error);
bool LoadInputScript(const std::string& path, InputScript& script, std::string& error);
// The virtual-key code of a key name or number, or -1.
int ParseKeyName(const std::string& name);
// The name ParseKeyName reads back as `virtualKey` (1 to 255).
std::string KeyName(int virtualKey);
// One event as a script line (without the line end) that parses back to it.
std::string FormatScriptEvent(const ScriptEvent& event);

}  // namespace host
