#include "picture_files.h"

#include <algorithm>

namespace {

// The pressed look restricted to the outline of the normal look: where the
// pressed picture has no colour of its own it takes the normal colour, so
// that no dark fringe shows where the opacity picture lets it through.
Image PressedOnNormalOutline(const Image& pressed, const Image& normal) {
    Image out(normal.width(), normal.height());
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x) {
            float a = normal.at(x, y).a;
            if (a <= 0) continue;
            Color c = pressed.at(x, y).a > 0.02f ? pressed.colorAt(x, y) : normal.colorAt(x, y);
            out.at(x, y) = {c.r * a, c.g * a, c.b * a, a};
        }
    return out;
}

}  // namespace

std::vector<PictureFile> PictureFiles(const SpritePicture& picture) {
    QuantizeOptions options;
    options.dither = picture.dither;
    if (picture.keyed) options.alphaCutoff = 0.5f;
    std::vector<PictureFile> files;
    files.push_back({picture.file, Quantize(picture.frames, options), picture.delays});
    if (!picture.brightFile.empty()) {
        Image pressed = PressedOnNormalOutline(picture.bright, picture.frames.front());
        files.push_back({picture.brightFile, Quantize({pressed}, options), {0}});
    }
    if (!picture.alphaFile.empty()) files.push_back({picture.alphaFile, OpacityFrames(picture.frames), picture.delays});
    return files;
}

Image SpriteLook(const PictureFile& texture, const PictureFile* alpha, size_t frame) {
    Image look = ToImage(texture.indexed, frame);
    if (!alpha) return look;
    size_t alphaFrame = std::min(frame, alpha->indexed.frames.size() - 1);
    const std::vector<uint8_t>& grey = alpha->indexed.frames[alphaFrame];
    for (int y = 0; y < look.height(); ++y)
        for (int x = 0; x < look.width(); ++x) {
            float a = alpha->indexed.palette[grey[static_cast<size_t>(y) * look.width() + x]].r / 255.0f;
            Pixel& p = look.at(x, y);
            p = {p.r * a, p.g * a, p.b * a, p.a * a};
        }
    return look;
}
