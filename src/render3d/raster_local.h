#pragma once
// Internals of the software renderer shared by its frame code, triangle
// set-up and span fillers. Not for use outside src/render3d.
//
// Fixed-point formats: positions, depths, near and far 16.16; edge x 16.16;
// texture coordinates on a span are texel coordinates in 16.16 (texture
// coordinate << log2 size); light-map coordinates 0..254 interpolated as
// value * 65536. Accumulators that may wrap on extreme input are unsigned, so
// wrapping is defined and only masked bits are used.

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render3d/object3d.h"

namespace raster {

// Light maps: 64 x 64 entries indexed by a normal's y (row) and x (column);
// room for 16384 so that a clamped face index stays inside.
inline constexpr int kLightMapSide = 64;
inline constexpr int kLightMapRoom = 16384;
inline constexpr int kLightMapCentre = 32 * 64 + 32;

struct TextureLookup {
    const void* texels = nullptr;
    uint32_t uMask = 0, vMask = 0;  // width - 1, height - 1
    int uShift = 0, vShift = 0;     // log2 of width and height
    int pitchShift = 0;             // log2 of the row length in texels
};

struct RasterState;

// Attributes interpolated over a triangle.
struct Attributes {
    uint32_t z = 0;       // depth, 16.16, minus the mesh's bias
    uint32_t u = 0, v = 0;  // texel coordinates, 16.16
    int32_t eu = 0, ev = 0;  // light-map coordinates * 65536
};

// The rows of one half of a triangle: [y0, y1) inside the viewport, the left
// edge with its attributes and per-row steps, the right edge, and the
// horizontal gradients.
struct HalfSpans {
    int y0 = 0, y1 = 0;
    int32_t xLeft = 0, dxLeft = 0, xRight = 0, dxRight = 0;
    Attributes left, leftStep, gradient;
};

using SpanFiller = void (*)(const RasterState& state, const HalfSpans& half);

struct RasterState {
    // Target and depth buffer: the viewport's top-left pixel, pitch in bytes,
    // depth rows of depthPitch entries.
    uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0, height = 0;
    int bitsPerPixel = 16;
    uint32_t* depth = nullptr;
    int depthPitch = 0;
    bool depthWrite = true;
    // The rows this state may write, [rowBegin, rowEnd): one band when the
    // rows are split between threads.
    int rowBegin = 0, rowEnd = INT32_MAX;

    // Material.
    int mode = 1;
    bool textured = false;
    bool wireFrame = false;
    int wireFrameMask = 7;
    uint32_t materialColour = 0;  // target format
    TextureLookup texture;
    const void* alphaTexels = nullptr;  // addressed like the texture
    bool alphaTexture = false;
    uint32_t transparent = 0xFFFFFFFF;  // target format; all ones never matches
    int32_t offsetU = 0, offsetV = 0;
    bool flatLighting = false;
    int alpha = 0;
    int specularLevel = 255;
    uint32_t constantColour = 0;  // target format, mode 5
    const void* environmentTexels = nullptr;
    uint32_t environmentMask = 0;
    int environmentPitchShift = 0;

    // Mesh.
    int32_t depthBias = 0;  // 16.16
    bool fog = false;
    bool fastPath = false;
    uint32_t fogEndColour = 0;  // target format
    SpanFiller filler = nullptr;

    // Fog of the frame: depths in whole units, factor 65536 / (back - front).
    int fogFront = 0, fogBack = 0;
    uint32_t fogColour = 0;
    int32_t fogFactor = 0;

    // Light maps in the target format.
    const uint32_t* diffuse = nullptr;
    const uint32_t* specular = nullptr;
    // 2.11 rows turning a 16.16 normal into light-map x and y.
    int32_t lightRowA[3] = {0, 0, 0}, lightRowB[3] = {0, 0, 0};

    // The face being drawn: its light index, lit colour, and rotated normal
    // x and y (16.16) that stand in for light-map coordinates when flat.
    int faceIndex = kLightMapCentre;
    uint32_t faceColour = 0;
    int32_t faceRx = 0, faceRy = 0;
};

// Picks the span filler for the state's mode, texture, fog and alpha texture;
// a vector loop where the processor has one, unless `vectorised` is false.
SpanFiller ChooseSpanFiller(const RasterState& state, bool vectorised = true);
// Whether some span fillers run a vector loop on this processor.
bool VectorSpansAvailable();
// Sets up and fills one triangle of projected vertices (wire-frame materials
// draw their edges instead).
void DrawTriangle(const RasterState& state, const Vertex& p0, const Vertex& p1, const Vertex& p2);
// A depth-tested line in the material colour; depths 16.16.
void DrawLine(const RasterState& state, const Vertex& a, const Vertex& b);

// Fills one row of `width` pixels with a colour in the target format. A
// background is a good share of a small frame's work, so the row is written
// 16 bytes a store where the processor can, 8 elsewhere.
inline void FillRow(uint8_t* row, int width, int bitsPerPixel, uint32_t colour) {
    const size_t bytes = size_t(width) * size_t(bitsPerPixel / 8);
    const uint64_t pattern =
        bitsPerPixel == 32 ? uint64_t(colour) * 0x100000001ull : uint64_t(colour & 0xFFFF) * 0x0001000100010001ull;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i wide = _mm_set1_epi64x(int64_t(pattern));
    for (; i + 16 <= bytes; i += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), wide);
#endif
    for (; i + 8 <= bytes; i += 8) std::memcpy(row + i, &pattern, 8);
    // The pattern repeats every pixel and i is a multiple of 8: the last
    // pixels take its first bytes.
    std::memcpy(row + i, &pattern, bytes - i);
}

// Per-channel arithmetic of the two pixel formats.
uint32_t ModulateColour(int bitsPerPixel, uint32_t light, uint32_t colour);
uint32_t ToTargetFormat(int bitsPerPixel, uint32_t rgb);

}  // namespace raster
