#include "raster/effects.h"

#include <algorithm>
#include <cmath>

namespace {

// Box widths whose three passes approximate a Gaussian of deviation sigma
// (the usual n = 3 split: some boxes of width w, the rest w + 2).
void BoxRadii(float sigma, int radii[3]) {
    float ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    int upper = lower + 2;
    float m = (12 * sigma * sigma - 3 * lower * lower - 12 * lower - 9) / (-4.0f * lower - 4);
    int useLower = static_cast<int>(std::lround(m));
    for (int i = 0; i < 3; ++i) radii[i] = ((i < useLower ? lower : upper) - 1) / 2;
}

// One box pass over `count` values spaced `step` apart; outside reads zero.
void BoxLine(float* data, int count, size_t step, int radius, std::vector<float>& scratch) {
    scratch.assign(count, 0.0f);
    float scale = 1.0f / (2 * radius + 1);
    double sum = 0;
    for (int i = 0; i <= std::min(radius, count - 1); ++i) sum += data[i * step];
    for (int i = 0; i < count; ++i) {
        scratch[i] = static_cast<float>(sum) * scale;
        int add = i + radius + 1, drop = i - radius;
        if (add < count) sum += data[add * step];
        if (drop >= 0) sum -= data[drop * step];
    }
    for (int i = 0; i < count; ++i) data[i * step] = scratch[i];
}

// Blurs `channels` interleaved float planes of a width x height grid in place.
void BlurPlanes(float* data, int width, int height, int channels, float sigma) {
    if (sigma <= 0) return;
    int radii[3];
    BoxRadii(sigma, radii);
    std::vector<float> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int c = 0; c < channels; ++c) {
            for (int y = 0; y < height; ++y)
                BoxLine(data + (static_cast<size_t>(y) * width) * channels + c, width, channels, radii[pass], scratch);
            for (int x = 0; x < width; ++x)
                BoxLine(data + static_cast<size_t>(x) * channels + c, height, static_cast<size_t>(width) * channels,
                        radii[pass], scratch);
        }
    }
}

}  // namespace

Vec3 Normalize(Vec3 v) {
    float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

Paint Solid(Color c) {
    return [c](float, float) { return c; };
}

Paint LinearGradient(Vec2 p0, Vec2 p1, Gradient ramp) {
    Vec2 axis = p1 - p0;
    float len2 = std::max(Dot(axis, axis), 1e-6f);
    return [=](float x, float y) { return ramp.at(Dot(Vec2{x, y} - p0, axis) / len2); };
}

Paint RadialGradient(Vec2 centre, float radius, Gradient ramp, float ry) {
    float sy = ry > 0 ? radius / ry : 1.0f;
    return [=](float x, float y) {
        float dx = x - centre.x, dy = (y - centre.y) * sy;
        return ramp.at(std::sqrt(dx * dx + dy * dy) / radius);
    };
}

Paint SpherePaint(Vec2 centre, float radius, Color base, const SphereLight& light) {
    Vec3 l = Normalize(light.towardLight);
    Vec3 h = Normalize({l.x, l.y, l.z + 1});
    return [=](float x, float y) {
        float nx = (x - centre.x) / radius, ny = (y - centre.y) / radius;
        float rr = nx * nx + ny * ny;
        if (rr > 1) {
            float k = 1 / std::sqrt(rr);
            nx *= k;
            ny *= k;
            rr = 1;
        }
        float nz = std::sqrt(1 - rr);
        float lambert = std::max(0.0f, nx * l.x + ny * l.y + nz * l.z);
        float highlight = std::pow(std::max(0.0f, nx * h.x + ny * h.y + nz * h.z), light.shininess) * light.highlightStrength;
        float rim = std::pow(1 - nz, 3.0f) * light.rim;
        float shade = light.ambient + light.diffuse * lambert;
        auto channel = [&](float b, float rimC) { return std::min(1.0f, b * shade + highlight + rim * rimC); };
        return Color{channel(base.r, light.rimColor.r), channel(base.g, light.rimColor.g),
                     channel(base.b, light.rimColor.b), base.a};
    };
}

Mask Blur(const Mask& mask, float sigma) {
    int pad = static_cast<int>(std::ceil(sigma * 3)) + 2;
    PixelRect region = mask.bounds().grow(pad).intersect(mask.area());
    if (region.empty()) return mask;
    Mask out(mask.width(), mask.height(), region);
    std::vector<float> plane(static_cast<size_t>(region.width()) * region.height());
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x)
            plane[static_cast<size_t>(y - region.y0) * region.width() + (x - region.x0)] = mask.at(x, y);
    BlurPlanes(plane.data(), region.width(), region.height(), 1, sigma);
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x)
            out.set(x, y, plane[static_cast<size_t>(y - region.y0) * region.width() + (x - region.x0)]);
    out.setBounds(region);
    return out;
}

Image Blur(const Image& image, float sigma) {
    Image out = image;
    std::vector<float> planes(static_cast<size_t>(image.width()) * image.height() * 4);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Pixel& p = image.at(x, y);
            float* d = &planes[(static_cast<size_t>(y) * image.width() + x) * 4];
            d[0] = p.r;
            d[1] = p.g;
            d[2] = p.b;
            d[3] = p.a;
        }
    BlurPlanes(planes.data(), image.width(), image.height(), 4, sigma);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const float* d = &planes[(static_cast<size_t>(y) * image.width() + x) * 4];
            out.at(x, y) = {d[0], d[1], d[2], d[3]};
        }
    return out;
}

Mask Dilate(const Mask& mask, float radius) {
    int r = static_cast<int>(std::ceil(radius)) + 1;
    struct Tap {
        int dx, dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            // A covered pixel reaches half a pixel beyond its centre.
            float w = std::clamp(radius + 1.0f - std::sqrt(static_cast<float>(dx * dx + dy * dy)), 0.0f, 1.0f);
            if (w > 0) taps.push_back({dx, dy, w});
        }
    PixelRect region = mask.bounds().grow(r + 1).intersect(mask.area());
    Mask out(mask.width(), mask.height(), region);
    for (int y = region.y0; y < region.y1; ++y)
        for (int x = region.x0; x < region.x1; ++x) {
            float best = 0;
            for (const Tap& t : taps) {
                float v = mask.sample(x + t.dx, y + t.dy) * t.weight;
                if (v > best) best = v;
            }
            out.set(x, y, best);
        }
    out.setBounds(region);
    return out;
}

void DropShadow(Image& image, const Mask& shape, Vec2 offset, float sigma, Color color) {
    Mask shadow = Blur(ShiftMask(shape, static_cast<int>(std::lround(offset.x)), static_cast<int>(std::lround(offset.y))),
                       sigma);
    FillMask(image, shadow, color);
}

void Glow(Image& image, const Mask& shape, float spread, float sigma, Color color, Blend mode) {
    Mask halo = spread > 0 ? Dilate(shape, spread) : shape;
    FillMask(image, Blur(halo, sigma), color, mode);
}
