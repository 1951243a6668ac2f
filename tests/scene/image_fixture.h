#pragma once
// Image tests run on a headless host of a chosen display depth, catch every
// message box, and may write files into a private temporary folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/frame_buffer.h"
#include "platform/host/host.h"
#include "platform/host/pixel_surface.h"
#include "scene/scene_state.h"

namespace imagetest {

struct Box {
    std::u16string text;
    std::u16string title;
    uint32_t style = 0;
};

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { startHost(32); }
    void TearDown() override {
        ResetSceneState();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    void startHost(int depth) {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.depth = depth;
        options.instance = "test-" + std::to_string(::getpid());
        host::InitializeWith(options);
        host::SetMessageBoxHook([this](const std::u16string& text, const std::u16string& title, uint32_t style) {
            boxes.push_back(Box{text, title, style});
            return host::IDOK;
        });
    }

    // A file in the test's temporary folder; returns its path.
    std::u16string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::u16string path = folder() + host::FromUtf8(name);
        std::ofstream(dir_ + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    // The temporary folder, made on first use, ending in "/".
    std::u16string folder() {
        if (dir_.empty()) {
            char pattern[] = "/tmp/karrowen-image-XXXXXX";
            EXPECT_NE(mkdtemp(pattern), nullptr);
            dir_ = pattern;
        }
        return host::FromUtf8(dir_ + "/");
    }

    std::vector<Box> boxes;

private:
    std::string dir_;
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
