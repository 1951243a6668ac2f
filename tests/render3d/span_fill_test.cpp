// The triangle set-up and span fillers at the pixel level, at 32 bits per
// pixel: a triangle cut by the viewport's left and top edges, the specular
// level, the blend of shading mode 5 and lines along the viewport's edge.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "render3d/raster_local.h"

namespace {

using namespace raster;

constexpr uint32_t kEmpty = 0x123456;

// A 32-bit target with its depth buffer, cleared, and light maps whose every
// entry differs, so that a wrong light-map coordinate shows. One row more
// than the height lies below it, which nothing may write.
struct Target {
    Target(int width, int height, int mode)
        : pixels(size_t(width * (height + 1)), kEmpty), depth(size_t(width * (height + 1)), 0xFFFFFFFF),
          diffuse(kLightMapRoom), specular(kLightMapRoom) {
        for (size_t i = 0; i < diffuse.size(); ++i) {
            diffuse[i] = uint32_t((i * 37) & 0xFF) << 16 | uint32_t((i >> 6) * 4 & 0xFF) << 8 | uint32_t(i & 63) * 4;
            specular[i] = uint32_t((i * 13) & 0x3F) << 16 | uint32_t(i & 0x1F);
        }
        st.pixels = reinterpret_cast<uint8_t*>(pixels.data());
        st.pitch = width * 4;
        st.width = width;
        st.height = height;
        st.bitsPerPixel = 32;
        st.depth = depth.data();
        st.depthPitch = width;
        st.mode = mode;
        st.materialColour = 0xC08040;
        st.diffuse = diffuse.data();
        st.specular = specular.data();
        st.filler = ChooseSpanFiller(st);
    }
    uint32_t at(int x, int y) const { return pixels[size_t(y * st.width + x)]; }

    std::vector<uint32_t> pixels, depth, diffuse, specular;
    RasterState st;
};

Vertex At(int sx, int sy, int depth, int eu, int ev) {
    Vertex v;
    v.sx = sx, v.sy = sy;
    v.cz = depth << 16;
    v.eu = eu, v.ev = ev;
    return v;
}

TEST(SpanFill, ATriangleCutByTheLeftAndTopEdgesDrawsThePixelsOfTheWholeOne) {
    // The long edge on the left, so the lower half continues it; light-map
    // coordinates that change along every edge.
    const Vertex top = At(20, 2, 10, 10, 20), mid = At(60, 30, 12, 200, 90), bottom = At(8, 50, 14, 60, 240);
    for (int mode : {1, 3, 4}) {
        Target whole(96, 64, mode);
        DrawTriangle(whole.st, top, mid, bottom);
        for (auto [dx, dy] : {std::pair{12, 0}, std::pair{0, 9}, std::pair{15, 35}}) {
            Target cut(96, 64, mode);
            auto moved = [&](Vertex v) {
                v.sx -= dx, v.sy -= dy;
                return v;
            };
            DrawTriangle(cut.st, moved(top), moved(mid), moved(bottom));
            int drawn = 0;
            for (int y = 0; y + dy < 64; ++y)
                for (int x = 0; x + dx < 96; ++x) {
                    ASSERT_EQ(cut.at(x, y), whole.at(x + dx, y + dy))
                        << "mode " << mode << ", cut by " << dx << "," << dy << " at " << x << "," << y;
                    drawn += cut.at(x, y) != kEmpty;
                }
            EXPECT_GT(drawn, 100) << "mode " << mode;
        }
    }
}

// A flat-lit face of black diffuse colour: in mode 4 it shows the specular
// light alone, level 128 of (200, 100, 50) being (100, 50, 25); in mode 5
// half of the white beneath shows through.
TEST(SpanFill, SpecularLevelAndModeFiveBlend) {
    for (auto [mode, below, light, expected] : {std::tuple{4, kEmpty, 0xC86432u, 0x643219u}, {5, 0xFFFFFFu, 0u, 0x7F7F7Fu}}) {
        Target target(16, 16, mode);
        std::fill(target.pixels.begin(), target.pixels.end(), below);
        std::vector<uint32_t> specular(kLightMapRoom, light);
        target.st.flatLighting = true;
        target.st.faceColour = 0;
        target.st.specular = specular.data();
        target.st.specularLevel = 128;
        if (mode == 5) target.st.alpha = 128;
        DrawTriangle(target.st, At(0, 0, 10, 0, 0), At(15, 0, 10, 0, 0), At(0, 15, 10, 0, 0));
        EXPECT_EQ(target.at(2, 2), expected) << "mode " << mode;
    }
}

TEST(SpanFill, LinesReachTheViewportsEdgesAndStopThere) {
    Target target(16, 16, 1);
    target.st.materialColour = 0xFF0000;
    DrawLine(target.st, At(0, 2, 10, 0, 0), At(0, 12, 10, 0, 0));
    DrawLine(target.st, At(15, -5, 10, 0, 0), At(15, 20, 10, 0, 0));
    // A fill thread draws the rows of its band only, leaving the others to theirs.
    target.st.rowBegin = 4, target.st.rowEnd = 8;
    DrawLine(target.st, At(7, 0, 10, 0, 0), At(7, 15, 10, 0, 0));
    EXPECT_EQ(target.at(15, 16), kEmpty);
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(target.at(0, y), y >= 2 && y <= 12 ? 0xFF0000u : kEmpty) << y;
        EXPECT_EQ(target.at(15, y), 0xFF0000u) << y;
        EXPECT_EQ(target.at(7, y), y >= 4 && y < 8 ? 0xFF0000u : kEmpty) << y;
    }
    // Across the left and the right edge: nothing wraps onto the next row.
    Target across(16, 16, 1);
    across.st.materialColour = 0xFF0000;
    Vertex beyondLeft = At(-5, 8, 10, 0, 0), beyondRight = At(20, 10, 10, 0, 0);
    beyondLeft.clip = kClipLeft, beyondRight.clip = kClipRight;
    DrawLine(across.st, beyondLeft, At(3, 8, 10, 0, 0));
    DrawLine(across.st, At(12, 10, 10, 0, 0), beyondRight);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(across.at(x, 7), kEmpty) << x;
        EXPECT_EQ(across.at(x, 8), x <= 3 ? 0xFF0000u : kEmpty) << x;
        EXPECT_EQ(across.at(x, 11), kEmpty) << x;
    }
}

TEST(SpanFill, ALineIsDepthTestedAlongItsLength) {
    // From depth 10 to 20, less a bias of 2, over a row at 13 whose other
    // rows are nearest: only the nearer half shows, at its own depths.
    Target target(16, 16, 1);
    target.st.materialColour = 0xFF0000;
    target.st.depthBias = 2 << 16;
    std::fill(target.depth.begin(), target.depth.end(), 0u);
    std::fill_n(target.depth.begin() + 4 * 16, 16, 13u << 16);
    DrawLine(target.st, At(2, 4, 10, 0, 0), At(12, 4, 20, 0, 0));
    for (int x = 0; x < 16; ++x) {
        const bool drawn = x >= 2 && x < 7;
        EXPECT_EQ(target.at(x, 4), drawn ? 0xFF0000u : kEmpty) << x;
        EXPECT_EQ(target.depth[size_t(4 * 16 + x)], drawn ? uint32_t(x + 6) << 16 : 13u << 16) << x;
    }
}

// The vector loop of plain textured spans must leave every pixel and depth as
// the scalar loop does: lanes packed out of order, a signed depth compare, a
// tie drawn over, a fog blend off by one or a lost tail would all show on
// random spans.
TEST(SpanFill, TheVectorLoopDrawsWhatTheScalarLoopDraws) {
    if (!VectorSpansAvailable()) GTEST_SKIP() << "no vector loop on this processor";
    std::mt19937 random(7);
    auto any = [&](uint32_t low, uint32_t high) { return std::uniform_int_distribution<uint32_t>(low, high)(random); };
    constexpr int kWidth = 67, kRows = 6, kSide = 32;
    for (int bits : {16, 32}) {
        const int bytes = bits / 8;
        const uint32_t key = bits == 32 ? 0xFF00FF : 0xF81F;
        std::vector<uint8_t> texels(kSide * kSide * size_t(bytes));
        for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint8_t(any(0, 255));
        for (int i = 0; i < kSide * kSide; i += int(any(1, 6)))
            std::memcpy(&texels[size_t(i * bytes)], &key, size_t(bytes));
        int drawnRuns = 0;
        for (int run = 0; run < 400; ++run) {
            RasterState st;
            st.width = kWidth, st.height = kRows, st.bitsPerPixel = bits;
            st.pitch = kWidth * bytes, st.depthPitch = kWidth;
            st.textured = true;
            st.texture = {texels.data(), kSide - 1, kSide - 1, 5, 5, 5};
            st.transparent = key;
            st.fog = run % 2 == 0;
            st.depthWrite = run % 3 != 0;
            st.fastPath = !st.fog;
            st.fogFront = 5, st.fogBack = 12, st.fogFactor = 65536 / 7;
            st.fogColour = bits == 32 ? 0x182028 : 0x1905;
            st.fogEndColour = bits == 32 ? 0x304050 : 0x3209;
            HalfSpans h;
            h.y0 = 0, h.y1 = kRows;
            h.xLeft = int32_t(any(0, 30 << 16)) - (10 << 16), h.dxLeft = int32_t(any(0, 4 << 16)) - (2 << 16);
            h.xRight = int32_t(any(20 << 16, 80 << 16)), h.dxRight = int32_t(any(0, 4 << 16)) - (2 << 16);
            h.left = {any(0, 20 << 16), any(0, 0xFFFFFFFF), any(0, 0xFFFFFFFF), 0, 0};
            h.leftStep = {any(0, 1 << 16), any(0, 0xFFFFFFFF), any(0, 0xFFFFFFFF), 0, 0};
            // Mostly the gentle depth slopes of a scene, sometimes one that wraps.
            const uint32_t dz = run % 7 == 0 ? any(0, 0xFFFFFFFF) : any(0, 1 << 15) - (1 << 14);
            h.gradient = {dz, any(0, 0xFFFFFFFF), any(0, 0x40000), 0, 0};
            std::vector<uint8_t> pixels(size_t(kWidth * kRows * bytes));
            for (uint8_t& b : pixels) b = uint8_t(any(0, 255));
            std::vector<uint32_t> depth(size_t(kWidth * kRows));
            for (uint32_t& d : depth) d = any(0, 1) ? 0xFFFFFFFF : any(0, 20 << 16);
            auto draw = [&](bool vectorised) {
                std::vector<uint8_t> outPixels = pixels;
                std::vector<uint32_t> outDepth = depth;
                RasterState s = st;
                s.pixels = outPixels.data(), s.depth = outDepth.data();
                ChooseSpanFiller(s, vectorised)(s, h);
                // Again at the same depths from other texels: where depth was
                // written, each tie keeps the first.
                HalfSpans again = h;
                again.left.u += 7u << 16;
                ChooseSpanFiller(s, vectorised)(s, again);
                return std::pair{outPixels, outDepth};
            };
            const auto scalar = draw(false), vector = draw(true);
            drawnRuns += scalar.first != pixels;
            ASSERT_EQ(vector.first, scalar.first) << bits << "-bit run " << run;
            ASSERT_EQ(vector.second, scalar.second) << bits << "-bit run " << run;
        }
        EXPECT_GT(drawnRuns, 300) << "the runs must mostly draw something to compare";
    }
}

}  // namespace
