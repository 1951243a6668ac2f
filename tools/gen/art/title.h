#pragma once
// The title art: the word set in a heavy face, arched, extruded, outlined and
// glowing, with a shine that sweeps across it now and then.

#include <string>
#include <vector>

#include "raster/image.h"
#include "raster/text.h"

struct TitleArt {
    std::vector<Image> frames;
    std::vector<int> delays;  // hundredths of a second per frame
};

TitleArt MakeTitleArt(const std::string& word, const FontFace& font, int width, int height);
