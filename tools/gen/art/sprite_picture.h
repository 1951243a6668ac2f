#pragma once
// A sprite's pictures as the generator makes them, and where a template is
// expected to place the sprite.

#include <string>
#include <vector>

#include "raster/image.h"

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
    // Drawn with the colour key only (no opacity picture): pixels at least
    // half opaque keep their colour, the rest become the key.
    bool keyed = false;
};

struct SpritePlacement {
    std::string entry;  // the template entry
    int x, y, width, height;
};

// The pictures of one screen and where its template places them.
struct ScreenArt {
    std::string templateName;  // the hand-written template that shows them
    std::vector<SpritePicture> pictures;
    std::vector<SpritePlacement> placements;
};
