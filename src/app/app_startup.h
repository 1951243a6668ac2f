#pragma once
// Start-up and shut-down of the process-wide services around the main window.

#include "platform/window.h"

// Prepares the platform and creates the full-screen main window; true when the
// window exists.
bool AppStartup(MainWindow& mainWindow, bool flag);
void AppShutdown();
