#pragma once
// Golden pictures as 8-bit RGB PNG files, through libpng's simplified API.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace r3test {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, rows top to bottom
};

inline bool WritePng(const std::string& path, const Picture& picture) {
    std::vector<uint8_t> rgb;
    for (uint32_t p : picture.pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

// Any PNG file, its pixels converted to 8-bit RGB.
inline bool ReadPng(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.pixels.clear();
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        picture.pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return true;
}

}  // namespace r3test
