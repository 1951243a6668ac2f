#pragma once
// Direct display output: the back buffer written straight into display memory
// instead of through a device context, in any of the display's rotations, and
// the hardware key mapping that comes with it.

#include <cstdint>

#include "platform/host/pixel_surface.h"
#include "platform/host/win_types.h"

struct DisplayKey {
    int virtualKey = 0;
    int screenX = 0, screenY = 0;
};

struct DisplayMode {
    bool displayOpen = false;
    bool inputOpen = false;
    bool drawBegun = false;
    bool gameApiOpen = false;
    uint8_t* framePointer = nullptr;  // the top-left display pixel
    int width = 0, height = 0;
    int xPitch = 0, yPitch = 0;  // bytes, may be negative
    int bitsPerPixel = 16;
    uint32_t format = 0;
    int rotationMode = 0;  // 0, 1, 2 or 4
    DisplayKey keys[8];    // up, down, left, right, A, B, C, start
};

// Part of PlatformState (platform_state.h).
DisplayMode& Display();

void OpenDirect(host::WindowHandle window, bool display, bool input);
// The window direct output was last opened for.
host::WindowHandle DirectWindow();
void CloseDirect();
void SuspendDirect();
void ResumeDirect();
// Copies a back buffer into display memory; a non-null rectangle is clamped to
// the surface and written back. Nothing happens without display memory.
void PresentDirect(const host::PixelSurface& surface, host::Rect* rect);

int KeyCodeA();
int KeyCodeB();
int KeyCodeC();
int KeyCodeStart();

void SetFullScreen(host::WindowHandle window, bool on);
int QueryOrientation();
int SetOrientation(int orientation);
