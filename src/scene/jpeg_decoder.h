#pragma once
// JPEG images through libjpeg, decoded from memory into a frame buffer of the
// display's format (or 32 bits).
//
// A file libjpeg cannot decode shows the "Error" message once and gives an
// empty image; it never ends the program.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/frame_buffer.h"

// Never null: an empty (0 x 0) frame buffer when the data cannot be decoded.
// `path` only names the file in the message.
std::unique_ptr<FrameBuffer> DecodeJpeg(std::span<const uint8_t> data, std::u16string_view path, bool screenDepth);

// Reads the file through the resource layer, then decodes it as above.
std::unique_ptr<FrameBuffer> LoadJpeg(std::u16string_view path, bool screenDepth);
