#include "app/app_startup.h"

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/host.h"

bool AppStartup(MainWindow& mainWindow, bool) {
    DetectDevice();
    ComputeDesignMapping();
    const DeviceInfo& device = Device();
    int x = (host::ScreenWidth() - device.screenWidth) / 2, y = (host::ScreenHeight() - device.screenHeight) / 2;
    if (!mainWindow.create(x, y, device.screenWidth, device.screenHeight)) return false;
    mainWindow.show(true);
    SetFullScreen(mainWindow.handle(), true);
    return mainWindow.handle() != nullptr;
}

void AppShutdown() {}
