#include "platform/host/sdl/sdl_gamepad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/window.h"
#include "support/test_host.h"

using namespace host;

namespace {

class KeyLog : public Window {
public:
    explicit KeyLog(std::vector<std::string>& log) : Window(u"Keys", nullptr, false), log_(log) {}
    void onKey(uint32_t message, int key) override {
        log_.push_back((message == WM_KEYDOWN ? "+" : "-") + std::to_string(key));
    }

private:
    std::vector<std::string>& log_;
};

// Virtual controllers stand in for real ones: SDL maps their buttons and axes
// in the order of its game-controller enums.
class GamepadTest : public testhost::HostTest {
protected:
    void SetUp() override {
        testhost::HostTest::SetUp();
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        window = std::make_unique<KeyLog>(log);
        ASSERT_TRUE(window->create(0, 0, 100, 100));
        window->setFocus();
    }
    void TearDown() override {
        for (SDL_Joystick* j : handles) SDL_JoystickClose(j);
        while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
        window.reset();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        testhost::HostTest::TearDown();
    }
    // A new controller; its handle sets what it reports.
    SDL_Joystick* plugIn() {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* j = SDL_JoystickOpen(index);
        EXPECT_NE(j, nullptr) << SDL_GetError();
        handles.push_back(j);
        return j;
    }
    std::vector<std::string> pump(SdlGamepads& pads) {
        SDL_Event e;
        SDL_PumpEvents();
        while (SDL_PollEvent(&e)) pads.handle(e);
        Message m;
        while (PeekMessage(m, true))
            if (m.message != WM_QUIT) DispatchMessage(m);
        return std::exchange(log, {});
    }
    static std::string Down(int key) { return "+" + std::to_string(key); }
    static std::string Up(int key) { return "-" + std::to_string(key); }

    std::vector<std::string> log;
    std::unique_ptr<KeyLog> window;
    std::vector<SDL_Joystick*> handles;
};

TEST_F(GamepadTest, ControllersAtStartAndPluggedInLaterGiveKeysAndLetGoOfThemWhenUnplugged) {
    SDL_Joystick* first = plugIn();
    KeyBindings bindings = DefaultKeyBindings();
    bindings.buttons[SDL_CONTROLLER_BUTTON_X] = VK_APP1;  // as keys.conf would
    SdlGamepads pads(bindings);
    ASSERT_TRUE(pads.open());
    EXPECT_TRUE(pump(pads).empty());

    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_A, 1);
    EXPECT_EQ(pump(pads), (std::vector<std::string>{Down(VK_RETURN)}));
    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_A, 0);
    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_X, 1);
    EXPECT_EQ(pump(pads), (std::vector<std::string>{Up(VK_RETURN), Down(VK_APP1)}));

    // One plugged in while the game runs works the same.
    SDL_Joystick* second = plugIn();
    pump(pads);
    SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_START, 1);
    EXPECT_EQ(pump(pads), (std::vector<std::string>{Down(VK_PAUSE)}));
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, 32767);
    EXPECT_EQ(pump(pads), (std::vector<std::string>{Down(VK_DOWN)}));

    // Pulling the first one out lets go of what it held, and only that.
    SDL_JoystickDetachVirtual(0);
    EXPECT_EQ(pump(pads), (std::vector<std::string>{Up(VK_APP1)}));
    SDL_JoystickDetachVirtual(0);
    std::vector<std::string> released = pump(pads);
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<std::string>{Up(VK_PAUSE), Up(VK_DOWN)}));  // "-19" sorts before "-40"
}

}  // namespace
