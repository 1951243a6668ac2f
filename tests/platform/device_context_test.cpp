#include "platform/host/device_context.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/drawing_surface.h"

using namespace host;

namespace {

using Canvas32 = testhost::DrawingSurface;

constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kBlue = MakeColorRef(0, 0, 255);

TEST(DeviceContext, RectangleDrawsPenOutlineAndBrushInside) {
    Canvas32 c(10, 10);
    c.dc.selectPen(Pen{false, 1, kRed});
    c.dc.selectBrush(Brush{false, kBlue});
    c.dc.rectangle(1, 1, 6, 5);  // right and bottom exclusive
    EXPECT_EQ(c.at(1, 1), 0xFF0000u);
    EXPECT_EQ(c.at(5, 4), 0xFF0000u);
    EXPECT_EQ(c.at(6, 4), 0u);
    EXPECT_EQ(c.at(2, 2), 0x0000FFu);
    EXPECT_EQ(c.count(0xFF0000), 14);
    EXPECT_EQ(c.count(0x0000FF), 6);

    Canvas32 hollow(10, 10);
    hollow.dc.selectPen(Pen{false, 2, kRed});
    hollow.dc.selectBrush(Brush{true, 0});
    hollow.dc.rectangle(0, 0, 6, 6);
    EXPECT_EQ(hollow.at(1, 3), 0xFF0000u);
    EXPECT_EQ(hollow.at(2, 3), 0u);  // inside left empty
    EXPECT_EQ(hollow.count(0xFF0000), 36 - 4);
}

TEST(DeviceContext, InvertingRasterOperationUndoesItself) {
    Canvas32 c(8, 8);
    c.dc.fillRect(Rect{0, 0, 8, 8}, Brush{false, MakeColorRef(0x12, 0x34, 0x56)});
    c.dc.setRop2(R2_NOT);
    c.dc.selectPen(Pen{false, 1, 0});
    Point line[] = {{0, 0}, {7, 0}, {7, 7}};
    c.dc.polyline(line, 3);
    EXPECT_EQ(c.at(3, 0), 0xEDCBA9u);
    EXPECT_EQ(c.at(7, 0), 0xEDCBA9u);  // the corner is inverted once only
    c.dc.polyline(line, 3);
    EXPECT_EQ(c.count(0x123456), 64);
}

TEST(DeviceContext, EllipseStaysInsideItsBox) {
    Canvas32 c(20, 20);
    c.dc.selectPen(Pen{false, 1, kRed});
    c.dc.selectBrush(Brush{false, kBlue});
    c.dc.ellipse(2, 4, 18, 14);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (x < 2 || x >= 18 || y < 4 || y >= 14) {
                EXPECT_EQ(c.at(x, y), 0u) << x << "," << y;
            }
    EXPECT_EQ(c.at(10, 9), 0x0000FFu);  // centre filled
    EXPECT_EQ(c.at(2, 4), 0u);          // corner outside the curve
    EXPECT_GT(c.count(0xFF0000), 20);
}

TEST(DeviceContext, BlitsConvertAndClip) {
    std::vector<uint16_t> small(4 * 4, RgbTo565(0x00FF00));
    PixelSurface src{reinterpret_cast<uint8_t*>(small.data()), 4, 4, 8, 16};
    DeviceContext srcDc(src);
    Canvas32 c(6, 6);
    c.dc.setTarget(c.surface, Point{1, 1}, Rect{0, 0, 4, 6});  // origin and clip
    EXPECT_TRUE(c.dc.bitBlt(0, 0, 4, 4, srcDc, 0, 0));
    EXPECT_EQ(c.at(1, 1), 0x00FF00u);
    EXPECT_EQ(c.at(3, 4), 0x00FF00u);
    EXPECT_EQ(c.at(4, 1), 0u);  // clipped
    EXPECT_EQ(c.at(0, 0), 0u);
    EXPECT_EQ(c.count(0x00FF00), 12);
}

TEST(DeviceContext, TransparentImageSkipsExactlyTheKey) {
    std::vector<uint32_t> sprite = {0xFF00FF, 0x0000FF, 0xFE00FF, 0xFF00FF};
    PixelSurface src{reinterpret_cast<uint8_t*>(sprite.data()), 2, 2, 8, 32};
    DeviceContext srcDc(src);
    Canvas32 c(4, 4);
    c.dc.fillRect(Rect{0, 0, 4, 4}, Brush{false, MakeColorRef(9, 9, 9)});
    EXPECT_TRUE(c.dc.transparentImage(0, 0, 4, 4, srcDc, 0, 0, 2, 2, ToColorRef(0xFF00FF)));
    EXPECT_EQ(c.at(0, 0), 0x090909u);
    EXPECT_EQ(c.at(2, 1), 0x0000FFu);  // doubled
    EXPECT_EQ(c.at(1, 3), 0xFE00FFu);  // a neighbour of the key is drawn
    EXPECT_EQ(c.at(3, 3), 0x090909u);
    EXPECT_FALSE(c.dc.transparentImage(0, 0, 0, 4, srcDc, 0, 0, 2, 2, 0));
}

TEST(DeviceContext, PixelsOutsideReadInvalid) {
    Canvas32 c(2, 2);
    EXPECT_EQ(c.dc.getPixel(2, 0), CLR_INVALID);
    EXPECT_EQ(c.dc.getPixel(-1, 0), CLR_INVALID);
    c.dc.setPixel(1, 1, kRed);
    EXPECT_EQ(c.dc.getPixel(1, 1), kRed);
}

}  // namespace
