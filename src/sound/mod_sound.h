#pragma once
// A 31-instrument tracker module, kept whole in memory: the module player reads
// its patterns and samples in place.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/sound_base.h"

// Offset of the four-byte format tag in a 31-instrument module.
constexpr size_t kModuleTagOffset = 1080;
// Offset of the first pattern.
constexpr size_t kModulePatternOffset = 1084;
// Channel counts above this are refused: no module format in use has more.
constexpr int kMaxModuleChannels = 32;

// The channel count a format tag announces ("M.K.", "M!K!", "6CHN", "8CHN",
// "12CH" ...), or 0 for a tag this player does not know.
int ModuleChannelCount(const uint8_t tag[4]);

class ModSound : public SoundBase {
public:
    ModSound() : SoundBase(SoundKind::Module) { nativeRate = frequency = 44100; }
    ~ModSound() override;

    // Takes a whole module file. Returns kSoundOk, kSoundBadFormat for an
    // unknown tag, kSoundBadStructure for a file too short to hold a tag; on
    // failure the sound keeps no data.
    int loadFromMemory(const uint8_t* file, size_t size);
    int load(const std::u16string& folder, const std::u16string& fileName);

    void clearData();
    bool hasData() const override { return !data_.empty(); }
    const std::vector<uint8_t>& moduleData() const { return data_; }
    // A number from 0 to 2^31 - 1 that tells this module from another (a
    // hash of its header: title, samples and song); 0 without data.
    int32_t identity() const;

    int channels = 0;

private:
    std::vector<uint8_t> data_;
};
