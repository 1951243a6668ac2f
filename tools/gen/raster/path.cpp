#include "raster/path.h"

#include <algorithm>
#include <cmath>

namespace {

// Pieces needed so that a curve with these control points stays within the
// tolerance: the deviation of a Bezier from its chord shrinks with the
// square of the piece count.
int PieceCount(float controlDeviation, float tolerance) {
    float n = std::sqrt(controlDeviation / tolerance);
    return std::clamp(static_cast<int>(std::ceil(n)), 1, 256);
}

// Bezier circle constant: control distance for a quarter arc of radius 1.
constexpr float kArc = 0.5522847498f;

}  // namespace

Path::Contour& Path::current() {
    if (contours_.empty() || contours_.back().closed) contours_.push_back({});
    return contours_.back();
}

void Path::moveTo(Vec2 p) {
    if (!contours_.empty() && !contours_.back().closed && contours_.back().segments.empty()) {
        contours_.back().start = p;
        return;
    }
    if (!contours_.empty()) contours_.back().closed = true;
    contours_.push_back({p, {}, false});
}

void Path::lineTo(Vec2 p) { current().segments.push_back({Verb::Line, {p, {}, {}}}); }

void Path::quadTo(Vec2 control, Vec2 end) { current().segments.push_back({Verb::Quad, {control, end, {}}}); }

void Path::cubicTo(Vec2 control1, Vec2 control2, Vec2 end) {
    current().segments.push_back({Verb::Cubic, {control1, control2, end}});
}

void Path::close() {
    if (!contours_.empty()) contours_.back().closed = true;
}

void Path::append(const Path& other) {
    close();
    for (const Contour& c : other.contours_) {
        contours_.push_back(c);
        contours_.back().closed = true;
    }
}

void Path::addPolygon(const Polygon& points) {
    if (points.empty()) return;
    moveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i) lineTo(points[i]);
    close();
}

Path Path::transformed(const Affine& t) const {
    Path out = *this;
    for (Contour& c : out.contours_) {
        c.start = t.apply(c.start);
        for (Segment& s : c.segments)
            for (Vec2& p : s.p) p = t.apply(p);
    }
    return out;
}

std::vector<Polygon> Path::flatten(float tolerance) const {
    std::vector<Polygon> result;
    for (const Contour& c : contours_) {
        Polygon poly{c.start};
        Vec2 at = c.start;
        for (const Segment& s : c.segments) {
            switch (s.verb) {
            case Verb::Line:
                poly.push_back(s.p[0]);
                at = s.p[0];
                break;
            case Verb::Quad: {
                Vec2 mid = Lerp(at, s.p[1], 0.5f);
                int n = PieceCount(Length(s.p[0] - mid) * 0.5f, tolerance);
                for (int i = 1; i <= n; ++i) {
                    float t = static_cast<float>(i) / n, u = 1 - t;
                    poly.push_back(at * (u * u) + s.p[0] * (2 * u * t) + s.p[1] * (t * t));
                }
                at = s.p[1];
                break;
            }
            case Verb::Cubic: {
                float dev = std::max(Length(s.p[0] - Lerp(at, s.p[2], 1.0f / 3)),
                                     Length(s.p[1] - Lerp(at, s.p[2], 2.0f / 3)));
                int n = PieceCount(dev * 0.75f, tolerance);
                for (int i = 1; i <= n; ++i) {
                    float t = static_cast<float>(i) / n, u = 1 - t;
                    poly.push_back(at * (u * u * u) + s.p[0] * (3 * u * u * t) + s.p[1] * (3 * u * t * t) +
                                   s.p[2] * (t * t * t));
                }
                at = s.p[2];
                break;
            }
            }
        }
        if (poly.size() >= 2) result.push_back(std::move(poly));
    }
    return result;
}

void Path::bounds(float& minX, float& minY, float& maxX, float& maxY) const {
    minX = minY = 1e30f;
    maxX = maxY = -1e30f;
    auto take = [&](Vec2 p) {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    };
    for (const Contour& c : contours_) {
        take(c.start);
        for (const Segment& s : c.segments) {
            int points = s.verb == Verb::Line ? 1 : (s.verb == Verb::Quad ? 2 : 3);
            for (int i = 0; i < points; ++i) take(s.p[i]);
        }
    }
}

Path RoundRectPath(float x, float y, float w, float h, float radius) {
    float r = std::min({radius, w * 0.5f, h * 0.5f});
    float k = r * kArc;
    Path p;
    p.moveTo({x + r, y});
    p.lineTo({x + w - r, y});
    p.cubicTo({x + w - r + k, y}, {x + w, y + r - k}, {x + w, y + r});
    p.lineTo({x + w, y + h - r});
    p.cubicTo({x + w, y + h - r + k}, {x + w - r + k, y + h}, {x + w - r, y + h});
    p.lineTo({x + r, y + h});
    p.cubicTo({x + r - k, y + h}, {x, y + h - r + k}, {x, y + h - r});
    p.lineTo({x, y + r});
    p.cubicTo({x, y + r - k}, {x + r - k, y}, {x + r, y});
    p.close();
    return p;
}

Path EllipsePath(Vec2 c, float rx, float ry) {
    float kx = rx * kArc, ky = ry * kArc;
    Path p;
    p.moveTo({c.x + rx, c.y});
    p.cubicTo({c.x + rx, c.y + ky}, {c.x + kx, c.y + ry}, {c.x, c.y + ry});
    p.cubicTo({c.x - kx, c.y + ry}, {c.x - rx, c.y + ky}, {c.x - rx, c.y});
    p.cubicTo({c.x - rx, c.y - ky}, {c.x - kx, c.y - ry}, {c.x, c.y - ry});
    p.cubicTo({c.x + kx, c.y - ry}, {c.x + rx, c.y - ky}, {c.x + rx, c.y});
    p.close();
    return p;
}
