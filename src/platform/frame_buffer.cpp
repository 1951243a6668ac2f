#include "platform/frame_buffer.h"

#include <cstdlib>

#include "platform/host/host.h"

int FrameBuffer::DisplayDepth() {
    int depth = host::ScreenDepth();
    if (depth < 16) return 16;
    if (depth >= 24) return 32;
    return depth;
}

FrameBuffer::FrameBuffer(int w, int h, bool inScreenDepth) {
    width = std::abs(w);
    height = std::abs(h);
    screenDepth = inScreenDepth;
    bitsPerPixel = inScreenDepth ? DisplayDepth() : 32;
    bytesPerPixel = bitsPerPixel / 8;
    rowStride = ((bitsPerPixel * width + 31) / 32) * 4;
    imageBytes = rowStride * height;
    storage_.assign(size_t(imageBytes), 0);
    pixels = storage_.empty() ? nullptr : storage_.data();
    deviceContext = std::make_unique<host::DeviceContext>(surface());
}

host::PixelSurface FrameBuffer::surface() const {
    return host::PixelSurface{pixels, width, height, rowStride, bitsPerPixel};
}
