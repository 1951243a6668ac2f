#pragma once
// The keys that switch desktop full screen: F11, and Return pressed with Alt.
// Such a press belongs to the window, not to the game, from its key-down to its
// key-up: Alt is often let go before Return, and a Return release reaching the
// game would act as the action key.

#include "platform/host/win_types.h"

namespace host {

class FullScreenKeys {
public:
    enum class Action { Pass, Toggle, Swallow };

    // What to do with one key event; `key` is the virtual key, `alt` whether
    // Alt is held at the moment of the event.
    Action onKey(int key, bool down, bool alt, bool repeat) {
        if (key != VK_F11 && key != VK_RETURN) return Action::Pass;
        bool& held = key == VK_F11 ? f11Held_ : returnHeld_;
        if (!down) {
            bool ours = held;
            held = false;
            return ours ? Action::Swallow : Action::Pass;
        }
        if (held) return Action::Swallow;
        if (key == VK_RETURN && (!alt || repeat)) return Action::Pass;
        held = true;
        return repeat ? Action::Swallow : Action::Toggle;
    }

private:
    bool f11Held_ = false;
    bool returnHeld_ = false;
};

}  // namespace host
