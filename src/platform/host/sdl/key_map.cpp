#include "platform/host/sdl/key_map.h"

#include <SDL.h>

#include <fstream>
#include <sstream>

#include "platform/host/input_script.h"
#include "platform/host/user_folders.h"
#include "platform/host/win_types.h"

namespace host {

namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

int KeyBindings::key(int32_t sdlKey) const {
    auto found = keys.find(sdlKey);
    return found == keys.end() ? 0 : found->second;
}

int KeyBindings::button(int sdlButton) const {
    auto found = buttons.find(sdlButton);
    return found == buttons.end() ? 0 : found->second;
}

KeyBindings DefaultKeyBindings() {
    KeyBindings b;
    for (int i = 0; i < 26; ++i) b.keys[SDLK_a + i] = 'A' + i;
    for (int i = 0; i < 10; ++i) b.keys[SDLK_0 + i] = '0' + i;
    for (int i = 0; i < 4; ++i) b.keys[SDLK_F1 + i] = VK_APP1 + i;
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_LEFT, VK_LEFT},       {SDLK_RIGHT, VK_RIGHT},   {SDLK_UP, VK_UP},
        {SDLK_DOWN, VK_DOWN},       {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_SPACE, VK_SPACE},     {SDLK_DELETE, VK_DELETE}, {SDLK_END, VK_END},
        {SDLK_HOME, VK_HOME},       {SDLK_INSERT, VK_INSERT}, {SDLK_PAGEUP, VK_PRIOR},
        {SDLK_PAGEDOWN, VK_NEXT},   {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_BACKSPACE, VK_BACK},
        {SDLK_TAB, VK_TAB},         {SDLK_PAUSE, VK_PAUSE},
    };
    for (const auto& [sdl, vk] : keys) b.keys[sdl] = vk;
    const std::pair<SDL_GameControllerButton, int> buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
        {SDL_CONTROLLER_BUTTON_A, VK_RETURN},         {SDL_CONTROLLER_BUTTON_B, VK_ESCAPE},
        {SDL_CONTROLLER_BUTTON_BACK, VK_ESCAPE},      {SDL_CONTROLLER_BUTTON_START, VK_PAUSE},
    };
    for (const auto& [button, vk] : buttons) b.buttons[button] = vk;
    return b;
}

void ParseKeyBindings(const std::string& text, const std::string& fileName, KeyBindings& bindings,
                      std::vector<std::string>& warnings) {
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        auto warn = [&](const std::string& what) {
            warnings.push_back(fileName + ":" + std::to_string(number) + ": " + what);
        };
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        // "#" opens a comment only after a blank, so "#" itself can be bound.
        for (size_t hash = line.find('#', 1); hash != std::string::npos; hash = line.find('#', hash + 1)) {
            if (line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line = Trim(line.substr(0, hash));
                break;
            }
        }
        // The last "=" separates, so "=" itself can be bound ("= = none").
        size_t eq = line.rfind('=');
        if (eq == std::string::npos) {
            warn("expected 'KEY = DEVICE-KEY', got '" + line + "'");
            continue;
        }
        std::string from = Trim(line.substr(0, eq)), to = Trim(line.substr(eq + 1));
        if (from.empty() || to.empty()) {
            warn("expected 'KEY = DEVICE-KEY', got '" + line + "'");
            continue;
        }
        int vk = 0;
        if (to != "none" && (vk = ParseKeyName(to)) <= 0) {
            warn("unknown device key '" + to + "'");
            continue;
        }
        if (from.rfind("pad:", 0) == 0) {
            SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(from.substr(4).c_str());
            if (button == SDL_CONTROLLER_BUTTON_INVALID) {
                warn("unknown controller button '" + from.substr(4) + "'");
                continue;
            }
            bindings.buttons[button] = vk;
            continue;
        }
        SDL_Keycode key = SDL_GetKeyFromName(from.c_str());
        if (key == SDLK_UNKNOWN) {
            warn("unknown key '" + from + "'");
            continue;
        }
        if (key == SDLK_F11) {
            warn("F11 belongs to the window (full screen)");
            continue;
        }
        if (key == SDLK_F12) {
            warn("F12 belongs to the window (screenshots)");
            continue;
        }
        bindings.keys[key] = vk;
    }
}

std::string KeyBindingsPath() {
    const std::string folder = UserConfigFolder();
    return folder.empty() ? folder : folder + "keys.conf";
}

KeyBindings LoadKeyBindings(const std::string& path, std::vector<std::string>& warnings) {
    KeyBindings bindings = DefaultKeyBindings();
    std::ifstream in(path);
    if (!in) return bindings;
    std::stringstream all;
    all << in.rdbuf();
    ParseKeyBindings(all.str(), path, bindings, warnings);
    return bindings;
}

}  // namespace host
