#include "game/game_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/restart.h"
#include "data/language_table.h"
#include "data/property_file.h"
#include "data/resource.h"
#include "data/text_helpers.h"
#include "game/autoplay_driver.h"
#include "game/game_level.h"
#include "game/game_view.h"
#include "game/key_steering.h"
#include "game/level_view.h"
#include "game/score_list.h"
#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/audio_device.h"
#include "platform/host/host.h"
#include "platform/host/port_options.h"
#include "render3d/scene3d.h"
#include "scene/bitmap_font.h"
#include "scene/image_cache.h"
#include "scene/image_file.h"
#include "scene/image_ops.h"
#include "scene/input_pad.h"
#include "scene/message_box.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/text_drawing.h"
#include "scene/widgets.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/sound_store.h"

namespace {

bool Contains(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }

int S(float designValue) { return ScaleToScreen(int(designValue)); }

std::u16string Text(const char16_t* key, const char16_t* fallback) {
    return std::u16string(GetLanguageText(key, fallback));
}

// "gsettings.properties"; empty when it cannot be read, so that every
// setting takes its default.
std::unique_ptr<PropertyFile> LoadSettings(const std::u16string& folder) {
    auto settings = std::make_unique<PropertyFile>(u'=', u',', u':');
    settings->load(folder, u"gsettings.properties");
    return settings;
}

// The pages before a game, which share the menu music.
bool IsMenuPage(const std::u16string& name) {
    for (const char16_t* page : {u"Cover", u"intro", u"help", u"back", u"gsettings"})
        if (Contains(name, page)) return true;
    return false;
}

// Direct display output is the handheld's: on the desktop profile the notice
// about it and its option change nothing.
bool DirectDisplayMatters() { return host::Profile().name != "desktop"; }

// The game's seed: --seed or the clock, varied by level so that every level
// of a seeded run has its own maze.
uint32_t LevelSeed(int level) { return host::RandomSeed() + uint32_t(level) * 2654435761u; }

}  // namespace

GameCanvas::GameCanvas() : AppCanvas(u"gameCanvas", true, true) {}

GameCanvas::~GameCanvas() = default;

void GameCanvas::onCreate() {
    AppCanvas::onCreate();
    // The archive first, so that a language table shipped only in it is found.
    RegisterArchive(u"resources.zip", resourceDir());
    LoadLanguageTable(resourceDir(), u"LanguageTable.txt");
    setMouseListener(this);
    fade_ = std::make_unique<ScreenTransition>();
    fade_->duration = 1.0f;
    fade_->rate = 10;
    fade_->colour = 0;
}

void GameCanvas::onDestroy() {
    menuSounds_.clear();
    menuMusic_ = nullptr;
    CloseDirect();
    gameRunning = false;
    fade_.reset();
}

// ---- Screens ------------------------------------------------------------------------

void GameCanvas::afterTemplateLoaded() {
    const std::u16string& name = templateName();
    if (Contains(name, u"scoreList")) {
        if (InputPad* pad = inputPad()) {
            auto* edit = dynamic_cast<Sprite*>(findObject(u"txtPlayerName"));
            // An empty name keeps the keyboard open: confirming one would
            // drop the score without a word.
            if (edit) pad->open(edit, playerName_, Text(u"INPUT_NAME", u"Please Input Your Name:"), 10, false);
        }
        // The score the name is for, in sight while the keyboard covers the list.
        if (auto* yours = dynamic_cast<Sprite*>(findObject(u"txtYourScore"))) {
            yours->setText(Text(u"SC_YOURS", u"Your score") + u" " + Decimal(finalScore_));
            yours->visible = game_ != nullptr;
        }
        if (auto* plate = dynamic_cast<Sprite*>(findObject(u"sptYourScore"))) plate->visible = game_ != nullptr;
        // Reached without a game too ("ARG:scoreList"): the sound setting
        // has not been applied yet.
        applySoundSetting(*LoadSettings(resourceDir()));
        music_ = findSound(u"music");
        playMusic();
        if (autoPlayer_) autoPlayer_->enterName(*this);
        return;
    }
    // The pages before a game share their own music, which plays on from
    // page to page.
    if (IsMenuPage(name)) {
        applySoundSetting(Contains(name, u"gsettings") ? templateFile() : *LoadSettings(resourceDir()));
        playMenuMusic();
    }
    if (Contains(name, u"Cover")) {
        // Frames run on the cover so that it can count the idle time.
        coverShownMs_ = host::TickCount();
        start();
        return;
    }
    if (Contains(name, u"gsettings")) {
        prepareSettingsPage();
        return;
    }
    if (Contains(name, u"intro")) {
        // The notice offers a choice that changes nothing on a desktop.
        if (templateFile().getItemInt(u"chkNoMore", u"status", 0) != 0 || !DirectDisplayMatters()) {
            if (Scene* notice = findScene(u"sceneGAPI")) notice->visible = false;
        }
        start();
        // A built-in player's run ends where a new game would begin.
        if (host::Options().autoplay) {
            std::fprintf(stderr,
                         "karrowen: the built-in player's run ends at the introduction (--autoplay); "
                         "to watch it play from a level, start with -- ARG:\n");
            if (Window* top = parent()) host::DestroyWindow(top->handle());
        }
        return;
    }
    if (!Contains(name, u"back")) {
        // Small screens: the help text gets the room of the title bar, and
        // the title takes the logo's place.
        if (Contains(name, u"help") && Design().scale < 65536) {
            if (auto* logo = dynamic_cast<Sprite*>(findObject(u"sptLogo"))) logo->visible = false;
            auto* title = dynamic_cast<Sprite*>(findObject(u"txtTitle"));
            auto* content = dynamic_cast<Sprite*>(findObject(u"txtContent"));
            auto* back = dynamic_cast<Sprite*>(findObject(u"btnBack"));
            if (title) title->y -= S(40);
            if (content) content->y -= S(40), content->height += S(80);
            if (back) back->y += S(40);
        }
        return;
    }
    start();
}

void GameCanvas::drawScenes() {
    if (gameOverShow_) {
        drawGameOver();
        return;
    }
    Canvas::drawScenes();
    if (demo && gameRunning) drawDemoCaption();
}

void GameCanvas::beforeDraw(float frameTime) {
    if (!gameRunning) {
        const std::u16string& name = templateName();
        if (Contains(name, u"intro")) animateIntro(frameTime);
        else if (Contains(name, u"back")) scrollPrompt(frameTime);
        else if (Contains(name, u"Cover")) waitForAttract();
        return;
    }
    if (demo && (leaveDemoOnInput() || game_->elapsedTime >= kDemoSeconds)) {
        leaveDemo();
        return;
    }
    if (autoPlayer_) autoPlayer_->play(*game_, handle());
    duckMusic(frameTime);
    game_->update(frameTime, game_->endTimer <= 0.0f ? steering_->request(keyState()) : GameLevel::kNoRequest);
    view_->update(*game_);
    Hero& hero = game_->hero();
    if (camera_) {
        ZoomOut(*camera_, frameTime);
        const bool sway = swayCamera_ && !gameOverShow_;
        if (!hero.dying && hero.visible) {
            if (game_->style.camera)
                FollowHeroOverhead(*camera_, hero.position, game_->maze().halfSize(), game_->maze().rows(), sway,
                                   game_->elapsedTime);
            else
                FollowHero(*camera_, view_->mazeGroup()->radius, frameTime, sway, game_->elapsedTime);
        }
        view_->fitToCamera(*game_, *camera_);
    }
    if (scene3D_ && scene3D_->target) {
        // Without its picture the level still needs a clean sky every frame.
        const Vector3 p = hero.position;
        if (background_) DrawBackdrop(*background_, *scene3D_->target, p.x, p.z, game_->maze().halfSize());
        else ::clear(*scene3D_->target, scene3D_->fog()->colour);
    }
}

void GameCanvas::afterDraw(float frameTime) {
    if (!gameRunning) return;
    if (camera_ && target())
        view_->drawGhostsNearby(*game_, *camera_, *target(), sceneConsole_ ? sceneConsole_->y : clientHeight());
    LevelOutcome outcome = game_->afterDraw(frameTime);
    if (outcome == LevelOutcome::GameOver) endGame(GameEnd::GameOver);
    else if (outcome == LevelOutcome::Cleared) endGame(GameEnd::LevelCleared);
}

void GameCanvas::everyWindow(float) {
    if (!gameRunning || game_->endTimer != 0.0f) return;
    game_->reviveTick();
    if (!isMessageBoxOpen(*this)) playMusic();
}

// The title, the start button and the glimmerkin sway against each other.
void GameCanvas::animateIntro(float frameTime) {
    float T = introClock_;
    int a = ScaleToScreen(int(std::sin(2.0f * T) * 7.0f)), b = ScaleToScreen(int(std::sin(4.0f * T) * 5.0f));
    auto* gui = dynamic_cast<SceneSprite*>(findScene(u"sceneGUI"));
    if (gui) {
        if (Sprite* title = gui->findSprite(u"sptTitle")) title->setPosition(S(25) + a, S(8) + b);
        if (Sprite* start = gui->findSprite(u"btnStartGame")) start->setPosition(S(154) - a, S(212) - b);
        if (Sprite* glimmer = gui->findSprite(u"sptGlimmerkin")) glimmer->setPosition(S(164) - a, S(90) - b);
    }
    introClock_ = T + frameTime;
}

// The prompt scrolls up and comes back in from below.
void GameCanvas::scrollPrompt(float frameTime) {
    Scene* prompt = findScene(u"scenePrompt");
    if (!prompt) return;
    prompt->y -= std::max(int(float(ScaleToScreen(10)) * frameTime), ScaleToScreen(1));
    if (prompt->y < -prompt->height) prompt->y = clientHeight();
}

// ---- Widgets --------------------------------------------------------------------------

void GameCanvas::onStylus(Window*, uint32_t message, uint32_t flags, int, int) {
    if (demo && leaveDemoOnInput()) {
        leaveDemo();
        return;
    }
    Sprite* widget = pressedWidget();
    if (message != host::WM_LBUTTONUP || !widget) return;
    if (isMessageBoxOpen(*this)) answerMessageBox(*widget);
    else onWidgetReleased(*widget, flags);
}

// Pause (a controller's Start) asks the quit question in a running game, as
// the quit button does; elsewhere it confirms like RETURN.
void GameCanvas::onKey(uint32_t message, int keyCode) {
    if (demo && leaveDemoOnInput()) {
        leaveDemo();
        return;
    }
    Sprite* quit = keyCode == host::VK_PAUSE && gameRunning && !isMessageBoxOpen(*this) && game_ &&
                           game_->endTimer <= 0.0f && sceneGUI_
                       ? guiSprite(u"btnWantToQuit")
                       : nullptr;
    if (!quit) {
        AppCanvas::onKey(message, keyCode);
        return;
    }
    PressWidget(*sceneGUI_, *quit, message == host::WM_KEYDOWN ? host::WM_LBUTTONDOWN : host::WM_LBUTTONUP);
}

void GameCanvas::onWidgetReleased(Sprite& widget, uint32_t flags) {
    const std::u16string name = widget.name;
    if (Contains(name, u"btnStartGame")) {
        RestartProgram(*static_cast<Window*>(parent()), u"ARG:");
    } else if (Contains(name, u"btnCloseGAPIMsg")) {
        if (Scene* notice = findScene(u"sceneGAPI")) notice->visible = false;
    } else if (Contains(name, u"btnWantToQuit")) {
        if (gameRunning) {
            stop();
            pauseMusic();
            showMessageBox(*this, Text(u"QT_GM", u"Quit the Game?"), u"QUIT", MessageBoxButtons::YesNo, nullptr);
            // Without its template the box cannot open, and no answer would
            // ever start the game again.
            if (!isMessageBoxOpen(*this)) {
                resumeMusic();
                start();
            }
            repaint();
        }
    } else if (Contains(name, u"txtPlayerName")) {
        finishNameEntry(flags != 0);
    } else if (Contains(name, u"optSound")) {
        applySoundSetting(templateFile());
        playMenuMusic();
    } else if (Contains(name, u"optPlayOriginal") || Contains(name, u"optPlayEnhanced")) {
        savePortSetting("play", Contains(name, u"Enhanced") ? "enhanced" : "original");
    } else if (Contains(name, u"btnVolumeDown") || Contains(name, u"btnVolumeUp")) {
        changeVolume(Contains(name, u"Up") ? kVolumeStep : -kVolumeStep);
    } else if (Contains(name, u"chkFullScreen")) {
        const bool on = widget.status == 1;
        host::SetWindowFullScreen(on);
        savePortSetting("fullscreen", on ? "on" : "off");
    } else if (Contains(name, u"btnCloseScoreBoard")) {
        stop();
        RestartProgram(*static_cast<Window*>(parent()), u"ARG:intro");
    }
    if (Contains(name, u"cmdExit")) {
        if (Window* top = parent()) host::DestroyWindow(top->handle());
    }
}

void GameCanvas::answerMessageBox(Sprite& widget) {
    std::optional<std::u16string> tag = messageBoxContext(*this);
    closeMessageBox(*this);
    if (Contains(widget.name, u"btnYes") && tag && *tag == u"QUIT") {
        endGame(GameEnd::Quit);
        return;
    }
    if (gameRunning) resumeMusic();
    start();
}

// ---- The settings page ---------------------------------------------------------------

// The page shows the handheld's settings from its own file and this port's
// from karrowen.conf; on a desktop the full screen box takes the place of
// direct display output.
void GameCanvas::prepareSettingsPage() {
    const bool handheld = DirectDisplayMatters();
    auto sprite = [this](const char16_t* name) { return dynamic_cast<Sprite*>(findObject(name)); };
    for (const char16_t* name : {u"txtDisplay", u"chkGAPIVideo"})
        if (Sprite* s = sprite(name)) s->visible = handheld;
    for (const char16_t* name : {u"txtWindow", u"chkFullScreen"})
        if (Sprite* s = sprite(name)) s->visible = !handheld;
    std::vector<std::string> warnings;
    const host::PortOptions file = host::LoadPortOptions(warnings);
    if (Sprite* full = sprite(u"chkFullScreen")) full->status = file.fullscreen || host::WindowFullScreen() ? 1 : 0;
    const bool enhanced = !(file.play == host::PlayStyle::Original());
    if (Sprite* original = sprite(u"optPlayOriginal")) original->status = enhanced ? 0 : 1;
    if (Sprite* better = sprite(u"optPlayEnhanced")) better->status = enhanced ? 1 : 0;
    volume_ = host::OutputVolume();
    showVolume();
    auto* page = dynamic_cast<SceneSprite*>(findSceneOfObject(u"chkGAPIVideo"));
    if (page && page->focus && !page->focus->visible) SetSceneFocus(*page, sprite(u"chkFullScreen"), false);
}

void GameCanvas::showVolume() {
    if (auto* value = dynamic_cast<Sprite*>(findObject(u"txtVolumeValue"))) value->setText(Decimal(volume_) + u" %");
}

void GameCanvas::changeVolume(int step) {
    volume_ = std::clamp(volume_ + step, 0, 100);
    host::SetOutputVolume(volume_);
    showVolume();
    repaint();
    savePortSetting("volume", std::to_string(volume_));
}

void GameCanvas::savePortSetting(const char* key, const std::string& value) {
    std::string error;
    if (!host::SavePortOptions({{key, value}}, error))
        host::MessageBox(handle(), u"Can not keep the setting: " + host::FromUtf8(error) + u".", u"Warning",
                         host::MB_OK | host::MB_ICONEXCLAMATION);
}

// ---- Levels ----------------------------------------------------------------------------

// The loading card: the level's sky across the screen, and over it a shaded
// band with the level's number and `text` (the loading line, or nothing once
// the loading boxes take over). Drawn in the system font: the level's fonts
// come with its templates, which load after it.
void GameCanvas::drawLoadingCard(const std::u16string& text) {
    FrameBuffer* fb = target();
    if (!fb) return;
    const int W = clientWidth(), H = clientHeight();
    if (!cardPicture_) cardPicture_ = LoadFrameBuffer(levelImageFolder + u"bkg.jpg", true);
    const FrameBuffer& sky = *cardPicture_;
    if (sky.empty()) {
        ::clear(*fb, 0);
    } else {
        // Covers the screen: the picture's middle, cut to the screen's shape.
        const bool wider = int64_t(sky.width) * H > int64_t(W) * sky.height;
        const int sw = wider ? std::max(1, int(int64_t(sky.height) * W / H)) : sky.width;
        const int sh = wider ? sky.height : std::max(1, int(int64_t(sky.width) * H / W));
        stretchRect(sky, *fb, 0, 0, W, H, (sky.width - sw) / 2, (sky.height - sh) / 2, sw, sh, true);
    }
    FrameBuffer black(1, 1, true);
    ::clear(black, 0);
    const int top = S(52), bottom = S(128);
    blendRect(black, nullptr, *fb, 0, top, W, bottom - top, 0, 0, 1, 1, 90);
    host::DeviceContext& dc = *fb->deviceContext;
    host::FontSpec big;
    big.height = S(30);
    big.weight = 700;
    host::FontSpec old = dc.selectFont(big);
    const std::u16string title = Text(u"LD_CARD", u"Level") + u" " + Decimal(level);
    host::Rect titleBox{0, S(58), W, S(94)};
    host::Rect shadowBox{S(2), S(60), W + S(2), S(96)};
    constexpr uint32_t kLine = host::DT_CENTER | host::DT_VCENTER | host::DT_SINGLELINE;
    dc.setTextColor(host::MakeColorRef(0, 0, 0));
    dc.drawText(title, shadowBox, kLine);
    dc.setTextColor(host::MakeColorRef(255, 224, 120));
    dc.drawText(title, titleBox, kLine);
    if (!text.empty()) {
        host::FontSpec small;
        small.height = S(16);
        dc.selectFont(small);
        dc.setTextColor(host::MakeColorRef(255, 255, 255));
        host::Rect lineBox{0, S(98), W, S(122)};
        dc.drawText(text, lineBox, kLine);
    }
    dc.selectFont(old);
    paint(nullptr);
    update();
}

void GameCanvas::showLoadingBox(const char16_t* key, const char16_t* text) {
    showMessageBox(*this, Text(key, text), u"LOADING", MessageBoxButtons::None, nullptr);
    repaint();
    update();
}

void GameCanvas::applySettings() {
    const std::unique_ptr<PropertyFile> settings = LoadSettings(resourceDir());
    OpenDirect(handle(), settings->getItemInt(u"chkGAPIVideo", u"status", -1) != 0, Device().hasTouch);
    applySoundSetting(*settings);
    swayCamera_ = settings->getItemInt(u"mazeEffect", u"selected", 1) == 0;
}

void GameCanvas::applySoundSetting(PropertyFile& settings) {
    const bool sound = settings.getItemInt(u"soundEffect", u"selected", -1) == 0;
    if (SoundMixer* mixer = GetSoundMixer()) {
        if (!sound) mixer->stopAll();
        mixer->setEnabled(sound);
    }
}

// Portrait screens have room below the square play area; landscape ones
// beside it.
void GameCanvas::layOutGameScreen() {
    const int d = S(40);
    if (Design().screenClass == 0) {
        if (sceneGUI_) sceneGUI_->y += d;
        if (sceneConsole_) sceneConsole_->y += 2 * d;
        for (const char16_t* name : {u"sptLifes", u"sptFlash", u"sptTobbin", u"btnWantToQuit"})
            if (Sprite* s = guiSprite(name)) s->y -= d;
        if (Sprite* score = guiSprite(u"sptScore")) score->y += d;
    } else if (Design().screenClass == 2) {
        if (sceneGUI_) sceneGUI_->x += d;
        if (sceneConsole_) sceneConsole_->x += d;
    }
}

void GameCanvas::loadBackdrop() {
    std::unique_ptr<FrameBuffer> picture =
        cardPicture_ ? std::move(cardPicture_) : LoadFrameBuffer(levelImageFolder + u"bkg.jpg", true);
    if (picture->empty()) {
        background_.reset();
        return;
    }
    const int w = S(float(picture->width)), h = S(float(picture->height));
    background_ = std::make_unique<FrameBuffer>(w, h, true);
    stretchRect(*picture, *background_, 0, 0, w, h, 0, 0, picture->width, picture->height, true);
}

void GameCanvas::startLevel() {
    if (!loadGameScreen()) return;
    buildLevel();
    beginPlay();
}

// The game screen's templates, laid out for the screen, with the level's
// number and sky. False when there is no 3D scene to play in.
bool GameCanvas::loadGameScreen() {
    drawLoadingCard(Text(u"LDING", u"Loading ..."));
    applySettings();
    loadTemplate(resourceDir(), u"GameCanvas.properties", false, true);
    drawLoadingCard(u"");
    showLoadingBox(u"LD_LVL", u"Loading Level ...\n10%");
    loadTemplate(resourceDir() + u"Levels/", levelFolderName + u".properties", false, false);

    sceneConsole_ = dynamic_cast<SceneSprite*>(findScene(u"sceneConsole"));
    sceneGUI_ = dynamic_cast<SceneSprite*>(findScene(u"sceneGUI"));
    Scene* three = findScene(u"scene3D");
    scene3D_ = three && three->kind == SceneKind::ThreeD ? static_cast<Scene3D*>(three) : nullptr;
    layOutGameScreen();
    // In the maze the arrows steer and RETURN stops: they never frame a widget.
    for (SceneSprite* scene : {sceneGUI_, sceneConsole_})
        if (scene) scene->arrowsMoveFocus = false;
    if (!scene3D_) {
        // Without its 3D scene there is no game to show: say so and go on
        // with the introduction.
        host::MessageBox(handle(), u"The game screen has no 3D scene \"scene3D\".", u"Error", host::MB_OK);
        RestartProgram(*static_cast<Window*>(parent()), u"ARG:intro");
        return false;
    }
    scene3D_->x = scene3D_->y = 0;
    scene3D_->width = clientWidth();
    scene3D_->height = clientHeight();
    if (!scene3D_->fog()) scene3D_->setFog(std::make_unique<Fog>());
    scene3D_->fog()->front = 120;
    scene3D_->fog()->back = 150;
    if (Sprite* levelText = dynamic_cast<Sprite*>(sceneConsole_ ? sceneConsole_->findObject(u"txtLevel") : nullptr)) {
        levelText->setText(u"Level" + Decimal(level));
        levelText->visible = true;
    }
    if (Sprite* scoreText = dynamic_cast<Sprite*>(sceneConsole_ ? sceneConsole_->findObject(u"txtScore") : nullptr))
        scoreText->visible = true;
    loadBackdrop();
    return true;
}

// The maze, the characters and the items, with the loading boxes between.
void GameCanvas::buildLevel() {
    game_ = std::make_unique<GameLevel>(level, carriedScore, carriedLives, LevelSeed(level), *this);
    game_->style = host::CurrentPlayStyle();
    view_ = std::make_unique<LevelView>(*scene3D_, *this, game_->style);
    steering_ = std::make_unique<KeySteering>();
    LevelPictures pictures;
    auto levelImage = [&](const char16_t* name) { return imageCache().load(levelImageFolder, name, true, false); };
    pictures.cell = levelImage(u"cell.gif");
    pictures.decor = {levelImage(u"decor1.gif"), levelImage(u"decor2.gif")};
    pictures.tomb = imageCache().load(resourceDir(), u"tomb.gif", true, false);
    game_->buildMaze();
    view_->buildMaze(*game_, pictures);
    showLoadingBox(u"LD_LVL50", u"Loading Level ...\n50%");

    static constexpr const char16_t* kHeadings[4] = {u"east", u"north", u"west", u"south"};
    for (int d = 0; d < 4; ++d) {
        const std::u16string heading = kHeadings[d];
        pictures.hero[size_t(d)] = imageCache().load(resourceDir(), u"characters/man_" + heading + u".gif", true, false);
        pictures.ghost[size_t(d)] =
            imageCache().load(resourceDir(), u"characters/ghost_" + heading + u".gif", true, false);
    }
    if (game_->style.ghosts) loadGhostColours(pictures);
    game_->createCharacters();
    view_->createCharacters(*game_, pictures);
    showLoadingBox(u"LD_LVL80", u"Loading Level ...\n80%");

    for (int t = 0; t < kItemTypes; ++t) pictures.items[size_t(t)] = levelImage(kItemImageNames[t]);
    if (const BitmapFont* bright = findFont(u"fontBright")) pictures.popupScale = bright->pictureScale;
    game_->placeItems();
    view_->placeItems(*game_, pictures);
}

// The ghosts' own colours after the original red ("ghost1_east.gif" ...),
// as many as there are, and their scared pictures.
void GameCanvas::loadGhostColours(LevelPictures& pictures) {
    static constexpr const char16_t* kHeadings[4] = {u"east", u"north", u"west", u"south"};
    pictures.ghostColours.push_back(pictures.ghost);
    for (int colour = 1;; ++colour) {
        const std::u16string base = u"characters/ghost" + Decimal(colour) + u"_";
        if (!ResourceExists(resourceDir() + base + u"east.gif")) break;
        HeadingImages images{};
        for (int d = 0; d < 4; ++d) images[size_t(d)] = imageCache().load(resourceDir(), base + kHeadings[d] + u".gif", true, false);
        pictures.ghostColours.push_back(images);
    }
    pictures.scared = {imageCache().load(resourceDir(), u"characters/ghost_scared.gif", true, false),
                       imageCache().load(resourceDir(), u"characters/ghost_scared_pale.gif", true, false)};
}

void GameCanvas::beginPlay() {
    if (sceneGUI_) sceneGUI_->visible = true;
    scene3D_->visible = true;
    createPipeline(scene3D_, kSoftwarePipeline);
    camera_ = scene3D_->camera();
    heroAppeared();
    game_->addScore(0);
    closeMessageBox(*this);
    music_ = findSound(u"music");
    // The original waits for the first two-second tick; music that plays on
    // starts with the level, where the last level left the same song.
    if (game_->style.music) {
        auto* song = dynamic_cast<ModSound*>(music_);
        SoundMixer* mixer = GetSoundMixer();
        const bool sameSong = song && carriedSong != 0 && song->identity() == carriedSong;
        if (mixer && music_) mixer->playLoopedFrom(music_, kPlayAnyVoice, sameSong ? carriedMusicMs : 0);
    }
    if (Device().hasTouch) createStylusJoystick(1, 5, 1);
    if (host::Options().autoplay || demo) autoPlayer_ = std::make_unique<AutoplayDriver>();
    demoStartMs_ = host::TickCount();
    gameRunning = true;
    start();

    std::fprintf(stderr, "karrowen: level %d started (score %d, lives %d)\n", level, carriedScore, carriedLives);
    std::fflush(stderr);
    if (host::Options().stopAtLevel > 0 && level >= host::Options().stopAtLevel) {
        if (Window* top = parent()) host::DestroyWindow(top->handle());
    }
}

void GameCanvas::playMenuMusic() {
    SoundMixer* mixer = GetSoundMixer();
    if (!mixer) return;
    if (!menuMusic_) {
        // A resource folder without the song (an old one, a test's) stays quiet.
        std::u16string name = u"menu.mod";
        if (!ResourceExists(resourceDir() + name)) return;
        menuMusic_ = loadSound(menuSounds_, resourceDir(), name);
    }
    if (menuMusic_ && !mixer->isPlaying(menuMusic_)) mixer->playLooped(menuMusic_, kPlayAnyVoice);
}

void GameCanvas::playMusic() {
    SoundMixer* mixer = GetSoundMixer();
    if (music_ && mixer && !mixer->isPlaying(music_)) mixer->playLooped(music_, kPlayAnyVoice);
}

// Under the quit question the original stops the music, and No starts it
// from its beginning; music that plays on holds every sound where it was.
void GameCanvas::pauseMusic() {
    SoundMixer* mixer = GetSoundMixer();
    if (!mixer) return;
    if (host::CurrentPlayStyle().music) mixer->pauseAll();
    else if (music_) mixer->stopSound(music_);
}

void GameCanvas::resumeMusic() {
    SoundMixer* mixer = GetSoundMixer();
    if (mixer && host::CurrentPlayStyle().music) mixer->resumeAll();
    playMusic();
}

// The music gives way to an effect and comes back within a fifth of a
// second either way, never with a jump.
void GameCanvas::duckMusic(float frameTime) {
    static constexpr int kDuckedVolume = 20;
    static constexpr float kRampSeconds = 0.2f;
    SoundMixer* mixer = GetSoundMixer();
    if (!mixer) return;
    musicDucked_ = std::max(0.0f, musicDucked_ - frameTime);
    const int target = musicDucked_ > 0.0f ? kDuckedVolume : 64;
    if (musicVolume_ == target) return;
    const int step = std::max(1, int(64.0f * frameTime / kRampSeconds));
    musicVolume_ = musicVolume_ < target ? std::min(target, musicVolume_ + step) : std::max(target, musicVolume_ - step);
    mixer->setModVolume(musicVolume_);
}

// Where the music stands, for the next level's process to go on from.
std::string GameCanvas::musicArguments() {
    auto* song = dynamic_cast<ModSound*>(music_);
    SoundMixer* mixer = GetSoundMixer();
    if (!host::CurrentPlayStyle().music || !song || !mixer || mixer->outputRate() <= 0) return "";
    const ModuleStatus status = mixer->moduleStatus(song);
    if (!status.playing) return "";
    // A song resumed from the last level counts the time it skipped as played.
    const int64_t ms = std::min<int64_t>(status.framesPlayed * 1000 / mixer->outputRate(), INT32_MAX);
    return ",Music:" + std::to_string(ms) + ",Song:" + std::to_string(song->identity());
}

void GameCanvas::endGame(GameEnd mode) {
    if (gameRunning && game_) printLevelRecord();
    const std::string music = mode == GameEnd::LevelCleared ? musicArguments() : "";
    stopAllSounds();
    if (musicVolume_ != 64) {
        musicVolume_ = 64;
        if (SoundMixer* mixer = GetSoundMixer()) mixer->setModVolume(musicVolume_);
    }
    stop();
    if (Device().hasTouch) destroyStylusJoystick();
    gameRunning = false;
    if (game_) finalScore_ = game_->hero().score;
    if (demo) {
        leaveDemo();
        return;
    }
    if (mode == GameEnd::LevelCleared) {
        const std::string args = "ARG:Level:" + std::to_string(level + 1) + ",Score:" + std::to_string(finalScore_) +
                                 ",Lifes:" + std::to_string(game_->hero().lives) + music;
        RestartProgram(*static_cast<Window*>(parent()), host::FromUtf8(args));
        return;
    }
    if (mode == GameEnd::GameOver) {
        gameOverShow_ = true;
        repaint();
    }
    if (backBuffer()) fade_->run(*this, false, false, {});
    camera_ = nullptr;
    scene3D_ = nullptr;
    sceneGUI_ = sceneConsole_ = nullptr;
    loadTemplate(resourceDir(), u"scoreList.properties", false, true);
}

// One line per level, cleared or not, so that play can be measured from a
// run's log.
void GameCanvas::printLevelRecord() const {
    const LevelRecord& record = game_->record();
    std::fprintf(stderr, "karrowen: level %d ended (score %d, lives %d, deaths %d, ghosts eaten %d, seconds %.1f)\n",
                 level, game_->hero().score, game_->hero().lives, record.deaths, record.ghostsEaten,
                 double(game_->elapsedTime));
    std::fflush(stderr);
}

// The iris of circles closing over the last picture, around "GAME OVER".
void GameCanvas::drawGameOver() {
    FrameBuffer* fb = target();
    if (!fb || !sceneGUI_) {
        gameOverShow_ = false;
        return;
    }
    host::DeviceContext& dc = *fb->deviceContext;
    host::Pen oldPen = dc.selectPen(host::Pen{false, 7, host::MakeColorRef(0, 0, 0)});
    host::Brush oldBrush = dc.selectBrush(host::Brush{true, 0});
    host::Rect box{sceneGUI_->x, sceneGUI_->y + S(100), sceneGUI_->x + S(240), sceneGUI_->y + S(140)};
    int viewportW = clientWidth(), viewportH = clientHeight();
    if (camera_) camera_->getViewport(viewportW, viewportH);
    const int cx = viewportW / 2, cy = viewportH / 2;
    TextStyle style;
    style.size = S(20);
    style.alignment = 1;
    const BitmapFont* font = findFont(u"fontBright");
    for (int r = std::min(clientWidth(), clientHeight()); r > S(36); r -= std::max(S(2), 1)) {
        dc.ellipse(cx - r, cy - r, cx + r, cy + r);
        DrawText(*fb, font, u"GAME OVER", box, style);
        paint(nullptr);
        update();
    }
    dc.selectPen(oldPen);
    dc.selectBrush(oldBrush);
    gameOverShow_ = false;
    host::Sleep(1000);
}

// ---- Attract mode ----------------------------------------------------------------------

// A cover left alone for kAttractAfterMs starts a demo game in a new process.
void GameCanvas::waitForAttract() {
    const uint32_t since = std::max(coverShownMs_, host::LastInputTime());
    if (host::TickCount() - since < kAttractAfterMs || host::Options().autoplay) return;
    stop();
    coverShownMs_ = host::TickCount();  // should the relaunch fail, wait again
    const int demoLevel = int(host::RandomSeed() % 10u) + 1;
    RestartProgram(*static_cast<Window*>(parent()),
                   host::FromUtf8("ARG:Level:" + std::to_string(demoLevel) + ",Score:0,Lifes:2,Demo:1"));
}

// The player's own input since the demo began; the built-in player's keys
// are posted messages, which never count.
bool GameCanvas::leaveDemoOnInput() { return !leavingDemo_ && host::LastInputTime() > demoStartMs_; }

void GameCanvas::leaveDemo() {
    if (leavingDemo_) return;
    leavingDemo_ = true;
    stopAllSounds();
    stop();
    gameRunning = false;
    RestartProgram(*static_cast<Window*>(parent()), u"");
}

// "DEMO", blinking below the maze's middle.
void GameCanvas::drawDemoCaption() {
    FrameBuffer* fb = target();
    if (!fb || std::fmod(game_->elapsedTime, 1.0f) > 0.7f) return;
    TextStyle style;
    style.size = S(24);
    style.alignment = 1;
    const int top = clientHeight() * 3 / 4;
    DrawText(*fb, findFont(u"fontBright"), u"DEMO", host::Rect{0, top, clientWidth(), top + S(28)}, style);
}

// ---- The score list --------------------------------------------------------------------

void GameCanvas::finishNameEntry(bool confirmed) {
    if (Sprite* close = dynamic_cast<Sprite*>(findObject(u"btnCloseScoreBoard"))) close->visible = true;
    if (InputPad* pad = inputPad()) playerName_ = pad->text();
    ScoreTable table = LoadScores(resourceDir());
    if (confirmed && !playerName_.empty()) {
        // The name field opens the keyboard again: a later name renames this
        // game's entry instead of adding its score once more.
        if (enteredName_) table.remove(*enteredName_, finalScore_);
        enteredName_.reset();
        if (table.insert(playerName_, finalScore_)) enteredName_ = playerName_;
        if (auto* edit = dynamic_cast<Sprite*>(findObject(u"txtPlayerName"))) edit->setText(StorableName(playerName_));
        // The list is shown all the same; the old file stays whole.
        if (!SaveScores(resourceDir(), table))
            host::MessageBox(handle(),
                             u"Can not update the score file: " + resourceDir() +
                                 u"scores.properties.\nThe file is read-only or the storage media is not available.",
                             u"Warning", host::MB_OK | host::MB_ICONEXCLAMATION);
    }
    ShowScores(*this, table);
    if (autoPlayer_) autoPlayer_->closeScoreList(*this);
}

// ---- GameHost ------------------------------------------------------------------------

void GameCanvas::playSound(std::u16string_view name) {
    SoundMixer* mixer = GetSoundMixer();
    SoundBase* sound = findSound(std::u16string(name));
    if (mixer && sound) mixer->play(sound, kPlayAnyVoice);
}

bool GameCanvas::isSoundPlaying(std::u16string_view name) {
    SoundMixer* mixer = GetSoundMixer();
    SoundBase* sound = findSound(std::u16string(name));
    return mixer && sound && mixer->isPlaying(sound);
}

void GameCanvas::stopAllSounds() {
    if (SoundMixer* mixer = GetSoundMixer()) mixer->stopAll();
}

void GameCanvas::stopEffectsAndDuckMusic(float seconds) {
    if (SoundMixer* mixer = GetSoundMixer()) mixer->stopSamples();
    musicDucked_ = std::max(musicDucked_, seconds);
}

Sprite* GameCanvas::guiSprite(std::u16string_view name) const {
    return sceneGUI_ ? sceneGUI_->findSprite(std::u16string(name)) : nullptr;
}

void GameCanvas::setSpriteText(std::u16string_view sprite, const std::u16string& text) {
    if (Sprite* s = guiSprite(sprite)) s->setText(text);
}

void GameCanvas::setSpriteVisible(std::u16string_view sprite, bool visible) {
    if (Sprite* s = guiSprite(sprite)) s->visible = visible;
}

void GameCanvas::heroAppeared() {
    if (!camera_ || !game_ || !view_) return;
    // The chip takes the hero's new place before the camera aims at it.
    view_->update(*game_);
    if (!game_->style.camera) {
        AimCamera(*camera_, view_->heroChip()->worldMatrix, game_->maze().rows());
        return;
    }
    AimCameraOverhead(*camera_);
    FollowHeroOverhead(*camera_, game_->hero().position, game_->maze().halfSize(), game_->maze().rows(), false, 0.0f);
}

void GameCanvas::drawPopupText(FrameBuffer& image, std::u16string_view text, int height) {
    TextStyle style;
    style.size = height;
    style.alignment = 1;
    style.weight = 700;
    // A margin of an eighth of the text's height above it, a sixth below.
    DrawText(image, findFont(u"fontBright"), text, host::Rect{0, height / 8, image.width, image.height - height / 6},
             style);
}
