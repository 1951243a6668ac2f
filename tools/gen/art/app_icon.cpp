#include "art/app_icon.h"

#include "art/characters.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

const std::vector<int>& AppIconSizes() {
    static const std::vector<int> sizes{16, 32, 48, 64, 128, 256};
    return sizes;
}

namespace {

// Tobbin's outlines keep a minimum width in pixels, too heavy in a small
// picture: small icons are drawn at a whole multiple of their size of at
// least this many pixels and reduced.
constexpr int kSmallestDrawn = 128;

// Each target pixel is the mean of a factor x factor block (premultiplied, so
// the transparent corners do not darken the edge).
Image Reduce(const Image& image, int factor) {
    Image reduced(image.width() / factor, image.height() / factor);
    const float weight = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < reduced.height(); ++y)
        for (int x = 0; x < reduced.width(); ++x) {
            Pixel sum;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const Pixel& p = image.at(x * factor + dx, y * factor + dy);
                    sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
                }
            reduced.at(x, y) = {sum.r * weight, sum.g * weight, sum.b * weight, sum.a * weight};
        }
    return reduced;
}

Image DrawIcon(int size) {
    Image image(size, size);
    const float s = static_cast<float>(size);
    // The tile fills the square but for a small margin that keeps it from
    // touching its neighbours in a launcher grid.
    const float margin = s * 0.04f;
    Mask tile = RoundRectMask(size, size, margin, margin, s - 2 * margin, s - 2 * margin, s * 0.18f);
    FillMask(image, tile,
             RadialGradient({s * 0.5f, s * 0.42f}, s * 0.7f, {{0, Hex(0x3A2478)}, {1, Hex(0x0E0A24)}}));
    // The maze's neon edge.
    const float inset = margin + s * 0.035f;
    Mask inner = RoundRectMask(size, size, inset, inset, s - 2 * inset, s - 2 * inset, s * 0.15f);
    FillMask(image, Subtract(Dilate(inner, s * 0.012f), inner), WithAlpha(Hex(0x7FE3FF), 0.8f));
    TobbinPose pose;
    pose.centre = {s * 0.5f, s * 0.56f};
    pose.radius = s * 0.3f;
    pose.groundY = s * 0.9f;
    pose.look = {0.15f, 0.1f};
    DrawTobbin(image, pose);
    // The glow and the shadow must not spill over the tile's rounded corners.
    Image clipped(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Pixel p = image.at(x, y);
            float keep = tile.at(x, y);
            clipped.at(x, y) = {p.r * keep, p.g * keep, p.b * keep, p.a * keep};
        }
    return clipped;
}

}  // namespace

Image MakeAppIcon(int size) {
    int factor = (kSmallestDrawn + size - 1) / size;
    return factor > 1 ? Reduce(DrawIcon(size * factor), factor) : DrawIcon(size);
}
