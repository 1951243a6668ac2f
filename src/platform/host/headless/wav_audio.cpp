#include <cstdio>
#include <cstring>

#include "platform/host/headless/null_audio.h"

namespace host {

namespace {

constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 40;

void PutU16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

// A canonical 44-byte PCM WAV header; the two sizes are patched on close.
void MakeHeader(uint8_t header[44], const AudioFormat& format, uint32_t dataBytes) {
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

// The null device's pacing, with every played buffer appended to a WAV file.
class WavAudioDevice : public NullAudioDevice {
public:
    WavAudioDevice(std::FILE* file, const AudioFormat& format, BufferDone done, void* context)
        : NullAudioDevice(format, done, context), file_(file) {}

    ~WavAudioDevice() override {
        stopThread();
        uint8_t header[44];
        MakeHeader(header, format_, dataBytes_);
        std::fseek(file_, kRiffSizeOffset, SEEK_SET);
        std::fwrite(header + kRiffSizeOffset, 1, 4, file_);
        std::fseek(file_, kDataSizeOffset, SEEK_SET);
        std::fwrite(header + kDataSizeOffset, 1, 4, file_);
        std::fclose(file_);
    }

protected:
    void played(const uint8_t* data, size_t bytes) override {
        // Stop short of the format's 4 GB limit rather than write a broken file.
        if (uint64_t(dataBytes_) + bytes > 0xFFFFFFFFull - 36) return;
        dataBytes_ += uint32_t(std::fwrite(data, 1, bytes, file_));
    }

private:
    std::FILE* file_;
    uint32_t dataBytes_ = 0;
};

}  // namespace

std::unique_ptr<AudioDevice> OpenWavAudioDevice(const std::string& path, const AudioFormat& format,
                                                AudioDevice::BufferDone done, void* context) {
    if (!IsUsableAudioFormat(format) || path.empty()) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "wbe");  // not handed to a relaunched successor
    if (!file) {
        std::fprintf(stderr, "karrowen: audio: cannot create \"%s\"; running silent\n", path.c_str());
        return nullptr;
    }
    uint8_t header[44];
    MakeHeader(header, format, 0);
    std::fwrite(header, 1, sizeof header, file);
    std::fprintf(stderr, "karrowen: audio: recording %d Hz %d-bit %s into \"%s\"\n", format.rate, format.bits,
                 format.channels == 2 ? "stereo" : "mono", path.c_str());
    return std::make_unique<WavAudioDevice>(file, format, done, context);
}

}  // namespace host
