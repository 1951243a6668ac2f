// Colour arithmetic and the pixel operations of frame buffers, in both depths.

#include "scene/image_ops.h"

#include <gtest/gtest.h>

#include "image_fixture.h"

using namespace imagetest;

namespace {

// The colour helpers (the input pad picks its frame colours by brightness).
TEST(Colour, BrightnessAndInverse) {
    EXPECT_EQ(colour::brightness(0xFFFFFF), 254);  // 765 * 2730 >> 13
    EXPECT_EQ(colour::brightness(0x000000), 0);
    EXPECT_EQ(colour::invert(0x00FF10), 0xFF00EFu);
    // Each channel apart: sums clamp at 255 and differences at 0, both without
    // the lowest bit of red and green; the average halves before it adds.
    EXPECT_EQ(colour::addSaturated(0x81C101, 0x90C001), 0xFFFF02u);
    EXPECT_EQ(colour::addSaturated(0x112233, 0x010101), 0x102234u);
    EXPECT_EQ(colour::subtractSaturated(0x905003, 0x81A001), 0x100002u);
    EXPECT_EQ(colour::subtractSaturated(0x20F0F0, 0x01E1E0), 0x201010u);
    EXPECT_EQ(colour::average(0xFF8001, 0x01FF03), 0x7FBF01u);
}

class ImageOpsTest : public ImageTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { startHost(GetParam()); }
    uint32_t stored(uint32_t rgb) const { return Stored(rgb, GetParam()); }
    // A w x h buffer whose pixel (x, y) has a colour of its own.
    std::unique_ptr<FrameBuffer> tagged(int w, int h) {
        auto fb = std::make_unique<FrameBuffer>(w, h, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) host::WritePixel(fb->surface(), x, y, Tag(x, y));
        return fb;
    }
    static uint32_t Tag(int x, int y) { return uint32_t(0x100000 * (x + 1) + 0x1000 * (y + 1)) & 0xF8F8F8; }
    int count(const FrameBuffer& fb, uint32_t rgb) {
        int n = 0;
        for (int y = 0; y < fb.height; ++y)
            for (int x = 0; x < fb.width; ++x) n += At(fb, x, y) == stored(rgb);
        return n;
    }
};

INSTANTIATE_TEST_SUITE_P(Depths, ImageOpsTest, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_P(ImageOpsTest, FillAndOutline) {
    FrameBuffer fb(8, 6, true);
    fill(fb, 0xFF0000, 1, 1, 3, 2, true);
    EXPECT_EQ(count(fb, 0xFF0000), 6);
    EXPECT_EQ(At(fb, 3, 2), stored(0xFF0000));
    EXPECT_EQ(At(fb, 4, 2), 0u);

    clear(fb, 0);
    fill(fb, 0x00FF00, 2, 1, 4, 3, false);
    EXPECT_EQ(count(fb, 0x00FF00), 10);  // 4 + 4 + 1 + 1
    EXPECT_EQ(At(fb, 3, 2), 0u) << "inside stays empty";

    // An outline reaching past the buffer keeps its visible edges only.
    clear(fb, 0);
    fill(fb, 0x0000FF, 5, 4, 10, 10, false);
    EXPECT_EQ(count(fb, 0x0000FF), 3 + 1);  // top edge x 5..7, left edge y 5

    fill(fb, 0xFFFFFF, 100, 100, -1, 3, true);
    EXPECT_EQ(count(fb, 0xFFFFFF), 48) << "a negative size means the whole buffer";
    clear(fb, 0x123456);
    EXPECT_EQ(count(fb, 0x123456), 48);

    // A two-wide outline has both sides; a one-wide fill is one column.
    clear(fb, 0);
    fill(fb, 0x00FFFF, 1, 0, 2, 4, false);
    EXPECT_EQ(count(fb, 0x00FFFF), 8);
    fill(fb, 0xFF00FF, 6, 1, 1, 3, true);
    EXPECT_EQ(count(fb, 0xFF00FF), 3);
}

TEST_P(ImageOpsTest, CopyClipsToBothBuffers) {
    auto src = tagged(4, 4);
    FrameBuffer dst(5, 5, true);
    copyRect(*src, dst, -1, 3, -1, 0, 0, 0, true);  // whole source, moved up-left off the edge
    EXPECT_EQ(At(dst, 0, 3), stored(Tag(1, 0)));
    EXPECT_EQ(At(dst, 2, 4), stored(Tag(3, 1)));
    EXPECT_EQ(At(dst, 3, 3), 0u);
    EXPECT_EQ(At(dst, 0, 2), 0u);

    clear(dst, 0);
    copyRect(*src, dst, 0, 0, 2, 3, 10, 10, true);  // source rectangle past the source
    EXPECT_EQ(At(dst, 1, 0), stored(Tag(3, 3)));
    EXPECT_EQ(At(dst, 2, 0), 0u);
    EXPECT_EQ(At(dst, 0, 1), 0u);

    clear(dst, 0);
    copyRect(*src, dst, 5, 0, -1, -1, -1, -1, true);
    copyRect(*src, dst, 0, -4, -1, -1, -1, -1, true);
    EXPECT_EQ(count(dst, 0), 25);
    copyRect(*src, dst, 1, -2, 0, 0, 4, 4, true);  // moved up off the edge: the third row on top
    EXPECT_EQ(At(dst, 1, 0), stored(Tag(0, 2)));
    copyRect(*src, dst, 0, 0, 0, 0, 4, 0, true);  // no rows: nothing, not the whole source
    EXPECT_EQ(At(dst, 0, 0), 0u);
    // From a 32-bit buffer into the screen's depth.
    FrameBuffer wide(2, 1, false);
    host::WritePixel(wide.surface(), 0, 0, 0xFF8040);
    copyRect(wide, dst, 0, 0, -1, -1, -1, -1, true);
    EXPECT_EQ(At(dst, 0, 0), stored(0xFF8040));
}

TEST_P(ImageOpsTest, StretchDoublesClipsTruncatesSkipsTheKeyAndSmooths) {
    auto src = tagged(2, 2);
    FrameBuffer dst(5, 3, true);
    stretchRect(*src, dst, 1, -1, 4, 4, -1, -1, -1, -1, false);
    // Destination rows -1 and 0 map to source row 0, rows 1 and 2 to row 1.
    EXPECT_EQ(At(dst, 1, 0), stored(Tag(0, 0)));
    EXPECT_EQ(At(dst, 2, 0), stored(Tag(0, 0)));
    EXPECT_EQ(At(dst, 3, 0), stored(Tag(1, 0)));
    EXPECT_EQ(At(dst, 4, 2), stored(Tag(1, 1)));
    EXPECT_EQ(At(dst, 0, 1), 0u);

    auto row = tagged(4, 1);
    row->transparentColor = Tag(2, 0);
    FrameBuffer narrow(3, 1, true);
    clear(narrow, 0xFFFFFF);
    // 4 -> 3: step 5461/4096, positions 0, 1.33, 2.67 -> columns 0, 1, 2.
    stretchRect(*row, narrow, 0, 0, 3, 1, 0, 0, 4, 1, false);
    EXPECT_EQ(At(narrow, 0, 0), stored(Tag(0, 0)));
    EXPECT_EQ(At(narrow, 1, 0), stored(Tag(1, 0)));
    EXPECT_EQ(At(narrow, 2, 0), stored(0xFFFFFF)) << "column 2 is the key";

    // A smooth shrink averages each pixel with its left neighbour.
    FrameBuffer stripes(4, 1, true), half(2, 1, true);
    for (int x = 0; x < 4; ++x) host::WritePixel(stripes.surface(), x, 0, x % 2 ? 0xF8F8F8 : 0x000000);
    stretchRect(stripes, half, 0, 0, 2, 1, -1, -1, -1, -1, false);
    EXPECT_EQ(At(half, 1, 0), 0u) << "plain: column 2";
    stretchRect(stripes, half, 0, 0, 2, 1, -1, -1, -1, -1, true);
    EXPECT_EQ(At(half, 0, 0), 0u) << "the first column has no left neighbour inside the source";
    EXPECT_EQ(At(half, 1, 0), stored(0x7C7C7C)) << "column 2 averaged with column 1";
}

TEST_P(ImageOpsTest, BlendMixesByOpacity) {
    FrameBuffer src(2, 1, true), dst(2, 1, true), alpha(2, 1, true);
    clear(src, 0xF8FCF8);
    src.transparentColor = kNoColour;
    host::WritePixel(alpha.surface(), 0, 0, 0x000000);
    host::WritePixel(alpha.surface(), 1, 0, 0xFFFFFF);
    blendRect(src, &alpha, dst, 0, 0, 2, 1, -1, -1, -1, -1, 0);
    EXPECT_EQ(At(dst, 0, 0), 0u) << "black alpha: invisible";
    // White alpha: opacity 250 on 5-6-5 (fields), 254 on 32 bits (channels).
    uint32_t expected = GetParam() == 16 ? host::Rgb565ToRgb(uint16_t((31 * 250 / 256) << 11 | (63 * 250 / 256) << 5 |
                                                                      (31 * 250 / 256)))
                                         : colour::rgb(248 * 254 / 256, 252 * 254 / 256, 248 * 254 / 256);
    EXPECT_EQ(At(dst, 1, 0), expected);

    // Without alpha, half transparency roughly halves the full opacity.
    clear(dst, 0);
    blendRect(src, nullptr, dst, 0, 0, 2, 1, -1, -1, -1, -1, 128);
    int full = GetParam() == 16 ? 250 : 254;
    int opacity = full * 127 >> 8;
    uint32_t half = GetParam() == 16 ? host::Rgb565ToRgb(uint16_t((31 * opacity / 256) << 11 |
                                                                  (63 * opacity / 256) << 5 | (31 * opacity / 256)))
                                     : colour::rgb(248 * opacity / 256, 252 * opacity / 256, 248 * opacity / 256);
    EXPECT_EQ(At(dst, 0, 0), half);
    // A key pixel of the source is skipped.
    src.transparentColor = 0xF8FCF8;
    clear(dst, 0x0000FF);
    blendRect(src, nullptr, dst, 0, 0, 2, 1, -1, -1, -1, -1, 0);
    EXPECT_EQ(At(dst, 1, 0), stored(0x0000FF));
}

TEST_P(ImageOpsTest, DrawingOntoAContextHonoursTheKey) {
    FrameBuffer src(2, 2, true), dst(4, 4, true);
    clear(src, 0xFF0000);
    host::WritePixel(src.surface(), 1, 1, 0x00FF00);
    src.transparentColor = 0x00FF00;
    drawToDC(src, *dst.deviceContext, 1, 1, 0, 0, -1, -1, false);
    EXPECT_EQ(At(dst, 1, 1), stored(0xFF0000));
    EXPECT_EQ(At(dst, 2, 2), 0u) << "keyed";
    drawToDC(src, *dst.deviceContext, 1, 1, 0, 0, -1, -1, true);
    EXPECT_EQ(At(dst, 2, 2), stored(0x00FF00)) << "opaque";

    FrameBuffer big(4, 4, true);
    stretchToDC(src, *big.deviceContext, 0, 0, 4, 4, -1, -1, -1, -1, false);
    EXPECT_EQ(At(big, 1, 1), stored(0xFF0000));
    EXPECT_EQ(At(big, 3, 3), 0u);
    EXPECT_EQ(count(big, 0xFF0000), 12);
}

}  // namespace
