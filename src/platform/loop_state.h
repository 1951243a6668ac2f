#pragma once
// Process-wide state of the main loop that the window framework also reads.

#include <cstdint>

#include "platform/host/win_types.h"

class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    // One pass of the idle loop; `message` is the loop's last message record.
    virtual void onIdle(const host::Message& message, host::WindowHandle mainWindow) = 0;
};

struct LoopState {
    IdleHandler* idleHandler = nullptr;
    // While set, frames pause: the screen has another size than at start-up.
    uint8_t displayChanged = 0;
    // Set once a relaunch began; from then on windows stop painting.
    uint8_t restarting = 0;
};

// Part of PlatformState (platform_state.h).
LoopState& Loop();

void SetIdleHandler(IdleHandler* handler);
IdleHandler* GetIdleHandler();
