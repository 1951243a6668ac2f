#pragma once
// Image files: the choice of decoder by file name, and the reading and
// messages the decoders share.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/frame_buffer.h"

// The largest image the decoders accept, in pixels; larger ones are refused
// as broken rather than allowed to exhaust memory.
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 24;

// By the name alone, case-sensitively: ".jpg", ".JPG", ".jpeg" or ".JPEG"
// anywhere in the path; ".gif" or ".GIF" anywhere in the path.
bool IsJpegPath(std::u16string_view path);
bool IsGifPath(std::u16string_view path);

// Loads one image: a JPEG, else the first frame of a GIF, chosen by IsJpegPath
// and IsGifPath. Never null: when the file is of neither kind (the user is
// told), missing or unreadable, the result is an empty (0 x 0) frame buffer.
std::unique_ptr<FrameBuffer> LoadFrameBuffer(std::u16string_view path, bool screenDepth);

// The whole file through the resource layer; tells the user when it cannot be
// read.
std::optional<std::vector<uint8_t>> ReadImageFile(std::u16string_view path);

// The file to load for the picture at `path` on this screen, and how many
// times the named picture's size it is. Where a design pixel covers one and a
// half screen pixels or more and the picture exists drawn at twice the size
// (LargePictureName), that file and 2; otherwise `path` and 1. At the design
// size the named picture is always the one loaded.
struct PictureChoice {
    std::u16string path;
    int scale = 1;
};
PictureChoice ChoosePicture(std::u16string_view path);
