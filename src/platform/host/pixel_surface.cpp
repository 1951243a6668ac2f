#include "platform/host/pixel_surface.h"

#include <algorithm>
#include <cstring>

#include "platform/host/win_types.h"

namespace host {

uint32_t ReadPixel(const PixelSurface& s, int x, int y) {
    const uint8_t* row = s.row(y);
    if (s.bitsPerPixel == 16) {
        uint16_t p;
        std::memcpy(&p, row + x * 2, 2);
        return Rgb565ToRgb(p);
    }
    uint32_t p;
    std::memcpy(&p, row + x * 4, 4);
    return p & 0xFFFFFF;
}

void WritePixel(const PixelSurface& s, int x, int y, uint32_t rgb) {
    uint8_t* row = s.row(y);
    if (s.bitsPerPixel == 16) {
        uint16_t p = RgbTo565(rgb);
        std::memcpy(row + x * 2, &p, 2);
    } else {
        uint32_t p = rgb & 0xFFFFFF;
        std::memcpy(row + x * 4, &p, 4);
    }
}

Rect Intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.empty()) return Rect{};
    return r;
}

}  // namespace host
