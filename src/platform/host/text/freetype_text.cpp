#include "platform/host/text/freetype_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/text/font_locator.h"

namespace host {

namespace {

// Beyond this a height is a mistake, not a font size; glyphs that large would
// only cost memory.
constexpr int kMaxHeight = 1000;
constexpr int kDefaultHeight = 16;
// Sized fonts kept open before the cache starts over.
constexpr size_t kMaxSizedFonts = 64;

struct Glyph {
    int left = 0, top = 0;  // bitmap corner from the pen, top measured up from the baseline
    int width = 0, rows = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;  // width x rows, 0 (none) .. 255 (full)
};

// One face at one pixel height, with the glyphs drawn so far.
struct SizedFont {
    FT_Face face = nullptr;
    bool embolden = false, oblique = false;
    int cellHeight = 0;  // line height: ascent + descent
    int ascent = 0;
    int underlineOffset = 1;  // pixels below the baseline
    int underlineThickness = 1;
    std::unordered_map<char32_t, Glyph> glyphs;

    ~SizedFont() {
        if (face) FT_Done_Face(face);
    }
};

struct LineSpan {
    size_t begin = 0, end = 0;
    int width = 0;
};

std::u32string CodePoints(const std::u16string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        out.push_back(c);
    }
    return out;
}

bool IsBreak(char32_t c) { return c == U'\n' || c == U'\r'; }

uint32_t Mix(uint32_t dst, uint32_t ink, int a) {
    auto channel = [&](int shift) {
        int d = int(dst >> shift) & 0xFF, t = int(ink >> shift) & 0xFF;
        return uint32_t(d + ((t - d) * a + (t > d ? 127 : -127)) / 255) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

class FreeTypeText final : public TextRasterizer {
public:
    ~FreeTypeText() override {
        sized_.clear();
        if (library_) FT_Done_FreeType(library_);
    }

    int drawText(DeviceContext& dc, const std::u16string& text, Rect& rect, uint32_t format) override;
    Point textExtent(const FontSpec& font, const std::u16string& text) override;
    bool fontMatches(const FontSpec& font) override {
        const FontFile* file = findFile(font);
        return file && file->familyMatches;
    }

private:
    bool ready();
    const FontFile* findFile(const FontSpec& font);
    SizedFont* sizedFont(const FontSpec& font);
    bool openSized(const FontFile& file, int height, SizedFont& sized);
    const Glyph& glyph(SizedFont& font, char32_t c);
    int advance(SizedFont& font, char32_t c) { return c < 32 ? 0 : glyph(font, c).advance; }
    std::vector<LineSpan> layOut(SizedFont& font, const std::u32string& text, int maxWidth, uint32_t format);
    void wrapParagraph(SizedFont& font, const std::u32string& text, size_t begin, size_t end, int maxWidth,
                       std::vector<LineSpan>& lines);
    void drawLine(DeviceContext& dc, SizedFont& font, const std::u32string& text, const LineSpan& line, int x,
                  int top, const Rect& clip);

    bool tried_ = false;
    FT_Library library_ = nullptr;
    std::map<std::tuple<std::u16string, int, bool>, std::unique_ptr<FontFile>> files_;
    std::map<std::tuple<std::string, int, bool, bool, int>, std::unique_ptr<SizedFont>> sized_;
};

bool FreeTypeText::ready() {
    if (!tried_) {
        tried_ = true;
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    return library_;
}

const FontFile* FreeTypeText::findFile(const FontSpec& font) {
    if (!ready()) return nullptr;
    int weight = font.weight <= 0 ? 400 : std::min(font.weight, 1000);
    auto key = std::make_tuple(font.face, weight, font.italic);
    auto found = files_.find(key);
    if (found != files_.end()) return found->second.get();

    auto file = std::make_unique<FontFile>();
    if (!LocateFont(ToUtf8(font.face.empty() ? u"Arial" : font.face), weight, font.italic, *file)) file.reset();
    return (files_[key] = std::move(file)).get();
}

bool FreeTypeText::openSized(const FontFile& file, int height, SizedFont& sized) {
    if (FT_New_Face(library_, file.path.c_str(), file.index, &sized.face) != 0) {
        sized.face = nullptr;
        return false;
    }
    FT_Face face = sized.face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return false;
    double units = face->units_per_EM;
    double ascent = face->ascender, descent = -face->descender;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) ascent = units * 0.8, descent = units * 0.2;
    double scale = height > 0 ? height / (ascent + descent) : -height / units;  // pixels per font unit
    FT_F26Dot6 em = FT_F26Dot6(std::lround(units * scale * 64));
    if (FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(em, 64), 72, 72) != 0) return false;
    sized.embolden = file.embolden;
    sized.oblique = file.oblique;
    sized.cellHeight = height > 0 ? height : int(std::lround((ascent + descent) * scale));
    sized.ascent = int(std::lround(ascent * scale));
    sized.underlineOffset = std::max(1, int(std::lround(-face->underline_position * scale)));
    sized.underlineThickness = std::max(1, int(std::lround(face->underline_thickness * scale)));
    return true;
}

SizedFont* FreeTypeText::sizedFont(const FontSpec& font) {
    const FontFile* file = findFile(font);
    if (!file) return nullptr;
    int height = font.height == 0 ? kDefaultHeight : std::clamp(font.height, -kMaxHeight, kMaxHeight);
    auto key = std::make_tuple(file->path, file->index, file->embolden, file->oblique, height);
    auto found = sized_.find(key);
    if (found != sized_.end()) return found->second.get();
    if (sized_.size() >= kMaxSizedFonts) sized_.clear();
    auto sized = std::make_unique<SizedFont>();
    if (!openSized(*file, height, *sized)) sized.reset();
    return (sized_[key] = std::move(sized)).get();
}

const Glyph& FreeTypeText::glyph(SizedFont& font, char32_t c) {
    auto found = font.glyphs.find(c);
    if (found != font.glyphs.end()) return found->second;
    Glyph& g = font.glyphs[c];
    FT_Face face = font.face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, FT_ULong(c)), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
        return g;
    FT_GlyphSlot slot = face->glyph;
    if (font.oblique) FT_GlyphSlot_Oblique(slot);
    if (font.embolden) FT_GlyphSlot_Embolden(slot);
    g.advance = int((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return g;
    const FT_Bitmap& bitmap = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(bitmap.width);
    g.rows = int(bitmap.rows);
    g.coverage.resize(size_t(g.width) * size_t(g.rows));
    for (int y = 0; y < g.rows; ++y) {
        const unsigned char* row = bitmap.buffer + intptr_t(y) * bitmap.pitch;
        std::copy(row, row + g.width, g.coverage.begin() + intptr_t(y) * g.width);
    }
    return g;
}

// Breaks between words: a line ends before the word that would pass maxWidth,
// the blanks at the break are dropped, and a word wider than a whole line
// stands alone on its line.
void FreeTypeText::wrapParagraph(SizedFont& font, const std::u32string& text, size_t begin, size_t end,
                                 int maxWidth, std::vector<LineSpan>& lines) {
    size_t lineStart = begin, breakAt = std::u32string::npos, resumeAt = begin;
    int width = 0, breakWidth = 0;
    size_t i = begin;
    while (i < end) {
        char32_t c = text[i];
        int step = advance(font, c);
        if (c == U' ') {
            if (i > lineStart && text[i - 1] != U' ') {
                breakAt = i;
                breakWidth = width;
            }
            resumeAt = i + 1;
        } else if (width + step > maxWidth && breakAt != std::u32string::npos) {
            lines.push_back(LineSpan{lineStart, breakAt, breakWidth});
            lineStart = i = resumeAt;
            breakAt = std::u32string::npos;
            width = 0;
            continue;
        }
        width += step;
        ++i;
    }
    lines.push_back(LineSpan{lineStart, end, width});
}

std::vector<LineSpan> FreeTypeText::layOut(SizedFont& font, const std::u32string& text, int maxWidth,
                                           uint32_t format) {
    std::vector<LineSpan> lines;
    if (format & DT_SINGLELINE) {
        int width = 0;
        for (char32_t c : text) width += advance(font, c);
        lines.push_back(LineSpan{0, text.size(), width});
        return lines;
    }
    size_t begin = 0;
    while (true) {
        size_t end = begin;
        while (end < text.size() && !IsBreak(text[end])) ++end;
        if (format & DT_WORDBREAK) {
            wrapParagraph(font, text, begin, end, maxWidth, lines);
        } else {
            int width = 0;
            for (size_t i = begin; i < end; ++i) width += advance(font, text[i]);
            lines.push_back(LineSpan{begin, end, width});
        }
        if (end >= text.size()) break;
        // A carriage return and line feed, in either order, make one break.
        size_t next = end + 1;
        if (next < text.size() && IsBreak(text[next]) && text[next] != text[end]) ++next;
        begin = next;
    }
    return lines;
}

void FreeTypeText::drawLine(DeviceContext& dc, SizedFont& font, const std::u32string& text, const LineSpan& line,
                            int x, int top, const Rect& clip) {
    const PixelSurface& surface = dc.surface();
    Point origin = dc.origin();
    int baseline = top + font.ascent;
    if (dc.bkMode() == OPAQUE) {
        Rect box = Intersect(Rect{x + origin.x, top + origin.y, x + line.width + origin.x,
                                  top + font.cellHeight + origin.y},
                             clip);
        uint32_t paper = FromColorRef(dc.bkColor());
        for (int y = box.top; y < box.bottom; ++y)
            for (int px = box.left; px < box.right; ++px) WritePixel(surface, px, y, paper);
    }
    uint32_t ink = FromColorRef(dc.textColor());
    int pen = x;
    for (size_t i = line.begin; i < line.end; ++i) {
        if (text[i] < 32) continue;
        const Glyph& g = glyph(font, text[i]);
        int gx = pen + g.left + origin.x, gy = baseline - g.top + origin.y;
        for (int row = 0; row < g.rows; ++row) {
            int sy = gy + row;
            if (sy < clip.top || sy >= clip.bottom) continue;
            const uint8_t* coverage = g.coverage.data() + intptr_t(row) * g.width;
            for (int col = 0; col < g.width; ++col) {
                int sx = gx + col, a = coverage[col];
                if (a == 0 || sx < clip.left || sx >= clip.right) continue;
                WritePixel(surface, sx, sy, a == 255 ? ink : Mix(ReadPixel(surface, sx, sy), ink, a));
            }
        }
        pen += g.advance;
    }
    if (dc.font().underline) {
        int y0 = baseline + font.underlineOffset + origin.y;
        Rect bar = Intersect(Rect{x + origin.x, y0, x + line.width + origin.x, y0 + font.underlineThickness}, clip);
        for (int y = bar.top; y < bar.bottom; ++y)
            for (int px = bar.left; px < bar.right; ++px) WritePixel(surface, px, y, ink);
    }
}

int FreeTypeText::drawText(DeviceContext& dc, const std::u16string& text, Rect& rect, uint32_t format) {
    SizedFont* font = sizedFont(dc.font());
    if (!font) {
        if (format & DT_CALCRECT) rect = Rect{rect.left, rect.top, rect.left, rect.top};
        return 0;
    }
    std::u32string chars = CodePoints(text);
    std::vector<LineSpan> lines = layOut(*font, chars, rect.right - rect.left, format);
    int height = int(lines.size()) * font->cellHeight;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const LineSpan& line : lines) widest = std::max(widest, line.width);
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }
    if (!dc.surface().valid()) return height;
    int top = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect.top + (rect.bottom - rect.top - font->cellHeight) / 2;
        else if (format & DT_BOTTOM) top = rect.bottom - font->cellHeight;
    }
    Rect clip = dc.clip();
    if (!(format & DT_NOCLIP)) {
        Point o = dc.origin();
        clip = Intersect(clip, Rect{rect.left + o.x, rect.top + o.y, rect.right + o.x, rect.bottom + o.y});
    }
    for (const LineSpan& line : lines) {
        int x = rect.left;
        if (format & DT_CENTER) x = rect.left + (rect.right - rect.left - line.width) / 2;
        else if (format & DT_RIGHT) x = rect.right - line.width;
        drawLine(dc, *font, chars, line, x, top, clip);
        top += font->cellHeight;
    }
    return height;
}

Point FreeTypeText::textExtent(const FontSpec& request, const std::u16string& text) {
    SizedFont* font = sizedFont(request);
    if (!font) return Point{};
    int width = 0;
    for (char32_t c : CodePoints(text)) width += advance(*font, c);
    return Point{width, font->cellHeight};
}

}  // namespace

TextRasterizer& SystemFontText() {
    std::unique_ptr<TextRasterizer>& text = Core().systemFontText;
    if (!text) text = std::make_unique<FreeTypeText>();
    return *text;
}

}  // namespace host
