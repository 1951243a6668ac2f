#pragma once
// Everything the cover screen shows, as pictures with their file names, and
// where its sprites belong in design units (the template is written by hand
// and must agree; the preview reports any difference).

#include <string>
#include <vector>

#include "raster/image.h"
#include "raster/text.h"

// Pictures are drawn at twice the design size: the default 480 x 640 screen
// shows the 240 x 320 design at scale 2, where they are copied pixel for
// pixel; at scale 1 the engine halves them.
constexpr int kArtScale = 2;
constexpr int kDesignWidth = 240;
constexpr int kDesignHeight = 320;

// One sprite's pictures: the normal frames, an optional pressed look, and the
// opacity of the normal frames as a separate grey picture when alphaFile is set.
struct SpritePicture {
    std::string file;
    std::vector<Image> frames;
    std::vector<int> delays;  // hundredths of a second per frame
    std::string brightFile;
    Image bright;
    std::string alphaFile;
    float dither = 0;  // ordered dither amplitude, colour levels
};

struct SpritePlacement {
    std::string entry;  // the template entry
    int x, y, width, height;
};

struct CoverArt {
    std::vector<SpritePicture> pictures;
    std::vector<SpritePlacement> placements;
};

struct CoverFonts {
    const FontFace& title;
    const FontFace& label;
};

CoverArt MakeCoverArt(const CoverFonts& fonts);
