#include "platform/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/host_local.h"
#include "platform/loop_state.h"
#include "platform/screen_transition.h"
#include "support/test_host.h"

using namespace host;

namespace {

// Records every hook call by name.
class ProbeWindow : public Window {
public:
    ProbeWindow(const std::u16string& title, bool buffered, std::vector<std::string>& log)
        : Window(title, nullptr, buffered), log_(log) {}
    ~ProbeWindow() override { log_.push_back("deleted"); }
    void onCreate() override { log_.push_back("create"); }
    void onCreated() override { log_.push_back("created"); }
    void onDestroy() override { log_.push_back("destroy"); }
    void onDestroyed() override { log_.push_back("destroyed"); }
    void onActivate(bool active) override { log_.push_back(active ? "activate" : "deactivate"); }
    void onActivateTree(bool active) override { log_.push_back(active ? "tree+" : "tree-"); }
    void onShow(bool shown, int) override { log_.push_back(shown ? "show" : "hide"); }
    void onPaint(PaintStruct&) override { log_.push_back("paint"); }
    void onKey(uint32_t message, int key) override {
        log_.push_back((message == WM_KEYDOWN ? "keydown " : "keyup ") + std::to_string(key));
    }
    void onMouse(uint32_t message, uint32_t, int x, int y, int phase) override {
        log_.push_back("mouse " + std::to_string(message) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                       std::to_string(phase));
    }
    void onAddChild(Window*, int, int, int, int) override { log_.push_back("addchild"); }
    bool canClose() override { return allowClose; }
    bool allowClose = true;

private:
    std::vector<std::string>& log_;
};

class CountingPainter : public WindowPainter {
public:
    void draw() override { ++draws; }
    void attach(Window*) override { ++attaches; }
    void detach(Window*) override { ++detaches; }
    int draws = 0, attaches = 0, detaches = 0;
};

// Dispatches what is queued; true when a quit message was among it.
bool QuitPending() {
    Message msg;
    bool quit = false;
    while (PeekMessage(msg, true)) {
        if (msg.message == WM_QUIT) quit = true;
        else DispatchMessage(msg);
    }
    return quit;
}

class WindowTest : public testhost::HostTest {
protected:
    std::vector<std::string> log;
    bool logged(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
};

TEST_F(WindowTest, CreateAttachesBufferedContextsAndCallsHooksInOrder) {
    ProbeWindow window(u"Probe", true, log);
    ASSERT_TRUE(window.create(0, 0, 120, 80));
    EXPECT_TRUE(log.size() >= 2 && log[0] == "create" && log[1] == "created");
    EXPECT_TRUE(window.clientWidth() == 120 && window.clientHeight() == 80);
    ASSERT_NE(window.backBuffer(), nullptr);
    EXPECT_EQ(window.drawDc(), window.backBuffer()->surface().deviceContext.get());
    EXPECT_TRUE(window.drawDc()->bkMode() == TRANSPARENT && window.drawDc()->textColor() == MakeColorRef(255, 255, 255));
    EXPECT_TRUE(logged("tree+") && logged("activate"));  // a visible top-level window becomes active
    EXPECT_TRUE(logged("show"));
    testhost::Pump();
    EXPECT_TRUE(logged("paint"));
    window.show(false);
    EXPECT_EQ(log.back(), "hide");
    window.show(true);
    EXPECT_EQ(log.back(), "paint");  // shown and drawn at once, not when the loop next runs
    // A second program window of the same title is refused: one game runs at
    // a time, and the running one is brought to the front.
    ProbeWindow other(u"Other", false, log);
    ASSERT_TRUE(other.create(0, 0, 50, 50));
    ASSERT_EQ(GetActiveWindow(), other.handle());
    ProbeWindow twin(u"Probe", true, log);
    EXPECT_FALSE(twin.create(0, 0, 120, 80));
    EXPECT_EQ(GetActiveWindow(), window.handle());
}

TEST_F(WindowTest, AddChildScaledUsesTheDesignSizeAndLetterbox) {
    start({.profile = "desktop", .screenWidth = 800, .screenHeight = 480});
    ProbeWindow main(u"Main", false, log);
    ASSERT_TRUE(main.create(0, 0, 800, 480));
    auto* child = new ProbeWindow(u"Canvas", true, log);
    ASSERT_TRUE(main.addChildScaled(child));
    Rect r = GetWindowRect(child->handle());
    EXPECT_TRUE(r.left == 80 && r.width() == 640 && r.height() == 480);
    auto* inner = new ProbeWindow(u"Inner", false, log);  // no second letterbox inside the canvas
    ASSERT_TRUE(child->addChildScaled(inner));
    Rect in = GetWindowRect(inner->handle());
    EXPECT_TRUE(in.left == r.left && in.top == r.top);
}

TEST_F(WindowTest, StylusAndKeysReachHooksAndListenersInOrder) {
    struct Listener : MouseListener, KeyListener {
        std::vector<std::string>* log;
        void onStylus(Window*, uint32_t message, uint32_t, int x, int y) override {
            log->push_back("listener " + std::to_string(message) + " " + std::to_string(x) + "," + std::to_string(y));
        }
        void onKey(Window*, uint32_t, int key) override { log->push_back("keylistener " + std::to_string(key)); }
    } listener;
    listener.log = &log;
    ProbeWindow window(u"Input", false, log);
    window.setMouseListener(&listener);
    window.setKeyListener(&listener);
    ASSERT_TRUE(window.create(0, 0, 100, 100));
    log.clear();
    SendMessage(window.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(-3, 7));
    SendMessage(window.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(1, 1));
    SendMessage(window.handle(), WM_KEYDOWN, VK_LEFT, 0);
    std::vector<std::string> expected = {"mouse 513 -3,7 0", "listener 513 -3,7", "mouse 513 -3,7 1",
                                         "keydown 37", "keylistener 37"};
    EXPECT_EQ(log, expected);  // the double-click reached no hook
}

TEST_F(WindowTest, ScriptedStylusIsDeliveredInClientCoordinatesWithCapture) {
    ProbeWindow main(u"Main", false, log);
    ASSERT_TRUE(main.create(0, 0, 480, 640));
    auto* child = new ProbeWindow(u"Child", false, log);
    ASSERT_TRUE(main.addChild(child, 100, 200, 50, 50));
    testhost::Pump();
    log.clear();
    InputStylus(StylusAction::Down, 110, 220);
    InputStylus(StylusAction::Move, 400, 600);  // dragged out: still the child's
    InputStylus(StylusAction::Up, 400, 600);
    testhost::Pump();
    std::vector<std::string> expected = {"mouse 513 10,20 0", "mouse 513 10,20 1", "mouse 512 300,400 0",
                                         "mouse 512 300,400 1", "mouse 514 300,400 0", "mouse 514 300,400 1"};
    EXPECT_EQ(log, expected);
}

TEST_F(WindowTest, ClosingAsksCanCloseAndDestroyPostsQuitAndTheWindowTakesNoMoreChildren) {
    ProbeWindow window(u"Closing", false, log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    window.allowClose = false;
    SendMessage(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window.handle()));
    window.allowClose = true;
    SendMessage(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.handle()));
    EXPECT_TRUE(logged("destroy") && logged("destroyed"));
    EXPECT_TRUE(QuitPending());
    EXPECT_FALSE(window.addChild(new ProbeWindow(u"Orphan", false, log), 0, 0, 10, 10));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid window handle.");
}

TEST_F(WindowTest, ChildIsAddedOnceAndItsRemovalEndsNothingElse) {
    ProbeWindow parent(u"Parent", false, log);
    ASSERT_TRUE(parent.create(0, 0, 100, 100));
    auto* child = new ProbeWindow(u"Child", false, log);
    ASSERT_TRUE(parent.addChild(child, 0, 0, 10, 10) && logged("addchild"));
    QuitPending();
    log.clear();
    EXPECT_TRUE(!parent.addChild(child, 10, 10, 50, 50) && log.empty());  // added twice: refused, no hooks
    EXPECT_EQ(child->parent(), &parent);
    EXPECT_TRUE(parent.removeChild(child));
    EXPECT_TRUE(logged("destroyed"));
    EXPECT_FALSE(QuitPending());  // only a top-level window ends the program
    EXPECT_TRUE(parent.children().empty() && child->parent() == nullptr && child->handle() == nullptr);
    delete child;

    // A handle the object still holds may by now be another's window (its
    // user data no longer this object): deleting the object leaves it alone.
    auto stranger = std::make_unique<ProbeWindow>(u"Stranger", false, log);
    ASSERT_TRUE(stranger->create(0, 0, 5, 5));
    ASSERT_TRUE(stranger->addChild(new ProbeWindow(u"Its child", false, log), 0, 0, 1, 1));
    WindowHandle itsChild = stranger->children().get<Window>(0)->handle();
    WindowHandle handle = stranger->handle();
    SetWindowUserData(handle, 0);
    EXPECT_FALSE(parent.removeChild(stranger.get()));  // not its child: left alone
    log.clear();
    stranger.reset();
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(log, std::vector<std::string>(2, "deleted"));  // its child object goes with it
    EXPECT_FALSE(IsWindow(itsChild));  // and takes its own window along
    // An object going takes its window along unheard: a half-destroyed object
    // is not told, and ends no program.
    QuitPending();
    {
        ProbeWindow going(u"Going", false, log);
        ASSERT_TRUE(going.create(0, 0, 5, 5));
    }
    EXPECT_FALSE(QuitPending());
}

TEST_F(WindowTest, PaintersRunOnlyOnBufferedWindowsUntilARelaunch) {
    CountingPainter painter;
    ProbeWindow plain(u"Plain", false, log);
    ASSERT_TRUE(plain.create(0, 0, 10, 10));
    plain.addPainter(&painter);
    EXPECT_EQ(painter.attaches, 0);
    plain.paint(nullptr);
    EXPECT_EQ(painter.draws, 0);

    auto* buffered = new ProbeWindow(u"Buffered", true, log);
    ASSERT_TRUE(plain.addChild(buffered, 0, 0, 10, 10));
    buffered->addPainter(&painter);
    EXPECT_EQ(painter.attaches, 1);
    // Added again, the child draws into a new back buffer: its painters follow.
    plain.removeChild(buffered);
    ASSERT_TRUE(plain.addChild(buffered, 0, 0, 10, 10));
    EXPECT_EQ(painter.target(), &buffered->backBuffer()->surface());
    buffered->paint(nullptr);
    EXPECT_EQ(painter.draws, 1);

    Loop().restarting = 1;
    buffered->paint(nullptr);
    EXPECT_EQ(painter.draws, 1);
    buffered->removePainter(&painter);
    EXPECT_EQ(painter.detaches, 1);
    CountingPainter stranger;  // never added: nothing to detach
    buffered->removePainter(&stranger);
    EXPECT_EQ(stranger.detaches, 0);
}

// The messages without a hook of the probe's own: each reaches its hook and is
// answered 0, as handled; erasing goes on to the default, which says it erased.
TEST_F(WindowTest, FocusCharacterShowAndEraseMessagesReachTheirHooks) {
    struct HookWindow : ProbeWindow {
        using ProbeWindow::ProbeWindow;
        std::vector<std::string> hooks;
        void onSetFocus() override { hooks.push_back("setfocus"); }
        void onKillFocus() override { hooks.push_back("killfocus"); }
        void onEraseBackground() override { hooks.push_back("erase"); }
        void onChar(char16_t c) override { hooks.push_back(std::string("char ") + char(c)); }
    } window(u"Hooks", false, log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    window.hooks.clear();
    log.clear();
    for (auto [message, wParam] : {std::pair{WM_SETFOCUS, uintptr_t(0)}, {WM_KILLFOCUS, 0}, {WM_CHAR, 'z'},
                                   {WM_SHOWWINDOW, 0}, {WM_SETTINGCHANGE, 0}, {WM_KEYUP, 'Q'}})
        EXPECT_EQ(SendMessage(window.handle(), message, wParam, 0), 0) << message;
    EXPECT_EQ(SendMessage(window.handle(), WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(window.hooks, (std::vector<std::string>{"setfocus", "killfocus", "char z", "erase"}));
    EXPECT_EQ(log, (std::vector<std::string>{"hide", "keyup 81"}));
}

TEST_F(WindowTest, PaintCopiesTheBackBufferAndClampsTheRectangle) {
    ProbeWindow window(u"Paint", true, log);
    ASSERT_TRUE(window.create(10, 20, 30, 40));
    FrameBuffer& fb = window.backBuffer()->surface();
    fb.deviceContext->fillRect(Rect{0, 0, 30, 40}, Brush{false, MakeColorRef(0, 0, 255)});
    Rect rect{-10, -10, 5, 100};
    window.paint(&rect);
    EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.bottom == 40);
    Rect wide{20, 0, 99, 10};
    window.paint(&wide);
    EXPECT_EQ(wide.right, 30);
    DeviceContext* screen = GetScreenDC();
    EXPECT_TRUE(screen->getPixel(10, 20) == MakeColorRef(0, 0, 255) && screen->getPixel(14, 59) == MakeColorRef(0, 0, 255));
    EXPECT_EQ(screen->getPixel(15, 20), MakeColorRef(0, 0, 0));  // right of the rectangle
    // A repaint copies the whole back buffer, its bottom-left pixel too.
    fb.deviceContext->fillRect(Rect{0, 39, 1, 40}, Brush{false, MakeColorRef(255, 0, 0)});
    window.invalidate();
    window.update();
    EXPECT_TRUE(screen->getPixel(39, 59) == MakeColorRef(0, 0, 255) && screen->getPixel(40, 59) == MakeColorRef(0, 0, 0));
    EXPECT_EQ(screen->getPixel(10, 59), MakeColorRef(255, 0, 0));
}

TEST_F(WindowTest, ScreenTurnPausesFramesUntilTheScreenIsBackToItsStartSize) {
    start({.profile = "rotated"});
    ProbeWindow window(u"Turned", false, log);
    ASSERT_TRUE(window.create(0, 0, 320, 240));
    EXPECT_EQ(Loop().displayChanged, 0);  // sized at the start size: frames run
    OpenDirect(window.handle(), true, false);
    Display().drawBegun = true;  // a frame under way on the old screen
    ChangeScreenSize(240, 320);  // the user turns the device
    EXPECT_EQ(ScreenWidth(), 320);  // the setting change turned it back
    EXPECT_EQ(Loop().displayChanged, 0);
    EXPECT_TRUE(Display().displayOpen);  // reopened on the turned-back screen
    EXPECT_FALSE(Display().drawBegun) << "nothing is drawn on the old screen's memory";

    // A system before version 4 cannot set the orientation: frames stay paused
    // until the user turns the device back.
    start({.profile = "ipaq-h3800"});
    ProbeWindow old(u"Old", false, log);
    ASSERT_TRUE(old.create(0, 0, 240, 320));
    ChangeScreenSize(320, 240);
    EXPECT_EQ(Loop().displayChanged, 1);
    ChangeScreenSize(240, 400);  // the width is back, the height is not
    EXPECT_EQ(Loop().displayChanged, 1);
    ChangeScreenSize(240, 320);
    EXPECT_EQ(Loop().displayChanged, 0);

    // Any other setting change leaves paused frames paused.
    Loop().displayChanged = 1;
    SendMessage(old.handle(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(Loop().displayChanged, 1);
}

TEST_F(WindowTest, SwitchingAwaySuspendsTheDirectDisplayUntilTheProgramIsBack) {
    start({.profile = "pocketpc"});
    ProbeWindow window(u"Direct", false, log);
    ASSERT_TRUE(window.create(0, 0, 240, 320));
    auto* canvas = new ProbeWindow(u"Canvas", true, log);
    ASSERT_TRUE(window.addChild(canvas, 0, 0, 10, 10));
    OpenDirect(window.handle(), true, false);
    ProbeWindow(u"Unmade", true, log).paint(nullptr);  // nothing to show before its window exists
    canvas->backBuffer()->surface().deviceContext->fillRect(Rect{0, 0, 10, 10}, Brush{false, MakeColorRef(0, 255, 0)});
    canvas->paint(nullptr);
    EXPECT_EQ(ReadPixel(Panel(), 3, 3), 0x00FF00u);  // straight onto the display
    InputActivate(false);
    EXPECT_EQ(Display().framePointer, nullptr);
    EXPECT_EQ(std::count(log.begin(), log.end(), "tree-"), 2);  // the canvas hears it too
    InputActivate(true);
    EXPECT_NE(Display().framePointer, nullptr);
}

TEST_F(WindowTest, ControlColourMessagesGetTheWindowsColoursExceptForDialogs) {
    ProbeWindow window(u"Colours", false, log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    // Unbuffered, the window draws white text straight onto its own context.
    EXPECT_TRUE(window.drawDc()->bkMode() == TRANSPARENT && window.drawDc()->textColor() == MakeColorRef(255, 255, 255));
    for (uint32_t message : {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, WM_CTLCOLORDLG}) {
        DeviceContext dc;
        dc.setTextColor(MakeColorRef(1, 2, 3));
        dc.setBkColor(MakeColorRef(4, 5, 6));
        intptr_t brush = SendMessage(window.handle(), message, reinterpret_cast<uintptr_t>(&dc), 0);
        const bool dialog = message == WM_CTLCOLORDLG;
        EXPECT_EQ(brush != 0, !dialog) << message;
        if (brush) {
            EXPECT_EQ(reinterpret_cast<const host::Brush*>(brush)->colour, MakeColorRef(255, 255, 255)) << message;
        }
        EXPECT_EQ(dc.textColor(), dialog ? MakeColorRef(1, 2, 3) : MakeColorRef(0, 0, 0)) << message;
        EXPECT_EQ(dc.bkColor(), dialog ? MakeColorRef(4, 5, 6) : MakeColorRef(255, 255, 255)) << message;
    }
}

// Red channel of the 5-6-5 top-left pixel.
int Red(const FrameBuffer& fb) { return reinterpret_cast<const uint16_t*>(fb.pixels)[0] >> 11; }

// Records the top-left pixel each time the window presents while a fade is
// running (the fade's own painter is the second), before that fade step.
class PixelRecorder : public WindowPainter {
public:
    void attach(Window* window) override { window_ = window; }
    void draw() override {
        if (window_->painters().size() > 1) reds.push_back(Red(*target()));
    }
    std::vector<int> reds;

private:
    Window* window_ = nullptr;
};

class FadeTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window = std::make_unique<ProbeWindow>(u"Fade", true, log);
        ASSERT_TRUE(window->create(0, 0, 4, 4));
        window->addPainter(&recorder);
        fillWhite();
    }
    void TearDown() override {
        window.reset();
        WindowTest::TearDown();
    }
    FrameBuffer& fb() { return window->backBuffer()->surface(); }
    void fillWhite() { fb().deviceContext->fillRect(Rect{0, 0, 4, 4}, Brush{false, MakeColorRef(255, 255, 255)}); }

    std::unique_ptr<ProbeWindow> window;
    PixelRecorder recorder;
    ScreenTransition fade;
    int renders = 0;
};

TEST_F(FadeTest, PainterMovesEachChannelByItsLevel) {
    FadePainter half(0x000000);
    half.setTarget(&fb());
    half.setLevel(128);
    half.draw();
    // 5-6-5 white is (31, 63, 31); c + ((0 - c) * 128 >> 8) rounds down to (15, 31, 15).
    EXPECT_EQ(reinterpret_cast<uint16_t*>(fb().pixels)[0], (15 << 11) | (31 << 5) | 15);
}

TEST_F(FadeTest, ForwardRerenderFadesTheLivePictureOutInTime) {
    uint32_t before = TickCount();
    fade.run(*window, false, true, [&] { ++renders, fillWhite(); });
    EXPECT_EQ(renders, 11);  // steps 0 to 10
    EXPECT_EQ(Red(fb()), 0);  // level 255 of white is black
    EXPECT_GE(TickCount() - before, 1000u);
    EXPECT_EQ(window->painters().size(), 1);  // the fade's painter is gone
}

TEST_F(FadeTest, ReverseRerendersAndFadesInFromTheColour) {
    std::vector<int> shown;
    fade.run(*window, true, false, [&] {
        if (renders++) shown.push_back(Red(fb()));
        fillWhite();
    });
    EXPECT_EQ(renders, 11);  // reverse renders even when asked not to
    shown.push_back(Red(fb()));
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_EQ(shown.front(), 0);   // starts at the colour
    EXPECT_EQ(shown.back(), 31);   // ends on the untouched picture
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << ::testing::PrintToString(shown);
}

TEST_F(FadeTest, WithoutRerenderTheBlendAccumulatesOnTheSamePicture) {
    // The window still waits for its first repaint, as a canvas does after a
    // load; that repaint must not add a blend of its own.
    fade.run(*window, false, false, [&] { ++renders; });
    EXPECT_EQ(renders, 0);
    ASSERT_EQ(recorder.reds.size(), 11u) << ::testing::PrintToString(recorder.reds);
    // Each step moves a quarter (64 / 256) of the way from what is shown:
    // 31 + ((0 - 31) * 64 >> 8) = 23.
    EXPECT_EQ(recorder.reds[0], 31);
    EXPECT_EQ(recorder.reds[1], 23);
    for (size_t i = 2; i < recorder.reds.size(); ++i) EXPECT_LE(recorder.reds[i], recorder.reds[i - 1]);
    EXPECT_EQ(Red(fb()), 0);
}

}  // namespace
