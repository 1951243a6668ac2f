#pragma once
// A view of pixel memory: rows top to bottom, 16-bit 5-6-5 or 32-bit 0x00RRGGBB.
// The surface does not own its pixels.

#include <cstdint>

namespace host {

struct PixelSurface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
    int bitsPerPixel = 16;

    bool valid() const { return pixels && width > 0 && height > 0; }
    uint8_t* row(int y) const { return pixels + intptr_t(y) * stride; }
};

// Colour conversion between 0xRRGGBB and 5-6-5 keeps the top bits of each channel.
constexpr uint16_t RgbTo565(uint32_t rgb) {
    return uint16_t(((rgb >> 8) & 0xF800) | ((rgb >> 5) & 0x07E0) | ((rgb >> 3) & 0x001F));
}
// Expands 5-6-5 to 0xRRGGBB, repeating the top bits so that white stays white.
constexpr uint32_t Rgb565ToRgb(uint16_t p) {
    uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

uint32_t ReadPixel(const PixelSurface& s, int x, int y);          // as 0xRRGGBB
void WritePixel(const PixelSurface& s, int x, int y, uint32_t rgb);

}  // namespace host
