#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/host/backend.h"
#include "platform/host/headless/null_audio.h"
#include "platform/host/host.h"
#include "platform/host/host_core.h"

namespace host {

namespace {

constexpr size_t kHeaderBytes = 44;
constexpr off_t kRiffSizeOffset = 4;
constexpr off_t kDataSizeOffset = 40;

void PutU16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

uint32_t GetU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// A canonical 44-byte PCM WAV header.
void MakeHeader(uint8_t header[kHeaderBytes], const AudioFormat& format, uint32_t dataBytes) {
    const uint32_t blockAlign = uint32_t(format.bytesPerFrame());
    std::memcpy(header, "RIFF", 4);
    PutU32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutU32(header + 16, 16);
    PutU16(header + 20, 1);  // PCM
    PutU16(header + 22, uint32_t(format.channels));
    PutU32(header + 24, uint32_t(format.rate));
    PutU32(header + 28, uint32_t(format.rate) * blockAlign);
    PutU16(header + 32, blockAlign);
    PutU16(header + 34, uint32_t(format.bits));
    std::memcpy(header + 36, "data", 4);
    PutU32(header + 40, dataBytes);
}

// The sound bytes a recording of `format` already holds, or -1 when the file
// is not one this program wrote in that format. Whatever lies past them is a
// write that a killed process left unfinished, and is cut off.
int64_t RecordedBytes(int fd, const AudioFormat& format) {
    uint8_t found[kHeaderBytes], expected[kHeaderBytes];
    if (pread(fd, found, kHeaderBytes, 0) != ssize_t(kHeaderBytes)) return -1;
    const uint32_t dataBytes = GetU32(found + kDataSizeOffset);
    MakeHeader(expected, format, dataBytes);
    const off_t size = lseek(fd, 0, SEEK_END);
    if (std::memcmp(found, expected, kHeaderBytes) != 0 || size < off_t(kHeaderBytes + dataBytes) ||
        dataBytes % uint32_t(format.bytesPerFrame()) != 0 || ftruncate(fd, off_t(kHeaderBytes + dataBytes)) != 0)
        return -1;
    return dataBytes;
}

// The null device's pacing, with every played buffer appended to a WAV file.
// The header is brought up to date after each buffer, so the file is whole
// wherever the run ends: at a relaunch, at the end, or at a crash.
class WavAudioDevice : public NullAudioDevice {
public:
    WavAudioDevice(int fd, uint32_t dataBytes, const AudioFormat& format, BufferDone done, void* context)
        : NullAudioDevice(format, done, context), core_(Core()), fd_(fd), dataBytes_(dataBytes) {
        std::lock_guard<std::mutex> guard(core_.recordingLock);
        core_.recording = this;
    }

    ~WavAudioDevice() override {
        stopThread();
        std::lock_guard<std::mutex> guard(core_.recordingLock);
        end();
    }

    // Closes the file; nothing is recorded from then on. Called under the lock.
    void end() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (core_.recording == this) core_.recording = nullptr;
    }

protected:
    void played(const uint8_t* data, size_t bytes) override {
        std::lock_guard<std::mutex> guard(core_.recordingLock);
        // Stop short of the format's 4 GB limit rather than write a broken file.
        if (fd_ < 0 || uint64_t(dataBytes_) + bytes > 0xFFFFFFFFull - 36) return;
        const ssize_t written = pwrite(fd_, data, bytes, off_t(kHeaderBytes + dataBytes_));
        if (written <= 0) return;
        dataBytes_ += uint32_t(written) - uint32_t(written) % uint32_t(format_.bytesPerFrame());
        uint8_t header[kHeaderBytes];
        MakeHeader(header, format_, dataBytes_);
        if (pwrite(fd_, header + kRiffSizeOffset, 4, kRiffSizeOffset) != 4 ||
            pwrite(fd_, header + kDataSizeOffset, 4, kDataSizeOffset) != 4)
            end();
    }

private:
    HostCore& core_;  // taken on the program's thread; the output thread only uses it
    int fd_;
    uint32_t dataBytes_;
};

}  // namespace

std::unique_ptr<AudioDevice> OpenWavAudioDevice(const std::string& path, const AudioFormat& format,
                                                AudioDevice::BufferDone done, void* context, bool append) {
    if (!IsUsableAudioFormat(format) || path.empty()) return nullptr;
    // O_CLOEXEC: a relaunched successor opens the file itself.
    int fd = append ? ::open(path.c_str(), O_RDWR | O_CLOEXEC) : -1;
    int64_t recorded = fd >= 0 ? RecordedBytes(fd, format) : -1;
    if (append && recorded < 0)
        std::fprintf(stderr, "karrowen: audio: \"%s\" holds no recording to continue; starting it afresh\n",
                     path.c_str());
    if (recorded < 0) {
        if (fd >= 0) ::close(fd);
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        uint8_t header[kHeaderBytes];
        MakeHeader(header, format, 0);
        if (fd >= 0 && pwrite(fd, header, kHeaderBytes, 0) != ssize_t(kHeaderBytes)) {
            ::close(fd);
            fd = -1;
        }
        recorded = 0;
    }
    if (fd < 0) {
        std::fprintf(stderr, "karrowen: audio: cannot create \"%s\"; running silent\n", path.c_str());
        return nullptr;
    }
    std::fprintf(stderr, "karrowen: audio: recording %d Hz %d-bit %s %s \"%s\"\n", format.rate, format.bits,
                 format.channels == 2 ? "stereo" : "mono", recorded > 0 ? "onto the end of" : "into", path.c_str());
    return std::make_unique<WavAudioDevice>(fd, uint32_t(recorded), format, done, context);
}

namespace {
// What a recording may owe the virtual clock before the program waits for it:
// a little over one mixer buffer (30 ms).
constexpr int kSlackMs = 40;
}  // namespace

void KeepPaceWithAudioRecording() {
    WavAudioDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> guard(Core().recordingLock);
        device = static_cast<WavAudioDevice*>(Core().recording);
    }
    // The device is closed only on the program's thread, which waits here.
    if (device) device->awaitCaughtUp(kSlackMs, 250);
}

void EndAudioRecording() {
    KeepPaceWithAudioRecording();
    std::lock_guard<std::mutex> guard(Core().recordingLock);
    if (Core().recording) static_cast<WavAudioDevice*>(Core().recording)->end();
}

// A relaunched process appends to the recording its predecessor made.
const AudioBootstrap kWavAudio = {
    "wav", [](const std::string& path, const AudioFormat& format, AudioDevice::BufferDone done, void* context) {
        return OpenWavAudioDevice(path, format, done, context, Options().relaunched);
    }};

}  // namespace host
