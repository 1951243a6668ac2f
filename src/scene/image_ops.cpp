#include "scene/image_ops.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

namespace colour {

namespace {
int Clamp255(int v) { return std::clamp(v, 0, 255); }
// Red and green lose their lowest bit before saturating arithmetic, as the
// packed arithmetic this comes from needed a guard bit between the channels.
constexpr uint32_t kGuardMask = 0xFEFEFF;
}  // namespace

uint32_t addSaturated(uint32_t c1, uint32_t c2) {
    c1 &= kGuardMask;
    c2 &= kGuardMask;
    return rgb(std::min(red(c1) + red(c2), 255), std::min(green(c1) + green(c2), 255),
               std::min(blue(c1) + blue(c2), 255));
}

uint32_t subtractSaturated(uint32_t c1, uint32_t c2) {
    c1 &= kGuardMask;
    c2 &= kGuardMask;
    return rgb(std::max(red(c1) - red(c2), 0), std::max(green(c1) - green(c2), 0), std::max(blue(c1) - blue(c2), 0));
}

uint32_t scaleColour(uint32_t c, int f) {
    return rgb(Clamp255(red(c) * f >> 8), Clamp255(green(c) * f >> 8), Clamp255(blue(c) * f >> 8));
}

uint32_t average(uint32_t c1, uint32_t c2) {
    return rgb((red(c1) >> 1) + (red(c2) >> 1), (green(c1) >> 1) + (green(c2) >> 1), (blue(c1) >> 1) + (blue(c2) >> 1));
}

uint32_t blend(uint32_t c1, uint32_t c2, int t) {
    auto mix = [t](int a, int b) { return Clamp255(b + ((a - b) * t >> 8)); };
    return rgb(mix(red(c1), red(c2)), mix(green(c1), green(c2)), mix(blue(c1), blue(c2)));
}

}  // namespace colour

namespace {

// Raw pixels of the two formats and the conversions between them.
template <typename P>
struct Format;

template <>
struct Format<uint16_t> {
    static uint32_t toRgb(uint16_t p) { return host::Rgb565ToRgb(p); }
    static uint16_t fromRgb(uint32_t c) { return host::RgbTo565(c); }
    static uint16_t half(uint16_t p) { return uint16_t((p >> 1) & 0x7BEF); }
};

template <>
struct Format<uint32_t> {
    static uint32_t toRgb(uint32_t p) { return p & 0xFFFFFF; }
    static uint32_t fromRgb(uint32_t c) { return c & 0xFFFFFF; }
    static uint32_t half(uint32_t p) { return (p >> 1) & 0x7F7F7F; }
};

template <typename S, typename D>
D Convert(S p) {
    if constexpr (std::is_same_v<S, D>) {
        return p;
    } else {
        return Format<D>::fromRgb(Format<S>::toRgb(p));
    }
}

template <typename P>
P* Row(const FrameBuffer& fb, int y) {
    return reinterpret_cast<P*>(fb.pixels + intptr_t(y) * fb.rowStride);
}

template <typename P>
P Average(P a, P b) {
    return P(Format<P>::half(a) + Format<P>::half(b));
}

bool Supported(const FrameBuffer& fb) {
    return fb.pixels && (fb.bitsPerPixel == 16 || fb.bitsPerPixel == 32);
}

// Calls f.template operator()<S, D>() with the raw pixel types of the formats.
template <typename F>
void WithFormats(const FrameBuffer& src, const FrameBuffer& dst, F&& f) {
    if (!Supported(src) || !Supported(dst)) return;
    if (src.bitsPerPixel == 16) {
        if (dst.bitsPerPixel == 16) f.template operator()<uint16_t, uint16_t>();
        else f.template operator()<uint16_t, uint32_t>();
    } else {
        if (dst.bitsPerPixel == 16) f.template operator()<uint32_t, uint16_t>();
        else f.template operator()<uint32_t, uint32_t>();
    }
}

// The colour key as a raw pixel of the source; `keyed` false when there is none.
template <typename S>
S RawKey(const FrameBuffer& src, bool& keyed) {
    keyed = src.transparentColor != kNoColour;
    return keyed ? Format<S>::fromRgb(src.transparentColor) : S(0);
}

template <typename P>
void FillSpan(const FrameBuffer& fb, int y, int x0, int x1, P value) {
    P* row = Row<P>(fb, y);
    std::fill(row + x0, row + x1, value);
}

template <typename P>
void FillRect(FrameBuffer& fb, P value, int x0, int y0, int x1, int y1, bool filled) {
    auto span = [&](int y, int a, int b) {
        if (y < 0 || y >= fb.height) return;
        a = std::max(a, 0);
        b = std::min(b, fb.width);
        if (a < b) FillSpan(fb, y, a, b, value);
    };
    if (filled) {
        for (int y = std::max(y0, 0); y < std::min(y1, fb.height); ++y) span(y, x0, x1);
        return;
    }
    span(y0, x0, x1);
    if (y1 - 1 > y0) span(y1 - 1, x0, x1);
    for (int y = y0 + 1; y < y1 - 1; ++y) {
        if (y < 0 || y >= fb.height) continue;
        span(y, x0, x0 + 1);
        if (x1 - 1 > x0) span(y, x1 - 1, x1);
    }
}

// Source positions of a scaled copy along one axis: for each destination
// coordinate inside the destination (d0 .. d1), the truncated 20.12 source
// position, or -1 where it falls outside the source bitmap.
struct Axis {
    int d0 = 0, d1 = 0;  // destination range, clipped
    int step = 0;        // 20.12 source units per destination pixel
    std::vector<int> source;
};

Axis MapAxis(int d, int dLength, int dLimit, int s, int sLength, int sLimit) {
    Axis a;
    a.d0 = std::max(d, 0);
    a.d1 = int(std::min<int64_t>(int64_t(d) + dLength, dLimit));
    if (a.d1 <= a.d0) return a;
    a.step = int(int64_t(sLength) * 4096 / dLength);
    a.source.resize(size_t(a.d1 - a.d0));
    for (int i = a.d0; i < a.d1; ++i) {
        int64_t pos = (int64_t(s) << 12) + int64_t(i - d) * a.step;
        int64_t p = pos >> 12;
        a.source[size_t(i - a.d0)] = (p < 0 || p >= sLimit || p >= int64_t(s) + sLength) ? -1 : int(p);
    }
    return a;
}

bool WholeSource(int sx, int sy, int sw, int sh) { return sx < 0 || sy < 0 || sw < 0 || sh < 0; }

// The smoothed, keyed source pixel of a scaled copy at (x, y); false where the
// key leaves it out. Neighbours outside the source rectangle or equal to the
// key are not averaged in.
template <typename S>
bool SamplePixel(const FrameBuffer& src, int x, int y, int sx, int sy, bool smoothX, bool smoothY, bool keyed,
                 S key, S& out) {
    S p = Row<S>(src, y)[x];
    if (keyed && p == key) return false;
    if (smoothX && x > sx) {
        S left = Row<S>(src, y)[x - 1];
        if (!keyed || left != key) p = Average(p, left);
    }
    if (smoothY && y > sy) {
        S above = Row<S>(src, y - 1)[x];
        if (!keyed || above != key) p = Average(p, above);
    }
    out = p;
    return true;
}

// Opacity 0..256 of a see-through copy, from the alpha pixel's brightness.
int AlphaOpacity(const FrameBuffer& alpha, int x, int y) {
    if (alpha.bitsPerPixel == 16) {
        uint16_t p = Row<uint16_t>(alpha, y)[x];
        return std::min(2 * (((p >> 11) & 0x1F) + ((p >> 5) & 0x3F) + (p & 0x1F)), 250);
    }
    uint32_t p = Row<uint32_t>(alpha, y)[x];
    return colour::brightness(p);
}

template <typename D>
D Mix(D dst, D src, int opacity);

template <>
uint16_t Mix(uint16_t dst, uint16_t src, int opacity) {
    auto field = [&](int shift, int mask) {
        int d = (dst >> shift) & mask, s = (src >> shift) & mask;
        return ((d + (s - d) * opacity / 256) & mask) << shift;
    };
    return uint16_t(field(11, 0x1F) | field(5, 0x3F) | field(0, 0x1F));
}

template <>
uint32_t Mix(uint32_t dst, uint32_t src, int opacity) {
    auto channel = [&](int shift) {
        int d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
        return uint32_t((d + (s - d) * opacity / 256) & 0xFF) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

}  // namespace

void fill(FrameBuffer& frameBuffer, uint32_t colour, int x, int y, int w, int h, bool filled) {
    if (!Supported(frameBuffer)) return;
    if (w < 0 || h < 0) {
        x = y = 0;
        w = frameBuffer.width;
        h = frameBuffer.height;
    }
    if (w == 0 || h == 0) return;
    // One past the buffer is far enough: an outline edge there is not drawn.
    int x1 = int(std::min<int64_t>(int64_t(x) + w, int64_t(frameBuffer.width) + 1));
    int y1 = int(std::min<int64_t>(int64_t(y) + h, int64_t(frameBuffer.height) + 1));
    if (frameBuffer.bitsPerPixel == 16) {
        FillRect<uint16_t>(frameBuffer, host::RgbTo565(colour), x, y, x1, y1, filled);
    } else {
        FillRect<uint32_t>(frameBuffer, colour & 0xFFFFFF, x, y, x1, y1, filled);
    }
}

void clear(FrameBuffer& frameBuffer, uint32_t colour) {
    if (colour == 0) {
        if (frameBuffer.pixels) std::memset(frameBuffer.pixels, 0, size_t(frameBuffer.imageBytes));
        return;
    }
    fill(frameBuffer, colour, 0, 0, -1, -1, true);
}

void copyRect(const FrameBuffer& src, FrameBuffer& dst, int dx, int dy, int sx, int sy, int sw, int sh,
              bool opaque) {
    if (WholeSource(sx, sy, sw, sh)) {
        sx = sy = 0;
        sw = src.width;
        sh = src.height;
    }
    // Clip to the source, then to the destination, moving both origins together.
    int64_t w = std::min<int64_t>(sw, int64_t(src.width) - sx);
    int64_t h = std::min<int64_t>(sh, int64_t(src.height) - sy);
    int64_t x0 = dx, y0 = dy, s0 = sx, t0 = sy;
    if (x0 < 0) {
        s0 -= x0;
        w += x0;
        x0 = 0;
    }
    if (y0 < 0) {
        t0 -= y0;
        h += y0;
        y0 = 0;
    }
    w = std::min<int64_t>(w, dst.width - x0);
    h = std::min<int64_t>(h, dst.height - y0);
    if (w <= 0 || h <= 0) return;
    WithFormats(src, dst, [&]<typename S, typename D>() {
        bool keyed = false;
        S key = RawKey<S>(src, keyed);
        keyed = keyed && !opaque;
        for (int64_t j = 0; j < h; ++j) {
            const S* from = Row<S>(src, int(t0 + j)) + s0;
            D* to = Row<D>(dst, int(y0 + j)) + x0;
            if constexpr (std::is_same_v<S, D>) {
                if (!keyed) {
                    std::memmove(to, from, size_t(w) * sizeof(S));
                    continue;
                }
            }
            for (int64_t i = 0; i < w; ++i) {
                if (keyed && from[i] == key) continue;
                to[i] = Convert<S, D>(from[i]);
            }
        }
    });
}

void stretchRect(const FrameBuffer& src, FrameBuffer& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                 int sh, bool smooth) {
    if (WholeSource(sx, sy, sw, sh)) {
        sx = sy = 0;
        sw = src.width;
        sh = src.height;
    }
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    Axis ax = MapAxis(dx, dw, dst.width, sx, sw, src.width);
    Axis ay = MapAxis(dy, dh, dst.height, sy, sh, src.height);
    if (ax.source.empty() || ay.source.empty()) return;
    bool smoothX = smooth && ax.step > 4096, smoothY = smooth && ay.step > 4096;
    WithFormats(src, dst, [&]<typename S, typename D>() {
        bool keyed = false;
        S key = RawKey<S>(src, keyed);
        for (int y = ay.d0; y < ay.d1; ++y) {
            int srcY = ay.source[size_t(y - ay.d0)];
            if (srcY < 0) continue;
            D* to = Row<D>(dst, y);
            for (int x = ax.d0; x < ax.d1; ++x) {
                int srcX = ax.source[size_t(x - ax.d0)];
                S p;
                if (srcX >= 0 && SamplePixel<S>(src, srcX, srcY, sx, sy, smoothX, smoothY, keyed, key, p))
                    to[x] = Convert<S, D>(p);
            }
        }
    });
}

void blendRect(const FrameBuffer& src, const FrameBuffer* alpha, FrameBuffer& dst, int dx, int dy, int dw, int dh,
               int sx, int sy, int sw, int sh, int transparency) {
    if (WholeSource(sx, sy, sw, sh)) {
        sx = sy = 0;
        sw = src.width;
        sh = src.height;
    }
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (alpha && !Supported(*alpha)) alpha = nullptr;
    Axis ax = MapAxis(dx, dw, dst.width, sx, sw, src.width);
    Axis ay = MapAxis(dy, dh, dst.height, sy, sh, src.height);
    if (ax.source.empty() || ay.source.empty()) return;
    bool smoothX = ax.step > 4096, smoothY = ay.step > 4096;
    int fade = transparency == 0 ? 256 : 255 - std::clamp(transparency, 0, 255);
    WithFormats(src, dst, [&]<typename S, typename D>() {
        bool keyed = false;
        S key = RawKey<S>(src, keyed);
        int full = sizeof(D) == 2 ? 250 : 254;
        for (int y = ay.d0; y < ay.d1; ++y) {
            int srcY = ay.source[size_t(y - ay.d0)];
            if (srcY < 0) continue;
            D* to = Row<D>(dst, y);
            for (int x = ax.d0; x < ax.d1; ++x) {
                int srcX = ax.source[size_t(x - ax.d0)];
                S p;
                if (srcX < 0 || !SamplePixel<S>(src, srcX, srcY, sx, sy, smoothX, smoothY, keyed, key, p)) continue;
                bool inAlpha = alpha && srcX < alpha->width && srcY < alpha->height;
                int opacity = (inAlpha ? AlphaOpacity(*alpha, srcX, srcY) : full) * fade >> 8;
                to[x] = Mix<D>(to[x], Convert<S, D>(p), opacity);
            }
        }
    });
}

void drawToDC(const FrameBuffer& bitmap, host::DeviceContext& dc, int x, int y, int sx, int sy, int w, int h,
              bool opaque) {
    if (!bitmap.deviceContext) return;
    if (w == -1 || h == -1) {
        sx = sy = 0;
        w = bitmap.width;
        h = bitmap.height;
    }
    if (bitmap.transparentColor != kNoColour && !opaque) {
        dc.transparentImage(x, y, w, h, *bitmap.deviceContext, sx, sy, w, h, host::ToColorRef(bitmap.transparentColor));
    } else {
        dc.bitBlt(x, y, w, h, *bitmap.deviceContext, sx, sy);
    }
}

void stretchToDC(const FrameBuffer& bitmap, host::DeviceContext& dc, int x, int y, int w, int h, int sx, int sy,
                 int sw, int sh, bool opaque) {
    if (!bitmap.deviceContext) return;
    if (WholeSource(sx, sy, sw, sh)) {
        sx = sy = 0;
        sw = bitmap.width;
        sh = bitmap.height;
    }
    if (bitmap.transparentColor != kNoColour && !opaque) {
        dc.transparentImage(x, y, w, h, *bitmap.deviceContext, sx, sy, sw, sh,
                            host::ToColorRef(bitmap.transparentColor));
    } else {
        dc.stretchBlt(x, y, w, h, *bitmap.deviceContext, sx, sy, sw, sh);
    }
}
