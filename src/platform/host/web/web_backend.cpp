// The web page's backend: SDL's window, input and sound, as built for the
// browser, with what a page does differently. The canvas is sized and placed
// by the page (whole factors, centred); every presented picture is shown
// before the program goes on, so that loops which paint without returning to
// the message loop (the fade, the game-over iris) appear frame by frame;
// questions are the browser's own dialogs; there is no window to hand over to
// a successor, which is a reload of the page.

#include <cstdio>
#include <memory>
#include <string>

#include "platform/host/host.h"
#include "platform/host/sdl/sdl_backends.h"
#include "platform/host/web/web_backends.h"
#include "platform/host/web/web_page.h"

namespace host {

namespace {

class WebBackend final : public Backend {
public:
    explicit WebBackend(std::unique_ptr<Backend> sdl) : sdl_(std::move(sdl)) {
        std::fprintf(stderr, "karrowen: web page backend\n");
    }
    // The host stops its backend only when the program ends (a relaunch
    // leaves this page running until the reload replaces it).
    ~WebBackend() override {
        sdl_.reset();
        web::ShowEnded();
    }

    const char* name() const override { return "web"; }
    bool hasWindow() const override { return true; }
    void pumpEvents() override { sdl_->pumpEvents(); }

    void present(const PixelSurface& panel) override {
        sdl_->present(panel);
        web::WaitForDisplay();
    }
    // Presents wait for the browser's frame: no frame cap is needed on top.
    bool vsync() const override { return true; }

    int messageBox(const std::u16string& text, const std::u16string& title, uint32_t style) override {
        std::string shown = ToUtf8(title) + "\n\n" + ToUtf8(text);
        if ((style & 0x0F) == MB_YESNO) return web::Confirm(shown) ? IDYES : IDNO;
        web::Alert(shown);
        return IDOK;
    }

    void raise() override {}
    void setTitle(const std::u16string& title) override { sdl_->setTitle(title); }
    void setFullScreen(bool on) override { web::SetFullScreen(on); }
    void setCursor(int id) override { sdl_->setCursor(id); }
    void showWindow() override { sdl_->showWindow(); }
    // The address carries what a successor needs; there is no window place.
    void addRelaunchOptions(HostOptions&) override {}

private:
    std::unique_ptr<Backend> sdl_;
};

std::unique_ptr<Backend> CreateWebBackend(const HostOptions& options, int panelWidth, int panelHeight,
                                          std::string& why) {
    // The page sizes the canvas before SDL looks at it.
    web::SetPanelSize(panelWidth, panelHeight);
    std::unique_ptr<Backend> sdl = OpenSdlWindow(options, panelWidth, panelHeight, why);
    if (!sdl) return nullptr;
    return std::make_unique<WebBackend>(std::move(sdl));
}

// SDL's sound, which in a page mixes in the browser's audio callback.
std::unique_ptr<AudioDevice> OpenWebAudio(const std::string& argument, const AudioFormat& format,
                                          AudioDevice::BufferDone done, void* context) {
    return kSdlAudio.open(argument, format, done, context);
}

}  // namespace

const VideoBootstrap kWebVideo = {"web", CreateWebBackend};
const AudioBootstrap kWebAudio = {"web", OpenWebAudio};

}  // namespace host
