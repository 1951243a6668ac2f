#include "game/game_canvas.h"

#include <cmath>

#include "app/restart.h"
#include "data/language_table.h"
#include "data/resource.h"
#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/host.h"
#include "scene/message_box.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"

namespace {

bool Contains(const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; }

int S(float designValue) { return ScaleToScreen(int(designValue)); }

}  // namespace

GameCanvas::GameCanvas() : AppCanvas(u"gameCanvas", true, true) {}

GameCanvas::~GameCanvas() = default;

void GameCanvas::onCreate() {
    AppCanvas::onCreate();
    LoadLanguageTable(resourceDir(), u"LanguageTable.txt");
    RegisterArchive(u"resources.zip", resourceDir());
    setMouseListener(this);
    fade_ = std::make_unique<ScreenTransition>();
    fade_->duration = 1.0f;
    fade_->rate = 10;
    fade_->colour = 0;
}

void GameCanvas::onDestroy() {
    CloseDirect();
    gameRunning = false;
    fade_.reset();
}

// ---- Screens ------------------------------------------------------------------------

void GameCanvas::afterTemplateLoaded() {
    const std::u16string& name = templateName();
    if (Contains(name, u"scoreList") || Contains(name, u"Cover")) return;
    if (Contains(name, u"intro")) {
        if (templateFile().getItemInt(u"chkNoMore", u"status", 0) != 0) {
            if (Scene* notice = findScene(u"sceneGAPI")) notice->visible = false;
        }
        start();
        return;
    }
    if (!Contains(name, u"back")) {
        // Small screens: the help text gets the room of the title bar.
        if (Contains(name, u"help") && Design().scale < 65536) {
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

void GameCanvas::beforeDraw(float frameTime) {
    if (gameRunning) return;
    const std::u16string& name = templateName();
    if (Contains(name, u"intro")) animateIntro(frameTime);
    else if (Contains(name, u"back")) scrollPrompt(frameTime);
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
    Sprite* widget = pressedWidget();
    if (message != host::WM_LBUTTONUP || !widget) return;
    if (isMessageBoxOpen(*this)) answerMessageBox(*widget);
    else onWidgetReleased(*widget, flags);
}

void GameCanvas::onWidgetReleased(Sprite& widget, uint32_t) {
    const std::u16string name = widget.name;
    if (Contains(name, u"btnStartGame")) {
        RestartProgram(*static_cast<Window*>(parent()), u"ARG:");
    } else if (Contains(name, u"btnCloseGAPIMsg")) {
        if (Scene* notice = findScene(u"sceneGAPI")) notice->visible = false;
    }
    if (Contains(name, u"cmdExit")) {
        if (Window* top = parent()) host::DestroyWindow(top->handle());
    }
}

void GameCanvas::answerMessageBox(Sprite&) {
    closeMessageBox(*this);
    start();
}

// ---- Levels ----------------------------------------------------------------------------

void GameCanvas::drawLoadingBand(const std::u16string& text) {
    FrameBuffer* fb = target();
    if (!fb) return;
    host::DeviceContext& dc = *fb->deviceContext;
    host::Rect band{0, S(60), clientWidth(), S(100)};
    dc.fillRect(band, host::Brush{false, 0});
    host::FontSpec font;
    font.height = S(16);
    host::FontSpec old = dc.selectFont(font);
    dc.setTextColor(host::MakeColorRef(255, 255, 255));
    dc.drawText(text, band, host::DT_CENTER | host::DT_VCENTER | host::DT_SINGLELINE);
    dc.selectFont(old);
    paint(nullptr);
}

void GameCanvas::startLevel() {
    drawLoadingBand(std::u16string(GetLanguageText(u"LDING", u"Loading ...")));
}
