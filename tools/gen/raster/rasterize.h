#pragma once
// Anti-aliased shape masks. Fills compute the exact area of each pixel that
// a polygon covers (signed-area accumulation); strokes and dots use the
// distance from the pixel centre to the line.

#include "raster/image.h"
#include "raster/path.h"

// Fill rule: the signed area of all contours is summed and clamped to 0..1,
// so contours of opposite direction cut holes (as the inner contours of
// glyphs do) and contours of the same direction merge.
Mask FillPolygons(int width, int height, const std::vector<Polygon>& polygons);
Mask FillPath(int width, int height, const Path& path);

Mask CircleMask(int width, int height, Vec2 centre, float radius);
Mask EllipseMask(int width, int height, Vec2 centre, float rx, float ry);
Mask RoundRectMask(int width, int height, float x, float y, float w, float h, float radius);

// A line of the given width along the points, with round ends and joins.
Mask StrokePolyline(int width, int height, const Polygon& points, float lineWidth, bool closed = false);
// Strokes every contour of the path (each closed).
Mask StrokePath(int width, int height, const Path& path, float lineWidth);
