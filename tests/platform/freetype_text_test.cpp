#include "platform/host/text/freetype_text.h"
#include "platform/host/text/font_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/drawing_surface.h"
#include "support/test_host.h"

using namespace host;

namespace {

// White transparent text on a black surface of either depth.
struct Surface : testhost::DrawingSurface {
    Surface(int w, int h, int bits = 32) : DrawingSurface(w, h, bits) {
        dc.setBkMode(TRANSPARENT);
        dc.setTextColor(MakeColorRef(255, 255, 255));
    }
};

FontSpec Arial(int height, int weight = 400) { return FontSpec{u"Arial", height, weight, false, false}; }

class FreeTypeTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTextRasterizer(&SystemFontText());
        if (!SystemFontText().fontMatches(Arial(16))) GTEST_SKIP() << "no Arial or metric-compatible font installed";
    }
    void TearDown() override { SetTextRasterizer(nullptr); }
};

// Where the ink of a drawn text may lie: inside its rectangle, clipped to it
// and to the context's clip, centred when asked, broken into lines below each other.
TEST_F(FreeTypeTextTest, InkStaysWhereTheRectangleAndTheFlagsPutIt) {
    struct Case {
        const char16_t* text;
        int size;
        Rect rect;
        uint32_t flags;
        Rect within;  // the ink's bounds
        int inkBelow = 0;  // the lowest ink row reaches below this
        Rect clip{};       // the context's clip, with its origin at its top left
    };
    const Case cases[] = {
        {u"I", 20, {10, 8, 40, 30}, DT_LEFT, {10, 8, 40, 30}},
        {u"WWW", 30, {0, 0, 12, 10}, DT_LEFT, {0, 0, 12, 10}},
        {u"WWW", 30, {0, 0, 60, 40}, DT_LEFT, {5, 5, 20, 20}, 0, {5, 5, 20, 20}},
        {u"H", 20, {0, 0, 100, 60}, DT_CENTER | DT_VCENTER | DT_SINGLELINE, {0, 20, 100, 40}},
        {u"word word word", 16, {0, 0, 60, 80}, DT_LEFT | DT_WORDBREAK, {0, 0, 60, 80}, 32},  // three lines of 16
    };
    for (const Case& c : cases) {
        Surface s(100, 80);
        if (!c.clip.empty()) s.dc.setTarget(s.surface, Point{c.clip.left, c.clip.top}, c.clip);
        s.dc.selectFont(Arial(c.size));
        Rect rect = c.rect;
        const int height = s.dc.drawText(c.text, rect, c.flags);
        const Rect ink = s.ink();
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        ASSERT_FALSE(ink.empty());
        EXPECT_TRUE(ink.left >= c.within.left && ink.top >= c.within.top && ink.right <= c.within.right &&
                    ink.bottom <= c.within.bottom)
            << ink.left << "," << ink.top << " to " << ink.right << "," << ink.bottom;
        EXPECT_GT(ink.bottom, c.inkBelow);
        if (c.flags == DT_LEFT && c.size == 20) {
            EXPECT_EQ(height, 20);
            EXPECT_GT(s.count(0xFFFFFF), 10) << "the stem of the I is fully covered";
        }
    }
}

TEST_F(FreeTypeTextTest, AlignmentPlacesTheLine) {
    Point extent = SystemFontText().textExtent(Arial(16), u"Hi");
    ASSERT_GT(extent.x, 0);
    EXPECT_EQ(extent.y, 16);
    for (uint32_t align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        Surface s(120, 20);
        s.dc.selectFont(Arial(16));
        Rect rect{10, 0, 110, 20};
        s.dc.drawText(u"Hi", rect, align);
        Rect ink = s.ink();
        ASSERT_FALSE(ink.empty());
        int penStart = align == DT_LEFT ? 10 : align == DT_CENTER ? 10 + (100 - extent.x) / 2 : 110 - extent.x;
        // The ink starts within a couple of pixels of the pen (side bearing).
        EXPECT_GE(ink.left, penStart) << align;
        EXPECT_LE(ink.left, penStart + 3) << align;
        EXPECT_LE(ink.right, penStart + extent.x + 1) << align;
    }
}

TEST_F(FreeTypeTextTest, CalcRectMeasuresWithoutDrawing) {
    Surface s(200, 100);
    s.dc.selectFont(Arial(16));
    Rect one{5, 5, 200, 100};
    EXPECT_EQ(s.dc.drawText(u"Hello", one, DT_CALCRECT | DT_SINGLELINE), 16);
    EXPECT_EQ(one.right - one.left, SystemFontText().textExtent(Arial(16), u"Hello").x);
    EXPECT_EQ(one.bottom, 5 + 16);
    EXPECT_TRUE(s.ink().empty());

    // Two words that do not fit side by side go on two lines.
    int word = SystemFontText().textExtent(Arial(16), u"Hello").x;
    Rect narrow{0, 0, word + 5, 100};
    EXPECT_EQ(s.dc.drawText(u"Hello Hello", narrow, DT_CALCRECT | DT_WORDBREAK), 32);
    EXPECT_EQ(narrow.right, word);
    EXPECT_EQ(narrow.bottom, 32);
    EXPECT_TRUE(s.ink().empty());
    // A line feed and a carriage return together make one break.
    Rect rect{0, 0, 200, 100};
    EXPECT_EQ(s.dc.drawText(u"Score: \n\r10", rect, DT_CALCRECT), 32);
    rect = Rect{0, 0, 200, 100};
    EXPECT_EQ(s.dc.drawText(u"a\r\nb\nc", rect, DT_CALCRECT), 48);
}

TEST_F(FreeTypeTextTest, OpaqueBackgroundFillsTheLineBox) {
    Surface s(100, 30);
    s.dc.selectFont(Arial(16));
    s.dc.setBkMode(OPAQUE);
    s.dc.setBkColor(MakeColorRef(0, 0, 255));
    s.dc.setTextColor(MakeColorRef(255, 255, 0));
    Rect rect{0, 0, 100, 30};
    s.dc.drawText(u"ab", rect, DT_LEFT);
    int width = SystemFontText().textExtent(Arial(16), u"ab").x;
    EXPECT_EQ(s.at(0, 0), 0x0000FFu);
    EXPECT_EQ(s.at(width - 1, 15), 0x0000FFu);
    EXPECT_EQ(s.at(width, 0), 0u);
    EXPECT_EQ(s.at(0, 16), 0u);
    EXPECT_GT(s.count(0xFFFF00), 0);
}

TEST_F(FreeTypeTextTest, UnderlineRunsUnderTheWholeText) {
    Surface plain(100, 30), underlined(100, 30);
    plain.dc.selectFont(Arial(20));
    FontSpec underlinedFont = Arial(20);
    underlinedFont.underline = true;
    underlined.dc.selectFont(underlinedFont);
    Rect a{0, 0, 100, 30}, b{0, 0, 100, 30};
    plain.dc.drawText(u"o o", a, DT_LEFT);
    underlined.dc.drawText(u"o o", b, DT_LEFT);
    int width = SystemFontText().textExtent(underlinedFont, u"o o").x;
    // A full row of ink under the baseline, across the gap between the letters.
    int fullRows = 0;
    for (int y = 0; y < 30; ++y) {
        bool full = true;
        for (int x = 0; x < width; ++x) full = full && underlined.at(x, y) == 0xFFFFFF;
        fullRows += full;
    }
    EXPECT_GE(fullRows, 1);
    EXPECT_GT(underlined.count(0xFFFFFF), plain.count(0xFFFFFF));
}

TEST_F(FreeTypeTextTest, BlendsOnSixteenBitSurfaces) {
    Surface s(40, 30, 16);
    s.dc.selectFont(Arial(20));
    s.dc.setTextColor(MakeColorRef(255, 0, 0));
    Rect rect{0, 0, 40, 30};
    s.dc.drawText(u"O", rect, DT_LEFT);
    EXPECT_GT(s.count(0xFF0000), 5);
    int partial = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            uint32_t p = s.at(x, y);
            partial += p != 0 && p != 0xFF0000;
            EXPECT_EQ(p & 0x00FFFF, 0u) << "only red is mixed in";
        }
    EXPECT_GT(partial, 0) << "edges are anti-aliased";
}

TEST_F(FreeTypeTextTest, BoldIsWiderAndAnUnknownFaceFallsBackButDoesNotMatch) {
    EXPECT_GT(SystemFontText().textExtent(Arial(20, 700), u"Karrowen").x, SystemFontText().textExtent(Arial(20), u"Karrowen").x);
    FontSpec unknown{u"No Such Face Karrowen", 16, 400, false, false};
    EXPECT_FALSE(SystemFontText().fontMatches(unknown));
    EXPECT_GT(SystemFontText().textExtent(unknown, u"x").x, 0) << "a fallback font still draws";
}

// The font table of a web page, which has no fontconfig, over the Liberation
// fonts the page ships. Faults: a face the templates name drawn by the wrong
// family (Courier text proportional); an unknown face that claims to match;
// a style the page does not ship making the text vanish instead of being
// faked from the regular file.
TEST(FontTableTest, FacesFindTheirFamilyAndMissingStylesAreFaked) {
    const std::string shipped = "/usr/share/fonts/truetype/liberation2/";
    if (!std::filesystem::exists(shipped + "LiberationSerif-Regular.ttf")) GTEST_SKIP() << "fonts-liberation2 missing";
    struct Case {
        const char* face;
        int weight;
        bool italic;
        const char* file;
        bool matches;
    };
    const Case cases[] = {
        {"Arial", 400, false, "LiberationSans-Regular.ttf", true},
        {"arial", 700, true, "LiberationSans-BoldItalic.ttf", true},
        {"Courier New", 400, false, "LiberationMono-Regular.ttf", true},
        {"Times New Roman", 700, false, "LiberationSerif-Bold.ttf", true},
        {"Tahoma", 400, false, "LiberationSans-Regular.ttf", false},
    };
    for (const Case& c : cases) {
        FontFile file;
        ASSERT_TRUE(LocateFontInTable(shipped, c.face, c.weight, c.italic, file)) << c.face;
        EXPECT_EQ(file.path, shipped + c.file) << c.face;
        EXPECT_EQ(file.familyMatches, c.matches) << c.face;
        EXPECT_FALSE(file.embolden || file.oblique) << c.face << ": its own style file is there";
    }

    // A page that ships only the regular serif file.
    testhost::ScratchFolder folder;
    const std::string few = folder.path();
    std::filesystem::copy_file(shipped + "LiberationSerif-Regular.ttf", few + "LiberationSerif-Regular.ttf");
    FontFile file;
    ASSERT_TRUE(LocateFontInTable(few, "Times New Roman", 700, true, file));
    EXPECT_EQ(file.path, few + "LiberationSerif-Regular.ttf");
    EXPECT_TRUE(file.embolden);
    EXPECT_TRUE(file.oblique);
    EXPECT_FALSE(LocateFontInTable(few, "Courier New", 400, false, file)) << "no mono file at all";
}

}  // namespace
