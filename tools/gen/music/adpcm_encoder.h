#pragma once
// Microsoft ADPCM encoding, the counterpart of the game's decoder: blocks of
// 4-bit codes, each block opening with a header per channel (predictor index,
// initial delta, the first two samples). For each block and channel the
// encoder tries all seven standard predictors and keeps the one whose
// decoded result lies closest to the input.

#include <cstdint>
#include <vector>

struct MsAdpcmEncoding {
    int channels = 1;
    int blockAlign = 0;        // bytes per block
    int samplesPerBlock = 0;   // frames per block, the two header frames included
    std::vector<uint8_t> data; // whole blocks; the last one is padded with silence
};

// The seven standard coefficient pairs (8.8 fixed point), as every MS-ADPCM
// file lists them.
extern const int16_t kMsAdpcmStandardCoefficients[7][2];

// Frames per block for a block size and channel count.
int MsAdpcmFramesPerBlock(int blockAlign, int channels);

// Encodes interleaved 16-bit samples (channels 1 or 2). blockAlign must leave
// room for the headers and at least one byte of codes.
MsAdpcmEncoding EncodeMsAdpcm(const std::vector<int16_t>& samples, int channels, int blockAlign);
