#pragma once
// The keys that steer Tobbin: a direction acts when its key is let go, and
// only the first of several let go in the same frame.

#include "scene/key_state.h"

// The direction a released key asks for, in the order the keys are tested;
// GameLevel::kStopRequest for the action key, kNoRequest for none.
int DirectionForReleasedKeys(KeyState released);

class KeySteering {
public:
    // This frame's request from the keys held now and those held before.
    int request(KeyState keys);

private:
    KeyState previous_ = 0;
};
