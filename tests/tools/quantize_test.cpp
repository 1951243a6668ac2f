// Colour reduction to GIF palettes.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "raster/quantize.h"

namespace {

void Put(Image& image, int x, int y, int r, int g, int b, float a = 1) {
    image.at(x, y) = {r / 255.0f * a, g / 255.0f * a, b / 255.0f * a, a};
}

Rgb8 At(const IndexedFrames& f, size_t frame, int x, int y) {
    return f.palette[f.frames[frame][static_cast<size_t>(y) * f.width + x]];
}

}  // namespace

TEST(Quantize, FewColoursAreKeptExactly) {
    Image image(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) Put(image, x, y, x * 16, y * 16, 77);
    QuantizeOptions options;
    options.dither = 8;  // ignored when the palette is exact
    IndexedFrames out = Quantize({image}, options);
    EXPECT_EQ(out.palette.size(), 256u);
    EXPECT_EQ(out.transparentIndex, -1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(At(out, 0, x, y), (Rgb8{uint8_t(x * 16), uint8_t(y * 16), 77}));
}

TEST(Quantize, ClearPixelsTakeTheTransparentEntry) {
    Image image(4, 1);
    Put(image, 0, 0, 200, 10, 10);
    Put(image, 1, 0, 200, 10, 10, 0.5f);  // half opaque: keeps its straight colour
    IndexedFrames out = Quantize({image}, {});
    ASSERT_GE(out.transparentIndex, 0);
    EXPECT_EQ(out.palette[out.transparentIndex], (Rgb8{255, 0, 255}));
    EXPECT_EQ(out.frames[0][2], out.transparentIndex);
    EXPECT_EQ(out.frames[0][3], out.transparentIndex);
    EXPECT_EQ(At(out, 0, 1, 0), (Rgb8{200, 10, 10}));
}

TEST(Quantize, NoColourMatchesTheKeyOnA565Display) {
    // (250, 2, 251) is a different colour from the key, but the same in 5-6-5.
    Image image(2, 1);
    Put(image, 0, 0, 250, 2, 251);
    IndexedFrames out = Quantize({image}, {});
    ASSERT_GE(out.transparentIndex, 0);
    for (size_t i = 0; i < out.palette.size(); ++i) {
        if (static_cast<int>(i) != out.transparentIndex) {
            EXPECT_NE(To565(out.palette[i]), To565(out.palette[out.transparentIndex]));
        }
    }
    Rgb8 kept = At(out, 0, 0, 0);
    EXPECT_NEAR(kept.g, 2, 4);
}

TEST(Quantize, ManyColoursFitTheLimitAndStayClose) {
    Image image(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) Put(image, x, y, x * 2, y * 2, (x + y) % 256);
    QuantizeOptions options;
    options.maxColors = 64;
    IndexedFrames out = Quantize({image}, options);
    EXPECT_LE(out.palette.size(), 64u);
    double error = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            Rgb8 c = At(out, 0, x, y);
            error += std::abs(c.r - x * 2) + std::abs(c.g - y * 2) + std::abs(c.b - (x + y) % 256);
        }
    EXPECT_LT(error / (128 * 128 * 3), 12.0);
}

TEST(Quantize, FramesShareOnePalette) {
    Image a(2, 1), b(2, 1);
    Put(a, 0, 0, 10, 20, 30);
    Put(a, 1, 0, 40, 50, 60);
    Put(b, 0, 0, 40, 50, 60);
    Put(b, 1, 0, 70, 80, 90);
    IndexedFrames out = Quantize({a, b}, {});
    ASSERT_EQ(out.frames.size(), 2u);
    EXPECT_EQ(out.frames[0][1], out.frames[1][0]);
    EXPECT_EQ(At(out, 1, 1, 0), (Rgb8{70, 80, 90}));
}

TEST(Quantize, DitherKeepsTheAverageOfAGradient) {
    // Four grey levels for a smooth ramp: without dither whole bands take one
    // level; with it, each 8 x 8 block averages close to the ramp.
    Image ramp(128, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 128; ++x) Put(ramp, x, y, x * 2, x * 2, x * 2);
    auto blockError = [&](float dither) {
        QuantizeOptions options;
        options.maxColors = 4;
        options.dither = dither;
        IndexedFrames out = Quantize({ramp}, options);
        double error = 0;
        for (int bx = 0; bx < 128; bx += 8) {
            double got = 0, want = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    got += At(out, 0, x, y).g;
                    want += x * 2;
                }
            error += std::abs(got - want) / 64;
        }
        return error / 16;
    };
    double plain = blockError(0), dithered = blockError(64);
    EXPECT_LT(dithered, plain * 0.6) << "plain " << plain << ", dithered " << dithered;
}

TEST(Quantize, OpacityBecomesGreyLevels) {
    Image image(3, 1);
    Put(image, 0, 0, 10, 10, 10, 1.0f);
    Put(image, 1, 0, 10, 10, 10, 0.5f);
    IndexedFrames out = OpacityFrames({image});
    EXPECT_EQ(At(out, 0, 0, 0), (Rgb8{255, 255, 255}));
    EXPECT_EQ(At(out, 0, 1, 0).r, 128);
    EXPECT_EQ(At(out, 0, 2, 0), (Rgb8{0, 0, 0}));
}
