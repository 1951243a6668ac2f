// The span fillers: one row at a time, each pixel depth-tested against the
// 32-bit depth buffer (unsigned compare), then textured, shaded by the light
// maps, fogged and blended as the material asks. The 16-bit (5-6-5) and
// 32-bit (0x00RRGGBB) fillers are one template over the pixel type; the
// shading mode, texturing, fog and alpha texture are template parameters so
// that every combination gets a loop without dead branches.

#include <algorithm>

#include "render3d/raster_local.h"

// Plain textured spans, the bulk of a maze frame, also have an AVX2 loop that
// eight pixels at a time does exactly what the scalar loop does; the processor
// is asked at run time.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__EMSCRIPTEN__)
#define KARROWEN_VECTOR_SPANS 1
#include <immintrin.h>
#endif

namespace raster {
namespace {

struct Rgb565 {
    using Pixel = uint16_t;
    static constexpr int kRShift = 11, kGShift = 5;
    static constexpr int kRMask = 31, kGMask = 63, kBMask = 31;
    static int r(uint32_t c) { return int(c >> kRShift) & kRMask; }
    static int g(uint32_t c) { return int(c >> kGShift) & kGMask; }
    static int b(uint32_t c) { return int(c) & kBMask; }
    static uint32_t pack(int r, int g, int b) { return uint32_t(r << kRShift | g << kGShift | b); }
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
    static constexpr int kRShift = 16, kGShift = 8;
    static constexpr int kRMask = 255, kGMask = 255, kBMask = 255;
    static int r(uint32_t c) { return int(c >> kRShift) & kRMask; }
    static int g(uint32_t c) { return int(c >> kGShift) & kGMask; }
    static int b(uint32_t c) { return int(c) & kBMask; }
    static uint32_t pack(int r, int g, int b) { return uint32_t(r << kRShift | g << kGShift | b); }
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

#ifdef KARROWEN_VECTOR_SPANS
#define KARROWEN_AVX2 __attribute__((target("avx2")))

KARROWEN_AVX2 inline __m256i Channel8(__m256i c, int shift, int mask) {
    return _mm256_and_si256(_mm256_srli_epi32(c, shift), _mm256_set1_epi32(mask));
}

KARROWEN_AVX2 inline __m256i MixChannel8(__m256i from, __m256i to, __m256i t, int shift, int mask) {
    const __m256i a = Channel8(from, shift, mask), b = Channel8(to, shift, mask);
    return _mm256_add_epi32(b, _mm256_srai_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(a, b), t), 8));
}

// Mix<F> on eight pixels: to + (from - to) * t >> 8 per channel.
template <typename F>
KARROWEN_AVX2 inline __m256i Mix8(__m256i from, __m256i to, __m256i t) {
    const __m256i r = MixChannel8(from, to, t, F::kRShift, F::kRMask);
    const __m256i g = MixChannel8(from, to, t, F::kGShift, F::kGMask);
    const __m256i b = MixChannel8(from, to, t, 0, F::kBMask);
    return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(r, F::kRShift), _mm256_slli_epi32(g, F::kGShift)), b);
}

// start, start + step, ... start + 7 * step, wrapping as the scalar accumulators do.
KARROWEN_AVX2 inline __m256i Ramp8(uint32_t start, uint32_t step) {
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return _mm256_add_epi32(_mm256_set1_epi32(int(start)), _mm256_mullo_epi32(lane, _mm256_set1_epi32(int(step))));
}

// FullSpan of shading mode 1, textured, without an alpha texture, eight pixels
// a step; the last few pixels go through the scalar loop.
template <typename F, bool Fog, bool DepthWrite>
KARROWEN_AVX2 void TexturedSpan8(const RasterState& st, int y, int x0, int x1, Attributes p, const Attributes& g) {
    using Pixel = typename F::Pixel;
    const Pixel* tex = static_cast<const Pixel*>(st.texture.texels);
    Pixel* out = reinterpret_cast<Pixel*>(st.pixels + intptr_t(y) * st.pitch);
    uint32_t* zb = st.depth + intptr_t(y) * st.depthPitch;
    __m256i z = Ramp8(p.z, g.z), u = Ramp8(p.u, g.u), v = Ramp8(p.v, g.v);
    const __m256i dz = _mm256_set1_epi32(int(g.z * 8)), du = _mm256_set1_epi32(int(g.u * 8)),
                  dv = _mm256_set1_epi32(int(g.v * 8));
    const __m256i sign = _mm256_set1_epi32(INT32_MIN);
    const __m256i uMask = _mm256_set1_epi32(int(st.texture.uMask)), vMask = _mm256_set1_epi32(int(st.texture.vMask));
    const __m128i pitchShift = _mm_cvtsi32_si128(st.texture.pitchShift);
    const __m256i key = _mm256_set1_epi32(int(st.transparent));
    // A 16-bit texel is gathered as the low half of 32 bits; the last texel's
    // upper half would lie past the picture, so it is read on its own.
    const uint32_t lastTexel = st.texture.uMask + (st.texture.vMask << st.texture.pitchShift);
    const __m256i last = _mm256_set1_epi32(int(lastTexel));
    // A span's last few pixels take a step of eight too, with the lanes past
    // its end left as they are, where the row has room for eight: a short
    // span costs one step instead of a pixel loop. Those lanes' pixels and
    // depths are read and written back unchanged, and they lie in this row,
    // which no other thread draws into.
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const int roomEnd = st.width - 8;
    int x = x0;
    for (; x + 7 <= x1 || (x <= x1 && x <= roomEnd);
         x += 8, z = _mm256_add_epi32(z, dz), u = _mm256_add_epi32(u, du), v = _mm256_add_epi32(v, dv)) {
        const __m256i depth = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(zb + x));
        const __m256i inSpan = _mm256_cmpgt_epi32(_mm256_set1_epi32(x1 - x + 1), lanes);
        const __m256i nearer = _mm256_and_si256(
            inSpan, _mm256_cmpgt_epi32(_mm256_xor_si256(depth, sign), _mm256_xor_si256(z, sign)));
        if (_mm256_testz_si256(nearer, nearer)) continue;
        const __m256i at = _mm256_add_epi32(
            _mm256_and_si256(_mm256_srli_epi32(u, 16), uMask),
            _mm256_sll_epi32(_mm256_and_si256(_mm256_srli_epi32(v, 16), vMask), pitchShift));
        __m256i texel;
        if constexpr (sizeof(Pixel) == 4) {
            // Every lane's texel lies inside the picture: gathered unmasked.
            texel = _mm256_i32gather_epi32(reinterpret_cast<const int*>(tex), at, 4);
        } else {
            const __m256i atLast = _mm256_and_si256(_mm256_cmpeq_epi32(at, last), nearer);
            texel = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(tex), at,
                                                _mm256_andnot_si256(atLast, nearer), 2);
            texel = _mm256_and_si256(texel, _mm256_set1_epi32(0xFFFF));
            if (!_mm256_testz_si256(atLast, atLast))
                texel = _mm256_blendv_epi8(texel, _mm256_set1_epi32(tex[lastTexel]), atLast);
        }
        const __m256i draw = _mm256_andnot_si256(_mm256_cmpeq_epi32(texel, key), nearer);
        if (_mm256_testz_si256(draw, draw)) continue;
        __m256i c = texel;
        if constexpr (Fog) {
            const __m256i zi = _mm256_srai_epi32(z, 16);
            const __m256i back = _mm256_set1_epi32(st.fogBack);
            const __m256i beyond = _mm256_cmpgt_epi32(zi, back);
            const __m256i inFog = _mm256_andnot_si256(beyond, _mm256_cmpgt_epi32(zi, _mm256_set1_epi32(st.fogFront)));
            if (!_mm256_testz_si256(inFog, inFog)) {
                // (back - zi) * factor stays below 65536 where zi lies inside the fog.
                const __m256i t = _mm256_srai_epi32(
                    _mm256_mullo_epi32(_mm256_sub_epi32(back, zi), _mm256_set1_epi32(st.fogFactor)), 8);
                c = _mm256_blendv_epi8(c, Mix8<F>(c, _mm256_set1_epi32(int(st.fogColour)), t), inFog);
            }
            c = _mm256_blendv_epi8(c, _mm256_set1_epi32(int(st.fogEndColour)), beyond);
        }
        // Whole rows of eight are loaded, blended and stored back rather than
        // written through a masked store, which some processors run many
        // times slower; the eight pixels all lie inside this span.
        if constexpr (sizeof(Pixel) == 4) {
            __m256i* row = reinterpret_cast<__m256i*>(out + x);
            _mm256_storeu_si256(row, _mm256_blendv_epi8(_mm256_loadu_si256(row), c, draw));
        } else {
            // Eight 16-bit pixels: the lanes packed in order, blended into the row.
            const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(c, c), 0x08);
            const __m256i mask = _mm256_permute4x64_epi64(_mm256_packs_epi32(draw, draw), 0x08);
            __m128i* row = reinterpret_cast<__m128i*>(out + x);
            _mm_storeu_si128(row, _mm_blendv_epi8(_mm_loadu_si128(row), _mm256_castsi256_si128(packed),
                                                  _mm256_castsi256_si128(mask)));
        }
        if constexpr (DepthWrite)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(zb + x), _mm256_blendv_epi8(depth, z, draw));
    }
    if (x <= x1) {
        Advance(p, g, x - x0);
        FullSpan<F, 1, true, Fog, false, DepthWrite>(st, y, x, x1, p, g);
    }
}

template <typename F, bool Fog, bool DepthWrite>
void TexturedRows8(const RasterState& st, const HalfSpans& h) {
    const Attributes g = h.gradient;
    WalkRows(st, h, [&](int y, int x0, int x1, Attributes p) {
        if (Fog && SpanBeforeFog(st, p.z, g.z, x1 - x0)) TexturedSpan8<F, false, DepthWrite>(st, y, x0, x1, p, g);
        else TexturedSpan8<F, Fog, DepthWrite>(st, y, x0, x1, p, g);
    });
}

template <typename F, bool Fog>
void FillTextured8(const RasterState& shared, const HalfSpans& h) {
    const RasterState st = shared;
    if (st.depthWrite || st.fastPath) TexturedRows8<F, Fog, true>(st, h);
    else TexturedRows8<F, Fog, false>(st, h);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

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
SpanFiller PickMode(const RasterState& st, bool vectorised) {
#ifdef KARROWEN_VECTOR_SPANS
    if (vectorised && HasAvx2() && st.mode == 1 && st.textured && !st.alphaTexture)
        return st.fog ? FillTextured8<F, true> : FillTextured8<F, false>;
#else
    (void)vectorised;
#endif
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

SpanFiller ChooseSpanFiller(const RasterState& state, bool vectorised) {
    return state.bitsPerPixel == 32 ? PickMode<Rgb888>(state, vectorised) : PickMode<Rgb565>(state, vectorised);
}

bool VectorSpansAvailable() {
#ifdef KARROWEN_VECTOR_SPANS
    return HasAvx2();
#else
    return false;
#endif
}

uint32_t ModulateColour(int bitsPerPixel, uint32_t light, uint32_t colour) {
    return bitsPerPixel == 32 ? Rgb888::modulate(light, colour) : Rgb565::modulate(light, colour);
}

uint32_t ToTargetFormat(int bitsPerPixel, uint32_t rgb) {
    if (bitsPerPixel == 32) return rgb & 0xFFFFFF;
    return ((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31);
}

}  // namespace raster
