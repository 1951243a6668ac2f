#include "platform/host/device_profile.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/host/host_options.h"

namespace host {

namespace {

DeviceProfile Handheld(const char* name, int osMajor, int osMinor, const char* oem, int w, int h) {
    DeviceProfile p;
    p.name = name;
    p.osMajor = osMajor;
    p.osMinor = osMinor;
    p.oemInfo = oem;
    p.screenWidth = p.rawWidth = w;
    p.screenHeight = p.rawHeight = h;
    p.hasKeyboard = false;
    p.audioRate = 8000;
    p.audioBits = 8;
    p.audioChannels = 1;
    p.renderThreads = 1;
    return p;
}

std::map<std::string, DeviceProfile> BuiltIns() {
    std::map<std::string, DeviceProfile> all;
    all["desktop"] = DeviceProfile{};

    // A classic Pocket PC: no raw frame-buffer escape, Game API in video memory.
    DeviceProfile pocketpc = Handheld("pocketpc", 4, 20, "Pocket PC Reference Device", 240, 320);
    pocketpc.rawWidth = pocketpc.rawHeight = 0;
    pocketpc.memoryWidth = 240;
    pocketpc.memoryHeight = 320;
    pocketpc.memoryXPitch = 2;
    pocketpc.memoryYPitch = 480;
    all["pocketpc"] = pocketpc;

    // A VGA handheld whose system reports a 240 x 320 screen over a 480 x 640 panel.
    all["vga"] = Handheld("vga", 5, 1, "VGA Pocket PC", 240, 320);
    all["vga"].rawWidth = 480;
    all["vga"].rawHeight = 640;
    all["square"] = Handheld("square", 5, 1, "Square Screen Device", 240, 240);
    all["landscape"] = Handheld("landscape", 5, 1, "Landscape Device", 320, 240);

    // The iPAQ H3800 series keeps its display memory at a fixed address, landscape
    // in memory and read right to left.
    DeviceProfile ipaq = Handheld("ipaq-h3800", 3, 0, "Compaq iPAQ H3800", 240, 320);
    ipaq.rawWidth = ipaq.rawHeight = 0;
    ipaq.memoryWidth = 240;
    ipaq.memoryHeight = 320;
    ipaq.memoryXPitch = -640;
    ipaq.memoryYPitch = 2;
    ipaq.memoryAddress = 0xAC0755A0;
    all["ipaq-h3800"] = ipaq;

    // Started in landscape: the system screen is turned, the panel memory is not.
    DeviceProfile rotated = Handheld("rotated", 4, 21, "Rotated Pocket PC", 320, 240);
    rotated.startOrientation = 1;
    rotated.rawWidth = 240;
    rotated.rawHeight = 320;
    all["rotated"] = rotated;
    return all;
}

using Field = std::function<void(DeviceProfile&, const std::string&)>;

const std::map<std::string, Field>& Fields() {
    auto i = [](int DeviceProfile::*f) { return Field([f](DeviceProfile& p, const std::string& v) { p.*f = std::atoi(v.c_str()); }); };
    auto b = [](bool DeviceProfile::*f) { return Field([f](DeviceProfile& p, const std::string& v) { p.*f = v == "1" || v == "true"; }); };
    static const std::map<std::string, Field> fields = {
        {"name", [](DeviceProfile& p, const std::string& v) { p.name = v; }},
        {"oemInfo", [](DeviceProfile& p, const std::string& v) { p.oemInfo = v; }},
        {"osMajor", i(&DeviceProfile::osMajor)},
        {"osMinor", i(&DeviceProfile::osMinor)},
        {"osBuild", i(&DeviceProfile::osBuild)},
        {"startOrientation", i(&DeviceProfile::startOrientation)},
        {"screenWidth", i(&DeviceProfile::screenWidth)},
        {"screenHeight", i(&DeviceProfile::screenHeight)},
        {"depth", i(&DeviceProfile::depth)},
        {"rawWidth", i(&DeviceProfile::rawWidth)},
        {"rawHeight", i(&DeviceProfile::rawHeight)},
        {"memoryWidth", i(&DeviceProfile::memoryWidth)},
        {"memoryHeight", i(&DeviceProfile::memoryHeight)},
        {"memoryXPitch", i(&DeviceProfile::memoryXPitch)},
        {"memoryYPitch", i(&DeviceProfile::memoryYPitch)},
        {"memoryFormat", [](DeviceProfile& p, const std::string& v) { p.memoryFormat = uint32_t(std::strtoul(v.c_str(), nullptr, 0)); }},
        {"memoryAddress", [](DeviceProfile& p, const std::string& v) { p.memoryAddress = uint32_t(std::strtoul(v.c_str(), nullptr, 0)); }},
        {"systemMemoryBuffer", b(&DeviceProfile::systemMemoryBuffer)},
        {"hasKeyboard", b(&DeviceProfile::hasKeyboard)},
        {"hasTouch", b(&DeviceProfile::hasTouch)},
        {"hasT9", b(&DeviceProfile::hasT9)},
        {"freeMemoryMB", [](DeviceProfile& p, const std::string& v) { p.freeMemoryMB = std::atof(v.c_str()); }},
        {"audioRate", i(&DeviceProfile::audioRate)},
        {"audioBits", i(&DeviceProfile::audioBits)},
        {"audioChannels", i(&DeviceProfile::audioChannels)},
        {"renderThreads", i(&DeviceProfile::renderThreads)},
    };
    return fields;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The program knows the iPAQ H3800 by its maker's string and writes to the
// memory at that device's fixed address in that device's own layout.
constexpr uint32_t kIpaqMemoryAddress = 0xAC0755A0;

bool ClaimsIpaqH3800(const std::string& oemInfo) {
    std::string lower = oemInfo;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("ipaq") != std::string::npos && lower.find("h38") != std::string::npos;
}

bool HasIpaqMemory(const DeviceProfile& p) {
    return p.memoryWidth == 240 && p.memoryHeight == 320 && p.memoryXPitch == -640 && p.memoryYPitch == 2;
}

bool Plausible(const DeviceProfile& p, std::string& error) {
    auto inRange = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
    if (!inRange(p.screenWidth, 16, 8192) || !inRange(p.screenHeight, 16, 8192)) error = "screen size out of range";
    else if (p.depth != 16 && p.depth != 32) error = "depth must be 16 or 32";
    else if (!inRange(p.rawWidth, 0, 8192) || !inRange(p.rawHeight, 0, 8192)) error = "raw size out of range";
    else if (!inRange(p.memoryWidth, 0, 8192) || !inRange(p.memoryHeight, 0, 8192)) error = "memory size out of range";
    else if (!inRange(p.memoryXPitch, -65536, 65536) || !inRange(p.memoryYPitch, -65536, 65536)) error = "pitch out of range";
    // Display memory holds 16-bit pixels, which an odd pitch would split.
    else if (p.memoryXPitch % 2 != 0 || p.memoryYPitch % 2 != 0) error = "pitches must be whole 16-bit pixels";
    // The raw frame buffer reply describes the display memory itself, and the
    // program copies raw-sized pictures into it: both must be the same size.
    else if (p.memoryWidth && p.rawWidth * p.rawHeight != 0 && (p.memoryWidth != p.rawWidth || p.memoryHeight != p.rawHeight))
        error = "raw frame buffer and display memory differ in size";
    else if (ClaimsIpaqH3800(p.oemInfo) && p.memoryAddress == kIpaqMemoryAddress && !HasIpaqMemory(p))
        error = "an iPAQ H3800's display memory is 240 x 320 with pitches -640 and 2";
    else if (!inRange(p.audioRate, 1000, 384000) || (p.audioBits != 8 && p.audioBits != 16) ||
             !inRange(p.audioChannels, 1, 2))
        error = "audio format must be 1000 to 384000 Hz, 8 or 16 bits, 1 or 2 channels";
    else if (!inRange(p.renderThreads, 0, kMaxRenderThreads)) error = "renderThreads must be 0 to 64";
    else return true;
    return false;
}

}  // namespace

const char* BuiltInProfileNames() { return "desktop, pocketpc, vga, square, landscape, ipaq-h3800, rotated"; }

bool LoadDeviceProfile(const std::string& nameOrPath, DeviceProfile& profile, std::string& error) {
    auto builtIns = BuiltIns();
    auto found = builtIns.find(nameOrPath.empty() ? "desktop" : nameOrPath);
    if (found != builtIns.end()) {
        profile = found->second;
        return true;
    }
    std::ifstream in(nameOrPath);
    if (!in) {
        error = "no device profile '" + nameOrPath + "' (built in: " + BuiltInProfileNames() + ")";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return ParseDeviceProfile(text.str(), nameOrPath, profile, error);
}

bool ParseDeviceProfile(const std::string& text, const std::string& source, DeviceProfile& profile,
                        std::string& error) {
    auto builtIns = BuiltIns();
    DeviceProfile p;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (key == "base") {
            auto base = builtIns.find(value);
            if (base != builtIns.end()) p = base->second;
            continue;
        }
        auto field = Fields().find(key);
        if (field == Fields().end()) {
            error = "unknown profile key '" + key + "' in " + source;
            return false;
        }
        field->second(p, value);
    }
    if (!Plausible(p, error)) return false;
    profile = p;
    return true;
}

}  // namespace host
