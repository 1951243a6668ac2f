#pragma once
// Which device key each desktop key and each game-controller button gives.
// The built-in table can be changed by a small file, keys.conf, one binding a
// line:
//
//   # comment
//   Keypad 8 = UP          a key, by its SDL name, and the device key it gives
//   pad:x = APP1           a controller button (SDL's name after "pad:")
//   Tab = none             the key gives nothing
//
// Device keys are the names of input scripts (LEFT, RETURN, ESCAPE, PAUSE,
// APP1 ... APP4, letters, digits, 0x86 ...). A bad line is skipped with a
// warning "FILE:LINE: what"; the other lines still count.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace host {

struct KeyBindings {
    std::map<int32_t, int> keys;     // SDL key code -> virtual key (0: none)
    std::map<int, int> buttons;      // SDL controller button -> virtual key (0: none)

    // The virtual key of a desktop key or a controller button; 0 when unbound.
    int key(int32_t sdlKey) const;
    int button(int sdlButton) const;
};

KeyBindings DefaultKeyBindings();

// Applies the lines of `text` (the contents of `fileName`) over `bindings`.
void ParseKeyBindings(const std::string& text, const std::string& fileName, KeyBindings& bindings,
                      std::vector<std::string>& warnings);

// $XDG_CONFIG_HOME/karrowen/keys.conf, or ~/.config/karrowen/keys.conf.
std::string KeyBindingsPath();

// The built-in table with the user's file over it; a missing file is normal.
KeyBindings LoadKeyBindings(const std::string& path, std::vector<std::string>& warnings);

}  // namespace host
