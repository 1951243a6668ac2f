#include "art/bitmap_fonts.h"

#include <algorithm>
#include <functional>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

// The outline of one character, centred in its cell and squeezed sideways
// when it would not fit, so that every glyph keeps to its own cell.
Path GlyphPath(const FontFace& font, char ch, float size, float cellX, float cellWidth, float baseline, float margin) {
    std::string text(1, ch);
    float width = font.textWidth(text, size);
    float room = cellWidth - 2 * margin;
    float squeeze = width > room ? room / width : 1.0f;
    Path glyph = font.textPath(text, size, {0, 0});
    Affine place = Affine::Translate(cellX + cellWidth * 0.5f - width * squeeze * 0.5f, baseline)
                       .after(Affine::Scale(squeeze, 1.0f));
    return glyph.transformed(place);
}

// Calls `paint` with each printable character's glyph, cut to its cell
// (less `bottom` pixels at the foot), and its baseline. The cut keeps whatever
// would reach past the cell out: the game copies whole cells.
void ForEachGlyph(const FontFace& font, const BitmapFontLayout& layout, float size, float margin, float bottom,
                  const std::function<void(const Mask& face, float baseline)>& paint) {
    const int w = layout.columns * layout.cellWidth, h = layout.rows * layout.cellHeight;
    for (int i = 0; i < layout.columns * layout.rows; ++i) {
        char ch = static_cast<char>(layout.startCode + i);
        if (ch == ' ') continue;
        float cellX = static_cast<float>((i % layout.columns) * layout.cellWidth);
        float cellY = static_cast<float>((i / layout.columns) * layout.cellHeight);
        float baseline = cellY + margin + font.capHeight(size);
        Mask cell = RoundRectMask(w, h, cellX + margin, cellY + margin, layout.cellWidth - 2 * margin,
                                  layout.cellHeight - 2 * margin - bottom, 0);
        Path glyph = GlyphPath(font, ch, size, cellX, static_cast<float>(layout.cellWidth), baseline, margin);
        paint(Intersect(FillPath(w, h, glyph), cell), baseline);
    }
}

}  // namespace

Image MakeTitleFont(const FontFace& font, const BitmapFontLayout& layout) {
    const int w = layout.columns * layout.cellWidth, h = layout.rows * layout.cellHeight;
    const float outline = std::max(1.5f, layout.cellHeight * 0.06f);
    const float depth = std::max(1.0f, layout.cellHeight * 0.06f);
    const float margin = outline + 1;
    // Capitals fill the cell above the extrusion and outline, leaving room
    // for the short descenders of punctuation.
    float size = 100;
    size *= (layout.cellHeight - 2 * margin - depth) / (font.capHeight(size) - 0.75f * font.descender(size));
    Image image(w, h);
    ForEachGlyph(font, layout, size, margin, depth, [&](const Mask& face, float baseline) {
        Mask solid = face;
        for (int k = 1; k <= static_cast<int>(depth); ++k) solid = Union(solid, ShiftMask(face, 0, k));
        FillMask(image, Dilate(solid, outline), Hex(0x170525));
        FillMask(image, Subtract(solid, face), Hex(0x8C2C8E));
        float top = baseline - font.capHeight(size);
        FillMask(image, face, LinearGradient({0, top}, {0, baseline},
                                             {{0.0f, Hex(0xFFF9C4)}, {0.45f, Hex(0xFFD23A)}, {1.0f, Hex(0xFF8C1A)}}));
    });
    return image;
}

Image MakeBrightFont(const FontFace& font, const BitmapFontLayout& layout) {
    const int w = layout.columns * layout.cellWidth, h = layout.rows * layout.cellHeight;
    const float outline = std::max(1.5f, layout.cellHeight * 0.07f);
    const float margin = outline + 1;
    float size = 100;
    size *= (layout.cellHeight - 2 * margin) / (font.capHeight(size) - 0.6f * font.descender(size));
    Image image(w, h);
    ForEachGlyph(font, layout, size, margin, 0, [&](const Mask& face, float baseline) {
        FillMask(image, Dilate(face, outline), Hex(0x12061E));
        float top = baseline - font.capHeight(size);
        FillMask(image, face, LinearGradient({0, top}, {0, baseline},
                                             {{0.0f, Hex(0xFFFFFF)}, {0.5f, Hex(0xFFF3A8)}, {1.0f, Hex(0xFFC640)}}));
    });
    return image;
}
