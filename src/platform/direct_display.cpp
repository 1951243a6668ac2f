#include "platform/direct_display.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/platform_state.h"

namespace {

constexpr uint32_t kIpaqDisplayAddress = 0xAC0755A0;

bool Contains(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }

// Picks the display memory and its layout; also run again on resumption.
void ChooseDisplayMemory() {
    DisplayMode& m = Display();
    const DeviceInfo& d = Device();
    const host::DisplayMemory* memory = host::GetDisplayMemory();
    if (Contains(d.oemInfo, u"ipaq") && Contains(d.oemInfo, u"h38")) {
        m.width = 240;
        m.height = 320;
        m.xPitch = -640;
        m.yPitch = 2;
        m.bitsPerPixel = 16;
        m.format = 0xA8;
        m.framePointer = host::MapDeviceAddress(kIpaqDisplayAddress);
    } else if (d.startOrientation == 0 && d.osMajor < 5 && memory && !memory->systemMemory) {
        // The Game API's own buffer, held from one begin-draw until suspension.
        m.framePointer = memory->framePointer;
        m.drawBegun = true;
    } else if (d.rawWidth * d.rawHeight != 0 && memory) {
        m.width = d.rawWidth;
        m.height = d.rawHeight;
        m.xPitch = memory->xPitch;
        m.yPitch = memory->yPitch;
        m.bitsPerPixel = memory->bitsPerPixel;
        m.format = memory->format;
        m.framePointer = memory->framePointer;
    } else {
        m.framePointer = nullptr;
    }
}

int RotationFor(const DeviceInfo& d, const DisplayMode& m) {
    if (m.width <= m.height) return d.startOrientation;
    if (!d.hasTouch) return 0;
    switch (d.startOrientation) {
        case 1: return 0;
        case 2: return 1;
        case 4: return 2;
        default: return 4;
    }
}

}  // namespace

DisplayMode& Display() { return Platform().display; }

void OpenDirect(host::WindowHandle window, bool display, bool input) {
    DisplayMode& m = Display();
    const DeviceInfo& d = Device();
    Platform().directWindow = window;
    if (display) {
        m.gameApiOpen = d.startOrientation == 0;
        if (const host::DisplayMemory* memory = host::GetDisplayMemory()) {
            m.width = memory->width;
            m.height = memory->height;
            m.xPitch = memory->xPitch;
            m.yPitch = memory->yPitch;
            m.bitsPerPixel = memory->bitsPerPixel;
            m.format = memory->format;
        }
        m.displayOpen = true;
        ChooseDisplayMemory();
        m.rotationMode = RotationFor(d, m);
    }
    if (input) {
        static const int defaults[8] = {host::VK_UP, host::VK_DOWN, host::VK_LEFT, host::VK_RIGHT,
                                        host::VK_APP1, host::VK_APP2, host::VK_APP3, host::VK_APP4};
        for (int i = 0; i < 8; ++i) m.keys[i] = DisplayKey{defaults[i], 0, 0};
        m.inputOpen = true;
    }
}

host::WindowHandle DirectWindow() { return Platform().directWindow; }

void CloseDirect() {
    DisplayMode& m = Display();
    if (m.displayOpen) {
        m.drawBegun = false;
        m.framePointer = nullptr;
        m.gameApiOpen = false;
        m.displayOpen = false;
    }
    m.inputOpen = false;
}

void SuspendDirect() {
    Display().drawBegun = false;
    Display().framePointer = nullptr;
}

void ResumeDirect() {
    if (Display().displayOpen) ChooseDisplayMemory();
}

int KeyCodeA() { return Display().inputOpen ? Display().keys[4].virtualKey : host::VK_APP1; }
int KeyCodeB() { return Display().inputOpen ? Display().keys[5].virtualKey : host::VK_APP2; }
int KeyCodeC() { return Display().inputOpen ? Display().keys[6].virtualKey : host::VK_APP3; }
int KeyCodeStart() { return Display().inputOpen ? Display().keys[7].virtualKey : host::VK_APP4; }

void SetFullScreen(host::WindowHandle window, bool on) { host::SetShellFullScreen(window, on); }
int QueryOrientation() { return Device().osMajor < 4 ? 0 : host::QueryDisplayOrientation(); }
int SetOrientation(int orientation) { return Device().osMajor < 4 ? 0 : host::SetDisplayOrientation(orientation); }

// ---- PresentDirect ---------------------------------------------------------------------
//
// A source pixel (x, y) lands on display pixel (X, Y) by the rotation table:
//   mode 0: (ox + x, oy + y)          mode 1: (ox + y, oy + W - 1 - x)
//   mode 2: (ox + W - 1 - x, oy + H - 1 - y)   mode 4: (ox + H - 1 - y, oy + x)
// with W, H the surface size. Rows run along x, so a row is one block in
// memory when the display pitch along x is one pixel either way.

namespace {

struct Mapping {
    int mode, ox, oy, surfaceW, surfaceH;

    void map(int x, int y, int& X, int& Y) const {
        switch (mode) {
            case 1: X = ox + y; Y = oy + surfaceW - 1 - x; break;
            case 2: X = ox + surfaceW - 1 - x; Y = oy + surfaceH - 1 - y; break;
            case 4: X = ox + surfaceH - 1 - y; Y = oy + x; break;
            default: X = ox + x; Y = oy + y; break;
        }
    }

    // The source area whose every pixel lands inside a display of dw x dh
    // pixels: memory beyond the display is never written.
    host::Rect safeArea(int dw, int dh) const {
        switch (mode) {
            case 1: return {oy + surfaceW - dh, -ox, oy + surfaceW, dw - ox};
            case 2: return {ox + surfaceW - dw, oy + surfaceH - dh, ox + surfaceW, oy + surfaceH};
            case 4: return {-oy, ox + surfaceH - dw, dh - oy, ox + surfaceH};
            default: return {-ox, -oy, dw - ox, dh - oy};
        }
    }
};

inline uint16_t SourcePixel(const uint8_t* row, int x, int bitsPerPixel) {
    if (bitsPerPixel == 16) {
        uint16_t p;
        std::memcpy(&p, row + x * 2, 2);
        return p;
    }
    uint32_t p;
    std::memcpy(&p, row + x * 4, 4);
    return host::RgbTo565(p);
}

// One row, pixel by pixel with a step in 16-bit units, four pixels a pass.
void CopyRowStrided(uint16_t* dst, intptr_t step, const uint8_t* srcRow, int x0, int count, int bitsPerPixel) {
    int i = 0;
    if (bitsPerPixel == 16) {
        const uint16_t* src = reinterpret_cast<const uint16_t*>(srcRow) + x0;
        for (; i + 4 <= count; i += 4) {
            dst[0] = src[i];
            dst[step] = src[i + 1];
            dst[2 * step] = src[i + 2];
            dst[3 * step] = src[i + 3];
            dst += 4 * step;
        }
    }
    for (; i < count; ++i, dst += step) *dst = SourcePixel(srcRow, x0 + i, bitsPerPixel);
}

#if defined(__SSE2__)
inline __m128i Load8(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Eight pixels in reverse order.
inline __m128i Reverse8(__m128i v) {
    v = _mm_shufflelo_epi16(v, 0x1B);
    v = _mm_shufflehi_epi16(v, 0x1B);
    return _mm_shuffle_epi32(v, 0x4E);
}

#endif

// A row whose display run goes right to left: the block [dst, dst + count)
// receives the row reversed, four pixels at a time with their lanes swapped.
void CopyRowReversed(uint16_t* dst, const uint8_t* srcRow, int count) {
    const auto* src = reinterpret_cast<const uint16_t*>(srcRow);
    int i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= count; i += 8) {
        __m128i eight = Reverse8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + count - 8 - i), eight);
    }
#endif
    for (; i + 4 <= count; i += 4) {
        uint64_t four;
        std::memcpy(&four, src + i, 8);
        four = (four >> 48) | ((four >> 16) & 0xFFFF0000u) | ((four << 16) & 0xFFFF00000000ull) | (four << 48);
        std::memcpy(dst + count - 4 - i, &four, 8);
    }
    for (; i < count; ++i) dst[count - 1 - i] = src[i];
}

// Rows that land as display columns: source pixel (x, y) goes to
// dst + x * step + y * rowStep with rowStep = +-1, so source rows side by
// side make runs down the display. The area is walked in blocks of 32 rows
// (a 64-byte cache line of each display column) cut into tiles of 8 x 8:
// each tile's eight rows are read side by side and each of its columns
// written as one run, and a column's line is filled by the block's four tiles
// one after another, so no display line is fetched more than once.
constexpr int kTile = 8;
constexpr int kBlockRows = 32;

#if defined(__SSE2__)
// The 8 x 8 tile at src (rows `stride` bytes apart) turned into eight runs
// of eight, run c at dst + c * step going down (rowStep 1) or up (-1).
template <bool Up>
inline void TransposeTile(uint16_t* dst, intptr_t step, const uint8_t* src, intptr_t stride) {
    // Going up, the rows are taken bottom first: the columns then come out
    // already reversed.
    auto row = [&](int r) { return Load8(src + (Up ? 7 - r : r) * stride); };
    const __m128i r0 = row(0), r1 = row(1), r2 = row(2), r3 = row(3), r4 = row(4), r5 = row(5), r6 = row(6),
                  r7 = row(7);
    const __m128i a0 = _mm_unpacklo_epi16(r0, r1), a1 = _mm_unpackhi_epi16(r0, r1);
    const __m128i a2 = _mm_unpacklo_epi16(r2, r3), a3 = _mm_unpackhi_epi16(r2, r3);
    const __m128i a4 = _mm_unpacklo_epi16(r4, r5), a5 = _mm_unpackhi_epi16(r4, r5);
    const __m128i a6 = _mm_unpacklo_epi16(r6, r7), a7 = _mm_unpackhi_epi16(r6, r7);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    const __m128i columns[8] = {_mm_unpacklo_epi64(b0, b4), _mm_unpackhi_epi64(b0, b4), _mm_unpacklo_epi64(b1, b5),
                                _mm_unpackhi_epi64(b1, b5), _mm_unpacklo_epi64(b2, b6), _mm_unpackhi_epi64(b2, b6),
                                _mm_unpacklo_epi64(b3, b7), _mm_unpackhi_epi64(b3, b7)};
    uint16_t* run = Up ? dst - 7 : dst;
    for (int c = 0; c < 8; ++c)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(run + c * step), columns[c]);
}
#else
template <bool Up>
inline void TransposeTile(uint16_t* dst, intptr_t step, const uint8_t* src, intptr_t stride) {
    for (int y = 0; y < kTile; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(src + y * stride);
        uint16_t* out = Up ? dst - y : dst + y;
        for (int x = 0; x < kTile; ++x) out[x * step] = row[x];
    }
}
#endif

// A 16-bit area of count x rows pixels whose rows land as display columns
// (rowStep = +-1): whole blocks and tiles first, then the columns and rows left over.
template <bool Up>
void CopyTransposed(uint16_t* dst, intptr_t step, const uint8_t* src, intptr_t stride, int count, int rows) {
    const intptr_t rowStep = Up ? -1 : 1;
    const int tiledCount = count - count % kTile;
    int y = 0;
    for (int height = kBlockRows; height >= kTile; height /= 2) {
        for (; y + height <= rows; y += height) {
            const uint8_t* srcRows = src + y * stride;
            uint16_t* dstRows = dst + y * rowStep;
            for (int x = 0; x < tiledCount; x += kTile)
                for (int t = 0; t < height; t += kTile)
                    TransposeTile<Up>(dstRows + x * step + t * rowStep, step, srcRows + t * stride + x * 2, stride);
            for (int r = 0; r < height && tiledCount < count; ++r)
                CopyRowStrided(dstRows + r * rowStep + tiledCount * step, step, srcRows + r * stride, tiledCount,
                               count - tiledCount, 16);
        }
    }
    for (; y < rows; ++y) CopyRowStrided(dst + y * rowStep, step, src + y * stride, 0, count, 16);
}

// Each source pixel fills the 2 x 2 block at (2X, 2Y); the run advances two pixels.
void CopyRowDoubled(uint16_t* dst, intptr_t step, intptr_t px, intptr_t py, const uint8_t* srcRow, int x0, int count,
                    int bitsPerPixel) {
    for (int i = 0; i < count; ++i, dst += 2 * step) {
        uint16_t p = SourcePixel(srcRow, x0 + i, bitsPerPixel);
        dst[0] = dst[px] = dst[py] = dst[px + py] = p;
    }
}

}  // namespace

void PresentDirect(const host::PixelSurface& surface, host::Rect* rect) {
    const DisplayMode& m = Display();
    if (!m.framePointer || !surface.valid()) return;
    const DesignSize& design = Design();
    const bool doubled = Device().highResolution;

    // 1. Origin.
    int ox = design.offsetX, oy = design.offsetY, D = m.height;
    if (m.width != m.height && (m.width > m.height) != (surface.width > surface.height)) {
        std::swap(ox, oy);
        D = m.width;
    }
    if (m.rotationMode == 4) ox = D - surface.height - ox;

    // 2. Area, clamped to the surface (and written back), then to the display.
    host::Rect area{0, 0, surface.width, surface.height};
    if (rect) {
        rect->left = std::max(rect->left, 0);
        rect->top = std::max(rect->top, 0);
        rect->right = std::min(rect->right, surface.width);
        rect->bottom = std::min(rect->bottom, surface.height);
        area = *rect;
    }
    Mapping map{m.rotationMode, ox, oy, surface.width, surface.height};
    const int scale = doubled ? 2 : 1;
    area = host::Intersect(area, map.safeArea(m.width / scale, m.height / scale));
    if (area.empty()) return;

    // 3. Rows. Pitches count in 16-bit pixels; `step` moves one source pixel
    // along a row, `rowStep` one source row down.
    const intptr_t px = m.xPitch / 2, py = m.yPitch / 2;
    intptr_t step, rowStep;
    switch (m.rotationMode) {
        case 1: step = -py, rowStep = px; break;
        case 2: step = -px, rowStep = -py; break;
        case 4: step = py, rowStep = -px; break;
        default: step = px, rowStep = py; break;
    }
    int X, Y;
    map.map(area.left, area.top, X, Y);
    uint16_t* dst = reinterpret_cast<uint16_t*>(m.framePointer) + intptr_t(X * scale) * px + intptr_t(Y * scale) * py;
    const uint8_t* src = surface.row(area.top) + area.left * (surface.bitsPerPixel / 8);
    const int count = area.width(), rows = area.height();
    const bool plain = !doubled && surface.bitsPerPixel == 16;

    if (plain && step == 1 && rowStep * 2 == surface.stride && count == surface.width) {
        // Whole rows laid out alike on both sides: the area is one block.
        std::memcpy(dst, src, size_t(surface.stride) * size_t(rows - 1) + size_t(count) * 2);
    } else if (plain && (rowStep == 1 || rowStep == -1) && (step >= rows || step <= -rows)) {
        // Columns at least an area's height apart never overlap, so the
        // order of the writes cannot matter.
        if (rowStep < 0) CopyTransposed<true>(dst, step, src, surface.stride, count, rows);
        else CopyTransposed<false>(dst, step, src, surface.stride, count, rows);
    } else {
        for (int y = 0; y < rows; ++y, dst += rowStep * scale, src += surface.stride) {
            if (doubled) {
                CopyRowDoubled(dst, step, px, py, src, 0, count, surface.bitsPerPixel);
            } else if (plain && step == 1) {
                std::memcpy(dst, src, size_t(count) * 2);
            } else if (plain && step == -1) {
                CopyRowReversed(dst - (count - 1), src, count);
            } else {
                CopyRowStrided(dst, step, src, 0, count, surface.bitsPerPixel);
            }
        }
    }
    host::CommitDisplayMemory();
}
