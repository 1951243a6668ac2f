#include "platform/host/sdl/key_map.h"

#include <SDL_gamecontroller.h>
#include <SDL_keycode.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/host/sdl/pad_keys.h"
#include "platform/host/win_types.h"
#include "support/test_host.h"

using namespace host;

namespace {

TEST(KeyBindings, LinesBindKeysAndButtonsOverTheDefaultsAndBadLinesAreSkippedWithOneWarningEach) {
    KeyBindings b = DefaultKeyBindings();
    std::vector<std::string> warnings;
    ParseKeyBindings("# my keys\n"
                     "\n"
                     "  Keypad 8 = up   # the number pad steers\n"
                     "Escape = none\n"
                     "Tab=RETURN\n"
                     "pad:x = APP1\n"
                     "pad:a = SPACE\n"
                     "= = 0x86\n"
                     "Nosuchkey = LEFT\n"
                     "pad:turbo = LEFT\n"
                     "Left = Sideways\n"
                     "just words\n"
                     "Right =\n"
                     "F11 = APP2\n"
                     "F12 = APP3\n"
                     "Up = DOWN\n",
                     "keys.conf", b, warnings);
    EXPECT_EQ(b.key(SDLK_KP_8), VK_UP);
    EXPECT_EQ(b.key(SDLK_ESCAPE), 0);
    EXPECT_EQ(b.key(SDLK_TAB), VK_RETURN);
    EXPECT_EQ(b.key(SDLK_EQUALS), 0x86);
    EXPECT_EQ(b.button(SDL_CONTROLLER_BUTTON_X), VK_APP1);
    EXPECT_EQ(b.button(SDL_CONTROLLER_BUTTON_A), VK_SPACE);
    // Bad lines change nothing, and the lines after them still count.
    EXPECT_EQ(b.key(SDLK_LEFT), VK_LEFT);
    EXPECT_EQ(b.key(SDLK_RIGHT), VK_RIGHT);
    EXPECT_EQ(b.key(SDLK_F11), 0);
    EXPECT_EQ(b.key(SDLK_F12), 0);
    EXPECT_EQ(b.key(SDLK_UP), VK_DOWN);
    // What a line does not name keeps its default.
    EXPECT_EQ(b.key(SDLK_RETURN), VK_RETURN);
    EXPECT_EQ(b.button(SDL_CONTROLLER_BUTTON_START), VK_PAUSE);
    EXPECT_EQ(b.key(SDLK_CAPSLOCK), 0);
    const std::vector<std::string> expected = {
        "keys.conf:9: unknown key 'Nosuchkey'",
        "keys.conf:10: unknown controller button 'turbo'",
        "keys.conf:11: unknown device key 'Sideways'",
        "keys.conf:12: expected 'KEY = DEVICE-KEY', got 'just words'",
        "keys.conf:13: expected 'KEY = DEVICE-KEY', got 'Right ='",
        "keys.conf:14: F11 belongs to the window (full screen)",
        "keys.conf:15: F12 belongs to the window (screenshots)",
    };
    EXPECT_EQ(warnings, expected);
}

TEST(KeyBindings, TheFileLivesInTheConfigFolderAndAMissingOneGivesTheDefaultsSilently) {
    std::string folder = ::testing::TempDir() + "keys-" + std::to_string(::getpid());
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    {
        testhost::ScopedEnv config("XDG_CONFIG_HOME", folder);
        EXPECT_EQ(KeyBindingsPath(), folder + "/karrowen/keys.conf");
        testhost::ScopedEnv relative("XDG_CONFIG_HOME", "relative");  // not absolute: ignored
        EXPECT_EQ(KeyBindingsPath(), home + "/.config/karrowen/keys.conf");
    }

    std::vector<std::string> warnings;
    KeyBindings missing = LoadKeyBindings(folder + "/none/keys.conf", warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(missing.key(SDLK_a), 'A');
    EXPECT_EQ(missing.key(SDLK_F3), VK_APP3);
    EXPECT_EQ(missing.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), VK_LEFT);

    std::string path = folder + ".conf";
    std::ofstream(path) << "a = B\nbogus\n";
    KeyBindings loaded = LoadKeyBindings(path, warnings);
    EXPECT_EQ(loaded.key(SDLK_a), 'B');
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind(path + ":2: ", 0), 0u) << warnings[0];
    std::remove(path.c_str());
}

struct PadLog {
    std::vector<std::string> events;
    PadKeys keys{[this](int key, bool down) { events.push_back((down ? "+" : "-") + std::to_string(key)); }};
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

std::string Down(int key) { return "+" + std::to_string(key); }
std::string Up(int key) { return "-" + std::to_string(key); }

TEST(PadKeys, TheStickHasADeadZoneAndHysteresisAndReversesThroughTheCentre) {
    PadLog pad;
    pad.keys.stickX(PadKeys::kPress - 1);  // within the dead zone
    EXPECT_TRUE(pad.take().empty());
    pad.keys.stickX(PadKeys::kPress);
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Down(VK_RIGHT)}));
    // Sagging back between the two thresholds keeps the key held.
    pad.keys.stickX(PadKeys::kRelease);
    pad.keys.stickX(PadKeys::kPress + 5000);
    EXPECT_TRUE(pad.take().empty());
    pad.keys.stickX(PadKeys::kRelease - 1);
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Up(VK_RIGHT)}));
    // A flick straight across lets go of one side before pressing the other.
    pad.keys.stickY(-32768);
    pad.keys.stickY(32767);
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Down(VK_UP), Up(VK_UP), Down(VK_DOWN)}));
    // Passing the centre is enough to let go, even short of the other side's press.
    pad.keys.stickY(-PadKeys::kRelease - 100);
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Up(VK_DOWN)}));
}

TEST(PadKeys, AKeyHeldTwiceIsPressedOnceAndUnpluggingReleasesEverything) {
    PadLog pad;
    pad.keys.button(VK_LEFT, true);   // d-pad
    pad.keys.stickX(-30000);          // the stick the same way
    pad.keys.button(VK_LEFT, false);  // d-pad let go: the stick still holds it
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Down(VK_LEFT)}));
    pad.keys.button(VK_RETURN, true);
    pad.keys.button(0, true);  // an unbound button
    pad.keys.button(VK_ESCAPE, false);  // never pressed
    pad.keys.releaseAll();
    std::vector<std::string> released = pad.take();
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<std::string>{Down(VK_RETURN), Up(VK_RETURN), Up(VK_LEFT)}));
    // Nothing is held afterwards, and the stick starts again from the centre.
    pad.keys.releaseAll();
    pad.keys.stickX(-30000);
    EXPECT_EQ(pad.take(), (std::vector<std::string>{Down(VK_LEFT)}));
}

}  // namespace
