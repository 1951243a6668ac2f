#pragma once
// A sample from a RIFF WAVE file: 8-bit unsigned or 16-bit signed PCM, mono or
// stereo; 4-bit MS-ADPCM is decoded to 16-bit at load time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/sound_base.h"

class WaveSound : public SoundBase {
public:
    WaveSound() : SoundBase(SoundKind::Sample) {}
    ~WaveSound() override;

    // Parses a whole WAV file held in memory. Returns kSoundOk, kSoundBadFormat
    // or kSoundBadStructure; on failure the sound keeps no data.
    int loadFromMemory(const uint8_t* file, size_t size);
    // Reads folder + fileName through the resource layer, then parses it. A
    // missing file is reported to the player and gives kSoundMissingFile.
    int load(const std::u16string& folder, const std::u16string& fileName);

    // Takes ready PCM frames (8-bit unsigned or 16-bit little-endian signed).
    void setPcm(std::vector<uint8_t> pcm, bool eightBitSamples, bool stereoFrames, int rate);
    void clearData();

    bool hasData() const override { return frames > 0; }
    const uint8_t* sampleData() const { return data_.data(); }
    size_t sampleBytes() const { return data_.size(); }

    bool eightBit = false;    // unsigned bytes, else signed 16-bit little-endian
    bool stereo = false;      // frames of two interleaved values
    int64_t frames = 0;
    int maxInstances = -1;    // -1: any number of voices may play it at once

private:
    std::vector<uint8_t> data_;
};
