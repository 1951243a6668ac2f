#pragma once
// Everything the cover screen shows, as pictures with their file names, and
// where its sprites belong in design units (the template is written by hand
// and must agree; the preview reports any difference).

#include <string>
#include <vector>

#include "art/sprite_picture.h"
#include "raster/text.h"

using CoverArt = ScreenArt;

struct CoverFonts {
    const FontFace& title;
    const FontFace& label;
};

CoverArt MakeCoverArt(const CoverFonts& fonts);
