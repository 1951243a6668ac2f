#pragma once
// The game's own random numbers: the 15-bit linear congruential generator of
// the classic C libraries (0 ... 32767), so that one seed gives one maze and
// one game on every platform, whatever the host's rand() returns.

#include <cstdint>

class GameRandom {
public:
    static constexpr int kMax = 32767;

    explicit GameRandom(uint32_t seed = 1) : state_(seed) {}
    void seed(uint32_t seed) { state_ = seed; }

    // 0 ... 32767.
    int next();
    // lo + (next() / 32767) * (hi - lo), rounded half away from zero: both ends
    // are possible with half the weight of the inner values.
    int range(int lo, int hi) { return Scale(next(), lo, hi); }
    // The value `range` gives for the draw (0 ... 32767). Computed in double:
    // in float, draws whose exact value lies just below a half round up.
    static int Scale(int draw, int lo, int hi);

private:
    uint32_t state_;
};
