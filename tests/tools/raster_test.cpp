// The raster library's shapes: exact pixel coverage, holes, blur.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

double Total(const Mask& m) {
    double sum = 0;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) sum += m.at(x, y);
    return sum;
}

Polygon Rect(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

}  // namespace

// Each pixel takes the exact share of its area a shape covers: edges cut
// pixels, slants split them, a reversed contour cuts a hole, contours of one
// direction merge, and the picture's edge clips.
TEST(RasterFill, EachPixelTakesTheAreaCovered) {
    Polygon hole = Rect(6, 6, 14, 14);
    std::reverse(hole.begin(), hole.end());
    struct Case {
        int size;
        std::vector<Polygon> shapes;
        double area;
        std::vector<std::tuple<int, int, float>> pixels;
        double tolerance = 1e-3;
    };
    const Case cases[] = {
        // Left edge a quarter into its pixels, right and top edges a half, the corner both.
        {16, {Rect(2.25f, 3.5f, 7.5f, 9.0f)}, 5.25 * 5.5,
         {{2, 5, 0.75f}, {7, 5, 0.5f}, {4, 3, 0.5f}, {2, 3, 0.375f}, {5, 6, 1}, {5, 9, 0}, {8, 5, 0}}},
        {40, {{{1.3f, 2.1f}, {37.7f, 2.1f}, {1.3f, 30.6f}}}, 0.5 * 36.4 * 28.5, {}, 0.01},
        {20, {Rect(2, 2, 18, 18), hole}, 16 * 16 - 8 * 8, {{10, 10, 0}, {3, 3, 1}}},
        {20, {Rect(2, 2, 12, 12), Rect(8, 8, 18, 18)}, 100 + 100 - 16, {{10, 10, 1}}},
        {10, {Rect(-5, -5, 4.5f, 3)}, 4.5 * 3, {{0, 0, 1}, {4, 1, 0.5f}}},
        {10, {Rect(20, 20, 30, 30)}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.area);
        Mask m = FillPolygons(c.size, c.size, c.shapes);
        EXPECT_NEAR(Total(m), c.area, c.tolerance);
        for (auto [x, y, coverage] : c.pixels) EXPECT_NEAR(m.at(x, y), coverage, 1e-4) << x << "," << y;
    }
}

TEST(RasterFill, CircleAreaMatches) {
    Mask m = CircleMask(64, 64, {31.7f, 32.2f}, 20.0f);
    // Curves become chords at most 0.05 pixel inside the circle.
    EXPECT_NEAR(Total(m), M_PI * 400, M_PI * 400 * 0.005);
}

TEST(RasterStroke, LineCoversItsLengthTimesWidth) {
    Mask m = StrokePolyline(60, 20, {{10, 10}, {50, 10}}, 4);
    // A 40 x 4 body and two round caps of radius 2.
    EXPECT_NEAR(Total(m), 40 * 4 + M_PI * 4, 1.5);
    EXPECT_FLOAT_EQ(m.at(30, 10), 1.0f);
    EXPECT_FLOAT_EQ(m.at(30, 14), 0.0f);
}

TEST(RasterBlur, KeepsTheTotalAndSpreadsIt) {
    Mask m = FillPolygons(64, 64, {Rect(28, 28, 36, 36)});
    Mask b = Blur(m, 3.0f);
    EXPECT_NEAR(Total(b), Total(m), 0.01);
    EXPECT_LT(b.at(32, 32), 1.0f);
    EXPECT_GT(b.at(32, 24), 0.0f);
    EXPECT_FLOAT_EQ(b.at(32, 4), 0.0f);
}

TEST(RasterDilate, GrowsAShapeByTheRadius) {
    Mask m = FillPolygons(40, 40, {Rect(15, 15, 25, 25)});
    Mask d = Dilate(m, 3.0f);
    EXPECT_FLOAT_EQ(d.at(13, 20), 1.0f);
    EXPECT_FLOAT_EQ(d.at(10, 20), 0.0f);
    EXPECT_NEAR(Total(d), 16 * 16 - (4 - M_PI) * 9, 3.0);
}

TEST(RasterPaint, NormalBlendOverTransparentKeepsTheColour) {
    Image image(4, 4);
    Mask m = FillPolygons(4, 4, {Rect(0, 0, 2.5f, 4)});
    FillMask(image, m, Hex(0x336699));
    Color edge = image.colorAt(2, 1);
    EXPECT_NEAR(edge.a, 0.5f, 1e-4);
    EXPECT_NEAR(edge.r, 0x33 / 255.0f, 1e-4);  // straight colour, not darkened by coverage
    EXPECT_NEAR(edge.b, 0x99 / 255.0f, 1e-4);
}
