// The game canvas on the headless host with the build's templates: the score
// list's name entry and music, and a help page on a screen smaller than the
// design. What the canvas reads and writes in its resource folder (settings,
// scores) lies in a private folder instead.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/language_table.h"
#include "data/resource.h"
#include "game/game_canvas.h"
#include "game/score_list.h"
#include "platform/window.h"
#include "render3d/object_readers.h"
#include "scene/input_pad.h"
#include "scene/message_box.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite.h"
#include "scene/widgets.h"
#include "sound/sound_mixer.h"
#include "support/test_host.h"

namespace {

class PrivateFolderCanvas : public GameCanvas {
public:
    explicit PrivateFolderCanvas(std::u16string folder) : folder_(std::move(folder)) {}
    void onCreate() override {
        GameCanvas::onCreate();
        if (!folder_.empty()) resourceDir_ = folder_;
    }

private:
    std::u16string folder_;
};

class GameCanvasScreens : public testhost::HostTest {
protected:
    GameCanvasScreens() : HostTest(ResetSceneState) {}
    void SetUp() override {}
    // The canvas reads and writes its settings and scores in the test's
    // folder unless `shippedFolder`.
    void open(int screenWidth = 0, int screenHeight = 0, bool shippedFolder = false,
              const std::string& profile = "desktop") {
        start({.profile = profile, .screenWidth = screenWidth, .screenHeight = screenHeight});
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, host::ScreenWidth(), host::ScreenHeight()));
        canvas = new PrivateFolderCanvas(shippedFolder ? u"" : scratch.path16());
        ASSERT_TRUE(main->addChildScaled(canvas));
    }
    void TearDown() override {
        EXPECT_TRUE(boxes.empty()) << boxes.all();
        main.reset();
        DestroySoundMixer();
        HostTest::TearDown();
    }

    void write(const char* name, const std::string& text) { scratch.write(name, text); }
    void load(const char16_t* name) { canvas->loadTemplate(ResourceFolder(), name, false, true); }
    void tap(SceneSprite& scene, Sprite& widget) {
        PressWidget(scene, widget, host::WM_LBUTTONDOWN);
        PressWidget(scene, widget, host::WM_LBUTTONUP);
        testhost::Pump();
    }
    // Types on the open keyboard (caps off) and confirms.
    void typeAndConfirm(const std::u16string& text) {
        auto* pad = dynamic_cast<SceneSprite*>(canvas->findScene(InputPad::kSceneName));
        ASSERT_TRUE(pad && pad->visible);
        for (char16_t c : text) {
            Sprite* key = nullptr;
            for (int i = 0; i < pad->objectCount() && !key; ++i) {
                Sprite* s = pad->spriteAt(i);
                if (s && s->name.find(u"key_") == 0 && s->text() == std::u16string(1, c)) key = s;
            }
            ASSERT_NE(key, nullptr) << char(c);
            tap(*pad, *key);
        }
        tap(*pad, *pad->findSprite(u"btnOk_MSGBOX"));
    }

    std::unique_ptr<MainWindow> main;
    PrivateFolderCanvas* canvas = nullptr;
};

TEST_F(GameCanvasScreens, ALaterNameRenamesThisGamesEntryAndTheFieldShowsTheStoredName) {
    open();
    write("scores.properties", "default=Ann:5200,,Bob:900\n");
    load(u"scoreList.properties");
    auto* field = dynamic_cast<Sprite*>(canvas->findObject(u"txtPlayerName"));
    auto* page = dynamic_cast<SceneSprite*>(canvas->findSceneOfObject(u"txtPlayerName"));
    ASSERT_TRUE(field && page);
    typeAndConfirm(u"a/");
    EXPECT_EQ(LoadScores(canvas->resourceDir()).format(), u"Ann:5200,Bob:900,a_:0");
    EXPECT_EQ(field->text(), u"a_") << "the name as the list keeps it";
    // The field opens the keyboard again on what it shows.
    tap(*page, *field);
    typeAndConfirm(u"b");
    EXPECT_EQ(LoadScores(canvas->resourceDir()).format(), u"Ann:5200,Bob:900,a_b:0");
}

TEST_F(GameCanvasScreens, TheScoreListsMusicFollowsTheSoundSetting) {
    open();
    ASSERT_EQ(CreateSoundMixer(), 0);
    for (int selected : {1, 0}) {
        write("gsettings.properties", "soundEffect=GUIType:checkboxGroup, selected:" + std::to_string(selected) + "\n");
        load(u"scoreList.properties");
        ASSERT_NE(canvas->findSound(u"music"), nullptr);
        EXPECT_EQ(GetSoundMixer()->isPlaying(canvas->findSound(u"music")), selected == 0) << "sound option " << selected;
    }
}

// Direct display output changes nothing on a desktop: its notice and option
// show on a handheld only, and the desktop has full screen in its place.
TEST_F(GameCanvasScreens, TheDirectDisplayNoticeAndOptionShowOnAHandheldOnly) {
    for (const std::string profile : {"desktop", "pocketpc"}) {
        open(0, 0, false, profile);
        const bool handheld = profile != "desktop";
        load(u"intro.properties");
        ASSERT_NE(canvas->findScene(u"sceneGAPI"), nullptr);
        EXPECT_EQ(canvas->findScene(u"sceneGAPI")->visible, handheld) << profile;
        load(u"gsettings.properties");
        auto* direct = dynamic_cast<Sprite*>(canvas->findObject(u"chkGAPIVideo"));
        auto* full = dynamic_cast<Sprite*>(canvas->findObject(u"chkFullScreen"));
        auto* page = dynamic_cast<SceneSprite*>(canvas->findSceneOfObject(u"chkGAPIVideo"));
        ASSERT_TRUE(direct && full && page);
        EXPECT_EQ(direct->visible, handheld) << profile;
        EXPECT_EQ(full->visible, !handheld) << profile;
        EXPECT_TRUE(page->focus && page->focus->visible) << profile << ": the focus frame is on a hidden box";
        main.reset();
    }
}

// The port's settings go to karrowen.conf, among the player's own lines.
TEST_F(GameCanvasScreens, PlayStyleAndVolumeAreWrittenIntoThePlayersConfiguration) {
    scratch.write("config/karrowen/karrowen.conf", "# mine\nvolume=50\nthreads=2\n");
    const std::string config = scratch.path() + "config";
    testhost::ScopedEnv home("XDG_CONFIG_HOME", config);
    open();
    load(u"gsettings.properties");
    auto* page = dynamic_cast<SceneSprite*>(canvas->findSceneOfObject(u"btnVolumeUp"));
    auto* value = dynamic_cast<Sprite*>(canvas->findObject(u"txtVolumeValue"));
    ASSERT_TRUE(page && value);
    EXPECT_EQ(value->text(), u"50 %");
    tap(*page, *page->findSprite(u"btnVolumeUp"));
    tap(*page, *page->findSprite(u"optPlayEnhanced"));
    EXPECT_EQ(value->text(), u"60 %");
    EXPECT_EQ(scratch.read("config/karrowen/karrowen.conf"), "# mine\nvolume=60\nthreads=2\nplay=enhanced\n");
    EXPECT_TRUE(page->findSprite(u"optPlayEnhanced")->status == 1 && page->findSprite(u"optPlayOriginal")->status == 0);
}

TEST_F(GameCanvasScreens, OnASmallScreenTheHelpTitleCoversNothingDrawn) {
    open(180, 240);
    ASSERT_LT(Design().scale, 65536);
    for (const char16_t* name : {u"help1.properties", u"help2.properties", u"help3.properties"}) {
        load(name);
        auto* title = dynamic_cast<Sprite*>(canvas->findObject(u"txtTitle"));
        auto* scene = dynamic_cast<SceneSprite*>(canvas->findSceneOfObject(u"txtTitle"));
        ASSERT_TRUE(title && scene);
        for (int i = 0; i < scene->objectCount(); ++i) {
            const Sprite* s = scene->spriteAt(i);
            if (!s || s == title || !s->visible) continue;
            const bool apart = s->x + s->width <= title->x || title->x + title->width <= s->x ||
                               s->y + s->height <= title->y || title->y + title->height <= s->y;
            EXPECT_TRUE(apart) << host::ToUtf8(name) << ": the title lies on " << host::ToUtf8(s->name);
        }
    }
}

// The loading box's text whenever the canvas is painted, each change once.
class LoadingTexts : public WindowPainter {
public:
    explicit LoadingTexts(GameCanvas& canvas) : canvas_(canvas) {}
    void draw() override {
        auto* text = dynamic_cast<Sprite*>(canvas_.findObject(u"sptMessage_MSGBOX"));
        std::string shown = isMessageBoxOpen(canvas_) && text ? host::ToUtf8(text->text()) : "";
        std::erase(shown, '\r');
        if (!shown.empty() && (seen.empty() || seen.back() != shown)) seen.push_back(shown);
    }
    std::vector<std::string> seen;

private:
    GameCanvas& canvas_;
};

// The player watches a level load in three steps (after the screen, the maze
// and the characters), and the box is gone when the level starts.
TEST_F(GameCanvasScreens, ALevelLoadsInTheOrderTheBoxShowsAndThenPlays) {
    open(0, 0, true);
    LoadingTexts loading(*canvas);
    canvas->addPainter(&loading);
    Register3DObjectTypes();
    canvas->level = 1;
    canvas->levelFolderName = u"level1";
    canvas->levelImageFolder = ResourceFolder() + u"Levels/level1/";
    canvas->startLevel();
    canvas->stop();
    canvas->removePainter(&loading);
    EXPECT_EQ(loading.seen, (std::vector<std::string>{"Loading Level ...\n10%", "Loading Level ...\n50%",
                                                       "Loading Level ...\n80%"}));
    EXPECT_TRUE(canvas->gameRunning);
    EXPECT_FALSE(isMessageBoxOpen(*canvas));
}

}  // namespace
