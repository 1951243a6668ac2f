#pragma once
// PNG output of pictures, for looking at the art while it is made; the game
// itself reads GIF files only.

#include <string>

#include "raster/image.h"

// Writes 8-bit RGBA. False when the file cannot be written.
bool WritePng(const std::string& path, const Image& image);
