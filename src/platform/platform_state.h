#pragma once
// The platform layer's process-wide state, in one object as the host's is in
// HostCore: the main loop's, the device facts with the design mapping, and
// direct display output. Tests start afresh with ResetPlatform().

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/host/win_types.h"
#include "platform/loop_state.h"

struct PlatformState {
    LoopState loop;
    DeviceInfo device;
    DesignSize design;
    DisplayMode display;
    host::WindowHandle directWindow = nullptr;  // the window direct output was last opened for
};

PlatformState& Platform();

// Shuts the host down (host::Shutdown) and forgets every platform fact and
// setting: the state of a process that has not started yet.
void ResetPlatform();
