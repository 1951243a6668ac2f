#pragma once
// Turns the art into the files the game reads: each picture is reduced to
// indexed colour and written as a GIF, its pressed look as a second GIF of
// the same outline, and its opacity as a grey GIF for the sprite's
// "textureAlpha".

#include <string>
#include <vector>

#include "art/cover.h"
#include "raster/quantize.h"

struct PictureFile {
    std::string name;
    IndexedFrames indexed;
    std::vector<int> delays;  // hundredths of a second per frame
};

// The files of one sprite picture: the colour GIF, then the pressed look and
// the opacity picture when the sprite has them.
std::vector<PictureFile> PictureFiles(const SpritePicture& picture);

// The GIF bytes of a picture file: every frame full size with the shared
// palette, looping forever when there is more than one frame.
std::vector<uint8_t> EncodeGifFile(const PictureFile& file);

// What the game draws for a sprite: the colour of `texture`'s frame with the
// opacity of the same frame of `alpha` (null: only the transparent colour is clear).
Image SpriteLook(const PictureFile& texture, const PictureFile* alpha, size_t frame);
