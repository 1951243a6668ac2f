#pragma once
// The GIF decoder: every frame of a GIF87a or GIF89a file, each composed onto
// a full logical-screen bitmap with the previous frame's disposal applied, in
// the pixel format of the display or in 32 bits.
//
// Whatever the data holds, the decoder reads only inside it and writes only
// inside the frames it creates. Problems are told with the system's message
// boxes; the frames decoded before a problem are kept.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/frame_buffer.h"

using FrameList = std::vector<std::unique_ptr<FrameBuffer>>;

// Keeps a hostile file from exhausting memory: decoding stops, with a
// warning, before the frames together would pass this many pixels. It holds
// about a thousand frames of 512 x 512 (a GiB in 32 bits). A logical screen
// larger than kMaxImagePixels fails every image.
inline constexpr int64_t kGifMaxTotalPixels = int64_t(1) << 28;

// Appends the frames of the GIF in `data` to `frames` and returns how many were
// appended. `path` only names the file in messages. With `firstOnly` decoding
// stops after the first frame.
int DecodeGif(std::span<const uint8_t> data, std::u16string_view path, FrameList& frames, bool firstOnly,
              bool screenDepth, int64_t pixelBudget = kGifMaxTotalPixels);

// Reads the file through the resource layer, then decodes it as above.
int LoadGif(std::u16string_view path, FrameList& frames, bool firstOnly, bool screenDepth);
