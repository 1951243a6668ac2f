#pragma once
// A canvas in a main window on a headless host, with templates written into a
// fresh folder per test.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/host_fixture.h"
#include "scene/app_canvas.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite.h"
#include "scene/widgets.h"

// Records what the owner's stylus listener sees: the widget and the message.
class RecordingCanvas : public AppCanvas {
public:
    RecordingCanvas() : AppCanvas(u"gameCanvas", true) {}
    void onStylus(Window*, uint32_t message, uint32_t flags, int, int) override {
        Sprite* w = pressedWidget();
        events.push_back(std::to_string(message) + ":" + (w ? host::ToUtf8(w->name) : "-") + ":" +
                         std::to_string(flags));
    }
    std::vector<std::string> events;
};

class CanvasTest : public HostTest {
protected:
    void SetUp() override { setUpWithDepth(16); }

    void setUpWithDepth(int depth) {
        start("pocketpc");  // 240 x 320: design units are pixels
        if (depth != 16) {
            host::HostOptions options = host::Options();
            options.depth = depth;
            host::InitializeWith(options);
            DetectDevice();
        }
        // A parameterised test's name holds a '/'.
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(test.begin(), test.end(), '/', '-');
        folder = ::testing::TempDir() + "canvas-" + std::to_string(::getpid()) + "-" + test + "/";
        std::filesystem::remove_all(folder);
        ASSERT_TRUE(std::filesystem::create_directories(folder));
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, 240, 320));
        canvas = new RecordingCanvas();
        ASSERT_TRUE(main->addChildScaled(canvas));
        canvas->setFocus();
        host::SetMessageBoxHook([this](const std::u16string& text, const std::u16string& title, uint32_t) {
            boxes.push_back(host::ToUtf8(title) + ": " + host::ToUtf8(text));
            return host::IDOK;
        });
    }
    void TearDown() override {
        main.reset();
        std::filesystem::remove_all(folder);
        ResetSceneState();
    }

    void write(const std::string& name, const std::string& text) { std::ofstream(folder + name) << text; }
    std::string read(const std::string& name) {
        std::ifstream in(folder + name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void load(const std::string& name, bool replace = true) {
        canvas->loadTemplate(host::FromUtf8(folder), host::FromUtf8(name), false, replace);
    }
    Sprite* sprite(const char16_t* name) { return dynamic_cast<Sprite*>(canvas->findObject(name)); }

    // Delivers everything queued, as the message loop would.
    void pump() {
        host::Message m;
        while (host::PeekMessage(m, true))
            if (m.message != host::WM_QUIT) host::DispatchMessage(m);
    }
    void tap(int x, int y) {
        host::SendMessage(canvas->handle(), host::WM_LBUTTONDOWN, host::MK_LBUTTON, host::MakeLParam(x, y));
        host::SendMessage(canvas->handle(), host::WM_LBUTTONUP, 0, host::MakeLParam(x, y));
        pump();
    }
    void key(int code, bool down) {
        host::SendMessage(canvas->handle(), down ? host::WM_KEYDOWN : host::WM_KEYUP, code, 0);
        pump();
    }

    std::string folder;
    std::unique_ptr<MainWindow> main;
    RecordingCanvas* canvas = nullptr;
    std::vector<std::string> boxes;
};
