#pragma once
// How one game controller turns into device-key presses and releases: the
// left stick acts as the direction keys (with a dead zone and hysteresis, so a
// stick resting near the edge does not chatter), and a key held by two sources
// at once (the d-pad and the stick) is pressed once and released when the last
// source lets go. When the controller goes away everything it holds is
// released, so no key stays down.

#include <functional>
#include <map>

#include "platform/host/win_types.h"

namespace host {

class PadKeys {
public:
    using Emit = std::function<void(int virtualKey, bool down)>;

    // An axis tilted further than kPress from the centre presses its key; it is
    // let go only when back within kRelease.
    static constexpr int kPress = 16000;
    static constexpr int kRelease = 10000;

    explicit PadKeys(Emit emit) : emit_(std::move(emit)) {}

    void button(int virtualKey, bool down) {
        if (virtualKey) hold(virtualKey, down);
    }

    // Left stick axes, -32768 ... 32767; y grows downward.
    void stickX(int value) { axis(stickX_, value, VK_LEFT, VK_RIGHT); }
    void stickY(int value) { axis(stickY_, value, VK_UP, VK_DOWN); }

    void releaseAll() {
        for (auto& [key, count] : held_)
            if (count > 0) emit_(key, false);
        held_.clear();
        stickX_ = stickY_ = 0;
    }

private:
    void hold(int key, bool down) {
        int& count = held_[key];
        if (down && ++count == 1) emit_(key, true);
        if (!down && count > 0 && --count == 0) emit_(key, false);
    }

    // `side` is -1, 0 or +1: the key the axis holds now.
    void axis(int& side, int value, int negativeKey, int positiveKey) {
        int next = side;
        if (value <= -kPress) next = -1;
        else if (value >= kPress) next = 1;
        else if (value > -kRelease && value < kRelease) next = 0;
        else if ((side < 0 && value > 0) || (side > 0 && value < 0)) next = 0;
        if (next == side) return;
        if (side) hold(side < 0 ? negativeKey : positiveKey, false);
        side = next;
        if (side) hold(side < 0 ? negativeKey : positiveKey, true);
    }

    Emit emit_;
    std::map<int, int> held_;
    int stickX_ = 0, stickY_ = 0;
};

}  // namespace host
