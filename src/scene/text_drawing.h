#pragma once
// Text as sprites and message boxes draw it: with a bitmap font when there is
// one and the text suits it, otherwise with a system font through the device
// context.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/frame_buffer.h"
#include "platform/host/device_context.h"

class BitmapFont;

struct TextStyle {
    std::u16string face;  // system font face; empty means "Arial"
    int size = 16;        // character height in pixels, for both kinds of font
    int weight = 400;
    bool italic = false;
    bool underline = false;
    uint32_t colour = 0xFFFFFF;  // 0xRRGGBB, system fonts only
    int alignment = 0;           // 0 left, 1 centre, 2 right
    bool formatted = true;       // a wrapped, aligned block; false: one line
};

// Draws `text` in `box` (left, top, right, bottom). A formatted text is
// wrapped inside the box with the style's alignment; a single line starts at
// the box's top-left corner and is not clipped to it. Onto a frame buffer the
// system font is drawn with a transparent background; onto a device context in
// the context's own background mode.
void DrawText(FrameBuffer& target, const BitmapFont* font, std::u16string_view text, const host::Rect& box,
              const TextStyle& style);
void DrawText(host::DeviceContext& target, const BitmapFont* font, std::u16string_view text, const host::Rect& box,
              const TextStyle& style);

// A system font of that height and weight; an empty face means "Arial", and
// faces are cut to 31 characters.
host::FontSpec createFont(int height, int weight, bool italic, bool underline, std::u16string_view face);
// Whether the context's current font is exactly that font.
bool fontMatches(const host::DeviceContext& dc, int height, int weight, bool italic, bool underline,
                 std::u16string_view face);
// Width and height of the text in the context's current font; -1, -1 when the
// system cannot draw text.
host::Point textExtent(host::DeviceContext& dc, std::u16string_view text);
