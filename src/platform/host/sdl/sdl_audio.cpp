// SDL audio behind the wave-out-shaped device: SDL pulls from a queue of
// written buffers and every buffer it finishes is reported played.

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/host/sdl/sdl_backends.h"

namespace host {

namespace {

class SdlAudioDevice : public AudioDevice {
public:
    SdlAudioDevice(BufferDone done, void* context, uint8_t silence)
        : done_(done), context_(context), silence_(silence) {}

    ~SdlAudioDevice() override {
        // Closing waits for a running callback, so none follows.
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open(const AudioFormat& format) {
        SDL_AudioSpec want{};
        want.freq = format.rate;
        want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        want.channels = uint8_t(format.channels);
        want.samples = format.rate > 16000 ? 1024 : 256;
        want.callback = &SdlAudioDevice::pull;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the hardware wants.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) return false;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    bool write(const uint8_t* data, size_t bytes) override {
        SDL_LockAudioDevice(device_);
        queue_.emplace_back(data, data + bytes);
        SDL_UnlockAudioDevice(device_);
        return true;
    }

    void pause() override { SDL_PauseAudioDevice(device_, 1); }
    void resume() override { SDL_PauseAudioDevice(device_, 0); }

    void reset() override {
        SDL_LockAudioDevice(device_);
        queue_.clear();
        frontOffset_ = 0;
        SDL_UnlockAudioDevice(device_);
    }

private:
    // Runs on SDL's audio thread with the device locked.
    static void SDLCALL pull(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlAudioDevice*>(userdata);
        size_t wanted = size_t(length);
        int finished = 0;
        while (wanted > 0 && !self->queue_.empty()) {
            std::vector<uint8_t>& front = self->queue_.front();
            size_t count = std::min(wanted, front.size() - self->frontOffset_);
            std::memcpy(stream, front.data() + self->frontOffset_, count);
            stream += count;
            wanted -= count;
            self->frontOffset_ += count;
            if (self->frontOffset_ == front.size()) {
                self->queue_.pop_front();
                self->frontOffset_ = 0;
                ++finished;
            }
        }
        std::memset(stream, self->silence_, wanted);  // underrun
        for (int i = 0; i < finished; ++i)
            if (self->done_) self->done_(self->context_);
    }

    BufferDone done_;
    void* context_;
    uint8_t silence_;
    SDL_AudioDeviceID device_ = 0;
    std::deque<std::vector<uint8_t>> queue_;
    size_t frontOffset_ = 0;
};

std::unique_ptr<AudioDevice> OpenSdlAudioDevice(const std::string&, const AudioFormat& format,
                                                AudioDevice::BufferDone done, void* context) {
    if (!IsUsableAudioFormat(format)) return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "karrowen: audio: SDL audio unavailable: %s\n", SDL_GetError());
        return nullptr;
    }
    auto device = std::make_unique<SdlAudioDevice>(done, context, format.bits == 8 ? 128 : 0);
    if (!device->open(format)) {
        std::fprintf(stderr, "karrowen: audio: no SDL audio device: %s\n", SDL_GetError());
        return nullptr;  // the destructor quits the subsystem again
    }
    return device;
}

}  // namespace

const AudioBootstrap kSdlAudio = {"sdl", OpenSdlAudioDevice};

}  // namespace host
