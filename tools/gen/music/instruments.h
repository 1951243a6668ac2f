#pragma once
// The module instruments, synthesised. Pitched ones are built from whole
// periods of a fixed length, so their loop closes without a click and their
// pitch follows from the player's period: at note C2 (period 428) a sample
// plays at kSampleRateAtC2 frames per second, so 32 frames per period sound
// near 259 Hz.

#include <string>
#include <vector>

#include "music/module_file.h"

// The classic players' clock (3546895 Hz, half the PAL colour clock) over period 428.
constexpr double kSampleRateAtC2 = 3546895.0 / 428.0;

// A pitched instrument: `cycles` periods of `cycleLength` frames whose timbre
// moves from `bright` to `dark` harmonics and whose loudness rises over
// `attackCycles` and falls toward `sustain`; the last `loopCycles` periods hold
// still and repeat while the note is held.
struct ToneSpec {
    std::string name;
    int cycleLength = 32;
    int cycles = 48;
    int loopCycles = 4;
    std::vector<float> bright;      // harmonic weights of the attack
    std::vector<float> dark;        // harmonic weights of the sustain
    double timbreHalfLife = 8;      // periods for the timbre to move half way
    double attackCycles = 1;
    double decayHalfLife = 16;      // periods
    float sustain = 0.6f;           // of the peak
    int volume = 48;
};

ModSample MakeTone(const ToneSpec& tone);

// A held chord-pad voice: two waves a little apart in pitch beat slowly
// against each other; the loop holds a whole number of periods of both.
ModSample MakePad(const std::string& name, const std::vector<float>& harmonics, int volume);

// Drums, to be played at the note their comment names.
ModSample MakeKick(int volume);        // C2
ModSample MakeSnare(int volume);       // C3
ModSample MakeHat(bool open, int volume);  // C3
ModSample MakeCrash(int volume);       // C3
