#pragma once
// A canvas in a main window on the shared headless host, with templates
// written into the test's own folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scene/app_canvas.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite.h"
#include "scene/widgets.h"
#include "support/test_host.h"

// Records what the owner's stylus listener sees (the widget and the message),
// the entries left to the program, the time of the completed frame windows and
// the templates, frames and clearings it was told of.
class RecordingCanvas : public AppCanvas {
public:
    RecordingCanvas() : AppCanvas(u"gameCanvas", true) {}
    void onStylus(Window*, uint32_t message, uint32_t flags, int, int) override {
        Sprite* w = pressedWidget();
        events.push_back(std::to_string(message) + ":" + (w ? host::ToUtf8(w->name) : "-") + ":" +
                         std::to_string(flags));
    }
    void loadCustomObject(PropertyFile&, const std::u16string& entry) override { custom.push_back(entry); }
    void everyWindow(float seconds) override { windowSeconds += seconds; }
    void afterTemplateLoaded() override { ++templatesLoaded; }
    void beforeDraw(float) override { ++framesDrawn; }
    void afterDraw(float) override { ++framesFinished; }
    void beforeClear() override { ++clears; }
    std::vector<std::string> events;
    std::vector<std::u16string> custom;  // entries of a type the canvas does not know
    float windowSeconds = 0;
    int templatesLoaded = 0;
    int framesDrawn = 0, framesFinished = 0;
    int clears = 0;
};

class CanvasTest : public testhost::HostTest {
protected:
    CanvasTest() : HostTest(ResetSceneState) {}
    void SetUp() override { setUpWithDepth(16); }

    void setUpWithDepth(int depth) {
        start({.profile = "pocketpc", .depth = depth});  // 240 x 320: design units are pixels
        folder = scratch.path();
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, 240, 320));
        canvas = new RecordingCanvas();
        ASSERT_TRUE(main->addChildScaled(canvas));
        canvas->setFocus();
    }
    void TearDown() override {
        main.reset();
        HostTest::TearDown();
    }

    void write(const std::string& name, const std::string& text) { scratch.write(name, text); }
    std::string read(const std::string& name) { return scratch.read(name); }
    void load(const std::string& name, bool replace = true) {
        canvas->loadTemplate(host::FromUtf8(folder), host::FromUtf8(name), false, replace);
    }
    Sprite* sprite(const char16_t* name) { return dynamic_cast<Sprite*>(canvas->findObject(name)); }

    void pump() { testhost::Pump(); }
    void tap(int x, int y) { testhost::Tap(canvas->handle(), x, y); }
    void key(int code, bool down) {
        host::SendMessage(canvas->handle(), down ? host::WM_KEYDOWN : host::WM_KEYUP, code, 0);
        pump();
    }

    std::string folder;  // ends in '/'
    std::unique_ptr<MainWindow> main;
    RecordingCanvas* canvas = nullptr;
};
