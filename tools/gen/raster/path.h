#pragma once
// Vector outlines: contours of lines and quadratic and cubic Bezier curves,
// flattened into polygons for the rasteriser.

#include <vector>

#include "raster/geometry.h"

using Polygon = std::vector<Vec2>;

class Path {
public:
    void moveTo(Vec2 p);
    void lineTo(Vec2 p);
    void quadTo(Vec2 control, Vec2 end);
    void cubicTo(Vec2 control1, Vec2 control2, Vec2 end);
    // Ends the current contour; fills treat every contour as closed anyway.
    void close();

    void append(const Path& other);
    // A closed polygon as one contour.
    void addPolygon(const Polygon& points);
    Path transformed(const Affine& t) const;

    // Curves are cut into straight pieces no longer than about `tolerance`
    // pixels from the true curve.
    std::vector<Polygon> flatten(float tolerance = 0.05f) const;
    bool empty() const { return contours_.empty(); }
    // Bounding box of all points, control points included.
    void bounds(float& minX, float& minY, float& maxX, float& maxY) const;

private:
    enum class Verb { Line, Quad, Cubic };
    struct Segment {
        Verb verb;
        Vec2 p[3];
    };
    struct Contour {
        Vec2 start;
        std::vector<Segment> segments;
        bool closed = false;
    };
    Contour& current();

    std::vector<Contour> contours_;
};

// Handy outlines.
Path RoundRectPath(float x, float y, float w, float h, float radius);
Path EllipsePath(Vec2 centre, float rx, float ry);
