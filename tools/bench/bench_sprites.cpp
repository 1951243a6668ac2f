// One frame of the cover screen, drawScenes and present, at the two design
// scales and both display depths.

#include <cstdio>

#include "bench.h"
#include "data/resource.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/app_canvas.h"

namespace {

double CoverFrameMs(int width, int height, int depth) {
    host::HostOptions options;
    options.backend = "headless";
    options.screenWidth = width;
    options.screenHeight = height;
    options.depth = depth;
    options.instance = "bench-sprites";
    host::InitializeWith(options);
    host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
    DetectDevice();
    double ms = -1;
    {
        MainWindow main(u"Bench");
        main.create(0, 0, width, height);
        auto* canvas = new AppCanvas(u"gameCanvas", true);
        main.addChildScaled(canvas);
        canvas->loadTemplate(ResourceFolder(), u"Cover.properties", false, true);
        if (canvas->sceneCount() > 0) {
            const int frames = 100;
            double seconds = bench::BestSeconds(3, [&] {
                for (int i = 0; i < frames; ++i) {
                    canvas->drawScenes();
                    canvas->paint(nullptr);
                }
            });
            ms = seconds * 1000 / frames;
        }
    }
    host::Shutdown();
    return ms;
}

}  // namespace

KARROWEN_BENCH(sprites, "one cover-screen frame (drawScenes and present) per size and depth") {
    (void)argc, (void)argv;
    for (int scale : {1, 2}) {
        for (int depth : {16, 32}) {
            double ms = CoverFrameMs(240 * scale, 320 * scale, depth);
            if (ms < 0) {
                std::printf("cannot load Cover.properties from %s\n", host::ToUtf8(ResourceFolder()).c_str());
                return 1;
            }
            std::printf("cover frame %dx%d %d-bit: %7.3f ms (%6.1f frames/s)\n", 240 * scale, 320 * scale, depth, ms,
                        1000.0 / ms);
        }
    }
    return 0;
}
