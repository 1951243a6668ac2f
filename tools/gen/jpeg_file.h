#pragma once
// JPEG files for the opaque pictures the game loads as photographs (the
// levels' backdrops), written with libjpeg's compressor.

#include <cstdint>
#include <vector>

#include "raster/image.h"

// Baseline JPEG of the picture's colours (opacity is ignored), at a quality
// of 1..100. Empty on failure. The same picture always gives the same bytes.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);
