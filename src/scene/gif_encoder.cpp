// GIF writing after the GIF89a description. The LZW side mirrors the decoder:
// codes grow by one bit at the same moment the decoder's table fills the
// current width, and a clear code follows as soon as the 4096-entry table is
// full, so no decoder ever needs a deferred clear.

#include "scene/gif_encoder.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace {

constexpr int kMaxCodes = 4096;

class BitWriter {
public:
    void put(int code, int size) {
        pending_ |= uint64_t(code) << bits_;
        bits_ += size;
        while (bits_ >= 8) {
            out_.push_back(uint8_t(pending_));
            pending_ >>= 8;
            bits_ -= 8;
        }
    }
    std::vector<uint8_t> finish() {
        if (bits_ > 0) out_.push_back(uint8_t(pending_));
        bits_ = 0;
        pending_ = 0;
        return std::move(out_);
    }

private:
    std::vector<uint8_t> out_;
    uint64_t pending_ = 0;
    int bits_ = 0;
};

// The string table: (prefix code, next index) -> code, open addressing.
class StringTable {
public:
    void clear() { slots_.fill(Slot{}); }
    int find(int prefix, int index) const {
        uint32_t key = Key(prefix, index);
        for (uint32_t i = Hash(key);; i = (i + 1) & kMask) {
            if (slots_[i].key == 0) return -1;
            if (slots_[i].key == key) return slots_[i].code;
        }
    }
    void insert(int prefix, int index, int code) {
        uint32_t key = Key(prefix, index);
        uint32_t i = Hash(key);
        while (slots_[i].key != 0) i = (i + 1) & kMask;
        slots_[i] = Slot{key, uint16_t(code)};
    }

private:
    static constexpr uint32_t kSize = 8192, kMask = kSize - 1;
    struct Slot {
        uint32_t key = 0;  // 0: empty
        uint16_t code = 0;
    };
    static uint32_t Key(int prefix, int index) { return (uint32_t(prefix) << 8 | uint32_t(index)) + 1; }
    static uint32_t Hash(uint32_t key) { return (key * 2654435761u) >> 19 & kMask; }
    std::array<Slot, kSize> slots_{};
};

void PutU16(std::vector<uint8_t>& out, int v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}

// Bits per index of a palette: 1 .. 8.
int PaletteBits(size_t colours) {
    int bits = 1;
    while (bits < 8 && (size_t(1) << bits) < colours) ++bits;
    return bits;
}

void PutPalette(std::vector<uint8_t>& out, const std::vector<uint32_t>& palette, int bits) {
    for (size_t i = 0; i < (size_t(1) << bits); ++i) {
        uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(uint8_t(c >> 16));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c));
    }
}

// The frame's indices in the order they are stored: rows in the interlace
// passes when interlaced, padded or cut to width x height, below `limit`.
std::vector<uint8_t> StoredIndices(const GifFrame& frame, int limit) {
    size_t w = size_t(std::max(frame.width, 0)), h = size_t(std::max(frame.height, 0));
    std::vector<uint8_t> rows;
    rows.reserve(w * h);
    auto putRow = [&](size_t y) {
        for (size_t x = 0; x < w; ++x) {
            size_t i = y * w + x;
            uint8_t v = i < frame.indices.size() ? frame.indices[i] : 0;
            rows.push_back(int(v) < limit ? v : uint8_t(0));
        }
    };
    if (!frame.interlaced) {
        for (size_t y = 0; y < h; ++y) putRow(y);
        return rows;
    }
    static constexpr size_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (size_t y = kStart[pass]; y < h; y += kStep[pass]) putRow(y);
    return rows;
}

void PutFrame(std::vector<uint8_t>& out, const GifFrame& frame, int globalBits) {
    if (frame.delay != 0 || frame.disposal != 0 || frame.transparentIndex >= 0) {
        out.insert(out.end(), {0x21, 0xF9, 0x04});
        out.push_back(uint8_t((frame.disposal & 7) << 2 | (frame.transparentIndex >= 0 ? 1 : 0)));
        PutU16(out, frame.delay);
        out.push_back(uint8_t(std::max(frame.transparentIndex, 0)));
        out.push_back(0);
    }
    out.push_back(0x2C);
    PutU16(out, frame.left);
    PutU16(out, frame.top);
    PutU16(out, frame.width);
    PutU16(out, frame.height);
    int bits = globalBits;
    uint8_t flags = frame.interlaced ? 0x40 : 0;
    if (!frame.palette.empty()) {
        bits = PaletteBits(frame.palette.size());
        flags |= uint8_t(0x80 | (bits - 1));
    }
    out.push_back(flags);
    if (!frame.palette.empty()) PutPalette(out, frame.palette, bits);

    int minimumCodeSize = std::max(2, bits);
    std::vector<uint8_t> indices = StoredIndices(frame, 1 << bits);
    std::vector<uint8_t> codes = EncodeGifLzw(indices.data(), indices.size(), minimumCodeSize);
    out.push_back(uint8_t(minimumCodeSize));
    for (size_t at = 0; at < codes.size(); at += 255) {
        size_t n = std::min<size_t>(255, codes.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), codes.begin() + std::ptrdiff_t(at), codes.begin() + std::ptrdiff_t(at + n));
    }
    out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeGifLzw(const uint8_t* indices, size_t count, int minimumCodeSize) {
    minimumCodeSize = std::clamp(minimumCodeSize, 2, 8);
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    const int mask = clear - 1;
    BitWriter out;
    auto table = std::make_unique<StringTable>();
    int codeSize = minimumCodeSize + 1, nextFree = clear + 2;
    out.put(clear, codeSize);
    if (count > 0) {
        int prefix = indices[0] & mask;
        for (size_t i = 1; i < count; ++i) {
            int index = indices[i] & mask;
            int code = table->find(prefix, index);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            out.put(prefix, codeSize);
            // The decoder adds its entry for this code one code later, so it
            // reaches the same table size when it has read this code.
            if (nextFree >= (1 << codeSize) && codeSize < 12) ++codeSize;
            if (nextFree < kMaxCodes) {
                table->insert(prefix, index, nextFree++);
            } else {
                out.put(clear, codeSize);
                table->clear();
                codeSize = minimumCodeSize + 1;
                nextFree = clear + 2;
            }
            prefix = index;
        }
        out.put(prefix, codeSize);
        if (nextFree >= (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    out.put(end, codeSize);
    return out.finish();
}

std::vector<uint8_t> EncodeGif(const GifImage& image) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutU16(out, image.width);
    PutU16(out, image.height);
    int globalBits = image.palette.empty() ? 8 : PaletteBits(image.palette.size());
    out.push_back(image.palette.empty() ? 0 : uint8_t(0x80 | (globalBits - 1) << 4 | (globalBits - 1)));
    out.push_back(uint8_t(image.backgroundIndex));
    out.push_back(0);  // aspect ratio: none given
    if (!image.palette.empty()) PutPalette(out, image.palette, globalBits);
    if (image.loopCount >= 0) {
        out.insert(out.end(), {0x21, 0xFF, 0x0B});
        for (char c : std::string_view("NETSCAPE2.0")) out.push_back(uint8_t(c));
        out.insert(out.end(), {0x03, 0x01});
        PutU16(out, image.loopCount);
        out.push_back(0);
    }
    for (const GifFrame& frame : image.frames) PutFrame(out, frame, globalBits);
    out.push_back(0x3B);
    return out;
}

bool BuildExactPalette(const uint32_t* pixels, size_t count, std::vector<uint32_t>& palette,
                       std::vector<uint8_t>& indices, size_t maxColours) {
    maxColours = std::min<size_t>(maxColours, 256);
    std::unordered_map<uint32_t, uint8_t> seen;
    palette.clear();
    indices.resize(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = pixels[i] & 0xFFFFFF;
        auto it = seen.find(c);
        if (it == seen.end()) {
            if (palette.size() >= maxColours) return false;
            it = seen.emplace(c, uint8_t(palette.size())).first;
            palette.push_back(c);
        }
        indices[i] = it->second;
    }
    return true;
}
