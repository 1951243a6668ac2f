#include "sound/sound_mixer.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/host/host.h"
#include "sound/mixer_registry.h"
#include "sound/mod_sound.h"
#include "sound/wave_sound.h"

namespace {

constexpr int kDefaultModPlayers = 1;
constexpr int kDefaultVoices = 16;
// Frames mixed per pass of the render loop.
constexpr int kChunkFrames = 256;

// Process-wide sound state: the program's mixer and every live mixer, so a
// sound being destroyed can be taken off all of them. Never destroyed, since
// sounds may outlive static destruction order.
struct SoundState {
    std::mutex mixersMutex;
    std::vector<SoundMixer*> liveMixers;
    std::unique_ptr<SoundMixer> programMixer;
};

SoundState& State() {
    static SoundState* state = new SoundState;
    return *state;
}

}  // namespace

void ForgetSoundInMixers(const SoundBase* sound) {
    SoundState& state = State();
    std::lock_guard<std::mutex> guard(state.mixersMutex);
    for (SoundMixer* mixer : state.liveMixers) mixer->forgetSound(sound);
}

// Takes the driver's lock for the duration of a control operation, so the
// output thread always mixes a consistent set of voices.
class SoundMixer::Lock {
public:
    explicit Lock(SoundMixer& mixer)
        : driver_(mixer.driver_ && mixer.driver_->isOpen() ? mixer.driver_.get() : nullptr) {
        if (driver_) driver_->lock();
    }
    ~Lock() {
        if (driver_) driver_->unlock();
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    WaveOutDriver* driver_;
};

SoundMixer::SoundMixer() {
    SoundState& state = State();
    std::lock_guard<std::mutex> guard(state.mixersMutex);
    state.liveMixers.push_back(this);
}

SoundMixer::~SoundMixer() {
    shutdown();
    SoundState& state = State();
    std::lock_guard<std::mutex> guard(state.mixersMutex);
    std::erase(state.liveMixers, this);
}

// ---- Set-up -----------------------------------------------------------------------

int SoundMixer::init(int rate, int bits, int stereo, int modPlayers, int voices, host::AudioDeviceOpener opener) {
    if (initialised_) return kMixerAlreadyInitialised;
    driver_.reset(new (std::nothrow) WaveOutDriver(opener));
    if (!driver_) return kMixerNoDriver;
    host::AudioFormat format{rate, bits, stereo ? 2 : 1};
    int bufferFrames = int(int64_t(kLatencyMs) * rate / 1000);
    int result = driver_->open(format, bufferFrames, &SoundMixer::renderCallback, this);
    if (result == 0) result = setUp(rate, bits, stereo, modPlayers, voices);
    if (result != 0) {
        driver_.reset();
        return result;
    }
    initialised_ = true;
    driver_->resume();
    return 0;
}

int SoundMixer::initOffline(int rate, int bits, int stereo, int modPlayers, int voices) {
    if (initialised_) return kMixerAlreadyInitialised;
    if (!host::IsUsableAudioFormat(host::AudioFormat{rate, bits, stereo ? 2 : 1})) return -1;
    int result = setUp(rate, bits, stereo, modPlayers, voices);
    if (result == 0) initialised_ = true;
    return result;
}

int SoundMixer::setUp(int rate, int bits, int stereo, int modPlayers, int voices) {
    rate_ = rate;
    stereo_ = stereo != 0;
    sixteenBit_ = bits == 16;
    notes_.build();
    try {
        players_.assign(size_t(std::clamp(modPlayers, 1, 64)), ModPlayer{});
        voices_.assign(size_t(std::clamp(voices, 8, 128)), Voice{});
        moduleSum_.assign(size_t(kChunkFrames) * 2, 0);
        voiceSum_.assign(size_t(kChunkFrames) * 2, 0);
    } catch (const std::bad_alloc&) {
        return kMixerNoMemory;
    }
    masterModVolume_ = 64;
    masterSampleVolume_ = 64;
    return 0;
}

void SoundMixer::shutdown() {
    // Closing joins the output thread, so it must not run under the lock.
    if (driver_) driver_->close();
    driver_.reset();
    for (Voice& voice : voices_) voice = Voice{};
    for (ModPlayer& player : players_) player.active = player.paused = false;
    initialised_ = false;
}

void SoundMixer::pauseOutput() {
    if (initialised_ && driver_) driver_->pause();
}

void SoundMixer::resumeOutput() {
    if (initialised_ && driver_) driver_->resume();
}

// ---- Control ------------------------------------------------------------------------

int SoundMixer::play(SoundBase* sound, uint32_t flags) {
    if (!sound) return kPlayRefused;
    Lock lock(*this);
    if (!enabled_ || !initialised_ || !sound->hasData()) return kPlayRefused;
    if (sound->kind == SoundKind::Module) return playModule(static_cast<const ModSound&>(*sound), flags);
    return playSample(static_cast<const WaveSound&>(*sound), flags);
}

int SoundMixer::playLooped(SoundBase* sound, uint32_t flags) {
    if (!sound) return kPlayRefused;
    sound->loop = true;
    return play(sound, flags);
}

int SoundMixer::playLoopedFrom(SoundBase* sound, uint32_t flags, int64_t milliseconds) {
    if (!sound || sound->kind != SoundKind::Module) return playLooped(sound, flags);
    sound->loop = true;
    Lock lock(*this);
    if (!enabled_ || !initialised_ || !sound->hasData()) return kPlayRefused;
    const int index = playModule(static_cast<const ModSound&>(*sound), flags);
    if (index >= 0 && milliseconds > 0) players_[size_t(index)].skip(milliseconds * rate_ / 1000);
    return index;
}

int SoundMixer::chooseVoice(const WaveSound& sound, uint32_t flags) const {
    const int count = int(voices_.size());
    if (!(flags & kPlayAnyVoice)) {
        int index = int(flags & 0xFFFF);
        return index < count ? index : -1;
    }
    if (sound.maxInstances < 0) {
        for (int i = 0; i < count; ++i)
            if (voices_[i].isFree()) return i;
        return -1;
    }
    int busy = 0;
    int lastFree = -1;
    for (int i = 0; i < count; ++i) {
        if (voices_[i].isFree()) lastFree = i;
        else if (voices_[i].sound == &sound) ++busy;
    }
    return busy >= sound.maxInstances ? -1 : lastFree;
}

int SoundMixer::playSample(const WaveSound& sound, uint32_t flags) {
    if (sound.frequency <= 0) return kPlayRefused;
    int index = chooseVoice(sound, flags);
    if (index < 0) return kPlayRefused;
    Voice& voice = voices_[size_t(index)];
    voice = Voice{};
    voice.sound = &sound;
    voice.pan = std::clamp(sound.pan, 0, 255);
    voice.soundVolume = std::clamp(sound.volume, 0, 64);
    voice.volume = voice.soundVolume * masterSampleVolume_ / 64;
    voice.nativeRate = sound.nativeRate;
    voice.frequency = sound.frequency;
    voice.loop = sound.loop;
    voice.eightBit = sound.eightBit;
    voice.stereo = sound.stereo;
    voice.data = sound.sampleData();
    voice.position = 0;
    voice.step = std::max<int64_t>(1, int64_t(sound.frequency) * 256 / rate_);
    voice.end = sound.frames * 256;
    voice.active = true;
    voice.paused = (flags & kPlayPaused) != 0;
    return index;
}

int SoundMixer::playModule(const ModSound& sound, uint32_t flags) {
    const int count = int(players_.size());
    int index = -1;
    if (flags & kPlayAnyVoice) {
        for (int i = 0; i < count && index < 0; ++i)
            if (!players_[i].active && !players_[i].paused) index = i;
    } else if (int(flags & 0xFFFF) < count) {
        index = int(flags & 0xFFFF);
    }
    if (index < 0) return kPlayRefused;
    ModPlayer& player = players_[size_t(index)];
    if (!player.start(sound, ModOutput{rate_, stereo_, &notes_}, masterModVolume_)) return kPlayRefused;
    player.paused = (flags & kPlayPaused) != 0;
    return index;
}

bool SoundMixer::isPlaying(const SoundBase* sound) {
    if (!sound) return false;
    Lock lock(*this);
    for (const Voice& voice : voices_)
        if (voice.sound == sound && voice.isBusy()) return true;
    for (const ModPlayer& player : players_)
        if (player.sound == sound && (player.active || player.paused)) return true;
    return false;
}

void SoundMixer::stopSound(const SoundBase* sound) {
    if (!sound) return;
    Lock lock(*this);
    for (Voice& voice : voices_) {
        if (voice.sound == sound && voice.isBusy()) {
            voice.active = voice.paused = false;
            return;
        }
    }
    for (ModPlayer& player : players_) {
        if (player.sound == sound && (player.active || player.paused)) {
            player.active = player.paused = false;
            return;
        }
    }
}

void SoundMixer::stopAll() {
    Lock lock(*this);
    for (Voice& voice : voices_) voice.active = voice.paused = false;
    for (ModPlayer& player : players_) player.active = player.paused = false;
}

void SoundMixer::stopSamples() {
    Lock lock(*this);
    for (Voice& voice : voices_) voice.active = voice.paused = false;
}

void SoundMixer::pauseAll() {
    Lock lock(*this);
    for (Voice& voice : voices_)
        if (voice.active) voice.paused = true;
    for (ModPlayer& player : players_)
        if (player.active) player.paused = true;
}

void SoundMixer::resumeAll() {
    Lock lock(*this);
    for (Voice& voice : voices_) voice.paused = false;
    for (ModPlayer& player : players_) player.paused = false;
}

void SoundMixer::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) stopAll();
}

void SoundMixer::setSampleVolume(int volume) {
    Lock lock(*this);
    masterSampleVolume_ = std::clamp(volume, 0, 64);
    for (Voice& voice : voices_) voice.volume = voice.soundVolume * masterSampleVolume_ / 64;
}

void SoundMixer::setModVolume(int volume) {
    Lock lock(*this);
    masterModVolume_ = std::clamp(volume, 0, 64);
    for (ModPlayer& player : players_) player.setMasterVolume(masterModVolume_);
}

void SoundMixer::forgetSound(const SoundBase* sound) {
    Lock lock(*this);
    for (Voice& voice : voices_)
        if (voice.sound == sound) voice = Voice{};
    for (ModPlayer& player : players_) {
        if (player.sound == sound) {
            player.active = player.paused = false;
            player.sound = nullptr;
        }
    }
}

ModuleStatus SoundMixer::moduleStatus(const SoundBase* sound) {
    Lock lock(*this);
    const ModPlayer* found = nullptr;
    for (const ModPlayer& player : players_) {
        if (player.sound != sound) continue;
        if (player.active || player.paused) {
            found = &player;
            break;
        }
        if (!found) found = &player;  // a module that has ended keeps its last position
    }
    if (!found) return ModuleStatus{};
    return ModuleStatus{found->active || found->paused, found->order, found->row, found->speed, found->tickRate,
                        found->framesPlayed};
}

// ---- Rendering ----------------------------------------------------------------------

void SoundMixer::renderCallback(void* self, uint8_t* buffer, size_t bytes) {
    static_cast<SoundMixer*>(self)->render(buffer, bytes);
}

void SoundMixer::render(uint8_t* buffer, size_t bytes) {
    const uint8_t silence = sixteenBit_ ? 0 : 128;
    const int channels = stereo_ ? 2 : 1;
    const size_t bytesPerFrame = size_t(channels) * (sixteenBit_ ? 2 : 1);
    bool anything = false;
    for (const ModPlayer& player : players_) anything = anything || (player.active && !player.paused);
    for (const Voice& voice : voices_) anything = anything || (voice.active && !voice.paused);
    if (!anything || rate_ <= 0) {
        std::memset(buffer, silence, bytes);
        return;
    }

    size_t frames = bytes / bytesPerFrame;
    uint8_t* out = buffer;
    while (frames > 0) {
        int count = int(std::min<size_t>(frames, kChunkFrames));
        std::fill_n(moduleSum_.begin(), count * channels, 0);
        // Music alone (the common case) leaves the voice sum out altogether.
        bool voicesMixed = false;
        for (ModPlayer& player : players_)
            if (player.active && !player.paused) player.mix(moduleSum_.data(), count);
        for (Voice& voice : voices_) {
            if (!voice.active || voice.paused) continue;
            if (!voicesMixed) std::fill_n(voiceSum_.begin(), count * channels, 0);
            voicesMixed = true;
            MixVoice(voice, voiceSum_.data(), count, stereo_);
        }
        writeOutput(moduleSum_.data(), voicesMixed ? voiceSum_.data() : nullptr, count, out);
        out += size_t(count) * bytesPerFrame;
        frames -= size_t(count);
    }
    std::memset(out, silence, size_t(buffer + bytes - out));
}

void SoundMixer::writeOutput(const int32_t* moduleSum, const int32_t* voiceSum, int frames, uint8_t* out) {
    const int values = frames * (stereo_ ? 2 : 1);
    if (sixteenBit_ && !voiceSum) {
        int i = 0;
#if defined(__SSE2__)
        // A saturating pack is the clamp below, eight values at a time, and
        // x86 stores them in the file's little-endian order.
        for (; i + 8 <= values; i += 8) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(moduleSum + i));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(moduleSum + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_packs_epi32(low, high));
        }
#endif
        for (; i < values; ++i) {
            int32_t v = std::clamp<int32_t>(moduleSum[i], -32768, 32767);
            out[2 * i] = uint8_t(v & 0xFF);
            out[2 * i + 1] = uint8_t((v >> 8) & 0xFF);
        }
        return;
    }
    if (!voiceSum) {
        for (int i = 0; i < values; ++i) out[i] = uint8_t(std::clamp<int32_t>(moduleSum[i] / 256, -128, 127) + 128);
        return;
    }
    if (sixteenBit_) {
        for (int i = 0; i < values; ++i) {
            int32_t v = std::clamp<int32_t>(moduleSum[i] + voiceSum[i] / 128, -32768, 32767);
            out[2 * i] = uint8_t(v & 0xFF);
            out[2 * i + 1] = uint8_t((v >> 8) & 0xFF);
        }
    } else {
        for (int i = 0; i < values; ++i) {
            int32_t v = std::clamp<int32_t>((moduleSum[i] + voiceSum[i] / 128) / 256, -128, 127);
            out[i] = uint8_t(v + 128);
        }
    }
}

// ---- The process-wide mixer ------------------------------------------------------------

int CreateSoundMixer() {
    SoundState& state = State();
    if (state.programMixer) return kMixerAlreadyInitialised;
    const host::AudioFormat format = host::PreferredAudioFormat();
    state.programMixer = std::make_unique<SoundMixer>();
    return state.programMixer->init(format.rate, format.bits, format.channels == 2, kDefaultModPlayers,
                                    kDefaultVoices);
}

SoundMixer* GetSoundMixer() { return State().programMixer.get(); }

void PauseSoundOutput() {
    if (SoundMixer* mixer = GetSoundMixer()) mixer->pauseOutput();
}

void ResumeSoundOutput() {
    if (SoundMixer* mixer = GetSoundMixer()) mixer->resumeOutput();
}

void DestroySoundMixer() {
    SoundState& state = State();
    if (!state.programMixer) return;
    state.programMixer->shutdown();
    state.programMixer.reset();
}
