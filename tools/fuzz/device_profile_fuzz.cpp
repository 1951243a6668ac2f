// libFuzzer target for device profile files: any text is read as a profile;
// a profile that is accepted then drives the headless host (its screen, panel
// and display memory), device detection and the direct display path, which
// copies a full-screen back buffer into the display memory the profile laid
// out, whole and through a clipping rectangle.
//
// Profiles whose buffers would take more than a few tens of megabytes are only
// parsed: the limits there are the allocator's, not the code's.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/frame_buffer.h"
#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/host_local.h"
#include "platform/platform_state.h"
#include "platform/window.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr double kMaxBytes = 48.0 * 1024 * 1024;

bool Affordable(const host::DeviceProfile& p) {
    const double screen = double(p.screenWidth) * p.screenHeight * 4;
    const double panel = double(p.rawWidth) * p.rawHeight * 4;
    const double memory = double(std::abs(p.memoryXPitch)) * p.memoryWidth + double(std::abs(p.memoryYPitch)) * p.memoryHeight;
    const double raw = double(p.rawWidth) * p.rawHeight * 2;
    return screen + panel + memory + raw < kMaxBytes;
}

void Present(Window& canvas) {
    FrameBuffer* buffer = canvas.backBuffer() ? &canvas.backBuffer()->surface() : nullptr;
    if (!buffer) return;
    canvas.paint(nullptr);
    host::Rect rect{-3, 5, buffer->width / 2, buffer->height + 7};
    canvas.paint(&rect);
    // Written back clamped to the surface, when there is display memory to copy to.
    if (Display().framePointer)
        Check(rect.left >= 0 && rect.top >= 0 && rect.right <= buffer->width && rect.bottom <= buffer->height);
    host::CommitDisplayMemory();
    host::Panel();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    host::DeviceProfile profile;
    profile.name = "untouched";
    std::string error;
    if (!host::ParseDeviceProfile(text, "fuzz", profile, error)) {
        Check(!error.empty() && profile.name == "untouched");
        return 0;
    }
    Check(profile.screenWidth >= 16 && profile.screenWidth <= 8192 && profile.screenHeight >= 16 &&
          profile.screenHeight <= 8192);
    Check(profile.depth == 16 || profile.depth == 32);
    if (!Affordable(profile)) return 0;

    // One headless host for every input; each input brings its own screen.
    static const bool started = [] {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.instance = "d-fuzz-profile";
        host::InitializeWith(options);
        return true;
    }();
    (void)started;
    host::Core().profile = profile;
    host::ResetScreen();
    DetectDevice();
    {
        MainWindow main(u"Main");
        if (main.create(0, 0, host::ScreenWidth(), host::ScreenHeight())) {
            auto* canvas = new Window(u"canvas", main.handle(), true);
            if (main.addChildScaled(canvas)) {
                OpenDirect(canvas->handle(), true, true);
                Present(*canvas);
                CloseDirect();
            }
        }
    }
    // The closed windows' messages are of no use to the next input.
    host::Message message;
    while (host::PeekMessage(message, true)) {
    }
    ResetPlatform();
    return 0;
}
