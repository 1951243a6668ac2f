// Screenshots as 8-bit RGB PNG files, through libpng's simplified API.

#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/host/host_local.h"

namespace host {

bool WritePng(const std::string& path, const PixelSurface& surface) {
    if (!surface.valid()) return false;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(surface.width) * size_t(surface.height) * 3);
    for (int y = 0; y < surface.height; ++y)
        for (int x = 0; x < surface.width; ++x) {
            const uint32_t pixel = ReadPixel(surface, x, y);
            rgb.insert(rgb.end(), {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)});
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(surface.width);
    image.height = png_uint_32(surface.height);
    image.format = PNG_FORMAT_RGB;
    std::FILE* file = std::fopen(path.c_str(), "wbe");  // not handed to a relaunched successor
    if (!file) return false;
    const bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return std::fclose(file) == 0 && written;
}

}  // namespace host
