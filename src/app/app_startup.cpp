#include "app/app_startup.h"

#include "data/language_table.h"
#include "data/resource.h"
#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/host.h"
#include "sound/sound_mixer.h"

bool AppStartup(MainWindow& mainWindow, bool) {
    PrepareTempFolder();
    DetectDevice();
    ComputeDesignMapping();
    // Without a sound device the game runs silent.
    CreateSoundMixer();
    const DeviceInfo& device = Device();
    int x = (host::ScreenWidth() - device.screenWidth) / 2, y = (host::ScreenHeight() - device.screenHeight) / 2;
    if (!mainWindow.create(x, y, device.screenWidth, device.screenHeight)) return false;
    mainWindow.show(true);
    SetFullScreen(mainWindow.handle(), true);
    return mainWindow.handle() != nullptr;
}

void AppShutdown() {
    CloseAllResources();
    DestroySoundMixer();
    FreeLanguageTable();
}
