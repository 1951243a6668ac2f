#pragma once
// The host layer: what the program asks of the operating system. It stands in
// for the handheld's window system, device context, clock, process and device
// services. One backend (SDL window or headless) is chosen at start-up; nothing
// above this header knows which one runs.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/host/device_context.h"
#include "platform/host/device_profile.h"
#include "platform/host/host_options.h"
#include "platform/host/win_types.h"

namespace host {

// ---- Start and stop ---------------------------------------------------------

struct LinkedBackends;  // backend.h

// Splits argv into host options and the program's own command line, then starts
// the backend, chosen among the headless ones and those the program links.
// Returns false (after printing why) when the options are unusable; `exitNow`
// is set for --help.
bool Initialize(int argc, char** argv, std::u16string& commandLine, bool& exitNow, const LinkedBackends& linked);
// Starts the host with options given directly (tests, tools).
void InitializeWith(const HostOptions& options);
void InitializeWith(const HostOptions& options, const LinkedBackends& linked);
// Stops the backend and forgets every window; the host may be initialized again.
void Shutdown();
const HostOptions& Options();
const char* BackendName();

// Whether the program may start threads. A web page served without the
// cross-origin isolation headers may not: it does all its work, the sound's
// included, on the one thread it has.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kHasThreads = false;
#else
inline constexpr bool kHasThreads = true;
#endif

// ---- Clock ------------------------------------------------------------------

// Milliseconds since an arbitrary start; wraps like the system tick count.
uint32_t TickCount();
void Sleep(uint32_t ms);
// Seed for the standard random generator: the --seed option, else the tick count.
unsigned RandomSeed();

// ---- Window classes and windows -----------------------------------------------

struct WindowClass {
    uint32_t style = 0;
    WindowProc proc = nullptr;
    int icon = 0;
    bool blackBackground = false;
    std::u16string name;
};

bool RegisterClass(const WindowClass& windowClass);
bool IsClassRegistered(const std::u16string& name);
// Where the picture of an icon resource lives (an RGBA PNG file): a shown
// top-level window whose class names that icon carries it.
void SetIconFile(int icon, const std::u16string& path);

WindowHandle CreateWindow(uint32_t exStyle, const std::u16string& className, const std::u16string& title,
                          uint32_t style, int x, int y, int width, int height, WindowHandle parent, int controlId,
                          void* createParam);
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
// The creation parameter while WM_CREATE is being handled, else null.
void* CreateParam(WindowHandle window);

void SetWindowText(WindowHandle window, const std::u16string& title);
std::u16string GetWindowText(WindowHandle window);
uintptr_t SetWindowUserData(WindowHandle window, uintptr_t value);
uintptr_t GetWindowUserData(WindowHandle window);
WindowHandle GetParent(WindowHandle window);
Rect GetWindowRect(WindowHandle window);  // in screen coordinates
Rect GetClientRect(WindowHandle window);  // origin 0, 0
bool MoveWindow(WindowHandle window, int x, int y, int width, int height);
bool ShowWindow(WindowHandle window, bool show);
bool IsWindowVisible(WindowHandle window);

// Looks for a top-level window of this user, in this process or another
// instance of the program (same instance name), by class and title.
WindowHandle FindWindow(const std::u16string& className, const std::u16string& title);
bool SetForegroundWindow(WindowHandle window);
WindowHandle SetFocus(WindowHandle window);
WindowHandle GetFocus();
WindowHandle GetActiveWindow();

// ---- Messages -------------------------------------------------------------------

// Non-blocking: takes the next message of the calling thread's queue. Returns
// false, leaving `message` untouched, when nothing is pending.
bool PeekMessage(Message& message, bool remove = true);
intptr_t DispatchMessage(const Message& message);
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int exitCode);
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Painting --------------------------------------------------------------------

struct PaintStruct {
    DeviceContext* dc = nullptr;
    Rect paint;
};

bool InvalidateRect(WindowHandle window, const Rect* rect);
// Drops a pending repaint of the whole window: its owner draws it all itself.
bool ValidateRect(WindowHandle window);
bool UpdateWindow(WindowHandle window);
DeviceContext* BeginPaint(WindowHandle window, PaintStruct& paint);
void EndPaint(WindowHandle window, const PaintStruct& paint);
// A context drawing onto the window's area of the screen; owned by the host.
DeviceContext* GetDC(WindowHandle window);
// A context for the whole display (null window).
DeviceContext* GetScreenDC();
void ReleaseDC(WindowHandle window, DeviceContext* dc);

// ---- Screen and device -----------------------------------------------------------

const DeviceProfile& Profile();
int ScreenWidth();   // current system screen metrics
int ScreenHeight();
int ScreenDepth();   // 16 or 32
// Changes the system screen metrics as a rotation would, and sends the size and
// setting-change notifications to the top-level windows.
void ChangeScreenSize(int width, int height);

// The simulated display memory behind direct output, laid out as the profile
// says (pitches may be negative). Null when the profile has none.
struct DisplayMemory {
    uint8_t* framePointer = nullptr;  // address of the top-left pixel
    int width = 0;
    int height = 0;
    int xPitch = 0;  // bytes, may be negative
    int yPitch = 0;
    int bitsPerPixel = 16;
    uint32_t format = 0;
    bool systemMemory = false;  // the Game API's DRAM-buffer answer
};
const DisplayMemory* GetDisplayMemory();
// Maps a fixed device address of display memory into the simulated memory
// (null when the profile's memory does not live there).
uint8_t* MapDeviceAddress(uint32_t address);
// Shows what direct output wrote into display memory.
void CommitDisplayMemory();

void SetShellFullScreen(WindowHandle window, bool on);
int QueryDisplayOrientation();
int SetDisplayOrientation(int orientation);

// ---- Cursor and idle timer ---------------------------------------------------------------

// One of the system's cursors (IDC_ARROW, IDC_IBEAM, IDC_HAND).
struct Cursor {
    int id = 0;
};
using CursorHandle = const Cursor*;
// Null for a cursor the system does not have.
CursorHandle LoadCursor(int id);
// Shows the cursor over the program's window; returns the one shown before.
CursorHandle SetCursor(CursorHandle cursor);
CursorHandle GetCursor();

// The user is busy with the program: the screensaver and power saving start
// counting afresh. A desktop keeps its screensaver off while these keep
// coming, and lets it start again some time after they stop.
void SystemIdleTimerReset();
// While on, what the keyboard types arrives as WM_CHAR after its key presses
// (a text field is being edited); off by default, so that keys stay keys.
void SetTextInput(bool on);
// The TickCount of the player's last key press or release, typed character or
// stylus press in this process (from the window system or the input script,
// never from the program's own posted messages); 0 before the first.
uint32_t LastInputTime();
// The program's window over the whole desktop, or back in its place; a
// backend without a window stays as it is and says false.
void SetWindowFullScreen(bool on);
bool WindowFullScreen();
// How often the idle timer was reset since the host started.
uint32_t IdleTimerResets();

// ---- Dialogs and system services -------------------------------------------------------

// A modal message box; returns IDOK, IDYES or IDNO.
int MessageBox(WindowHandle owner, const std::u16string& text, const std::u16string& title, uint32_t style);
// Tests watch message boxes here: while a hook is set, it answers every box.
using MessageBoxHook = std::function<int(const std::u16string& text, const std::u16string& title, uint32_t style)>;
void SetMessageBoxHook(MessageBoxHook hook);
uint32_t GetLastError();
void SetLastError(uint32_t code);
std::u16string ErrorText(uint32_t code);

// Full path of the running program, with "/" separators.
std::u16string ModulePath();
uint64_t AvailablePhysicalMemory();
// The system temporary folder, ending in "/".
std::u16string TempPath();
// Starts the program again with a new command line and the same host options.
bool StartProcess(const std::u16string& modulePath, const std::u16string& commandLine);
// The program has saved a file. A web page copies the player's folder into
// the browser's storage now; a desktop's file system already holds it.
void FilesSaved();

// ---- Text conversion at the operating-system boundary --------------------------------

std::string ToUtf8(const std::u16string& text);
// One code point (at most 0x10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);
std::u16string FromUtf8(const std::string& text);

}  // namespace host
