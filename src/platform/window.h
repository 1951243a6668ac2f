#pragma once
// Every on-screen object is a Window: a thin wrapper of one host window with
// seventeen virtual hooks, an optional back buffer with painters, listeners for
// the stylus and keys, and the child windows it owns. One window procedure,
// shared by all, turns messages into hook calls.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/frame_buffer.h"
#include "platform/host/host.h"
#include "platform/ptr_vector.h"

class Window;

class WindowPainter {
public:
    virtual ~WindowPainter() = default;
    virtual void draw() = 0;
    virtual void attach(Window* window) { (void)window; }
    virtual void detach(Window* window) { (void)window; }
    // The surface the painter draws on: the window's back buffer.
    void setTarget(FrameBuffer* target) { target_ = target; }
    FrameBuffer* target() const { return target_; }

private:
    FrameBuffer* target_ = nullptr;
};

class MouseListener {
public:
    virtual ~MouseListener() = default;
    virtual void onStylus(Window* window, uint32_t message, uint32_t flags, int x, int y) = 0;
};

class KeyListener {
public:
    virtual ~KeyListener() = default;
    virtual void onKey(Window* window, uint32_t message, int keyCode) = 0;
};

// A window's off-screen surface at its client size, in the display's format.
class BackBuffer {
public:
    BackBuffer(Window* owner, int width, int height);
    Window* owner() const { return owner_; }
    FrameBuffer& surface() { return surface_; }

private:
    Window* owner_;
    FrameBuffer surface_;
};

class Window {
public:
    static constexpr const char16_t* kClassName = u"Halyard_WINDOW";
    static constexpr const char16_t* kDestroyMarker = u"_QL_FLAG_TOBEDESTROYED_";

    Window(const std::u16string& title, host::WindowHandle parentHandle, bool buffered);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool create(int x, int y, int width, int height);
    // False when the child is already there; otherwise the child's create.
    bool addChild(Window* child, int x, int y, int width, int height);
    // At the scaled design size, placed at the letterbox offset in a top-level window.
    bool addChildScaled(Window* child);
    bool removeChild(Window* child);
    void addPainter(WindowPainter* painter);
    void removePainter(WindowPainter* painter);

    void show(bool visible);
    void invalidate();
    void update();
    void setFocus();

    host::WindowHandle handle() const { return handle_; }
    const std::u16string& title() const { return title_; }
    BackBuffer* backBuffer() const { return backBuffer_.get(); }
    Window* parent() const { return parent_; }
    MouseListener* mouseListener() const { return mouseListener_; }
    void setMouseListener(MouseListener* listener) { mouseListener_ = listener; }
    KeyListener* keyListener() const { return keyListener_; }
    void setKeyListener(KeyListener* listener) { keyListener_ = listener; }
    host::DeviceContext* drawDc() const { return drawDc_; }
    host::DeviceContext* windowDc() const { return windowDc_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    bool buffered() const { return buffered_; }
    const PtrVector& children() const { return children_; }
    const PtrVector& painters() const { return painters_; }
    uint32_t userData = 0;

    // Hooks, in slot order.
    virtual void onCreate() {}
    virtual void onDestroy() {}
    virtual void onShow(bool shown, int status) { (void)shown, (void)status; }
    virtual bool canClose() { return true; }
    virtual void onPaint(host::PaintStruct& paint) { (void)paint; }
    virtual void onSetFocus() {}
    virtual void onKillFocus() {}
    virtual void onActivate(bool active) { (void)active; }
    virtual void onEraseBackground() {}
    virtual void paint(host::Rect* rect);
    virtual void onMouse(uint32_t message, uint32_t flags, int x, int y, int phase) {
        (void)message, (void)flags, (void)x, (void)y, (void)phase;
    }
    virtual void onKey(uint32_t message, int keyCode) { (void)message, (void)keyCode; }
    // One character typed while the host's text input is on.
    virtual void onChar(char16_t character) { (void)character; }
    virtual void onActivateTree(bool active) { (void)active; }
    virtual void onCreated() {}
    virtual void onDestroyed() {}
    virtual void onAddChild(Window* child, int x, int y, int width, int height) {
        (void)child, (void)x, (void)y, (void)width, (void)height;
    }
    virtual void onRemoveChild(Window* child) { (void)child; }

    static intptr_t WindowProcedure(host::WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam);

protected:
    void attachContexts();
    intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    host::WindowClass windowClass_;
    uint32_t style_ = host::WS_POPUP | host::WS_VISIBLE;
    uint32_t extendedStyle_ = 0;
    host::WindowHandle handle_ = nullptr;
    host::WindowHandle parentHandle_ = nullptr;
    host::DeviceContext* windowDc_ = nullptr;
    host::DeviceContext* drawDc_ = nullptr;
    int controlId_ = 0;
    std::unique_ptr<BackBuffer> backBuffer_;
    PtrVector painters_;
    bool buffered_ = false;
    std::u16string title_;
    MouseListener* mouseListener_ = nullptr;
    KeyListener* keyListener_ = nullptr;
    host::Brush backgroundBrush_;
    host::ColorRef textColour_ = 0;
    host::ColorRef backgroundColour_ = host::MakeColorRef(255, 255, 255);
    PtrVector children_;
    Window* parent_ = nullptr;
    int clientWidth_ = 0, clientHeight_ = 0;
};

// The program's top-level window: visible, not a pop-up, black background, unbuffered.
class MainWindow : public Window {
public:
    explicit MainWindow(const std::u16string& title);
    void onCreate() override {}
    void onDestroy() override {}
    void setIcon(int icon) { windowClass_.icon = icon; }
};
