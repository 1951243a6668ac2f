#include "music/instruments.h"

#include <algorithm>
#include <cmath>

#include "art/random.h"
#include "music/synth.h"

namespace {

constexpr double kSampleRateAtC3 = 2 * kSampleRateAtC2;
constexpr float kSamplePeak = 0.95f;

// Even length, opening with a silent word: the classic players idle on the
// first word of a sample that does not loop.
ModSample SampleOf(const std::string& name, Signal signal, int volume) {
    Normalize(signal, kSamplePeak);
    ModSample sample;
    sample.name = name;
    sample.volume = volume;
    sample.data = {0, 0};
    for (int8_t v : ToSigned8(signal)) sample.data.push_back(v);
    if (sample.data.size() % 2) sample.data.push_back(0);
    return sample;
}

// A one-shot sound of `seconds` at `rate`, from a function of time.
template <typename Voice>
Signal Render(double seconds, double rate, Voice voice) {
    Signal signal(size_t(seconds * rate));
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = voice(double(i) / rate);
    FadeEnds(signal, 0, int(rate * 0.01));
    return signal;
}

}  // namespace

ModSample MakeTone(const ToneSpec& tone) {
    Signal signal;
    const int loopFrom = tone.cycles - tone.loopCycles;
    for (int c = 0; c < tone.cycles; ++c) {
        // The loop repeats the state reached where it begins.
        double at = std::min(c, loopFrom);
        float mix = float(std::exp2(-at / tone.timbreHalfLife));
        for (int i = 0; i < tone.cycleLength; ++i) {
            double t = at + double(i) / tone.cycleLength;
            if (c >= loopFrom) t = loopFrom;
            double phase = double(i) / tone.cycleLength;
            float wave = mix * Harmonics(phase, tone.bright) + (1 - mix) * Harmonics(phase, tone.dark);
            signal.push_back(wave * AttackDecay(t, tone.attackCycles, tone.decayHalfLife, tone.sustain));
        }
    }
    ModSample sample = SampleOf(tone.name, signal, tone.volume);
    sample.loopLength = size_t(tone.loopCycles * tone.cycleLength);
    sample.loopStart = sample.data.size() - sample.loopLength;
    return sample;
}

ModSample MakePad(const std::string& name, const std::vector<float>& harmonics, int volume) {
    // 128 and 129 periods in 4096 frames: a beat of about two per second at C2.
    constexpr int kLoop = 4096;
    constexpr int kAttack = 4096;
    Signal signal(size_t(kAttack + kLoop));
    for (size_t n = 0; n < signal.size(); ++n) {
        double a = double(n) * 128 / kLoop, b = double(n) * 129 / kLoop;
        float rise = n < size_t(kAttack) ? float(n) / kAttack : 1.0f;
        signal[n] = rise * 0.5f * (Harmonics(a, harmonics) + Harmonics(b, harmonics));
    }
    ModSample sample = SampleOf(name, signal, volume);
    sample.loopLength = kLoop;
    sample.loopStart = sample.data.size() - kLoop;
    return sample;
}

ModSample MakeKick(int volume) {
    double phase = 0;
    Random noise(11);
    LowPass click(2000, kSampleRateAtC2);
    Signal signal = Render(0.3, kSampleRateAtC2, [&](double t) {
        // The pitch falls fast from a knock to a low thump.
        double frequency = 48 + 120 * std::exp(-t / 0.025);
        phase += frequency / kSampleRateAtC2;
        float body = SineCycles(phase) * float(std::exp(-t / 0.11));
        float knock = click.process(noise.range(-1, 1)) * float(std::exp(-t / 0.004));
        return body + 0.6f * knock;
    });
    return SampleOf("kick", signal, volume);
}

ModSample MakeSnare(int volume) {
    Random noise(23);
    LowPass soften(5000, kSampleRateAtC3);
    HighPass thin(400, kSampleRateAtC3);
    double phase = 0;
    Signal signal = Render(0.22, kSampleRateAtC3, [&](double t) {
        phase += (180 + 60 * std::exp(-t / 0.01)) / kSampleRateAtC3;
        float tone = SineCycles(phase) * float(std::exp(-t / 0.04));
        float rattle = thin.process(soften.process(noise.range(-1, 1))) * float(std::exp(-t / 0.07));
        return 0.6f * tone + rattle;
    });
    return SampleOf("snare", signal, volume);
}

ModSample MakeHat(bool open, int volume) {
    Random noise(open ? 37 : 31);
    HighPass air(4500, kSampleRateAtC3);
    double fall = open ? 0.11 : 0.018;
    Signal signal = Render(open ? 0.4 : 0.08, kSampleRateAtC3,
                           [&](double t) { return air.process(noise.range(-1, 1)) * float(std::exp(-t / fall)); });
    return SampleOf(open ? "open hat" : "closed hat", signal, volume);
}

ModSample MakeCrash(int volume) {
    Random noise(43);
    HighPass air(2500, kSampleRateAtC3);
    LowPass tame(7000, kSampleRateAtC3);
    Signal signal = Render(1.3, kSampleRateAtC3, [&](double t) {
        float attack = float(std::min(1.0, t / 0.004));
        return tame.process(air.process(noise.range(-1, 1))) * attack * float(std::exp(-t / 0.35));
    });
    return SampleOf("crash", signal, volume);
}
