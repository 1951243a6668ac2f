#pragma once
// Builders for the sound files the tests need, made in memory: WAV files with
// any format fields and 31-instrument modules with hand-placed cells.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace soundtest {

inline void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

inline void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

struct WavFormat {
    int formatTag = 1;
    int channels = 1;
    int rate = 8000;
    int bits = 8;
    int blockAlign = 0;       // 0: channels x bits / 8
    std::vector<uint8_t> fmtExtra;  // bytes after the 16 standard format bytes
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunksBeforeData;
    int declaredDataSize = -1;  // -1: the real size
};

// RIFF header, "fmt " chunk, optional chunks, "data" chunk.
inline std::vector<uint8_t> MakeWav(const WavFormat& format, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    PutLe(out, 0, 4);  // RIFF size: not checked by the reader
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, uint32_t(16 + format.fmtExtra.size()), 4);
    PutLe(out, uint32_t(format.formatTag), 2);
    PutLe(out, uint32_t(format.channels), 2);
    PutLe(out, uint32_t(format.rate), 4);
    int blockAlign = format.blockAlign ? format.blockAlign : format.channels * format.bits / 8;
    PutLe(out, uint32_t(format.rate * blockAlign), 4);
    PutLe(out, uint32_t(blockAlign), 2);
    PutLe(out, uint32_t(format.bits), 2);
    out.insert(out.end(), format.fmtExtra.begin(), format.fmtExtra.end());
    for (const auto& [tag, body] : format.chunksBeforeData) {
        PutTag(out, tag.c_str());
        PutLe(out, uint32_t(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
        if (body.size() & 1) out.push_back(0);
    }
    PutTag(out, "data");
    PutLe(out, uint32_t(format.declaredDataSize >= 0 ? format.declaredDataSize : int(data.size())), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// The standard MS-ADPCM coefficient set, as a format extension for MakeWav.
inline std::vector<uint8_t> AdpcmFormatExtra(int samplesPerBlock, int coefficientCount = 7) {
    static const int16_t kCoefficients[7][2] = {{256, 0},   {512, -256}, {0, 0},     {192, 64},
                                                {240, 0},   {460, -208}, {392, -232}};
    std::vector<uint8_t> extra;
    PutLe(extra, uint32_t(4 + 4 * coefficientCount), 2);  // extension size
    PutLe(extra, uint32_t(samplesPerBlock), 2);
    PutLe(extra, uint32_t(coefficientCount), 2);
    for (int i = 0; i < coefficientCount; ++i) {
        PutLe(extra, uint16_t(kCoefficients[i % 7][0]), 2);
        PutLe(extra, uint16_t(kCoefficients[i % 7][1]), 2);
    }
    return extra;
}

struct InstrumentSample {
    int finetune = 0;
    int volume = 64;
    int loopStartWords = 0;
    int loopLengthWords = 1;
    int declaredWords = -1;   // -1: the data's own length
    std::vector<int8_t> data;
};

// A 31-instrument module with `channels` channels and the given tag.
class ModuleBuilder {
public:
    explicit ModuleBuilder(int channels = 4, const char* tag = "M.K.") : channels_(channels) {
        std::memcpy(tag_, tag, 4);
        orders_.fill(0);
    }

    ModuleBuilder& order(std::vector<int> orders) {
        songLength_ = int(orders.size());
        for (size_t i = 0; i < orders.size(); ++i) orders_[i] = uint8_t(orders[i]);
        return *this;
    }
    ModuleBuilder& restart(int position) {
        restart_ = position;
        return *this;
    }
    ModuleBuilder& sample(int number, InstrumentSample format) {
        samples_[size_t(number - 1)] = std::move(format);
        return *this;
    }
    // Sets one cell: sample number, Amiga period, effect and parameter.
    ModuleBuilder& cell(int pattern, int row, int channel, int sampleNumber, int period, int effect, int param) {
        size_t offset = ((size_t(pattern) * 64 + size_t(row)) * size_t(channels_) + size_t(channel)) * 4;
        if (patterns_.size() < offset + 4) patterns_.resize((size_t(pattern) + 1) * 64 * size_t(channels_) * 4, 0);
        patterns_[offset] = uint8_t((sampleNumber & 0xF0) | ((period >> 8) & 0x0F));
        patterns_[offset + 1] = uint8_t(period & 0xFF);
        patterns_[offset + 2] = uint8_t(((sampleNumber & 0x0F) << 4) | (effect & 0x0F));
        patterns_[offset + 3] = uint8_t(param);
        return *this;
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out(20, 0);  // title
        for (const InstrumentSample& s : samples_) {
            out.resize(out.size() + 22, 0);  // name
            auto putBigEndian = [&out](int words) { out.insert(out.end(), {uint8_t(words >> 8), uint8_t(words)}); };
            putBigEndian(s.declaredWords >= 0 ? s.declaredWords : int(s.data.size() / 2));
            out.insert(out.end(), {uint8_t(s.finetune & 0x0F), uint8_t(s.volume)});
            putBigEndian(s.loopStartWords);
            putBigEndian(s.loopLengthWords);
        }
        out.push_back(uint8_t(songLength_));
        out.push_back(uint8_t(restart_));
        out.insert(out.end(), orders_.begin(), orders_.end());
        out.insert(out.end(), tag_, tag_ + 4);
        // Every pattern up to the highest order entry is present.
        int highest = 0;
        for (uint8_t o : orders_) highest = o > highest ? o : highest;
        std::vector<uint8_t> patterns = patterns_;
        patterns.resize(size_t(highest + 1) * 64 * size_t(channels_) * 4, 0);
        out.insert(out.end(), patterns.begin(), patterns.end());
        for (const InstrumentSample& s : samples_)
            for (int8_t v : s.data) out.push_back(uint8_t(v));
        return out;
    }

private:
    int channels_;
    char tag_[4];
    int songLength_ = 1;
    int restart_ = 127;
    std::array<uint8_t, 128> orders_;
    std::array<InstrumentSample, 31> samples_{};
    std::vector<uint8_t> patterns_;
};

}  // namespace soundtest
