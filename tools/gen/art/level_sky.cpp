#include <algorithm>
#include <cmath>

#include "art/glimmerkin.h"
#include "art/level_art.h"
#include "art/random.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kPi = 3.14159265f;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Sky above the horizon, void below, with drifting mist near the horizon.
void SkyGradient(Image& image, const LevelTheme& t, int seed) {
    const float horizonY = image.height() * kSkyHorizon;
    Color top = Hex(t.skyTop), band = Hex(t.horizon), bottom = Hex(t.voidBottom);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            float py = y + 0.5f;
            Color c;
            if (py < horizonY) {
                float k = std::pow(py / horizonY, 2.2f);
                c = Mix(top, band, k);
            } else {
                float k = std::pow((py - horizonY) / (image.height() - horizonY), 0.55f);
                c = Mix(band, bottom, k);
            }
            float distance = std::fabs(py - horizonY) / image.height();
            float mist = FractalNoise(x * 0.018f, y * 0.05f, seed, 4);
            float share = Clamp01((mist - 0.45f) * 2.2f) * std::exp(-distance / 0.12f) * 0.35f;
            c = Mix(c, Shade(band, 1.6f), share);
            c = Mix(c, Shade(band, 1.35f), std::exp(-distance / 0.02f) * 0.45f);
            image.at(x, y) = {c.r, c.g, c.b, 1};
        }
}

void Stars(Image& image, int seed, int count, float reach) {
    Random random(static_cast<uint64_t>(seed) * 7919u + 17);
    const int w = image.width(), h = image.height();
    for (int i = 0; i < count; ++i) {
        float x = random.range(0, static_cast<float>(w));
        float y = random.range(0, h * kSkyHorizon * reach) * random.range(0.3f, 1.0f);
        float b = std::pow(random.unit(), 2.0f);
        float fade = Clamp01((h * kSkyHorizon - y) / (h * 0.15f));
        FillMask(image, CircleMask(w, h, {x, y}, 0.45f + 0.7f * b), WithAlpha(Hex(0xFFFFFF), (0.3f + 0.7f * b) * fade),
                 Blend::Add);
        if (b > 0.85f) DrawSparkle(image, {x, y}, 4 + 3 * b, 0.6f * fade, Hex(0xDDE6FF));
    }
}

// Blocks floating far off in the void: the maze is not the only island.
void FloatingIslands(Image& image, const LevelTheme& t, int seed) {
    Random random(static_cast<uint64_t>(seed) * 104729u + 3);
    const int w = image.width(), h = image.height();
    const float horizonY = h * kSkyHorizon;
    for (int i = 0; i < 14; ++i) {
        float depth = random.range(0.05f, 1.0f);
        float y = horizonY + 6 + depth * depth * (h - horizonY) * 0.85f;
        float x = random.range(-10, static_cast<float>(w) + 10);
        float size = 3 + depth * 14;
        Color top = Mix(Hex(t.horizon), Hex(t.tileTop), 0.3f + 0.5f * depth);
        Color side = Mix(Hex(t.horizon), Hex(t.tileSide), 0.4f + 0.5f * depth);
        Polygon topFace{{x - size, y}, {x - size * 0.6f, y - size * 0.35f}, {x + size * 0.9f, y - size * 0.35f}, {x + size * 1.2f, y}};
        Polygon sideFace{{x - size, y}, {x + size * 1.2f, y}, {x + size * 1.2f, y + size * 0.45f}, {x - size, y + size * 0.45f}};
        FillMask(image, FillPolygons(w, h, {sideFace}), side);
        FillMask(image, FillPolygons(w, h, {topFace}), top);
        FillMask(image, StrokePolyline(w, h, {topFace[0], topFace[3]}, 0.8f), WithAlpha(Hex(t.neon), 0.35f + 0.4f * depth),
                 Blend::Add);
    }
}

void Moon(Image& image, Vec2 c, float r, Color light) {
    const int w = image.width(), h = image.height();
    FillMask(image, Blur(CircleMask(w, h, c, r * 1.2f), r * 0.8f), WithAlpha(light, 0.35f), Blend::Add);
    Mask disc = CircleMask(w, h, c, r);
    FillMask(image, disc, RadialGradient({c.x - r * 0.3f, c.y - r * 0.3f}, r * 1.6f, {{0, Hex(0xFFF8E0)}, {1, Hex(0xC8C0D8)}}));
    Mask shadow = Intersect(CircleMask(w, h, {c.x - r * 0.45f, c.y - r * 0.15f}, r * 0.92f), disc);
    FillMask(image, shadow, WithAlpha(Hex(0x1A1838), 0.85f));
}

void Glows(Image& image, int seed, int count, Color colour, float minR, float maxR, float top, float bottom) {
    Random random(static_cast<uint64_t>(seed) * 31337u + 5);
    const int w = image.width(), h = image.height();
    for (int i = 0; i < count; ++i) {
        Vec2 c{random.range(0, static_cast<float>(w)), random.range(top, bottom) * h};
        float r = random.range(minR, maxR);
        FillMask(image, Blur(CircleMask(w, h, c, r * 2), r), WithAlpha(colour, 0.5f), Blend::Add);
        FillMask(image, CircleMask(w, h, c, r * 0.6f), WithAlpha(Mix(colour, Hex(0xFFFFFF), 0.5f), 0.9f), Blend::Add);
    }
}

void PaperLanterns(Image& image, int seed) {
    Random random(static_cast<uint64_t>(seed) * 7u + 1);
    const int w = image.width(), h = image.height();
    for (int i = 0; i < 16; ++i) {
        float depth = random.range(0.3f, 1.0f);
        Vec2 c{random.range(0, static_cast<float>(w)), random.range(0.04f, 0.36f) * h};
        float rx = 3.5f * depth, ry = 4.5f * depth;
        FillMask(image, Blur(EllipseMask(w, h, c, rx * 3, ry * 3), ry * 1.5f), WithAlpha(Hex(0xFF9A3A), 0.35f), Blend::Add);
        FillMask(image, EllipseMask(w, h, c, rx, ry),
                 RadialGradient(c, ry, {{0, Hex(0xFFF0B0)}, {0.7f, Hex(0xFFA040)}, {1, Hex(0xD0402A)}}));
    }
}

void Aurora(Image& image, int seed) {
    const int w = image.width(), h = image.height();
    for (int y = 0; y < static_cast<int>(h * kSkyHorizon); ++y)
        for (int x = 0; x < w; ++x) {
            float wave = std::sin(x * 0.025f + 2 * FractalNoise(x * 0.01f, 0.5f, seed, 3)) * 18;
            float centre = h * 0.16f + wave;
            float d = (y - centre) / (h * 0.06f);
            float curtain = std::exp(-d * d) * (0.5f + 0.5f * FractalNoise(x * 0.08f, y * 0.01f, seed + 9, 3));
            Color c = Mix(Hex(0x5CFFB0), Hex(0x6A8CFF), Clamp01(d * 0.5f + 0.5f));
            image.blendPixel(x, y, c, curtain * 0.45f, Blend::Add);
        }
}

void Geodes(Image& image, int seed, Color colour) {
    Random random(static_cast<uint64_t>(seed) * 13u + 7);
    const int w = image.width(), h = image.height();
    for (int i = 0; i < 9; ++i) {
        Vec2 c{random.range(0, static_cast<float>(w)), random.range(0.05f, 0.34f) * h};
        float s = random.range(5, 13);
        float turn = random.range(-0.5f, 0.5f);
        Polygon shard;
        const float radii[6] = {1.0f, 0.45f, 0.35f, 1.0f, 0.35f, 0.45f};
        for (int k = 0; k < 6; ++k) {
            float a = turn + k * kPi / 3 - kPi / 2;
            shard.push_back({c.x + std::cos(a) * s * radii[k] * 0.6f, c.y + std::sin(a) * s * radii[k] * 1.4f});
        }
        Mask m = FillPolygons(w, h, {shard});
        FillMask(image, Blur(Dilate(m, 2), 4), WithAlpha(colour, 0.45f), Blend::Add);
        FillMask(image, m, LinearGradient({c.x - s, c.y}, {c.x + s, c.y}, {{0, Mix(colour, Hex(0xFFFFFF), 0.6f)}, {1, Shade(colour, 0.6f)}}));
    }
}

void Bubbles(Image& image, int seed) {
    Random random(static_cast<uint64_t>(seed) * 3u + 11);
    const int w = image.width(), h = image.height();
    for (int i = 0; i < 60; ++i) {
        Vec2 c{random.range(0, static_cast<float>(w)), random.range(0.0f, 0.95f) * h};
        float r = random.range(1.2f, 4.5f);
        FillMask(image, StrokePath(w, h, EllipsePath(c, r, r), 0.7f), WithAlpha(Hex(0xB8FFF4), 0.55f), Blend::Add);
        FillMask(image, CircleMask(w, h, {c.x - r * 0.35f, c.y - r * 0.35f}, r * 0.25f), WithAlpha(Hex(0xFFFFFF), 0.7f), Blend::Add);
    }
    // Light falling from the surface far above.
    for (int k = 0; k < 5; ++k) {
        float x0 = w * (0.1f + 0.2f * k);
        Polygon ray{{x0, 0}, {x0 + 16, 0}, {x0 + 50, h * kSkyHorizon}, {x0 + 20, h * kSkyHorizon}};
        FillMask(image, Blur(FillPolygons(w, h, {ray}), 6), WithAlpha(Hex(0x7FFFF0), 0.12f), Blend::Add);
    }
}

void Planet(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    Mask ringBack = Subtract(StrokePath(w, h, EllipsePath(c, r * 1.9f, r * 0.45f), r * 0.18f), Blur(CircleMask(w, h, c, r), 0.5f));
    FillMask(image, Blur(CircleMask(w, h, c, r * 1.1f), r * 0.5f), WithAlpha(Hex(0xFF6AD8), 0.3f), Blend::Add);
    Mask disc = CircleMask(w, h, c, r);
    SphereLight light;
    light.ambient = 0.25f;
    light.highlightStrength = 0.2f;
    light.rimColor = Hex(0xFFB0F0);
    FillMask(image, disc, SpherePaint(c, r, Hex(0xB05AC8), light));
    for (int band = -2; band <= 2; ++band)
        FillMask(image, Intersect(EllipseMask(w, h, {c.x, c.y + band * r * 0.32f}, r * 1.1f, r * 0.07f), disc),
                 WithAlpha(Hex(0x5A1E6A), 0.35f));
    Mask front = Intersect(ringBack, RoundRectMask(w, h, c.x - r * 3, c.y, r * 6, r * 2, 0));
    FillMask(image, ringBack, WithAlpha(Hex(0xFFD0F4), 0.25f));
    FillMask(image, front, WithAlpha(Hex(0xFFE0F8), 0.85f));
}

void Sun(Image& image, Vec2 c, float r) {
    const int w = image.width(), h = image.height();
    FillMask(image, Blur(CircleMask(w, h, c, r * 1.6f), r * 0.9f), WithAlpha(Hex(0xFF8A3A), 0.55f), Blend::Add);
    Mask disc = Intersect(CircleMask(w, h, c, r), RoundRectMask(w, h, 0, 0, static_cast<float>(w), h * kSkyHorizon, 0));
    FillMask(image, disc, LinearGradient({0, c.y - r}, {0, c.y}, {{0, Hex(0xFFF2A0)}, {1, Hex(0xFF6A3A)}}));
    for (int k = 1; k <= 4; ++k) {
        float y = c.y - r * 0.12f * k * k * 0.5f;
        FillMask(image, Intersect(RoundRectMask(w, h, 0, y, static_cast<float>(w), 1.5f + k * 0.4f, 0), disc),
                 WithAlpha(Hex(0x7A2A4A), 0.8f));
    }
}

void Volcanoes(Image& image, const LevelTheme& t, int seed) {
    const int w = image.width(), h = image.height();
    const float horizonY = h * kSkyHorizon;
    Polygon ridge{{0, horizonY + 2}};
    for (int x = 0; x <= w; x += 6) {
        float n = FractalNoise(x * 0.02f, 1.5f, seed, 3);
        float peak = std::exp(-std::pow((x - w * 0.62f) / 34.0f, 2.0f)) * 56;
        ridge.push_back({static_cast<float>(x), horizonY - 8 - n * 30 - peak});
    }
    ridge.push_back({static_cast<float>(w), horizonY + 2});
    Mask hills = FillPolygons(w, h, {ridge});
    FillMask(image, hills, LinearGradient({0, horizonY - 80}, {0, horizonY}, {{0, Hex(0x240806)}, {1, Shade(Hex(t.horizon), 0.55f)}}));
    Vec2 crater{w * 0.62f, horizonY - 64};
    FillMask(image, Blur(CircleMask(w, h, crater, 16), 14), WithAlpha(Hex(0xFF5A1A), 0.8f), Blend::Add);
    Polygon lava{{crater.x - 3, crater.y + 2}, {crater.x + 4, crater.y + 2}, {crater.x + 14, horizonY - 8}, {crater.x + 8, horizonY - 8}};
    FillMask(image, Blur(FillPolygons(w, h, {lava}), 1.2f), WithAlpha(Hex(0xFFA03A), 0.9f), Blend::Add);
    Glows(image, seed + 3, 40, Hex(0xFF7A2A), 0.5f, 1.4f, 0.02f, 0.9f);
}

void Rays(Image& image, int seed) {
    const int w = image.width(), h = image.height();
    Vec2 source{w * 0.5f, -30};
    for (int k = 0; k < 9; ++k) {
        float a = kPi / 2 + (k - 4) * 0.17f;
        float spread = 0.035f;
        Vec2 far{source.x + std::cos(a) * h, source.y + std::sin(a) * h};
        Vec2 far2{source.x + std::cos(a + spread) * h, source.y + std::sin(a + spread) * h};
        FillMask(image, Blur(FillPolygons(w, h, {{source, far, far2}}), 5), WithAlpha(Hex(0xFFD86A), 0.14f), Blend::Add);
    }
    Glows(image, seed, 30, Hex(0xFFD86A), 0.4f, 1.0f, 0.05f, 0.9f);
}

}  // namespace

Image MakeLevelSky(const LevelTheme& theme, int level) {
    Image sky(kSkyWidth, kSkyHeight);
    const int seed = level * 97;
    SkyGradient(sky, theme, seed);
    const float w = kSkyWidth, h = kSkyHeight;
    switch (theme.feature) {
        case SkyFeature::Moon:
            Stars(sky, seed, 160, 1);
            Moon(sky, {w * 0.72f, h * 0.13f}, 22, Hex(0x9FB7FF));
            break;
        case SkyFeature::Fireflies:
            Stars(sky, seed, 70, 0.8f);
            Glows(sky, seed, 45, Hex(0xB8FF6A), 0.5f, 1.2f, 0.05f, 0.95f);
            break;
        case SkyFeature::PaperLanterns:
            Stars(sky, seed, 60, 0.6f);
            PaperLanterns(sky, seed);
            break;
        case SkyFeature::Aurora:
            Stars(sky, seed, 130, 1);
            Aurora(sky, seed);
            break;
        case SkyFeature::Geodes:
            Stars(sky, seed, 90, 1);
            Geodes(sky, seed, Hex(theme.neon));
            break;
        case SkyFeature::Bubbles:
            Bubbles(sky, seed);
            break;
        case SkyFeature::Planet:
            Stars(sky, seed, 220, 1);
            Planet(sky, {w * 0.28f, h * 0.15f}, 26);
            break;
        case SkyFeature::Sun:
            Stars(sky, seed, 40, 0.4f);
            Sun(sky, {w * 0.5f, h * kSkyHorizon}, 48);
            break;
        case SkyFeature::Volcano:
            Stars(sky, seed, 50, 0.7f);
            Volcanoes(sky, theme, seed);
            break;
        case SkyFeature::Rays:
            Stars(sky, seed, 90, 1);
            Rays(sky, seed);
            break;
    }
    FloatingIslands(sky, theme, seed);
    return sky;
}
