#pragma once
// The common part of every sound object: a WAV sample or a tracker module.
// A sound holds data and settings only; whether it is playing is the state of
// the mixer's voices and module players.

#include <cstdint>

// Results of the sound loaders.
constexpr int kSoundOk = 0;
constexpr int kSoundBadFormat = -100;
constexpr int kSoundMissingFile = -200;
constexpr int kSoundBadStructure = -300;

enum class SoundKind : uint8_t { Sample = 0, Module = 1 };

class SoundBase {
public:
    SoundBase(const SoundBase&) = delete;
    SoundBase& operator=(const SoundBase&) = delete;
    // Each derived class stops, in its own destructor and before its data goes,
    // every voice or module player of every live mixer that plays the sound,
    // so the mixer thread never reads freed data.
    virtual ~SoundBase() = default;

    virtual bool hasData() const = 0;

    int volume = 64;          // 0 ... 64
    bool loop = false;
    int pan = 128;            // 0 ... 255, 128 is the centre
    int nativeRate = 0;       // Hz, the file's own rate (44100 for modules)
    int frequency = 0;        // Hz, the playback rate
    bool ownsData = false;    // the data was loaded and is freed with the object
    const SoundKind kind;

protected:
    explicit SoundBase(SoundKind soundKind) : kind(soundKind) {}
};
