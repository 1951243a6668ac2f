#pragma once
// Golden pictures as PNG files: 8-bit RGB, one IDAT, every row filter 0. The
// reader takes exactly what the writer makes.

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace r3test {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, rows top to bottom
};

inline void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    auto put32 = [&out](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
    };
    put32(uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

inline bool WritePng(const std::string& path, const Picture& picture) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < picture.width; ++x) {
            uint32_t p = picture.pixels[size_t(y * picture.width + x)];
            raw.insert(raw.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(size);
    if (compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK) return false;
    packed.resize(size);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    for (uint32_t v : {uint32_t(picture.width), uint32_t(picture.height)})
        for (int s = 24; s >= 0; s -= 8) header.push_back(uint8_t(v >> s));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return bool(file);
}

inline bool ReadPng(const std::string& path, Picture& picture) {
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> in((std::istreambuf_iterator<char>(file)), {});
    auto get32 = [&in](size_t at) {
        return uint32_t(in[at]) << 24 | uint32_t(in[at + 1]) << 16 | uint32_t(in[at + 2]) << 8 | in[at + 3];
    };
    if (in.size() < 8 + 25) return false;
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 12 <= in.size();) {
        uint32_t length = get32(at);
        if (at + 12 + length > in.size()) return false;
        std::string type(in.begin() + long(at) + 4, in.begin() + long(at) + 8);
        if (type == "IHDR") picture.width = int(get32(at + 8)), picture.height = int(get32(at + 12));
        if (type == "IDAT") packed.insert(packed.end(), in.begin() + long(at) + 8, in.begin() + long(at + 8 + length));
        at += 12 + length;
    }
    uLongf size = uLongf(picture.height) * uLongf(picture.width * 3 + 1);
    std::vector<uint8_t> raw(size);
    if (uncompress(raw.data(), &size, packed.data(), uLong(packed.size())) != Z_OK || size != raw.size()) return false;
    picture.pixels.clear();
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = raw.data() + size_t(y) * size_t(picture.width * 3 + 1);
        if (row[0] != 0) return false;
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(uint32_t(row[1 + x * 3]) << 16 | uint32_t(row[2 + x * 3]) << 8 | row[3 + x * 3]);
    }
    return true;
}

}  // namespace r3test
