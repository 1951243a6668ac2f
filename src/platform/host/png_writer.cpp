// A minimal PNG writer (8-bit RGB, no filtering) over zlib, for screenshots.

#include <zlib.h>

#include <cstdio>
#include <vector>

#include "platform/host/host_local.h"

namespace host {

namespace {
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}
}  // namespace

bool WritePng(const std::string& path, const PixelSurface& surface) {
    if (!surface.valid()) return false;
    std::vector<uint8_t> raw;
    raw.reserve(size_t(surface.height) * (surface.width * 3 + 1));
    for (int y = 0; y < surface.height; ++y) {
        raw.push_back(0);  // filter type: none
        for (int x = 0; x < surface.width; ++x) {
            uint32_t rgb = ReadPixel(surface, x, y);
            raw.push_back(uint8_t(rgb >> 16));
            raw.push_back(uint8_t(rgb >> 8));
            raw.push_back(uint8_t(rgb));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32(header, uint32_t(surface.width));
    Put32(header, uint32_t(surface.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});

    std::FILE* f = std::fopen(path.c_str(), "wbe");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace host
