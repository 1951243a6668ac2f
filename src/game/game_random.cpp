#include "game/game_random.h"

#include <cmath>

int GameRandom::next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7FFF);
}

int GameRandom::range(int lo, int hi) {
    float value = float(lo) + float(next()) / float(kMax) * float(hi - lo);
    return int(std::lround(value));
}
