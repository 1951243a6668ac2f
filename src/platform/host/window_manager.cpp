// Windows, window classes, the per-thread message queues and painting.
// Windows of this process are objects here; windows of another instance of the
// program are reached through the instance channel.

#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "platform/host/host_core.h"
#include "platform/host/host_local.h"
#include "platform/host/instance_channel.h"
#include "platform/host/window_manager_local.h"

namespace host {

struct HostWindow {
    uint32_t id = 0;
    bool remote = false;
    channel::RemoteWindow remoteWindow;
    std::u16string className, title;
    uint32_t style = 0, exStyle = 0;
    WindowProc proc = nullptr;
    HostWindow* parent = nullptr;
    std::vector<HostWindow*> children;
    Rect rect;  // in the parent's client coordinates, or the screen's
    uintptr_t userData = 0;
    void* createParam = nullptr;
    int controlId = 0;
    bool visible = false;
    bool destroying = false;
    bool invalid = false;
    Rect invalidRect;
    std::thread::id thread;
    DeviceContext dc;
};

struct SentMessage {
    Message message;
    std::promise<intptr_t> result;
};

struct ThreadQueue {
    std::deque<Message> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
};

struct WindowManager {
    std::mutex mutex;  // guards queues, the registry and the top-level list
    std::map<std::u16string, WindowClass> classes;
    std::unordered_set<HostWindow*> live;
    std::vector<HostWindow*> topLevel;  // bottom first
    std::map<std::pair<int, uint32_t>, HostWindow*> proxies;
    std::map<std::thread::id, ThreadQueue> queues;
    uint32_t nextId = 1;
    HostWindow* focus = nullptr;
    HostWindow* active = nullptr;
    HostWindow* capture = nullptr;
    std::map<int, std::u16string> iconFiles;
};

// Destroys every window still alive, without messages.
void PartDeleter::operator()(WindowManager* part) const {
    for (HostWindow* w : part->live) delete w;
    delete part;
}

namespace {

constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr uint32_t ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr uint32_t ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr uint32_t kSendTimeoutMs = 5000;

WindowManager& WM() {
    EnsureInitialized();
    HostPart<WindowManager>& windows = Core().windows;
    if (!windows) windows.reset(new WindowManager());
    return *windows;
}

bool Live(WindowHandle w) {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    return w && m.live.count(w);
}

bool LiveLocal(WindowHandle w) { return Live(w) && !w->remote; }

Point ScreenOrigin(const HostWindow* w) {
    Point p;
    for (; w; w = w->parent) {
        p.x += w->rect.left;
        p.y += w->rect.top;
    }
    return p;
}

// The visible part of a window on the screen: its rectangle cut by its ancestors'.
Rect ScreenClip(const HostWindow* w) {
    Point o = ScreenOrigin(w);
    Rect clip{o.x, o.y, o.x + w->rect.width(), o.y + w->rect.height()};
    for (const HostWindow* p = w->parent; p; p = p->parent) {
        Point po = ScreenOrigin(p);
        clip = Intersect(clip, Rect{po.x, po.y, po.x + p->rect.width(), po.y + p->rect.height()});
    }
    return clip;
}

void Retarget(HostWindow* w) { w->dc.setTarget(ScreenSurface(), ScreenOrigin(w), ScreenClip(w)); }

void OnWindowDrawn(void*) { MarkScreenDirty(); }

HostWindow* TopLevelOf(HostWindow* w) {
    while (w && w->parent) w = w->parent;
    return w;
}

bool IsWithin(HostWindow* w, HostWindow* ancestor) {
    for (; w; w = w->parent)
        if (w == ancestor) return true;
    return false;
}

void Post(HostWindow* w, std::thread::id thread, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    m.queues[thread].posted.push_back(Message{w, message, wParam, lParam, TickCount()});
}

intptr_t Deliver(HostWindow* w, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!w->proc) return DefWindowProc(w, message, wParam, lParam);
    return w->proc(w, message, wParam, lParam);
}

// The deepest visible window under a screen point, newest top-level window first.
HostWindow* WindowAt(int x, int y) {
    WindowManager& m = WM();
    std::vector<HostWindow*> tops;
    {
        std::lock_guard lock(m.mutex);
        tops = m.topLevel;
    }
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        HostWindow* w = *it;
        if (!w->visible || !ScreenClip(w).contains(x, y)) continue;
        for (bool descended = true; descended;) {
            descended = false;
            for (auto c = w->children.rbegin(); c != w->children.rend(); ++c) {
                if ((*c)->visible && ScreenClip(*c).contains(x, y)) {
                    w = *c;
                    descended = true;
                    break;
                }
            }
        }
        return w;
    }
    return nullptr;
}

void ProcessSentMessages() {
    WindowManager& m = WM();
    for (;;) {
        std::shared_ptr<SentMessage> item;
        {
            std::lock_guard lock(m.mutex);
            auto& sent = m.queues[std::this_thread::get_id()].sent;
            if (sent.empty()) return;
            item = sent.front();
            sent.pop_front();
        }
        const Message& msg = item->message;
        item->result.set_value(LiveLocal(msg.window) ? Deliver(msg.window, msg.message, msg.wParam, msg.lParam) : 0);
    }
}

HostWindow* FirstInvalidWindow() {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    for (HostWindow* w : m.live)
        if (!w->remote && w->invalid && w->visible && w->thread == std::this_thread::get_id()) return w;
    return nullptr;
}

void Activate(HostWindow* top, bool active) {
    WindowManager& m = WM();
    if (active && m.active && m.active != top && Live(m.active)) Deliver(m.active, WM_ACTIVATE, WA_INACTIVE, 0);
    if (active) m.active = top;
    Deliver(top, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
    if (active && !IsWithin(m.focus, top)) SetFocus(top);
}

void DestroyTree(HostWindow* w);

}  // namespace

// ---- Registry and lifetime -----------------------------------------------------------

void ResetWindows() { Core().windows.reset(); }

bool RegisterClass(const WindowClass& windowClass) {
    WindowManager& m = WM();
    if (m.classes.count(windowClass.name)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return false;
    }
    m.classes[windowClass.name] = windowClass;
    return true;
}

bool IsClassRegistered(const std::u16string& name) { return WM().classes.count(name) != 0; }

void SetIconFile(int icon, const std::u16string& path) { WM().iconFiles[icon] = path; }

namespace {
std::u16string IconFileOf(const HostWindow* window) {
    WindowManager& m = WM();
    auto windowClass = m.classes.find(window->className);
    if (windowClass == m.classes.end()) return u"";
    auto file = m.iconFiles.find(windowClass->second.icon);
    return file == m.iconFiles.end() ? u"" : file->second;
}
}  // namespace

WindowHandle CreateWindow(uint32_t exStyle, const std::u16string& className, const std::u16string& title,
                          uint32_t style, int x, int y, int width, int height, WindowHandle parent, int controlId,
                          void* createParam) {
    WindowManager& m = WM();
    auto cls = m.classes.find(className);
    if (cls == m.classes.end()) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !LiveLocal(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto* w = new HostWindow();
    w->className = className;
    w->title = title;
    w->style = style;
    w->exStyle = exStyle;
    w->proc = cls->second.proc;
    w->parent = parent;
    w->rect = Rect{x, y, x + std::max(0, width), y + std::max(0, height)};
    w->controlId = (style & WS_CHILD) ? controlId : 0;
    w->createParam = createParam;
    w->thread = std::this_thread::get_id();
    w->dc.setChangeListener(OnWindowDrawn, nullptr);
    {
        std::lock_guard lock(m.mutex);
        w->id = m.nextId++;
        m.live.insert(w);
        if (parent) parent->children.push_back(w);
        else m.topLevel.push_back(w);
    }
    Retarget(w);
    if (!parent) channel::Start(Core().options.instance);

    if (Deliver(w, WM_CREATE, 0, reinterpret_cast<intptr_t>(createParam)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (!Live(w)) return nullptr;
    w->createParam = nullptr;
    Deliver(w, WM_SIZE, SIZE_RESTORED, MakeLParam(width, height));
    if (style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        ShowWindow(w, true);
    }
    return w;
}

void* CreateParam(WindowHandle window) { return LiveLocal(window) ? window->createParam : nullptr; }

namespace {

void Unlink(HostWindow* w) {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    if (w->parent) {
        auto& siblings = w->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
    } else {
        m.topLevel.erase(std::remove(m.topLevel.begin(), m.topLevel.end(), w), m.topLevel.end());
    }
    m.live.erase(w);
    for (auto& [thread, queue] : m.queues) {
        auto& posted = queue.posted;
        posted.erase(std::remove_if(posted.begin(), posted.end(), [w](const Message& msg) { return msg.window == w; }),
                     posted.end());
    }
    if (m.focus == w) m.focus = nullptr;
    if (m.active == w) m.active = nullptr;
    if (m.capture == w) m.capture = nullptr;
}

// The window hears WM_DESTROY before its children, as the system does it.
void DestroyTree(HostWindow* w) {
    w->destroying = true;
    Deliver(w, WM_DESTROY, 0, 0);
    std::vector<HostWindow*> children = w->children;
    for (HostWindow* c : children)
        if (Live(c) && !c->destroying) DestroyTree(c);
    Unlink(w);
    delete w;
}

}  // namespace

bool DestroyWindow(WindowHandle window) {
    if (!Live(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (window->remote) {
        intptr_t result = 0;
        return channel::Send(window->remoteWindow, WM_DESTROY, 0, 0, result);
    }
    if (window->destroying) return true;
    bool wasTop = !window->parent;
    DestroyTree(window);
    if (wasTop) MarkScreenDirty();
    return true;
}

bool IsWindow(WindowHandle window) { return Live(window); }

void SetWindowText(WindowHandle window, const std::u16string& title) {
    if (!LiveLocal(window)) return;
    {
        std::lock_guard lock(WM().mutex);
        window->title = title;
    }
    if (!window->parent) Core().backend->setTitle(title);
}

std::u16string GetWindowText(WindowHandle window) {
    if (!LiveLocal(window)) return u"";
    std::lock_guard lock(WM().mutex);
    return window->title;
}

uintptr_t SetWindowUserData(WindowHandle window, uintptr_t value) {
    if (!LiveLocal(window)) return 0;
    return std::exchange(window->userData, value);
}

uintptr_t GetWindowUserData(WindowHandle window) { return LiveLocal(window) ? window->userData : 0; }

WindowHandle GetParent(WindowHandle window) { return LiveLocal(window) ? window->parent : nullptr; }

Rect GetWindowRect(WindowHandle window) {
    if (!LiveLocal(window)) return Rect{};
    Point o = ScreenOrigin(window);
    return Rect{o.x, o.y, o.x + window->rect.width(), o.y + window->rect.height()};
}

Rect GetClientRect(WindowHandle window) {
    if (!LiveLocal(window)) return Rect{};
    return Rect{0, 0, window->rect.width(), window->rect.height()};
}

bool MoveWindow(WindowHandle window, int x, int y, int width, int height) {
    if (!LiveLocal(window)) return false;
    window->rect = Rect{x, y, x + std::max(0, width), y + std::max(0, height)};
    RetargetWindowContexts();
    Deliver(window, WM_SIZE, SIZE_RESTORED, MakeLParam(width, height));
    InvalidateRect(window, nullptr);
    return true;
}

bool ShowWindow(WindowHandle window, bool show) {
    if (!LiveLocal(window)) return false;
    bool was = window->visible;
    if (was == show) return was;
    window->visible = show;
    Deliver(window, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (!Live(window)) return was;
    if (show) {
        InvalidateRect(window, nullptr);
        if (!window->parent) {
            Core().backend->setTitle(window->title);
            std::u16string icon = IconFileOf(window);
            if (!icon.empty()) Core().backend->setIcon(ToUtf8(icon));
            Core().backend->showWindow();
            Activate(window, true);
        }
    }
    MarkScreenDirty();
    return was;
}

bool IsWindowVisible(WindowHandle window) { return LiveLocal(window) && window->visible; }

void RetargetWindowContexts() {
    WindowManager& m = WM();
    std::vector<HostWindow*> all;
    {
        std::lock_guard lock(m.mutex);
        all.assign(m.live.begin(), m.live.end());
    }
    for (HostWindow* w : all)
        if (!w->remote) Retarget(w);
}

void BroadcastToTopLevel(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::vector<HostWindow*> tops;
    {
        std::lock_guard lock(WM().mutex);
        tops = WM().topLevel;
    }
    for (HostWindow* w : tops)
        if (Live(w)) Deliver(w, message, wParam, lParam);
}

// ---- Finding windows, focus and activation ------------------------------------------------

uint32_t FindLocalTopLevel(const std::u16string& className, const std::u16string& title) {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    for (HostWindow* w : m.topLevel)
        if (w->className == className && w->title == title && !w->destroying) return w->id;
    return 0;
}

namespace {
HostWindow* LocalById(uint32_t id) {
    WindowManager& m = WM();
    std::lock_guard lock(m.mutex);
    for (HostWindow* w : m.live)
        if (!w->remote && w->id == id) return w;
    return nullptr;
}
}  // namespace

WindowHandle FindWindow(const std::u16string& className, const std::u16string& title) {
    WindowManager& m = WM();
    if (uint32_t id = FindLocalTopLevel(className, title)) return LocalById(id);
    channel::RemoteWindow remote;
    if (!channel::Find(Core().options.instance, className, title, remote)) return nullptr;
    std::lock_guard lock(m.mutex);
    HostWindow*& proxy = m.proxies[{remote.pid, remote.id}];
    if (!proxy || !m.live.count(proxy)) {
        proxy = new HostWindow();
        proxy->remote = true;
        proxy->remoteWindow = remote;
        proxy->className = className;
        proxy->title = title;
        m.live.insert(proxy);
    }
    return proxy;
}

bool SetForegroundWindow(WindowHandle window) {
    if (!Live(window)) return false;
    if (window->remote) return channel::Raise(window->remoteWindow);
    Core().backend->raise();
    HostWindow* top = TopLevelOf(window);
    if (WM().active != top) Activate(top, true);
    return true;
}

void RaiseLocalWindow(uint32_t windowId) {
    if (HostWindow* w = LocalById(windowId)) Post(w, w->thread, WM_NULL, 1, 0x52414953 /* raise request */);
}

WindowHandle SetFocus(WindowHandle window) {
    WindowManager& m = WM();
    if (window && !LiveLocal(window)) return nullptr;
    HostWindow* old = m.focus;
    if (old == window) return old;
    m.focus = window;
    if (old && Live(old)) Deliver(old, WM_KILLFOCUS, reinterpret_cast<uintptr_t>(window), 0);
    if (window && Live(window)) Deliver(window, WM_SETFOCUS, reinterpret_cast<uintptr_t>(old), 0);
    return old;
}

WindowHandle GetFocus() { return WM().focus; }
WindowHandle GetActiveWindow() { return WM().active; }

// ---- Messages -------------------------------------------------------------------------------

bool PeekMessage(Message& message, bool remove) {
    WindowManager& m = WM();
    if (std::this_thread::get_id() == Core().mainThread) PumpHost();
    ProcessSentMessages();
    {
        std::lock_guard lock(m.mutex);
        auto& posted = m.queues[std::this_thread::get_id()].posted;
        if (!posted.empty()) {
            message = posted.front();
            if (remove) posted.pop_front();
            return true;
        }
    }
    if (HostWindow* w = FirstInvalidWindow()) {
        message = Message{w, WM_PAINT, 0, 0, TickCount()};
        return true;
    }
    return false;
}

intptr_t DispatchMessage(const Message& message) {
    if (message.message == WM_NULL && message.lParam == 0x52414953) {
        // Another instance asked this one to come to the front.
        if (LiveLocal(message.window)) SetForegroundWindow(message.window);
        return 0;
    }
    if (!LiveLocal(message.window)) return 0;
    return Deliver(message.window, message.message, message.wParam, message.lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!window) {
        Post(nullptr, std::this_thread::get_id(), message, wParam, lParam);
        return true;
    }
    if (!Live(window)) return false;
    if (window->remote) {
        intptr_t ignored = 0;
        return channel::Send(window->remoteWindow, message, wParam, lParam, ignored);
    }
    Post(window, window->thread, message, wParam, lParam);
    return true;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Live(window)) return 0;
    if (window->remote) {
        intptr_t result = 0;
        channel::Send(window->remoteWindow, message, wParam, lParam, result);
        return result;
    }
    if (window->thread == std::this_thread::get_id()) return Deliver(window, message, wParam, lParam);
    bool delivered = false;
    return SendToLocalWindow(window->id, message, wParam, lParam, delivered);
}

// From another thread: queue the message for the window's thread and wait for
// its answer, which that thread gives at its next message poll.
intptr_t SendToLocalWindow(uint32_t windowId, uint32_t message, uintptr_t wParam, intptr_t lParam, bool& delivered) {
    HostWindow* w = LocalById(windowId);
    delivered = false;
    if (!w) return 0;
    if (w->thread == std::this_thread::get_id()) {
        delivered = true;
        return Deliver(w, message, wParam, lParam);
    }
    auto item = std::make_shared<SentMessage>();
    item->message = Message{w, message, wParam, lParam, TickCount()};
    auto answer = item->result.get_future();
    {
        std::lock_guard lock(WM().mutex);
        WM().queues[w->thread].sent.push_back(item);
    }
    if (answer.wait_for(std::chrono::milliseconds(kSendTimeoutMs)) != std::future_status::ready) return 0;
    delivered = true;
    return answer.get();
}

void PostQuitMessage(int exitCode) { Post(nullptr, std::this_thread::get_id(), WM_QUIT, uintptr_t(exitCode), 0); }

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT: {
            PaintStruct ps;
            BeginPaint(window, ps);
            EndPaint(window, ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return 0;
    }
}

// ---- Painting -----------------------------------------------------------------------------------

bool InvalidateRect(WindowHandle window, const Rect* rect) {
    if (!LiveLocal(window)) return false;
    Rect whole = GetClientRect(window);
    Rect area = rect ? Intersect(*rect, whole) : whole;
    if (!window->invalid) {
        window->invalidRect = area;
    } else {
        Rect& r = window->invalidRect;
        r = Rect{std::min(r.left, area.left), std::min(r.top, area.top), std::max(r.right, area.right),
                 std::max(r.bottom, area.bottom)};
    }
    window->invalid = true;
    return true;
}

bool ValidateRect(WindowHandle window) {
    if (!LiveLocal(window)) return false;
    window->invalid = false;
    return true;
}

namespace {
void PaintTree(WindowHandle window) {
    if (window->invalid && window->visible) Deliver(window, WM_PAINT, 0, 0);
    std::vector<HostWindow*> children = window->children;
    for (HostWindow* c : children)
        if (Live(c)) PaintTree(c);
}
}  // namespace

// Painting a window at once reaches the screen at once, as it does on the
// handheld: a program busy loading shows its progress before the next pump.
bool UpdateWindow(WindowHandle window) {
    if (!LiveLocal(window)) return false;
    PaintTree(window);
    PresentIfDirty();
    TakeDueScreenshots();
    return true;
}

DeviceContext* BeginPaint(WindowHandle window, PaintStruct& paint) {
    if (!LiveLocal(window)) return nullptr;
    paint.paint = window->invalid ? window->invalidRect : GetClientRect(window);
    window->invalid = false;
    Retarget(window);
    paint.dc = &window->dc;
    return paint.dc;
}

void EndPaint(WindowHandle, const PaintStruct&) {}

DeviceContext* GetDC(WindowHandle window) {
    if (!window) return GetScreenDC();
    if (!LiveLocal(window)) return nullptr;
    Retarget(window);
    return &window->dc;
}

void ReleaseDC(WindowHandle, DeviceContext*) {}

// ---- Input from the backend or the script ------------------------------------------------------------

void InputKey(int virtualKey, bool down, bool repeat) {
    WindowManager& m = WM();
    if (!repeat) RecordInput(down ? "keydown" : "keyup", virtualKey);
    Core().lastInputMs = std::max(TickCount(), 1u);
    HostWindow* target = m.focus ? m.focus : m.active;
    if (!target || !Live(target)) return;
    // Bit 30: the key was down before; bit 31: the key is being released.
    intptr_t flags = 1 | (repeat || !down ? (1 << 30) : 0) | (down ? 0 : intptr_t(1u << 31));
    Post(target, target->thread, down ? WM_KEYDOWN : WM_KEYUP, uintptr_t(virtualKey), flags);
}

void InputText(const std::u16string& text) {
    WindowManager& m = WM();
    RecordInputText(ToUtf8(text));
    Core().lastInputMs = std::max(TickCount(), 1u);
    HostWindow* target = m.focus ? m.focus : m.active;
    if (!target || !Live(target)) return;
    for (char16_t c : text) Post(target, target->thread, WM_CHAR, uintptr_t(c), 1);
}

void InputStylus(StylusAction action, int screenX, int screenY) {
    WindowManager& m = WM();
    if (action != StylusAction::Move || m.capture)
        RecordInput(action == StylusAction::Down ? "down" : action == StylusAction::Move ? "move" : "up", screenX,
                    screenY);
    if (action == StylusAction::Down) Core().lastInputMs = std::max(TickCount(), 1u);
    HostWindow* target = m.capture;
    // A mouse moves without a button held, which a stylus cannot: the window
    // under it hears of it, with no button, to choose its cursor.
    bool hover = action == StylusAction::Move && !target;
    if (action == StylusAction::Down || hover) target = WindowAt(screenX, screenY);
    if (action == StylusAction::Down) m.capture = target;
    if (!target || !Live(target)) return;
    Point o = ScreenOrigin(target);
    intptr_t position = MakeLParam(screenX - o.x, screenY - o.y);
    uint32_t message = action == StylusAction::Down ? WM_LBUTTONDOWN
                       : action == StylusAction::Move ? WM_MOUSEMOVE
                                                      : WM_LBUTTONUP;
    Post(target, target->thread, message, action == StylusAction::Up || hover ? 0 : MK_LBUTTON, position);
    if (action == StylusAction::Up) m.capture = nullptr;
}

void InputActivate(bool active) {
    WindowManager& m = WM();
    RecordInput("activate", active ? 1 : 0);
    HostWindow* top = m.active;
    if (!top) {
        std::lock_guard lock(m.mutex);
        for (HostWindow* w : m.topLevel)
            if (w->visible) top = w;
    }
    if (top && Live(top)) Activate(top, active);
}

void InputClose() {
    WindowManager& m = WM();
    RecordInput("close");
    HostWindow* top = m.active;
    if (!top) {
        std::lock_guard lock(m.mutex);
        if (!m.topLevel.empty()) top = m.topLevel.front();
    }
    if (top && Live(top)) Post(top, top->thread, WM_CLOSE, 0, 0);
}

}  // namespace host
