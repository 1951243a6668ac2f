#include "sound/wave_sound.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "sound/adpcm_decoder.h"
#include "sound/byte_reader.h"
#include "sound/mixer_registry.h"

namespace {

constexpr uint16_t kFormatMsAdpcm = 2;
constexpr size_t kRiffHeaderBytes = 12;

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    uint16_t samplesPerBlock = 0;
    uint16_t coefficientCount = 0;
    int16_t coefficients[kMsAdpcmCoefficientCount][2] = {};
};

bool TagIs(const uint8_t* tag, const char* expected) { return std::memcmp(tag, expected, 4) == 0; }

// Reads the "fmt " chunk body; the reader stands at its first byte.
WaveFormat ReadFormat(ByteReader& in, uint32_t chunkSize) {
    ByteReader chunk(in.here(), std::min<size_t>(chunkSize, in.remaining()));
    WaveFormat format;
    format.formatTag = chunk.u16le();
    format.channels = chunk.u16le();
    format.rate = chunk.u32le();
    chunk.u32le();  // byte rate
    format.blockAlign = chunk.u16le();
    format.bits = chunk.u16le();
    if (format.formatTag == kFormatMsAdpcm && chunk.remaining() >= 6) {
        chunk.u16le();  // size of the extension
        format.samplesPerBlock = chunk.u16le();
        format.coefficientCount = chunk.u16le();
        for (int i = 0; i < kMsAdpcmCoefficientCount && i < format.coefficientCount; ++i) {
            format.coefficients[i][0] = chunk.s16le();
            format.coefficients[i][1] = chunk.s16le();
        }
    }
    return format;
}

// Moves the reader past a chunk body; RIFF pads odd-sized chunks to a word.
void SkipChunk(ByteReader& in, uint32_t chunkSize) { in.skip(size_t(chunkSize) + (chunkSize & 1)); }

std::vector<uint8_t> DecodeAdpcm(const uint8_t* data, size_t size, const WaveFormat& format) {
    MsAdpcmFormat adpcm;
    adpcm.channels = format.channels;
    adpcm.blockAlign = format.blockAlign;
    adpcm.samplesPerBlock = format.samplesPerBlock;
    std::memcpy(adpcm.coefficients, format.coefficients, sizeof adpcm.coefficients);
    std::vector<int16_t> samples;
    DecodeMsAdpcm(data, size, adpcm, samples);
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = uint8_t(samples[i] & 0xFF);
        bytes[2 * i + 1] = uint8_t((uint16_t(samples[i]) >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace

WaveSound::~WaveSound() { ForgetSoundInMixers(this); }

int WaveSound::loadFromMemory(const uint8_t* file, size_t size) {
    clearData();
    if (size < kRiffHeaderBytes) return kSoundBadStructure;
    ByteReader in(file, size);
    in.seek(kRiffHeaderBytes);

    uint8_t tag[4];
    for (uint8_t& b : tag) b = in.u8();
    uint32_t chunkSize = in.u32le();
    if (in.overrun() || !TagIs(tag, "fmt ")) return kSoundBadStructure;
    WaveFormat format = ReadFormat(in, chunkSize);
    SkipChunk(in, chunkSize);

    if (format.bits != 4 && format.bits != 8 && format.bits != 16) return kSoundBadFormat;
    if (format.channels != 1 && format.channels != 2) return kSoundBadFormat;
    // A rate of zero would hold a voice forever without advancing.
    if (format.rate == 0 || format.rate > uint32_t(std::numeric_limits<int>::max())) return kSoundBadFormat;

    for (;;) {
        for (uint8_t& b : tag) b = in.u8();
        chunkSize = in.u32le();
        if (in.overrun()) return kSoundBadStructure;
        if (TagIs(tag, "data")) break;
        SkipChunk(in, chunkSize);
    }
    if (chunkSize == 0) return kSoundBadStructure;
    // A truncated file keeps what it holds.
    size_t dataSize = std::min<size_t>(chunkSize, in.remaining());
    const uint8_t* data = in.here();

    std::vector<uint8_t> pcm;
    bool eightBitSamples = false;
    if (format.bits == 4) {
        if (format.formatTag != kFormatMsAdpcm || format.coefficientCount != kMsAdpcmCoefficientCount)
            return kSoundBadFormat;
        pcm = DecodeAdpcm(data, dataSize, format);
    } else {
        eightBitSamples = format.bits == 8;
        pcm.assign(data, data + dataSize);
    }
    setPcm(std::move(pcm), eightBitSamples, format.channels == 2, int(format.rate));
    if (frames == 0) {
        clearData();
        return kSoundBadStructure;
    }
    return kSoundOk;
}

void WaveSound::setPcm(std::vector<uint8_t> pcm, bool eightBitSamples, bool stereoFrames, int rate) {
    ForgetSoundInMixers(this);  // no voice may keep reading the old data
    data_ = std::move(pcm);
    eightBit = eightBitSamples;
    stereo = stereoFrames;
    frames = int64_t(eightBit ? data_.size() : data_.size() / 2);
    if (stereo) frames /= 2;
    nativeRate = frequency = rate;
    ownsData = !data_.empty();
}

void WaveSound::clearData() {
    ForgetSoundInMixers(this);
    data_.clear();
    data_.shrink_to_fit();
    frames = 0;
    ownsData = false;
}
