#include "raster/rasterize.h"

#include <algorithm>
#include <cmath>

namespace {

// Accumulates the signed coverage of edges for one bounding box. Each cell
// holds the change of coverage from the pixel on its left, so a running sum
// along a row gives the coverage of each pixel. The per-row split of an edge
// into pixel areas is the scheme of libart and font-rs.
class AreaAccumulator {
public:
    AreaAccumulator(int width, int height)
        : width_(width), height_(height), stride_(width + 2), cells_(static_cast<size_t>(stride_) * height, 0.0f) {}

    void addEdge(Vec2 p0, Vec2 p1) {
        if (p0.y == p1.y) return;
        float dir = 1;
        if (p0.y > p1.y) {
            std::swap(p0, p1);
            dir = -1;
        }
        float dxdy = (p1.x - p0.x) / (p1.y - p0.y);
        int rowFirst = std::max(0, static_cast<int>(std::floor(p0.y)));
        int rowEnd = std::min(height_, static_cast<int>(std::ceil(p1.y)));
        for (int row = rowFirst; row < rowEnd; ++row) {
            float top = std::max<float>(row, p0.y), bottom = std::min<float>(row + 1, p1.y);
            if (bottom <= top) continue;
            float xTop = Clip(p0.x + (top - p0.y) * dxdy), xBottom = Clip(p0.x + (bottom - p0.y) * dxdy);
            addRowSpan(row, xTop, xBottom, (bottom - top) * dir);
        }
    }

    // Writes min(1, |running sum|) into the mask at (originX, originY).
    void resolve(Mask& mask, int originX, int originY) const {
        for (int y = 0; y < height_; ++y) {
            float sum = 0;
            const float* row = &cells_[static_cast<size_t>(y) * stride_];
            for (int x = 0; x < width_; ++x) {
                sum += row[x];
                float cover = std::min(1.0f, std::fabs(sum));
                if (cover > 1e-4f) mask.set(originX + x, originY + y, cover);
            }
        }
    }

private:
    float Clip(float x) const { return std::clamp(x, 0.0f, static_cast<float>(width_)); }

    // An edge piece inside one pixel row, of height |d|, from x0 to x1.
    void addRowSpan(int row, float x0, float x1, float d) {
        float* cells = &cells_[static_cast<size_t>(row) * stride_];
        if (x0 > x1) std::swap(x0, x1);
        int first = static_cast<int>(std::floor(x0));
        int end = static_cast<int>(std::ceil(x1));
        if (end <= first + 1) {
            // Within one column: the part of the pixel right of the edge.
            float mid = 0.5f * (x0 + x1) - first;
            cells[first] += d * (1 - mid);
            cells[first + 1] += d * mid;
            return;
        }
        // Across columns: coverage grows linearly with x over [x0, x1].
        float s = 1.0f / (x1 - x0);
        float f0 = x0 - first;
        float a0 = 0.5f * s * (1 - f0) * (1 - f0);
        float f1 = x1 - end + 1;
        float aEnd = 0.5f * s * f1 * f1;
        cells[first] += d * a0;
        if (end == first + 2) {
            cells[first + 1] += d * (1 - a0 - aEnd);
        } else {
            float a1 = s * (1.5f - f0);
            cells[first + 1] += d * (a1 - a0);
            for (int x = first + 2; x < end - 1; ++x) cells[x] += d * s;
            float aLast = a1 + (end - first - 3) * s;
            cells[end - 1] += d * (1 - aLast - aEnd);
        }
        cells[end] += d * aEnd;
    }

    int width_;
    int height_;
    int stride_;
    std::vector<float> cells_;
};

float SegmentDistance(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 ab = b - a, ap = p - a;
    float len2 = Dot(ab, ab);
    float t = len2 > 0 ? std::clamp(Dot(ap, ab) / len2, 0.0f, 1.0f) : 0.0f;
    return Length(ap - ab * t);
}

}  // namespace

Mask FillPolygons(int width, int height, const std::vector<Polygon>& polygons) {
    const Mask none(width, height, PixelRect{});
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (const Polygon& poly : polygons)
        for (Vec2 p : poly) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
    if (maxX < minX || !std::isfinite(minX + minY + maxX + maxY)) return none;
    PixelRect box = PixelsCovering(minX, minY, maxX, maxY).intersect(none.area());
    if (box.empty()) return none;
    Mask mask(width, height, box);
    AreaAccumulator acc(box.width(), box.height());
    Vec2 origin{static_cast<float>(box.x0), static_cast<float>(box.y0)};
    for (const Polygon& poly : polygons)
        for (size_t i = 0; i < poly.size(); ++i) acc.addEdge(poly[i] - origin, poly[(i + 1) % poly.size()] - origin);
    acc.resolve(mask, box.x0, box.y0);
    mask.setBounds(box);
    return mask;
}

Mask FillPath(int width, int height, const Path& path) { return FillPolygons(width, height, path.flatten()); }

Mask CircleMask(int width, int height, Vec2 centre, float radius) {
    return FillPath(width, height, EllipsePath(centre, radius, radius));
}

Mask EllipseMask(int width, int height, Vec2 centre, float rx, float ry) {
    return FillPath(width, height, EllipsePath(centre, rx, ry));
}

Mask RoundRectMask(int width, int height, float x, float y, float w, float h, float radius) {
    return FillPath(width, height, RoundRectPath(x, y, w, h, radius));
}

Mask StrokePolyline(int width, int height, const Polygon& points, float lineWidth, bool closed) {
    float half = lineWidth * 0.5f;
    size_t count = closed ? points.size() : (points.empty() ? 0 : points.size() - 1);
    const size_t segments = std::max<size_t>(count, points.size() == 1 ? 1 : 0);
    const PixelRect area{0, 0, width, height};
    auto boxOf = [&](size_t i) {
        Vec2 a = points[i], b = points[(i + 1) % points.size()];
        return PixelsCovering(std::min(a.x, b.x) - half - 1, std::min(a.y, b.y) - half - 1, std::max(a.x, b.x) + half + 1,
                              std::max(a.y, b.y) + half + 1)
            .intersect(area);
    };
    PixelRect all{};
    for (size_t i = 0; i < segments; ++i) all = all.unite(boxOf(i));
    Mask mask(width, height, all);
    for (size_t i = 0; i < segments; ++i) {
        Vec2 a = points[i], b = points[(i + 1) % points.size()];
        PixelRect box = boxOf(i);
        for (int y = box.y0; y < box.y1; ++y)
            for (int x = box.x0; x < box.x1; ++x) {
                float d = SegmentDistance({x + 0.5f, y + 0.5f}, a, b);
                float cover = std::clamp(half + 0.5f - d, 0.0f, 1.0f);
                // Hairlines thinner than a pixel fade instead of vanishing.
                if (lineWidth < 1) cover *= lineWidth;
                mask.set(x, y, std::max(mask.at(x, y), cover));
            }
    }
    mask.setBounds(all);
    return mask;
}

Mask StrokePath(int width, int height, const Path& path, float lineWidth) {
    Mask result(width, height, PixelRect{});
    for (const Polygon& poly : path.flatten()) result = Union(result, StrokePolyline(width, height, poly, lineWidth, true));
    return result;
}
