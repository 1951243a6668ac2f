#include "art/characters.h"

#include <algorithm>
#include <cmath>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

void GroundShadow(Image& image, Vec2 centre, float rx, float ry, float strength) {
    Mask shadow = Blur(EllipseMask(image.width(), image.height(), centre, rx, ry), ry * 0.6f);
    FillMask(image, shadow, WithAlpha(Hex(0x05030F), strength));
}

// Tobbin's parts share his centre, radius, line width and outline colour.
struct TobbinParts {
    Image& image;
    Vec2 c;
    float r;
    float line;
    Color outline;
    float turn = 0;  // shifts the face toward the side he looks to

    float faceX(float offset) const { return c.x + turn * r * 0.38f + offset * (1 - 0.3f * std::fabs(turn)); }

    int w() const { return image.width(); }
    int h() const { return image.height(); }

    // A curl of hair on top.
    void curl() {
        Path p;
        p.moveTo({c.x - r * 0.1f, c.y - r * 0.92f});
        p.cubicTo({c.x - r * 0.25f, c.y - r * 1.35f}, {c.x + r * 0.3f, c.y - r * 1.45f}, {c.x + r * 0.22f, c.y - r * 1.18f});
        p.cubicTo({c.x + r * 0.16f, c.y - r * 1.05f}, {c.x + r * 0.02f, c.y - r * 1.1f}, {c.x + r * 0.06f, c.y - r * 1.2f});
        p.cubicTo({c.x - r * 0.04f, c.y - r * 1.1f}, {c.x + r * 0.05f, c.y - r * 0.95f}, {c.x + r * 0.12f, c.y - r * 0.9f});
        p.close();
        Mask m = FillPath(w(), h(), p);
        FillMask(image, Dilate(m, line), outline);
        FillMask(image, m, LinearGradient({c.x, c.y - r * 1.4f}, {c.x, c.y - r * 0.9f},
                                          {{0, Hex(0xFFC060)}, {1, Hex(0xE0701A)}}));
    }

    // The lit ball with a sheen and rosy cheeks.
    void body(Color colour, bool cheeks) {
        Mask ball = CircleMask(w(), h(), c, r);
        FillMask(image, Dilate(ball, line), outline);
        SphereLight light;
        light.towardLight = {-0.45f, -0.75f, 0.55f};
        light.ambient = 0.45f;
        light.diffuse = 0.72f;
        light.highlightStrength = 0.55f;
        light.shininess = 28;
        light.rimColor = Hex(0x7FE3FF);  // the maze's neon behind him
        light.rim = 0.35f;
        FillMask(image, ball, SpherePaint(c, r, colour, light));
        Mask sheen = Intersect(EllipseMask(w(), h(), {c.x - r * 0.35f, c.y - r * 0.5f}, r * 0.32f, r * 0.18f), ball);
        FillMask(image, Blur(sheen, r * 0.05f), WithAlpha(Hex(0xFFFFFF), 0.55f));
        if (!cheeks) return;
        for (float side : {-1.0f, 1.0f})
            FillMask(image,
                     Blur(EllipseMask(w(), h(), {faceX(side * r * 0.55f), c.y + r * 0.22f}, r * 0.16f, r * 0.1f), r * 0.05f),
                     WithAlpha(Hex(0xFF4F5E), 0.55f));
    }

    // A wide open smile with teeth and a tongue.
    void mouth() {
        Vec2 m{faceX(0), c.y + r * 0.18f};
        Path p;
        p.moveTo({m.x - r * 0.42f, m.y});
        p.quadTo({m.x, m.y + r * 0.1f}, {m.x + r * 0.42f, m.y});
        p.cubicTo({m.x + r * 0.38f, m.y + r * 0.5f}, {m.x - r * 0.38f, m.y + r * 0.5f}, {m.x - r * 0.42f, m.y});
        p.close();
        Mask inside = FillPath(w(), h(), p);
        FillMask(image, Dilate(inside, line), outline);
        FillMask(image, inside,
                 LinearGradient({m.x, m.y}, {m.x, m.y + r * 0.4f}, {{0, Hex(0x5A0E16)}, {1, Hex(0x2A050A)}}));
        FillMask(image, Intersect(EllipseMask(w(), h(), {m.x + r * 0.04f, m.y + r * 0.36f}, r * 0.22f, r * 0.13f), inside),
                 Hex(0xFF6B7A));
        FillMask(image,
                 Intersect(RoundRectMask(w(), h(), m.x - r * 0.3f, m.y - r * 0.05f, r * 0.6f, r * 0.12f, r * 0.04f), inside),
                 Hex(0xFFF8EE));
    }

    void eyes(Vec2 look, float blink, Color lid) {
        for (float side : {-1.0f, 1.0f}) {
            Vec2 e{faceX(side * r * 0.3f), c.y - r * 0.22f};
            DrawEye(image, e, r * 0.2f, r * 0.27f, look, blink, lid, Hex(0x3B7BFF), line);
            Polygon brow{{e.x - r * 0.15f, e.y - r * 0.38f}, {e.x, e.y - r * 0.45f}, {e.x + r * 0.15f, e.y - r * 0.4f}};
            FillMask(image, StrokePolyline(w(), h(), brow, line * 1.5f), outline);
        }
    }
};

}  // namespace

void DrawEye(Image& image, Vec2 c, float rx, float ry, Vec2 look, float lid, Color lidColor, Color iris,
             float outline) {
    int w = image.width(), h = image.height();
    Mask white = EllipseMask(w, h, c, rx, ry);
    FillMask(image, Dilate(white, outline), Hex(0x1A0B12));
    FillMask(image, white, LinearGradient({c.x, c.y - ry}, {c.x, c.y + ry}, {{0, Hex(0xFFFFFF)}, {1, Hex(0xD8DCF0)}}));
    Vec2 pupilAt{c.x + look.x * rx * 0.38f, c.y + look.y * ry * 0.3f + ry * 0.12f};
    Mask irisMask = Intersect(EllipseMask(w, h, pupilAt, rx * 0.62f, ry * 0.55f), white);
    FillMask(image, irisMask,
             RadialGradient(pupilAt, rx * 0.62f, {{0, Shade(iris, 1.25f)}, {1, Shade(iris, 0.7f)}}));
    FillMask(image, Intersect(EllipseMask(w, h, pupilAt, rx * 0.36f, ry * 0.33f), white), Hex(0x0A0610));
    FillMask(image, CircleMask(w, h, {pupilAt.x - rx * 0.22f, pupilAt.y - ry * 0.2f}, rx * 0.17f), Hex(0xFFFFFF));
    FillMask(image, CircleMask(w, h, {pupilAt.x + rx * 0.18f, pupilAt.y + ry * 0.16f}, rx * 0.07f),
             WithAlpha(Hex(0xFFFFFF), 0.8f));
    if (lid <= 0) return;
    // The lid comes down over the eye; its lower rim is a dark lash line.
    float edgeY = c.y - ry + 2 * ry * std::min(lid, 1.0f);
    Path lidPath;
    lidPath.moveTo({c.x - rx * 1.3f, c.y - ry * 1.3f});
    lidPath.lineTo({c.x + rx * 1.3f, c.y - ry * 1.3f});
    lidPath.lineTo({c.x + rx * 1.3f, edgeY});
    lidPath.quadTo({c.x, edgeY + ry * 0.25f * lid}, {c.x - rx * 1.3f, edgeY});
    lidPath.close();
    Mask lidMask = Intersect(FillPath(w, h, lidPath), Dilate(white, outline * 0.5f));
    FillMask(image, lidMask, lidColor);
    Polygon lash;
    for (int i = 0; i <= 16; ++i) {
        float t = i / 16.0f;
        float x = c.x - rx + 2 * rx * t;
        float dy = (x - c.x) / rx;
        float ellipseY = ry * std::sqrt(std::max(0.0f, 1 - dy * dy));
        float y = std::clamp(edgeY + ry * 0.25f * lid * (1 - dy * dy) * 0.5f, c.y - ellipseY, c.y + ellipseY);
        lash.push_back({x, y});
    }
    FillMask(image, StrokePolyline(w, h, lash, outline * 1.1f), Hex(0x1A0B12));
}

void DrawTobbin(Image& image, const TobbinPose& pose) {
    const Color body = Hex(0xFF9A2E);
    TobbinParts parts{image, pose.centre, pose.radius, std::max(pose.thinnestLine, pose.radius * 0.045f), Hex(0x3A1606), pose.turn};
    GroundShadow(image, {pose.centre.x, pose.groundY}, pose.radius * 0.85f, pose.radius * 0.2f, 0.75f);
    // A warm glow around him: he is the light of the scene.
    Glow(image, CircleMask(image.width(), image.height(), pose.centre, pose.radius), pose.radius * 0.05f,
         pose.radius * 0.22f, WithAlpha(Hex(0xFFA040), 0.45f), Blend::Normal);
    parts.curl();
    parts.body(body, !pose.fromBehind);
    if (pose.fromBehind) return;
    parts.mouth();
    parts.eyes(pose.look, pose.blink, Shade(body, 1.05f));
}

namespace {

// Two dot eyes and a zigzag mouth: a ghost that wants to be elsewhere.
void DrawScaredFace(Image& image, Vec2 c, float r, Color face, float line) {
    const int w = image.width(), h = image.height();
    for (float side : {-1.0f, 1.0f})
        FillMask(image, CircleMask(w, h, {c.x + side * r * 0.34f, c.y - r * 0.22f}, r * 0.13f), face);
    Polygon mouth;
    const int teeth = 6;
    for (int i = 0; i <= teeth; ++i) {
        float x = c.x - r * 0.55f + 1.1f * r * float(i) / teeth;
        mouth.push_back({x, c.y + r * 0.3f + ((i % 2) ? -1.0f : 1.0f) * r * 0.09f});
    }
    FillMask(image, StrokePolyline(w, h, mouth, line * 1.6f), face);
}

}  // namespace

void DrawGhost(Image& image, const GhostPose& pose) {
    const int w = image.width(), h = image.height();
    const Vec2 c = pose.centre;
    const float r = pose.radius;
    const float line = std::max(pose.thinnestLine, r * 0.05f);
    const float bottom = c.y + r * 1.15f;

    float shadowScale = 1 / (1 + pose.hover / (r * 1.5f));
    GroundShadow(image, {c.x, pose.groundY}, r * 0.8f * shadowScale, r * 0.18f * shadowScale, 0.55f * shadowScale);

    // Dome, straight sides, and a skirt of four rippling scallops.
    Path body;
    body.moveTo({c.x - r, c.y});
    body.cubicTo({c.x - r, c.y - r * 0.552f * 1.1f}, {c.x - r * 0.552f, c.y - r * 1.1f}, {c.x, c.y - r * 1.1f});
    body.cubicTo({c.x + r * 0.552f, c.y - r * 1.1f}, {c.x + r, c.y - r * 0.552f * 1.1f}, {c.x + r, c.y});
    body.lineTo({c.x + r, bottom});
    const int scallops = 4;
    for (int i = 0; i < scallops; ++i) {
        float x0 = c.x + r - 2 * r * i / scallops, x1 = c.x + r - 2 * r * (i + 1) / scallops;
        float ripple = std::sin(pose.wave + i * 1.7f) * r * 0.08f;
        body.quadTo({(x0 + x1) * 0.5f, bottom - r * 0.42f + ripple}, {x1, bottom + ripple * 0.5f});
    }
    body.close();
    Mask bodyMask = FillPath(w, h, body);

    Glow(image, bodyMask, r * 0.08f, r * 0.3f, WithAlpha(pose.body, 0.55f), Blend::Normal);
    FillMask(image, Dilate(bodyMask, line), Shade(pose.body, 0.25f));
    // Lit like a rounded cylinder: bright on the left, deep on the right.
    Paint shading = [&](float x, float y) {
        float nx = std::clamp((x - c.x) / r, -1.0f, 1.0f);
        float top = std::clamp((c.y - y) / r, 0.0f, 1.0f);
        float lambert = 0.55f + 0.45f * (-0.55f * nx + 0.8f * std::sqrt(std::max(0.0f, 1 - nx * nx)) * 0.8f);
        float lift = 0.15f * top;
        Color k = Shade(pose.body, lambert + lift);
        float down = std::clamp((y - c.y) / (bottom - c.y), 0.0f, 1.0f);
        return Mix(k, Shade(pose.body, 0.55f), down * 0.5f);
    };
    FillMask(image, bodyMask, shading);
    Mask gloss = Intersect(EllipseMask(w, h, {c.x - r * 0.42f, c.y - r * 0.55f}, r * 0.22f, r * 0.32f), bodyMask);
    FillMask(image, Blur(gloss, r * 0.06f), WithAlpha(Hex(0xFFFFFF), 0.5f));

    if (pose.fromBehind) return;
    if (pose.scared) {
        DrawScaredFace(image, c, r, Hex(pose.face), line);
        return;
    }
    for (float side : {-1.0f, 1.0f}) {
        Vec2 e{c.x + pose.turn * r * 0.4f + side * r * 0.38f * (1 - 0.3f * std::fabs(pose.turn)), c.y - r * 0.18f};
        DrawEye(image, e, r * 0.28f, r * 0.34f, pose.look, 0, pose.body, Hex(0x2244CC), line * 0.8f);
    }
}
