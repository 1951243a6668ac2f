#include "raster/image.h"

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

template <typename F>
Mask Combine(const Mask& a, const Mask& b, PixelRect bounds, F op) {
    bounds = bounds.intersect(a.area());
    Mask out(a.width(), a.height(), bounds);
    for (int y = bounds.y0; y < bounds.y1; ++y)
        for (int x = bounds.x0; x < bounds.x1; ++x) out.set(x, y, op(a.sample(x, y), b.sample(x, y)));
    out.setBounds(bounds);
    return out;
}

}  // namespace

Mask::Mask(int width, int height) : Mask(width, height, PixelRect{0, 0, width, height}) {}

Mask::Mask(int width, int height, const PixelRect& storage)
    : width_(width), height_(height), bounds_{0, 0, 0, 0}, storage_(storage.intersect(area())) {
    if (storage_.empty()) storage_ = {};
    values_.assign(static_cast<size_t>(storage_.width()) * storage_.height(), 0.0f);
}

Image::Image(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

Color Image::colorAt(int x, int y) const {
    const Pixel& p = at(x, y);
    if (p.a <= 0) return {0, 0, 0, 0};
    return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Image::blendPixel(int x, int y, Color color, float coverage, Blend mode) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float k = Clamp01(coverage) * Clamp01(color.a);
    if (k <= 0) return;
    Pixel& p = at(x, y);
    switch (mode) {
    case Blend::Normal:
        p.r = color.r * k + p.r * (1 - k);
        p.g = color.g * k + p.g * (1 - k);
        p.b = color.b * k + p.b * (1 - k);
        p.a = k + p.a * (1 - k);
        break;
    case Blend::Add:
        p.r += color.r * k;
        p.g += color.g * k;
        p.b += color.b * k;
        p.a = std::min(1.0f, p.a + k);
        p.r = std::min(p.r, p.a);
        p.g = std::min(p.g, p.a);
        p.b = std::min(p.b, p.a);
        break;
    case Blend::Erase:
        p.r *= 1 - k;
        p.g *= 1 - k;
        p.b *= 1 - k;
        p.a *= 1 - k;
        break;
    }
}

void Image::fill(Color color) {
    Pixel p{color.r * color.a, color.g * color.a, color.b * color.a, color.a};
    std::fill(pixels_.begin(), pixels_.end(), p);
}

void FillMask(Image& image, const Mask& mask, const Paint& paint, Blend mode) {
    PixelRect r = mask.bounds().intersect(image.area());
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            float cover = mask.at(x, y);
            if (cover > 0) image.blendPixel(x, y, paint(x + 0.5f, y + 0.5f), cover, mode);
        }
}

void FillMask(Image& image, const Mask& mask, Color color, Blend mode) {
    FillMask(image, mask, [color](float, float) { return color; }, mode);
}

void FillAll(Image& image, const Paint& paint) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            Color c = paint(x + 0.5f, y + 0.5f);
            image.at(x, y) = {c.r * c.a, c.g * c.a, c.b * c.a, c.a};
        }
}

void DrawImage(Image& dst, const Image& src, int dx, int dy, float opacity, Blend mode) {
    PixelRect r = PixelRect{dx, dy, dx + src.width(), dy + src.height()}.intersect(dst.area());
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            const Pixel& s = src.at(x - dx, y - dy);
            if (s.a <= 0) continue;
            if (mode == Blend::Normal) {
                Pixel& d = dst.at(x, y);
                float k = opacity;
                float keep = 1 - s.a * k;
                d = {s.r * k + d.r * keep, s.g * k + d.g * keep, s.b * k + d.b * keep, s.a * k + d.a * keep};
            } else {
                dst.blendPixel(x, y, {s.r / s.a, s.g / s.a, s.b / s.a, 1}, s.a * opacity, mode);
            }
        }
}

void DrawImageScaled(Image& dst, const Image& src, float dx, float dy, float w, float h, float opacity) {
    if (w <= 0 || h <= 0) return;
    float sx = src.width() / w, sy = src.height() / h;
    PixelRect r = PixelsCovering(dx, dy, dx + w, dy + h).intersect(dst.area());
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            // Source footprint of this destination pixel.
            float fx0 = (x - dx) * sx, fx1 = (x + 1 - dx) * sx;
            float fy0 = (y - dy) * sy, fy1 = (y + 1 - dy) * sy;
            if (sx <= 1 && sy <= 1) {  // enlarging: bilinear at the pixel centre
                float cx = (fx0 + fx1) * 0.5f - 0.5f, cy = (fy0 + fy1) * 0.5f - 0.5f;
                fx0 = cx;
                fy0 = cy;
                fx1 = cx + 1;
                fy1 = cy + 1;
            }
            Pixel sum;
            float weight = 0;
            for (int v = static_cast<int>(std::floor(fy0)); v < static_cast<int>(std::ceil(fy1)); ++v) {
                float wy = std::min<float>(fy1, v + 1) - std::max<float>(fy0, v);
                for (int u = static_cast<int>(std::floor(fx0)); u < static_cast<int>(std::ceil(fx1)); ++u) {
                    float wx = std::min<float>(fx1, u + 1) - std::max<float>(fx0, u);
                    int cu = std::clamp(u, 0, src.width() - 1), cv = std::clamp(v, 0, src.height() - 1);
                    const Pixel& s = src.at(cu, cv);
                    float k = wx * wy;
                    sum.r += s.r * k;
                    sum.g += s.g * k;
                    sum.b += s.b * k;
                    sum.a += s.a * k;
                    weight += k;
                }
            }
            if (weight <= 0 || sum.a <= 0) continue;
            // Partial coverage at the rectangle's edges.
            float edge = (std::min(x + 1.0f, dx + w) - std::max<float>(x, dx)) *
                         (std::min(y + 1.0f, dy + h) - std::max<float>(y, dy));
            float k = opacity * Clamp01(edge) / weight;
            Pixel& d = dst.at(x, y);
            float keep = 1 - sum.a * k;
            d = {sum.r * k + d.r * keep, sum.g * k + d.g * keep, sum.b * k + d.b * keep, sum.a * k + d.a * keep};
        }
}

void ClipToMask(Image& image, const Mask& mask) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            float k = mask.sample(x, y);
            Pixel& p = image.at(x, y);
            p = {p.r * k, p.g * k, p.b * k, p.a * k};
        }
}

Mask AlphaMask(const Image& image) {
    Mask m(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) m.set(x, y, image.at(x, y).a);
    m.setBounds(m.area());
    return m;
}

Mask Union(const Mask& a, const Mask& b) {
    return Combine(a, b, a.bounds().unite(b.bounds()), [](float p, float q) { return std::max(p, q); });
}

Mask Intersect(const Mask& a, const Mask& b) {
    return Combine(a, b, a.bounds().intersect(b.bounds()), [](float p, float q) { return p * q; });
}

Mask Subtract(const Mask& a, const Mask& b) {
    return Combine(a, b, a.bounds(), [](float p, float q) { return p * (1 - q); });
}

Mask ScaleMask(const Mask& m, float factor) {
    return Combine(m, m, m.bounds(), [factor](float p, float) { return Clamp01(p * factor); });
}

Mask ShiftMask(const Mask& m, int dx, int dy) {
    PixelRect b = m.bounds();
    PixelRect moved = PixelRect{b.x0 + dx, b.y0 + dy, b.x1 + dx, b.y1 + dy}.intersect(m.area());
    Mask out(m.width(), m.height(), moved);
    for (int y = moved.y0; y < moved.y1; ++y)
        for (int x = moved.x0; x < moved.x1; ++x) out.set(x, y, m.at(x - dx, y - dy));
    out.setBounds(moved);
    return out;
}
