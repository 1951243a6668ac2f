#include "music/synth.h"

#include <algorithm>
#include <cmath>

float SineCycles(double phase) { return float(std::sin(kTwoPi * phase)); }

float Harmonics(double phase, const std::vector<float>& weights) {
    double sum = 0;
    for (size_t k = 0; k < weights.size(); ++k) sum += weights[k] * std::sin(kTwoPi * phase * double(k + 1));
    return float(sum);
}

float AttackDecay(double t, double attack, double halfLife, float floor) {
    if (t < attack) return float(t / attack);
    double fall = std::exp2(-(t - attack) / halfLife);
    return float(floor + (1.0 - floor) * fall);
}

LowPass::LowPass(double cutoffHz, double rate) : a_(float(1.0 - std::exp(-kTwoPi * cutoffHz / rate))) {}

float LowPass::process(float x) {
    state_ += a_ * (x - state_);
    return state_;
}

HighPass::HighPass(double cutoffHz, double rate) : low_(cutoffHz, rate) {}

float HighPass::process(float x) { return x - low_.process(x); }

float Peak(const Signal& signal) {
    float peak = 0;
    for (float v : signal) peak = std::max(peak, std::fabs(v));
    return peak;
}

void Normalize(Signal& signal, float peak) {
    float current = Peak(signal);
    if (current <= 0) return;
    for (float& v : signal) v *= peak / current;
}

void FadeEnds(Signal& signal, int fadeInFrames, int fadeOutFrames) {
    const int n = int(signal.size());
    for (int i = 0; i < fadeInFrames && i < n; ++i) signal[size_t(i)] *= float(i) / float(fadeInFrames);
    for (int i = 0; i < fadeOutFrames && i < n; ++i) signal[size_t(n - 1 - i)] *= float(i) / float(fadeOutFrames);
}

std::vector<int8_t> ToSigned8(const Signal& signal) {
    std::vector<int8_t> out;
    out.reserve(signal.size());
    for (float v : signal) out.push_back(int8_t(std::clamp<long>(std::lround(v * 127.0f), -128, 127)));
    return out;
}

std::vector<uint8_t> ToUnsigned8(const Signal& signal) {
    std::vector<uint8_t> out;
    out.reserve(signal.size());
    for (int8_t v : ToSigned8(signal)) out.push_back(uint8_t(v + 128));
    return out;
}

std::vector<int16_t> ToSigned16(const Signal& signal) {
    std::vector<int16_t> out;
    out.reserve(signal.size());
    for (float v : signal) out.push_back(int16_t(std::clamp<long>(std::lround(v * 32767.0f), -32768, 32767)));
    return out;
}
