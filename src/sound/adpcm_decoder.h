#pragma once
// Microsoft ADPCM (WAVE format tag 2): 4-bit codes in blocks, each block
// opening with a header per channel (predictor index, initial delta and the
// first two samples). The scheme and its adaptation table are Microsoft's
// published ones.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kMsAdpcmCoefficientCount = 7;

struct MsAdpcmFormat {
    int channels = 1;          // 1 or 2
    int blockAlign = 0;        // bytes per block, header included
    int samplesPerBlock = 0;   // per channel; 0: as many as the block holds
    int16_t coefficients[kMsAdpcmCoefficientCount][2] = {};
};

// Bytes of the block header for this many channels.
constexpr int MsAdpcmHeaderBytes(int channels) { return 7 * channels; }

// Decodes every block of `data` into interleaved signed 16-bit samples,
// appended to `out`. A final partial block yields the samples its bytes hold.
// Decoding stops at a block whose header is cut short; a block naming a
// predictor outside the table uses the first one. Returns false when the
// format cannot be decoded at all.
bool DecodeMsAdpcm(const uint8_t* data, size_t size, const MsAdpcmFormat& format, std::vector<int16_t>& out);
