#include "sound/adpcm_decoder.h"

#include <algorithm>

namespace {

// Microsoft's delta adaptation table, indexed by the 4-bit code.
constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMinimumDelta = 16;
// Well-formed files keep the delta far below this; the bound only stops a
// hostile stream from overflowing the arithmetic.
constexpr int64_t kMaximumDelta = 1 << 24;

struct ChannelState {
    int coefficient1 = 0;
    int coefficient2 = 0;
    int64_t delta = kMinimumDelta;
    int sample1 = 0;  // the newer of the two previous samples
    int sample2 = 0;
};

int16_t DecodeNibble(ChannelState& state, int code) {
    int64_t predicted = (int64_t(state.sample1) * state.coefficient1 + int64_t(state.sample2) * state.coefficient2) >> 8;
    int signedCode = code >= 8 ? code - 16 : code;
    int64_t sample = std::clamp<int64_t>(predicted + signedCode * state.delta, -32768, 32767);
    state.sample2 = state.sample1;
    state.sample1 = int(sample);
    state.delta = std::clamp<int64_t>(state.delta * kAdaptation[code] / 256, kMinimumDelta, kMaximumDelta);
    return int16_t(sample);
}

int16_t ReadS16(const uint8_t* p) { return int16_t(p[0] | (p[1] << 8)); }

// One block (possibly cut short by the end of the data). Returns false when its
// header is incomplete.
bool DecodeBlock(const uint8_t* block, size_t size, const MsAdpcmFormat& format, int samplesPerBlock,
                 std::vector<int16_t>& out) {
    const int channels = format.channels;
    if (size < size_t(MsAdpcmHeaderBytes(channels))) return false;
    ChannelState state[2];
    for (int c = 0; c < channels; ++c) {
        // A damaged block still decodes, with the first pair, rather than
        // ending the sound there.
        int predictor = block[c] < kMsAdpcmCoefficientCount ? block[c] : 0;
        state[c].coefficient1 = format.coefficients[predictor][0];
        state[c].coefficient2 = format.coefficients[predictor][1];
        state[c].delta = ReadS16(block + channels + 2 * c);
        state[c].sample1 = ReadS16(block + 3 * channels + 2 * c);
        state[c].sample2 = ReadS16(block + 5 * channels + 2 * c);
    }
    // The header's samples come first, the older one first.
    for (int c = 0; c < channels; ++c) out.push_back(int16_t(state[c].sample2));
    for (int c = 0; c < channels; ++c) out.push_back(int16_t(state[c].sample1));

    // Codes follow high nibble first; in stereo the channels alternate.
    const uint8_t* codes = block + MsAdpcmHeaderBytes(channels);
    size_t codeCount = (size - size_t(MsAdpcmHeaderBytes(channels))) * 2;
    size_t wanted = size_t(samplesPerBlock - 2) * size_t(channels);
    codeCount = std::min(codeCount, wanted);
    codeCount -= codeCount % size_t(channels);
    for (size_t i = 0; i < codeCount; ++i) {
        int code = (i & 1) ? codes[i / 2] & 0x0F : codes[i / 2] >> 4;
        out.push_back(DecodeNibble(state[i % size_t(channels)], code));
    }
    return true;
}

}  // namespace

bool DecodeMsAdpcm(const uint8_t* data, size_t size, const MsAdpcmFormat& format, std::vector<int16_t>& out) {
    if (format.channels < 1 || format.channels > 2) return false;
    const int headerBytes = MsAdpcmHeaderBytes(format.channels);
    if (format.blockAlign <= headerBytes) return false;
    // Two samples come from the header, two per code byte after it (per channel).
    const int capacity = (format.blockAlign - headerBytes) * 2 / format.channels + 2;
    int samplesPerBlock = capacity;
    if (format.samplesPerBlock >= 2 && format.samplesPerBlock < capacity) samplesPerBlock = format.samplesPerBlock;

    const size_t blockAlign = size_t(format.blockAlign);
    out.reserve(out.size() + size / blockAlign * size_t(samplesPerBlock) * size_t(format.channels) + 64);
    for (size_t offset = 0; offset < size; offset += blockAlign) {
        size_t blockSize = std::min(blockAlign, size - offset);
        if (!DecodeBlock(data + offset, blockSize, format, samplesPerBlock, out)) break;
    }
    return true;
}
