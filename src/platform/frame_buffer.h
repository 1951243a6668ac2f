#pragma once
// The one pixel surface of the program: a top-down bitmap in the display's
// format (16-bit 5-6-5 or 32-bit 0x00RRGGBB) with a device context for drawing.
// Images, texture frames, scene buffers, window back buffers and the 3D target
// are all frame buffers.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host/device_context.h"
#include "platform/host/pixel_surface.h"

class FrameBuffer {
public:
    // A blank frame buffer (pixels zero) in the display's depth when screenDepth
    // is set, else in 32 bits. Negative sizes count by their absolute value.
    FrameBuffer(int width, int height, bool screenDepth);
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    // The depth of the display: 16 below 24 bits, 32 from 24 bits up.
    static int DisplayDepth();

    host::PixelSurface surface() const;
    bool empty() const { return width == 0 || height == 0; }

    uint8_t* pixels = nullptr;  // first byte of the top row
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int rowStride = 0;  // ((bitsPerPixel * width + 31) / 32) * 4
    int bitsPerPixel = 0;
    int imageBytes = 0;
    int reserved = 0;
    bool screenDepth = false;
    std::unique_ptr<host::DeviceContext> deviceContext;
    uint32_t transparentColor = 0xFFFFFFFF;  // 0xRRGGBB colour key, or none
    float frameDelay = 0.0f;                 // seconds, for animation frames

private:
    // calloc'd: large buffers then come straight from the system as zero pages,
    // which matters when an animation allocates dozens of them at load time.
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> storage_;
};
