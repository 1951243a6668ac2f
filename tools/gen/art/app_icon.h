#pragma once
// The program's icon: Tobbin's face on a rounded tile of the night maze. Large
// icons are drawn at their size; small ones are drawn at 128 pixels or more
// and reduced, so that their outlines keep the large icon's proportions.

#include <vector>

#include "raster/image.h"

// The square sizes a desktop's icon theme expects, in pixels.
const std::vector<int>& AppIconSizes();

// A size x size picture; the tile's corners are transparent.
Image MakeAppIcon(int size);
