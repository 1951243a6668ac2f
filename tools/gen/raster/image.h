#pragma once
// The generator's drawing surfaces: `Image`, a float RGBA picture stored
// premultiplied (so blurring and scaling do not darken edges), and `Mask`, a
// coverage map in 0..1 that shapes are rasterised into before they are painted.

#include <cassert>
#include <functional>
#include <vector>

#include "raster/color.h"
#include "raster/geometry.h"

struct Pixel {
    float r = 0, g = 0, b = 0, a = 0;  // premultiplied by a
};

class Mask {
public:
    Mask() = default;
    // Every pixel can be written.
    Mask(int width, int height);
    // Only the pixels of `storage` can be written; the rest stay zero. A shape
    // mostly covers a small part of its picture, and a whole picture's worth
    // of coverage for each star or spark is what made drawing slow.
    Mask(int width, int height, const PixelRect& storage);

    int width() const { return width_; }
    int height() const { return height_; }
    PixelRect area() const { return {0, 0, width_, height_}; }
    // Every pixel outside this rectangle is zero.
    const PixelRect& bounds() const { return bounds_; }
    void setBounds(const PixelRect& r) { bounds_ = r.intersect(area()); }

    float at(int x, int y) const { return stored(x, y) ? values_[index(x, y)] : 0.0f; }
    // Inside the storage only.
    void set(int x, int y, float value) {
        assert(stored(x, y));
        values_[index(x, y)] = value;
    }
    // Zero outside the mask.
    float sample(int x, int y) const { return at(x, y); }

private:
    bool stored(int x, int y) const { return x >= storage_.x0 && y >= storage_.y0 && x < storage_.x1 && y < storage_.y1; }
    size_t index(int x, int y) const {
        return static_cast<size_t>(y - storage_.y0) * storage_.width() + static_cast<size_t>(x - storage_.x0);
    }

    int width_ = 0;
    int height_ = 0;
    PixelRect bounds_;
    PixelRect storage_;
    std::vector<float> values_;
};

enum class Blend {
    Normal,  // source over destination
    Add,     // light added to what is there (glows); opacity as Normal
    Erase,   // removes opacity: destination scaled by (1 - coverage)
};

// A colour at a point (pixel centres are at +0.5).
using Paint = std::function<Color(float x, float y)>;

class Image {
public:
    Image() = default;
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    PixelRect area() const { return {0, 0, width_, height_}; }

    const Pixel& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    Pixel& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // The straight colour of a pixel.
    Color colorAt(int x, int y) const;

    // Paints `color` with the given coverage (0..1) at one pixel.
    void blendPixel(int x, int y, Color color, float coverage, Blend mode = Blend::Normal);
    void fill(Color color);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel> pixels_;
};

// Paints through a mask: each pixel gets the paint's colour with the mask's coverage.
void FillMask(Image& image, const Mask& mask, const Paint& paint, Blend mode = Blend::Normal);
void FillMask(Image& image, const Mask& mask, Color color, Blend mode = Blend::Normal);
// Paints the whole picture (a background).
void FillAll(Image& image, const Paint& paint);
// Draws `src` with its top-left corner at (dx, dy), scaled by opacity.
void DrawImage(Image& dst, const Image& src, int dx, int dy, float opacity = 1.0f, Blend mode = Blend::Normal);
// Draws `src` scaled to a w x h rectangle at (dx, dy) (box filter when shrinking,
// bilinear when enlarging).
void DrawImageScaled(Image& dst, const Image& src, float dx, float dy, float w, float h, float opacity = 1.0f);
// Multiplies every pixel's opacity by the mask (the picture keeps only what the mask covers).
void ClipToMask(Image& image, const Mask& mask);
// The opacity of every pixel.
Mask AlphaMask(const Image& image);

// The mask operations return new masks of the same size.
Mask Union(const Mask& a, const Mask& b);
Mask Intersect(const Mask& a, const Mask& b);
Mask Subtract(const Mask& a, const Mask& b);
Mask ScaleMask(const Mask& m, float factor);
// Moves the content by whole pixels.
Mask ShiftMask(const Mask& m, int dx, int dy);
