#pragma once
// Straight (not premultiplied) RGBA colours with channels in 0..1, in the
// sRGB space of the pictures they end up in, and colour gradients.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

// 0xRRGGBB with an opacity.
constexpr Color Hex(uint32_t rgb, float alpha = 1.0f) {
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

inline Color WithAlpha(Color c, float alpha) { return {c.r, c.g, c.b, alpha}; }
// Mixes every channel, opacity included: t = 0 gives a, t = 1 gives b.
inline Color Mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
// Brightens (f > 1) or darkens (f < 1) the colour channels; opacity unchanged.
inline Color Shade(Color c, float f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

struct GradientStop {
    float t;
    Color color;
};

// A colour ramp over 0..1; positions outside take the end colours.
class Gradient {
public:
    Gradient(std::initializer_list<GradientStop> stops) : stops_(stops) {}
    Color at(float t) const;

private:
    std::vector<GradientStop> stops_;
};
