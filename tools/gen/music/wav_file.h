#pragma once
// RIFF WAVE files as the game reads them: 8-bit unsigned or 16-bit signed PCM
// (format tag 1) and 4-bit Microsoft ADPCM (format tag 2, with its seven
// coefficient pairs and a "fact" chunk giving the frame count).

#include <cstdint>
#include <vector>

#include "music/adpcm_encoder.h"

// `samples` are interleaved when `channels` is 2.
std::vector<uint8_t> EncodeWavPcm8(const std::vector<uint8_t>& samples, int channels, int rate);
std::vector<uint8_t> EncodeWavPcm16(const std::vector<int16_t>& samples, int channels, int rate);
// `frames` is the count before the last block was padded.
std::vector<uint8_t> EncodeWavMsAdpcm(const MsAdpcmEncoding& encoding, int rate, uint32_t frames);
