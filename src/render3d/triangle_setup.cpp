// Triangle set-up: the three projected vertices are ordered top to bottom,
// the long edge (top to bottom) is measured at the middle vertex's row to get
// the widest span and the constant horizontal gradients (affine mapping), and
// each half is handed to the span filler with its edges. The arithmetic is
// the 32-bit fixed point of the design, done in 64 bits where extreme but
// legal input (screen positions up to +-4096) would overflow 32.

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "render3d/raster_local.h"

namespace raster {
namespace {

// The interpolated attributes of one vertex, in 64 bits for exact differences.
struct VertexAttributes {
    int64_t z, u, v, eu, ev;
};

VertexAttributes AttributesOf(const RasterState& st, const Vertex& p) {
    VertexAttributes a;
    a.z = int64_t(p.cz) - st.depthBias;
    a.u = (int64_t(p.u) + st.offsetU) * (int64_t(1) << st.texture.uShift);
    a.v = (int64_t(p.v) + st.offsetV) * (int64_t(1) << st.texture.vShift);
    a.eu = int64_t(p.eu) << 16;
    a.ev = int64_t(p.ev) << 16;
    return a;
}

Attributes Narrow(const VertexAttributes& a) {
    return {uint32_t(a.z), uint32_t(a.u), uint32_t(a.v), int32_t(uint32_t(a.eu)), int32_t(uint32_t(a.ev))};
}

// Per-row steps of the attributes from `from` to `to` over dy rows:
// ((delta >> 8) * (65536 / dy)) >> 8.
Attributes RowSteps(const VertexAttributes& from, const VertexAttributes& to, int dy) {
    int64_t k = 65536 / dy;
    auto step = [k](int64_t a, int64_t b) { return uint32_t((((b - a) >> 8) * k) >> 8); };
    return {step(from.z, to.z), step(from.u, to.u), step(from.v, to.v), int32_t(step(from.eu, to.eu)),
            int32_t(step(from.ev, to.ev))};
}

// 16.16 x step per row: ((dx >> 10) * ((65536 / dy) >> 2)) >> 4.
int32_t EdgeSlope(int64_t dx, int dy) { return int32_t(uint32_t((((dx >> 10) * ((65536 / dy) >> 2)) >> 4))); }

void StepAttributes(Attributes& a, const Attributes& step, int rows) {
    a.z += step.z * uint32_t(rows);
    a.u += step.u * uint32_t(rows);
    a.v += step.v * uint32_t(rows);
    a.eu = int32_t(uint32_t(a.eu) + uint32_t(step.eu) * uint32_t(rows));
    a.ev = int32_t(uint32_t(a.ev) + uint32_t(step.ev) * uint32_t(rows));
}

// Draws rows [start, end) of a half whose edges start at row h.y0 >= start.
// The accumulators wrap modulo 2^32, so stepping them by many rows at once
// gives exactly what stepping row by row would.
void FillRows(const RasterState& st, HalfSpans h, int start, int end) {
    int skip = start - h.y0;
    if (skip > 0) {
        h.xLeft = int32_t(uint32_t(h.xLeft) + uint32_t(h.dxLeft) * uint32_t(skip));
        h.xRight = int32_t(uint32_t(h.xRight) + uint32_t(h.dxRight) * uint32_t(skip));
        StepAttributes(h.left, h.leftStep, skip);
    }
    h.y0 = start;
    h.y1 = end;
    st.filler(st, h);
}

// Draws rows [y0, y1) of a half: rows above 0 and the state's first row are
// stepped over, rows end at the viewport height or the state's last row.
void FillHalf(const RasterState& st, const HalfSpans& h) {
    const int start = std::max({h.y0, 0, st.rowBegin}), end = std::min({h.y1, st.height, st.rowEnd});
    if (start < end) FillRows(st, h, start, end);
}

}  // namespace

void DrawTriangle(const RasterState& st, const Vertex& p0, const Vertex& p1, const Vertex& p2) {
    if (st.wireFrame) {
        if (st.wireFrameMask & 1) DrawLine(st, p1, p2);
        if (st.wireFrameMask & 2) DrawLine(st, p2, p0);
        if (st.wireFrameMask & 4) DrawLine(st, p0, p1);
        return;
    }
    const Vertex* top = &p0;
    const Vertex* mid = &p1;
    const Vertex* bot = &p2;
    if (mid->sy < top->sy) std::swap(top, mid);
    if (bot->sy < mid->sy) std::swap(mid, bot);
    if (mid->sy < top->sy) std::swap(top, mid);
    if (top->sy >= st.height || bot->sy < 0 || top->sy == bot->sy) return;

    const int64_t topX = int64_t(top->sx) << 16, midX = int64_t(mid->sx) << 16, botX = int64_t(bot->sx) << 16;
    const int upperRows = mid->sy - top->sy, lowerRows = bot->sy - mid->sy, allRows = bot->sy - top->sy;
    // The long edge at the middle vertex's row, and the widest span in pixels.
    int64_t longX = topX + ((((botX - topX) >> 8) * upperRows) / allRows) * 256;
    int64_t w = (longX - midX) >> 16;
    if (w == 0) return;

    VertexAttributes at = AttributesOf(st, *top), am = AttributesOf(st, *mid), ab = AttributesOf(st, *bot);
    const int64_t f = (int64_t(upperRows) * 256) / allRows;
    const int64_t k = 65536 / w;
    auto gradient = [&](int64_t a0, int64_t aMid, int64_t a1) {
        int64_t along = a0 + ((a1 - a0) >> 8) * f;
        return uint32_t((((along - aMid) >> 8) * k) >> 8);
    };
    HalfSpans h;
    h.gradient = {gradient(at.z, am.z, ab.z), gradient(at.u, am.u, ab.u), gradient(at.v, am.v, ab.v),
                  int32_t(gradient(at.eu, am.eu, ab.eu)), int32_t(gradient(at.ev, am.ev, ab.ev))};

    const bool longIsLeft = w < 0;
    const int32_t longSlope = EdgeSlope(botX - topX, allRows);
    const Attributes longSteps = RowSteps(at, ab, allRows);

    // Upper half: top to mid.
    if (upperRows > 0) {
        int32_t shortSlope = EdgeSlope(midX - topX, upperRows);
        h.y0 = top->sy;
        h.y1 = mid->sy;
        h.left = Narrow(at);
        h.leftStep = longIsLeft ? longSteps : RowSteps(at, am, upperRows);
        h.xLeft = h.xRight = int32_t(topX);
        h.dxLeft = longIsLeft ? longSlope : shortSlope;
        h.dxRight = longIsLeft ? shortSlope : longSlope;
        FillHalf(st, h);
    }
    // Lower half: mid to bottom; the long edge continues from its value at mid's row.
    if (lowerRows > 0) {
        int32_t shortSlope = EdgeSlope(botX - midX, lowerRows);
        int32_t longXAtMid = int32_t(uint32_t(topX) + uint32_t(longSlope) * uint32_t(upperRows));
        h.y0 = mid->sy;
        h.y1 = bot->sy;
        if (longIsLeft) {
            h.left = Narrow(at);
            StepAttributes(h.left, longSteps, upperRows);
            h.leftStep = longSteps;
            h.xLeft = longXAtMid;
            h.dxLeft = longSlope;
            h.xRight = int32_t(midX);
            h.dxRight = shortSlope;
        } else {
            h.left = Narrow(am);
            h.leftStep = RowSteps(am, ab, lowerRows);
            h.xLeft = int32_t(midX);
            h.dxLeft = shortSlope;
            h.xRight = longXAtMid;
            h.dxRight = longSlope;
        }
        FillHalf(st, h);
    }
}

void DrawLine(const RasterState& st, const Vertex& a, const Vertex& b) {
    if (a.clip & b.clip) return;
    int dx = b.sx - a.sx, dy = b.sy - a.sy;
    int n = std::max(std::abs(dx), std::abs(dy));
    int64_t za = int64_t(a.cz) - st.depthBias, zb = int64_t(b.cz) - st.depthBias;
    int64_t x = int64_t(a.sx) << 16, y = int64_t(a.sy) << 16, z = za;
    int64_t xStep = n ? (int64_t(dx) << 16) / n : 0, yStep = n ? (int64_t(dy) << 16) / n : 0;
    int64_t zStep = n ? (zb - za) / n : 0;
    const uint32_t colour = st.materialColour;
    for (int i = 0; i <= n; ++i, x += xStep, y += yStep, z += zStep) {
        int px = int(x >> 16), py = int(y >> 16);
        if (px < 0 || py < 0 || px >= st.width || py >= st.height) continue;
        if (py < st.rowBegin || py >= st.rowEnd) continue;
        uint32_t depth = uint32_t(z);
        uint32_t* entry = st.depth + intptr_t(py) * st.depthPitch + px;
        if (depth >= *entry) continue;
        *entry = depth;
        uint8_t* row = st.pixels + intptr_t(py) * st.pitch;
        if (st.bitsPerPixel == 32) reinterpret_cast<uint32_t*>(row)[px] = colour;
        else reinterpret_cast<uint16_t*>(row)[px] = uint16_t(colour);
    }
}

}  // namespace raster
