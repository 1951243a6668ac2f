// The SDL backend: one resizable desktop window showing the device panel,
// sharply scaled by whole multiples (or fitted), with the mouse as the stylus
// and the keyboard as the device keys.
//
// Keys and game-controller buttons become device keys through the bindings of
// key_map.h (the built-in table and the player's keys.conf). F11 and Alt+Enter
// toggle desktop full screen, and F12 saves a screenshot; none of them reaches
// the game.

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/host/backend.h"
#include "platform/host/host.h"
#include "platform/host/host_local.h"
#include "platform/host/port_options.h"
#include "platform/host/sdl/full_screen_keys.h"
#include "platform/host/sdl/window_zoom.h"
#include "platform/host/user_screenshot.h"
#include "platform/host/sdl/key_map.h"
#include "platform/host/sdl/sdl_backends.h"
#include "platform/host/sdl/sdl_gamepad.h"

namespace host {

namespace {

class SdlBackend : public Backend {
public:
    ~SdlBackend() override {
        if (keepingAwake_) SDL_EnableScreenSaver();
        for (SDL_Cursor* cursor : cursors_)
            if (cursor) SDL_FreeCursor(cursor);
        gamepads_.reset();
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool open(const HostOptions& options, int panelWidth, int panelHeight, std::string& why) {
        panelWidth_ = panelWidth;
        panelHeight_ = panelHeight;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        // The screensaver stays off only while the game keeps resetting the idle timer.
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            why = std::string("cannot open a display (") + SDL_GetError() + ")";
            return false;
        }
        std::vector<std::string> ignored;  // told once, by the volume's reader
        int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = 0, h = 0,
            fullscreen = options.fullscreen || LoadPortOptions(ignored).fullscreen;
        // A relaunched process opens where its predecessor was, at once, so the
        // hand-over shows no empty desktop.
        bool handedOver = std::sscanf(options.windowGeometry.c_str(), "%d,%d,%d,%d,%d", &x, &y, &w, &h, &fullscreen) == 5;
        if (!handedOver) initialSize(options.zoom, w, h);
        Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | (handedOver ? 0 : SDL_WINDOW_HIDDEN);
        if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (fullscreen && handedOver) windowed_ = SDL_Rect{x, y, w, h};
        window_ = SDL_CreateWindow("Karrowen", x, y, w, h, flags);
        if (!window_) {
            why = std::string("cannot create a window (") + SDL_GetError() + ")";
            return false;
        }
        SDL_SetWindowMinimumSize(window_, panelWidth, panelHeight);
        // A relaunch continues a game being played: the screen stays awake across it.
        if (handedOver) idleTimerReset();
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            why = std::string("cannot draw into the window (") + SDL_GetError() + ")";
            return false;
        }
        SDL_RenderSetLogicalSize(renderer_, panelWidth, panelHeight);
        SDL_RenderSetIntegerScale(renderer_, options.zoom == "fit" ? SDL_FALSE : SDL_TRUE);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, panelWidth,
                                     panelHeight);
        if (!texture_) {
            why = std::string("cannot create the screen texture (") + SDL_GetError() + ")";
            return false;
        }
        std::vector<std::string> warnings;
        bindings_ = LoadKeyBindings(KeyBindingsPath(), warnings);
        // A relaunched process read the same file: one warning per bad line is enough.
        for (const std::string& w : warnings)
            if (!options.relaunched) std::fprintf(stderr, "karrowen: %s\n", w.c_str());
        gamepads_ = std::make_unique<SdlGamepads>(bindings_);
        if (!gamepads_->open()) gamepads_.reset();
        // SDL starts with text input on; the host turns it on for text fields only.
        SDL_StopTextInput();
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderPresent(renderer_);
        return true;
    }

    const char* name() const override { return "sdl"; }
    bool hasWindow() const override { return true; }

    void pumpEvents() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) handle(e);
        if (shown_) fitFrame();
        if (noticeUntilMs_ && RealMilliseconds() >= noticeUntilMs_) {
            noticeUntilMs_ = 0;
            SDL_SetWindowTitle(window_, title_.c_str());
        }
        if (keepingAwake_ && RealMilliseconds() - lastIdleResetMs_ > kKeepAwakeMs) {
            keepingAwake_ = false;
            SDL_EnableScreenSaver();
        }
    }

    void present(const PixelSurface& panel) override {
        SDL_UpdateTexture(texture_, nullptr, panel.pixels, panel.stride);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        presented_ = true;
    }

    int messageBox(const std::u16string& text, const std::u16string& title, uint32_t style) override {
        std::string t = ToUtf8(title), m = ToUtf8(text);
        bool yesNo = (style & 0x0F) == MB_YESNO;
        SDL_MessageBoxButtonData yesNoButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
        };
        SDL_MessageBoxButtonData okButton[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
        };
        uint32_t icon = style & 0xF0;
        SDL_MessageBoxData box{};
        box.flags = icon == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR
                    : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                                 : SDL_MESSAGEBOX_INFORMATION;
        box.window = shown_ ? window_ : nullptr;
        box.title = t.c_str();
        box.message = m.c_str();
        box.numbuttons = yesNo ? 2 : 1;
        box.buttons = yesNo ? yesNoButtons : okButton;
        int answer = yesNo ? IDNO : IDOK;
        if (SDL_ShowMessageBox(&box, &answer) != 0 || answer < 0) {
            std::fprintf(stderr, "karrowen: [%s] %s\n", t.c_str(), m.c_str());
            answer = yesNo ? IDNO : IDOK;
        }
        return answer;
    }

    void raise() override {
        SDL_ShowWindow(window_);
        SDL_RestoreWindow(window_);
        SDL_RaiseWindow(window_);
    }

    void setTitle(const std::u16string& title) override {
        // The hand-over marker is the program's business, not the player's.
        if (title.rfind(u"_QL_", 0) == 0) return;
        title_ = ToUtf8(title);
        if (!noticeUntilMs_) SDL_SetWindowTitle(window_, title_.c_str());
    }

    void showWindow() override {
        shown_ = true;
        SDL_ShowWindow(window_);
        frameDeadlineMs_ = RealMilliseconds() + kFrameWaitMs;
        fitFrame();
    }

    void setFullScreen(bool on) override {
        if (on == isFullScreen()) return;
        if (on) {
            SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
            SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
        }
        SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        restoreUntilMs_ = on ? 0 : RealMilliseconds() + kRestoreMs;
        if (!on) restoreWindowedPlace();
    }

    void setIcon(const std::string& pngPath) override {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, pngPath.c_str())) return;
        image.format = PNG_FORMAT_RGBA;
        auto pixels = std::make_unique<png_byte[]>(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr)) return;
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.get(), int(image.width), int(image.height), 32,
                                                               int(PNG_IMAGE_ROW_STRIDE(image)), SDL_PIXELFORMAT_RGBA32);
        if (!icon) return;
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

    void setCursor(int id) override {
        SDL_SystemCursor kind = id == IDC_IBEAM ? SDL_SYSTEM_CURSOR_IBEAM
                                : id == IDC_HAND ? SDL_SYSTEM_CURSOR_HAND
                                                 : SDL_SYSTEM_CURSOR_ARROW;
        SDL_Cursor*& cursor = cursors_[kind];
        if (!cursor) cursor = SDL_CreateSystemCursor(kind);
        if (cursor) SDL_SetCursor(cursor);
        SDL_ShowCursor(id ? SDL_ENABLE : SDL_DISABLE);
    }

    void setTextInput(bool on) override {
        if (on) SDL_StartTextInput();
        else SDL_StopTextInput();
    }

    void idleTimerReset() override {
        lastIdleResetMs_ = RealMilliseconds();
        if (keepingAwake_) return;
        keepingAwake_ = true;
        SDL_DisableScreenSaver();
    }

    void addRelaunchOptions(HostOptions& options) override {
        int x, y, w, h;
        bool fullscreen = isFullScreen();
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        // In full screen the successor learns the window's own place, to go back to.
        if (fullscreen && windowed_.w > 0) {
            x = windowed_.x;
            y = windowed_.y;
            w = windowed_.w;
            h = windowed_.h;
        }
        options.windowGeometry = std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
                                 std::to_string(h) + "," + (fullscreen ? "1" : "0");
        options.fullscreen = false;
    }

private:
    void initialSize(const std::string& zoom, int& w, int& h) {
        SDL_Rect usable{0, 0, 1280, 720};
        SDL_GetDisplayUsableBounds(0, &usable);
        zoom_ = ChooseZoom(zoom, panelWidth_, panelHeight_, usable.w, usable.h);
        askedZoom_ = zoom;
        w = panelWidth_ * zoom_.factor;
        h = panelHeight_ * zoom_.factor;
    }

    // Once the window is on the desktop the window manager tells the size of
    // its frame, a moment later: an asked-for zoom that fits only without the
    // frame is then made smaller. The player hears of a reduced zoom once.
    void fitFrame() {
        if (askedZoom_.empty()) return;
        int top = 0, left = 0, bottom = 0, right = 0;
        bool known =
            SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0 && top + left + bottom + right > 0;
        if (!known && RealMilliseconds() < frameDeadlineMs_) return;
        SDL_Rect usable;
        if (known && SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_), &usable) == 0) {
            ZoomChoice framed = ChooseZoom(askedZoom_, panelWidth_, panelHeight_, usable.w, usable.h, left + right,
                                           top + bottom);
            if (framed.factor < zoom_.factor) {
                zoom_ = framed;
                SDL_SetWindowSize(window_, panelWidth_ * zoom_.factor, panelHeight_ * zoom_.factor);
                SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
            }
        }
        if (zoom_.reduced)
            std::fprintf(stderr, "karrowen: --zoom=%s does not fit the display; using --zoom=%d\n", askedZoom_.c_str(),
                         zoom_.factor);
        askedZoom_.clear();
    }

    bool fullScreen() const override { return isFullScreen(); }
    bool isFullScreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

    void toggleFullScreen() { setFullScreen(!isFullScreen()); }

    // Leaving full screen, the window goes back to the place and size it had.
    // Window managers restore their own idea of it, sometimes a little later
    // than the switch: for a moment after it, any other place is corrected.
    void restoreWindowedPlace() {
        if (windowed_.w <= 0 || isFullScreen()) return;
        int x, y, w, h;
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        if (w != windowed_.w || h != windowed_.h) SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
        if (x != windowed_.x || y != windowed_.y) SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
    }

    // Mouse positions arrive in panel pixels (the renderer's logical size).
    bool toScreen(int x, int y, Point& p, bool clamp) {
        if (!clamp && (x < 0 || y < 0 || x >= panelWidth_ || y >= panelHeight_)) return false;
        x = std::max(0, std::min(x, panelWidth_ - 1));
        y = std::max(0, std::min(y, panelHeight_ - 1));
        p = PanelToScreen(x, y);
        return true;
    }

    void handle(const SDL_Event& e) {
        Point p;
        if (gamepads_ && gamepads_->handle(e)) return;
        switch (e.type) {
            case SDL_QUIT: InputClose(); break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) InputClose();
                if ((e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) &&
                    restoreUntilMs_ && RealMilliseconds() < restoreUntilMs_)
                    restoreWindowedPlace();
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) InputActivate(true);
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) InputActivate(false);
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED && presented_) {
                    SDL_RenderClear(renderer_);
                    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
                    SDL_RenderPresent(renderer_);
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                SDL_Keycode key = e.key.keysym.sym;
                bool down = e.type == SDL_KEYDOWN, repeat = e.key.repeat != 0;
                if (key == SDLK_F12) {
                    if (down && !repeat) takeScreenshot();
                    break;
                }
                int vk = key == SDLK_F11 ? VK_F11 : bindings_.key(key);
                switch (fullScreenKeys_.onKey(vk, down, (e.key.keysym.mod & KMOD_ALT) != 0, repeat)) {
                    case FullScreenKeys::Action::Toggle: toggleFullScreen(); break;
                    case FullScreenKeys::Action::Swallow: break;
                    case FullScreenKeys::Action::Pass:
                        if (vk && vk != VK_F11) InputKey(vk, down, repeat);
                        break;
                }
                break;
            }
            case SDL_TEXTINPUT: InputText(FromUtf8(e.text.text)); break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT && toScreen(e.button.x, e.button.y, p, false)) {
                    stylusDown_ = true;
                    InputStylus(StylusAction::Down, p.x, p.y);
                }
                break;
            case SDL_MOUSEMOTION:
                if (stylusDown_) {
                    if (toScreen(e.motion.x, e.motion.y, p, true)) InputStylus(StylusAction::Move, p.x, p.y);
                } else {
                    hover(e.motion.x, e.motion.y);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT && stylusDown_) {
                    stylusDown_ = false;
                    toScreen(e.button.x, e.button.y, p, true);
                    InputStylus(StylusAction::Up, p.x, p.y);
                }
                break;
            default: break;
        }
    }

    // F12: a picture of the panel for the player, who learns where it went from
    // the window title for a few seconds (and from stderr), without a pause.
    void takeScreenshot() {
        std::string path = SaveUserScreenshot(PicturesFolder([](const char* name) { return std::getenv(name); }),
                                              std::time(nullptr));
        std::string shown = path;
        const char* home = std::getenv("HOME");
        size_t homeLength = home ? std::strlen(home) : 0;
        if (homeLength > 1 && shown.compare(0, homeLength, home) == 0 && shown[homeLength] == '/')
            shown = "~" + shown.substr(homeLength);
        std::string notice = path.empty() ? "screenshot failed" : "screenshot saved to " + shown;
        SDL_SetWindowTitle(window_, (title_ + " - " + notice).c_str());
        noticeUntilMs_ = RealMilliseconds() + kNoticeMs;
    }

    // A mouse over the panel tells the game where it is, so that the game can
    // choose the cursor; over the bars around the panel it is the arrow.
    void hover(int x, int y) {
        Point p;
        if (!toScreen(x, y, p, false)) {
            SetCursor(LoadCursor(IDC_ARROW));
            hovering_ = false;
            return;
        }
        if (hovering_ && p.x == lastHover_.x && p.y == lastHover_.y) return;
        hovering_ = true;
        lastHover_ = p;
        InputStylus(StylusAction::Move, p.x, p.y);
    }

    // How long the screensaver stays off after the last idle-timer reset: the
    // game resets it about every 45 seconds while it runs.
    static constexpr uint64_t kKeepAwakeMs = 90000;
    static constexpr uint64_t kNoticeMs = 4000;
    static constexpr uint64_t kRestoreMs = 1000;
    static constexpr uint64_t kFrameWaitMs = 2000;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int panelWidth_ = 0, panelHeight_ = 0;
    FullScreenKeys fullScreenKeys_;
    KeyBindings bindings_;
    std::unique_ptr<SdlGamepads> gamepads_;
    bool stylusDown_ = false;
    bool shown_ = false;
    bool presented_ = false;
    SDL_Cursor* cursors_[SDL_NUM_SYSTEM_CURSORS] = {};
    bool hovering_ = false;
    Point lastHover_;
    bool keepingAwake_ = false;
    ZoomChoice zoom_;
    SDL_Rect windowed_{0, 0, 0, 0};  // the window's place before full screen
    uint64_t restoreUntilMs_ = 0;
    std::string askedZoom_;  // until the window's frame is known
    uint64_t frameDeadlineMs_ = 0;
    std::string title_ = "Karrowen";
    uint64_t noticeUntilMs_ = 0;
    uint64_t lastIdleResetMs_ = 0;
};

// A video driver chosen for SDL by name (offscreen, kmsdrm) needs neither
// variable: SDL is left to try it.
bool HasDisplay() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen) return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::unique_ptr<Backend> CreateSdlBackend(const HostOptions& options, int panelWidth, int panelHeight,
                                          std::string& why) {
    if (!HasDisplay()) {
        why = "no display found";
        return nullptr;
    }
    return OpenSdlWindow(options, panelWidth, panelHeight, why);
}

}  // namespace

std::unique_ptr<Backend> OpenSdlWindow(const HostOptions& options, int panelWidth, int panelHeight,
                                       std::string& why) {
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->open(options, panelWidth, panelHeight, why)) return nullptr;
    return backend;
}

const VideoBootstrap kSdlVideo = {"sdl", CreateSdlBackend};

}  // namespace host
