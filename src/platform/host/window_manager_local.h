#pragma once
// Window manager internals used by the screen.

#include <cstdint>

#include "platform/host/pixel_surface.h"

namespace host {

const PixelSurface& ScreenSurface();
// Points every window's device context at the (re-allocated) screen.
void RetargetWindowContexts();
// Sends a message to every top-level window of this process.
void BroadcastToTopLevel(uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace host
