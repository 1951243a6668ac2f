#include <algorithm>
#include <cmath>

#include "art/level_art.h"
#include "art/random.h"

namespace {

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

void Put(Image& image, int x, int y, Color c) { image.at(x, y) = {c.r, c.g, c.b, 1}; }

// The slab: speckled stone, a bevel lit from the upper left, a carved ring in
// the middle and the neon lip around the edge.
Color TopTexel(const LevelTheme& t, int level, int x, int y) {
    const float size = kCellTextureWidth;
    float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
    float stone = FractalNoise(u * 6, v * 6, level * 13, 4);
    float grain = Hash01(x * 31 + level, y * 17 + 5);
    Color c = Shade(Hex(t.tileTop), 0.82f + 0.36f * stone + 0.08f * (grain - 0.5f));
    float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    // Bevel: the upper and left rims catch the light, the lower and right fall into shade.
    if (edge < 0.09f) {
        bool lit = (u < v) ? (u < 1 - v) : (v < 1 - u);
        c = Shade(c, lit ? 1.25f : 0.7f);
    }
    float ring = std::fabs(std::hypot(u - 0.5f, v - 0.5f) - 0.24f);
    c = Mix(c, Shade(Hex(t.tileTop), 0.6f), Clamp01((0.018f - ring) / 0.01f) * 0.6f);
    c = Mix(c, Hex(t.neon), Clamp01((0.035f - edge) / 0.02f) * 0.85f);
    return c;
}

// The side: darker stone falling into shadow, lit at its upper edge by the
// neon and at its foot by a glow from below.
Color SideTexel(const LevelTheme& t, int level, int x, int row, int rows) {
    float depth = (row + 0.5f) / rows;
    float stone = FractalNoise(x * 0.12f, row * 0.2f + 40, level * 7 + 1, 3);
    Color c = Shade(Hex(t.tileSide), (1.05f - 0.55f * depth) * (0.85f + 0.3f * stone));
    c = Mix(c, Hex(t.neon), Clamp01((0.09f - depth) / 0.05f) * 0.9f);
    c = Mix(c, Shade(Hex(t.neon), 0.55f), Clamp01((depth - 0.8f) / 0.2f) * 0.5f);
    return c;
}

}  // namespace

Image MakeCellTexture(const LevelTheme& theme, int level) {
    Image image(kCellTextureWidth, kCellTextureHeight);
    const int top = kCellTextureHeight / 2, side = kCellTextureHeight / 4;
    for (int y = 0; y < top; ++y)
        for (int x = 0; x < kCellTextureWidth; ++x) Put(image, x, y, TopTexel(theme, level, x, y));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < kCellTextureWidth; ++x) {
            Color c = SideTexel(theme, level, x, y, side);
            Put(image, x, top + y, c);
            Put(image, x, top + side + y, Shade(c, 0.5f));
        }
    return image;
}
