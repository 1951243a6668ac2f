#include "art/buttons.h"

#include <cmath>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kPi = 3.14159265f;

struct PillLook {
    Color top, bottom, border, label, glow;
    float glowStrength;
    float labelGlow;
};

// Arrowheads on both sides of the label, pointing at it; `nudge` moves them inward.
Mask Chevrons(int w, int h, float cx, float cy, float gap, float size, float nudge) {
    Mask m(w, h);
    for (float side : {-1.0f, 1.0f}) {
        float tipX = cx + side * (gap - nudge);
        Polygon arrow{{tipX + side * size, cy - size}, {tipX, cy}, {tipX + side * size, cy + size}};
        m = Union(m, StrokePolyline(w, h, arrow, size * 0.45f));
    }
    return m;
}

Image DrawPill(const std::string& label, const FontFace& font, int w, int h, const PillLook& look, float nudge) {
    Image image(w, h);
    float padX = w * 0.06f, padY = h * 0.16f;
    float pw = w - 2 * padX, ph = h - 2 * padY;
    float radius = ph * 0.5f;
    float border = std::max(2.0f, ph * 0.055f);
    Mask pill = RoundRectMask(w, h, padX, padY, pw, ph, radius);

    Glow(image, pill, border, ph * 0.16f, WithAlpha(look.glow, look.glowStrength), Blend::Normal);
    FillMask(image, Dilate(pill, border * 0.6f), Hex(0x0C0620));
    FillMask(image, pill, LinearGradient({0, padY}, {0, padY + ph}, {{0, look.top}, {1, look.bottom}}));
    Mask inner = RoundRectMask(w, h, padX + border, padY + border, pw - 2 * border, ph - 2 * border, radius - border);
    FillMask(image, Subtract(pill, inner), look.border);
    Mask gloss = Intersect(RoundRectMask(w, h, padX + border * 2, padY + border * 1.5f, pw - border * 4, ph * 0.42f, radius),
                           inner);
    FillMask(image, gloss, LinearGradient({0, padY}, {0, padY + ph * 0.5f},
                                          {{0, WithAlpha(Hex(0xFFFFFF), 0.28f)}, {1, WithAlpha(Hex(0xFFFFFF), 0.02f)}}));

    float size = ph * 0.52f;
    float tracking = size * 0.12f;
    float textWidth = font.textWidth(label, size, tracking);
    float baseline = padY + ph * 0.5f + font.capHeight(size) * 0.5f;
    Mask text = FillPath(w, h, font.textPath(label, size, {(w - textWidth) * 0.5f, baseline}, tracking));
    if (look.labelGlow > 0) FillMask(image, Blur(Dilate(text, 1.5f), size * 0.12f), WithAlpha(look.glow, look.labelGlow));
    FillMask(image, Blur(ShiftMask(text, 0, 2), 1.2f), WithAlpha(Hex(0x05020E), 0.6f));
    FillMask(image, text, look.label);
    FillMask(image, Chevrons(w, h, w * 0.5f, padY + ph * 0.5f, textWidth * 0.5f + ph * 0.42f, ph * 0.13f, nudge),
             look.label);
    return image;
}

}  // namespace

ButtonArt MakeStartButton(const std::string& label, const FontFace& font, int w, int h, int pulseFrames) {
    ButtonArt art;
    for (int i = 0; i < pulseFrames; ++i) {
        float phase = std::sin(2 * kPi * i / pulseFrames);  // -1..1
        PillLook look{Hex(0x40217E), Hex(0x190A3E), Hex(0x66E8FF), Hex(0xFFFFFF), Hex(0x38D6FF),
                      0.55f + 0.3f * phase, 0.35f + 0.25f * phase};
        art.normal.push_back(DrawPill(label, font, w, h, look, h * 0.04f * (1 + phase)));
        art.delays.push_back(9);
    }
    PillLook pressed{Hex(0xA6F6FF), Hex(0x29B6E6), Hex(0xFFFFFF), Hex(0x170A3A), Hex(0x7FF0FF), 0.9f, 0};
    art.bright = DrawPill(label, font, w, h, pressed, h * 0.08f);
    return art;
}

ButtonArt MakeExitButton(int size) {
    auto draw = [size](Color fill, Color ring, Color cross, Color glow) {
        Image image(size, size);
        Vec2 c{size * 0.5f, size * 0.5f};
        float r = size * 0.34f;
        Mask disc = CircleMask(size, size, c, r);
        Glow(image, disc, 1, size * 0.06f, WithAlpha(glow, 0.6f), Blend::Normal);
        FillMask(image, disc, RadialGradient({c.x - r * 0.3f, c.y - r * 0.4f}, r * 1.6f,
                                             {{0, Shade(fill, 1.5f)}, {1, fill}}));
        float ringWidth = std::max(2.0f, size * 0.05f);
        FillMask(image, Subtract(disc, CircleMask(size, size, c, r - ringWidth)), ring);
        float arm = r * 0.42f;
        Mask x = Union(StrokePolyline(size, size, {{c.x - arm, c.y - arm}, {c.x + arm, c.y + arm}}, ringWidth * 1.5f),
                       StrokePolyline(size, size, {{c.x + arm, c.y - arm}, {c.x - arm, c.y + arm}}, ringWidth * 1.5f));
        FillMask(image, x, cross);
        return image;
    };
    ButtonArt art;
    art.normal.push_back(draw(WithAlpha(Hex(0x2A1752), 0.85f), Hex(0x9C8CFF), Hex(0xE4DEFF), Hex(0x6A4CFF)));
    art.delays.push_back(0);
    art.bright = draw(Hex(0xE8345A), Hex(0xFFFFFF), Hex(0xFFFFFF), Hex(0xFF4D7A));
    return art;
}
