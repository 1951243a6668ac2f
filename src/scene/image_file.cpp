#include "scene/image_file.h"

#include <string>

#include "data/property_file.h"
#include "data/resource.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/gif_decoder.h"
#include "scene/jpeg_decoder.h"

bool IsJpegPath(std::u16string_view path) {
    for (std::u16string_view ext : {u".jpg", u".JPG", u".jpeg", u".JPEG"})
        if (path.find(ext) != std::u16string_view::npos) return true;
    return false;
}

bool IsGifPath(std::u16string_view path) {
    return path.find(u".gif") != std::u16string_view::npos || path.find(u".GIF") != std::u16string_view::npos;
}

std::optional<std::vector<uint8_t>> ReadImageFile(std::u16string_view path) {
    std::optional<std::vector<uint8_t>> content = ReadResourceFile(path);
    if (!content)
        host::MessageBox(nullptr, u"Error: can not find the image '" + std::u16string(path) + u"'.", u"Exception",
                         host::MB_OK | host::MB_ICONEXCLAMATION);
    return content;
}

std::unique_ptr<FrameBuffer> LoadFrameBuffer(std::u16string_view path, bool screenDepth) {
    if (IsJpegPath(path)) return LoadJpeg(path, screenDepth);
    if (IsGifPath(path)) {
        FrameList frames;
        if (LoadGif(path, frames, true, screenDepth) > 0) return std::move(frames.front());
    } else {
        host::MessageBox(nullptr, u"Error: " + std::u16string(path) + u" is not a supported image.", u"Error",
                         host::MB_OK | host::MB_ICONEXCLAMATION);
    }
    return std::make_unique<FrameBuffer>(0, 0, screenDepth);
}

PictureChoice ChoosePicture(std::u16string_view path) {
    constexpr int kLargeFromScale = 3 << 15;  // 1.5 in 16.16
    if (Design().scale >= kLargeFromScale) {
        std::u16string large = LargePictureName(path);
        if (!large.empty() && ResourceExists(large)) return {std::move(large), 2};
    }
    return {std::u16string(path), 1};
}
