#pragma once
// Reduces float pictures to the indexed colour of GIF files: one palette of
// at most 256 colours shared by all frames of an animation, chosen by median
// cut refined with a few k-means rounds, optionally with ordered dithering,
// and an optional transparent index for pixels without opacity.

#include <cstdint>
#include <vector>

#include "raster/image.h"

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

struct IndexedFrames {
    int width = 0;
    int height = 0;
    std::vector<Rgb8> palette;  // at most 256 entries
    int transparentIndex = -1;  // -1: no transparent pixels
    std::vector<std::vector<uint8_t>> frames;  // width x height indices, rows top to bottom
};

struct QuantizeOptions {
    int maxColors = 256;  // the transparent entry included
    // Amplitude of the ordered (8 x 8 Bayer) dither in colour levels 0..255; 0 = none.
    float dither = 0;
    // Pixels whose opacity is at most this become transparent.
    float alphaCutoff = 0.5f / 255;
    // Colour of the transparent entry. No other palette entry is allowed to
    // equal it even after reduction to 5-6-5, since 16-bit displays compare
    // the colour key in that form.
    Rgb8 key{255, 0, 255};
};

// All frames must have the same size.
IndexedFrames Quantize(const std::vector<Image>& frames, const QuantizeOptions& options);
// The opacity of each frame as a 256-level grey picture (255 = opaque).
IndexedFrames OpacityFrames(const std::vector<Image>& frames);
// What a decoder shows for one frame: palette colours, transparent pixels clear.
Image ToImage(const IndexedFrames& indexed, size_t frame);
// A 24-bit colour as a 16-bit 5-6-5 display keeps it.
uint16_t To565(Rgb8 c);
