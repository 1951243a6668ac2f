#include "picture_files.h"

#include "scene/gif_encoder.h"

std::vector<uint8_t> EncodeGifFile(const PictureFile& file) {
    const IndexedFrames& in = file.indexed;
    GifImage gif;
    gif.width = in.width;
    gif.height = in.height;
    for (const Rgb8& c : in.palette) gif.palette.push_back(static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b);
    gif.backgroundIndex = in.transparentIndex >= 0 ? in.transparentIndex : 0;
    gif.loopCount = in.frames.size() > 1 ? 0 : -1;
    for (size_t i = 0; i < in.frames.size(); ++i) {
        GifFrame frame;
        frame.width = in.width;
        frame.height = in.height;
        frame.indices = in.frames[i];
        frame.delay = i < file.delays.size() ? file.delays[i] : 0;
        frame.transparentIndex = in.transparentIndex;
        // Every frame is whole. With transparency the area is cleared to the
        // transparent colour first ("restore to background"), so nothing of
        // the previous frame shows through its clear pixels.
        frame.disposal = in.transparentIndex >= 0 ? 2 : 1;
        gif.frames.push_back(std::move(frame));
    }
    return EncodeGif(gif);
}
