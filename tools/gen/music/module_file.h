#pragma once
// A four-channel, 31-instrument "M.K." module as the composer builds it, and
// its encoding into the classic file layout: title, 31 sample headers, song
// length, restart position, 128 orders, the tag, 64-row patterns of 4-byte
// cells, then the signed 8-bit sample data in header order.

#include <cstdint>
#include <string>
#include <vector>

constexpr int kModChannels = 4;
constexpr int kModRows = 64;
constexpr int kModMaxSamples = 31;
constexpr int kModMaxOrders = 128;
constexpr int kModMaxPatterns = 64;
// Classic players read sample lengths as 16-bit word counts.
constexpr size_t kModMaxSampleBytes = 2 * 65535;

struct ModSample {
    std::string name;           // at most 22 characters are kept
    std::vector<int8_t> data;   // even length, at most kModMaxSampleBytes
    int volume = 64;            // 0 ... 64
    size_t loopStart = 0;       // bytes, even
    size_t loopLength = 0;      // bytes, even; 0: no loop
};

struct ModCell {
    int period = 0;             // 0: no note
    int sample = 0;             // 1 ... 31, 0: keep the channel's instrument
    int effect = 0;             // 0x0 ... 0xF
    int param = 0;              // 0x00 ... 0xFF
    bool hasEffect() const { return effect != 0 || param != 0; }
};

using ModPattern = std::vector<ModCell>;  // kModRows rows of kModChannels cells, row-major

struct ModFile {
    std::string title;          // at most 20 characters are kept
    std::vector<ModSample> samples;
    std::vector<ModPattern> patterns;
    std::vector<int> orders;
    int restartOrder = 0;
};

ModPattern EmptyPattern();
ModCell& CellAt(ModPattern& pattern, int row, int channel);
const ModCell& CellAt(const ModPattern& pattern, int row, int channel);

// The file's bytes. The caller keeps the limits above; they are asserted.
std::vector<uint8_t> EncodeModule(const ModFile& module);
