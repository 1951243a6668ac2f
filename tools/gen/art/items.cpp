#include "art/items.h"

#include <algorithm>
#include <cmath>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

const Color kOutline = Hex(0x1A0B12);

SphereLight ShinyLight() {
    SphereLight light;
    light.ambient = 0.6f;
    light.diffuse = 0.55f;
    light.highlightStrength = 0.85f;
    light.shininess = 30;
    light.rim = 0.2f;
    return light;
}

// Points of an arrow pointing right, tip at (size / 2, 0), for rotating into place.
Polygon RightArrow(float size) {
    float s = size * 0.5f;
    return {{-s, -s * 0.28f}, {0, -s * 0.28f}, {0, -s * 0.75f}, {s, 0}, {0, s * 0.75f}, {0, s * 0.28f}, {-s, s * 0.28f}};
}

Polygon Placed(const Polygon& shape, Vec2 c, float radians) {
    Affine t = Affine::Translate(c.x, c.y).after(Affine::Rotate(radians));
    Polygon out;
    for (Vec2 p : shape) out.push_back(t.apply(p));
    return out;
}

}  // namespace

void DrawPellet(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    FillMask(image, Blur(CircleMask(w, h, c, r * 0.8f), r * 0.45f), WithAlpha(Hex(0xFF9A1E), 0.9f), Blend::Normal);
    FillMask(image, CircleMask(w, h, c, r * 0.55f), SpherePaint(c, r * 0.55f, Hex(0xFFD04A), ShinyLight()));
}

void DrawPowerOrb(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    FillMask(image, Blur(CircleMask(w, h, c, r * 0.85f), r * 0.4f), WithAlpha(Hex(0xFF4FC8), 0.95f), Blend::Normal);
    Mask orb = CircleMask(w, h, c, r * 0.72f);
    FillMask(image, Dilate(orb, std::max(1.0f, r * 0.05f)), Hex(0x4A0838));
    FillMask(image, orb, SpherePaint(c, r * 0.72f, Hex(0xFF8ADC), ShinyLight()));
    // A swirl of light inside the orb.
    Polygon swirl;
    for (int i = 0; i <= 24; ++i) {
        float t = i / 24.0f;
        float angle = 3.6f * t + 0.6f;
        float radius = r * (0.12f + 0.42f * t);
        swirl.push_back({c.x + std::cos(angle) * radius, c.y + std::sin(angle) * radius});
    }
    FillMask(image, Intersect(StrokePolyline(w, h, swirl, r * 0.08f), orb), WithAlpha(Hex(0xFFFFFF), 0.55f));
}

void DrawBonusGem(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    // A cut gem seen from the side: table, crown facets, and the long pavilion below.
    Vec2 tl{c.x - r * 0.42f, c.y - r * 0.62f}, tr{c.x + r * 0.42f, c.y - r * 0.62f};
    Vec2 gl{c.x - r * 0.85f, c.y - r * 0.2f}, gr{c.x + r * 0.85f, c.y - r * 0.2f};
    Vec2 tip{c.x, c.y + r * 0.85f};
    Vec2 ml{c.x - r * 0.3f, c.y - r * 0.2f}, mr{c.x + r * 0.3f, c.y - r * 0.2f};
    Mask gem = FillPolygons(w, h, {{tl, tr, gr, tip, gl}});
    FillMask(image, Blur(Dilate(gem, r * 0.1f), r * 0.3f), WithAlpha(Hex(0x38D6FF), 0.8f));
    FillMask(image, Dilate(gem, std::max(1.0f, r * 0.06f)), Hex(0x0C1640));
    struct Facet {
        Polygon points;
        uint32_t colour;
    };
    const Facet facets[] = {
        {{tl, tr, mr, ml}, 0xC8FAFF}, {{tl, ml, gl}, 0x7FE6FF},  {{tr, gr, mr}, 0x3FA8E8},
        {{gl, ml, tip}, 0x4FC4F5},    {{ml, mr, tip}, 0x8AEBFF}, {{mr, gr, tip}, 0x2474C8},
    };
    for (const Facet& f : facets) FillMask(image, Intersect(FillPolygons(w, h, {f.points}), gem), Hex(f.colour));
    FillMask(image, StrokePolyline(w, h, {gl, gr}, std::max(0.8f, r * 0.04f)), WithAlpha(Hex(0xFFFFFF), 0.6f));
}

void DrawHeart(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    Path heart;
    heart.moveTo({c.x, c.y + r * 0.8f});
    heart.cubicTo({c.x - r * 0.2f, c.y + r * 0.55f}, {c.x - r * 0.95f, c.y + r * 0.15f}, {c.x - r * 0.9f, c.y - r * 0.3f});
    heart.cubicTo({c.x - r * 0.85f, c.y - r * 0.85f}, {c.x - r * 0.15f, c.y - r * 0.9f}, {c.x, c.y - r * 0.42f});
    heart.cubicTo({c.x + r * 0.15f, c.y - r * 0.9f}, {c.x + r * 0.85f, c.y - r * 0.85f}, {c.x + r * 0.9f, c.y - r * 0.3f});
    heart.cubicTo({c.x + r * 0.95f, c.y + r * 0.15f}, {c.x + r * 0.2f, c.y + r * 0.55f}, {c.x, c.y + r * 0.8f});
    heart.close();
    Mask m = FillPath(w, h, heart);
    FillMask(image, Blur(Dilate(m, r * 0.08f), r * 0.3f), WithAlpha(Hex(0xFF3F6A), 0.75f));
    FillMask(image, Dilate(m, std::max(1.0f, r * 0.06f)), Hex(0x3A0612));
    FillMask(image, m, SpherePaint({c.x, c.y - r * 0.05f}, r * 0.95f, Hex(0xFF4F5E), ShinyLight()));
    FillMask(image, Blur(Intersect(EllipseMask(w, h, {c.x - r * 0.45f, c.y - r * 0.42f}, r * 0.2f, r * 0.13f), m), r * 0.04f),
             WithAlpha(Hex(0xFFFFFF), 0.7f));
}

Mask KeySymbolMask(int width, int height, Vec2 c, float size, KeySymbol symbol) {
    const float turns[] = {3.14159265f, -1.5707963f, 0.0f, 1.5707963f};
    if (symbol != KeySymbol::Enter)
        return FillPolygons(width, height, {Placed(RightArrow(size), c, turns[static_cast<int>(symbol)])});
    // The bent arrow of Enter: down from the top right, then left to an arrowhead.
    float s = size * 0.5f, t = size * 0.14f;
    Polygon bent{{c.x + s * 0.55f, c.y - s},       {c.x + s * 0.55f + t * 2, c.y - s}, {c.x + s * 0.55f + t * 2, c.y + s * 0.2f + t},
                 {c.x - s * 0.25f, c.y + s * 0.2f + t}, {c.x - s * 0.25f, c.y + s * 0.75f}, {c.x - s, c.y + s * 0.2f},
                 {c.x - s * 0.25f, c.y - s * 0.35f},    {c.x - s * 0.25f, c.y + s * 0.2f - t}, {c.x + s * 0.55f, c.y + s * 0.2f - t}};
    return FillPolygons(width, height, {bent});
}

void DrawKeyCap(Image& image, Vec2 c, float size, KeySymbol symbol) {
    const int w = image.width(), h = image.height();
    float half = size * 0.5f, radius = size * 0.18f, depth = size * 0.1f;
    float line = std::max(1.0f, size * 0.04f);
    Mask cap = RoundRectMask(w, h, c.x - half, c.y - half, size, size, radius);
    Mask face = RoundRectMask(w, h, c.x - half + line * 1.5f, c.y - half + line, size - line * 3, size - depth - line * 2,
                              radius * 0.8f);
    FillMask(image, Dilate(cap, line), kOutline);
    FillMask(image, cap, Hex(0x160E36));
    FillMask(image, face, LinearGradient({0, c.y - half}, {0, c.y + half}, {{0, Hex(0x4A3A96)}, {1, Hex(0x2A1E62)}}));
    FillMask(image, Subtract(face, ShiftMask(face, 0, static_cast<int>(line))), WithAlpha(Hex(0xA8F4FF), 0.5f));
    Mask glyph = KeySymbolMask(w, h, {c.x, c.y - depth * 0.5f}, size * 0.5f, symbol);
    FillMask(image, Blur(glyph, size * 0.05f), WithAlpha(Hex(0xFFE066), 0.6f), Blend::Add);
    FillMask(image, glyph, Hex(0xFFE066));
}

void DrawStylusDrag(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    Vec2 start{c.x - r * 0.55f, c.y + r * 0.35f}, end{c.x + r * 0.4f, c.y - r * 0.5f};
    float line = std::max(1.0f, r * 0.05f);
    // The rubber band the game draws: a ring where the drag began, a ring at the pen, a line between.
    Mask band = Union(StrokePath(w, h, EllipsePath(start, r * 0.2f, r * 0.2f), line),
                      StrokePolyline(w, h, {start, end}, line));
    band = Union(band, StrokePath(w, h, EllipsePath(end, r * 0.2f, r * 0.2f), line));
    FillMask(image, Blur(Dilate(band, line), r * 0.06f), WithAlpha(Hex(0x38D6FF), 0.8f));
    FillMask(image, band, Hex(0xE8FBFF));
    // The pen, leaning in from the lower right with its tip on the end ring.
    Vec2 tip{end.x + r * 0.05f, end.y + r * 0.05f};
    Vec2 back{tip.x + r * 0.55f, tip.y + r * 0.95f};
    Vec2 along{(back.x - tip.x) / r, (back.y - tip.y) / r};
    Vec2 across{-along.y * r * 0.11f, along.x * r * 0.11f};
    Vec2 neck{tip.x + along.x * r * 0.28f, tip.y + along.y * r * 0.28f};
    Polygon body{neck + across, back + across, back - across, neck - across};
    Polygon point{tip, neck + across * 0.6f, neck - across * 0.6f};
    Mask pen = FillPolygons(w, h, {body, point});
    FillMask(image, Dilate(pen, line), kOutline);
    FillMask(image, FillPolygons(w, h, {body}), LinearGradient(neck - across, neck + across,
                                                               {{0, Hex(0xFFB45A)}, {1, Hex(0xC8601A)}}));
    FillMask(image, FillPolygons(w, h, {point}), Hex(0xD8D8E8));
}
