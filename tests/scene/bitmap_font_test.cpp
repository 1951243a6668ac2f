// Bitmap fonts over a generated glyph picture whose every cell has a colour of
// its own, so each drawn pixel tells which cell it came from; and the choice
// between a bitmap font and a system font.

#include "scene/bitmap_font.h"

#include <gtest/gtest.h>

#include "image_fixture.h"
#include "scene/image_ops.h"
#include "scene/text_drawing.h"

using namespace imagetest;

namespace {

constexpr uint32_t kKey = 0xFF00FF;

// Cell i is filled with 0x010000 * (i + 1) + 0x40, its top-left pixel with the key.
uint32_t CellColour(int cell) { return 0x010000u * uint32_t(cell + 1) + 0x40; }

std::unique_ptr<BitmapFont> MakeFont(int cellW, int cellH, int caseConversion = 0, int columns = 16,
                                     int rows = 6) {
    auto picture = std::make_unique<FrameBuffer>(columns * cellW, rows * cellH, true);
    for (int cell = 0; cell < columns * rows; ++cell) {
        int x = (cell % columns) * cellW, y = (cell / columns) * cellH;
        fill(*picture, CellColour(cell), x, y, cellW, cellH, true);
        host::WritePixel(picture->surface(), x, y, kKey);
    }
    picture->transparentColor = kKey;
    return BitmapFont::FromPicture(std::move(picture), columns, rows, caseConversion, 32);
}

// The cell a drawn pixel came from; -1 for an untouched (black) pixel.
int CellAt(const FrameBuffer& fb, int x, int y) {
    uint32_t p = At(fb, x, y);
    if (p == 0) return -1;
    EXPECT_EQ(p & 0xFFFF, 0x40u) << x << "," << y << " is not a glyph pixel";
    return int(p >> 16) - 1;
}

// The cells of a row of glyphs of width w, read one pixel right of each glyph's
// key corner; -1 where nothing was drawn.
std::vector<int> CellsInRow(const FrameBuffer& fb, int x, int y, int w, int count) {
    std::vector<int> cells;
    for (int i = 0; i < count; ++i) cells.push_back(CellAt(fb, x + i * w + 1, y));
    return cells;
}

class BitmapFontTest : public ImageTest {};

TEST_F(BitmapFontTest, ALineDrawsTheCellOfEachCode) {
    struct Case {
        int caseConversion;
        const char16_t* text;
        std::vector<int> cells;
    };
    const Case cases[] = {
        {0, u"!A~\x7F", {1, 33, 94, 95, -1}},  // a 16 x 6 grid covers codes 32 to 127
        {0, u"\x1F\x80\xFF", {0, 0, 0}},     // outside the cells: cell zero
        {1, u"aZ", {'A' - 32, 'Z' - 32}},
        {2, u"aZ", {'a' - 32, 'z' - 32}},
        {0, u"aZ", {'a' - 32, 'Z' - 32}},
        {0, u"A B", {33, -1, 34}},  // a space advances without drawing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(host::ToUtf8(c.text));
        auto font = MakeFont(4, 5, c.caseConversion);
        FrameBuffer fb(40, 5, true);
        font->drawLine(fb, 0, 0, c.text, 0);
        EXPECT_EQ(CellsInRow(fb, 0, 0, 4, int(c.cells.size())), c.cells);
        EXPECT_EQ(CellAt(fb, 0, 0), -1) << "the key corner of a glyph is not drawn";
        EXPECT_EQ(CellAt(fb, 3, 4), c.cells[0]);
        for (size_t i = 0; i < c.cells.size(); ++i)
            for (int y = 0; c.cells[i] < 0 && y < 5; ++y)
                for (int x = 0; x < 4; ++x) EXPECT_EQ(CellAt(fb, int(i) * 4 + x, y), -1) << "cell " << i;
    }
}

TEST_F(BitmapFontTest, DoubleSizeStretchesEachGlyph) {
    auto font = MakeFont(4, 5);
    EXPECT_EQ(font->glyphSize(10).x, 8);
    EXPECT_EQ(font->glyphSize(10).y, 10);
    FrameBuffer fb(20, 12, true);
    font->drawLine(fb, 1, 1, u"AB", 10);
    // x, y, cell: the key corner stretched to 2 x 2, then both glyphs to their far corners.
    const int probes[][3] = {{1, 1, -1}, {2, 2, -1}, {3, 1, 33},   {8, 10, 33},
                             {9, 10, 34}, {16, 10, 34}, {17, 10, -1}, {8, 11, -1}};
    for (const auto& p : probes) EXPECT_EQ(CellAt(fb, p[0], p[1]), p[2]) << p[0] << "," << p[1];
}

TEST_F(BitmapFontTest, BlocksBreakAfterTheLastBlankOrAtTheEdgeAndStopAtTheBottom) {
    struct Case {
        host::Rect box;
        const char16_t* text;
        std::vector<std::vector<int>> lines;
    };
    const Case cases[] = {
        // Five glyphs fit. "AB CD" fits, E overflows: back to the blank after B.
        {{0, 0, 20, 20}, u"AB CDE FG", {{33, 34, -1, -1, -1}, {35, 36, 37, -1, -1}, {38, 39, -1, -1, -1}, {-1, -1}}},
        {{0, 0, 12, 20}, u"ABCDEFG", {{33, 34, 35, -1}, {36, 37, 38, -1}, {39, -1, -1, -1}}},
        {{0, 0, 2, 20}, u"AB", {{33}, {34}}},  // narrower than one glyph, every line still takes one
        {{2, 0, 20, 10}, u"AB\n\rC", {{33, 34, -1}, {35, -1}}},
        {{0, 0, 4, 7}, u"ABC", {{33}, {34}, {-1}}},  // a line starting at the bottom is left out
    };
    auto font = MakeFont(4, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(host::ToUtf8(c.text));
        FrameBuffer fb(30, 20, true);
        font->drawBlock(fb, c.box, c.text, 0, 0);
        for (size_t line = 0; line < c.lines.size(); ++line)
            EXPECT_EQ(CellsInRow(fb, c.box.left, int(line) * 5, 4, int(c.lines[line].size())), c.lines[line]) << line;
        if (c.box.bottom == 7) {
            EXPECT_EQ(CellAt(fb, 1, 9), 34) << "a line starting above the bottom is drawn whole";
        }
    }
}

TEST_F(BitmapFontTest, CentreAndRightAlignment) {
    auto font = MakeFont(10, 10);
    FrameBuffer fb(140, 10, true);
    // alignment, first and last x of the 30 pixels: centred at left + (100 - 30) / 2, right against 120
    for (const auto& a : {std::vector<int>{1, 55, 84}, std::vector<int>{2, 90, 119}}) {
        clear(fb, 0);
        font->drawBlock(fb, host::Rect{20, 0, 120, 10}, u"ABC", 0, a[0]);
        EXPECT_EQ(CellAt(fb, a[1] - 1, 5), -1) << a[0];
        EXPECT_EQ(CellAt(fb, a[1], 5), 33) << a[0];
        EXPECT_EQ(CellAt(fb, a[2], 5), 35) << a[0];
        EXPECT_EQ(CellAt(fb, a[2] + 1, 5), -1) << a[0];
    }
}

TEST_F(BitmapFontTest, DrawsOntoADeviceContextLikeOntoABitmap) {
    auto font = MakeFont(4, 5);
    FrameBuffer viaBitmap(20, 12, true), viaContext(20, 12, true);
    font->drawLine(viaBitmap, 1, 1, u"A~", 10);
    font->drawLine(*viaContext.deviceContext, 1, 1, u"A~", 10);
    EXPECT_EQ(Pixels(viaContext), Pixels(viaBitmap));
    font->drawBlock(viaBitmap, host::Rect{0, 0, 10, 12}, u"B C", 0, 2);
    font->drawBlock(*viaContext.deviceContext, host::Rect{0, 0, 10, 12}, u"B C", 0, 2);
    EXPECT_EQ(Pixels(viaContext), Pixels(viaBitmap));
}

TEST_F(BitmapFontTest, GridsWithoutCellsAreRefused) {
    for (auto [columns, rows] : {std::pair{0, 6}, {16, 0}, {-16, 6}, {65, 6}})  // 65: cells narrower than a pixel
        EXPECT_EQ(BitmapFont::FromPicture(std::make_unique<FrameBuffer>(64, 30, true), columns, rows, 1, 32), nullptr);
    EXPECT_EQ(BitmapFont::Load(u"/nonexistent/karrowen/font.gif", 16, 6, 1, 32), nullptr);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(BitmapFont::Load(u"/nonexistent/karrowen/font.gif", 0, 6, 1, 32), nullptr);
    EXPECT_EQ(boxes.size(), 1u) << "an empty grid is refused before loading";
}

TEST(SuitsBitmapFont, BothBytesAtMost127) {
    for (const char16_t* text : {u"", u"Score: 10\n\r", u"\u0141"}) EXPECT_TRUE(suitsBitmapFont(text));
    for (const char16_t* text : {u"caf\u00E9", u"\u8041"}) EXPECT_FALSE(suitsBitmapFont(text));
}

TEST_F(BitmapFontTest, TextAbove127FallsBackToTheSystemFont) {
    auto font = MakeFont(4, 5);
    TextStyle style;
    style.colour = 0xFFFFFF;
    FrameBuffer fb(100, 30, true);
    DrawText(fb, font.get(), u"Caf\u00E9", host::Rect{0, 0, 100, 30}, style);
    int white = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) {
            uint32_t p = At(fb, x, y);
            EXPECT_TRUE(p == 0 || (p & 0xFF) != 0x40 || (p >> 8 & 0xFF) != 0) << "no glyph cell drawn";
            white += p == 0xFFFFFF;
        }
    EXPECT_GT(white, 0) << "drawn with the system font";

    clear(fb, 0);
    style.size = 0;
    DrawText(fb, font.get(), u"Cafe", host::Rect{0, 0, 100, 30}, style);
    EXPECT_EQ(CellAt(fb, 1, 0), 'C' - 32);
}

TEST_F(BitmapFontTest, SingleLineIsNotWrappedToTheBox) {
    auto font = MakeFont(4, 5);
    TextStyle style;
    style.formatted = false;
    style.size = 0;
    FrameBuffer fb(40, 10, true);
    DrawText(fb, font.get(), u"ABCD", host::Rect{2, 1, 6, 10}, style);
    EXPECT_EQ(CellsInRow(fb, 2, 1, 4, 4), (std::vector<int>{33, 34, 35, 36}));
    style.formatted = true;
    clear(fb, 0);
    DrawText(fb, font.get(), u"ABCD", host::Rect{2, 1, 10, 10}, style);
    EXPECT_EQ(CellsInRow(fb, 2, 1, 4, 3), (std::vector<int>{33, 34, -1}));
    EXPECT_EQ(CellAt(fb, 3, 6), 35);
}

TEST_F(BitmapFontTest, SystemFontsAreMadeAndCompared) {
    host::FontSpec made = createFont(18, 700, true, false, u"");
    EXPECT_EQ(made.face, u"Arial");
    EXPECT_EQ(made.height, 18);
    EXPECT_EQ(made.weight, 700);
    EXPECT_EQ(createFont(10, 400, false, false, u"An extraordinarily long face name here").face.size(), 31u);

    FrameBuffer fb(10, 10, true);
    fb.deviceContext->selectFont(made);
    EXPECT_TRUE(fontMatches(*fb.deviceContext, 18, 700, true, false, u""));
    EXPECT_TRUE(fontMatches(*fb.deviceContext, 18, 700, true, false, u"Arial"));
    EXPECT_FALSE(fontMatches(*fb.deviceContext, 18, 400, true, false, u"Arial"));
    EXPECT_FALSE(fontMatches(*fb.deviceContext, 18, 700, true, true, u"Arial"));
    EXPECT_FALSE(fontMatches(*fb.deviceContext, 18, 700, true, false, u"Courier New"));

    host::Point extent = textExtent(*fb.deviceContext, u"Hello");
    EXPECT_GT(extent.x, 0);
    EXPECT_EQ(extent.y, 18);
    host::SetTextRasterizer(nullptr);
    extent = textExtent(*fb.deviceContext, u"Hello");
    EXPECT_EQ(extent.x, -1);
    EXPECT_EQ(extent.y, -1);
}

}  // namespace
