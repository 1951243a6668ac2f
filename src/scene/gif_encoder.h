#pragma once
// A GIF89a writer for pictures the project makes itself (generated assets,
// benchmark input): one or more frames of palette indices with their own
// offsets, palettes, delays, disposal and transparency, LZW-compressed.

#include <cstddef>
#include <cstdint>
#include <vector>

struct GifFrame {
    int left = 0, top = 0;      // offset inside the logical screen
    int width = 0, height = 0;  // size of this image
    std::vector<uint8_t> indices;  // width x height palette indices, rows top to bottom
    std::vector<uint32_t> palette;  // local palette (0xRRGGBB, up to 256); empty: the global one
    int delay = 0;                  // hundredths of a second
    int disposal = 0;               // 0 none, 1 keep, 2 restore to background, 3 restore previous
    int transparentIndex = -1;      // -1: no transparency
    bool interlaced = false;        // stored in the four interlace passes
};

struct GifImage {
    int width = 0, height = 0;      // logical screen
    std::vector<uint32_t> palette;  // global palette (0xRRGGBB, up to 256); may be empty
    int backgroundIndex = 0;
    int loopCount = -1;  // -1: play once (no loop block); 0: forever; n: n repeats
    std::vector<GifFrame> frames;
};

// The whole file. Palettes are padded with black to a power of two; a frame
// whose indices do not fill width x height is padded with index 0.
std::vector<uint8_t> EncodeGif(const GifImage& image);

// The LZW code stream of a GIF image (before it is cut into sub-blocks), for
// indices below 2^minimumCodeSize; minimumCodeSize is 2 to 8.
std::vector<uint8_t> EncodeGifLzw(const uint8_t* indices, size_t count, int minimumCodeSize);

// Indexes 0xRRGGBB pixels with an exact palette of their distinct colours, in
// order of first appearance. False, with the outputs unspecified, when there
// are more than `maxColours` (at most 256).
bool BuildExactPalette(const uint32_t* pixels, size_t count, std::vector<uint32_t>& palette,
                       std::vector<uint8_t>& indices, size_t maxColours = 256);
