#include "platform/restart.h"

#include "platform/direct_display.h"
#include "platform/host/host.h"
#include "platform/loop_state.h"

namespace {

void PaintLoading() {
    host::DeviceContext* dc = host::GetScreenDC();
    int width = host::ScreenWidth(), height = host::ScreenHeight();
    dc->fillRect(host::Rect{0, 0, width, height}, host::Brush{false, 0});
    int oldMode = dc->setBkMode(host::TRANSPARENT);
    host::ColorRef oldColour = dc->setTextColor(host::MakeColorRef(255, 255, 255));
    host::Rect text{0, height / 2 - 16, width, height};
    dc->drawText(u"Loading ...", text, host::DT_CENTER);
    dc->setTextColor(oldColour);
    dc->setBkMode(oldMode);
}

}  // namespace

bool RestartProgram(Window& window, const std::u16string& arguments) {
    IdleHandler* running = GetIdleHandler();
    const DisplayMode direct = Display();
    host::WindowHandle directWindow = DirectWindow();
    SetIdleHandler(nullptr);
    CloseDirect();
    PaintLoading();

    // The whole path, however long: a shortened one names no program.
    std::u16string modulePath = host::ModulePath();
    host::SetWindowText(window.handle(), Window::kDestroyMarker);
    Loop().restarting = 1;
    if (host::StartProcess(modulePath, arguments)) return true;

    // No successor will end this process: it takes its window back and goes on.
    std::u16string why = host::ErrorText(host::GetLastError());
    host::SetWindowText(window.handle(), window.title());
    Loop().restarting = 0;
    if (direct.displayOpen || direct.inputOpen) OpenDirect(directWindow, direct.displayOpen, direct.inputOpen);
    host::MessageBox(window.handle(), u"The game could not start its next part:\n" + modulePath + u"\n" + why,
                     u"Error", host::MB_OK | host::MB_ICONEXCLAMATION);
    SetIdleHandler(running);
    window.invalidate();
    return false;
}
