#pragma once
// Paints (gradients, lit spheres) and effects (blur, dilation, shadows and
// glows) of the raster library.

#include "raster/image.h"

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
Vec3 Normalize(Vec3 v);

Paint Solid(Color c);
// Colour ramp along the line from p0 (t = 0) to p1 (t = 1).
Paint LinearGradient(Vec2 p0, Vec2 p1, Gradient ramp);
// Colour ramp from the centre (t = 0) out to the radius (t = 1); ry stretches it vertically.
Paint RadialGradient(Vec2 centre, float radius, Gradient ramp, float ry = 0);

// A sphere lit from a direction, shaded per pixel from its normal: ambient,
// diffuse (Lambert), a Blinn-Phong highlight (highlightStrength, shininess) and a rim light on the edge.
struct SphereLight {
    Vec3 towardLight{-0.5f, -0.7f, 0.6f};  // screen axes: x right, y down, z toward the viewer
    float ambient = 0.35f;
    float diffuse = 0.8f;
    float highlightStrength = 0.7f;
    float shininess = 40;
    Color rimColor = Hex(0xFFFFFF);
    float rim = 0.25f;
};
Paint SpherePaint(Vec2 centre, float radius, Color base, const SphereLight& light);

// Gaussian blur of standard deviation sigma (three box passes); outside is zero.
Mask Blur(const Mask& mask, float sigma);
Image Blur(const Image& image, float sigma);
// Grows the shape by radius pixels (disc-shaped, anti-aliased).
Mask Dilate(const Mask& mask, float radius);

// A blurred, offset copy of the shape painted under it.
void DropShadow(Image& image, const Mask& shape, Vec2 offset, float sigma, Color color);
// A halo of light around the shape: grown by `spread`, blurred by sigma, added.
void Glow(Image& image, const Mask& shape, float spread, float sigma, Color color, Blend mode = Blend::Add);
