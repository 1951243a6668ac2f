#include "scene/text_drawing.h"

#include "scene/bitmap_font.h"

namespace {

constexpr std::u16string_view kDefaultFace = u"Arial";
constexpr size_t kMaxFaceLength = 31;

uint32_t AlignmentFlag(int alignment) {
    return alignment == 1 ? host::DT_CENTER : alignment == 2 ? host::DT_RIGHT : host::DT_LEFT;
}

void DrawSystemText(host::DeviceContext& dc, std::u16string_view text, const host::Rect& box,
                    const TextStyle& style) {
    if (!fontMatches(dc, style.size, style.weight, style.italic, style.underline, style.face))
        dc.selectFont(createFont(style.size, style.weight, style.italic, style.underline, style.face));
    host::ColorRef oldColour = dc.setTextColor(host::ToColorRef(style.colour));
    std::u16string content(text);
    if (style.formatted) {
        host::Rect rect = box;
        dc.drawText(content, rect, AlignmentFlag(style.alignment) | host::DT_WORDBREAK);
    } else {
        // A single line is text put at a point: nothing limits it to the box.
        host::Rect rect{box.left, box.top, box.left, box.top};
        dc.drawText(content, rect, host::DT_LEFT | host::DT_SINGLELINE | host::DT_NOCLIP);
    }
    dc.setTextColor(oldColour);
}

std::u16string_view FaceOrDefault(std::u16string_view face) {
    return face.empty() ? kDefaultFace : face.substr(0, kMaxFaceLength);
}

}  // namespace

host::FontSpec createFont(int height, int weight, bool italic, bool underline, std::u16string_view face) {
    return host::FontSpec{std::u16string(FaceOrDefault(face)), height, weight, italic, underline};
}

bool fontMatches(const host::DeviceContext& dc, int height, int weight, bool italic, bool underline,
                 std::u16string_view face) {
    const host::FontSpec& f = dc.font();
    return f.height == height && f.weight == weight && f.italic == italic && f.underline == underline &&
           f.face == FaceOrDefault(face);
}

host::Point textExtent(host::DeviceContext& dc, std::u16string_view text) {
    if (!host::GetTextRasterizer()) return host::Point{-1, -1};
    return dc.textExtent(std::u16string(text));
}

void DrawText(FrameBuffer& target, const BitmapFont* font, std::u16string_view text, const host::Rect& box,
              const TextStyle& style) {
    if (text.empty()) return;
    if (font && suitsBitmapFont(text)) {
        if (style.formatted) font->drawBlock(target, box, text, style.size, style.alignment);
        else font->drawLine(target, box.left, box.top, text, style.size);
        return;
    }
    if (!target.deviceContext) return;
    host::DeviceContext& dc = *target.deviceContext;
    int oldMode = dc.setBkMode(host::TRANSPARENT);
    DrawSystemText(dc, text, box, style);
    dc.setBkMode(oldMode);
}

void DrawText(host::DeviceContext& target, const BitmapFont* font, std::u16string_view text, const host::Rect& box,
              const TextStyle& style) {
    if (text.empty()) return;
    if (font && suitsBitmapFont(text)) {
        if (style.formatted) font->drawBlock(target, box, text, style.size, style.alignment);
        else font->drawLine(target, box.left, box.top, text, style.size);
        return;
    }
    DrawSystemText(target, text, box, style);
}
