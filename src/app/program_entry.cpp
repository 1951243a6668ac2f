#include "app/program_entry.h"

#include "app/app_startup.h"
#include "app/message_loop.h"
#include "app/start_choice.h"
#include "platform/host/host.h"
#include "platform/platform_services.h"

namespace {
constexpr int kProgramIcon = 101;
}

int ProgramEntry(const std::u16string& commandLine) {
    StartChoice start = ParseStartChoice(commandLine);
    if (CheckFreeMemory(nullptr, start.hasArg ? 1.0f : 3.0f) != host::IDYES) return 0;

    MainWindow mainWindow(u"Karrowen");
    mainWindow.setIcon(kProgramIcon);
    if (!AppStartup(mainWindow, true)) return 0;

    mainWindow.invalidate();
    mainWindow.update();
    return RunMessageLoop(mainWindow.handle());
}
