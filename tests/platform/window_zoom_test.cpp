#include "platform/host/sdl/window_zoom.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

// An asked-for zoom is kept while the window with its frame fits the usable
// area, edge included, and otherwise is the largest factor that does fit,
// whichever side is the tight one; it never goes below 1. The automatic zoom
// leaves a tenth of the desktop free and is never "reduced".
TEST(WindowZoom, AskedFactorShrinksToTheUsableArea) {
    struct Case {
        const char* zoom;
        int panelW, panelH, usableW, usableH, frameW, frameH;
        int factor;
        bool reduced;
    };
    const Case cases[] = {
        {"3", 240, 320, 1920, 1040, 0, 0, 3, false},
        {"4", 240, 320, 1920, 1040, 0, 0, 3, true},
        {"3", 240, 320, 1920, 1040, 0, 81, 2, true},   // the title bar tips it over
        {"3", 240, 320, 1920, 1040, 0, 80, 3, false},  // exactly fits
        {"4", 320, 240, 1000, 2000, 0, 0, 3, true},    // width is the tight side
        {"3", 320, 240, 1000, 2000, 41, 0, 2, true},
        {"2", 480, 640, 400, 500, 0, 0, 1, true},       // not even 1 fits: 1
        {"1", 480, 640, 400, 500, 0, 0, 1, false},
        {"integer", 240, 320, 1920, 1040, 0, 0, 2, false},  // 960 > 936, nine tenths of 1040
        {"fit", 240, 320, 1920, 1200, 0, 0, 3, false},
        {"integer", 480, 640, 400, 500, 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zoom) + " " + std::to_string(c.panelW) + "x" + std::to_string(c.panelH) + " in " +
                     std::to_string(c.usableW) + "x" + std::to_string(c.usableH));
        ZoomChoice choice = ChooseZoom(c.zoom, c.panelW, c.panelH, c.usableW, c.usableH, c.frameW, c.frameH);
        EXPECT_EQ(choice.factor, c.factor);
        EXPECT_EQ(choice.reduced, c.reduced);
    }
}

}  // namespace
