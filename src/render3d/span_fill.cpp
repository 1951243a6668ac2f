// The span fillers: one row at a time, each pixel depth-tested against the
// 32-bit depth buffer (unsigned compare), then textured, shaded by the light
// maps, fogged and blended as the material asks. The 16-bit (5-6-5) and
// 32-bit (0x00RRGGBB) fillers are one template over the pixel type; the
// shading mode, texturing, fog and alpha texture are template parameters so
// that every combination gets a loop without dead branches.

#include <algorithm>

#include "render3d/raster_local.h"

namespace raster {
namespace {

struct Rgb565 {
    using Pixel = uint16_t;
    static int r(uint32_t c) { return int(c >> 11) & 31; }
    static int g(uint32_t c) { return int(c >> 5) & 63; }
    static int b(uint32_t c) { return int(c) & 31; }
    static uint32_t pack(int r, int g, int b) { return uint32_t(r << 11 | g << 5 | b); }
    // Light times colour: red and blue (a * b) >> 5, green (a * b) >> 6.
    static uint32_t modulate(uint32_t l, uint32_t c) {
        return pack((r(l) * r(c)) >> 5, (g(l) * g(c)) >> 6, (b(l) * b(c)) >> 5);
    }
    static uint32_t add(uint32_t x, uint32_t y) {
        return pack(std::min(r(x) + r(y), 31), std::min(g(x) + g(y), 63), std::min(b(x) + b(y), 31));
    }
    static uint16_t to565(uint32_t p) { return uint16_t(p); }
};

struct Rgb888 {
    using Pixel = uint32_t;
    static int r(uint32_t c) { return int(c >> 16) & 255; }
    static int g(uint32_t c) { return int(c >> 8) & 255; }
    static int b(uint32_t c) { return int(c) & 255; }
    static uint32_t pack(int r, int g, int b) { return uint32_t(r << 16 | g << 8 | b); }
    static uint32_t modulate(uint32_t l, uint32_t c) {
        return pack((r(l) * r(c)) >> 8, (g(l) * g(c)) >> 8, (b(l) * b(c)) >> 8);
    }
    // Saturates each channel, as the 16-bit form does: a whole-pixel sum
    // would carry a bright channel into its neighbour and wrap to dark.
    static uint32_t add(uint32_t x, uint32_t y) {
        return pack(std::min(r(x) + r(y), 255), std::min(g(x) + g(y), 255), std::min(b(x) + b(y), 255));
    }
    static uint16_t to565(uint32_t p) {
        return uint16_t(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
    }
};

#define KARROWEN_INLINE inline __attribute__((always_inline))

// to + (from - to) * t >> 8 per channel: t = 0 gives `to`, 256 gives `from`.
template <typename F>
KARROWEN_INLINE uint32_t Mix(uint32_t from, uint32_t to, int t) {
    return F::pack(F::r(to) + (((F::r(from) - F::r(to)) * t) >> 8), F::g(to) + (((F::g(from) - F::g(to)) * t) >> 8),
                   F::b(to) + (((F::b(from) - F::b(to)) * t) >> 8));
}

template <typename F>
KARROWEN_INLINE uint32_t Scale(uint32_t c, int t) {
    return F::pack((F::r(c) * t) >> 8, (F::g(c) * t) >> 8, (F::b(c) * t) >> 8);
}

// The colour of one pixel before fog and the alpha texture. `s` is the texel
// or the material colour, `fb` the frame-buffer pixel.
template <typename F, int Mode, bool Textured>
KARROWEN_INLINE uint32_t Shade(const RasterState& st, uint32_t s, const typename F::Pixel* fbp, int index, int32_t eu,
                      int32_t ev) {
    if constexpr (Mode == 1) {
        return s;
    } else if constexpr (Mode == 2) {
        return Mix<F>(*fbp, s, st.alpha);
    } else if constexpr (Mode == 3 || Mode == 4) {
        uint32_t c;
        if (!Textured && st.flatLighting) c = st.faceColour;
        else c = F::modulate(st.diffuse[index], s);
        if constexpr (Mode == 4) {
            if (st.alpha > 0) c = Mix<F>(*fbp, c, st.alpha);
            c = F::add(c, Scale<F>(st.specular[index], st.specularLevel));
        }
        return c;
    } else {
        uint32_t base;
        if (st.environmentTexels) {
            base = 0;
            index = st.faceIndex;
        } else if (st.flatLighting) {
            base = st.faceColour;
            index = st.faceIndex;
        } else {
            base = F::modulate(st.diffuse[index], st.materialColour);
        }
        if (Textured) base = F::modulate(st.diffuse[index], s);
        if (st.constantColour != 0) base = F::add(base, st.constantColour);
        if (st.alpha > 0) base = Mix<F>(*fbp, base, st.alpha);
        uint32_t added;
        if (st.environmentTexels) {
            uint32_t m = st.environmentMask;
            uint32_t at = (m & uint32_t(eu >> 16)) + ((m & uint32_t(ev >> 16)) << st.environmentPitchShift);
            added = static_cast<const typename F::Pixel*>(st.environmentTexels)[at];
        } else {
            added = Scale<F>(st.specular[index], st.specularLevel);
        }
        return F::add(base, added);
    }
}

// Steps attributes by n pixels (or rows) of their gradient.
KARROWEN_INLINE void Advance(Attributes& a, const Attributes& step, int n) {
    a.z += step.z * uint32_t(n);
    a.u += step.u * uint32_t(n);
    a.v += step.v * uint32_t(n);
    a.eu = int32_t(uint32_t(a.eu) + uint32_t(step.eu) * uint32_t(n));
    a.ev = int32_t(uint32_t(a.ev) + uint32_t(step.ev) * uint32_t(n));
}

// Walks the rows of a half: calls row(y, x0, x1, attributes at x0) for every
// non-empty span [x0, x1].
template <typename RowFunction>
KARROWEN_INLINE void WalkRows(const RasterState& st, const HalfSpans& h, RowFunction&& row) {
    int32_t xl = h.xLeft, xr = h.xRight;
    Attributes a = h.left;
    for (int y = h.y0; y < h.y1; ++y) {
        int x0 = xl >> 16;
        int x1 = std::min(xr >> 16, st.width) - 1;
        Attributes p = a;
        if (x0 < 0) {
            Advance(p, h.gradient, -x0);
            x0 = 0;
        }
        if (x0 <= x1) row(y, x0, x1, p);
        xl += h.dxLeft;
        xr += h.dxRight;
        Advance(a, h.leftStep, 1);
    }
}

// Plain textured opaque meshes: texel, colour key, depth. Depth is always written.
// Both fillers work on a local copy of the state: the compiler cannot prove
// that pixel and depth stores leave the shared state alone, and would reload
// it for every pixel.
template <typename F>
void FillFast(const RasterState& shared, const HalfSpans& h) {
    const RasterState st = shared;
    using Pixel = typename F::Pixel;
    const Pixel* tex = static_cast<const Pixel*>(st.texture.texels);
    const uint32_t uMask = st.texture.uMask, vMask = st.texture.vMask;
    const int pitchShift = st.texture.pitchShift;
    const uint32_t key = st.transparent;
    const Attributes g = h.gradient;
    WalkRows(st, h, [&](int y, int x0, int x1, Attributes p) {
        Pixel* out = reinterpret_cast<Pixel*>(st.pixels + intptr_t(y) * st.pitch);
        uint32_t* zb = st.depth + intptr_t(y) * st.depthPitch;
        uint32_t z = p.z, u = p.u, v = p.v;
        for (int x = x0; x <= x1; ++x, z += g.z, u += g.u, v += g.v) {
            if (z >= zb[x]) continue;
            Pixel t = tex[((u >> 16) & uMask) + (((v >> 16) & vMask) << pitchShift)];
            if (t == key) continue;
            out[x] = t;
            zb[x] = z;
        }
    });
}

// One span of the full path, from x0 to x1 with the attributes at x0.
template <typename F, int Mode, bool Textured, bool Fog, bool AlphaTex, bool DepthWrite>
KARROWEN_INLINE void FullSpan(const RasterState& st, int y, int x0, int x1, Attributes p, const Attributes& g) {
    using Pixel = typename F::Pixel;
    const Pixel* tex = static_cast<const Pixel*>(st.texture.texels);
    const Pixel* alphaTex = static_cast<const Pixel*>(st.alphaTexels);
    const uint32_t uMask = st.texture.uMask, vMask = st.texture.vMask;
    const int pitchShift = st.texture.pitchShift;
    const uint32_t key = st.transparent;
    const bool perPixelLight = Mode >= 3 && !st.flatLighting;
    Pixel* out = reinterpret_cast<Pixel*>(st.pixels + intptr_t(y) * st.pitch);
    uint32_t* zb = st.depth + intptr_t(y) * st.depthPitch;
    for (int x = x0; x <= x1; ++x) {
        const uint32_t z = p.z;
        const uint32_t u = p.u, v = p.v;
        const int32_t peu = p.eu, pev = p.ev;
        p.z += g.z, p.u += g.u, p.v += g.v;
        // Light-map coordinates are only read from mode 3 on.
        if constexpr (Mode >= 3) p.eu = int32_t(uint32_t(p.eu) + uint32_t(g.eu)), p.ev = int32_t(uint32_t(p.ev) + uint32_t(g.ev));
        if (z >= zb[x]) continue;
        uint32_t at = 0;
        uint32_t s = st.materialColour;
        if constexpr (Textured || AlphaTex) at = ((u >> 16) & uMask) + (((v >> 16) & vMask) << pitchShift);
        if constexpr (Textured) {
            s = tex[at];
            if (s == key) continue;
        }
        int index = st.faceIndex;
        int32_t eu = st.faceRx, ev = st.faceRy;
        if (perPixelLight) {
            index = ((peu >> 18) & 63) + (((pev >> 18) & 63) << 6);
            eu = peu;
            ev = pev;
        }
        uint32_t c = Shade<F, Mode, Textured>(st, s, out + x, index, eu, ev);
        if constexpr (Fog) {
            int zi = int32_t(z) >> 16;
            if (zi > st.fogBack) {
                c = st.fogEndColour;
            } else if (zi > st.fogFront) {
                int fog = int((int64_t(st.fogBack - zi) * st.fogFactor) >> 8);
                c = Mix<F>(c, st.fogColour, fog);
            }
        }
        if constexpr (AlphaTex) {
            uint32_t a = F::to565(alphaTex[at]);
            if (a != 0xFFFF) {
                int o = int(((a >> 4) & 126) + ((a >> 10) & 62) + (a & 31) * 2);
                c = Mix<F>(c, out[x], o);
            }
        }
        out[x] = Pixel(c);
        if constexpr (DepthWrite) zb[x] = z;
    }
}

// Whether no pixel of the span lies beyond the fog's front. Depth is linear
// along the span, so its two ends decide, unless the accumulator would wrap.
KARROWEN_INLINE bool SpanBeforeFog(const RasterState& st, uint32_t z, uint32_t dz, int pixels) {
    int64_t first = int32_t(z), last = first + int64_t(int32_t(dz)) * pixels;
    if (last < INT32_MIN || last > INT32_MAX) return false;
    return std::max(first, last) >> 16 <= st.fogFront;
}

// Whether depths are written is fixed for a whole triangle, so it is
// decided once, outside the pixel loop.
template <typename F, int Mode, bool Textured, bool Fog, bool AlphaTex, bool DepthWrite>
void FillRowsOf(const RasterState& st, const HalfSpans& h) {
    const Attributes g = h.gradient;
    WalkRows(st, h, [&](int y, int x0, int x1, Attributes p) {
        if constexpr (Fog) {
            if (SpanBeforeFog(st, p.z, g.z, x1 - x0)) {
                FullSpan<F, Mode, Textured, false, AlphaTex, DepthWrite>(st, y, x0, x1, p, g);
                return;
            }
        }
        FullSpan<F, Mode, Textured, Fog, AlphaTex, DepthWrite>(st, y, x0, x1, p, g);
    });
}

template <typename F, int Mode, bool Textured, bool Fog, bool AlphaTex>
void FillFull(const RasterState& shared, const HalfSpans& h) {
    const RasterState st = shared;
    if (st.depthWrite) FillRowsOf<F, Mode, Textured, Fog, AlphaTex, true>(st, h);
    else FillRowsOf<F, Mode, Textured, Fog, AlphaTex, false>(st, h);
}

template <typename F, int Mode, bool Textured>
SpanFiller PickFog(bool fog, bool alphaTexture) {
    if (fog) return alphaTexture ? FillFull<F, Mode, Textured, true, true> : FillFull<F, Mode, Textured, true, false>;
    return alphaTexture ? FillFull<F, Mode, Textured, false, true> : FillFull<F, Mode, Textured, false, false>;
}

template <typename F, int Mode>
SpanFiller PickTextured(const RasterState& st) {
    return st.textured ? PickFog<F, Mode, true>(st.fog, st.alphaTexture)
                       : PickFog<F, Mode, false>(st.fog, st.alphaTexture);
}

template <typename F>
SpanFiller PickMode(const RasterState& st) {
    if (st.fastPath) return FillFast<F>;
    switch (st.mode) {
        case 2: return PickTextured<F, 2>(st);
        case 3: return PickTextured<F, 3>(st);
        case 4: return PickTextured<F, 4>(st);
        case 5: return PickTextured<F, 5>(st);
        default: return PickTextured<F, 1>(st);
    }
}

}  // namespace

SpanFiller ChooseSpanFiller(const RasterState& state) {
    return state.bitsPerPixel == 32 ? PickMode<Rgb888>(state) : PickMode<Rgb565>(state);
}

uint32_t ModulateColour(int bitsPerPixel, uint32_t light, uint32_t colour) {
    return bitsPerPixel == 32 ? Rgb888::modulate(light, colour) : Rgb565::modulate(light, colour);
}

uint32_t ToTargetFormat(int bitsPerPixel, uint32_t rgb) {
    if (bitsPerPixel == 32) return rgb & 0xFFFFFF;
    return ((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31);
}

}  // namespace raster
