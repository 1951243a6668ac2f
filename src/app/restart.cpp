#include "app/restart.h"

#include "platform/direct_display.h"
#include "platform/host/host.h"
#include "platform/loop_state.h"

bool RestartProgram(Window& window, const std::u16string& arguments) {
    SetIdleHandler(nullptr);
    CloseDirect();

    host::DeviceContext* dc = host::GetScreenDC();
    int width = host::ScreenWidth(), height = host::ScreenHeight();
    dc->fillRect(host::Rect{0, 0, width, height}, host::Brush{false, 0});
    int oldMode = dc->setBkMode(host::TRANSPARENT);
    host::ColorRef oldColour = dc->setTextColor(host::MakeColorRef(255, 255, 255));
    host::Rect text{0, height / 2 - 16, width, height};
    dc->drawText(u"Loading ...", text, host::DT_CENTER);
    dc->setTextColor(oldColour);
    dc->setBkMode(oldMode);

    std::u16string modulePath = host::ModulePath();
    if (modulePath.size() > 260) modulePath.resize(260);
    host::SetWindowText(window.handle(), Window::kDestroyMarker);
    Loop().restarting = 1;
    return host::StartProcess(modulePath, arguments);
}
