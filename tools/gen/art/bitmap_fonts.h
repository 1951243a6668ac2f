#pragma once
// Bitmap fonts: a grid of glyph cells in one picture, as the game's
// "BitmapFont" entries read it (cell i holds the character startCode + i,
// row by row from the top left). The cells are drawn with the colour key
// only, so every glyph carries a dark outline that hides its hard edge.

#include "raster/image.h"
#include "raster/text.h"

struct BitmapFontLayout {
    int columns = 16;
    int rows = 4;
    int startCode = 32;  // 32 .. 95: the space, digits, punctuation and capitals
    int cellWidth;       // pixels
    int cellHeight;
};

// Gold capitals with a purple extrusion, in the title's colours.
Image MakeTitleFont(const FontFace& font, const BitmapFontLayout& layout);
// White-gold capitals with a dark outline that read over the 3D maze: the
// game's score popups, its messages and "GAME OVER".
Image MakeBrightFont(const FontFace& font, const BitmapFontLayout& layout);
