#pragma once
// One playing WAV sample, internal to the mixer.

#include <cstdint>

class WaveSound;

struct Voice {
    bool active = false;
    bool paused = false;
    const WaveSound* sound = nullptr;
    int pan = 128;            // 0 ... 255, 128 is the centre
    int soundVolume = 64;     // the sound's own volume at play time
    int volume = 64;          // soundVolume x master sample volume / 64
    int nativeRate = 0;       // Hz
    int frequency = 0;        // Hz
    bool loop = false;
    bool eightBit = false;
    bool stereo = false;
    const uint8_t* data = nullptr;
    int64_t position = 0;     // 1/256 frame
    int64_t step = 0;         // 1/256 frame per output frame
    int64_t end = 0;          // frames x 256

    bool isFree() const { return !active && !paused; }
    bool isBusy() const { return active || paused; }
};

// Adds `frames` output frames of the voice to `mix` (interleaved when the
// output is stereo); a voice that runs past its end without looping stops.
void MixVoice(Voice& voice, int32_t* mix, int frames, bool stereoOutput);
