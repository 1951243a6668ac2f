#pragma once
// The facts of the device the program believes it runs on: system version,
// maker's string, screen, raw frame buffer and display memory layout, keys.
// A desktop profile is the default; others emulate handhelds for testing.

#include <cstdint>
#include <string>

namespace host {

struct DeviceProfile {
    std::string name = "desktop";
    int osMajor = 5;
    int osMinor = 1;
    int osBuild = 0;
    std::string oemInfo = "Karrowen Desktop";
    int startOrientation = 0;
    int screenWidth = 480;
    int screenHeight = 640;
    int depth = 16;
    // Raw frame buffer reply; 0 x 0 when the device does not answer the escape.
    int rawWidth = 480;
    int rawHeight = 640;
    // Display memory; pitches in bytes, may be negative. Width 0 means the
    // memory follows the raw frame buffer in row order.
    int memoryWidth = 0;
    int memoryHeight = 0;
    int memoryXPitch = 0;
    int memoryYPitch = 0;
    uint32_t memoryFormat = 0xA8;
    uint32_t memoryAddress = 0;  // a fixed device address of the memory, or 0
    bool systemMemoryBuffer = false;
    bool hasKeyboard = true;
    bool hasTouch = true;
    bool hasT9 = false;
    double freeMemoryMB = -1;    // -1: the machine's real available memory
    // Sound output: desktop quality here, the handheld's 8000 Hz 8-bit mono on
    // the handheld profiles.
    int audioRate = 44100;
    int audioBits = 16;
    int audioChannels = 2;
    // Threads the 3D renderer fills on; 0: one per processor of the machine.
    // The handhelds have one processor.
    int renderThreads = 0;
};

// Loads a built-in profile by name ("desktop", "pocketpc", "vga", "square",
// "landscape", "ipaq-h3800", "rotated") or a profile file of key=value lines.
bool LoadDeviceProfile(const std::string& nameOrPath, DeviceProfile& profile, std::string& error);
// The key=value lines of a profile file already in memory; `source` names it
// in messages. `profile` is changed only when the whole text is acceptable.
bool ParseDeviceProfile(const std::string& text, const std::string& source, DeviceProfile& profile,
                        std::string& error);
const char* BuiltInProfileNames();

}  // namespace host
