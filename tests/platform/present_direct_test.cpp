#include "platform/direct_display.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/device_info.h"
#include "platform/frame_buffer.h"
#include "platform/host/host_local.h"
#include "support/test_host.h"

namespace {

constexpr uint16_t kUntouched = 0xDEAD;

// Display memory of w x h 16-bit pixels with pitches in bytes, either sign.
struct Memory {
    int width, height, xPitch, yPitch;
    std::vector<uint16_t> buffer;
    uint16_t* origin = nullptr;

    Memory(int w, int h, int xp, int yp) : width(w), height(h), xPitch(xp), yPitch(yp) {
        int px = xp / 2, py = yp / 2;
        buffer.assign(size_t(std::abs(px) * (w - 1) + std::abs(py) * (h - 1) + 1), kUntouched);
        origin = buffer.data() + (px < 0 ? -px * (w - 1) : 0) + (py < 0 ? -py * (h - 1) : 0);
    }
    uint16_t at(int X, int Y) const { return origin[X * (xPitch / 2) + Y * (yPitch / 2)]; }
};

// Source pixels carry their own coordinates so every landing place is checkable.
uint16_t Tag(int x, int y) { return uint16_t((y << 9) | x); }

void FillTagged(FrameBuffer& fb) {
    for (int y = 0; y < fb.height; ++y)
        for (int x = 0; x < fb.width; ++x) reinterpret_cast<uint16_t*>(fb.pixels + y * fb.rowStride)[x] = Tag(x, y);
}

class PresentDirectTest : public testhost::HostTest {
protected:
    void open(Memory& memory, int rotationMode, bool highResolution = false, int offsetX = 0, int offsetY = 0) {
        DisplayMode& m = Display();
        m = DisplayMode{};
        m.displayOpen = true;
        m.framePointer = reinterpret_cast<uint8_t*>(memory.origin);
        m.width = memory.width;
        m.height = memory.height;
        m.xPitch = memory.xPitch;
        m.yPitch = memory.yPitch;
        m.rotationMode = rotationMode;
        Device().highResolution = highResolution;
        Design().offsetX = offsetX;
        Design().offsetY = offsetY;
    }

    // The source pixels of `area` (all when empty) where the rotation table
    // puts them, `scale` times over, and nothing elsewhere.
    void expectRotated(const Memory& memory, int mode, int ox, int oy, int W, int H, int scale, host::Rect area) {
        if (area.empty()) area = {0, 0, W, H};
        std::vector<bool> written(size_t(memory.width) * memory.height, false);
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                int X = ox + x, Y = oy + y;
                if (mode == 1) X = ox + y, Y = oy + W - 1 - x;
                if (mode == 2) X = ox + W - 1 - x, Y = oy + H - 1 - y;
                if (mode == 4) X = ox + H - 1 - y, Y = oy + x;
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx) {
                        int mx = X * scale + dx, my = Y * scale + dy;
                        ASSERT_EQ(memory.at(mx, my), Tag(x, y)) << "source " << x << "," << y << " mode " << mode;
                        written[size_t(my) * memory.width + mx] = true;
                    }
            }
        }
        for (int Y = 0; Y < memory.height; ++Y)
            for (int X = 0; X < memory.width; ++X)
                if (!written[size_t(Y) * memory.width + X]) {
                    ASSERT_EQ(memory.at(X, Y), kUntouched) << X << "," << Y;
                }
    }
};

// A surface presented, whole or an area of it, into display memory of some
// layout: every pixel lands where the rotation mode puts it, `scale` times
// over, and nowhere else.
struct Layout {
    const char* name;
    int mode, surfaceW, surfaceH, memoryW, memoryH, xPitch, yPitch;
    bool highResolution = false;
    int offsetX = 0, offsetY = 0;
    host::Rect area{};
};

// Turned copies go in tiles of several rows and columns: an area whose sides
// are no multiple of the tile, starting off a tile boundary, must still land
// whole, with its leftover rows and columns.
constexpr host::Rect kOddArea{3, 5, 3 + 21, 5 + 13};

const Layout kLayouts[] = {
    {"Mode0", 0, 240, 320, 240, 320, 2, 480},
    {"Mode0BottomUp", 0, 240, 320, 240, 320, 2, -480},
    // The iPAQ H3800 layout, with a letterbox.
    {"Mode0ColumnMajorLetterboxed", 0, 200, 300, 240, 320, -640, 2, false, 20, 10},
    {"Mode1LandscapeIntoPortrait", 1, 320, 240, 240, 320, 2, 480},
    {"Mode2UpsideDown", 2, 240, 320, 240, 320, 2, 480},
    {"Mode2ReversedRows", 2, 240, 320, 240, 320, -2, -480},
    // The origin's x becomes display width - surface height - x = 0.
    {"Mode4PortraitIntoLandscape", 4, 240, 320, 320, 240, 2, 640},
    {"Mode0HighResolution", 0, 240, 320, 480, 640, 2, 960, true},
    {"Mode1HighResolution", 1, 320, 240, 480, 640, 2, 960, true},
    {"Mode2HighResolution", 2, 240, 320, 480, 640, 2, 960, true},
    {"Mode1OddArea", 1, 320, 240, 240, 320, 2, 480, false, 0, 0, kOddArea},
    {"Mode4OddArea", 4, 240, 320, 320, 240, 2, 640, false, 0, 0, kOddArea},
    {"Mode0ColumnMajorOddArea", 0, 240, 320, 240, 320, -640, 2, false, 0, 0, kOddArea},
};

class PresentLayouts : public PresentDirectTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(PresentLayouts, EveryPixelLandsWhereTheRotationPutsIt) {
    const Layout& l = GetParam();
    FrameBuffer fb(l.surfaceW, l.surfaceH, true);
    FillTagged(fb);
    Memory memory(l.memoryW, l.memoryH, l.xPitch, l.yPitch);
    open(memory, l.mode, l.highResolution, l.offsetX, l.offsetY);
    host::Rect area = l.area;
    PresentDirect(fb.surface(), area.empty() ? nullptr : &area);
    expectRotated(memory, l.mode, l.offsetX, l.offsetY, l.surfaceW, l.surfaceH, l.highResolution ? 2 : 1, l.area);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PresentLayouts, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PresentDirectTest, RectangleIsClampedAndWrittenBack) {
    FrameBuffer fb(240, 320, true);
    FillTagged(fb);
    Memory memory(240, 320, 2, 480);
    open(memory, 0);
    host::Rect rect{-5, 300, 10, 400};
    PresentDirect(fb.surface(), &rect);
    EXPECT_TRUE(rect.left == 0 && rect.top == 300 && rect.right == 10 && rect.bottom == 320);
    expectRotated(memory, 0, 0, 0, 240, 320, 1, rect);
}

TEST_F(PresentDirectTest, NeverWritesOutsideTheDisplay) {
    // A back buffer larger than the display memory, placed off its edge.
    FrameBuffer fb(300, 400, true);
    FillTagged(fb);
    for (int mode : {0, 1, 2, 4}) {
        Memory memory(240, 320, 2, 480);
        open(memory, mode, false, 30, 50);
        PresentDirect(fb.surface(), nullptr);  // ASan guards the buffer's ends
        int written = 0;
        for (uint16_t p : memory.buffer) written += p != kUntouched;
        EXPECT_GT(written, 0) << "mode " << mode;
    }
}

TEST_F(PresentDirectTest, ThirtyTwoBitSurfacesAreConverted) {
    start({.profile = "desktop", .depth = 32, .screenWidth = 240, .screenHeight = 320});
    FrameBuffer fb(4, 2, true);
    ASSERT_EQ(fb.bitsPerPixel, 32);
    reinterpret_cast<uint32_t*>(fb.pixels)[1] = 0xFF8000;
    Memory memory(4, 2, 2, 8);
    open(memory, 0);
    PresentDirect(fb.surface(), nullptr);
    EXPECT_EQ(memory.at(1, 0), host::RgbTo565(0xFF8000));
    EXPECT_EQ(memory.at(0, 0), 0);
}

using OpenDirectTest = testhost::HostTest;

TEST_F(OpenDirectTest, ChoosesDisplayMemoryAndRotationPerDevice) {
    start({.profile = "ipaq-h3800"});
    OpenDirect(nullptr, true, true);
    EXPECT_EQ(Display().xPitch, -640);
    EXPECT_EQ(Display().yPitch, 2);
    EXPECT_EQ(Display().framePointer, host::GetDisplayMemory()->framePointer);
    EXPECT_EQ(Display().rotationMode, 0);
    EXPECT_EQ(KeyCodeA(), 0xC1);
    EXPECT_EQ(KeyCodeStart(), 0xC4);
    CloseDirect();
    EXPECT_FALSE(Display().displayOpen);
    EXPECT_EQ(Display().framePointer, nullptr);

    start({.profile = "pocketpc"});  // system 4, Game API buffer in video memory
    OpenDirect(nullptr, true, false);
    EXPECT_TRUE(Display().drawBegun);
    EXPECT_NE(Display().framePointer, nullptr);
    SuspendDirect();
    EXPECT_EQ(Display().framePointer, nullptr);
    ResumeDirect();
    EXPECT_NE(Display().framePointer, nullptr);
    CloseDirect();

    start({.profile = "rotated"});  // started in landscape over a portrait panel
    OpenDirect(nullptr, true, false);
    EXPECT_FALSE(Display().gameApiOpen);
    EXPECT_FALSE(Display().drawBegun);
    EXPECT_EQ(Display().rotationMode, 1);
    EXPECT_EQ(Display().width, 240);
}

}  // namespace
