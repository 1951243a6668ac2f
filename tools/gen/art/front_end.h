#pragma once
// The pictures of the screens a player walks through before a game: the
// introduction with its notice, the help pages, the settings page, the
// about page, the message box, the on-screen keyboard and the hot-key marks.
// Each screen's template is written by hand; where a picture only fits in
// one place (a backdrop's bands, the introduction's swaying sprites) the
// placement is recorded so that the preview can check the template.

#include <vector>

#include "art/sprite_picture.h"
#include "raster/text.h"

struct FrontEndFonts {
    const FontFace& title;
    const FontFace& label;
};

// The design box of the glass panel on the pages, and of the bands of the
// about page that hide its scrolling text above and below the panel.
struct PageLayout {
    static constexpr int kPanelX = 8, kPanelY = 64, kPanelWidth = 224, kPanelHeight = 182;
    static constexpr int kFade = 12;                    // height of the bands' soft edges
    static constexpr int kTopFadeStart = 68;            // the top band is opaque above, fading out below
    static constexpr int kBottomFadeStart = 232;        // the bottom band fades in below, opaque from + kFade
};

// One entry per template (shared pictures come under an empty template name).
std::vector<ScreenArt> MakeFrontEndArt(const FrontEndFonts& fonts);
