// Game frames of a large maze with every ghost out and the built-in player
// moving: processor milliseconds per frame at the two design scales, the
// instructions per frame under callgrind (when valgrind is installed), and
// the heap a level-42 game holds besides the screen buffers.

#include <malloc.h>
#include <unistd.h>
#include <sys/wait.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>

#include "app/start_choice.h"
#include "bench.h"
#include "game/game_canvas.h"
#include "game/game_level.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "render3d/object_readers.h"

namespace {

struct GameFrames {
    double cpuMsPerFrame = -1;
    size_t heapPeak = 0;  // bytes above the heap before the level loaded
};

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void Pump() {
    host::Message message;
    while (host::PeekMessage(message)) host::DispatchMessage(message);
}

// Kept out of line so that callgrind can count exactly these frames.
__attribute__((noinline)) void MeasuredFrames(GameCanvas& canvas, int frames, size_t& heapPeak, size_t base) {
    for (int i = 0; i < frames; ++i) {
        Pump();
        canvas.frame();
        canvas.paint(nullptr);
        heapPeak = std::max(heapPeak, HeapInUse() - base);
    }
}

GameFrames RunGame(int level, int width, int height, int frames) {
    host::HostOptions options;
    options.backend = "headless";
    options.screenWidth = width;
    options.screenHeight = height;
    options.depth = 16;
    options.instance = "bench-game";
    options.autoplay = true;
    options.hasSeed = true;
    options.seed = 42;
    host::InitializeWith(options);
    host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
    DetectDevice();
    Register3DObjectTypes();
    GameFrames result;
    {
        MainWindow main(u"Bench");
        main.create(0, 0, width, height);
        auto* canvas = new GameCanvas();
        main.addChildScaled(canvas);
        const size_t base = HeapInUse();
        canvas->level = level;
        canvas->carriedLives = 99;  // the game goes on however often the player is caught
        canvas->levelFolderName = LevelFolderName(level);
        canvas->levelImageFolder = canvas->resourceDir() + u"Levels/" + canvas->levelFolderName + u"/";
        canvas->startLevel();
        GameLevel* game = canvas->game();
        if (game) {
            result.heapPeak = HeapInUse() - base;
            // Every ghost out of the tomb, and the hero landed.
            for (int i = 0; i < 400; ++i) {
                game->reviveTick();
                MeasuredFrames(*canvas, 1, result.heapPeak, base);
            }
            const double start = ProcessSeconds();
            MeasuredFrames(*canvas, frames, result.heapPeak, base);
            result.cpuMsPerFrame = (ProcessSeconds() - start) * 1000.0 / frames;
        }
    }
    host::Shutdown();
    return result;
}

// Instructions of the measured frames, counted by callgrind in a child run.
long long InstructionsPerFrame(const char* self, int level, int width, int height, int frames) {
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) return -1;
    const std::string out = "/tmp/karrowen-bench-callgrind-" + std::to_string(::getpid());
    const std::string command = "valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*MeasuredFrames*' "
                                "--callgrind-out-file=" + out + " '" + self + "' game --inner " +
                                std::to_string(level) + " " + std::to_string(width) + " " + std::to_string(height) +
                                " " + std::to_string(frames) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return -1;
    std::ifstream in(out);
    std::string line;
    long long total = -1;
    while (std::getline(in, line))
        if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0) total = std::atoll(line.c_str() + 8);
    std::remove(out.c_str());
    // The warm-up frames are measured too: 400 of them before the timed ones.
    return total < 0 ? -1 : total / (400 + frames);
}

}  // namespace

KARROWEN_BENCH(game, "game frames of a 29 x 29 maze with all ghosts out (ms, instructions, heap)") {
    if (argc >= 6 && std::string(argv[1]) == "--inner") {
        RunGame(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
        return 0;
    }
    for (int level : {30, 42}) {
        for (int scale : {1, 2}) {
            const int w = 240 * scale, h = 320 * scale;
            GameFrames f = RunGame(level, w, h, 300);
            if (f.cpuMsPerFrame < 0) {
                std::printf("level %d: the game screen did not load\n", level);
                return 1;
            }
            std::printf("level %d, %dx%d 16-bit: %6.3f ms per frame (processor)", level, w, h, f.cpuMsPerFrame);
            char self[4096] = {};
            if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) self[0] = 0;
            long long instructions = self[0] ? InstructionsPerFrame(self, level, w, h, 50) : -1;
            if (instructions > 0) std::printf(", %.2f million instructions per frame", double(instructions) / 1e6);
            std::printf(", heap peak %.2f MiB\n", double(f.heapPeak) / (1024.0 * 1024.0));
        }
    }
    return 0;
}
