// GIF decoding speed on a large animated GIF made here: 640 x 480, 40 frames
// of a moving pattern over a 256-colour palette, with a little noise so the
// code stream is neither trivial nor incompressible. Decoded into frames of
// both display depths; figures are file megabytes and screen megapixels per
// second, by wall clock and by processor time.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "bench.h"
#include "platform/host/host.h"
#include "scene/gif_decoder.h"
#include "scene/gif_encoder.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 40;

// Processor time of this process: on a shared machine wall time says more
// about the neighbours than about the decoder.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

GifImage MakeAnimation(bool interlaced) {
    GifImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.loopCount = 0;
    for (int i = 0; i < 256; ++i) image.palette.push_back(uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i / 2));
    std::mt19937 random(1);
    for (int f = 0; f < kFrames; ++f) {
        GifFrame frame;
        frame.width = kWidth;
        frame.height = kHeight;
        frame.delay = 4;
        frame.disposal = 1;
        frame.interlaced = interlaced;
        frame.indices.resize(size_t(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                int band = ((x + f * 8) / 16 + (y + f * 4) / 24 + (x * y >> 12)) & 0xFF;
                if (random() % 16 == 0) band ^= int(random() % 8);
                frame.indices[size_t(y) * kWidth + x] = uint8_t(band);
            }
        image.frames.push_back(std::move(frame));
    }
    return image;
}

void Measure(const char* label, const std::vector<uint8_t>& file, int depth) {
    host::HostOptions options;
    options.backend = "headless";
    options.profile = "desktop";
    options.depth = depth;
    host::InitializeWith(options);
    host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
    int decoded = 0;
    double cpuSeconds = 1e30;
    double seconds = bench::BestSeconds(3, [&] {
        double start = CpuSeconds();
        FrameList frames;
        decoded = DecodeGif(file, u"bench.gif", frames, false, true);
        cpuSeconds = std::min(cpuSeconds, CpuSeconds() - start);
    });
    double megabytes = double(file.size()) / 1e6;
    double megapixels = double(decoded) * kWidth * kHeight / 1e6;
    std::printf("%-14s %2d-bit %d frames  wall %6.1f ms %6.1f MB/s %6.1f Mpixel/s  "
                "cpu %6.1f ms %6.1f MB/s %6.1f Mpixel/s\n",
                label, depth, decoded, seconds * 1000, megabytes / seconds, megapixels / seconds, cpuSeconds * 1000,
                megabytes / cpuSeconds, megapixels / cpuSeconds);
    host::SetMessageBoxHook(nullptr);
    host::Shutdown();
}

}  // namespace

KARROWEN_BENCH(gif, "GIF decoding of a 640x480, 40-frame animation in MB/s and megapixels/s") {
    (void)argc, (void)argv;
    std::vector<uint8_t> plain = EncodeGif(MakeAnimation(false));
    std::vector<uint8_t> interlaced = EncodeGif(MakeAnimation(true));
    std::printf("animation: %dx%d, %d frames, %.2f MB (%.2f MB interlaced)\n", kWidth, kHeight, kFrames,
                double(plain.size()) / 1e6, double(interlaced.size()) / 1e6);
    for (int depth : {16, 32}) {
        Measure("rows in order", plain, depth);
        Measure("interlaced", interlaced, depth);
    }
    return 0;
}
