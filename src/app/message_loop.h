#pragma once
// The program's one message loop: it never blocks, dispatches every pending
// message, and hands each idle pass to the registered idle handler.

#include "platform/host/win_types.h"

// Returns the quit message's code, after AppShutdown.
int RunMessageLoop(host::WindowHandle mainWindow);
