#include "app/message_loop.h"

#include "app/app_startup.h"
#include "platform/host/host.h"
#include "platform/loop_state.h"

int RunMessageLoop(host::WindowHandle mainWindow) {
    host::SetForegroundWindow(mainWindow);
    host::Message message;
    for (;;) {
        bool retrieved = host::PeekMessage(message, true);
        // The record is tested even when nothing new arrived.
        if (message.message == host::WM_QUIT) break;
        if (retrieved) {
            host::DispatchMessage(message);
            continue;
        }
        IdleHandler* idle = Loop().idleHandler;
        if (!Loop().displayChanged && idle) idle->onIdle(message, mainWindow);
        host::Sleep(1);
    }
    AppShutdown();
    return int(message.wParam);
}
