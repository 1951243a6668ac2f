// Direct output of a 480 x 640 16-bit back buffer into display memory, in each
// rotation, beside a plain memcpy of the same bytes.

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench.h"
#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/frame_buffer.h"
#include "platform/host/host.h"

namespace {

struct Layout {
    const char* name;
    int rotationMode, width, height, xPitch, yPitch;
    int surfaceWidth, surfaceHeight;
};

}  // namespace

KARROWEN_BENCH(present, "direct display output per rotation mode, beside memcpy") {
    (void)argc, (void)argv;
    host::HostOptions options;
    options.backend = "headless";
    options.profile = "desktop";
    host::InitializeWith(options);
    DetectDevice();

    const int W = 480, H = 640, bytes = W * H * 2;
    std::vector<uint16_t> memory(size_t(W) * H + 8);
    std::vector<uint8_t> source(static_cast<size_t>(bytes));
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 31);
    const int repeats = 200;

    double copySeconds = bench::BestSeconds(5, [&] {
        for (int i = 0; i < repeats; ++i) {
            std::memcpy(memory.data(), source.data(), size_t(bytes));
            asm volatile("" ::: "memory");
        }
    });
    std::printf("%-34s %8.3f ms/frame\n", "memcpy of 480x640x16", copySeconds * 1000 / repeats);

    const Layout layouts[] = {
        {"mode 0, row order (block copy)", 0, W, H, 2, W * 2, W, H},
        {"mode 0, bottom-up rows", 0, W, H, 2, -W * 2, W, H},
        {"mode 2, reversed rows", 2, W, H, 2, W * 2, W, H},
        {"mode 0, column-major memory", 0, W, H, -H * 2, 2, W, H},
        {"mode 1, landscape into portrait", 1, W, H, 2, W * 2, H, W},
        {"mode 4, portrait into landscape", 4, H, W, 2, H * 2, W, H},
    };
    for (const Layout& l : layouts) {
        FrameBuffer fb(l.surfaceWidth, l.surfaceHeight, true);
        std::memcpy(fb.pixels, source.data(), size_t(bytes));
        DisplayMode& m = Display();
        m = DisplayMode{};
        m.displayOpen = true;
        m.width = l.width;
        m.height = l.height;
        m.xPitch = l.xPitch;
        m.yPitch = l.yPitch;
        m.rotationMode = l.rotationMode;
        uint16_t* origin = memory.data() + (l.xPitch < 0 ? (-l.xPitch / 2) * (l.width - 1) : 0) +
                           (l.yPitch < 0 ? (-l.yPitch / 2) * (l.height - 1) : 0);
        m.framePointer = reinterpret_cast<uint8_t*>(origin);
        // The host's own display memory is not the bench's: do not count its commit.
        double seconds = bench::BestSeconds(5, [&] {
            for (int i = 0; i < repeats; ++i) PresentDirect(fb.surface(), nullptr);
        });
        std::printf("%-34s %8.3f ms/frame  %5.2fx memcpy\n", l.name, seconds * 1000 / repeats, seconds / copySeconds);
    }
    Display() = DisplayMode{};
    host::Shutdown();
    return 0;
}
