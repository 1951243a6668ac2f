#pragma once
// The contract between the generic host and a backend (SDL window or headless).
// Entry points a backend leaves out keep their harmless defaults.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/host/host_options.h"
#include "platform/host/pixel_surface.h"

namespace host {

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    // Turns pending window-system events into input (host_local.h's Input*).
    virtual void pumpEvents() {}
    // Shows the panel picture (32-bit 0x00RRGGBB).
    virtual void present(const PixelSurface& panel) { (void)panel; }
    virtual bool vsync() const { return false; }
    virtual int messageBox(const std::u16string& text, const std::u16string& title, uint32_t style) = 0;
    virtual void raise() {}
    virtual void setTitle(const std::u16string& title) { (void)title; }
    virtual void setFullScreen(bool on) { (void)on; }
    // The window's icon, from an RGBA PNG file.
    virtual void setIcon(const std::string& pngPath) { (void)pngPath; }
    // Shows a system cursor (IDC_*) over the window; 0 hides it.
    virtual void setCursor(int id) { (void)id; }
    // The system idle timer was reset (host.h's SystemIdleTimerReset).
    virtual void idleTimerReset() {}
    // The program's top-level window became visible.
    virtual void showWindow() {}
    // Options a relaunched process needs to continue where this one is (window place).
    virtual void addRelaunchOptions(HostOptions& options) { (void)options; }
};

std::unique_ptr<Backend> CreateHeadlessBackend(const HostOptions& options);
// Null, with the reason in `why`, when no display can be opened.
std::unique_ptr<Backend> CreateSdlBackend(const HostOptions& options, int panelWidth, int panelHeight,
                                          std::string& why);

}  // namespace host
