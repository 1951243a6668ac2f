// The SDL backend as the program runs it, under SDL's own stand-ins for the
// hardware: the offscreen video driver fed with pushed events, and the disk
// audio driver, which writes what it plays into a file.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host/audio_device.h"
#include "platform/host/host.h"
#include "platform/host/sdl/sdl_backends.h"
#include "platform/window.h"
#include "support/test_host.h"

using namespace host;

namespace {

// Records the input messages the window hears.
class InputLog : public ::Window {
public:
    explicit InputLog(std::vector<std::string>& log) : ::Window(u"Karrowen", nullptr, false), log_(log) {}
    void onKey(uint32_t message, int key) override {
        log_.push_back((message == WM_KEYDOWN ? "keydown " : "keyup ") + std::to_string(key));
    }
    void onMouse(uint32_t message, uint32_t, int x, int y, int phase) override {
        if (phase != 0) return;  // once before and once after the listener
        const char* name = message == WM_LBUTTONDOWN ? "down" : message == WM_LBUTTONUP ? "up" : "move";
        log_.push_back(std::string(name) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void onActivate(bool active) override { log_.push_back(active ? "activate" : "deactivate"); }
    bool canClose() override {
        log_.push_back("close");
        return false;
    }

private:
    std::vector<std::string>& log_;
};

class SdlOffscreen : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPlatform();
        HostOptions options;
        options.backend = "sdl";
        options.clock = "virtual";
        options.profile = "desktop";
        options.screenWidth = 320;
        options.screenHeight = 240;
        options.zoom = "1";
        options.instance = "test-" + std::to_string(::getpid());
        const VideoBootstrap video[] = {kSdlVideo};
        InitializeWith(options, LinkedBackends{video, {}});
        ASSERT_STREQ(BackendName(), "sdl");
        window = std::make_unique<InputLog>(log);
        ASSERT_TRUE(window->create(0, 0, ScreenWidth(), ScreenHeight()));
        window->setFocus();
        testhost::Pump();
        log.clear();
    }
    void TearDown() override {
        window.reset();
        ResetPlatform();
    }

    // Pushes an event of the type once `fill` has set its fields.
    template <typename Fill>
    static void Push(Uint32 type, Fill fill) {
        SDL_Event e{};
        e.type = type;
        fill(e);
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    void key(SDL_Keycode code, bool down, bool repeat = false) {
        Push(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
            e.key.keysym.sym = code;
            e.key.repeat = repeat;
        });
    }
    void button(bool down, int x, int y, Uint8 which = SDL_BUTTON_LEFT) {
        Push(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, [&](SDL_Event& e) {
            e.button.button = which;
            e.button.x = x;
            e.button.y = y;
        });
    }
    void motion(int x, int y) {
        Push(SDL_MOUSEMOTION, [&](SDL_Event& e) {
            e.motion.x = x;
            e.motion.y = y;
        });
    }
    void windowEvent(Uint8 event) { Push(SDL_WINDOWEVENT, [&](SDL_Event& e) { e.window.event = event; }); }

    testhost::ScratchFolder scratch;
    testhost::ScopedEnv video{"SDL_VIDEODRIVER", "offscreen"};
    // Plain software drawing: otherwise the offscreen driver draws through
    // Mesa's EGL, which the events do not need and whose unloaded libraries
    // leave allocations the leak checker reports.
    testhost::ScopedEnv render{"SDL_RENDER_DRIVER", "software"}, acceleration{"SDL_FRAMEBUFFER_ACCELERATION", "0"};
    testhost::ScopedEnv config{"XDG_CONFIG_HOME", scratch.path()};  // no player's key bindings
    std::vector<std::string> log;
    std::unique_ptr<InputLog> window;
};

// Keys arrive as the bindings name them; an unbound key is dropped.
TEST_F(SdlOffscreen, KeysReachTheFocusedWindowAsBound) {
    key(SDLK_LEFT, true);
    key(SDLK_LEFT, true, true);
    key(SDLK_LEFT, false);
    key(SDLK_a, true);
    key(SDLK_KP_ENTER, true);
    key(SDLK_F7, true);
    testhost::Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"keydown 37", "keydown 37", "keyup 37", "keydown 65", "keydown 13"}));
}

// Only the left button is the stylus; a press off the panel is nobody's, but a
// held stylus dragged off it stays on its edge.
TEST_F(SdlOffscreen, TheLeftButtonIsTheStylusAndADragIsClampedToThePanel) {
    button(true, 10, 20, SDL_BUTTON_RIGHT);
    button(true, 400, 20);
    button(false, 400, 20);
    button(true, 10, 20);
    motion(-5, 500);
    button(false, 330, 7);
    testhost::Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"down 10,20", "move 0,239", "up 319,7"}));
}

TEST_F(SdlOffscreen, FocusAndClosingReachTheWindow) {
    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Push(SDL_QUIT, [](SDL_Event&) {});
    windowEvent(SDL_WINDOWEVENT_CLOSE);
    testhost::Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"deactivate", "activate", "close", "close"}));
}

void CountPlayed(void* counter) { ++*static_cast<std::atomic<int>*>(counter); }

struct DiskCase {
    const char* name;
    AudioFormat format;
    uint8_t silence;
};

class SdlDiskAudio : public ::testing::TestWithParam<DiskCase> {};

// Two buffers queued behind each other come out whole and in order, each is
// reported once, and an empty queue plays the format's silence.
TEST_P(SdlDiskAudio, PlaysTheQueueInOrderThenSilence) {
    const DiskCase& c = GetParam();
    testhost::ScratchFolder scratch;
    const std::string file = scratch.path() + "played.raw";
    testhost::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), output("SDL_DISKAUDIOFILE", file), delay("SDL_DISKAUDIODELAY", "1");
    std::atomic<int> played{0};
    {
        std::unique_ptr<AudioDevice> device = kSdlAudio.open("", c.format, CountPlayed, &played);
        ASSERT_NE(device, nullptr) << SDL_GetError();
        device->pause();
        // Longer than SDL's buffer, so the second starts part-way into one.
        const std::vector<uint8_t> first(3000, 0x11), second(3000, 0x22);
        ASSERT_TRUE(device->write(first.data(), first.size()));
        ASSERT_TRUE(device->write(second.data(), second.size()));
        device->resume();
        ASSERT_TRUE(testhost::WaitFor([&] { return played == 2; }));
    }
    EXPECT_EQ(played, 2);

    const std::string bytes = scratch.read("played.raw");
    // Whatever played before the buffers were queued is silence.
    const size_t start = bytes.find_first_not_of(char(c.silence));
    ASSERT_NE(start, std::string::npos);
    ASSERT_GE(bytes.size(), start + 6000 + 1);
    EXPECT_EQ(bytes.substr(start, 3000), std::string(3000, 0x11));
    EXPECT_EQ(bytes.substr(start + 3000, 3000), std::string(3000, 0x22));
    EXPECT_EQ(bytes.find_first_not_of(char(c.silence), start + 6000), std::string::npos) << "after the queue";
}

INSTANTIATE_TEST_SUITE_P(Formats, SdlDiskAudio,
                         ::testing::Values(DiskCase{"Signed16BitStereo", {22050, 16, 2}, 0},
                                           DiskCase{"Unsigned8BitMono", {8000, 8, 1}, 0x80}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
