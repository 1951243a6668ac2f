#pragma once
// Colour arithmetic on 0xRRGGBB values and the pixel operations of frame
// buffers: fill, keyed copy, stretch, the blended copy of sprites, and drawing
// a frame buffer onto a device context.
//
// Frame buffers hold the display's own format, so copies between two of them
// are plain row copies or key compares. Buffers of different formats are still
// copied correctly, pixel by pixel through 0xRRGGBB, only slower.

#include <cstdint>

#include "platform/frame_buffer.h"
#include "platform/host/device_context.h"

// The "no colour" value of colours and colour keys.
inline constexpr uint32_t kNoColour = 0xFFFFFFFF;

namespace colour {

constexpr int red(uint32_t c) { return int((c >> 16) & 0xFF); }
constexpr int green(uint32_t c) { return int((c >> 8) & 0xFF); }
constexpr int blue(uint32_t c) { return int(c & 0xFF); }
constexpr uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
constexpr bool isGrey(uint32_t c) { return red(c) == green(c) && green(c) == blue(c); }
// 0..255; 2730 / 8192 is one third.
constexpr int brightness(uint32_t c) { return (red(c) + green(c) + blue(c)) * 2730 >> 13; }
constexpr uint32_t greyOf(uint32_t c) { return uint32_t(((2 * green(c) + red(c)) * 3 + blue(c)) / 10) * 0x010101u; }
constexpr uint32_t invert(uint32_t c) { return 0xFFFFFFu - c; }
uint32_t addSaturated(uint32_t c1, uint32_t c2);
// Channel differences c1 - c2, never below 0.
uint32_t subtractSaturated(uint32_t c1, uint32_t c2);
// Each channel times f / 256.
uint32_t scaleColour(uint32_t c, int f);
uint32_t average(uint32_t c1, uint32_t c2);
// t = 256 gives c1, t = 0 gives c2.
uint32_t blend(uint32_t c1, uint32_t c2, int t);

}  // namespace colour

// Fills the rectangle with the colour, or draws its one-pixel outline when
// `filled` is false. A negative w or h means the whole frame buffer.
void fill(FrameBuffer& frameBuffer, uint32_t colour, int x, int y, int w, int h, bool filled);
// The whole frame buffer in the colour (0 zeroes it).
void clear(FrameBuffer& frameBuffer, uint32_t colour);

// Copies the source rectangle to (dx, dy), clipped to both buffers. Any of sx,
// sy, sw, sh negative copies the whole source. Unless `opaque`, pixels equal to
// the source's colour key are left out.
void copyRect(const FrameBuffer& src, FrameBuffer& dst, int dx, int dy, int sx, int sy, int sw, int sh,
              bool opaque);

// Scales the source rectangle onto the destination rectangle, each destination
// pixel taking the source pixel at its truncated 20.12 position. Pixels equal
// to the source's colour key are left out. With `smooth`, a pixel whose step
// skips source columns (rows) is averaged with its left (upper) neighbour.
// Negative source values stand for the whole source.
void stretchRect(const FrameBuffer& src, FrameBuffer& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                 int sh, bool smooth);

// The sprites' see-through copy: mapped and smoothed like stretchRect, key
// pixels left out, and every other pixel mixed into the destination by an
// opacity: the brightness of the pixel at the same place of `alpha` when given,
// else full, and reduced by `transparency` (0 opaque .. 255 invisible).
void blendRect(const FrameBuffer& src, const FrameBuffer* alpha, FrameBuffer& dst, int dx, int dy, int dw, int dh,
               int sx, int sy, int sw, int sh, int transparency);

// Puts the bitmap on a device context: w or h of -1 means the whole bitmap.
// A bitmap with a colour key is drawn keyed unless `opaque`.
void drawToDC(const FrameBuffer& bitmap, host::DeviceContext& dc, int x, int y, int sx, int sy, int w, int h,
              bool opaque);
// The same, scaled to w x h; a negative source value means the whole bitmap.
void stretchToDC(const FrameBuffer& bitmap, host::DeviceContext& dc, int x, int y, int w, int h, int sx, int sy,
                 int sw, int sh, bool opaque);
