#include "platform/window.h"

#include <algorithm>
#include <cstdio>

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "platform/loop_state.h"
#include "platform/platform_services.h"

using namespace host;

BackBuffer::BackBuffer(Window* owner, int width, int height) : owner_(owner), surface_(width, height, true) {}

Window::Window(const std::u16string& title, WindowHandle parentHandle, bool buffered)
    : parentHandle_(parentHandle), buffered_(buffered), title_(title) {
    windowClass_.style = CS_NOCLOSE | CS_HREDRAW | CS_VREDRAW;
    windowClass_.proc = &Window::WindowProcedure;
    windowClass_.name = kClassName;
    backgroundBrush_ = Brush{false, backgroundColour_};
}

Window::~Window() {
    // The host must not call back into a freed object. A handle whose window
    // is gone may have been reused by another window, which is not ours to end.
    if (handle_ && IsWindow(handle_) && GetWindowUserData(handle_) == reinterpret_cast<uintptr_t>(this)) {
        SetWindowUserData(handle_, 0);
        DestroyWindow(handle_);
    }
    for (int i = children_.size() - 1; i >= 0; --i) delete children_.get<Window>(i);
    children_.clear();
    painters_.clear();
}

bool Window::create(int x, int y, int width, int height) {
    if (!parentHandle_) {
        if (WindowHandle running = FindWindow(windowClass_.name, title_)) {
            SetForegroundWindow(running);
            std::fprintf(stderr, "karrowen: \"%s\" is already running (instance \"%s\"); brought it to the front\n",
                         ToUtf8(title_).c_str(), Options().instance.c_str());
            return false;
        }
        if (WindowHandle predecessor = FindWindow(windowClass_.name, kDestroyMarker))
            SendMessage(predecessor, WM_DESTROY, 0, 0);
    }
    if (!IsClassRegistered(windowClass_.name) && !RegisterClass(windowClass_)) {
        ShowLastError();
        return false;
    }
    int id = (style_ & WS_CHILD) ? controlId_ : 0;
    if (!CreateWindow(extendedStyle_, windowClass_.name, title_, style_, x, y, width, height, parentHandle_, id, this)) {
        ShowLastError();
        return false;
    }
    return true;
}

bool Window::addChild(Window* child, int x, int y, int width, int height) {
    if (!child || children_.contains(child)) return false;
    onAddChild(child, x, y, width, height);
    children_.append(child);
    child->parentHandle_ = handle_;
    child->parent_ = this;
    return child->create(x, y, width, height);
}

bool Window::addChildScaled(Window* child) {
    const DesignSize& design = Design();
    int x = parentHandle_ ? 0 : design.offsetX, y = parentHandle_ ? 0 : design.offsetY;
    return addChild(child, x, y, ScaleToScreen(design.designWidth), ScaleToScreen(design.designHeight));
}

bool Window::removeChild(Window* child) {
    if (!child || !children_.contains(child)) return false;
    onRemoveChild(child);
    children_.remove(child);
    // The child still knows its parent while it hears WM_DESTROY, so it does
    // not take itself for the main window and end the program.
    bool destroyed = child->handle_ && DestroyWindow(child->handle_);
    child->parent_ = nullptr;
    if (destroyed) child->handle_ = nullptr;
    return destroyed;
}

void Window::addPainter(WindowPainter* painter) {
    if (!buffered_ || !painter || !backBuffer_) return;
    painter->setTarget(&backBuffer_->surface());
    painters_.append(painter);
    painter->attach(this);
}

void Window::removePainter(WindowPainter* painter) {
    if (!buffered_ || !painters_.contains(painter)) return;
    painter->detach(this);
    painters_.remove(painter);
}

void Window::show(bool visible) {
    ShowWindow(handle_, visible);
    UpdateWindow(handle_);
}

void Window::invalidate() { InvalidateRect(handle_, nullptr); }
void Window::update() { UpdateWindow(handle_); }
void Window::setFocus() { SetFocus(handle_); }

void Window::attachContexts() {
    windowDc_ = GetDC(handle_);
    windowDc_->setBkMode(TRANSPARENT);
    windowDc_->setTextColor(MakeColorRef(255, 255, 255));
    drawDc_ = windowDc_;
    Rect client = GetClientRect(handle_);
    clientWidth_ = client.width();
    clientHeight_ = client.height();
    if (buffered_) {
        backBuffer_ = std::make_unique<BackBuffer>(this, clientWidth_, clientHeight_);
        for (int i = 0; i < painters_.size(); ++i) painters_.get<WindowPainter>(i)->setTarget(&backBuffer_->surface());
        drawDc_ = backBuffer_->surface().deviceContext.get();
        drawDc_->setBkMode(TRANSPARENT);
        drawDc_->setTextColor(MakeColorRef(255, 255, 255));
    }
}

void Window::paint(Rect* rect) {
    if (!buffered_ || !backBuffer_ || Loop().restarting) return;
    for (int i = 0; i < painters_.size(); ++i) painters_.get<WindowPainter>(i)->draw();
    FrameBuffer& surface = backBuffer_->surface();
    if (Display().displayOpen) {
        PresentDirect(surface.surface(), rect);
        return;
    }
    if (!windowDc_) return;
    if (!rect) {
        windowDc_->bitBlt(0, 0, surface.width, surface.height, *surface.deviceContext, 0, 0);
        return;
    }
    rect->left = std::max(rect->left, 0);
    rect->top = std::max(rect->top, 0);
    rect->right = std::min(rect->right, surface.width);
    rect->bottom = std::min(rect->bottom, surface.height);
    windowDc_->bitBlt(rect->left, rect->top, rect->width(), rect->height(), *surface.deviceContext, rect->left,
                      rect->top);
}

namespace {
bool ScreenAsDetected() {
    return ScreenWidth() == Device().screenWidth && ScreenHeight() == Device().screenHeight;
}

bool IsStylusMessage(uint32_t message) {
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: return true;
        default: return false;
    }
}

bool IsControlColourMessage(uint32_t message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && message != WM_CTLCOLORDLG;
}
}  // namespace

intptr_t Window::WindowProcedure(WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* window = reinterpret_cast<Window*>(GetWindowUserData(handle));
    if (!window && message == WM_CREATE) {
        window = reinterpret_cast<Window*>(lParam);
        if (window) {
            SetWindowUserData(handle, reinterpret_cast<uintptr_t>(window));
            window->handle_ = handle;
        }
    }
    if (!window) return DefWindowProc(handle, message, wParam, lParam);
    return window->handleMessage(message, wParam, lParam);
}

intptr_t Window::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_CREATE:
            attachContexts();
            onCreate();
            onCreated();
            return 0;
        case WM_DESTROY:
            onDestroy();
            onDestroyed();
            ReleaseDC(handle_, windowDc_);
            if (!parent_) PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_RESTORED && !ScreenAsDetected()) Loop().displayChanged = 1;
            return 0;
        case WM_ACTIVATE: {
            bool active = (wParam & 0xFFFF) != 0;
            for (int i = 0; i < children_.size(); ++i) children_.get<Window>(i)->onActivateTree(active);
            if (!parentHandle_) {
                if (Display().displayOpen || Display().inputOpen) active ? ResumeDirect() : SuspendDirect();
                SetFullScreen(handle_, active);
            }
            onActivateTree(active);
            onActivate(active);
            return 0;
        }
        case WM_SETFOCUS: onSetFocus(); return 0;
        case WM_KILLFOCUS: onKillFocus(); return 0;
        case WM_PAINT: {
            PaintStruct ps;
            BeginPaint(handle_, ps);
            onPaint(ps);
            paint(nullptr);
            EndPaint(handle_, ps);
            return 0;
        }
        case WM_CLOSE:
            if (!canClose()) return 0;
            return DefWindowProc(handle_, message, wParam, lParam);
        case WM_ERASEBKGND:
            onEraseBackground();
            return DefWindowProc(handle_, message, wParam, lParam);
        case WM_SHOWWINDOW: onShow(wParam == 1, int(lParam)); return 0;
        case WM_SETTINGCHANGE:
            if (wParam != SETTINGCHANGE_RESET) return 0;
            if (!ScreenAsDetected()) {
                bool display = Display().displayOpen, input = Display().inputOpen;
                CloseDirect();
                SetOrientation(Device().startOrientation);
                if (display || input) OpenDirect(handle_, display, input);
            }
            // Frames may run again once the screen is back to its start size,
            // whichever way it got there.
            if (ScreenAsDetected()) Loop().displayChanged = 0;
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            onKey(message, int(wParam));
            if (keyListener_) keyListener_->onKey(this, message, int(wParam));
            return 0;
        case WM_CHAR: onChar(char16_t(wParam)); return 0;
        default: break;
    }
    if (IsStylusMessage(message)) {
        int x = LowWordSigned(lParam), y = HighWordSigned(lParam);
        onMouse(message, uint32_t(wParam), x, y, 0);
        if (mouseListener_) mouseListener_->onStylus(this, message, uint32_t(wParam), x, y);
        onMouse(message, uint32_t(wParam), x, y, 1);
        return 0;
    }
    if (IsControlColourMessage(message)) {
        if (auto* dc = reinterpret_cast<DeviceContext*>(wParam)) {
            dc->setTextColor(textColour_);
            dc->setBkColor(backgroundColour_);
        }
        return reinterpret_cast<intptr_t>(&backgroundBrush_);
    }
    return DefWindowProc(handle_, message, wParam, lParam);
}

MainWindow::MainWindow(const std::u16string& title) : Window(title, nullptr, false) {
    style_ = WS_VISIBLE;
    windowClass_.blackBackground = true;
}
