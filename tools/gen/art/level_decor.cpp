#include <algorithm>
#include <cmath>

#include "art/glimmerkin.h"
#include "art/level_art.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

// The decorations are drawn at 4x and shrunk, so their outlines stay smooth
// after the colour key cuts them out.
namespace {

constexpr int kSuper = 4;
constexpr float kPi = 3.14159265f;
const Color kInk = Hex(0x0A0614);

struct Canvas {
    Image image;
    float line;
    int w() const { return image.width(); }
    int h() const { return image.height(); }
    // Outlined shape: dark rim, then the paint.
    void shape(const Mask& m, const Paint& paint) {
        FillMask(image, Dilate(m, line), kInk);
        FillMask(image, m, paint);
    }
    void shape(const Mask& m, Color c) { shape(m, Solid(c)); }
    Mask poly(const Polygon& p) const { return FillPolygons(w(), h(), {p}); }
};

Canvas Start(int width, int height) { return {Image(width * kSuper, height * kSuper), 1.6f * kSuper}; }

Image Finish(const Canvas& c, int width, int height) {
    Image out(width, height);
    DrawImageScaled(out, c.image, 0, 0, static_cast<float>(width), static_cast<float>(height));
    return out;
}

Paint Lit(float x0, float x1, Color c) {
    return LinearGradient({x0, 0}, {x1, 0}, {{0, Shade(c, 1.3f)}, {0.45f, c}, {1, Shade(c, 0.55f)}});
}

void Crystals(Canvas& c, Color colour, float height, int count) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    for (int i = 0; i < count; ++i) {
        float side = (i - (count - 1) * 0.5f);
        float lean = side * 0.28f;
        float len = height * (i == (count - 1) / 2 ? 1.0f : 0.62f);
        float half = W * 0.11f;
        Vec2 foot{W * 0.5f + side * W * 0.2f, H * 0.97f};
        Vec2 dir{std::sin(lean), -std::cos(lean)};
        Vec2 across{-dir.y * half, dir.x * half};
        Vec2 shoulder = foot + dir * (len * 0.78f);
        Vec2 tip = foot + dir * len;
        Polygon left{foot - across, shoulder - across, tip, foot};
        Polygon right{foot, tip, shoulder + across, foot + across};
        c.shape(c.poly({foot - across, shoulder - across, tip, shoulder + across, foot + across}), colour);
        FillMask(c.image, c.poly(left), Mix(colour, Hex(0xFFFFFF), 0.45f));
        FillMask(c.image, c.poly(right), Shade(colour, 0.7f));
        FillMask(c.image, StrokePolyline(c.w(), c.h(), {foot, tip}, c.line * 0.6f), WithAlpha(Hex(0xFFFFFF), 0.6f));
    }
}

void Mushroom(Canvas& c, Vec2 foot, float height, float capR, Color cap) {
    float stemW = capR * 0.35f;
    Mask stem = RoundRectMask(c.w(), c.h(), foot.x - stemW, foot.y - height, stemW * 2, height, stemW * 0.5f);
    c.shape(stem, Lit(foot.x - stemW, foot.x + stemW, Hex(0xE8DCC8)));
    Vec2 top{foot.x, foot.y - height};
    Path capPath;
    capPath.moveTo({top.x - capR, top.y + capR * 0.15f});
    capPath.cubicTo({top.x - capR, top.y - capR * 0.9f}, {top.x + capR, top.y - capR * 0.9f}, {top.x + capR, top.y + capR * 0.15f});
    capPath.close();
    Mask capMask = FillPath(c.w(), c.h(), capPath);
    c.shape(capMask, RadialGradient({top.x - capR * 0.3f, top.y - capR * 0.4f}, capR * 1.4f, {{0, Shade(cap, 1.4f)}, {1, Shade(cap, 0.6f)}}));
    for (int k = 0; k < 3; ++k) {
        Vec2 spot{top.x + (k - 1) * capR * 0.5f, top.y - capR * (k == 1 ? 0.45f : 0.2f)};
        FillMask(c.image, Intersect(CircleMask(c.w(), c.h(), spot, capR * 0.13f), capMask), Hex(0xFFF6E8));
    }
}

void Post(Canvas& c, Color stone, float topY) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    float half = W * 0.13f;
    c.shape(RoundRectMask(c.w(), c.h(), W * 0.5f - half, topY, half * 2, H - topY, half * 0.3f), Lit(W * 0.5f - half, W * 0.5f + half, stone));
    c.shape(RoundRectMask(c.w(), c.h(), W * 0.5f - half * 1.8f, H * 0.9f, half * 3.6f, H * 0.1f, half * 0.3f),
            Lit(W * 0.5f - half * 1.8f, W * 0.5f + half * 1.8f, stone));
}

void Light(Canvas& c, Vec2 at, float r, Color colour) {
    FillMask(c.image, CircleMask(c.w(), c.h(), at, r), RadialGradient(at, r, {{0, Hex(0xFFFFF0)}, {0.5f, Mix(colour, Hex(0xFFFFFF), 0.4f)}, {1, colour}}));
}

void Lantern(Canvas& c, Vec2 at, float r, Color glow) {
    Mask body = EllipseMask(c.w(), c.h(), at, r * 0.8f, r);
    c.shape(body, RadialGradient(at, r, {{0, Hex(0xFFF4C0)}, {0.6f, glow}, {1, Shade(glow, 0.6f)}}));
    for (float dy : {-0.45f, 0.0f, 0.45f})
        FillMask(c.image, Intersect(RoundRectMask(c.w(), c.h(), at.x - r, at.y + dy * r, r * 2, c.line * 0.5f, 0), body), WithAlpha(kInk, 0.5f));
    c.shape(RoundRectMask(c.w(), c.h(), at.x - r * 0.45f, at.y - r * 1.15f, r * 0.9f, r * 0.25f, 0), Hex(0x3A2A30));
}

void Flame(Canvas& c, Vec2 base, float size) {
    Path flame;
    flame.moveTo({base.x, base.y - size * 1.6f});
    flame.cubicTo({base.x + size * 0.9f, base.y - size * 0.6f}, {base.x + size * 0.7f, base.y}, {base.x, base.y});
    flame.cubicTo({base.x - size * 0.7f, base.y}, {base.x - size * 0.9f, base.y - size * 0.6f}, {base.x, base.y - size * 1.6f});
    flame.close();
    Mask m = FillPath(c.w(), c.h(), flame);
    c.shape(m, LinearGradient({0, base.y - size * 1.6f}, {0, base.y}, {{0, Hex(0xFFF6A0)}, {0.5f, Hex(0xFFA030)}, {1, Hex(0xE0401A)}}));
}

void Rock(Canvas& c, Color stone, Color accent) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    Polygon rock{{W * 0.1f, H * 0.97f}, {W * 0.16f, H * 0.62f}, {W * 0.4f, H * 0.42f}, {W * 0.7f, H * 0.48f}, {W * 0.9f, H * 0.7f}, {W * 0.92f, H * 0.97f}};
    Mask m = c.poly(rock);
    c.shape(m, LinearGradient({W * 0.2f, H * 0.4f}, {W * 0.8f, H}, {{0, Shade(stone, 1.35f)}, {1, Shade(stone, 0.55f)}}));
    FillMask(c.image, Intersect(EllipseMask(c.w(), c.h(), {W * 0.45f, H * 0.5f}, W * 0.3f, H * 0.08f), m), Shade(accent, 0.9f));
}

void Fern(Canvas& c, Color leaf) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    // Broad blades fanning out of one clump, the tallest in front: thin
    // leaves would vanish under their outline once the picture is shrunk.
    const int order[] = {0, 4, 1, 3, 2};
    for (int f : order) {
        float angle = -kPi / 2 + (f - 2) * 0.3f;
        float len = H * (f == 2 ? 0.92f : (f == 1 || f == 3 ? 0.78f : 0.6f));
        float half = W * 0.17f;
        Vec2 foot{W * 0.5f + (f - 2) * W * 0.06f, H * 0.98f};
        Vec2 dir{std::cos(angle), std::sin(angle)};
        Vec2 across{-dir.y * half, dir.x * half};
        Vec2 tip = foot + dir * len;
        Vec2 belly = foot + dir * (len * 0.45f);
        Path blade;
        blade.moveTo(foot);
        blade.quadTo(belly + across * 2.0f, tip);
        blade.quadTo(belly - across * 2.0f, foot);
        blade.close();
        Mask m = FillPath(c.w(), c.h(), blade);
        c.shape(m, LinearGradient(foot, tip, {{0, Shade(leaf, 0.65f)}, {1, Mix(leaf, Hex(0xFFFFFF), 0.35f)}}));
        FillMask(c.image, Intersect(StrokePolyline(c.w(), c.h(), {foot, tip}, c.line * 0.7f), m), WithAlpha(Shade(leaf, 0.45f), 0.9f));
    }
}

void Coral(Canvas& c, Color colour) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    Mask branches = Mask(c.w(), c.h());
    struct Branch {
        Vec2 from;
        float angle;
        float length;
        int depth;
    };
    std::vector<Branch> stack{{{W * 0.5f, H * 0.98f}, -kPi / 2, H * 0.36f, 0}};
    while (!stack.empty()) {
        Branch b = stack.back();
        stack.pop_back();
        Vec2 to{b.from.x + std::cos(b.angle) * b.length, b.from.y + std::sin(b.angle) * b.length};
        branches = Union(branches, StrokePolyline(c.w(), c.h(), {b.from, to}, W * (0.14f - b.depth * 0.03f)));
        if (b.depth < 3) {
            stack.push_back({to, b.angle - 0.45f, b.length * 0.72f, b.depth + 1});
            stack.push_back({to, b.angle + 0.4f, b.length * 0.68f, b.depth + 1});
        }
    }
    c.shape(branches, LinearGradient({0, H}, {0, 0}, {{0, Shade(colour, 0.6f)}, {1, Mix(colour, Hex(0xFFFFFF), 0.3f)}}));
}

void Cactus(Canvas& c, Color green) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    float half = W * 0.14f;
    Mask body = RoundRectMask(c.w(), c.h(), W * 0.5f - half, H * 0.12f, half * 2, H * 0.86f, half);
    body = Union(body, RoundRectMask(c.w(), c.h(), W * 0.12f, H * 0.34f, half * 1.6f, H * 0.26f, half * 0.8f));
    body = Union(body, RoundRectMask(c.w(), c.h(), W * 0.12f, H * 0.5f, W * 0.4f, half * 1.4f, half * 0.7f));
    body = Union(body, RoundRectMask(c.w(), c.h(), W * 0.88f - half * 1.6f, H * 0.24f, half * 1.6f, H * 0.3f, half * 0.8f));
    body = Union(body, RoundRectMask(c.w(), c.h(), W * 0.5f, H * 0.44f, W * 0.38f, half * 1.4f, half * 0.7f));
    c.shape(body, Lit(W * 0.1f, W * 0.9f, green));
    for (float x : {W * 0.45f, W * 0.55f})
        FillMask(c.image, Intersect(StrokePolyline(c.w(), c.h(), {{x, H * 0.15f}, {x, H * 0.95f}}, c.line * 0.5f), body), WithAlpha(Shade(green, 0.5f), 0.8f));
    FillMask(c.image, CircleMask(c.w(), c.h(), {W * 0.5f, H * 0.13f}, half * 0.6f), Hex(0xFF5A8A));
}

void Pillar(Canvas& c, Color gold) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    float half = W * 0.2f;
    c.shape(RoundRectMask(c.w(), c.h(), W * 0.5f - half, H * 0.2f, half * 2, H * 0.72f, 0), Lit(W * 0.5f - half, W * 0.5f + half, gold));
    for (float x : {-0.5f, 0.0f, 0.5f})
        FillMask(c.image, StrokePolyline(c.w(), c.h(), {{W * 0.5f + x * half, H * 0.22f}, {W * 0.5f + x * half, H * 0.9f}}, c.line * 0.5f),
                 WithAlpha(Shade(gold, 0.45f), 0.8f));
    for (float y : {H * 0.14f, H * 0.9f})
        c.shape(RoundRectMask(c.w(), c.h(), W * 0.5f - half * 1.5f, y, half * 3, H * 0.08f, W * 0.02f), Lit(W * 0.5f - half * 1.5f, W * 0.5f + half * 1.5f, gold));
    Light(c, {W * 0.5f, H * 0.09f}, W * 0.16f, Hex(0xFFC040));
}

void Urn(Canvas& c, Color gold) {
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    Path urn;
    urn.moveTo({W * 0.3f, H * 0.3f});
    urn.lineTo({W * 0.7f, H * 0.3f});
    urn.cubicTo({W * 0.62f, H * 0.45f}, {W * 0.95f, H * 0.6f}, {W * 0.62f, H * 0.85f});
    urn.lineTo({W * 0.7f, H * 0.97f});
    urn.lineTo({W * 0.3f, H * 0.97f});
    urn.lineTo({W * 0.38f, H * 0.85f});
    urn.cubicTo({W * 0.05f, H * 0.6f}, {W * 0.38f, H * 0.45f}, {W * 0.3f, H * 0.3f});
    urn.close();
    c.shape(FillPath(c.w(), c.h(), urn), Lit(W * 0.15f, W * 0.85f, gold));
    Flame(c, {W * 0.5f, H * 0.3f}, W * 0.16f);
}

}  // namespace

Image MakeTallDecor(const LevelTheme& t) {
    const int width = 32, height = 64;
    Canvas c = Start(width, height);
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    switch (t.decor) {
        case DecorKind::Mushrooms:
            Mushroom(c, {W * 0.5f, H * 0.97f}, H * 0.55f, W * 0.45f, Hex(0x8A5CFF));
            break;
        case DecorKind::Ferns: Fern(c, Hex(0x5CC85A)); break;
        case DecorKind::Lanterns:
            Post(c, Hex(0x6A4A3A), H * 0.38f);
            Lantern(c, {W * 0.5f, H * 0.22f}, W * 0.32f, Hex(0xFF8A2A));
            break;
        case DecorKind::IceShards: Crystals(c, Hex(0xBEEBFF), H * 0.9f, 3); break;
        case DecorKind::Crystals: Crystals(c, Hex(0xB07CFF), H * 0.9f, 3); break;
        case DecorKind::Coral: Coral(c, Hex(0xFF6A8A)); break;
        case DecorKind::Nebula:
            Post(c, Hex(0x4E3470), H * 0.35f);
            FillMask(c.image, Blur(CircleMask(c.w(), c.h(), {W * 0.5f, H * 0.2f}, W * 0.3f), W * 0.08f), WithAlpha(Hex(0xFF6AD8), 0.9f));
            DrawSparkle(c.image, {W * 0.5f, H * 0.2f}, W * 0.45f, 1, Hex(0xFFD0F4));
            break;
        case DecorKind::Cacti: Cactus(c, Hex(0x4A9A4A)); break;
        case DecorKind::Embers:
            Post(c, Hex(0x3A2A28), H * 0.4f);
            c.shape(RoundRectMask(c.w(), c.h(), W * 0.18f, H * 0.34f, W * 0.64f, H * 0.08f, W * 0.05f), Hex(0x5A3A30));
            Flame(c, {W * 0.5f, H * 0.35f}, W * 0.28f);
            break;
        case DecorKind::Pillars: Pillar(c, Hex(0xD8B048)); break;
    }
    return Finish(c, width, height);
}

Image MakeSmallDecor(const LevelTheme& t) {
    const int size = 32;
    Canvas c = Start(size, size);
    const float W = static_cast<float>(c.w()), H = static_cast<float>(c.h());
    switch (t.decor) {
        case DecorKind::Mushrooms:
            Mushroom(c, {W * 0.32f, H * 0.97f}, H * 0.4f, W * 0.26f, Hex(0x4FD8FF));
            Mushroom(c, {W * 0.7f, H * 0.97f}, H * 0.28f, W * 0.2f, Hex(0xFF6AD8));
            break;
        case DecorKind::Ferns: Rock(c, Hex(0x4A5A50), Hex(0x5CC85A)); break;
        case DecorKind::Lanterns:
            Lantern(c, {W * 0.5f, H * 0.62f}, W * 0.3f, Hex(0xFF5A3A));
            break;
        case DecorKind::IceShards: Rock(c, Hex(0x8AA8C8), Hex(0xF4FCFF)); break;
        case DecorKind::Crystals: Crystals(c, Hex(0x6AE0FF), H * 0.9f, 2); break;
        case DecorKind::Coral: Rock(c, Hex(0x3A6A70), Hex(0xFFB0C0)); break;
        case DecorKind::Nebula: DrawSparkle(c.image, {W * 0.5f, H * 0.5f}, W * 0.45f, 1, Hex(0xFFB0F0)); break;
        case DecorKind::Cacti: Rock(c, Hex(0xA87A50), Hex(0xE8C090)); break;
        case DecorKind::Embers:
            Rock(c, Hex(0x3A2420), Hex(0xFF5A1A));
            break;
        case DecorKind::Pillars: Urn(c, Hex(0xD8B048)); break;
    }
    return Finish(c, size, size);
}
