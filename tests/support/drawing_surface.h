#pragma once
// A small black surface of 16 or 32 bits with a device context drawing on
// it, read back as 0xRRGGBB.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/host/device_context.h"

namespace testhost {

struct DrawingSurface {
    std::vector<uint8_t> bytes;
    host::PixelSurface surface;
    host::DeviceContext dc;
    DrawingSurface(int w, int h, int bits = 32) : bytes(size_t(w) * h * size_t(bits / 8), 0) {
        surface = host::PixelSurface{bytes.data(), w, h, w * bits / 8, bits};
        dc.setTarget(surface);
    }
    uint32_t at(int x, int y) const { return host::ReadPixel(surface, x, y); }
    int count(uint32_t rgb) const {
        int n = 0;
        for (int y = 0; y < surface.height; ++y)
            for (int x = 0; x < surface.width; ++x) n += at(x, y) == rgb;
        return n;
    }
    // The bounding box of every pixel that is not black; empty when none.
    host::Rect ink() const {
        host::Rect box{surface.width, surface.height, 0, 0};
        for (int y = 0; y < surface.height; ++y)
            for (int x = 0; x < surface.width; ++x)
                if (at(x, y) != 0) box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                                          std::max(box.bottom, y + 1)};
        return box;
    }
};

}  // namespace testhost
