#pragma once
// The contract between the generic host and a backend (SDL window or headless).
// Entry points a backend leaves out keep their harmless defaults. A program
// hands the host the backends it links as tables of {name, create}; the
// headless window and the null and WAV audio devices are always there.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/host/audio_device.h"
#include "platform/host/host_options.h"
#include "platform/host/pixel_surface.h"

namespace host {

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    // A backend without a window is watched only through screenshots and the
    // input script: its clock is virtual by default and the host says so.
    virtual bool hasWindow() const { return false; }
    // Turns pending window-system events into input (host_local.h's Input*).
    virtual void pumpEvents() {}
    // Shows the panel picture (32-bit 0x00RRGGBB).
    virtual void present(const PixelSurface& panel) { (void)panel; }
    virtual bool vsync() const { return false; }
    virtual int messageBox(const std::u16string& text, const std::u16string& title, uint32_t style) = 0;
    virtual void raise() {}
    virtual void setTitle(const std::u16string& title) { (void)title; }
    virtual void setFullScreen(bool on) { (void)on; }
    virtual bool fullScreen() const { return false; }
    // The window's icon, from an RGBA PNG file.
    virtual void setIcon(const std::string& pngPath) { (void)pngPath; }
    // Shows a system cursor (IDC_*) over the window; 0 hides it.
    virtual void setCursor(int id) { (void)id; }
    // Whether key presses also arrive as typed text (host.h's SetTextInput).
    virtual void setTextInput(bool on) { (void)on; }
    // The system idle timer was reset (host.h's SystemIdleTimerReset).
    virtual void idleTimerReset() {}
    // The program's top-level window became visible.
    virtual void showWindow() {}
    // Options a relaunched process needs to continue where this one is (window place).
    virtual void addRelaunchOptions(HostOptions& options) { (void)options; }
};

// A window backend the --backend option may name.
struct VideoBootstrap {
    const char* name;
    // Null, with the reason in `why`, when it cannot run here (no display).
    std::unique_ptr<Backend> (*create)(const HostOptions& options, int panelWidth, int panelHeight,
                                       std::string& why);
};

// An audio device the --audio option may name, as NAME or NAME:ARGUMENT.
struct AudioBootstrap {
    const char* name;
    // Null, after saying why on stderr, when the device cannot be opened.
    std::unique_ptr<AudioDevice> (*open)(const std::string& argument, const AudioFormat& format,
                                         AudioDevice::BufferDone done, void* context);
};

// The backends a program links beyond the headless ones, in order of
// preference: "auto" takes the first window backend that opens, and the
// audio device of the same name as the window backend that runs.
struct LinkedBackends {
    std::span<const VideoBootstrap> video;
    std::span<const AudioBootstrap> audio;
};

// The window backend called "headless", always linked.
extern const VideoBootstrap kHeadlessVideo;
// "null" and "wav" (wav:FILE records into FILE), always linked.
extern const AudioBootstrap kNullAudio;
extern const AudioBootstrap kWavAudio;

}  // namespace host
