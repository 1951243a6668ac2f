#include "jpeg_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    auto* error = reinterpret_cast<ErrorExit*>(info->err);
    std::longjmp(error->jump, 1);
}

uint8_t Channel(float premultiplied, float alpha) {
    float straight = alpha > 0 ? premultiplied / alpha : 0;
    return static_cast<uint8_t>(std::clamp(straight * 255.0f + 0.5f, 0.0f, 255.0f));
}

std::vector<uint8_t> RgbRows(const Image& image) {
    std::vector<uint8_t> rgb(static_cast<size_t>(image.width()) * image.height() * 3);
    size_t i = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Pixel& p = image.at(x, y);
            rgb[i++] = Channel(p.r, p.a);
            rgb[i++] = Channel(p.g, p.a);
            rgb[i++] = Channel(p.b, p.a);
        }
    return rgb;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
    if (image.width() <= 0 || image.height() <= 0) return {};
    std::vector<uint8_t> rgb = RgbRows(image);
    jpeg_compress_struct info{};
    ErrorExit error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    // Everything the jump can skip lives above it or in libjpeg's own pool.
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    const JDIMENSION stride = info.image_width * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(info.next_scanline) * stride;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}
