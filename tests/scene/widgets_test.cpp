#include "scene/widgets.h"

#include <sys/stat.h>

#include "canvas_fixture.h"
#include "platform/device_info.h"
#include "platform/host/device_context.h"
#include "scene/input_pad.h"
#include "scene/key_state.h"
#include "scene/message_box.h"
#include "scene/stylus_joystick.h"

using namespace host;

namespace {

const char* kRadio =
    "s=type:SceneSprite\n"
    "grp=GUIType:checkboxGroup, selected:0\n"
    "c0=type:Sprite, container:s, GUIType:checkbox, group:grp, x:0, y:0, width:20, height:20, status:1\n"
    "c1=type:Sprite, container:s, GUIType:checkbox, group:grp, x:0, y:30, width:20, height:20\n"
    "c2=type:Sprite, container:s, GUIType:checkbox, group:grp, x:0, y:60, width:20, height:20, persistent:1\n"
    "lone=type:Sprite, container:s, GUIType:checkbox, x:100, y:0, width:20, height:20\n"
    "orphan=type:Sprite, container:s, GUIType:checkbox, group:nogroup, x:100, y:60, width:20, height:20\n";

using WidgetTest = CanvasTest;

TEST_F(WidgetTest, RadioGroupSelectsTheTappedBoxAndSavesWhenPersistentOrWarnsALoneBoxToggles) {
    write("radio.properties", kRadio);
    load("radio.properties");
    chmod((folder + "radio.properties").c_str(), 0444);  // read-only: warns, keeps the change in memory
    tap(5, 65);
    chmod((folder + "radio.properties").c_str(), 0644);
    EXPECT_EQ(sprite(u"c0")->status, 0);
    EXPECT_EQ(sprite(u"c1")->status, 0);
    EXPECT_EQ(sprite(u"c2")->status, 1);
    EXPECT_EQ(canvas->selectedIndex(u"grp"), 2);
    EXPECT_EQ(canvas->selectedIndex(u"nogroup"), 0) << "a group with no entry";
    EXPECT_EQ(read("radio.properties").find("selected:2"), std::string::npos);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), "Warning: Can not update the template file: " + folder +
                            "radio.properties.\nThe file is read-only or the storage media is not available. All "
                            "changes will be ignored.");
    tap(5, 65);  // cleared with the group, then toggled from 0
    EXPECT_EQ(sprite(u"c2")->status, 1);
    std::string saved = read("radio.properties");
    EXPECT_NE(saved.find("selected:2"), std::string::npos);
    std::string c0 = saved.substr(saved.find("c0="));
    c0 = c0.substr(0, c0.find('\n'));
    EXPECT_NE(c0.find("status:0"), std::string::npos) << c0;

    // A lone box toggles; a box of a group without its entry too, and says so.
    // The owner's listener hears the tap before the box acts on it.
    struct : MouseListener {
        Sprite* box = nullptr;
        std::vector<int> heard;
        void onStylus(Window*, uint32_t message, uint32_t, int, int) override {
            if (message == WM_LBUTTONDOWN) heard.push_back(box->status);
        }
    } owner;
    owner.box = sprite(u"lone");
    canvas->setMouseListener(&owner);
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        tap(105, 5);
        seen.push_back(sprite(u"lone")->status);
    }
    canvas->setMouseListener(nullptr);
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(owner.heard, (std::vector<int>{0, 1, 0}));
    EXPECT_TRUE(canvas->isChecked(u"lone"));
    tap(5, 35);
    EXPECT_FALSE(canvas->isChecked(u"c0"));
    EXPECT_TRUE(canvas->isChecked(u"c1"));
    tap(105, 65);
    EXPECT_EQ(sprite(u"orphan")->status, 1);  // still toggles
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].line(),
              "Error: The property \"grpName=GUIType:checkboxGroup, selected:0\" need to be added into template.");
}

// A stopped canvas draws only when asked: a press shows at once all the same.
TEST_F(WidgetTest, APressedButtonShowsItsBrightTextAtOnceOnAStoppedCanvas) {
    write("b.properties",
          "s=type:SceneSprite, bkgColor:(0;0;0)\n"
          "b=type:Sprite, container:s, GUIType:button, x:0, y:0, width:100, height:40, text:WWW, textSize:30, "
          "textColor:(0;0;0), textColorBright:(255;255;255)\n");
    load("b.properties");
    canvas->repaint();
    auto lit = [&] {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x) n += ReadPixel(canvas->target()->surface(), x, y) != 0;
        return n;
    };
    EXPECT_EQ(lit(), 0);
    SendMessage(canvas->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(50, 20));
    EXPECT_GT(lit(), 50);
    SendMessage(canvas->handle(), WM_LBUTTONUP, 0, MakeLParam(50, 20));
    EXPECT_EQ(lit(), 0);
}

TEST_F(WidgetTest, ArrowsMoveTheFocusByRowsAndColumnsAndReturnOrPauseConfirmIt) {
    write("nav.properties",
          "s=type:SceneSprite, navigationMode:1, buffered:1\n"
          "a=type:Sprite, container:s, GUIType:button, x:10, y:10, width:10, height:10, defaultFocus:1\n"
          "b=type:Sprite, container:s, GUIType:button, x:100, y:12, width:10, height:10\n"
          "c=type:Sprite, container:s, GUIType:button, x:50, y:60, width:10, height:10\n"
          "btnBack=type:Sprite, container:s, GUIType:button, x:150, y:250, width:10, height:10\n");
    load("nav.properties");
    auto* scene = static_cast<SceneSprite*>(canvas->findScene(u"s"));
    ASSERT_EQ(scene->focus, sprite(u"a"));
    // Pixels of the focus frame around a, in the scene's buffer.
    auto frameAroundA = [&] {
        int drawn = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) drawn += host::ReadPixel(scene->buffer->surface(), x, y) != 0;
        return drawn;
    };
    scene->renderBuffer();
    EXPECT_GT(frameAroundA(), 0);
    key(VK_LEFT, true);  // nothing on its row to the left, and nothing above
    key(VK_LEFT, false);
    EXPECT_EQ(scene->focus, sprite(u"a"));
    key(VK_RIGHT, true);
    key(VK_RIGHT, false);
    EXPECT_EQ(scene->focus, sprite(u"b"));  // dy 2 is within the row threshold
    EXPECT_EQ(frameAroundA(), 0) << "the buffer is redrawn from scratch";
    SetSceneFocus(*scene, sprite(u"a"), false);
    key(VK_DOWN, true);
    key(VK_DOWN, false);
    EXPECT_EQ(scene->focus, sprite(u"c"));
    canvas->events.clear();
    key(VK_RETURN, true);
    key(VK_RETURN, false);
    key(VK_PAUSE, true);  // Pause confirms the focus too, Escape goes back
    key(VK_PAUSE, false);
    key(VK_ESCAPE, true);
    key(VK_ESCAPE, false);
    std::vector<std::string> expected = {"513:c:1", "514:c:0", "513:c:1", "514:c:0", "513:btnBack:1", "514:btnBack:0"};
    EXPECT_EQ(canvas->events, expected);
    // A tap moves the focus onto the widget tapped.
    tap(105, 15);
    EXPECT_EQ(scene->focus, sprite(u"b"));
}

TEST_F(WidgetTest, HotKeyPageGoesBackByEscapeAndBackspaceAndFramesWidgetsWithUnusedArrows) {
    write("page.properties",
          "s=type:SceneSprite, buffered:1\n"
          "m1=type:Sprite, container:s, GUIType:button, x:10, y:40, width:60, height:20, index:1\n"
          "m2=type:Sprite, container:s, GUIType:button, x:10, y:80, width:60, height:20, index:2\n"
          "go=type:Sprite, container:s, GUIType:button, x:150, y:200, width:60, height:60, index:ENTER\n"
          "prev=type:Sprite, container:s, GUIType:button, x:10, y:280, width:20, height:20, index:LEFT\n"
          "btnBack=type:Sprite, container:s, GUIType:button, x:80, y:280, width:60, height:20\n");
    load("page.properties");
    auto* scene = static_cast<SceneSprite*>(canvas->findScene(u"s"));
    auto press = [&](int code) {
        canvas->events.clear();
        key(code, true);
        key(code, true);  // auto-repeat
        key(code, false);
        return canvas->events;
    };
    auto pressed = [](const std::string& w) { return std::vector<std::string>{"513:" + w + ":1", "514:" + w + ":0"}; };
    EXPECT_EQ(press(VK_ESCAPE), pressed("btnBack"));
    EXPECT_EQ(press(VK_BACK), pressed("btnBack"));
    EXPECT_EQ(press(VK_LEFT), pressed("prev"));  // an arrow that is a hot key stays one
    EXPECT_EQ(scene->focus, nullptr);

    // DOWN is nobody's hot key: it frames the nearest widget below the top.
    auto framePixels = [&] {
        scene->renderBuffer();
        int drawn = 0;
        for (int y = 36; y < 64; ++y)
            for (int x = 6; x < 9; ++x) drawn += host::ReadPixel(scene->buffer->surface(), x, y) != 0;
        return drawn;
    };
    EXPECT_EQ(framePixels(), 0);
    EXPECT_TRUE(press(VK_DOWN).empty());
    EXPECT_EQ(scene->focus, sprite(u"m1"));
    EXPECT_GT(framePixels(), 0);
    press(VK_DOWN);
    EXPECT_EQ(scene->focus, sprite(u"m2"));
    // RETURN now presses the framed widget; Pause still the RETURN hot key.
    EXPECT_EQ(press(VK_RETURN), pressed("m2"));
    EXPECT_EQ(press(VK_PAUSE), pressed("go"));

    // A scene that keeps its arrows (the maze) never frames anything.
    load("page.properties");
    scene = static_cast<SceneSprite*>(canvas->findScene(u"s"));
    scene->arrowsMoveFocus = false;
    press(VK_DOWN);
    EXPECT_EQ(scene->focus, nullptr);
    EXPECT_EQ(press(VK_RETURN), pressed("go"));
    // Without a visible Back button Escape and Backspace do nothing.
    sprite(u"btnBack")->visible = false;
    EXPECT_TRUE(press(VK_ESCAPE).empty());
    EXPECT_TRUE(press(VK_BACK).empty());
}

TEST_F(WidgetTest, EditBoxOpensThePadWithItsLimits) {
    write("edit.properties",
          "s=type:SceneSprite\n"
          "txtName=type:Sprite, container:s, GUIType:editbox, x:10, y:10, width:100, height:20, "
          "text: Bob (Your name), maxLength:0, allowEmpty:0\n");
    load("edit.properties");
    Sprite* box = sprite(u"txtName");
    EXPECT_EQ(box->text(), u"Bob");
    EXPECT_EQ(box->widgetParam, u"-1,Your name");
    tap(20, 20);
    InputPad* pad = canvas->inputPad();
    ASSERT_NE(pad, nullptr);
    EXPECT_TRUE(pad->isOpen());
    EXPECT_EQ(pad->text(), u"B");  // a limit of 1
}

class InputPadTest : public CanvasTest {
protected:
    void SetUp() override {
        CanvasTest::SetUp();
        write("edit.properties",
              "s=type:SceneSprite\n"
              "txtName=type:Sprite, container:s, GUIType:editbox, x:10, y:10, width:100, height:20, text:old\n"
              "btnBack=type:Sprite, container:s, GUIType:button, x:10, y:60, width:10, height:10\n");
        load("edit.properties");
        box = sprite(u"txtName");
        pad = canvas->inputPad();
        ASSERT_NE(pad, nullptr);
    }
    // A tap on a pad widget, where the pad scene places it.
    void press(const char16_t* name) {
        Scene* scene = canvas->findScene(InputPad::kSceneName);
        Sprite* w = sprite(name);
        ASSERT_NE(w, nullptr);
        tap(scene->x + w->x + w->width / 2, scene->y + w->y + w->height / 2);
    }
    Sprite* box = nullptr;
    InputPad* pad = nullptr;
};

TEST_F(InputPadTest, KeepsTwentyCharactersTypesUntilTheLimitAndCapsRelabelsTheKeys) {
    pad->open(box, std::u16string(30, u'x'), u"Name", 50, true);
    EXPECT_EQ(pad->text().size(), 20u);
    pad->close(false);
    pad->open(box, u"ab", u"Name", 3, true);
    press(u"key_0_MSGBOX");  // "1"
    press(u"key_1_MSGBOX");  // beyond the limit: ignored
    EXPECT_EQ(pad->text(), u"ab1");
    press(u"btnDel_MSGBOX");
    EXPECT_EQ(pad->text(), u"ab");
    // Caps relabels the keys.
    EXPECT_EQ(sprite(u"key_0_MSGBOX")->text(), u"1");
    press(u"btnCaps_MSGBOX");
    EXPECT_TRUE(pad->capsOn());
    EXPECT_EQ(sprite(u"btnCaps_MSGBOX")->text(), u"CAPS");
    EXPECT_EQ(sprite(u"key_0_MSGBOX")->text(), u"!");
    EXPECT_EQ(sprite(u"key_256_MSGBOX")->text(), u"Q");  // the eleventh key
    press(u"btnCaps_MSGBOX");
    EXPECT_EQ(sprite(u"key_256_MSGBOX")->text(), u"q");
}

// The physical keyboard: its characters are typed, Backspace deletes, RETURN
// confirms what was typed even after Backspace (which once framed Del, so
// RETURN deleted instead), and Escape cancels.
TEST_F(InputPadTest, TheKeyboardTypesDeletesReturnConfirmsAndEscapeCancels) {
    pad->open(box, u"", u"Name", 5, false);
    canvas->events.clear();
    for (char16_t c : std::u16string(u"Zo\be 7x!")) SendMessage(canvas->handle(), WM_CHAR, c, 1);
    EXPECT_EQ(pad->text(), u"Zoe 7") << "control characters and what passes the limit are left out";
    key(VK_BACK, true);
    key(VK_BACK, false);
    EXPECT_EQ(pad->text(), u"Zoe ");
    key(VK_RETURN, true);
    key(VK_RETURN, false);
    EXPECT_FALSE(pad->isOpen());
    EXPECT_EQ(box->text(), u"Zoe ");
    EXPECT_EQ(canvas->events, std::vector<std::string>{"514:txtName:1"});
    // Closed, the pad types nothing.
    SendMessage(canvas->handle(), WM_CHAR, u'q', 1);
    EXPECT_EQ(box->text(), u"Zoe ");
    // Escape cancels; the page's Back button under the pad is not pressed.
    pad->open(box, u"abc", u"Name", 10, true);
    canvas->events.clear();
    key(VK_ESCAPE, true);
    key(VK_ESCAPE, false);
    EXPECT_FALSE(pad->isOpen());
    EXPECT_EQ(box->text(), u"Zoe ");
    EXPECT_EQ(canvas->events, std::vector<std::string>{"514:txtName:0"});
}

// At the design size and at twice it, every command button's label (Cancel
// spelt out, Caps in both states) fits across the button's text rectangle.
TEST_F(InputPadTest, CommandLabelsFitTheirButtonsAtEverySize) {
    host::TextRasterizer* text = host::GetTextRasterizer();
    ASSERT_NE(text, nullptr) << "labels cannot be measured";
    const DesignSize saved = Design();
    for (int scale : {65536, 131072}) {
        Design().scale = scale;
        load("edit.properties");  // the pad is built again at this scale
        pad->open(sprite(u"txtName"), u"", u"Name", 10, true);
        EXPECT_EQ(sprite(u"btnCancel_MSGBOX")->text(), u"Cancel");
        for (const char16_t* name : {u"btnCaps_MSGBOX", u"btnClear_MSGBOX", u"btnDel_MSGBOX", u"btnOk_MSGBOX",
                                     u"btnCancel_MSGBOX"}) {
            Sprite* button = sprite(name);
            for (const char16_t* label : {button->text().c_str(), u"CAPS"}) {
                const int width = text->textExtent({u"Arial", button->textSize}, label).x;
                EXPECT_GT(width, 0);
                EXPECT_LE(width, button->width - 3) << host::ToUtf8(label) << " at scale " << scale;
            }
        }
        pad->close(false);
    }
    Design() = saved;
}

TEST_F(InputPadTest, ClosingReportsExactlyOneStylusUpOnTheEditBox) {
    pad->open(box, u"Ann", u"Name", 10, false);
    canvas->events.clear();
    press(u"btnClear_MSGBOX");
    press(u"btnOk_MSGBOX");  // an empty text that must not be empty is still to be typed
    EXPECT_TRUE(pad->isOpen());
    EXPECT_TRUE(canvas->events.empty());
    pad->close(true);  // closed empty all the same: reported as a cancel
    EXPECT_FALSE(pad->isOpen());
    EXPECT_EQ(canvas->events, std::vector<std::string>{"514:txtName:0"});
    EXPECT_EQ(box->text(), u"old");

    pad->open(box, u"Ann", u"Name", 10, true);
    canvas->events.clear();
    press(u"key_2_MSGBOX");
    press(u"btnOk_MSGBOX");
    EXPECT_EQ(canvas->events, std::vector<std::string>{"514:txtName:1"});
    EXPECT_EQ(box->text(), u"Ann3");
    EXPECT_EQ(canvas->pressedWidget(), nullptr);
}

class JoystickTest : public CanvasTest {
protected:
    void drag(int fromX, int fromY, int toX, int toY) {
        SendMessage(canvas->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(fromX, fromY));
        canvas->stylusJoystick()->drawJoystick();  // the direction is computed when drawn
        SendMessage(canvas->handle(), WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(toX, toY));
        canvas->stylusJoystick()->drawJoystick();
        SendMessage(canvas->handle(), WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(toX, toY));
    }
    void lift() { SendMessage(canvas->handle(), WM_LBUTTONUP, 0, MakeLParam(0, 0)); }
};

TEST_F(JoystickTest, DragsSetDirectionBits) {
    write("j.properties", "s=type:SceneSprite\n");
    load("j.properties");
    canvas->createStylusJoystick(2, 5, 8);
    drag(100, 100, 103, 103);
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, 0u);  // inside the dead radius
    lift();
    drag(100, 100, 100, 80);
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, key_bits::Up);
    lift();
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, 0u);
    drag(100, 100, 120, 80);
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, key_bits::Up | key_bits::Right);
    EXPECT_EQ(canvas->stylusJoystick()->end().x - 100, 20);  // snapped onto the diagonal
    lift();
    canvas->createStylusJoystick(2, 5, 1);
    drag(100, 100, 120, 80);
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, key_bits::Right);  // right scores first
    lift();
    EXPECT_EQ(canvas->keyState() & key_bits::Directions, 0u);
}

// The joystick takes a press before the canvas's listener hears of it, and
// lets go before the release is heard: the listener knows a drag from a tap.
TEST_F(JoystickTest, TheListenerHearsTheDragBegunAndEnded) {
    write("j.properties", "s=type:SceneSprite\n");
    load("j.properties");
    canvas->createStylusJoystick(2, 5, 8);
    struct Heard : MouseListener {
        Canvas* canvas = nullptr;
        std::vector<bool> dragging;
        void onStylus(Window*, uint32_t, uint32_t, int, int) override { dragging.push_back(canvas->stylusJoystick()->dragging()); }
    } heard;
    heard.canvas = canvas;
    MouseListener* before = canvas->mouseListener();
    canvas->setMouseListener(&heard);
    SendMessage(canvas->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(100, 100));
    lift();
    canvas->setMouseListener(before);
    EXPECT_EQ(heard.dragging, (std::vector<bool>{true, false}));
}

TEST_F(JoystickTest, ItShowsWhileDraggedAndGoesWithTheRelease) {
    write("j.properties", "s=type:SceneSprite, bkgColor:(255;0;0)\n");
    load("j.properties");
    canvas->createStylusJoystick(2, 5, 8);
    SendMessage(canvas->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(100, 100));
    SendMessage(canvas->handle(), WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(100, 60));
    const FrameBuffer& fb = *canvas->target();
    EXPECT_NE(ReadPixel(fb.surface(), 100, 55), 0xFF0000u);  // the ring at its end, drawn inverted
    lift();
    EXPECT_EQ(ReadPixel(fb.surface(), 100, 55), 0xFF0000u);
}

TEST_F(JoystickTest, MessageBoxShowsItsButtonsAndDisablesTheJoystick) {
    write("messagebox.properties",
          "sceneMessageBox_MSGBOX=type:SceneSprite, visible:0\n"
          "sptBoxBkgTexture_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, width:10, height:10\n"
          "sptMessageContext_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, visible:0, width:1, height:1\n"
          "sptMessage_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, width:100, height:40\n"
          "btnOK_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, GUIType:button, x:10, y:50, width:40, height:20\n"
          "btnYes_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, GUIType:button, x:60, y:50, width:40, height:20\n"
          "btnNo_MSGBOX=type:Sprite, container:sceneMessageBox_MSGBOX, GUIType:button, x:110, y:50, width:40, height:20\n");
    write("j.properties", "s=type:SceneSprite\n");
    load("j.properties");
    // The keyboard, built first, has a title of the same name as the box's message.
    canvas->inputPad()->open(nullptr, u"", u"Title", 5, true);
    canvas->inputPad()->close(false);
    // The box template is merged from the resource folder; point it at ours.
    canvas->loadTemplate(FromUtf8(folder), u"messagebox.properties", false, false);
    canvas->createStylusJoystick(2, 5, 8);
    EXPECT_FALSE(isMessageBoxOpen(*canvas));
    showMessageBox(*canvas, u"Quit the Game?", u"QUIT", MessageBoxButtons::YesNo, nullptr);
    EXPECT_TRUE(isMessageBoxOpen(*canvas));
    EXPECT_FALSE(sprite(u"btnOK_MSGBOX")->visible);
    EXPECT_TRUE(sprite(u"btnYes_MSGBOX")->visible);
    EXPECT_EQ(messageBoxContext(*canvas), u"QUIT");
    auto* box = static_cast<SceneSprite*>(canvas->findScene(u"sceneMessageBox_MSGBOX"));
    EXPECT_EQ(box->findSprite(u"sptMessage_MSGBOX")->text(), u"Quit the Game?");
    EXPECT_FALSE(canvas->stylusJoystick()->enabled);
    canvas->events.clear();
    key(VK_ESCAPE, true);  // Escape answers No
    key(VK_ESCAPE, false);
    EXPECT_EQ(canvas->events, (std::vector<std::string>{"513:btnNo_MSGBOX:1", "514:btnNo_MSGBOX:0"}));
    showMessageBox(*canvas, u"Loading", u"LOADING", MessageBoxButtons::None, nullptr);
    EXPECT_FALSE(sprite(u"btnYes_MSGBOX")->visible || sprite(u"btnNo_MSGBOX")->visible ||
                 sprite(u"btnOK_MSGBOX")->visible);
    showMessageBox(*canvas, u"Done", u"OK", MessageBoxButtons::Ok, nullptr);
    EXPECT_TRUE(sprite(u"btnOK_MSGBOX")->visible);
    tap(30, 60);
    EXPECT_EQ(canvas->events.back(), "514:btnOK_MSGBOX:0");
    closeMessageBox(*canvas);
    EXPECT_FALSE(isMessageBoxOpen(*canvas));
    EXPECT_TRUE(canvas->stylusJoystick()->enabled);
    EXPECT_EQ(canvas->templateName(), u"j.properties");
}

}  // namespace
