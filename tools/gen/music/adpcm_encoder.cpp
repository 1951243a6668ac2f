#include "music/adpcm_encoder.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

const int16_t kMsAdpcmStandardCoefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                    {240, 0}, {460, -208}, {392, -232}};

namespace {

constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMinimumDelta = 16;

struct ChannelCoder {
    int coefficient1 = 0;
    int coefficient2 = 0;
    int delta = kMinimumDelta;
    int sample1 = 0;  // the newer of the two previous decoded samples
    int sample2 = 0;

    // Picks the code whose decoded value lies nearest `target`, and moves the
    // state exactly as the decoder will.
    int encode(int target) {
        int64_t predicted = (int64_t(sample1) * coefficient1 + int64_t(sample2) * coefficient2) >> 8;
        int64_t miss = target - predicted;
        int64_t code = std::clamp<int64_t>((miss + (miss >= 0 ? delta / 2 : -delta / 2)) / delta, -8, 7);
        int decoded = int(std::clamp<int64_t>(predicted + code * delta, -32768, 32767));
        sample2 = sample1;
        sample1 = decoded;
        int nibble = int(code & 0x0F);
        delta = int(std::max<int64_t>(int64_t(delta) * kAdaptation[nibble] / 256, kMinimumDelta));
        return nibble;
    }
};

// A starting delta from the first steps of the block, so the first codes
// neither overshoot nor crawl.
int InitialDelta(const int16_t* frames, int count, int channels, int channel) {
    int sum = 0, n = 0;
    for (int i = 2; i < count && i < 6; ++i, ++n)
        sum += std::abs(frames[i * channels + channel] - frames[(i - 1) * channels + channel]);
    return std::clamp(n ? sum / n / 2 : kMinimumDelta, kMinimumDelta, 0x7FFF);
}

struct ChannelBlock {
    int predictor = 0;
    int delta = 0;
    std::vector<uint8_t> nibbles;
};

ChannelBlock EncodeChannel(const int16_t* frames, int count, int channels, int channel) {
    ChannelBlock best;
    int64_t bestError = INT64_MAX;
    for (int p = 0; p < 7; ++p) {
        ChannelCoder coder;
        coder.coefficient1 = kMsAdpcmStandardCoefficients[p][0];
        coder.coefficient2 = kMsAdpcmStandardCoefficients[p][1];
        coder.delta = InitialDelta(frames, count, channels, channel);
        coder.sample2 = frames[channel];
        coder.sample1 = frames[channels + channel];
        ChannelBlock trial{p, coder.delta, {}};
        int64_t error = 0;
        for (int i = 2; i < count; ++i) {
            int target = frames[i * channels + channel];
            trial.nibbles.push_back(uint8_t(coder.encode(target)));
            int64_t miss = target - coder.sample1;
            error += miss * miss;
        }
        if (error < bestError) bestError = error, best = std::move(trial);
    }
    return best;
}

void PutS16(std::vector<uint8_t>& out, int value) {
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t((value >> 8) & 0xFF));
}

}  // namespace

int MsAdpcmFramesPerBlock(int blockAlign, int channels) { return (blockAlign - 7 * channels) * 2 / channels + 2; }

MsAdpcmEncoding EncodeMsAdpcm(const std::vector<int16_t>& samples, int channels, int blockAlign) {
    assert((channels == 1 || channels == 2) && blockAlign > 7 * channels);
    MsAdpcmEncoding encoding;
    encoding.channels = channels;
    encoding.blockAlign = blockAlign;
    encoding.samplesPerBlock = MsAdpcmFramesPerBlock(blockAlign, channels);
    const int perBlock = encoding.samplesPerBlock;
    const size_t frames = samples.size() / size_t(channels);
    std::vector<int16_t> block(size_t(perBlock * channels));
    for (size_t first = 0; first < frames; first += size_t(perBlock)) {
        std::fill(block.begin(), block.end(), int16_t(0));
        size_t count = std::min(frames - first, size_t(perBlock));
        std::copy_n(samples.begin() + std::ptrdiff_t(first * size_t(channels)), count * size_t(channels), block.begin());

        ChannelBlock coded[2];
        for (int c = 0; c < channels; ++c) coded[c] = EncodeChannel(block.data(), perBlock, channels, c);
        std::vector<uint8_t>& out = encoding.data;
        for (int c = 0; c < channels; ++c) out.push_back(uint8_t(coded[c].predictor));
        for (int c = 0; c < channels; ++c) PutS16(out, coded[c].delta);
        for (int c = 0; c < channels; ++c) PutS16(out, block[size_t(channels + c)]);  // the newer header sample
        for (int c = 0; c < channels; ++c) PutS16(out, block[size_t(c)]);
        // Codes high nibble first; in stereo the channels alternate.
        std::vector<uint8_t> interleaved;
        for (size_t i = 0; i < coded[0].nibbles.size(); ++i)
            for (int c = 0; c < channels; ++c) interleaved.push_back(coded[c].nibbles[i]);
        for (size_t i = 0; i + 1 < interleaved.size(); i += 2) out.push_back(uint8_t(interleaved[i] << 4 | interleaved[i + 1]));
        if (interleaved.size() % 2) out.push_back(uint8_t(interleaved.back() << 4));
    }
    return encoding;
}
