#pragma once
// The generator's random numbers: a fixed sequence for a given seed, the
// same on every machine and library, so the art comes out identical on
// every build.

#include <cstdint>

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    // SplitMix64 (Steele, Lea and Flood).
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    // Uniform in [0, n).
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

// A well-mixed hash of two integers in [0, 1), for per-cell variation.
inline float Hash01(int a, int b) {
    Random r(static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32 | static_cast<uint32_t>(b));
    return r.unit();
}

// Smooth value noise in [0, 1) on an integer lattice, bilinear with a smooth
// step; `seed` picks one of many independent fields.
inline float ValueNoise(float x, float y, int seed) {
    int ix = static_cast<int>(x >= 0 ? x : x - 1), iy = static_cast<int>(y >= 0 ? y : y - 1);
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto corner = [seed](int a, int b) {
        uint32_t u = static_cast<uint32_t>(a) * 73856093u ^ static_cast<uint32_t>(seed);
        uint32_t v = static_cast<uint32_t>(b) * 19349663u + static_cast<uint32_t>(seed);
        return Hash01(static_cast<int>(u), static_cast<int>(v));
    };
    float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * fx;
    float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Several octaves of value noise, in [0, 1).
inline float FractalNoise(float x, float y, int seed, int octaves) {
    float sum = 0, weight = 0, amplitude = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise(x, y, seed + o * 101) * amplitude;
        weight += amplitude;
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / weight;
}
