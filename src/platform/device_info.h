#pragma once
// What kind of handheld the program runs on, and the mapping from the design
// size every template is laid out in (240 x 320, 240 x 240 or 320 x 240) onto
// the real screen: a 16.16 scale and a letterbox offset.

#include <string>

struct DeviceInfo {
    int osMajor = 0, osMinor = 0;
    std::u16string oemInfo;  // lower-cased
    int startOrientation = 0;
    int screenWidth = 0, screenHeight = 0;
    int rawWidth = 0, rawHeight = 0;  // 0 when the raw frame-buffer query is unsupported
    bool highResolution = false;
    bool hasKeyboard = false;
    bool hasTouch = false;
    bool hasT9 = false;
    bool notT9 = true;
    bool keypadOnly = false;
};

struct DesignSize {
    int screenClass = 0;  // 0 portrait, 1 square, 2 landscape
    int designWidth = 240, designHeight = 320;
    int scale = 65536;  // 16.16, design units to screen pixels
    int offsetX = 0, offsetY = 0;
    int contentWidth = 240, contentHeight = 320;
};

// Both are part of PlatformState (platform_state.h).
DeviceInfo& Device();
DesignSize& Design();

// Fills Device() from the system, then the screen class and Design().
void DetectDevice();
// Derives the class and design size from Device()'s screen, then the mapping.
void ComputeScreenClass();
void ComputeDesignMapping();

int ScaleToScreen(int designValue);
int ScaleToDesign(int screenValue);
