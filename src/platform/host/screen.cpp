// The simulated display: the system screen that windows draw on through device
// contexts, the display memory that direct output writes, and the panel that
// the backend shows. On a high-resolution profile the panel is the raw frame
// buffer's size and the system screen is shown pixel-doubled, as such devices do.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/host/audio_device.h"
#include "platform/host/host_core.h"
#include "platform/host/host_local.h"
#include "platform/host/window_manager_local.h"

namespace host {

struct Screen {
    int width = 0, height = 0, depth = 16;
    int orientation = 0;
    std::vector<uint8_t> pixels;
    PixelSurface surface;
    DeviceContext screenDc;
    bool dirty = false;

    std::vector<uint32_t> panelPixels;
    PixelSurface panel;
    bool panelDirty = false;
    // The screen column each panel column shows, for a screen `columnsOf` wide.
    std::vector<int> panelColumns;
    int columnsOf = 0;

    std::vector<uint8_t> memory;
    DisplayMemory display;
    bool hasMemory = false;
    bool memoryDirty = false;
};

void PartDeleter::operator()(Screen* part) const { delete part; }

namespace {

Screen& TheScreen() { return *Core().screen; }

void MemoryToPanel();

// The system screen and the display memory are one picture on a real device.
// Here they are two, so the panel follows whichever was written last: before
// one takes over, what the other wrote is brought onto the panel.
void OnScreenDrawn(void*) {
    if (TheScreen().memoryDirty) MemoryToPanel();
    TheScreen().dirty = true;
}

void AllocateScreen(int width, int height) {
    Screen& s = TheScreen();
    s.width = width;
    s.height = height;
    int bytes = s.depth / 8;
    s.pixels.assign(size_t(width) * height * bytes, 0);
    s.surface = PixelSurface{s.pixels.data(), width, height, width * bytes, s.depth};
    s.screenDc.setTarget(s.surface);
    s.screenDc.setChangeListener(OnScreenDrawn, nullptr);
    s.dirty = true;
}

void AllocatePanel(int width, int height) {
    Screen& s = TheScreen();
    s.panelPixels.assign(size_t(width) * height, 0);
    s.panel = PixelSurface{reinterpret_cast<uint8_t*>(s.panelPixels.data()), width, height, width * 4, 32};
}

// Display memory laid out by the profile; the frame pointer is placed so that
// every pixel reachable through negative pitches lies inside the buffer.
void AllocateDisplayMemory(const DeviceProfile& p) {
    Screen& s = TheScreen();
    DisplayMemory& d = s.display;
    d.width = p.memoryWidth ? p.memoryWidth : p.rawWidth;
    d.height = p.memoryWidth ? p.memoryHeight : p.rawHeight;
    d.xPitch = p.memoryWidth ? p.memoryXPitch : 2;
    d.yPitch = p.memoryWidth ? p.memoryYPitch : d.width * 2;
    d.bitsPerPixel = 16;
    d.format = p.memoryFormat;
    d.systemMemory = p.systemMemoryBuffer;
    s.hasMemory = d.width > 0 && d.height > 0 && d.xPitch != 0 && d.yPitch != 0;
    if (!s.hasMemory) return;
    size_t span = size_t(std::abs(d.xPitch)) * (d.width - 1) + size_t(std::abs(d.yPitch)) * (d.height - 1) + 2;
    s.memory.assign(span, 0);
    size_t base = (d.xPitch < 0 ? size_t(-d.xPitch) * (d.width - 1) : 0) +
                  (d.yPitch < 0 ? size_t(-d.yPitch) * (d.height - 1) : 0);
    d.framePointer = s.memory.data() + base;
}

// Every channel of a 5-6-5 pixel widened to eight bits is an OR of bits that
// come from its high byte alone and bits from its low byte alone, so two
// 256-entry tables convert a pixel in two look-ups.
struct Rgb565Halves {
    uint32_t high[256], low[256];
};
constexpr Rgb565Halves kRgb565Halves = [] {
    Rgb565Halves t{};
    for (int i = 0; i < 256; ++i) {
        t.high[i] = Rgb565ToRgb(uint16_t(i << 8));
        t.low[i] = Rgb565ToRgb(uint16_t(i));
    }
    return t;
}();

template <typename Pixel>
uint32_t ToPanel(Pixel p) {
    if constexpr (sizeof(Pixel) == 2) return kRgb565Halves.high[p >> 8] | kRgb565Halves.low[p & 0xFF];
    else return p & 0xFFFFFF;
}

#ifdef __SSE2__
// Rgb565ToRgb on eight pixels.
inline void Rgb565ToPanel8(const uint16_t* in, uint32_t* out) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i r = _mm_srli_epi16(p, 11);
    const __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), _mm_set1_epi16(63));
    const __m128i b = _mm_and_si128(p, _mm_set1_epi16(31));
    const __m128i r8 = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    const __m128i g8 = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
    const __m128i b8 = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    const __m128i greenBlue = _mm_or_si128(_mm_slli_epi16(g8, 8), b8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(greenBlue, r8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(greenBlue, r8));
}
#endif

// `width` 5-6-5 pixels side by side onto a panel row.
void Rgb565RowToPanel(const uint16_t* in, uint32_t* out, int width) {
    int x = 0;
#ifdef __SSE2__
    for (; x + 8 <= width; x += 8) Rgb565ToPanel8(in + x, out + x);
#endif
    for (; x < width; ++x) out[x] = ToPanel(in[x]);
}

// One panel row from one screen row: straight along when the two are as
// wide, else through the column table.
template <typename Pixel>
void RowToPanel(const uint8_t* from, uint32_t* out, const std::vector<int>& columns, bool sameWidth) {
    const Pixel* in = reinterpret_cast<const Pixel*>(from);
    const int width = int(columns.size());
    if (sameWidth) {
        if constexpr (sizeof(Pixel) == 2) {
            Rgb565RowToPanel(in, out, width);
        } else {
            for (int x = 0; x < width; ++x) out[x] = ToPanel(in[x]);
        }
    } else {
        for (int x = 0; x < width; ++x) out[x] = ToPanel(in[columns[size_t(x)]]);
    }
}

// Nearest-neighbour copy of the screen onto the panel. It runs for every
// shown frame, so per-pixel format checks and divisions stay out of it.
void ScreenToPanel() {
    Screen& s = TheScreen();
    const PixelSurface& p = s.panel;
    if (s.columnsOf != s.width || s.panelColumns.size() != size_t(p.width)) {
        s.panelColumns.resize(size_t(p.width));
        for (int x = 0; x < p.width; ++x) s.panelColumns[size_t(x)] = x * s.width / p.width;
        s.columnsOf = s.width;
    }
    const bool sameWidth = s.width == p.width;
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* in = s.surface.row(y * s.height / p.height);
        uint32_t* out = reinterpret_cast<uint32_t*>(p.row(y));
        if (s.surface.bitsPerPixel == 16) RowToPanel<uint16_t>(in, out, s.panelColumns, sameWidth);
        else RowToPanel<uint32_t>(in, out, s.panelColumns, sameWidth);
    }
    s.dirty = false;
    s.panelDirty = true;
}

}  // namespace

void ResetScreen() {
    Core().screen.reset(new Screen());
    const DeviceProfile& p = Core().profile;
    TheScreen().depth = p.depth;
    TheScreen().orientation = p.startOrientation;
    AllocateScreen(p.screenWidth, p.screenHeight);
    bool highResolution = p.rawWidth * p.rawHeight != 0 && p.rawWidth * p.rawHeight != p.screenWidth * p.screenHeight;
    if (highResolution) AllocatePanel(p.rawWidth, p.rawHeight);
    else AllocatePanel(p.screenWidth, p.screenHeight);
    AllocateDisplayMemory(p);
}

const PixelSurface& Panel() {
    if (TheScreen().memoryDirty) MemoryToPanel();
    if (TheScreen().dirty) ScreenToPanel();
    return TheScreen().panel;
}

Point PanelToScreen(int panelX, int panelY) {
    const Screen& s = TheScreen();
    return Point{panelX * s.width / std::max(1, s.panel.width), panelY * s.height / std::max(1, s.panel.height)};
}

const PixelSurface& ScreenSurface() {
    EnsureInitialized();
    return TheScreen().surface;
}

void MarkScreenDirty() { TheScreen().dirty = true; }

int ScreenWidth() {
    EnsureInitialized();
    return TheScreen().width;
}
int ScreenHeight() {
    EnsureInitialized();
    return TheScreen().height;
}
int ScreenDepth() {
    EnsureInitialized();
    return TheScreen().depth;
}

DeviceContext* GetScreenDC() {
    EnsureInitialized();
    return &TheScreen().screenDc;
}

const DisplayMemory* GetDisplayMemory() {
    EnsureInitialized();
    return TheScreen().hasMemory ? &TheScreen().display : nullptr;
}

uint8_t* MapDeviceAddress(uint32_t address) {
    EnsureInitialized();
    const DeviceProfile& p = Core().profile;
    if (!TheScreen().hasMemory || p.memoryAddress == 0 || address != p.memoryAddress) return nullptr;
    return TheScreen().display.framePointer;
}

void CommitDisplayMemory() {
    EnsureInitialized();
    if (!TheScreen().hasMemory) return;
    if (TheScreen().dirty) ScreenToPanel();
    TheScreen().memoryDirty = true;
}

namespace {

// Display memory pixel (X, Y) is what the panel shows at (X, Y); a memory turned
// against the panel's shape is shown turned back, as the user holds the device.
void MemoryToPanel() {
    Screen& s = TheScreen();
    const DisplayMemory& d = s.display;
    const PixelSurface& p = s.panel;
    bool turned = (d.width > d.height) != (p.width > p.height) && d.width != d.height;
    int shownW = turned ? d.height : d.width, shownH = turned ? d.width : d.height;
    // Memory laid out as the panel, rows of whole pixels (the usual case, and
    // every frame of a game drawing directly): converted a row at a time.
    const bool rowsAsShown = !turned && d.xPitch == 2 && d.width == p.width && d.height == p.height &&
                             d.yPitch % 2 == 0 && reinterpret_cast<uintptr_t>(d.framePointer) % 2 == 0;
    if (rowsAsShown) {
        for (int y = 0; y < p.height; ++y)
            Rgb565RowToPanel(reinterpret_cast<const uint16_t*>(d.framePointer + intptr_t(y) * d.yPitch),
                             reinterpret_cast<uint32_t*>(p.row(y)), p.width);
        s.memoryDirty = false;
        s.panelDirty = true;
        return;
    }
    for (int y = 0; y < p.height; ++y) {
        uint32_t* out = reinterpret_cast<uint32_t*>(p.row(y));
        int vy = y * shownH / p.height;
        for (int x = 0; x < p.width; ++x) {
            int vx = x * shownW / p.width;
            int X = turned ? vy : vx, Y = turned ? shownW - 1 - vx : vy;
            uint16_t pixel;
            std::memcpy(&pixel, d.framePointer + intptr_t(X) * d.xPitch + intptr_t(Y) * d.yPitch, 2);
            out[x] = Rgb565ToRgb(pixel);
        }
    }
    s.memoryDirty = false;
    s.panelDirty = true;
}

}  // namespace

void PresentIfDirty() {
    Screen& s = TheScreen();
    HostCore& c = Core();
    if (s.memoryDirty) MemoryToPanel();
    if (s.dirty) ScreenToPanel();
    if (!s.panelDirty) return;
    if (c.virtualClock) {
        c.virtualMs += c.options.frameStepMs;
        KeepPaceWithAudioRecording();
    } else if (!c.backend->vsync()) {
        // Without vsync a frame cap keeps a fast machine from running away.
        uint64_t due = c.lastPresentMs + 16, now = RealMilliseconds();
        if (now < due) RealSleep(uint32_t(due - now));
    }
    c.backend->present(s.panel);
    c.lastPresentMs = RealMilliseconds();
    s.panelDirty = false;
}

bool SaveScreenshot(const std::string& path) {
    bool ok = WritePng(path, Panel());
    std::fprintf(stderr, ok ? "karrowen: screenshot %s at %u ms\n" : "karrowen: cannot write screenshot %s (%u ms)\n",
                 path.c_str(), TickCount());
    return ok;
}

void ChangeScreenSize(int width, int height) {
    EnsureInitialized();
    if (width == TheScreen().width && height == TheScreen().height) return;
    AllocateScreen(width, height);
    RetargetWindowContexts();
    BroadcastToTopLevel(WM_SIZE, SIZE_RESTORED, MakeLParam(width, height));
    BroadcastToTopLevel(WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
}

int QueryDisplayOrientation() {
    EnsureInitialized();
    return Core().profile.osMajor < 4 ? 0 : TheScreen().orientation;
}

// Quarter turns swap the screen's sides; the program restores its start
// orientation this way after the user turned the device.
int SetDisplayOrientation(int orientation) {
    EnsureInitialized();
    const DeviceProfile& p = Core().profile;
    if (p.osMajor < 4) return 0;
    auto quarter = [](int o) { return o == 1 || o == 4; };
    TheScreen().orientation = orientation;
    bool swapped = quarter(orientation) != quarter(p.startOrientation);
    int w = swapped ? p.screenHeight : p.screenWidth, h = swapped ? p.screenWidth : p.screenHeight;
    if (w != TheScreen().width || h != TheScreen().height) {
        AllocateScreen(w, h);
        RetargetWindowContexts();
    }
    return 0;
}

// The handheld's shell hides its task bar for a full-screen program. On the
// desktop the device screen is the whole window already, so there is nothing to
// hide; desktop full screen is the player's choice (F11), never the program's.
void SetShellFullScreen(WindowHandle, bool) { EnsureInitialized(); }

}  // namespace host
