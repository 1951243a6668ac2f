// karrowen-play FILE [--rate R] [--bits 8|16] [--stereo] [--wav OUT] [--audio DEVICE]
//
// Plays a .wav or .mod file through the game's mixer, or with --wav renders it
// into a WAV file as fast as the machine allows. A module plays to its song's
// end, and its length is printed in seconds. Ctrl+C or SIGTERM stops playing
// (a rendering keeps what it has) and ends with status 128 + the signal.

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/program_backends.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"

namespace {

// A song that never ends (one that jumps back on itself) stops here.
constexpr double kMaxSeconds = 3600;

// The signal that asked to stop, or 0.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnStopSignal(int signal) { stopSignal = signal; }

// Installed for the whole process, so whichever thread the signal lands on
// only sets the flag that the playing loop reads.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int ExitStatus(int status) {
    if (int signal = stopSignal.load()) {
        std::printf("stopped by signal %d\n", signal);
        return 128 + signal;
    }
    return status;
}

struct Options {
    std::string file;
    std::string wavOut;
    std::string audio = "sdl";
    int rate = 44100;
    int bits = 16;
    bool stereo = false;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: karrowen-play FILE [--rate R] [--bits 8|16] [--stereo] [--wav OUT] [--audio DEVICE]\n"
                 "  FILE          a .wav or .mod file\n"
                 "  --rate R      output rate in Hz (default 44100; the game uses 8000)\n"
                 "  --bits B      8 or 16 (default 16; the game uses 8)\n"
                 "  --stereo      stereo output (the game uses mono)\n"
                 "  --wav OUT     render into the WAV file OUT instead of playing\n"
                 "  --audio DEV   sdl (default), null, or wav:FILE\n");
}

bool ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "karrowen-play: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--rate") {
            const char* v = value("--rate");
            if (!v) return false;
            options.rate = std::atoi(v);
        } else if (arg == "--bits") {
            const char* v = value("--bits");
            if (!v) return false;
            options.bits = std::atoi(v);
        } else if (arg == "--stereo") {
            options.stereo = true;
        } else if (arg == "--wav") {
            const char* v = value("--wav");
            if (!v) return false;
            options.wavOut = v;
        } else if (arg == "--audio") {
            const char* v = value("--audio");
            if (!v) return false;
            options.audio = v;
        } else if (arg == "--help" || arg == "-h") {
            return false;
        } else if (options.file.empty() && arg[0] != '-') {
            options.file = arg;
        } else {
            std::fprintf(stderr, "karrowen-play: unknown argument \"%s\"\n", arg.c_str());
            return false;
        }
    }
    if (options.file.empty()) return false;
    if (!host::IsUsableAudioFormat(host::AudioFormat{options.rate, options.bits, options.stereo ? 2 : 1})) {
        std::fprintf(stderr, "karrowen-play: unusable output format %d Hz, %d bits\n", options.rate, options.bits);
        return false;
    }
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Loads the file as the game would choose by its name, or by its content when
// the name says neither ".wav" nor ".mod".
std::unique_ptr<SoundBase> LoadSound(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "karrowen-play: cannot read \"%s\"\n", path.c_str());
        return nullptr;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string name = Lower(path);
    bool isWave = name.find(".wav") != std::string::npos;
    if (!isWave && name.find(".mod") == std::string::npos) isWave = bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0;
    int result;
    std::unique_ptr<SoundBase> sound;
    if (isWave) {
        auto wave = std::make_unique<WaveSound>();
        result = wave->loadFromMemory(bytes.data(), bytes.size());
        if (result == kSoundOk)
            std::printf("%s: %lld frames, %d Hz, %s, %s\n", path.c_str(), static_cast<long long>(wave->frames),
                        wave->nativeRate, wave->eightBit ? "8-bit" : "16-bit", wave->stereo ? "stereo" : "mono");
        sound = std::move(wave);
    } else {
        auto module = std::make_unique<ModSound>();
        result = module->loadFromMemory(bytes.data(), bytes.size());
        if (result == kSoundOk) std::printf("%s: module, %d channels\n", path.c_str(), module->channels);
        sound = std::move(module);
    }
    if (result != kSoundOk) {
        std::fprintf(stderr, "karrowen-play: \"%s\" is not a playable sound (%s, %d)\n", path.c_str(),
                     result == kSoundBadFormat ? "unsupported format" : "bad structure", result);
        return nullptr;
    }
    return sound;
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

bool WriteWav(const std::string& path, const Options& options, const std::vector<uint8_t>& pcm) {
    const uint32_t channels = options.stereo ? 2 : 1;
    const uint32_t blockAlign = channels * uint32_t(options.bits) / 8;
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLe(header, uint32_t(36 + pcm.size()), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);
    PutLe(header, channels, 2);
    PutLe(header, uint32_t(options.rate), 4);
    PutLe(header, uint32_t(options.rate) * blockAlign, 4);
    PutLe(header, blockAlign, 2);
    PutLe(header, uint32_t(options.bits), 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLe(header, uint32_t(pcm.size()), 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(pcm.size()));
    return bool(out);
}

void ReportEnd(SoundMixer& mixer, const SoundBase& sound, double seconds) {
    if (sound.kind == SoundKind::Module && !stopSignal) {
        ModuleStatus status = mixer.moduleStatus(&sound);
        if (status.playing) std::printf("stopped after %.0f seconds: the song does not end\n", kMaxSeconds);
        else std::printf("song length: %.3f s\n", double(status.framesPlayed) / mixer.outputRate());
    } else {
        std::printf("played %.3f s\n", seconds);
    }
}

int Render(const Options& options, SoundBase& sound) {
    SoundMixer mixer;
    if (mixer.initOffline(options.rate, options.bits, options.stereo, 1, 16) != 0) return 1;
    if (mixer.play(&sound, kPlayAnyVoice) < 0) return 1;
    const size_t bytesPerFrame = size_t(options.bits / 8) * (options.stereo ? 2 : 1);
    // 30 ms buffers, as the driver renders them.
    std::vector<uint8_t> buffer(size_t(options.rate) * 30 / 1000 * bytesPerFrame);
    std::vector<uint8_t> pcm;
    const size_t limit = size_t(kMaxSeconds * options.rate) * bytesPerFrame;
    while (mixer.isPlaying(&sound) && pcm.size() < limit && !stopSignal) {
        mixer.render(buffer.data(), buffer.size());
        pcm.insert(pcm.end(), buffer.begin(), buffer.end());
    }
    // The last buffer runs past a module's end; keep the song only.
    ModuleStatus status = mixer.moduleStatus(&sound);
    if (sound.kind == SoundKind::Module && !status.playing)
        pcm.resize(std::min(pcm.size(), size_t(status.framesPlayed) * bytesPerFrame));
    ReportEnd(mixer, sound, double(pcm.size() / bytesPerFrame) / options.rate);
    if (!WriteWav(options.wavOut, options, pcm)) {
        std::fprintf(stderr, "karrowen-play: cannot write \"%s\"\n", options.wavOut.c_str());
        return 1;
    }
    std::printf("wrote %s\n", options.wavOut.c_str());
    return 0;
}

int Play(const Options& options, SoundBase& sound) {
    host::HostOptions hostOptions;
    hostOptions.backend = "headless";
    hostOptions.clock = "real";
    hostOptions.audio = options.audio;
    host::InitializeWith(hostOptions, host::ProgramBackends());
    int result;
    {
        SoundMixer mixer;
        result = mixer.init(options.rate, options.bits, options.stereo, 1, 16);
        if (result != 0) {
            std::fprintf(stderr, "karrowen-play: no audio device (%d); try --wav OUT\n", result);
        } else if (mixer.play(&sound, kPlayAnyVoice) < 0) {
            result = 1;
        } else {
            auto start = std::chrono::steady_clock::now();
            double seconds = 0;
            while (mixer.isPlaying(&sound) && seconds < kMaxSeconds && !stopSignal) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            }
            ReportEnd(mixer, sound, seconds);
            // The device still holds what the driver queued last.
            if (!stopSignal) std::this_thread::sleep_for(std::chrono::milliseconds(SoundMixer::kLatencyMs + 30));
        }
    }
    host::Shutdown();
    return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        Usage();
        return 2;
    }
    std::unique_ptr<SoundBase> sound = LoadSound(options.file);
    if (!sound) return 1;
    CatchStopSignals();
    return ExitStatus(options.wavOut.empty() ? Play(options, *sound) : Render(options, *sound));
}
