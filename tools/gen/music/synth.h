#pragma once
// Building blocks for synthesised sound: signals are floats in [-1, 1] at a
// rate the caller keeps track of. Everything is deterministic: noise comes from
// the generator's seeded Random, never from a clock.

#include <cstdint>
#include <vector>

using Signal = std::vector<float>;

constexpr double kTwoPi = 6.283185307179586;

// Sine of a phase given in cycles.
float SineCycles(double phase);

// Sum of harmonics 1 ... n of a phase in cycles, harmonic k weighted by
// weights[k - 1]; the sum of the weights' magnitudes is the peak it can reach.
float Harmonics(double phase, const std::vector<float>& weights);

// A linear attack to 1, then an exponential fall toward `floor` with the given
// half-life; times in seconds.
float AttackDecay(double t, double attack, double halfLife, float floor = 0.0f);

// Filters whose coefficient comes from a cut-off frequency and the sample rate.
class LowPass {
public:
    LowPass(double cutoffHz, double rate);
    float process(float x);

private:
    float a_;
    float state_ = 0;
};

class HighPass {
public:
    HighPass(double cutoffHz, double rate);
    float process(float x);

private:
    LowPass low_;
};

float Peak(const Signal& signal);
// Scales the signal so its peak is `peak`; a silent signal stays silent.
void Normalize(Signal& signal, float peak);
// Short linear fades at both ends, so a cut never clicks.
void FadeEnds(Signal& signal, int fadeInFrames, int fadeOutFrames);

// Rounded and clamped conversions.
std::vector<int8_t> ToSigned8(const Signal& signal);
std::vector<uint8_t> ToUnsigned8(const Signal& signal);
std::vector<int16_t> ToSigned16(const Signal& signal);
