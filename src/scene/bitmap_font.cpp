#include "scene/bitmap_font.h"

#include <algorithm>

#include "scene/image_file.h"
#include "scene/image_ops.h"

namespace {

constexpr char kSpace = ' ';

// A blank or control character: where a wrapped line may break.
bool Breakable(char c) { return static_cast<unsigned char>(c) < 33; }

}  // namespace

bool suitsBitmapFont(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return (c & 0xFF) <= 127 && (c >> 8) <= 127; });
}

BitmapFont::BitmapFont(std::unique_ptr<FrameBuffer> pictureIn, int columnsIn, int rowsIn, int caseConversionIn,
                       int startCodeIn)
    : columns(columnsIn),
      rows(rowsIn),
      startCode(startCodeIn),
      caseConversion(caseConversionIn),
      glyphCount(columnsIn * rowsIn),
      cellWidth(pictureIn->width / columnsIn),
      cellHeight(pictureIn->height / rowsIn),
      picture(std::move(pictureIn)) {}

std::unique_ptr<BitmapFont> BitmapFont::FromPicture(std::unique_ptr<FrameBuffer> picture, int columns, int rows,
                                                    int caseConversion, int startCode) {
    if (!picture || columns <= 0 || rows <= 0) return nullptr;
    if (picture->width / columns == 0 || picture->height / rows == 0) return nullptr;
    return std::unique_ptr<BitmapFont>(new BitmapFont(std::move(picture), columns, rows, caseConversion, startCode));
}

std::unique_ptr<BitmapFont> BitmapFont::Load(std::u16string_view picturePath, int columns, int rows,
                                             int caseConversion, int startCode) {
    if (columns <= 0 || rows <= 0) return nullptr;
    return FromPicture(LoadFrameBuffer(picturePath, true), columns, rows, caseConversion, startCode);
}

void BitmapFont::setBufferSize(int n) {
    if (n >= 0) bufferSize_ = n;
}

host::Point BitmapFont::glyphSize(int size) const {
    if (size == 0) return host::Point{cellWidth / pictureScale, cellHeight / pictureScale};
    return host::Point{cellWidth * size / cellHeight, size};
}

// Characters beyond one byte have no place in the single-byte code page.
std::string BitmapFont::convert(std::u16string_view text) const {
    std::string bytes;
    size_t n = std::min(text.size(), size_t(bufferSize_));
    bytes.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        char b = c < 256 ? char(c) : '?';
        if (caseConversion == 1 && b >= 'a' && b <= 'z') b = char(b - 'a' + 'A');
        if (caseConversion == 2 && b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        bytes.push_back(b);
    }
    return bytes;
}

template <typename Blit>
void BitmapFont::drawGlyphs(const std::string& bytes, size_t begin, size_t end, int x, int y, host::Point glyph,
                            Blit&& blit) const {
    for (size_t i = begin; i < end; ++i, x += glyph.x) {
        if (bytes[i] == kSpace) continue;
        int cell = static_cast<unsigned char>(bytes[i]) - startCode;
        if (cell < 0 || cell >= glyphCount) cell = 0;
        blit((cell % columns) * cellWidth, (cell / columns) * cellHeight, x, y);
    }
}

std::vector<BitmapFont::Line> BitmapFont::wrap(const std::string& bytes, int width, int glyphWidth) const {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        Line line{pos, pos};
        size_t next = pos;
        for (size_t i = pos;; ++i) {
            if (i >= bytes.size()) {
                line.end = next = bytes.size();
                break;
            }
            if (bytes[i] == '\n' && i + 1 < bytes.size() && bytes[i + 1] == '\r') {
                line.end = i;
                next = i + 2;
                break;
            }
            if (int64_t(i - pos + 1) * glyphWidth > width) {
                // Break after the last blank, looking back from the overflowing
                // character; a line always keeps at least one character.
                size_t k = i;
                while (k > pos && !Breakable(bytes[k])) --k;
                if (k > pos) line.end = next = k + 1;
                else line.end = next = std::max(i, pos + 1);
                break;
            }
        }
        lines.push_back(line);
        pos = next;
    }
    return lines;
}

template <typename Blit>
void BitmapFont::layOutBlock(const host::Rect& rect, std::u16string_view text, int size, int alignment,
                             Blit&& blit) const {
    std::string bytes = convert(text);
    host::Point glyph = glyphSize(size);
    if (glyph.y <= 0) return;
    int top = rect.top;
    for (const Line& line : wrap(bytes, rect.right - rect.left, glyph.x)) {
        if (top >= rect.bottom) break;
        int free = rect.right - rect.left - int(line.end - line.begin) * glyph.x;
        int x = rect.left + (alignment == 1 ? free / 2 : alignment == 2 ? free : 0);
        drawGlyphs(bytes, line.begin, line.end, x, top, glyph, blit);
        top += glyph.y;
    }
}

namespace {

// Glyph copies onto each kind of target, keyed by the picture's colour key.
struct BitmapBlit {
    const FrameBuffer& picture;
    FrameBuffer& target;
    host::Point cell, glyph;
    void operator()(int cx, int cy, int x, int y) const {
        if (glyph.x == cell.x && glyph.y == cell.y) {
            copyRect(picture, target, x, y, cx, cy, cell.x, cell.y, false);
        } else {
            stretchRect(picture, target, x, y, glyph.x, glyph.y, cx, cy, cell.x, cell.y, false);
        }
    }
};

struct ContextBlit {
    const FrameBuffer& picture;
    host::DeviceContext& target;
    host::Point cell, glyph;
    void operator()(int cx, int cy, int x, int y) const {
        if (glyph.x == cell.x && glyph.y == cell.y) {
            drawToDC(picture, target, x, y, cx, cy, cell.x, cell.y, false);
        } else {
            stretchToDC(picture, target, x, y, glyph.x, glyph.y, cx, cy, cell.x, cell.y, false);
        }
    }
};

}  // namespace

void BitmapFont::drawLine(FrameBuffer& target, int x, int y, std::u16string_view text, int size) const {
    std::string bytes = convert(text);
    drawGlyphs(bytes, 0, bytes.size(), x, y, glyphSize(size),
               BitmapBlit{*picture, target, {cellWidth, cellHeight}, glyphSize(size)});
}

void BitmapFont::drawLine(host::DeviceContext& target, int x, int y, std::u16string_view text, int size) const {
    std::string bytes = convert(text);
    drawGlyphs(bytes, 0, bytes.size(), x, y, glyphSize(size),
               ContextBlit{*picture, target, {cellWidth, cellHeight}, glyphSize(size)});
}

void BitmapFont::drawBlock(FrameBuffer& target, const host::Rect& rect, std::u16string_view text, int size,
                           int alignment) const {
    layOutBlock(rect, text, size, alignment, BitmapBlit{*picture, target, {cellWidth, cellHeight}, glyphSize(size)});
}

void BitmapFont::drawBlock(host::DeviceContext& target, const host::Rect& rect, std::u16string_view text, int size,
                           int alignment) const {
    layOutBlock(rect, text, size, alignment, ContextBlit{*picture, target, {cellWidth, cellHeight}, glyphSize(size)});
}
