#include "music/effects.h"

#include <algorithm>
#include <cmath>

#include "art/random.h"

namespace {

constexpr float kEffectPeak = 0.9f;

// A tone whose frequency and loudness are functions of time, from the given
// harmonic weights.
template <typename Frequency, typename Loudness>
Signal Sweep(double seconds, double rate, const std::vector<float>& harmonics, Frequency frequency,
             Loudness loudness) {
    Signal signal(size_t(seconds * rate));
    double phase = 0;
    for (size_t i = 0; i < signal.size(); ++i) {
        double t = double(i) / rate;
        phase += frequency(t) / rate;
        signal[i] = Harmonics(phase, harmonics) * float(loudness(t));
    }
    return signal;
}

void AddInto(Signal& target, const Signal& source, double at, double rate, float gain) {
    size_t offset = size_t(at * rate);
    if (target.size() < offset + source.size()) target.resize(offset + source.size());
    for (size_t i = 0; i < source.size(); ++i) target[offset + i] += source[i] * gain;
}

// A bell-like note: a sine with a quieter octave, struck and ringing out.
Signal Chime(double frequency, double seconds, double ring) {
    return Sweep(seconds, kEffectRate, {1, 0.3f, 0.1f}, [=](double) { return frequency; },
                 [=](double t) { return AttackDecay(t, 0.003, ring); });
}

double NoteHz(int semitonesFromA4) { return 440.0 * std::exp2(semitonesFromA4 / 12.0); }

void Finish(Signal& signal, double rate) {
    FadeEnds(signal, int(rate * 0.002), int(rate * 0.02));
    Normalize(signal, kEffectPeak);
}

void Finish(StereoSignal& stereo, double rate) {
    size_t length = std::max(stereo.left.size(), stereo.right.size());
    stereo.left.resize(length);
    stereo.right.resize(length);
    FadeEnds(stereo.left, int(rate * 0.002), int(rate * 0.02));
    FadeEnds(stereo.right, int(rate * 0.002), int(rate * 0.02));
    // Both sides keep their balance: one gain for the pair.
    float peak = std::max(Peak(stereo.left), Peak(stereo.right));
    for (Signal* side : {&stereo.left, &stereo.right})
        for (float& v : *side) v *= kEffectPeak / peak;
}

}  // namespace

Signal LandingThud() {
    Signal thud = Sweep(0.22, kEffectRate, {1, 0.2f}, [](double t) { return 45 + 90 * std::exp(-t / 0.03); },
                        [](double t) { return AttackDecay(t, 0.002, 0.035); });
    Random noise(101);
    LowPass dull(900, kEffectRate);
    for (size_t i = 0; i < thud.size(); ++i) {
        double t = double(i) / kEffectRate;
        thud[i] += 0.5f * dull.process(noise.range(-1, 1)) * float(std::exp(-t / 0.012));
    }
    Finish(thud, kEffectRate);
    return thud;
}

Signal CaughtWail() {
    // Falls two octaves with a slow wobble, like a toy winding down.
    Signal wail = Sweep(1.05, kEffectRate, {1, 0.45f, 0.25f, 0.12f, 0.06f},
                        [](double t) { return 620 * std::exp2(-2.0 * t / 1.05) * (1 + 0.04 * std::sin(kTwoPi * 7 * t)); },
                        [](double t) { return (0.75 + 0.25 * std::sin(kTwoPi * 7 * t)) * std::min(1.0, (1.1 - t) * 4); });
    Signal knock = Sweep(0.3, kEffectRate, {1, 0.3f}, [](double t) { return 40 + 70 * std::exp(-t / 0.04); },
                         [](double t) { return AttackDecay(t, 0.002, 0.06); });
    AddInto(wail, knock, 1.0, kEffectRate, 1.0f);
    Finish(wail, kEffectRate);
    return wail;
}

Signal GhostZap() {
    // A rising sweep stepped like a quick arpeggio.
    Signal zap = Sweep(0.36, kSmallEffectRate, {1, 0.35f, 0.1f},
                       [](double t) {
                           double glide = 220 * std::exp2(t / 0.36 * 3);
                           int step = int(t / 0.03) % 3;
                           return glide * (step == 0 ? 1.0 : step == 1 ? 1.26 : 1.5);
                       },
                       [](double t) { return AttackDecay(t, 0.004, 0.12); });
    Finish(zap, kSmallEffectRate);
    return zap;
}

StereoSignal PowerUpChime() {
    // C major climbing two octaves, each note further across.
    const int notes[] = {3, 7, 10, 15, 19, 22, 27};
    StereoSignal chime;
    for (int i = 0; i < 7; ++i) {
        Signal note = Chime(NoteHz(notes[i]), 0.35, 0.08);
        float right = float(i) / 6.0f;
        AddInto(chime.left, note, 0.055 * i, kEffectRate, 1.0f - 0.7f * right);
        AddInto(chime.right, note, 0.055 * i, kEffectRate, 0.3f + 0.7f * right);
    }
    Finish(chime, kEffectRate);
    return chime;
}

StereoSignal ExtraLifeFanfare() {
    // G, C, E, then a held C major chord with a little vibrato; the harmony
    // answers on the other side.
    StereoSignal fanfare;
    const int lead[] = {-2, 3, 7};
    for (int i = 0; i < 3; ++i) AddInto(fanfare.left, Chime(NoteHz(lead[i] + 12), 0.2, 0.07), 0.09 * i, kEffectRate, 1);
    auto held = [](double hz) {
        return Sweep(0.75, kEffectRate, {1, 0.25f, 0.08f},
                     [=](double t) { return hz * (1 + 0.006 * std::sin(kTwoPi * 6 * t)); },
                     [](double t) { return AttackDecay(t, 0.01, 0.25, 0.0f) * std::min(1.0, (0.75 - t) * 8); });
    };
    AddInto(fanfare.left, held(NoteHz(15)), 0.27, kEffectRate, 0.8f);
    AddInto(fanfare.right, held(NoteHz(10)), 0.27, kEffectRate, 0.6f);
    AddInto(fanfare.right, held(NoteHz(3)), 0.27, kEffectRate, 0.6f);
    Finish(fanfare, kEffectRate);
    return fanfare;
}

Signal EatBlip() {
    // Heard twice a second or more, so it stays small: a rounded pluck that
    // bends up a fourth and is gone in 70 ms, well under the music.
    Signal blip = Sweep(0.07, kEffectRate, {1, 0.15f}, [](double t) { return 660 * (1 + 0.33 * std::min(1.0, t / 0.025)); },
                        [](double t) { return AttackDecay(t, 0.004, 0.018); });
    LowPass soft(2500, kEffectRate);
    for (float& v : blip) v = soft.process(v);
    FadeEnds(blip, int(kEffectRate * 0.002), int(kEffectRate * 0.015));
    Normalize(blip, 0.3f);
    return blip;
}

StereoSignal ClearJingle() {
    // C E G C' rising quickly, an answer of G' and E', then a held C major
    // chord spread across both sides: done within 1.5 s.
    StereoSignal jingle;
    const int run[] = {3, 7, 10, 15, 22, 19};
    const double at[] = {0.0, 0.09, 0.18, 0.27, 0.45, 0.6};
    for (int i = 0; i < 6; ++i) {
        const float right = float(i) / 5.0f;
        Signal note = Chime(NoteHz(run[i]), 0.3, 0.07);
        AddInto(jingle.left, note, at[i], kEffectRate, 1.0f - 0.5f * right);
        AddInto(jingle.right, note, at[i], kEffectRate, 0.5f + 0.5f * right);
    }
    auto held = [](double hz) {
        return Sweep(0.7, kEffectRate, {1, 0.3f, 0.1f}, [=](double t) { return hz * (1 + 0.005 * std::sin(kTwoPi * 5 * t)); },
                     [](double t) { return AttackDecay(t, 0.01, 0.3, 0.0f) * std::min(1.0, (0.7 - t) * 6); });
    };
    AddInto(jingle.left, held(NoteHz(15)), 0.75, kEffectRate, 0.7f);
    AddInto(jingle.left, held(NoteHz(10)), 0.75, kEffectRate, 0.5f);
    AddInto(jingle.right, held(NoteHz(19)), 0.75, kEffectRate, 0.7f);
    AddInto(jingle.right, held(NoteHz(3)), 0.75, kEffectRate, 0.5f);
    Finish(jingle, kEffectRate);
    return jingle;
}

Signal Interleave(const StereoSignal& stereo) {
    Signal out;
    out.reserve(stereo.left.size() * 2);
    for (size_t i = 0; i < stereo.left.size(); ++i) {
        out.push_back(stereo.left[i]);
        out.push_back(stereo.right[i]);
    }
    return out;
}
