#pragma once
// Points, affine transforms and rectangles of the generator's raster library.
// Coordinates are pixels of the target picture; (0, 0) is the top-left corner
// of the top-left pixel, whose centre is (0.5, 0.5).

#include <algorithm>
#include <cmath>

struct Vec2 {
    float x = 0;
    float y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
inline float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float Length(Vec2 a) { return std::sqrt(Dot(a, a)); }
inline Vec2 Lerp(Vec2 a, Vec2 b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    static Affine Translate(float dx, float dy) { return {1, 0, 0, 1, dx, dy}; }
    static Affine Scale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine Rotate(float radians) {
        float c = std::cos(radians), s = std::sin(radians);
        return {c, s, -s, c, 0, 0};
    }
    // Horizontal shear: x' = x + k y (italic slant when k < 0 with y down).
    static Affine ShearX(float k) { return {1, 0, k, 1, 0, 0}; }

    Vec2 apply(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // this after other: first other, then this.
    Affine after(const Affine& o) const {
        return {a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d, b * o.c + d * o.d, a * o.e + c * o.f + e,
                b * o.e + d * o.f + f};
    }
};

// Integer pixel rectangle, x0/y0 inclusive, x1/y1 exclusive.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x1 <= x0 || y1 <= y0; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
    PixelRect intersect(const PixelRect& o) const {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
    PixelRect unite(const PixelRect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
    }
    PixelRect grow(int by) const { return {x0 - by, y0 - by, x1 + by, y1 + by}; }
};

// The pixels touched by the real rectangle [minX, maxX] x [minY, maxY]
// (coordinates beyond a million pixels count as a million).
inline PixelRect PixelsCovering(float minX, float minY, float maxX, float maxY) {
    auto whole = [](float v) { return static_cast<int>(std::clamp(v, -1e6f, 1e6f)); };
    return {whole(std::floor(minX)), whole(std::floor(minY)), whole(std::ceil(maxX)) + 1, whole(std::ceil(maxY)) + 1};
}
