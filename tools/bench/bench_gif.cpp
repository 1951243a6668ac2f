// GIF decoding speed on a large animated GIF made here: 640 x 480, 40 frames
// of a moving pattern over a 256-colour palette, with a little noise so the
// code stream is neither trivial nor incompressible. Decoded into frames of
// both display depths; figures are file megabytes and screen megapixels per
// second, by wall clock and by processor time.
//
// Beside it, 32-bit: giflib (libgif-dev) decoding the same file and the same
// frame composition done here (each frame drawn over the previous picture by
// its disposal and transparency into a 0x00RRGGBB frame of its own), by
// processor time. The library is opened at run time.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <dlfcn.h>

#include <cstring>
#include <type_traits>

#include "bench.h"
#include "platform/host/host.h"
#include "scene/gif_decoder.h"
#include "scene/gif_encoder.h"

#if __has_include(<gif_lib.h>)
#include <gif_lib.h>
#define KARROWEN_HAVE_GIFLIB 1
#endif

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

// Processor seconds of our decoder into 32-bit frames, best of three.
double OursCpuSeconds(const std::vector<uint8_t>& file) {
    host::HostOptions options;
    options.backend = "headless";
    options.profile = "desktop";
    options.depth = 32;
    host::InitializeWith(options);
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        double start = CpuSeconds();
        FrameList frames;
        DecodeGif(file, u"bench.gif", frames, false, true);
        best = std::min(best, CpuSeconds() - start);
    }
    host::Shutdown();
    return best;
}

#ifdef KARROWEN_HAVE_GIFLIB

struct GifLib {
    void* library = nullptr;
    decltype(&::DGifOpen) open = nullptr;
    decltype(&::DGifSlurp) slurp = nullptr;
    decltype(&::DGifCloseFile) close = nullptr;
    decltype(&::DGifSavedExtensionToGCB) controlBlock = nullptr;

    bool load() {
        library = dlopen("libgif.so.7", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        bool ok = true;
        auto get = [&](auto& slot, const char* name) { ok &= bench::LoadSymbol(library, slot, name); };
        get(open, "DGifOpen");
        get(slurp, "DGifSlurp");
        get(close, "DGifCloseFile");
        get(controlBlock, "DGifSavedExtensionToGCB");
        return ok;
    }
};

struct Reader {
    const std::vector<uint8_t>* file;
    size_t at = 0;
};

int ReadGif(GifFileType* gif, GifByteType* out, int bytes) {
    auto* r = static_cast<Reader*>(gif->UserData);
    size_t n = std::min(size_t(bytes), r->file->size() - r->at);
    std::memcpy(out, r->file->data() + r->at, n);
    r->at += n;
    return int(n);
}

// giflib's decoding and the composition of every frame into a 32-bit
// picture of the logical screen: processor seconds, best of three; negative
// when the library cannot decode the file.
double GifLibCpuSeconds(GifLib& lib, const std::vector<uint8_t>& file) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        double start = CpuSeconds();
        Reader reader{&file};
        int error = 0;
        GifFileType* gif = lib.open(&reader, ReadGif, &error);
        if (!gif) return -1;
        if (lib.slurp(gif) != GIF_OK) {
            lib.close(gif, &error);
            return -1;
        }
        const int w = gif->SWidth, h = gif->SHeight;
        std::vector<uint32_t> screen(size_t(w) * size_t(h), 0);
        std::vector<std::vector<uint32_t>> frames;
        for (int f = 0; f < gif->ImageCount; ++f) {
            const SavedImage& image = gif->SavedImages[f];
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            lib.controlBlock(gif, f, &gcb);
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            uint32_t palette[256] = {};
            for (int c = 0; map && c < map->ColorCount && c < 256; ++c)
                palette[c] = uint32_t(map->Colors[c].Red) << 16 | uint32_t(map->Colors[c].Green) << 8 | map->Colors[c].Blue;
            std::vector<uint32_t> before;
            if (gcb.DisposalMode == DISPOSE_PREVIOUS) before = screen;
            const GifImageDesc& d = image.ImageDesc;
            for (int y = 0; y < d.Height; ++y) {
                const GifByteType* row = image.RasterBits + size_t(y) * size_t(d.Width);
                uint32_t* out = screen.data() + size_t(d.Top + y) * size_t(w) + size_t(d.Left);
                for (int x = 0; x < d.Width; ++x)
                    if (row[x] != gcb.TransparentColor) out[x] = palette[row[x]];
            }
            frames.push_back(screen);
            if (gcb.DisposalMode == DISPOSE_BACKGROUND)
                for (int y = 0; y < d.Height; ++y)
                    std::fill_n(screen.data() + size_t(d.Top + y) * size_t(w) + size_t(d.Left), d.Width, 0u);
            else if (gcb.DisposalMode == DISPOSE_PREVIOUS)
                screen = std::move(before);
        }
        lib.close(gif, &error);
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

#endif

void CompareWithGifLib(const char* label, const std::vector<uint8_t>& file) {
#ifdef KARROWEN_HAVE_GIFLIB
    GifLib lib;
    double theirs = lib.load() ? GifLibCpuSeconds(lib, file) : -1;
    if (theirs < 0) {
        std::printf("%-14s giflib comparison not available\n", label);
        return;
    }
    double ours = OursCpuSeconds(file);
    std::printf("%-14s 32-bit: karrowen cpu %6.1f ms, giflib + composition cpu %6.1f ms -> karrowen %.2fx as fast\n",
                label, ours * 1000, theirs * 1000, theirs / ours);
#else
    std::printf("%-14s giflib comparison not built (install libgif-dev)\n", label);
#endif
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
    CompareWithGifLib("rows in order", plain);
    CompareWithGifLib("interlaced", interlaced);
    return 0;
}
