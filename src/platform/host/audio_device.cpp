#include "platform/host/audio_device.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/host/backend.h"
#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/port_options.h"

namespace host {

bool IsUsableAudioFormat(const AudioFormat& format) {
    return format.rate >= 1000 && format.rate <= 384000 && (format.bits == 8 || format.bits == 16) &&
           (format.channels == 1 || format.channels == 2);
}

AudioFormat PreferredAudioFormat() {
    const HostOptions& options = Options();
    const DeviceProfile& profile = Profile();
    AudioFormat format{profile.audioRate, profile.audioBits, profile.audioChannels};
    if (options.audioRate > 0) format.rate = options.audioRate;
    if (options.audioBits > 0) format.bits = options.audioBits;
    if (options.audioStereo >= 0) format.channels = options.audioStereo ? 2 : 1;
    return format;
}

void ScaleToVolume(const AudioFormat& format, uint8_t* data, size_t bytes, int volume) {
    if (format.bits == 16) {
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            const int sample = int16_t(uint16_t(data[i] | data[i + 1] << 8)) * volume / 100;
            data[i] = uint8_t(sample & 0xFF);
            data[i + 1] = uint8_t((sample >> 8) & 0xFF);
        }
    } else {
        for (size_t i = 0; i < bytes; ++i) data[i] = uint8_t((int(data[i]) - 128) * volume / 100 + 128);
    }
}

namespace {

// Scales every buffer before the device plays it.
class VolumeControl : public AudioDevice {
public:
    VolumeControl(std::unique_ptr<AudioDevice> device, const AudioFormat& format)
        : device_(std::move(device)), format_(format), volume_(Core().outputVolume) {}

    bool write(const uint8_t* data, size_t bytes) override {
        const int volume = volume_->load(std::memory_order_relaxed);
        if (volume >= 100) return device_->write(data, bytes);
        scaled_.assign(data, data + bytes);
        ScaleToVolume(format_, scaled_.data(), bytes, volume);
        return device_->write(scaled_.data(), bytes);
    }
    void pause() override { device_->pause(); }
    void resume() override { device_->resume(); }
    void reset() override { device_->reset(); }

private:
    std::unique_ptr<AudioDevice> device_;
    AudioFormat format_;
    std::vector<uint8_t> scaled_;  // a device is written by one thread at a time
    std::shared_ptr<const std::atomic<int>> volume_;
};

// The device the audio option names as NAME or NAME:ARGUMENT; "auto" is the
// device of the same name as the window backend, else the null device.
std::unique_ptr<AudioDevice> OpenChosenDevice(const AudioFormat& format, AudioDevice::BufferDone done, void* context) {
    EnsureInitialized();
    const HostCore& c = Core();
    const std::string& choice = c.options.audio;
    const size_t colon = choice.find(':');
    std::string name = choice.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : choice.substr(colon + 1);
    if (name == "auto") {
        name = kNullAudio.name;
        for (const AudioBootstrap& entry : c.audioBackends)
            if (std::strcmp(entry.name, c.backend->name()) == 0) name = entry.name;
    }
    for (const AudioBootstrap& entry : c.audioBackends)
        if (name == entry.name) return entry.open(argument, format, done, context);
    std::fprintf(stderr, "karrowen: unknown audio device \"%s\"; running silent\n", choice.c_str());
    return nullptr;
}

}  // namespace

std::unique_ptr<AudioDevice> OpenAudioDevice(const AudioFormat& format, AudioDevice::BufferDone done, void* context) {
    if (!IsUsableAudioFormat(format)) return nullptr;
    std::unique_ptr<AudioDevice> device = OpenChosenDevice(format, done, context);
    if (!device) return device;
    *Core().outputVolume = std::clamp(OutputVolume(), 0, 100);
    return std::make_unique<VolumeControl>(std::move(device), format);
}

void SetOutputVolume(int percent) { *Core().outputVolume = std::clamp(percent, 0, 100); }

bool RaiseThreadPriority() {
#if !defined(SYS_gettid)
    return false;  // a system without thread ids (a web page) has no threads to raise
#else
    // Linux keeps a nice value per thread; one step less nice is one step up.
    // Unprivileged processes may not lower it, which leaves the thread at normal.
    const id_t thread = id_t(syscall(SYS_gettid));
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, thread);
    if (errno != 0) return false;
    return setpriority(PRIO_PROCESS, thread, nice - 1) == 0;
#endif
}

}  // namespace host
