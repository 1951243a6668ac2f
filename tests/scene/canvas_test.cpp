#include "scene/canvas.h"

#include <chrono>
#include <thread>
#include <tuple>

#include "canvas_fixture.h"
#include "platform/host/host_local.h"
#include "platform/loop_state.h"
#include "scene/bitmap_font.h"
#include "scene/gif_encoder.h"
#include "scene/image_cache.h"
#include "scene/key_state.h"
#include "scene/object_types.h"
#include "scene/scene_sprite.h"
#include "sound/sound_mixer.h"

using namespace host;

namespace {

const char* kTwoScenes =
    "# two scenes\n"
    "\n"
    "back=type:SceneSprite, x:0, y:0, width:240, height:320\n"
    "top=type:SceneSprite, x:CENTER, y:100, width:50%, height:100\n"
    "btnBack=type:Sprite, container:back, GUIType:button, x:0, y:0, width:100, height:100\n"
    "btnTop=type:Sprite, container:top, GUIType:button, x:10, y:10, width:40, height:40, index:1, index2:a\n"
    "lost=type:Sprite, container:later, x:0, y:0, width:5, height:5\n"
    "later=type:SceneSprite\n"
    "mark=type:Marker\n"
    "gadget=type:Gadget\n"
    "untyped=x:1\n";

// A white picture in the test's folder.
void WhiteGif(testhost::ScratchFolder& scratch, const std::string& name, int w, int h) {
    GifImage image;
    image.width = w, image.height = h;
    image.palette = {0xFFFFFF};
    image.frames.push_back(GifFrame{});
    image.frames[0].width = w, image.frames[0].height = h;
    scratch.write(name, EncodeGif(image));
}

TEST_F(CanvasTest, LoadsScenesAndSpritesInFileOrderOrSaysTheTemplateIsMissing) {
    std::u16string marked;  // a type the program registers reads its own entries
    RegisterObjectType(u"Marker", [&](Canvas&, const std::u16string& entry, const PropertyList&) { marked = entry; });
    write("two.properties", kTwoScenes);
    load("two.properties");
    EXPECT_EQ(marked, u"mark");
    EXPECT_EQ(canvas->custom, std::vector<std::u16string>{u"gadget"});  // an entry without a type is no object
    ASSERT_EQ(canvas->sceneCount(), 3);
    Scene* top = canvas->findScene(u"top");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->width, 120);  // 50% of 240
    EXPECT_EQ(top->x, 60);       // centred
    EXPECT_EQ(top->y, 100);
    Scene* later = canvas->findScene(u"later");
    EXPECT_EQ(later->width, 240);  // the canvas size by default
    EXPECT_EQ(later->objectCount(), 0);
    EXPECT_EQ(canvas->findObject(u"lost"), nullptr);  // its container came later
    EXPECT_EQ(canvas->findSceneOfObject(u"btnTop"), top);
    EXPECT_EQ(canvas->findSceneOfObject(u"lost"), nullptr);
    EXPECT_EQ(canvas->templateName(), u"two.properties");
    // A scene added again keeps its place, the first one too.
    Scene* back = canvas->sceneAt(0);
    EXPECT_EQ(canvas->addScene(u"again", back), 0);
    EXPECT_EQ(std::pair(canvas->sceneCount(), back->name), std::pair(3, std::u16string(u"back")));
    auto* added = new SceneSprite(0, 0, 8, 8, 0, nullptr, 0, 0, 0, 0, 0);
    added->buffered = true;
    EXPECT_EQ(canvas->addScene(u"new", added), 3);
    EXPECT_TRUE(added->buffer && added->buffer->width == 8) << "ready to draw into at once";
    canvas->removeScene(added);  // and destroyed: the sanitizer build sees a leak
    canvas->removeScene(added);  // not in the list any more: left alone
    EXPECT_EQ(canvas->sceneCount(), 3);
    // A template merged in tells each sprite scene's focus listener, and only
    // sprite scenes have one; the page's folder stays the page's.
    struct : FocusListener {
        int told = 0;
        void focusChanged(Sprite*, Sprite*) override { ++told; }
    } focus;
    static_cast<SceneSprite*>(back)->focusListener = &focus;
    canvas->addScene(u"plain", new Scene(SceneKind::ThreeD));
    write("extra/more.properties", "gadget2=type:Gadget\n");
    canvas->loadTemplate(FromUtf8(folder + "extra/"), u"more.properties", false, false);
    EXPECT_EQ(focus.told, 1);
    EXPECT_EQ(canvas->templateDir(), FromUtf8(folder));
    canvas->addFont(u"font", BitmapFont::FromPicture(std::make_unique<FrameBuffer>(8, 8, true), 1, 1, 0, 32));
    ASSERT_NE(canvas->findFont(u"font"), nullptr);
    // A missing template says so and leaves the canvas empty, of fonts too:
    // the next page's font of the same name must not meet an old one.
    const int clears = canvas->clears;
    load("nothere.properties");
    EXPECT_EQ(canvas->templatesLoaded, 2);  // the two above, not the missing one
    EXPECT_EQ(canvas->clears, clears + 1);
    EXPECT_EQ(canvas->sceneCount(), 0);
    EXPECT_EQ(canvas->findFont(u"font"), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), "Error: Can not find the template file: " + folder + "nothere.properties.");
    EXPECT_EQ(boxes[0].style & 0xF0, host::MB_ICONHAND);
    // A page opened by name keeps the screen-shape variant of the page before it.
    write("menu_P.properties", "tall=type:SceneSprite\n");
    canvas->loadTemplate(FromUtf8(folder), u"menu.properties", true, true);
    canvas->loadTemplateByName(u"menu.properties");
    canvas->loadTemplateByName(u"");  // no page named: the page stays
    EXPECT_NE(canvas->findScene(u"tall"), nullptr);
    // A page given as bytes has no variant, nor has the page opened by name after it.
    write("menu.properties", "wide=type:SceneSprite\n");
    const std::string bytes = "s=type:SceneSprite\n";
    canvas->loadTemplateBytes(FromUtf8(folder), u"bytes.properties", reinterpret_cast<const uint8_t*>(bytes.data()),
                              bytes.size(), true);
    canvas->loadTemplateByName(u"menu.properties");
    EXPECT_NE(canvas->findScene(u"wide"), nullptr);
}

TEST_F(CanvasTest, PictureProblemsAreToldOncePerFileWithTheirOwnText) {
    WhiteGif(scratch, "pic.gif", 2, 2);
    WhiteGif(scratch, "alpha.gif", 4, 2);
    write("pics.properties",
          "s=type:SceneSprite\n"
          "a=type:Sprite, container:s, texture:pic.gif, textureAlpha:alpha.gif\n"
          "m=type:Sprite, container:s, texture:none.gif, number:3\n");
    load("pics.properties");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].line(), "Error: The texture alpha image \"alpha.gif\" has different dimension to the texture image.");
    EXPECT_EQ(boxes[0].style & 0xF0, host::MB_ICONHAND);
    EXPECT_EQ(sprite(u"a")->textureAlpha, nullptr);
    EXPECT_EQ(boxes[1].line(), "Exception: Error: can not find the image '" + folder + "none.gif'.");
}

TEST_F(CanvasTest, MergedLoadRedefinesAndWritesBackToTheFirstTemplate) {
    write("first.properties",
          "main=type:SceneSprite\n"
          "a=type:Sprite, container:main, x:1, width:5, height:5\n"
          "chk=type:Sprite, container:main, GUIType:checkbox, x:100, y:100, width:20, height:20\n");
    write("second.properties",
          "a=type:Sprite, container:main, x:7, width:5, height:5\n"
          "b=type:Sprite, container:main, x:9, width:5, height:5\n");
    load("first.properties");
    load("second.properties", false);
    load("nothere.properties", false);  // a missing merge keeps the first template as the page's file
    Scene* main = canvas->findScene(u"main");
    ASSERT_EQ(main->objectCount(), 4);  // a redefined: a second sprite "a"
    EXPECT_EQ(static_cast<Sprite*>(main->objectAt(3))->name, u"b");
    EXPECT_EQ(static_cast<Sprite*>(main->objectAt(2))->x, 7);
    EXPECT_EQ(canvas->templateName(), u"first.properties");
    tap(105, 105);  // the check box writes its status back
    ASSERT_TRUE(canvas->saveTemplate());
    std::string first = read("first.properties");
    EXPECT_NE(first.find("status:1"), std::string::npos);
    EXPECT_NE(first.find("b=type:Sprite"), std::string::npos);  // merged entries stay in memory and file
    EXPECT_EQ(read("second.properties").find("status"), std::string::npos);
}

TEST_F(CanvasTest, OnlyTheTopmostVisibleSpriteSceneGetsTheStylusAndHeldKeysPressOnce) {
    key(VK_LEFT, true);  // keys set and clear their state bits, with or without a page
    key(VK_RETURN, true);
    EXPECT_EQ(canvas->keyState(), key_bits::Left | key_bits::Action);
    key(VK_LEFT, false);
    EXPECT_EQ(canvas->keyState(), key_bits::Action);
    EXPECT_EQ(canvas->takeLastKey(), VK_LEFT);
    EXPECT_EQ(canvas->takeLastKey(), 0);
    // A subclass's key map comes first: a mapped key acts as its target, the rest as themselves.
    canvas->setKeyMap({{VK_F1, VK_UP}});
    key(VK_F1, true);
    key(VK_DOWN, true);
    EXPECT_EQ(canvas->keyState(), key_bits::Up | key_bits::Down | key_bits::Action);
    key(VK_F1, false);
    key(VK_DOWN, false);
    EXPECT_EQ(std::pair(canvas->keyState(), canvas->takeLastKey()), std::pair(KeyState(key_bits::Action), VK_DOWN));
    canvas->setKeyMap({});
    // While the game holds the input the handheld's buttons have bits of their
    // own, which no other key takes; a key without a bit changes nothing.
    OpenDirect(nullptr, false, true);
    const int held[] = {VK_APP2, VK_APP3, VK_APP4, VK_APP1, VK_RIGHT, VK_F1};
    for (int vk : held) key(vk, true);
    EXPECT_EQ(canvas->keyState(), key_bits::Action | key_bits::Right | key_bits::ButtonA | key_bits::ButtonB |
                                      key_bits::ButtonC | key_bits::ButtonStart);
    for (int vk : held) key(vk, false);
    CloseDirect();
    // Characters typed with no keyboard open go nowhere.
    SendMessage(canvas->handle(), WM_CHAR, u'q', 1);
    EXPECT_TRUE(canvas->events.empty());
    write("two.properties", kTwoScenes);
    load("two.properties");
    tap(5, 5);  // under btnBack, but "later" is topmost and has nothing there
    for (const std::string& e : canvas->events) EXPECT_EQ(e.find("btnBack"), std::string::npos);
    canvas->findScene(u"later")->visible = false;
    canvas->events.clear();
    tap(70, 110);  // btnTop's corner at (60 + 10, 100 + 10)
    std::vector<std::string> expected = {"513:btnTop:1", "514:btnTop:0"};
    EXPECT_EQ(canvas->events, expected);
    canvas->events.clear();
    tap(110, 150);  // and its far corner, 40 x 40 away
    EXPECT_EQ(canvas->events, expected);
    canvas->events.clear();
    tap(5, 5);  // top covers nothing at (5, 5): no hit, and back is not tried
    for (const std::string& e : canvas->events) EXPECT_EQ(e.find("btnBack"), std::string::npos);
    for (const char16_t* name : {u"back", u"top"}) canvas->findScene(name)->visible = false;
    tap(70, 110);  // no scene shown: no hit
    EXPECT_EQ(canvas->pressedWidget(), nullptr);
    for (const char16_t* name : {u"back", u"top"}) canvas->findScene(name)->visible = true;

    // A held key presses once and releases once.
    canvas->events.clear();
    SetLettersMode(false);  // a keypad: "index" counts
    key('1', true);
    key('1', true);  // auto-repeat
    key('1', true);
    key('1', false);
    EXPECT_EQ(canvas->events, expected);
    EXPECT_EQ(sprite(u"btnTop")->status, 0);

    canvas->events.clear();
    SetLettersMode(true);  // a keyboard: "index2", upper-cased
    key('A', true);
    key('A', true);
    key('A', false);
    EXPECT_EQ(canvas->events, expected);
    key('B', false);  // another letter keeps letters mode
    EXPECT_TRUE(LettersMode());
    key('7', false);  // a digit's release switches to the keypad keys and does nothing else
    EXPECT_FALSE(LettersMode());
    EXPECT_EQ(canvas->events.size(), 2u);
    // A scene removed while pressed is pressed no more.
    SendMessage(canvas->handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(70, 110));
    ASSERT_EQ(canvas->pressedScene(), canvas->findScene(u"top"));
    canvas->removeScene(canvas->findScene(u"top"));
    EXPECT_EQ(canvas->pressedScene(), nullptr);
}

TEST_F(CanvasTest, NumberMakesNamedCopiesAndTextEscapesApply) {
    write("copies.properties",
          "s=type:SceneSprite\n"
          "star=type:Sprite, container:s, x:3, width:4, height:4, number:3, text:Score^c\\n10\n");
    load("copies.properties");
    Scene* s = canvas->findScene(u"s");
    ASSERT_EQ(s->objectCount(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* star = static_cast<Sprite*>(s->objectAt(i));
        EXPECT_EQ(star->name, u"star" + host::FromUtf8(std::to_string(i)));
        EXPECT_EQ(star->isCopy, i > 0);
        EXPECT_EQ(star->text(), u"Score: \n\r10");
    }
}

TEST_F(CanvasTest, PageSettingAndSoundsLastUntilTheNextLoad) {
    WhiteGif(scratch, "pic.gif", 2, 2);
    write("page.properties",
          "page=type:PageSetting, defaultTextSize:20, defaultTextColor:(255;0;0), defaultTextColorBright:(0;0;9)\n"
          "beep=type:Sound, src:beep.wav\n"
          "zap=type:WaveSound, src:zap.wav\n"
          "s=type:SceneSprite\n"
          "t=type:Sprite, container:s, text:hi, width:10, height:10\n"
          "p=type:Sprite, container:s, texture:pic.gif\n");
    load("page.properties");
    EXPECT_EQ(canvas->imageCache().size(), 1u);
    EXPECT_EQ(sprite(u"t")->textSize, 20);
    EXPECT_EQ(sprite(u"t")->textColor, 0xFF0000u);
    EXPECT_EQ(sprite(u"t")->textColorBright, 0x000009u);
    EXPECT_NE(canvas->findSound(u"beep"), nullptr);  // kept even unplayable, like every sound file
    EXPECT_NE(canvas->findSound(u"zap"), nullptr);
    std::string plain = "s=type:SceneSprite\nt=type:Sprite, container:s, text:hi, width:10, height:10\n";
    canvas->loadTemplateBytes(FromUtf8(folder), u"plain.properties", (const uint8_t*)plain.data(), plain.size(), true);
    EXPECT_EQ(std::tuple(sprite(u"t")->textSize, sprite(u"t")->textColor, sprite(u"t")->textColorBright),
              std::tuple(16, 0xFFFFFFu, 0xFFFFFFu));
    EXPECT_EQ(std::pair(canvas->soundStore().size(), canvas->imageCache().size()), std::pair(size_t(0), size_t(0)))
        << "the last page's sounds and pictures are let go";
    // Bytes without a name load nothing.
    const std::string page = "page=type:PageSetting, defaultTextSize:20\n" + plain;
    canvas->loadTemplateBytes(FromUtf8(folder), u"", (const uint8_t*)page.data(), page.size(), true);
    EXPECT_EQ(sprite(u"t")->textSize, 16);
}

TEST_F(CanvasTest, RepaintWhileRunningDrawsNothingAndRunningPausesWhileInactive) {
    write("red.properties", "s=type:SceneSprite, bkgColor:(255;0;0)\n"
                            "b=type:SceneSprite, buffered:1, x:100, width:20, height:20, bkgColor:(0;255;0)\n");
    load("red.properties");
    FrameBuffer* fb = canvas->target();
    ASSERT_NE(fb, nullptr);
    canvas->start();
    canvas->repaint();
    EXPECT_EQ(ReadPixel(fb->surface(), 5, 5), 0u);
    EXPECT_EQ(ReadPixel(fb->surface(), 105, 5), 0u);  // neither direct nor buffered scenes
    canvas->stop();
    canvas->repaint();
    EXPECT_EQ(ReadPixel(fb->surface(), 5, 5), 0xFF0000u);
    EXPECT_EQ(ReadPixel(fb->surface(), 119, 19), 0x00FF00u);  // the buffered scene's last corner
    EXPECT_EQ(GetIdleHandler(), nullptr);  // stopping put the earlier handler back

    // Another program in front stops the game; back in front it runs on and takes the keys again.
    canvas->start();
    SendMessage(main->handle(), WM_ACTIVATE, 0, 0);
    EXPECT_FALSE(canvas->isRunning());
    SetFocus(main->handle());
    SendMessage(main->handle(), WM_ACTIVATE, 1, 0);
    EXPECT_TRUE(canvas->isRunning());
    EXPECT_EQ(GetFocus(), canvas->handle());
    // Stopped by its program, it stays stopped through the next switch.
    canvas->stop();
    SendMessage(main->handle(), WM_ACTIVATE, 0, 0);
    SendMessage(main->handle(), WM_ACTIVATE, 1, 0);
    EXPECT_FALSE(canvas->isRunning());
    canvas->start();
    // The sound stops with it and goes on with it.
    ASSERT_EQ(CreateSoundMixer(), 0);
    auto rendered = [] { return GetSoundMixer()->driver()->buffersRendered(); };
    auto play = [](uint32_t ms) {
        Sleep(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // for the device's own thread
    };
    play(100);
    ASSERT_TRUE(testhost::WaitFor([&] { return rendered() > 0; }));
    SendMessage(main->handle(), WM_ACTIVATE, 0, 0);
    const uint64_t paused = rendered();
    play(300);
    EXPECT_LE(rendered(), paused + 1);
    SendMessage(main->handle(), WM_ACTIVATE, 1, 0);
    play(300);
    EXPECT_TRUE(testhost::WaitFor([&] { return rendered() > paused + 2; }));
    DestroySoundMixer();
    // A scene removed while the scenes are drawn is drawn no more.
    write("two.properties", "a=type:SceneSprite, buffered:1\nb=type:SceneSprite\n");
    load("two.properties");
    canvas->stop();
    struct : ScenePresentHook {
        Canvas* canvas = nullptr;
        void present(Scene&) override { canvas->removeScene(canvas->findScene(u"b")); }
    } remover;
    remover.canvas = canvas;
    canvas->sceneAt(0)->presentHook = &remover;
    canvas->repaint();
    EXPECT_EQ(canvas->sceneCount(), 1);
    canvas->start();
    main.reset();  // a canvas closed while running leaves no idle pass behind
    EXPECT_EQ(GetIdleHandler(), nullptr);
}

// Without a back buffer a 3D scene draws straight to the window: each frame
// ends by flushing it, and a canvas with a back buffer leaves it alone.
TEST_F(CanvasTest, WithoutABackBufferEachFrameFlushesThe3DScenes) {
    struct Flushing : SceneRenderer {
        int* flushes = nullptr;
        void draw(float) override {}
        void flushDirect() override { ++*flushes; }
    };
    int flushes[2] = {};
    auto* direct = new AppCanvas(u"direct", false);
    ASSERT_TRUE(main->addChildScaled(direct));
    for (Canvas* c : std::initializer_list<Canvas*>{canvas, direct}) {
        auto* scene = new Scene(SceneKind::ThreeD);
        auto renderer = std::make_unique<Flushing>();
        renderer->flushes = &flushes[c == direct];
        scene->renderer = std::move(renderer);
        c->addScene(u"view", scene);
        c->frame();
    }
    EXPECT_EQ(std::pair(flushes[0], flushes[1]), std::pair(0, 1));
    // A repaint of a stopped canvas flushes once it has painted, as a frame
    // does, and so does a paint the window asks for.
    direct->repaint();
    canvas->repaint();
    EXPECT_EQ(std::pair(flushes[0], flushes[1]), std::pair(0, 2));
    direct->invalidate();
    canvas->invalidate();
    pump();
    EXPECT_EQ(std::pair(flushes[0], flushes[1]), std::pair(0, 3));
}

// A mouse moving without a button reaches the window under it, and the canvas
// shows what a press there would do: the I-beam over an edit box, the hand over
// another widget, the arrow over a disabled widget, a picture or an empty spot.
TEST_F(CanvasTest, HoverChoosesTheCursorWithoutPressing) {
    write("hover.properties",
          "s=type:SceneSprite, x:0, y:0, width:240, height:320\n"
          "txt=type:Sprite, container:s, GUIType:editbox, x:10, y:10, width:100, height:20\n"
          "btn=type:Sprite, container:s, GUIType:button, x:10, y:50, width:40, height:40\n"
          "off=type:Sprite, container:s, GUIType:button, x:10, y:100, width:40, height:40\n"
          "pic=type:Sprite, container:s, x:10, y:150, width:40, height:40\n");
    load("hover.properties");
    sprite(u"off")->disabled = true;
    auto cursorAt = [&](int x, int y) {
        InputStylus(StylusAction::Move, x, y);
        pump();
        return GetCursor() ? GetCursor()->id : 0;
    };
    EXPECT_EQ(cursorAt(20, 15), IDC_IBEAM);
    EXPECT_EQ(cursorAt(20, 60), IDC_HAND);
    EXPECT_EQ(cursorAt(20, 110), IDC_ARROW);  // disabled
    EXPECT_EQ(cursorAt(20, 60), IDC_HAND);
    EXPECT_EQ(cursorAt(20, 160), IDC_ARROW);  // a picture is no widget
    EXPECT_EQ(cursorAt(200, 300), IDC_ARROW);
    for (const std::string& e : canvas->events) EXPECT_EQ(e, "512:-:0");  // no button, nothing pressed
    EXPECT_EQ(canvas->pressedWidget(), nullptr);

    // Hovering while a press is held changes the cursor but not the press,
    // and a release off the button is still reported to it.
    canvas->events.clear();
    InputStylus(StylusAction::Down, 20, 60);
    pump();
    EXPECT_EQ(sprite(u"btn")->status, 1);
    EXPECT_EQ(cursorAt(20, 15), IDC_IBEAM);
    EXPECT_EQ(canvas->pressedWidget(), sprite(u"btn"));
    InputStylus(StylusAction::Up, 20, 15);
    pump();
    EXPECT_EQ(sprite(u"btn")->status, 0);
    EXPECT_EQ(canvas->events, (std::vector<std::string>{"513:btn:1", "512:btn:1", "514:btn:0"}));
}

// The screen must not go dark while a canvas runs, but the system is told so
// only about every 45 seconds, and not at all while the canvas is stopped.
TEST_F(CanvasTest, RunningCanvasResetsTheIdleTimerEvery45Seconds) {
    write("empty.properties", "s=type:SceneSprite\n");
    load("empty.properties");
    std::vector<uint32_t> resetAt;
    auto runFor = [&](uint32_t ms) {
        for (uint32_t end = TickCount() + ms; TickCount() < end;) {
            uint32_t before = IdleTimerResets();
            canvas->onIdle(Message{}, main->handle());
            if (IdleTimerResets() != before) resetAt.push_back(TickCount());
            Sleep(100);  // the canvas's fixed step: frame time and the clock agree
        }
    };
    // The game's step before each frame and its work after it.
    struct : FrameListener { int frames = 0; void onFrame(float) override { ++frames; } } before, after;
    canvas->addPreFrameListener(&before), canvas->addPostFrameListener(&after);
    uint32_t start = TickCount();
    canvas->start();
    EXPECT_EQ(GetIdleHandler(), canvas) << "the message loop's idle time goes to the running canvas";
    runFor(100000);
    EXPECT_EQ(std::tuple(before.frames, canvas->framesDrawn, canvas->framesFinished),
              std::tuple(after.frames, after.frames, after.frames));
    EXPECT_GT(before.frames, 900);  // every frame of the 100 ms steps
    EXPECT_NEAR(canvas->windowSeconds, 95.0f, 5.0f);  // and its work once a 2 s window
    ASSERT_EQ(resetAt.size(), 2u);
    for (uint32_t gap : {resetAt[0] - start, resetAt[1] - resetAt[0]})
        EXPECT_NEAR(gap, 23 * 2100, 100) << "the 23rd window, the first past 45 s, of 21 steps each";

    // Stopped, a paint draws the scenes but is no frame of the game; running, it is one.
    canvas->stop();
    const int frames = before.frames;
    canvas->render(false);
    EXPECT_EQ(before.frames, frames);
    // Starting again counts afresh.
    canvas->start();
    canvas->render(false);
    EXPECT_EQ(before.frames, frames + 1);
    runFor(40000);
    EXPECT_EQ(resetAt.size(), 2u);
    // A destroyed canvas forgets its listeners, which may be gone before it.
    ASSERT_TRUE(main->removeChild(canvas));
    const int heard = before.frames + after.frames;
    canvas->frame();
    EXPECT_EQ(before.frames + after.frames, heard);
    delete canvas;
}

}  // namespace
