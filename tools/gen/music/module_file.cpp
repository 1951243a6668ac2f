#include "music/module_file.h"

#include <algorithm>
#include <cassert>

namespace {

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

void PutU16Be(std::vector<uint8_t>& out, size_t value) {
    assert(value <= 0xFFFF);
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value & 0xFF));
}

void PutSampleHeader(std::vector<uint8_t>& out, const ModSample* sample) {
    if (!sample) {
        PutText(out, "", 22);
        PutU16Be(out, 0);
        out.push_back(0);   // finetune
        out.push_back(0);   // volume
        PutU16Be(out, 0);   // loop start
        PutU16Be(out, 1);   // loop length: one word means no loop
        return;
    }
    assert(sample->data.size() % 2 == 0 && sample->data.size() <= kModMaxSampleBytes);
    assert(sample->loopStart % 2 == 0 && sample->loopLength % 2 == 0);
    assert(sample->loopStart + sample->loopLength <= sample->data.size());
    PutText(out, sample->name, 22);
    PutU16Be(out, sample->data.size() / 2);
    out.push_back(0);  // finetune 0: every sample is tuned by its own cycle length
    out.push_back(uint8_t(std::clamp(sample->volume, 0, 64)));
    PutU16Be(out, sample->loopLength ? sample->loopStart / 2 : 0);
    PutU16Be(out, sample->loopLength ? sample->loopLength / 2 : 1);
}

void PutCell(std::vector<uint8_t>& out, const ModCell& cell) {
    assert(cell.period >= 0 && cell.period < 0x1000 && cell.sample >= 0 && cell.sample <= kModMaxSamples);
    out.push_back(uint8_t((cell.sample & 0xF0) | (cell.period >> 8)));
    out.push_back(uint8_t(cell.period & 0xFF));
    out.push_back(uint8_t(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F)));
    out.push_back(uint8_t(cell.param));
}

}  // namespace

ModPattern EmptyPattern() { return ModPattern(size_t(kModRows * kModChannels)); }

ModCell& CellAt(ModPattern& pattern, int row, int channel) { return pattern[size_t(row * kModChannels + channel)]; }

const ModCell& CellAt(const ModPattern& pattern, int row, int channel) {
    return pattern[size_t(row * kModChannels + channel)];
}

std::vector<uint8_t> EncodeModule(const ModFile& module) {
    assert(module.samples.size() <= size_t(kModMaxSamples));
    assert(!module.orders.empty() && module.orders.size() <= size_t(kModMaxOrders));
    assert(module.patterns.size() <= size_t(kModMaxPatterns));
    std::vector<uint8_t> out;
    PutText(out, module.title, 20);
    for (int i = 0; i < kModMaxSamples; ++i)
        PutSampleHeader(out, size_t(i) < module.samples.size() ? &module.samples[size_t(i)] : nullptr);
    out.push_back(uint8_t(module.orders.size()));
    out.push_back(uint8_t(module.restartOrder));
    for (int i = 0; i < kModMaxOrders; ++i) {
        int pattern = size_t(i) < module.orders.size() ? module.orders[size_t(i)] : 0;
        assert(pattern >= 0 && size_t(pattern) < module.patterns.size());
        out.push_back(uint8_t(pattern));
    }
    PutText(out, "M.K.", 4);
    // The readers count patterns by the highest order entry, so exactly those are stored.
    int stored = 1 + *std::max_element(module.orders.begin(), module.orders.end());
    for (int p = 0; p < stored; ++p) {
        assert(module.patterns[size_t(p)].size() == size_t(kModRows * kModChannels));
        for (const ModCell& cell : module.patterns[size_t(p)]) PutCell(out, cell);
    }
    for (const ModSample& sample : module.samples)
        for (int8_t v : sample.data) out.push_back(uint8_t(v));
    return out;
}
