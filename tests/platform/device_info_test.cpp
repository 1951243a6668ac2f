#include "platform/device_info.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/test_host.h"

namespace {

struct Mapping {
    int screenW, screenH;
    int designW, designH, scale, offsetX, offsetY, contentW, contentH;
};

class DesignMapping : public testhost::HostTest, public ::testing::WithParamInterface<Mapping> {};

TEST_P(DesignMapping, MapsTheDesignOntoTheScreen) {
    const Mapping& m = GetParam();
    Device().screenWidth = m.screenW;
    Device().screenHeight = m.screenH;
    ComputeScreenClass();
    const DesignSize& d = Design();
    EXPECT_EQ(std::tie(d.designWidth, d.designHeight, d.scale, d.offsetX, d.offsetY, d.contentWidth, d.contentHeight),
              std::tie(m.designW, m.designH, m.scale, m.offsetX, m.offsetY, m.contentW, m.contentH));
    EXPECT_EQ(ScaleToScreen(d.designWidth), m.contentW);
    EXPECT_EQ(ScaleToDesign(m.contentH), d.designHeight);
}

INSTANTIATE_TEST_SUITE_P(Screens, DesignMapping,
                         ::testing::Values(Mapping{240, 320, 240, 320, 65536, 0, 0, 240, 320},
                                           Mapping{480, 640, 240, 320, 131072, 0, 0, 480, 640},
                                           Mapping{240, 240, 240, 240, 65536, 0, 0, 240, 240},
                                           Mapping{320, 240, 320, 240, 65536, 0, 0, 320, 240},
                                           Mapping{640, 480, 320, 240, 131072, 0, 0, 640, 480},
                                           // Wider than the design: bars left and right.
                                           Mapping{800, 480, 320, 240, 131072, 80, 0, 640, 480},
                                           // Taller than the design: bars above and below.
                                           Mapping{480, 800, 240, 320, 131072, 0, 80, 480, 640}));

TEST(ScaleToScreen, RoundsToNearest) {
    Design().scale = 98304;  // 1.5
    EXPECT_EQ(ScaleToScreen(3), 5);  // 4.5 rounds up
    EXPECT_EQ(ScaleToScreen(10), 15);
    EXPECT_EQ(ScaleToDesign(15), 10);
    Design().scale = 65536;
}

class DetectDeviceTest : public testhost::HostTest {};

TEST_F(DetectDeviceTest, ReadsTheProfile) {
    start({.profile = "vga"});
    EXPECT_EQ(Device().screenWidth, 240);
    EXPECT_EQ(Device().rawWidth, 480);
    EXPECT_TRUE(Device().highResolution);
    EXPECT_FALSE(Device().keypadOnly);

    start({.profile = "desktop"});
    // The same pixel count as the screen is not high resolution.
    EXPECT_EQ(Device().rawWidth * Device().rawHeight, Device().screenWidth * Device().screenHeight);
    EXPECT_FALSE(Device().highResolution);
    EXPECT_EQ(Design().scale, 131072);

    start({.profile = "rotated"});
    EXPECT_EQ(Device().startOrientation, 1);
    EXPECT_EQ(Design().screenClass, 2);

    start({.profile = "ipaq-h3800"});
    EXPECT_EQ(Device().startOrientation, 0);  // systems before version 4 report none
    EXPECT_EQ(Device().rawWidth, 0);
}

}  // namespace
