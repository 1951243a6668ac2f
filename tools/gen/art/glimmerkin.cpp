#include "art/glimmerkin.h"

#include <algorithm>
#include <cmath>

#include "art/characters.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kPi = 3.14159265f;

// Five rounded points: every corner of the star polygon becomes the control
// point of a curve between the midpoints of its edges.
Path SoftStar(Vec2 c, float outer, float inner, float turn) {
    Vec2 corners[10];
    for (int i = 0; i < 10; ++i) {
        float angle = -kPi / 2 + turn + i * kPi / 5;
        float r = (i % 2 == 0) ? outer : inner;
        corners[i] = {c.x + std::cos(angle) * r, c.y + std::sin(angle) * r};
    }
    Path star;
    star.moveTo(Lerp(corners[9], corners[0], 0.5f));
    for (int i = 0; i < 10; ++i) star.quadTo(corners[i], Lerp(corners[i], corners[(i + 1) % 10], 0.5f));
    star.close();
    return star;
}

void Body(Image& image, const GlimmerkinPose& pose, float line) {
    const int w = image.width(), h = image.height();
    const Vec2 c = pose.centre;
    const float r = pose.radius;
    Mask body = FillPath(w, h, SoftStar(c, r, r * 0.62f, pose.turn));
    Glow(image, body, r * 0.1f, r * 0.35f, WithAlpha(Hex(0xFFE27A), 0.75f), Blend::Normal);
    Glow(image, body, r * 0.3f, r * 0.6f, WithAlpha(Hex(0xFF6FD8), 0.35f), Blend::Add);
    FillMask(image, Dilate(body, line), Hex(0x4A2A10));
    SphereLight light;
    light.towardLight = {-0.4f, -0.8f, 0.5f};
    light.ambient = 0.6f;
    light.diffuse = 0.55f;
    light.highlightStrength = 0.6f;
    light.shininess = 20;
    light.rimColor = Hex(0x9FF4FF);
    light.rim = 0.45f;
    FillMask(image, body, SpherePaint({c.x, c.y + r * 0.05f}, r * 0.95f, Hex(0xFFD65A), light));
    // A pearly sheen across the top points.
    Mask sheen = Intersect(EllipseMask(w, h, {c.x - r * 0.2f, c.y - r * 0.45f}, r * 0.42f, r * 0.22f), body);
    FillMask(image, Blur(sheen, r * 0.06f), WithAlpha(Hex(0xFFFFFF), 0.55f));
    for (float side : {-1.0f, 1.0f})
        FillMask(image, Blur(EllipseMask(w, h, {c.x + side * r * 0.36f, c.y + r * 0.16f}, r * 0.11f, r * 0.07f), r * 0.04f),
                 WithAlpha(Hex(0xFF5F8A), 0.6f));
}

void Face(Image& image, const GlimmerkinPose& pose, float line) {
    const Vec2 c = pose.centre;
    const float r = pose.radius;
    for (float side : {-1.0f, 1.0f}) {
        Vec2 e{c.x + side * r * 0.19f, c.y - r * 0.06f};
        DrawEye(image, e, r * 0.13f, r * 0.18f, {0.25f, 0.3f}, pose.blink, Hex(0xFFD65A), Hex(0x7A3BFF), line * 0.8f);
    }
    Polygon smile;
    for (int i = 0; i <= 12; ++i) {
        float t = i / 12.0f;
        float x = c.x - r * 0.12f + r * 0.24f * t;
        smile.push_back({x, c.y + r * 0.2f + std::sin(t * kPi) * r * 0.08f});
    }
    FillMask(image, StrokePolyline(image.width(), image.height(), smile, line * 1.1f), Hex(0x4A2A10));
}

// Sparkles circle the glimmerkin; each swells and fades in turn.
void Sparkles(Image& image, const GlimmerkinPose& pose) {
    const Color tints[] = {Hex(0xFFFFFF), Hex(0xFFF0A0), Hex(0xA8F4FF), Hex(0xFFB8F0)};
    const int count = 5;
    for (int i = 0; i < count; ++i) {
        float phase = pose.twinkle + static_cast<float>(i) / count;
        float angle = 2 * kPi * (i / static_cast<float>(count) + pose.twinkle * 0.25f) + 0.4f;
        float distance = pose.radius * (1.22f + 0.12f * std::sin(2 * kPi * phase * 2));
        Vec2 at{pose.centre.x + std::cos(angle) * distance, pose.centre.y + std::sin(angle) * distance * 0.9f};
        float life = 0.5f + 0.5f * std::sin(2 * kPi * phase);
        DrawSparkle(image, at, pose.radius * (0.12f + 0.16f * life), 0.35f + 0.65f * life, tints[i % 4]);
    }
}

}  // namespace

void DrawSparkle(Image& image, Vec2 c, float size, float strength, Color tint) {
    if (strength <= 0 || size <= 0) return;
    const int w = image.width(), h = image.height();
    Path star;
    for (int i = 0; i < 8; ++i) {
        float angle = i * kPi / 4;
        float r = (i % 2 == 0) ? size : size * 0.18f;
        Vec2 p{c.x + std::cos(angle) * r, c.y + std::sin(angle) * r};
        if (i == 0) star.moveTo(p);
        else star.lineTo(p);
    }
    star.close();
    Mask m = FillPath(w, h, star);
    FillMask(image, Blur(CircleMask(w, h, c, size * 0.5f), size * 0.35f), WithAlpha(tint, 0.7f * strength), Blend::Add);
    FillMask(image, Blur(m, std::max(0.5f, size * 0.08f)), WithAlpha(tint, strength));
    FillMask(image, CircleMask(w, h, c, size * 0.14f), WithAlpha(Hex(0xFFFFFF), strength));
}

void DrawGlimmerkin(Image& image, const GlimmerkinPose& pose) {
    const float line = std::max(1.2f, pose.radius * 0.045f);
    Body(image, pose, line);
    Face(image, pose, line);
    if (pose.sparkles) Sparkles(image, pose);
}
