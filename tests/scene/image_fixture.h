#pragma once
// Image tests run on the shared headless host at a chosen display depth.

#include <string>
#include <vector>

#include "platform/frame_buffer.h"
#include "platform/host/host.h"
#include "platform/host/pixel_surface.h"
#include "scene/scene_state.h"
#include "support/test_host.h"

namespace imagetest {

using testhost::Box;

class ImageTest : public testhost::HostTest {
protected:
    ImageTest() : HostTest(ResetSceneState) {}
    void SetUp() override { startHost(32); }
    void startHost(int depth) { start({.depth = depth}); }

    // A file in the test's temporary folder; returns its path.
    std::u16string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return host::FromUtf8(scratch.write(name, bytes));
    }
    // The temporary folder, ending in "/".
    std::u16string folder() { return scratch.path16(); }
};

// A colour as a frame buffer of `bits` depth stores it, read back as 0xRRGGBB.
inline uint32_t Stored(uint32_t rgb, int bits) { return bits == 16 ? host::Rgb565ToRgb(host::RgbTo565(rgb)) : rgb; }

inline uint32_t At(const FrameBuffer& fb, int x, int y) { return host::ReadPixel(fb.surface(), x, y); }

// Rows of 0xRRGGBB pixels, for comparing whole small pictures.
inline std::vector<std::vector<uint32_t>> Pixels(const FrameBuffer& fb) {
    std::vector<std::vector<uint32_t>> rows(size_t(fb.height), std::vector<uint32_t>(size_t(fb.width)));
    for (int y = 0; y < fb.height; ++y)
        for (int x = 0; x < fb.width; ++x) rows[size_t(y)][size_t(x)] = At(fb, x, y);
    return rows;
}

}  // namespace imagetest
