#include "game/game_random.h"

#include <cmath>

int GameRandom::next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7FFF);
}

int GameRandom::Scale(int draw, int lo, int hi) {
    const double value = double(lo) + double(draw) / double(kMax) * double(hi - lo);
    return int(std::lround(value));
}
