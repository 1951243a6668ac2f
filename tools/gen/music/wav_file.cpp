#include "music/wav_file.h"

#include <string>

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

void Append(std::vector<uint8_t>& out, const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) out.push_back(bytes[i]);
}

// The RIFF header, a "fmt " chunk with the common fields and `extra` after
// them, the optional chunks in `middle`, then the data chunk.
std::vector<uint8_t> Riff(int formatTag, int channels, int rate, int byteRate, int blockAlign, int bits,
                          const std::vector<uint8_t>& extra, const std::vector<uint8_t>& middle,
                          const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    PutLe(out, 0, 4);  // filled in below
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, uint32_t(16 + extra.size()), 4);
    PutLe(out, uint32_t(formatTag), 2);
    PutLe(out, uint32_t(channels), 2);
    PutLe(out, uint32_t(rate), 4);
    PutLe(out, uint32_t(byteRate), 4);
    PutLe(out, uint32_t(blockAlign), 2);
    PutLe(out, uint32_t(bits), 2);
    Append(out, extra.data(), extra.size());
    Append(out, middle.data(), middle.size());
    PutTag(out, "data");
    PutLe(out, uint32_t(size), 4);
    out.reserve(out.size() + size + 1);
    Append(out, data, size);
    if (size % 2) out.push_back(0);  // chunks are word-aligned
    uint32_t riffSize = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[size_t(4 + i)] = uint8_t(riffSize >> (8 * i));
    return out;
}

}  // namespace

std::vector<uint8_t> EncodeWavPcm8(const std::vector<uint8_t>& samples, int channels, int rate) {
    return Riff(1, channels, rate, rate * channels, channels, 8, {}, {}, samples.data(), samples.size());
}

std::vector<uint8_t> EncodeWavPcm16(const std::vector<int16_t>& samples, int channels, int rate) {
    std::vector<uint8_t> bytes;
    for (int16_t v : samples) PutLe(bytes, uint32_t(uint16_t(v)), 2);
    return Riff(1, channels, rate, rate * channels * 2, channels * 2, 16, {}, {}, bytes.data(), bytes.size());
}

std::vector<uint8_t> EncodeWavMsAdpcm(const MsAdpcmEncoding& encoding, int rate, uint32_t frames) {
    std::vector<uint8_t> extra;
    PutLe(extra, 4 + 7 * 4, 2);  // bytes that follow in this chunk
    PutLe(extra, uint32_t(encoding.samplesPerBlock), 2);
    PutLe(extra, 7, 2);
    for (const int16_t* pair : kMsAdpcmStandardCoefficients) {
        PutLe(extra, uint32_t(uint16_t(pair[0])), 2);
        PutLe(extra, uint32_t(uint16_t(pair[1])), 2);
    }
    std::vector<uint8_t> fact;
    PutTag(fact, "fact");
    PutLe(fact, 4, 4);
    PutLe(fact, frames, 4);
    int byteRate = int(int64_t(rate) * encoding.blockAlign / encoding.samplesPerBlock);
    return Riff(2, encoding.channels, rate, byteRate, encoding.blockAlign, 4, extra, fact, encoding.data.data(),
                encoding.data.size());
}
