#include "platform/frame_buffer.h"

#include <cstdlib>
#include <new>

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
    if (imageBytes > 0) {
        storage_.reset(static_cast<uint8_t*>(std::calloc(size_t(imageBytes), 1)));
        if (!storage_) throw std::bad_alloc();
    }
    pixels = storage_.get();
    deviceContext = std::make_unique<host::DeviceContext>(surface());
}

void FrameBuffer::Free::operator()(uint8_t* p) const { std::free(p); }

host::PixelSurface FrameBuffer::surface() const {
    return host::PixelSurface{pixels, width, height, rowStride, bitsPerPixel};
}
