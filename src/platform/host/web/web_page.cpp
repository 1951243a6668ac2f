// The calls into the page's script, which owns the canvas, the address and
// the browser storage (web/page/karrowen-page.js installs `karrowenPage`).

#include "platform/host/web/web_page.h"

#include <emscripten.h>

namespace host::web {

namespace {

// Resumes on the next animation frame; a hidden page gets none until it is
// shown again, which is how the game pauses while hidden.
EM_JS(void, karrowen_wait_for_display, (), {
    Asyncify.handleSleep(function(wakeUp) { karrowenPage.afterNextFrame(wakeUp); });
});

EM_JS(void, karrowen_set_panel_size, (int width, int height), {
    karrowenPage.setPanelSize(width, height);
});

EM_JS(void, karrowen_reload, (const char* words), {
    karrowenPage.reload(UTF8ToString(words).split("\n"));
});

EM_JS(void, karrowen_save_files, (), {
    karrowenPage.saveFiles();
});

EM_JS(int, karrowen_confirm, (const char* text), {
    return window.confirm(UTF8ToString(text)) ? 1 : 0;
});

EM_JS(void, karrowen_alert, (const char* text), {
    window.alert(UTF8ToString(text));
});

EM_JS(void, karrowen_show_ended, (), {
    karrowenPage.showEnd("The game has ended.");
});

EM_JS(void, karrowen_set_full_screen, (int on), {
    karrowenPage.setFullScreen(on != 0);
});

}  // namespace

void Yield(uint32_t ms) { emscripten_sleep(ms); }

void WaitForDisplay() { karrowen_wait_for_display(); }

void SetPanelSize(int width, int height) { karrowen_set_panel_size(width, height); }

void Reload(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        if (!joined.empty()) joined += '\n';
        joined += word;
    }
    karrowen_reload(joined.c_str());
}

void SaveFiles() { karrowen_save_files(); }

bool Confirm(const std::string& text) { return karrowen_confirm(text.c_str()) != 0; }

void Alert(const std::string& text) { karrowen_alert(text.c_str()); }

void ShowEnded() { karrowen_show_ended(); }

void SetFullScreen(bool on) { karrowen_set_full_screen(on ? 1 : 0); }

}  // namespace host::web
