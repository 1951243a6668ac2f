// libFuzzer target for input scripts: any text is parsed; an accepted script
// must hold only events the host can replay (known actions, key codes and
// sizes in range, times in order), and writing its events back out as text
// must read back as the same events.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/host/input_script.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsKeyAction(const std::string& a) { return a == "keydown" || a == "keyup" || a == "key"; }
bool IsStylusAction(const std::string& a) { return a == "down" || a == "move" || a == "up" || a == "tap"; }

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", unsigned(value));
    return text;
}

// One event as a script line, keys by hexadecimal number: no name table is
// involved, and a lone digit would name the digit's key instead.
std::string Line(const host::ScriptEvent& e) {
    std::string line = std::to_string(e.atMs) + " " + e.action;
    if (IsKeyAction(e.action)) line += " " + Hex(e.a);
    else if (IsStylusAction(e.action)) line += " " + std::to_string(e.a) + " " + std::to_string(e.b);
    else if (e.action == "activate") line += " " + std::to_string(e.a);
    else if (e.action == "screenshot" || e.action == "rotate" || e.action == "text") line += " " + e.text;
    return line + "\n";
}

bool Same(const host::ScriptEvent& x, const host::ScriptEvent& y) {
    return x.atMs == y.atMs && x.action == y.action && x.a == y.a && x.b == y.b && x.text == y.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    host::InputScript script;
    std::string error;
    if (!host::ParseInputScript(text, script, error)) {
        Check(error.rfind("input script line ", 0) == 0);
        return 0;
    }
    std::string written;
    for (size_t i = 0; i < script.events.size(); ++i) {
        const host::ScriptEvent& e = script.events[i];
        Check(i == 0 || script.events[i - 1].atMs <= e.atMs);
        if (IsKeyAction(e.action)) {
            Check(e.a > 0 && e.a < 256);
        } else if (e.action == "rotate") {
            Check(e.a >= 1 && e.a <= 8192 && e.b >= 1 && e.b <= 8192);
        } else {
            Check(IsStylusAction(e.action) || e.action == "screenshot" || e.action == "activate" ||
                  e.action == "text" || e.action == "close" || e.action == "quit");
        }
        written += Line(e);
    }
    host::InputScript reread;
    Check(host::ParseInputScript(written, reread, error));
    Check(reread.events.size() == script.events.size());
    for (size_t i = 0; i < script.events.size(); ++i) Check(Same(reread.events[i], script.events[i]));
    return 0;
}
