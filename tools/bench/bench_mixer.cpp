// karrowen-bench mixer [seconds]: mixes 16 looping sample voices and one
// looping 4-channel module with effects on every channel, offline, and reports
// seconds of audio mixed per CPU second at the game's 8000 Hz 8-bit mono and at
// desktop 44100 Hz 16-bit stereo.
//
// Then modules alone to 44100 Hz 16-bit stereo beside libxmp (libxmp-dev)
// with nearest-neighbour resampling, the same seconds of each module, by
// processor time: the game's songs (from the generated resources beside the
// program, when built) and the busy module above. The library is opened at
// run time.

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "bench.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"

#if __has_include(<xmp.h>)
#include <xmp.h>
#define KARROWEN_HAVE_XMP 1
#endif

namespace {

constexpr int kRepeats = 3;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes, bool bigEndian = false) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
}

// One second of a sine in the given layout, looping.
std::unique_ptr<WaveSound> Sine(int rate, bool eightBit, bool stereo, double hz, int pan) {
    std::vector<uint8_t> pcm;
    for (int i = 0; i < rate; ++i) {
        double v = std::sin(2 * M_PI * hz * i / rate);
        for (int c = 0; c < (stereo ? 2 : 1); ++c) {
            if (eightBit) pcm.push_back(uint8_t(128 + int(v * 100)));
            else Put(pcm, uint16_t(int16_t(v * 20000)), 2);
        }
    }
    auto sound = std::make_unique<WaveSound>();
    sound->setPcm(std::move(pcm), eightBit, stereo, rate);
    sound->loop = true;
    sound->pan = pan;
    return sound;
}

// Four channels of notes on every row, each channel with an effect that works
// every tick: arpeggio, vibrato, volume slide, portamento.
std::vector<uint8_t> BusyModuleFile() {
    const int channels = 4;
    std::vector<uint8_t> file(20, 0);
    for (int s = 0; s < 31; ++s) {
        std::vector<uint8_t> header(22, 0);
        Put(header, s < 4 ? 1000 : 0, 2, true);  // 2000-byte samples
        header.push_back(0);
        header.push_back(64);
        Put(header, 0, 2, true);
        Put(header, s < 4 ? 1000 : 1, 2, true);  // looped whole
        file.insert(file.end(), header.begin(), header.end());
    }
    file.push_back(2);    // song length
    file.push_back(0);    // restart
    std::vector<uint8_t> orders(128, 0);
    orders[1] = 1;
    file.insert(file.end(), orders.begin(), orders.end());
    file.insert(file.end(), {'M', '.', 'K', '.'});
    const int periods[] = {428, 381, 339, 320, 285, 254, 226, 214};
    const int effects[4][2] = {{0x0, 0x37}, {0x4, 0x46}, {0xA, 0x01}, {0x1, 0x01}};
    for (int pattern = 0; pattern < 2; ++pattern) {
        for (int row = 0; row < 64; ++row) {
            for (int c = 0; c < channels; ++c) {
                int sample = c + 1;
                int period = (row % 4 == 0) ? periods[(row / 4 + c + pattern) % 8] : 0;
                file.push_back(uint8_t((sample & 0xF0) | (period >> 8)));
                file.push_back(uint8_t(period & 0xFF));
                file.push_back(uint8_t(((sample & 0x0F) << 4) | effects[c][0]));
                file.push_back(uint8_t(effects[c][1]));
            }
        }
    }
    for (int s = 0; s < 4; ++s)
        for (int i = 0; i < 2000; ++i) file.push_back(uint8_t(int8_t(100 * std::sin(2 * M_PI * i * (s + 1) / 64))));
    return file;
}

std::unique_ptr<ModSound> BusyModule() {
    const std::vector<uint8_t> file = BusyModuleFile();
    auto module = std::make_unique<ModSound>();
    module->loadFromMemory(file.data(), file.size());
    module->loop = true;
    return module;
}

struct Figures {
    double audioPerCpuSecond = 0;
    double microsecondsPerBuffer = 0;
};

Figures Measure(int rate, int bits, bool stereo, double seconds) {
    std::vector<std::unique_ptr<WaveSound>> sounds;
    for (int i = 0; i < 16; ++i) {
        if (i < 8) sounds.push_back(Sine(22050, true, false, 220 + 30 * i, (i * 37) % 256));
        else if (i < 12) sounds.push_back(Sine(11025, false, false, 330 + 20 * i, 128));
        else sounds.push_back(Sine(44100, false, true, 440 + 10 * i, 64 + i));
    }
    std::unique_ptr<ModSound> module = BusyModule();

    double best = 1e30;
    const int bufferFrames = rate * 30 / 1000;
    const size_t bufferBytes = size_t(bufferFrames) * size_t(bits / 8) * (stereo ? 2 : 1);
    const int buffers = int(seconds * 1000 / 30);
    std::vector<uint8_t> buffer(bufferBytes);
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        SoundMixer mixer;
        mixer.initOffline(rate, bits, stereo, 1, 16);
        for (auto& sound : sounds) mixer.play(sound.get(), kPlayAnyVoice);
        mixer.play(module.get(), kPlayAnyVoice);
        double start = CpuSeconds();
        for (int b = 0; b < buffers; ++b) mixer.render(buffer.data(), buffer.size());
        best = std::min(best, CpuSeconds() - start);
    }
    double audio = double(buffers) * bufferFrames / rate;
    return Figures{audio / best, best * 1e6 / buffers};
}

// ---- Modules beside libxmp ------------------------------------------------------------------

struct ModuleFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The game's songs from the resources the generator wrote beside the program.
std::vector<ModuleFile> Songs() {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return {};
    std::string dir(exe, size_t(n));
    dir = dir.substr(0, dir.rfind('/')) + "/../resources/";
    std::vector<ModuleFile> songs;
    for (const char* name : {"Levels/song1.mod", "Levels/song2.mod", "Levels/song3.mod", "scores.mod"}) {
        std::ifstream in(dir + name, std::ios::binary);
        if (!in) continue;
        songs.push_back({name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    return songs;
}

constexpr int kModuleRate = 44100;

// Processor seconds for `seconds` of the module, looping, through our mixer.
double OursSeconds(const ModuleFile& m, double seconds) {
    ModSound module;
    if (module.loadFromMemory(m.bytes.data(), m.bytes.size()) != kSoundOk) return -1;
    module.loop = true;
    std::vector<uint8_t> buffer(size_t(kModuleRate * 30 / 1000) * 4);
    const int buffers = int(seconds * 1000 / 30);
    double best = 1e30;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        SoundMixer mixer;
        mixer.initOffline(kModuleRate, 16, true, 1, 16);
        mixer.play(&module, kPlayAnyVoice);
        double start = CpuSeconds();
        for (int b = 0; b < buffers; ++b) mixer.render(buffer.data(), buffer.size());
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

#ifdef KARROWEN_HAVE_XMP

struct Xmp {
    void* library = nullptr;
    decltype(&::xmp_create_context) createContext = nullptr;
    decltype(&::xmp_free_context) freeContext = nullptr;
    decltype(&::xmp_load_module_from_memory) loadModule = nullptr;
    decltype(&::xmp_release_module) releaseModule = nullptr;
    decltype(&::xmp_start_player) startPlayer = nullptr;
    decltype(&::xmp_set_player) setPlayer = nullptr;
    decltype(&::xmp_play_buffer) playBuffer = nullptr;
    decltype(&::xmp_end_player) endPlayer = nullptr;

    bool load() {
        library = dlopen("libxmp.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        bool ok = true;
        auto get = [&](auto& slot, const char* name) { ok &= bench::LoadSymbol(library, slot, name); };
        get(createContext, "xmp_create_context");
        get(freeContext, "xmp_free_context");
        get(loadModule, "xmp_load_module_from_memory");
        get(releaseModule, "xmp_release_module");
        get(startPlayer, "xmp_start_player");
        get(setPlayer, "xmp_set_player");
        get(playBuffer, "xmp_play_buffer");
        get(endPlayer, "xmp_end_player");
        return ok;
    }
};

// The same through libxmp, nearest-neighbour, 16-bit stereo; negative when it cannot.
double XmpSeconds(Xmp& xmp, const ModuleFile& m, double seconds) {
    std::vector<uint8_t> buffer(size_t(kModuleRate * 30 / 1000) * 4);
    const int buffers = int(seconds * 1000 / 30);
    double best = 1e30;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        xmp_context context = xmp.createContext();
        if (xmp.loadModule(context, m.bytes.data(), long(m.bytes.size())) != 0 ||
            xmp.startPlayer(context, kModuleRate, 0) != 0) {
            xmp.freeContext(context);
            return -1;
        }
        xmp.setPlayer(context, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
        xmp.setPlayer(context, XMP_PLAYER_DSP, 0);
        double start = CpuSeconds();
        for (int b = 0; b < buffers; ++b) xmp.playBuffer(context, buffer.data(), int(buffer.size()), 0);
        best = std::min(best, CpuSeconds() - start);
        xmp.endPlayer(context);
        xmp.releaseModule(context);
        xmp.freeContext(context);
    }
    return best;
}

#endif

void CompareModules(double seconds) {
    std::vector<ModuleFile> modules = Songs();
    if (modules.empty()) std::printf("  (the game's songs are not built; only the bench's module)\n");
    modules.push_back({"busy module (bench)", BusyModuleFile()});
#ifdef KARROWEN_HAVE_XMP
    Xmp xmp;
    const bool haveXmp = xmp.load();
#endif
    std::printf("modules alone, %d Hz 16-bit stereo, %.0f s each, best of %d, processor time\n", kModuleRate, seconds,
                kRepeats);
    double oursTotal = 0, xmpTotal = 0;
    for (const ModuleFile& m : modules) {
        double ours = OursSeconds(m, seconds);
        if (ours < 0) {
            std::printf("  %-24s not loaded\n", m.name.c_str());
            continue;
        }
        std::printf("  %-24s karrowen %7.1f ms", m.name.c_str(), ours * 1000);
#ifdef KARROWEN_HAVE_XMP
        double theirs = haveXmp ? XmpSeconds(xmp, m, seconds) : -1;
        if (theirs > 0) {
            oursTotal += ours, xmpTotal += theirs;
            std::printf("  libxmp (nearest) %7.1f ms  -> karrowen %.2fx as fast", theirs * 1000, theirs / ours);
        }
#endif
        std::printf("\n");
    }
    if (xmpTotal > 0)
        std::printf("  %-24s karrowen %.2fx as fast as libxmp (nearest), processor time\n", "all modules",
                    xmpTotal / oursTotal);
    else
        std::printf("  libxmp comparison not available (install libxmp-dev)\n");
}

}  // namespace

KARROWEN_BENCH(mixer, "seconds of audio mixed per CPU second: 16 voices and a 4-channel module") {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 60.0;
    std::printf("mixer: 16 looping voices (8-bit, 16-bit, stereo data, panned) + one 4-channel module\n");
    std::printf("with an effect on every channel; %.0f s of audio, best of %d, CPU time\n", seconds, kRepeats);
    struct Setting {
        const char* name;
        int rate, bits;
        bool stereo;
    } settings[] = {{"8000 Hz 8-bit mono (the game)", 8000, 8, false}, {"44100 Hz 16-bit stereo", 44100, 16, true}};
    for (const Setting& s : settings) {
        Figures f = Measure(s.rate, s.bits, s.stereo, seconds);
        std::printf("  %-32s %9.0f s of audio per CPU second  (%7.1f us per 30 ms buffer)\n", s.name,
                    f.audioPerCpuSecond, f.microsecondsPerBuffer);
    }
    CompareModules(std::min(seconds, 30.0));
    return 0;
}
