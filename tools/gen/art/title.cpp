#include "art/title.h"

#include <algorithm>
#include <cmath>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr int kShineFrames = 9;

// The letters bent into a gentle arch: the middle rises by `lift` pixels.
Mask ArchedText(int w, int h, const Path& text, float centreX, float halfWidth, float lift) {
    std::vector<Polygon> polygons = text.flatten(0.15f);
    for (Polygon& poly : polygons)
        for (Vec2& p : poly) {
            float u = (p.x - centreX) / halfWidth;
            p.y -= lift * (1 - u * u);
        }
    return FillPolygons(w, h, polygons);
}

// A slanted band of light across the word, centred at x.
Mask ShineBand(int w, int h, float x, float width) {
    float slant = h * 0.45f;
    Polygon band{{x - width * 0.5f + slant, 0}, {x + width * 0.5f + slant, 0}, {x + width * 0.5f - slant, static_cast<float>(h)},
                 {x - width * 0.5f - slant, static_cast<float>(h)}};
    return Blur(FillPolygons(w, h, {band}), width * 0.18f);
}

void Sparkle(Image& image, Vec2 c, float size, float strength) {
    if (strength <= 0) return;
    int w = image.width(), h = image.height();
    Path star;
    for (int i = 0; i < 8; ++i) {
        float angle = i * 3.14159265f / 4;
        float r = (i % 2 == 0) ? size : size * 0.16f;
        Vec2 p{c.x + std::cos(angle) * r, c.y + std::sin(angle) * r};
        if (i == 0) star.moveTo(p);
        else star.lineTo(p);
    }
    star.close();
    Mask m = FillPath(w, h, star);
    FillMask(image, Blur(m, size * 0.25f), WithAlpha(Hex(0xFFF2C0), 0.8f * strength), Blend::Add);
    FillMask(image, m, WithAlpha(Hex(0xFFFFFF), strength));
}

}  // namespace

TitleArt MakeTitleArt(const std::string& word, const FontFace& font, int w, int h) {
    const float margin = h * 0.12f;
    const float extrude = h * 0.075f;
    const float outline = h * 0.035f;
    // Size the word to fill the width, then make sure it fits the height.
    float size = 100;
    float tracking = 0.02f;
    size = size * (w - 2 * margin) / font.textWidth(word, size, size * tracking);
    float cap = font.capHeight(size);
    float maxCap = h - 2 * margin - extrude - h * 0.06f;
    if (cap > maxCap) {
        size *= maxCap / cap;
        cap = maxCap;
    }
    float textWidth = font.textWidth(word, size, size * tracking);
    float lift = h * 0.06f;
    float baseline = (h - extrude + cap + lift) * 0.5f;
    Vec2 origin{(w - textWidth) * 0.5f, baseline};
    Path text = font.textPath(word, size, origin, size * tracking);
    float centreX = w * 0.5f, halfWidth = textWidth * 0.5f + 1;
    const float top = baseline - cap - lift;

    Mask face = ArchedText(w, h, text, centreX, halfWidth, lift);
    Mask depth(w, h);
    for (int k = 1; k <= static_cast<int>(extrude); ++k) depth = Union(depth, ShiftMask(face, 0, k));
    Mask solid = Union(face, depth);
    Mask outer = Dilate(solid, outline);

    // Everything but the moving shine is the same in each frame.
    Image base(w, h);
    Glow(base, outer, outline * 0.5f, h * 0.07f, WithAlpha(Hex(0xFF3FA4), 0.85f), Blend::Normal);
    FillMask(base, outer, Hex(0x170525));
    FillMask(base, depth, LinearGradient({0, top}, {0, baseline + extrude},
                                         {{0.5f, Hex(0x8C2C8E)}, {0.85f, Hex(0x4A1058)}, {1.0f, Hex(0x2A0838)}}));
    FillMask(base, face, LinearGradient({0, top}, {0, baseline},
                                        {{0.0f, Hex(0xFFF9C4)}, {0.38f, Hex(0xFFD23A)}, {0.7f, Hex(0xFF8C1A)},
                                         {1.0f, Hex(0xE8401C)}}));
    float bevel = std::max(2.0f, h * 0.02f);
    FillMask(base, Subtract(face, ShiftMask(face, 0, static_cast<int>(bevel))), WithAlpha(Hex(0xFFFFFF), 0.8f));
    FillMask(base, Subtract(face, ShiftMask(face, 0, -static_cast<int>(bevel))), WithAlpha(Hex(0x7A1400), 0.55f));
    // Gloss over the upper half of the letters.
    Path glossShape;
    glossShape.moveTo({0, 0});
    glossShape.lineTo({static_cast<float>(w), 0});
    glossShape.lineTo({static_cast<float>(w), top + cap * 0.42f});
    glossShape.quadTo({w * 0.5f, top + cap * 0.30f}, {0, top + cap * 0.42f});
    glossShape.close();
    Mask gloss = Intersect(ArchedText(w, h, glossShape, centreX, halfWidth, lift * 0.0f), face);
    FillMask(base, gloss, LinearGradient({0, top}, {0, top + cap * 0.45f},
                                         {{0, WithAlpha(Hex(0xFFFFFF), 0.45f)}, {1, WithAlpha(Hex(0xFFFFFF), 0.05f)}}));

    TitleArt art;
    art.frames.push_back(base);
    art.delays.push_back(300);
    Vec2 sparkleAt{origin.x + textWidth - size * 0.06f, top + cap * 0.08f};
    for (int i = 0; i < kShineFrames; ++i) {
        Image frame = base;
        float t = static_cast<float>(i) / (kShineFrames - 1);
        float x = -w * 0.15f + t * w * 1.3f;
        Mask shine = Intersect(ShineBand(w, h, x, w * 0.09f), face);
        FillMask(frame, shine, WithAlpha(Hex(0xFFFFFF), 0.85f));
        // A glint on the last letter as the shine leaves it.
        float glint = std::clamp((t - 0.62f) / 0.2f, 0.0f, 1.0f) * std::clamp((1.0f - t) / 0.18f + 0.2f, 0.0f, 1.0f);
        Sparkle(frame, sparkleAt, h * 0.16f * (0.6f + 0.4f * glint), glint);
        art.frames.push_back(frame);
        art.delays.push_back(6);
    }
    return art;
}
