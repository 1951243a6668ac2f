#include "sound/mod_sound.h"

#include <algorithm>

#include "sound/mixer_registry.h"

namespace {
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
}  // namespace

int ModuleChannelCount(const uint8_t tag[4]) {
    if (tag[0] == 'M' && tag[2] == 'K') return 4;  // M.K. and M!K!
    if (tag[1] != 'C' && tag[2] != 'C') return 0;
    if (!IsDigit(tag[0])) return 0;
    int count = tag[0] - '0';
    if (IsDigit(tag[1])) count = count * 10 + (tag[1] - '0');
    return count <= kMaxModuleChannels ? count : 0;
}

ModSound::~ModSound() { ForgetSoundInMixers(this); }

void ModSound::clearData() {
    ForgetSoundInMixers(this);  // no player may keep reading the old data
    data_.clear();
    data_.shrink_to_fit();
    channels = 0;
    ownsData = false;
}

int32_t ModSound::identity() const {
    if (data_.empty()) return 0;
    // FNV-1a, 32 bits.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < std::min(data_.size(), kModulePatternOffset); ++i) hash = (hash ^ data_[i]) * 16777619u;
    return int32_t(hash & 0x7FFFFFFF);
}

int ModSound::loadFromMemory(const uint8_t* file, size_t size) {
    clearData();
    if (size < kModulePatternOffset) return kSoundBadStructure;
    int count = ModuleChannelCount(file + kModuleTagOffset);
    if (count == 0) return kSoundBadFormat;
    data_.assign(file, file + size);
    channels = count;
    nativeRate = frequency = 44100;
    pan = 128;
    ownsData = true;
    return kSoundOk;
}
