#include "game/key_steering.h"

#include "game/game_level.h"

int DirectionForReleasedKeys(KeyState released) {
    using namespace key_bits;
    static constexpr struct {
        KeyState bit;
        int direction;
    } kOrder[] = {{Up, 1},      {Down, 3},        {Left, 2},    {Right, 0},  {Action, GameLevel::kStopRequest},
                  {ButtonC, 1}, {ButtonStart, 3}, {ButtonA, 2}, {ButtonB, 0}};
    for (const auto& key : kOrder)
        if (released & key.bit) return key.direction;
    return GameLevel::kNoRequest;
}

int KeySteering::request(KeyState keys) {
    const KeyState released = previous_ & ~keys;
    previous_ = keys;
    return DirectionForReleasedKeys(released);
}
