#pragma once
// Internals shared by the generic host files and the backends.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/pixel_surface.h"
#include "platform/host/win_types.h"

namespace host {

// Input from a backend or the input script; stylus positions in screen pixels.
enum class StylusAction { Down, Move, Up };
void InputKey(int virtualKey, bool down, bool repeat);
// Text the keyboard typed, after the key presses that made it.
void InputText(const std::u16string& text);
void InputStylus(StylusAction action, int screenX, int screenY);
void InputActivate(bool active);
void InputClose();

// The picture the backend shows; its size may differ from the screen metrics
// (a high-resolution panel under a 240 x 320 system screen).
const PixelSurface& Panel();
// The screen coordinates of a panel pixel.
Point PanelToScreen(int panelX, int panelY);

// Real monotonic milliseconds, for backends and pacing.
uint64_t RealMilliseconds();

// What the operating system does differently from a web page (os_process.cpp,
// web/web_process.cpp): sleeping, and starting the successor process from
// the program file and its words; returns 0 or an error code.
void RealSleep(uint32_t ms);
uint32_t StartSuccessor(std::vector<std::string>& words);

// Writes a 32-bit 0x00RRGGBB surface as an RGB PNG file.
bool WritePng(const std::string& path, const PixelSurface& surface);

// Window manager services used by the cross-process channel's listener thread.
uint32_t FindLocalTopLevel(const std::u16string& className, const std::u16string& title);
intptr_t SendToLocalWindow(uint32_t windowId, uint32_t message, uintptr_t wParam, intptr_t lParam, bool& delivered);
void RaiseLocalWindow(uint32_t windowId);

}  // namespace host
