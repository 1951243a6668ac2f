// The front-end pictures keep the promises the game's drawing relies on:
// hot-key marks that point the right way, font cells that keep to
// themselves, keys that sit seamlessly on the keyboard's panel, and the about
// page's bands that fade exactly where the template cuts them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "art/bitmap_fonts.h"
#include "art/keyboard.h"
#include "raster/text.h"
#include "scene/scene_state.h"
#include "support/test_host.h"
#include "template_files.h"

namespace {

bool IsSymbol(const Pixel& p) { return p.a > 0 && p.r > 0.9f && p.g > 0.8f && p.b < 0.5f; }

// How many pixels of the symbol lie on each side of its bounding box: an
// arrow narrows to a single pixel at its tip and ends in its wide shaft.
struct SymbolEnds {
    int left = 0, right = 0, top = 0, bottom = 0;
};

SymbolEnds Ends(const Image& icon) {
    int x0 = icon.width(), x1 = -1, y0 = icon.height(), y1 = -1;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            if (IsSymbol(icon.at(x, y))) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    SymbolEnds ends;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            if (!IsSymbol(icon.at(x, y))) continue;
            ends.left += x == x0;
            ends.right += x == x1;
            ends.top += y == y0;
            ends.bottom += y == y1;
        }
    return ends;
}

}  // namespace

// Key caps with clear corners (their size is checked as the game loads them,
// in the screens test), each arrow pointing its way: the tip, a single pixel,
// on the side it points to, the wide shaft on the other.
TEST(HotKeyIcons, AreKeyCapsWithClearCornersAndArrowsPointingTheirWay) {
    SymbolEnds left = Ends(MakeHotKeyIcon(KeySymbol::Left)), right = Ends(MakeHotKeyIcon(KeySymbol::Right));
    SymbolEnds up = Ends(MakeHotKeyIcon(KeySymbol::Up)), down = Ends(MakeHotKeyIcon(KeySymbol::Down));
    EXPECT_TRUE(left.left == 1 && left.right > 1);
    EXPECT_TRUE(right.right == 1 && right.left > 1);
    EXPECT_TRUE(up.top == 1 && up.bottom > 1);
    EXPECT_TRUE(down.bottom == 1 && down.top > 1);
    for (KeySymbol s : {KeySymbol::Left, KeySymbol::Up, KeySymbol::Right, KeySymbol::Down, KeySymbol::Enter}) {
        Image icon = MakeHotKeyIcon(s);
        EXPECT_EQ(icon.at(0, 0).a, 0.0f);
        EXPECT_EQ(icon.at(10, 10).a, 0.0f);
        EXPECT_EQ(icon.at(5, 0).a, 1.0f);  // the cap's outline
    }
}

TEST(TitleFont, EveryGlyphKeepsToItsCell) {
    std::unique_ptr<FontFace> font = FontFace::Find({"DejaVu Sans:bold", "Liberation Sans:bold"});
    ASSERT_NE(font, nullptr);
    BitmapFontLayout layout{16, 4, 32, 28, 32};
    Image grid = MakeTitleFont(*font, layout);
    ASSERT_EQ(grid.width(), 16 * 28);
    ASSERT_EQ(grid.height(), 4 * 32);
    for (int cell = 0; cell < 64; ++cell) {
        int x0 = (cell % 16) * 28, y0 = (cell / 16) * 32;
        int inked = 0, onEdge = 0;
        for (int y = y0; y < y0 + 32; ++y)
            for (int x = x0; x < x0 + 28; ++x) {
                if (grid.at(x, y).a < 0.5f) continue;
                ++inked;
                // The game copies whole cells: ink on a cell's edge would touch the neighbour's.
                if (x == x0 || x == x0 + 27 || y == y0 || y == y0 + 31) ++onEdge;
            }
        char ch = static_cast<char>(32 + cell);
        if (ch == ' ') {
            EXPECT_EQ(inked, 0);
        } else {
            EXPECT_GT(inked, 20) << ch;
        }
        EXPECT_EQ(onEdge, 0) << ch;
    }
}

TEST(InputPadArt, KeysSitSeamlesslyOnThePanel) {
    // The keys are drawn without a colour key: their corners must be the panel's own colour where they sit.
    InputPadArt art = MakeInputPadArt();
    ASSERT_EQ(art.pad.width(), 460);
    ASSERT_EQ(art.pad.height(), 320);
    ASSERT_EQ(art.key.width(), 36);
    ASSERT_EQ(art.wideKey.width(), 80);
    auto same = [](const Pixel& a, const Pixel& b) {
        return std::abs(a.r - b.r) < 1e-3f && std::abs(a.g - b.g) < 1e-3f && std::abs(a.b - b.b) < 1e-3f;
    };
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 10; ++column) {
            int x = (11 + 21 * column) * 2, y = (45 + 21 * row) * 2;
            EXPECT_TRUE(same(art.key.at(0, 0), art.pad.at(x, y))) << row << "," << column;
            EXPECT_TRUE(same(art.key.at(35, 35), art.pad.at(x + 35, y + 35))) << row << "," << column;
        }
    for (int x : {10, 51, 92, 140, 181}) {
        EXPECT_TRUE(same(art.wideKey.at(0, 0), art.pad.at(x * 2, 130 * 2))) << x;
        EXPECT_TRUE(same(art.wideKey.at(79, 39), art.pad.at(x * 2 + 79, 130 * 2 + 39))) << x;
    }
}

TEST(AboutPageBands, FadeWhereTheTemplateCutsThem) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    TemplateFile about = ReadTemplate(std::filesystem::path(KARROWEN_HAND_WRITTEN_RESOURCES) / "back.properties");
    FrameList frames = DecodeGifFile(std::filesystem::path(KARROWEN_BUILD_RESOURCES) / "about_bands_alpha.gif");
    ASSERT_EQ(frames.size(), 1u);
    auto opacity = [&](int y) { return PixelAt(*frames[0], 0, y) & 0xFF; };
    // Each fade runs from the plain band's edge (opaque) to the panel's side (clear).
    int topFrom = about.integer("sptFadeTop", "clipY", -1), topRows = about.integer("sptFadeTop", "clipH", -1);
    int bottomFrom = about.integer("sptFadeBottom", "clipY", -1), bottomRows = about.integer("sptFadeBottom", "clipH", -1);
    ASSERT_GT(topRows, 0);
    ASSERT_GT(bottomRows, 0);
    EXPECT_EQ(about.integer("sptBandTop", "clipH", -1), topFrom);
    EXPECT_EQ(about.integer("sptBandBottom", "clipY", -1), bottomFrom + bottomRows);
    EXPECT_GE(opacity(topFrom), 240u);
    EXPECT_LE(opacity(topFrom + topRows - 1), 16u);
    EXPECT_LE(opacity(bottomFrom), 16u);
    EXPECT_GE(opacity(bottomFrom + bottomRows - 1), 240u);
    for (int y = topFrom + 1; y < topFrom + topRows; ++y) EXPECT_LE(opacity(y), opacity(y - 1)) << y;
    for (int y = bottomFrom + 1; y < bottomFrom + bottomRows; ++y) EXPECT_GE(opacity(y), opacity(y - 1)) << y;
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}
