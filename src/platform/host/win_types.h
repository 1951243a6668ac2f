#pragma once
// Basic types of the host layer: handles, messages, rectangles and colours.
// Message numbers, virtual-key codes and message-box values are those of Win32,
// because the game and its templates speak in them.

#include <cstdint>
#include <string>

namespace host {

struct HostWindow;
using WindowHandle = HostWindow*;

struct Point {
    int x = 0;
    int y = 0;
};

// Right and bottom are exclusive, as in GDI.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

Rect Intersect(const Rect& a, const Rect& b);

struct Message {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;
};

using WindowProc = intptr_t (*)(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam);

// A platform colour reference: 0x00BBGGRR. The system's own colours are 0xRRGGBB.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(int r, int g, int b) {
    return uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16);
}
constexpr ColorRef ToColorRef(uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
constexpr uint32_t FromColorRef(ColorRef c) { return ToColorRef(c); }

constexpr intptr_t MakeLParam(int lo, int hi) {
    return intptr_t(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16));
}
constexpr int LowWordSigned(intptr_t v) { return int16_t(uint16_t(v & 0xFFFF)); }
constexpr int HighWordSigned(intptr_t v) { return int16_t(uint16_t((v >> 16) & 0xFFFF)); }

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
// One typed character (UTF-16 code unit) in wParam.
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_CTLCOLORMSGBOX = 0x0132;
constexpr uint32_t WM_CTLCOLOREDIT = 0x0133;
constexpr uint32_t WM_CTLCOLORLISTBOX = 0x0134;
constexpr uint32_t WM_CTLCOLORBTN = 0x0135;
constexpr uint32_t WM_CTLCOLORDLG = 0x0136;
constexpr uint32_t WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr uint32_t WM_CTLCOLORSTATIC = 0x0138;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_USER = 0x0400;

// First parameter of the setting-change message when the screen geometry changed.
constexpr uintptr_t SETTINGCHANGE_RESET = 0x3002;

// WM_SIZE kinds and WM_ACTIVATE states.
constexpr uintptr_t SIZE_RESTORED = 0;
constexpr uintptr_t WA_INACTIVE = 0;
constexpr uintptr_t WA_ACTIVE = 1;

// Stylus button flag in the first parameter of stylus messages.
constexpr uintptr_t MK_LBUTTON = 0x0001;

// Window styles.
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;

// Window-class styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_NOCLOSE = 0x4000;

// Virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F11 = 0x7A;
// The handheld's four application buttons.
constexpr int VK_APP1 = 0xC1;
constexpr int VK_APP2 = 0xC2;
constexpr int VK_APP3 = 0xC3;
constexpr int VK_APP4 = 0xC4;

// Message-box styles and answers.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_OKCANCEL = 0x01;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONERROR = MB_ICONHAND;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The system's cursors.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_HAND = 32649;

// Background modes and raster operations of device contexts.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int R2_NOT = 6;
constexpr int R2_COPYPEN = 13;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t DSTINVERT = 0x00550009;

// Text layout flags.
constexpr uint32_t DT_LEFT = 0x0000;
constexpr uint32_t DT_CENTER = 0x0001;
constexpr uint32_t DT_RIGHT = 0x0002;
constexpr uint32_t DT_VCENTER = 0x0004;
constexpr uint32_t DT_BOTTOM = 0x0008;
constexpr uint32_t DT_WORDBREAK = 0x0010;
constexpr uint32_t DT_SINGLELINE = 0x0020;
constexpr uint32_t DT_NOCLIP = 0x0100;
constexpr uint32_t DT_CALCRECT = 0x0400;

}  // namespace host
