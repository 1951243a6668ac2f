#include "art/widgets.h"

#include <algorithm>
#include <cmath>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kPi = 3.14159265f;
const Color kInk = Hex(0x0C0620);  // the dark rim every widget sits on

struct PillColours {
    Color top, bottom, border, glow;
    float glowStrength;
};

// The pill shape that every glass button shares, inset so that its glow fits.
struct PillGeometry {
    float x, y, w, h, radius, border;

    static PillGeometry Of(int width, int height) {
        float padX = std::max(3.0f, height * 0.12f), padY = std::max(3.0f, height * 0.12f);
        float h = height - 2 * padY;
        return {padX, padY, width - 2 * padX, h, h * 0.5f, std::max(2.0f, h * 0.06f)};
    }
};

void DrawGlassPill(Image& image, const PillGeometry& g, const PillColours& c) {
    const int w = image.width(), h = image.height();
    Mask pill = RoundRectMask(w, h, g.x, g.y, g.w, g.h, g.radius);
    Glow(image, pill, g.border, g.h * 0.09f, WithAlpha(c.glow, c.glowStrength), Blend::Normal);
    FillMask(image, Dilate(pill, g.border * 0.6f), kInk);
    FillMask(image, pill, LinearGradient({0, g.y}, {0, g.y + g.h}, {{0, c.top}, {1, c.bottom}}));
    Mask inner = RoundRectMask(w, h, g.x + g.border, g.y + g.border, g.w - 2 * g.border, g.h - 2 * g.border,
                               g.radius - g.border);
    FillMask(image, Subtract(pill, inner), c.border);
    Mask gloss = Intersect(RoundRectMask(w, h, g.x + g.border * 2, g.y + g.border * 1.5f, g.w - g.border * 4,
                                         g.h * 0.42f, g.radius),
                           inner);
    FillMask(image, gloss, LinearGradient({0, g.y}, {0, g.y + g.h * 0.5f},
                                          {{0, WithAlpha(Hex(0xFFFFFF), 0.22f)}, {1, WithAlpha(Hex(0xFFFFFF), 0.02f)}}));
}

Mask Chevron(int w, int h, Vec2 tip, float size, float direction, float line) {
    Polygon arrow{{tip.x - direction * size, tip.y - size}, tip, {tip.x - direction * size, tip.y + size}};
    return StrokePolyline(w, h, arrow, line);
}

// The disc of the round buttons: glow, dark rim, gradient, neon ring and gloss.
Mask DrawDisc(Image& image, Vec2 c, float r, Color top, Color bottom, Color ring, Color glow, float glowStrength) {
    const int w = image.width(), h = image.height();
    float ringWidth = std::max(2.0f, r * 0.08f);
    Mask disc = CircleMask(w, h, c, r);
    Glow(image, disc, ringWidth, r * 0.14f, WithAlpha(glow, glowStrength), Blend::Normal);
    FillMask(image, Dilate(disc, ringWidth * 0.6f), kInk);
    FillMask(image, disc, LinearGradient({c.x, c.y - r}, {c.x, c.y + r}, {{0, top}, {1, bottom}}));
    FillMask(image, Subtract(disc, CircleMask(w, h, c, r - ringWidth)), ring);
    Mask gloss = Intersect(EllipseMask(w, h, {c.x, c.y - r * 0.45f}, r * 0.7f, r * 0.4f), CircleMask(w, h, c, r - ringWidth));
    FillMask(image, gloss, LinearGradient({c.x, c.y - r}, {c.x, c.y}, {{0, WithAlpha(Hex(0xFFFFFF), 0.25f)},
                                                                       {1, WithAlpha(Hex(0xFFFFFF), 0.0f)}}));
    return disc;
}

}  // namespace

GlassStyle CyanGlass() {
    return {Hex(0x40217E), Hex(0x190A3E), Hex(0x66E8FF), Hex(0x38D6FF),
            Hex(0xA6F6FF), Hex(0x29B6E6), Hex(0xFFFFFF), Hex(0x7FF0FF)};
}

GlassStyle MagentaGlass() {
    return {Hex(0x4A1648), Hex(0x1E0824), Hex(0xFF6FB5), Hex(0xFF3F9A),
            Hex(0xFFB3D9), Hex(0xE8407F), Hex(0xFFFFFF), Hex(0xFF7FBF)};
}

ButtonArt MakeGlassButton(int width, int height, const GlassStyle& style, int pulseFrames) {
    ButtonArt art;
    PillGeometry g = PillGeometry::Of(width, height);
    for (int i = 0; i < pulseFrames; ++i) {
        float phase = pulseFrames > 1 ? std::sin(2 * kPi * i / pulseFrames) : 0.0f;
        Image image(width, height);
        DrawGlassPill(image, g, {style.top, style.bottom, style.border, style.glow, 0.5f + 0.25f * phase});
        art.normal.push_back(image);
        art.delays.push_back(pulseFrames > 1 ? 10 : 0);
    }
    art.bright = Image(width, height);
    DrawGlassPill(art.bright, g, {style.pressedTop, style.pressedBottom, style.pressedBorder, style.pressedGlow, 0.9f});
    return art;
}

ButtonArt MakeArrowButton(int size, int direction) {
    auto draw = [&](Color top, Color bottom, Color ring, Color glow, Color arrow, float strength) {
        Image image(size, size);
        Vec2 c{size * 0.5f, size * 0.5f};
        float r = size * 0.38f;
        DrawDisc(image, c, r, top, bottom, ring, glow, strength);
        float d = static_cast<float>(direction);
        Mask chevron = Chevron(size, size, {c.x + d * r * 0.28f, c.y}, r * 0.36f, d, r * 0.16f);
        FillMask(image, Blur(ShiftMask(chevron, 0, 2), 1.2f), WithAlpha(kInk, 0.6f));
        FillMask(image, chevron, arrow);
        return image;
    };
    GlassStyle s = CyanGlass();
    ButtonArt art;
    art.normal.push_back(draw(s.top, s.bottom, s.border, s.glow, Hex(0xFFFFFF), 0.55f));
    art.delays.push_back(0);
    art.bright = draw(s.pressedTop, s.pressedBottom, s.pressedBorder, s.pressedGlow, Hex(0x170A3A), 0.9f);
    return art;
}

ButtonArt MakePlayButton(const std::string& caption, const FontFace& font, int size, int pulseFrames) {
    auto draw = [&](Color top, Color bottom, Color ring, Color glow, float strength, Color triangle, Color label) {
        Image image(size, size);
        const int w = size, h = size;
        Vec2 c{size * 0.5f, size * 0.5f};
        float r = size * 0.40f;
        DrawDisc(image, c, r, top, bottom, ring, glow, strength);
        // The triangle in Tobbin's orange, its centre of mass a little right of the disc's.
        float t = r * 0.42f;
        Vec2 at{c.x + t * 0.12f, c.y - r * 0.14f};
        Polygon tri{{at.x - t * 0.55f, at.y - t * 0.8f}, {at.x + t * 0.85f, at.y}, {at.x - t * 0.55f, at.y + t * 0.8f}};
        Mask play = Dilate(FillPolygons(w, h, {tri}), r * 0.05f);
        FillMask(image, Blur(ShiftMask(play, 0, 3), 2.0f), WithAlpha(kInk, 0.6f));
        FillMask(image, Dilate(play, r * 0.035f), kInk);
        FillMask(image, play, LinearGradient({0, at.y - t}, {0, at.y + t}, {{0, Shade(triangle, 1.25f)}, {1, triangle}}));
        float textSize = r * 0.34f;
        float width = font.textWidth(caption, textSize, textSize * 0.1f);
        float baseline = c.y + r * 0.58f;
        Mask text = FillPath(w, h, font.textPath(caption, textSize, {c.x - width * 0.5f, baseline}, textSize * 0.1f));
        FillMask(image, Blur(ShiftMask(text, 0, 2), 1.2f), WithAlpha(kInk, 0.7f));
        FillMask(image, text, label);
        return image;
    };
    GlassStyle s = CyanGlass();
    ButtonArt art;
    for (int i = 0; i < pulseFrames; ++i) {
        float phase = std::sin(2 * kPi * i / pulseFrames);
        art.normal.push_back(draw(s.top, s.bottom, s.border, s.glow, 0.6f + 0.3f * phase, Hex(0xFF9A2E), Hex(0xFFFFFF)));
        art.delays.push_back(9);
    }
    art.bright = draw(s.pressedTop, s.pressedBottom, s.pressedBorder, s.pressedGlow, 0.95f, Hex(0xFF8C1A), Hex(0x170A3A));
    return art;
}

ButtonArt MakeToggleRow(int width, int height, ToggleShape shape) {
    auto draw = [&](bool ticked) {
        Image image(width, height);
        PillGeometry g = PillGeometry::Of(width, height);
        g.radius = g.h * 0.3f;
        GlassStyle s = CyanGlass();
        DrawGlassPill(image, g, {Shade(s.top, ticked ? 1.15f : 0.8f), s.bottom, ticked ? s.border : Hex(0x6A5AA8),
                                 s.glow, ticked ? 0.45f : 0.0f});
        // The box: a socket, and when ticked a glowing mark in it.
        float side = g.h * 0.56f;
        Vec2 c{g.x + g.h * 0.55f, g.y + g.h * 0.5f};
        Mask socket = shape == ToggleShape::Box
                          ? RoundRectMask(width, height, c.x - side / 2, c.y - side / 2, side, side, side * 0.2f)
                          : CircleMask(width, height, c, side / 2);
        FillMask(image, Dilate(socket, g.border * 0.8f), Hex(0x8C7CD0));
        FillMask(image, socket, LinearGradient({0, c.y - side / 2}, {0, c.y + side / 2},
                                               {{0, Hex(0x0A0618)}, {1, Hex(0x221646)}}));
        if (!ticked) return image;
        Mask mark = shape == ToggleShape::Box
                        ? StrokePolyline(width, height,
                                         {{c.x - side * 0.3f, c.y}, {c.x - side * 0.07f, c.y + side * 0.24f},
                                          {c.x + side * 0.34f, c.y - side * 0.3f}},
                                         side * 0.17f)
                        : CircleMask(width, height, c, side * 0.27f);
        FillMask(image, Blur(Dilate(mark, side * 0.06f), side * 0.12f), WithAlpha(Hex(0xFFB040), 0.9f), Blend::Add);
        FillMask(image, mark, Hex(0xFFE27A));
        return image;
    };
    ButtonArt art;
    art.normal.push_back(draw(false));
    art.delays.push_back(0);
    art.bright = draw(true);
    return art;
}

Image MakeGlassPanel(int width, int height, Color accent, float radius, float opacity) {
    Image image(width, height);
    float pad = std::max(6.0f, radius * 0.5f);
    float border = 2.0f;
    Mask panel = RoundRectMask(width, height, pad, pad, width - 2 * pad, height - 2 * pad, radius);
    DropShadow(image, panel, {0, pad * 0.35f}, pad * 0.45f, WithAlpha(Hex(0x000000), 0.55f));
    Glow(image, panel, border, pad * 0.35f, WithAlpha(accent, 0.3f), Blend::Normal);
    FillMask(image, panel, LinearGradient({0, pad}, {0, static_cast<float>(height) - pad},
                                          {{0, WithAlpha(Hex(0x1C1448), opacity - 0.02f)}, {1, WithAlpha(Hex(0x0A0720), opacity + 0.02f)}}));
    Mask inner = RoundRectMask(width, height, pad + border, pad + border, width - 2 * (pad + border),
                               height - 2 * (pad + border), radius - border);
    FillMask(image, Subtract(panel, inner), WithAlpha(accent, 0.85f));
    // A faint sheen along the top edge.
    Mask top = Intersect(inner, RoundRectMask(width, height, pad, pad, width - 2 * pad, radius * 1.2f, radius));
    FillMask(image, top, LinearGradient({0, pad}, {0, pad + radius * 1.2f},
                                        {{0, WithAlpha(Hex(0xFFFFFF), 0.10f)}, {1, WithAlpha(Hex(0xFFFFFF), 0.0f)}}));
    return image;
}

Image MakeShade(int width, int height) {
    Image image(width, height);
    image.fill(Hex(0x000000));
    return image;
}
