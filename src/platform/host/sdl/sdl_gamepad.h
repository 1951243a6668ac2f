#pragma once
// Game controllers through SDL's game-controller interface, plugged in at
// start or later: their buttons and left stick become device keys on the same
// road as the keyboard's.

#include <SDL.h>

#include <map>
#include <memory>

#include "platform/host/sdl/key_map.h"
#include "platform/host/sdl/pad_keys.h"

namespace host {

class SdlGamepads {
public:
    explicit SdlGamepads(const KeyBindings& bindings) : bindings_(bindings) {}
    ~SdlGamepads();

    // Opens the controllers already plugged in; false without controller support.
    bool open();
    // True when the event was a controller's.
    bool handle(const SDL_Event& e);

private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        std::unique_ptr<PadKeys> keys;
    };
    void add(int deviceIndex);
    void remove(SDL_JoystickID id);

    const KeyBindings& bindings_;
    std::map<SDL_JoystickID, Pad> pads_;
    bool open_ = false;
};

}  // namespace host
