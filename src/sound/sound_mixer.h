#pragma once
// The software sound mixer: sample voices for WaveSounds and module players for
// ModSounds, mixed in integer arithmetic into PCM buffers that its wave-out
// driver plays from its own thread. One process-wide mixer serves the game;
// tests and tools may create more.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/host/audio_device.h"
#include "sound/mod_player.h"
#include "sound/period_table.h"
#include "sound/voice.h"
#include "sound/wave_out_driver.h"

class SoundBase;

// Flags of play: bit 28 takes any free voice, else the low 16 bits name one;
// bit 29 starts the voice paused.
constexpr uint32_t kPlayAnyVoice = 0x10000000;
constexpr uint32_t kPlayPaused = 0x20000000;
constexpr int kPlayRefused = -1000;

constexpr int kMixerAlreadyInitialised = -2;
constexpr int kMixerNoDriver = -5;
constexpr int kMixerNoMemory = -10;

// Where a module stands, for tools and tests; after its end, where it ended.
struct ModuleStatus {
    bool playing = false;
    int order = 0;
    int row = 0;
    int speed = 0;
    int tickRate = 0;
    int64_t framesPlayed = 0;
};

class SoundMixer {
public:
    static constexpr int kLatencyMs = 180;

    SoundMixer();
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    // Opens the output device and starts the output thread. Returns 0,
    // kMixerAlreadyInitialised, kMixerNoDriver, kMixerNoMemory or the driver's
    // error (-1: no usable device). modPlayers is clamped to 1 ... 64 and
    // voices to 8 ... 128; bits is 8 or 16, stereo 0 or 1.
    int init(int rate, int bits, int stereo, int modPlayers, int voices,
             host::AudioDeviceOpener opener = host::OpenAudioDevice);
    // The same mixer without a driver: nothing plays by itself, `render` fills
    // buffers on request (offline rendering, tests, benchmarks).
    int initOffline(int rate, int bits, int stereo, int modPlayers, int voices);
    bool isInitialised() const { return initialised_; }

    // Returns the voice or module player index, or kPlayRefused.
    int play(SoundBase* sound, uint32_t flags);
    int playLooped(SoundBase* sound, uint32_t flags);
    // A module played looping from `milliseconds` into it, exactly as if it
    // had played that long: a song resumes where an earlier run left it.
    int playLoopedFrom(SoundBase* sound, uint32_t flags, int64_t milliseconds);
    bool isPlaying(const SoundBase* sound);
    void stopSound(const SoundBase* sound);
    void stopAll();
    // Stops every sample voice; modules play on.
    void stopSamples();
    void pauseAll();
    void resumeAll();
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    void setSampleVolume(int volume);
    void setModVolume(int volume);
    // Stops and releases the driver; the mixer is no longer initialised.
    void shutdown();

    // Pause and resume of the output itself (program deactivation); nothing
    // happens while the mixer is not initialised.
    void pauseOutput();
    void resumeOutput();

    // Mixes one buffer of `bytes` bytes in the output format. The driver calls
    // it on its thread under its lock; offline users call it directly.
    void render(uint8_t* buffer, size_t bytes);

    int outputRate() const { return rate_; }
    int outputBits() const { return sixteenBit_ ? 16 : 8; }
    bool outputStereo() const { return stereo_; }
    int voiceCount() const { return int(voices_.size()); }
    int modPlayerCount() const { return int(players_.size()); }
    const WaveOutDriver* driver() const { return driver_.get(); }
    ModuleStatus moduleStatus(const SoundBase* sound);

    // Stops every voice and player of a sound that is going away.
    void forgetSound(const SoundBase* sound);

private:
    class Lock;
    int setUp(int rate, int bits, int stereo, int modPlayers, int voices);
    int playSample(const class WaveSound& sound, uint32_t flags);
    int playModule(const class ModSound& sound, uint32_t flags);
    int chooseVoice(const WaveSound& sound, uint32_t flags) const;
    static void renderCallback(void* self, uint8_t* buffer, size_t bytes);
    // voiceSum is null when no voice played in these frames.
    void writeOutput(const int32_t* moduleSum, const int32_t* voiceSum, int frames, uint8_t* out);

    bool initialised_ = false;
    bool enabled_ = true;
    std::unique_ptr<WaveOutDriver> driver_;
    std::vector<ModPlayer> players_;
    std::vector<Voice> voices_;
    int masterModVolume_ = 64;
    int masterSampleVolume_ = 64;
    int rate_ = 0;
    bool stereo_ = false;
    bool sixteenBit_ = false;
    NoteLookup notes_;
    std::vector<int32_t> moduleSum_;
    std::vector<int32_t> voiceSum_;
};

// ---- The process-wide mixer ----------------------------------------------------------

// Creates the program's mixer with one module player and 16 voices, for the
// output the host prefers: the handheld's 8000 Hz, 8-bit, mono on the handheld
// profiles, 44100 Hz 16-bit stereo on the desktop, or what the audio options
// ask for. Returns init's result; when it fails the mixer still
// exists, uninitialised, and refuses every play (the game runs silent).
int CreateSoundMixer();
// The program's mixer, or null before CreateSoundMixer and after DestroySoundMixer.
SoundMixer* GetSoundMixer();
// Program deactivation and reactivation.
void PauseSoundOutput();
void ResumeSoundOutput();
// Stops the program's mixer, then destroys it.
void DestroySoundMixer();
