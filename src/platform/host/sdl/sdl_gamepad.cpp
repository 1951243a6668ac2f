#include "platform/host/sdl/sdl_gamepad.h"


#include "platform/host/host_local.h"

namespace host {

SdlGamepads::~SdlGamepads() {
    for (auto& [id, pad] : pads_) {
        pad.keys->releaseAll();
        SDL_GameControllerClose(pad.controller);
    }
    if (open_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlGamepads::open() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    open_ = true;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) add(i);
    return true;
}

void SdlGamepads::add(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    // Controllers present at start are announced again by an added event.
    if (pads_.count(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    Pad& pad = pads_[id];
    pad.controller = controller;
    pad.keys = std::make_unique<PadKeys>([](int key, bool down) { InputKey(key, down, false); });
}

void SdlGamepads::remove(SDL_JoystickID id) {
    auto found = pads_.find(id);
    if (found == pads_.end()) return;
    found->second.keys->releaseAll();
    SDL_GameControllerClose(found->second.controller);
    pads_.erase(found);
}

bool SdlGamepads::handle(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: add(e.cdevice.which); return true;
        case SDL_CONTROLLERDEVICEREMOVED: remove(e.cdevice.which); return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            auto found = pads_.find(e.cbutton.which);
            if (found != pads_.end())
                found->second.keys->button(bindings_.button(e.cbutton.button), e.type == SDL_CONTROLLERBUTTONDOWN);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            auto found = pads_.find(e.caxis.which);
            if (found == pads_.end()) return true;
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) found->second.keys->stickX(e.caxis.value);
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) found->second.keys->stickY(e.caxis.value);
            return true;
        }
        default: return false;
    }
}

}  // namespace host
