#include "platform/device_info.h"

#include <algorithm>
#include <cctype>

#include "platform/host/host.h"
#include "platform/platform_services.h"
#include "platform/platform_state.h"

namespace {
std::u16string Lower(std::u16string text) {
    for (char16_t& c : text)
        if (c < 128) c = char16_t(std::tolower(int(c)));
    return text;
}
}  // namespace

DeviceInfo& Device() { return Platform().device; }
DesignSize& Design() { return Platform().design; }

void DetectDevice() {
    DeviceInfo& d = Device();
    OsVersion version = GetOsVersion();
    d.osMajor = version.major;
    d.osMinor = version.minor;
    d.oemInfo = Lower(GetOemInfo());
    d.startOrientation = d.osMajor < 4 ? 0 : host::QueryDisplayOrientation();
    d.screenWidth = host::ScreenWidth();
    d.screenHeight = host::ScreenHeight();
    const host::DeviceProfile& p = host::Profile();
    d.rawWidth = p.rawWidth;
    d.rawHeight = p.rawHeight;
    d.highResolution = d.rawWidth * d.rawHeight != 0 && d.rawWidth * d.rawHeight != d.screenWidth * d.screenHeight;
    d.hasKeyboard = p.hasKeyboard;
    d.hasTouch = p.hasTouch;
    d.hasT9 = p.hasT9;
    d.notT9 = !d.hasT9;
    d.keypadOnly = !d.hasTouch && !d.hasT9;
    ComputeScreenClass();
}

void ComputeScreenClass() {
    DesignSize& s = Design();
    const DeviceInfo& d = Device();
    s.screenClass = d.screenWidth < d.screenHeight ? 0 : d.screenWidth == d.screenHeight ? 1 : 2;
    static const int sizes[3][2] = {{240, 320}, {240, 240}, {320, 240}};
    s.designWidth = sizes[s.screenClass][0];
    s.designHeight = sizes[s.screenClass][1];
    ComputeDesignMapping();
}

void ComputeDesignMapping() {
    DesignSize& s = Design();
    const DeviceInfo& d = Device();
    s.offsetX = s.offsetY = 0;
    s.contentWidth = d.screenWidth;
    s.contentHeight = d.screenHeight;
    if (s.designWidth == d.screenWidth && s.designHeight == d.screenHeight) {
        s.scale = 65536;
        return;
    }
    int designAspect = (s.designWidth << 16) / s.designHeight;
    int screenAspect = (d.screenWidth << 16) / d.screenHeight;
    if (screenAspect > designAspect) {
        s.scale = (d.screenHeight << 16) / s.designHeight;
        s.contentWidth = ScaleToScreen(s.designWidth);
        s.offsetX = (d.screenWidth - s.contentWidth) / 2;
    } else if (screenAspect == designAspect) {
        s.scale = (d.screenWidth << 16) / s.designWidth;
    } else {
        s.scale = (d.screenWidth << 16) / s.designWidth;
        s.contentHeight = ScaleToScreen(s.designHeight);
        s.offsetY = (d.screenHeight - s.contentHeight) / 2;
    }
}

// Design lengths come from templates: beyond a million pixels they can only be
// broken ones, and keeping them there leaves room to add a few lengths up.
constexpr int kLongestDesignLength = 1 << 20;

int ScaleToScreen(int designValue) {
    designValue = std::clamp(designValue, -kLongestDesignLength, kLongestDesignLength);
    return int((int64_t(Design().scale) * designValue + 32768) >> 16);
}

int ScaleToDesign(int screenValue) {
    return Design().scale ? int((int64_t(screenValue) << 16) / Design().scale) : screenValue;
}
