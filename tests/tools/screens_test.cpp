// The built front-end screens in the game's own canvas, on the desktop screen
// (scale 2) and on a 240 x 320 handheld (scale 1): every template loads and
// draws without a message, the message box and the on-screen keyboard come
// up with their pictures, and the hot-key marks are found.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/host/host_core.h"
#include "support/test_host.h"
#include "platform/window.h"
#include "scene/app_canvas.h"
#include "scene/hot_key_icons.h"
#include "scene/scene_state.h"
#include "scene/input_pad.h"
#include "scene/message_box.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/texture.h"
#include "template_files.h"

namespace {

// Keeps what the owner's stylus listener hears: "message:widget".
class ListeningCanvas : public AppCanvas {
public:
    ListeningCanvas() : AppCanvas(u"gameCanvas", true) {}
    void onStylus(Window*, uint32_t message, uint32_t, int, int) override {
        Sprite* w = pressedWidget();
        heard.push_back(std::to_string(message) + ":" + (w ? host::ToUtf8(w->name) : "-"));
    }
    std::vector<std::string> heard;
};

class BuiltScreens : public testhost::HostTest, public ::testing::WithParamInterface<const char*> {
protected:
    BuiltScreens() : HostTest(ResetSceneState) {}
    void SetUp() override {
        start({.profile = GetParam()});
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, host::ScreenWidth(), host::ScreenHeight()));
        canvas = new ListeningCanvas();
        ASSERT_TRUE(main->addChildScaled(canvas));
        canvas->setFocus();
    }
    void TearDown() override {
        main.reset();
        ResetSceneState();
    }

    void load(const std::u16string& dir, const std::u16string& name) {
        canvas->loadTemplate(dir, name, false, true);
        canvas->repaint();
    }
    Sprite* sprite(const char16_t* name) { return dynamic_cast<Sprite*>(canvas->findObject(name)); }
    void key(int code) {
        host::SendMessage(canvas->handle(), host::WM_KEYDOWN, code, 0);
        testhost::Pump();
        host::SendMessage(canvas->handle(), host::WM_KEYUP, code, 0);
        testhost::Pump();
    }
    void tapMiddleOf(const Sprite& s, const Scene& scene) {
        int x = scene.x + s.x + s.width / 2, y = scene.y + s.y + s.height / 2;
        host::SendMessage(canvas->handle(), host::WM_LBUTTONDOWN, host::MK_LBUTTON, host::MakeLParam(x, y));
        host::SendMessage(canvas->handle(), host::WM_LBUTTONUP, 0, host::MakeLParam(x, y));
        testhost::Pump();
    }

    std::unique_ptr<MainWindow> main;
    ListeningCanvas* canvas = nullptr;
};

bool Inside(const Sprite& inner, const Sprite& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

}  // namespace

TEST_P(BuiltScreens, TheHotKeyMarksAreFoundAndScaled) {
    const std::array<std::u16string, 5> names = {u"btnLeft.gif", u"btnUp.gif", u"btnRight.gif", u"btnDown.gif",
                                                 u"btnEnter.gif"};
    SetHotKeyIcons(canvas->resourceDir(), names);
    EXPECT_TRUE(boxes.empty()) << boxes.all();
    for (int code : {host::VK_LEFT, host::VK_UP, host::VK_RIGHT, host::VK_DOWN, host::VK_RETURN}) {
        Texture* icon = HotKeyIconFor(code);
        ASSERT_NE(icon, nullptr) << code;
        // Small beside a widget: the marks are a few design units across.
        EXPECT_EQ(icon->width, ScaleToScreen(11)) << code;
        EXPECT_EQ(icon->height, ScaleToScreen(11)) << code;
    }
}

TEST_P(BuiltScreens, EveryScreenLoadsAndDrawsWithoutAMessage) {
    int screens = 0;
    for (const TemplateFile& t : HandWrittenTemplates()) {
        if (t.name == "messagebox.properties") continue;
        load(canvas->resourceDir(), Widen(t.name));
        ++screens;
        EXPECT_NE(canvas->topmostActiveSpriteScene(), nullptr) << t.name;
        for (const testhost::Box& m : boxes) ADD_FAILURE() << t.name << ": " << m.line();
        boxes.clear();
    }
    EXPECT_GE(screens, 7);
}

TEST_P(BuiltScreens, TheMessageBoxShowsItsAnswersOnItsPanelAndTakesArrowKeys) {
    load(canvas->resourceDir(), u"intro.properties");
    showMessageBox(*canvas, u"Quit the Game?", u"QUIT", MessageBoxButtons::YesNo, nullptr);
    ASSERT_TRUE(isMessageBoxOpen(*canvas));
    EXPECT_TRUE(boxes.empty()) << boxes.all();
    Sprite* panel = sprite(u"sptBoxPanel_MSGBOX");
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel->texture, nullptr);
    for (const char16_t* name : {u"btnYes_MSGBOX", u"btnNo_MSGBOX", u"sptMessage_MSGBOX"}) {
        Sprite* part = sprite(name);
        ASSERT_NE(part, nullptr);
        EXPECT_TRUE(part->visible);
        EXPECT_TRUE(Inside(*part, *panel)) << host::ToUtf8(name) << " sticks out of the panel";
    }
    EXPECT_FALSE(sprite(u"btnOK_MSGBOX")->visible);
    EXPECT_EQ(sprite(u"sptMessage_MSGBOX")->text(), u"Quit the Game?");

    // The box lies on top: its keys answer, not the introduction's.
    key(host::VK_RIGHT);
    ASSERT_FALSE(canvas->heard.empty());
    EXPECT_EQ(canvas->heard.back(), "514:btnNo_MSGBOX");
    closeMessageBox(*canvas);
    showMessageBox(*canvas, u"Loading Level ...\\n10%", u"LOADING", MessageBoxButtons::Ok, nullptr);
    EXPECT_TRUE(sprite(u"btnOK_MSGBOX")->visible);
    EXPECT_TRUE(Inside(*sprite(u"btnOK_MSGBOX"), *panel));
    key(host::VK_RETURN);
    EXPECT_EQ(canvas->heard.back(), "514:btnOK_MSGBOX");
}

TEST_P(BuiltScreens, TheKeyboardComesUpWithItsPictures) {
    scratch.write("name.properties",
                  "scene=type:SceneSprite, x:0, y:0, width:240, height:320, bkgColor:(10;8;28)\n"
                  "txtName=type:Sprite, container:scene, x:40, y:140, width:160, height:20, GUIType:editbox, "
                  "text:Tobbin (Your name), maxLength:10\n");
    load(scratch.path16(), u"name.properties");
    tapMiddleOf(*sprite(u"txtName"), *canvas->findScene(u"scene"));
    auto* pad = dynamic_cast<SceneSprite*>(canvas->findScene(u"sceneInputPad_INPUTPAD"));
    ASSERT_NE(pad, nullptr);
    EXPECT_TRUE(pad->visible);
    EXPECT_TRUE(boxes.empty()) << boxes.all();
    // The pad, its keys and its wide keys show the pictures, each at the size the keyboard gives them.
    ASSERT_NE(pad->bkgTexture, nullptr);
    EXPECT_EQ(pad->bkgTexture->width, 230 * 2);
    Sprite* key = pad->findSprite(u"key_0_MSGBOX");
    Sprite* ok = pad->findSprite(u"btnOk_MSGBOX");
    ASSERT_TRUE(key && ok);
    ASSERT_TRUE(key->texture && ok->texture);
    EXPECT_EQ(key->texture->width, 18 * 2);
    EXPECT_EQ(ok->texture->width, 40 * 2);
    EXPECT_EQ(key->width, ScaleToScreen(18));
}

INSTANTIATE_TEST_SUITE_P(Profiles, BuiltScreens, ::testing::Values("desktop", "pocketpc"));
