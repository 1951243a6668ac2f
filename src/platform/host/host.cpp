// Start-up of the host, its clock, the pump that runs at every message poll,
// and the small system services.

#include "platform/host/host.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/host/audio_device.h"
#include "platform/host/backend.h"
#include "platform/host/headless/null_audio.h"
#include "platform/host/host_core.h"
#include "platform/host/host_local.h"
#include "platform/host/instance_channel.h"
#include "platform/host/text/freetype_text.h"

namespace host {

namespace {
HostCore* core = nullptr;

// The backend the --backend option names, or with "auto" the first window
// backend that opens; the headless one, saying why, when none does.
std::unique_ptr<Backend> CreateBackend(const HostCore& c) {
    const std::string& asked = c.options.backend;
    std::string why;
    for (const VideoBootstrap& entry : c.videoBackends) {
        const bool chosen = asked == "auto" ? entry.create != kHeadlessVideo.create : asked == entry.name;
        if (!chosen) continue;
        if (std::unique_ptr<Backend> backend = entry.create(c.options, Panel().width, Panel().height, why))
            return backend;
    }
    if (why.empty()) why = asked == "auto" ? "no window backend in this program" : "no " + asked + " backend in this program";
    std::fprintf(stderr, "karrowen: %s; running headless\n", why.c_str());
    return kHeadlessVideo.create(c.options, Panel().width, Panel().height, why);
}

void Start(const HostOptions& options, const LinkedBackends& linked, bool announce) {
    HostCore& c = Core();
    c.options = options;
    c.videoBackends.assign(linked.video.begin(), linked.video.end());
    c.videoBackends.push_back(kHeadlessVideo);
    c.audioBackends.assign(linked.audio.begin(), linked.audio.end());
    c.audioBackends.push_back(kNullAudio);
    c.audioBackends.push_back(kWavAudio);
    c.mainThread = std::this_thread::get_id();
    c.realStartMs = RealMilliseconds();
    std::string error;
    if (!LoadDeviceProfile(options.profile, c.profile, error)) {
        std::fprintf(stderr, "karrowen: %s; using the desktop profile\n", error.c_str());
        c.profile = DeviceProfile{};
    }
    if (options.screenWidth > 0) {
        c.profile.screenWidth = c.profile.rawWidth = options.screenWidth;
        c.profile.screenHeight = c.profile.rawHeight = options.screenHeight;
        c.profile.memoryWidth = c.profile.memoryHeight = 0;
    }
    if (options.depth) c.profile.depth = options.depth;
    ResetScreen();
    SetTextRasterizer(&SystemFontText());
    c.cursor = LoadCursor(IDC_ARROW);

    c.backend = CreateBackend(c);
    c.virtualClock = options.clock == "virtual" || (options.clock == "auto" && !c.backend->hasWindow());
    c.virtualMs = options.clockStartMs;
    c.screenshotTaken.assign(options.screenshots.size(), false);
    if (!options.recordPath.empty()) {
        // A recording replays only with the seed it was made with: without
        // one given, every process of the run uses the one chosen here.
        if (!c.options.hasSeed) {
            c.options.hasSeed = true;
            c.options.seed = unsigned(RealMilliseconds() % 1000000007u);
        }
        if (!c.recorder.open(options.recordPath, options.relaunched, c.options.seed, error))
            std::fprintf(stderr, "karrowen: %s\n", error.c_str());
    }
    if (!options.inputScript.empty() && !LoadInputScript(options.inputScript, c.script, error))
        std::fprintf(stderr, "karrowen: %s\n", error.c_str());
    // Events the previous process ran are not run again.
    if (options.inputFrom >= 0) c.nextScriptEvent = std::min(size_t(options.inputFrom), c.script.events.size());
    while (options.inputFrom < 0 && c.nextScriptEvent < c.script.events.size() &&
           c.script.events[c.nextScriptEvent].atMs < options.clockStartMs)
        ++c.nextScriptEvent;
    c.initialized = true;
    if (announce && !c.backend->hasWindow())
        std::fprintf(stderr, "karrowen: headless backend, %s clock, %dx%d %d-bit screen\n",
                     c.virtualClock ? "virtual" : "real", c.profile.screenWidth, c.profile.screenHeight,
                     c.profile.depth);
}

// A headless run is watched only through its script, screenshots, exit time or
// the built-in player; without any of them it would run unseen for ever. A
// relaunched process continues a run that passed this test.
bool HasSomethingToDo(const HostOptions& o) {
    return o.relaunched || !o.inputScript.empty() || !o.screenshots.empty() || o.exitAfterMs >= 0 || o.autoplay;
}

void RunScriptEvent(const ScriptEvent& e) {
    if (e.action == "keydown" || e.action == "key") InputKey(e.a, true, false);
    if (e.action == "keyup" || e.action == "key") InputKey(e.a, false, false);
    if (e.action == "text") InputText(FromUtf8(e.text));
    if (e.action == "down" || e.action == "tap") InputStylus(StylusAction::Down, e.a, e.b);
    if (e.action == "move") InputStylus(StylusAction::Move, e.a, e.b);
    if (e.action == "up" || e.action == "tap") InputStylus(StylusAction::Up, e.a, e.b);
    if (e.action == "screenshot" && !Core().windingDown) SaveScreenshot(e.text);
    if (e.action == "activate") InputActivate(e.a != 0);
    if (e.action == "close") InputClose();
    if (e.action == "quit") {
        RecordInput("quit");
        PostQuitMessage(0);
    }
    if (e.action == "rotate") {
        RecordInput("rotate", e.a, e.b);
        ChangeScreenSize(e.a, e.b);
    }
}
}  // namespace

HostCore& Core() {
    if (!core) core = new HostCore();
    return *core;
}

void RecordInput(const std::string& action, int a, int b) {
    HostCore& c = Core();
    // Once the successor runs, the input is its to record.
    if (!c.recorder.recording() || c.windingDown) return;
    ScriptEvent e;
    e.atMs = TickCount();
    e.action = action;
    e.a = a;
    e.b = b;
    c.recorder.record(e);
}

void RecordInputText(const std::string& utf8) {
    HostCore& c = Core();
    if (!c.recorder.recording() || c.windingDown) return;
    ScriptEvent e;
    e.atMs = TickCount();
    e.action = "text";
    e.text = utf8;
    c.recorder.record(e);
}

void EnsureInitialized() {
    if (!Core().initialized) {
        HostOptions options;
        options.backend = "headless";
        Start(options, {}, false);
    }
}

bool Initialize(int argc, char** argv, std::u16string& commandLine, bool& exitNow, const LinkedBackends& linked) {
    std::vector<std::string> args(argv + 1, argv + argc);
    HostOptions options;
    std::string line, error;
    bool help = false;
    exitNow = false;
    if (!ParseHostOptions(args, options, line, error, help)) {
        std::fprintf(stderr, "karrowen: %s\n\n%s", error.c_str(), HostOptionsHelp());
        return false;
    }
    if (help) {
        std::fputs(HostOptionsHelp(), stdout);
        exitNow = true;
        return true;
    }
    Shutdown();
    Start(options, linked, true);
    if (!Core().backend->hasWindow() && !HasSomethingToDo(options)) {
        std::fprintf(stderr, "karrowen: nothing to do without a window\n\n%s", HostOptionsHelp());
        Shutdown();
        return false;
    }
    commandLine = FromUtf8(line);
    return true;
}

void InitializeWith(const HostOptions& options) { InitializeWith(options, {}); }

void InitializeWith(const HostOptions& options, const LinkedBackends& linked) {
    Shutdown();
    Start(options, linked, false);
}

void Shutdown() {
    if (!core) return;
    channel::Stop();
    ResetWindows();
    delete core;
    core = nullptr;
}

const HostOptions& Options() {
    EnsureInitialized();
    return Core().options;
}

const char* BackendName() {
    EnsureInitialized();
    return Core().backend->name();
}

const DeviceProfile& Profile() {
    EnsureInitialized();
    return Core().profile;
}

// ---- Clock --------------------------------------------------------------------

uint64_t RealMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000;
}

uint32_t TickCount() {
    EnsureInitialized();
    HostCore& c = Core();
    if (c.virtualClock) return uint32_t(c.virtualMs.load());
    return uint32_t(RealMilliseconds() - c.realStartMs + c.options.clockStartMs);
}

void Sleep(uint32_t ms) {
    EnsureInitialized();
    HostCore& c = Core();
    if (!c.virtualClock) {
        RealSleep(ms);
        return;
    }
    c.virtualMs += ms;
    if (c.windingDown) RealSleep(ms);
    else if (std::this_thread::get_id() == c.mainThread) KeepPaceWithAudioRecording();
}

unsigned RandomSeed() {
    const HostOptions& o = Options();
    return o.hasSeed ? o.seed : TickCount();
}

// ---- The pump ------------------------------------------------------------------------

void TakeDueScreenshots() {
    HostCore& c = Core();
    if (c.windingDown) return;
    const uint32_t now = TickCount();
    for (size_t i = 0; i < c.options.screenshots.size(); ++i) {
        if (c.screenshotTaken[i] || c.options.screenshots[i].atMs > now) continue;
        c.screenshotTaken[i] = true;
        SaveScreenshot(c.options.screenshots[i].path);
    }
}

void PumpHost() {
    HostCore& c = Core();
    c.backend->pumpEvents();
    PaceThreadlessAudio();
    // Without threads nothing else runs until the program sleeps, which on a
    // virtual clock it never does: the system (a page's browser) gets a turn
    // now and then all the same.
    if (!kHasThreads && c.virtualClock && RealMilliseconds() >= c.nextSystemTurnMs) {
        RealSleep(0);
        c.nextSystemTurnMs = RealMilliseconds() + 50;
    }
    uint32_t now = TickCount();
    while (c.nextScriptEvent < c.script.events.size() && c.script.events[c.nextScriptEvent].atMs <= now)
        RunScriptEvent(c.script.events[c.nextScriptEvent++]);
    PresentIfDirty();
    TakeDueScreenshots();
    now = TickCount();
    if (c.options.exitAfterMs >= 0 && int64_t(now) >= c.options.exitAfterMs && !c.quitPosted) {
        c.quitPosted = true;
        RecordInput("quit");
        PostQuitMessage(0);
    }
}

// ---- Cursor and idle timer -----------------------------------------------------------------

namespace {
constexpr Cursor kSystemCursors[] = {{IDC_ARROW}, {IDC_IBEAM}, {IDC_HAND}};
}  // namespace

CursorHandle LoadCursor(int id) {
    for (const Cursor& cursor : kSystemCursors)
        if (cursor.id == id) return &cursor;
    return nullptr;
}

CursorHandle SetCursor(CursorHandle cursor) {
    EnsureInitialized();
    HostCore& c = Core();
    CursorHandle previous = c.cursor;
    if (cursor != previous) {
        c.cursor = cursor;
        c.backend->setCursor(cursor ? cursor->id : 0);
    }
    return previous;
}

CursorHandle GetCursor() {
    EnsureInitialized();
    return Core().cursor;
}

void SystemIdleTimerReset() {
    EnsureInitialized();
    ++Core().idleTimerResets;
    Core().backend->idleTimerReset();
}

void SetTextInput(bool on) {
    EnsureInitialized();
    Core().backend->setTextInput(on);
}

uint32_t LastInputTime() {
    EnsureInitialized();
    return Core().lastInputMs;
}

void SetWindowFullScreen(bool on) {
    EnsureInitialized();
    Core().backend->setFullScreen(on);
}

bool WindowFullScreen() {
    EnsureInitialized();
    return Core().backend->fullScreen();
}

uint32_t IdleTimerResets() {
    EnsureInitialized();
    return Core().idleTimerResets;
}

// ---- Dialogs and services -----------------------------------------------------------------

void SetMessageBoxHook(MessageBoxHook hook) {
    EnsureInitialized();
    Core().messageBoxHook = std::move(hook);
}

int MessageBox(WindowHandle, const std::u16string& text, const std::u16string& title, uint32_t style) {
    EnsureInitialized();
    HostCore& c = Core();
    if (c.messageBoxHook) return c.messageBoxHook(text, title, style);
    return c.backend->messageBox(text, title, style);
}

uint32_t GetLastError() { return Core().lastError; }
void SetLastError(uint32_t code) { Core().lastError = code; }

std::u16string ErrorText(uint32_t code) {
    switch (code) {
        case 0: return u"The operation completed successfully.";
        case 1400: return u"Invalid window handle.";
        case 1407: return u"Cannot find window class.";
        case 1410: return u"Class already exists.";
        default: return FromUtf8(std::strerror(int(code)));
    }
}

uint64_t AvailablePhysicalMemory() {
    const DeviceProfile& p = Profile();
    if (p.freeMemoryMB >= 0) return uint64_t(p.freeMemoryMB * 1048576.0);
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kb = 0;
    while (meminfo >> key >> kb) {
        if (key == "MemAvailable:") return kb * 1024;
        meminfo.ignore(256, '\n');
    }
    return uint64_t(sysconf(_SC_AVPHYS_PAGES)) * uint64_t(sysconf(_SC_PAGESIZE));
}

std::u16string TempPath() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = tmp && *tmp == '/' ? tmp : "/tmp";
    if (path.back() != '/') path += '/';
    return FromUtf8(path);
}

bool StartProcess(const std::u16string& modulePath, const std::u16string& commandLine) {
    EnsureInitialized();
    HostCore& c = Core();
    HostOptions next = c.options;
    next.relaunched = true;
    // The successor appends: the run's recording must exist before it does.
    if (c.recorder.recording()) c.recorder.start();
    // The sound from here on is the successor's to record.
    EndAudioRecording();
    // The clock goes on where this process leaves it, real or virtual, so that
    // script, screenshot, exit and recording times count from the run's start.
    next.clockStartMs = TickCount();
    // The successor runs only the events and takes only the screenshots that
    // this process has not.
    next.inputFrom = int64_t(c.nextScriptEvent);
    next.screenshots.clear();
    for (size_t i = 0; i < c.options.screenshots.size(); ++i)
        if (!c.screenshotTaken[i]) next.screenshots.push_back(c.options.screenshots[i]);
    c.backend->addRelaunchOptions(next);
    std::vector<std::string> words{ToUtf8(modulePath)};
    for (const std::string& option : FormatHostOptions(next)) words.push_back(option);
    words.push_back("--");
    words.push_back(ToUtf8(commandLine));
    if (const uint32_t error = StartSuccessor(words)) {
        SetLastError(error);
        return false;
    }
    c.windingDown = true;
    return true;
}

// ---- UTF conversion ---------------------------------------------------------------------

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        uint32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + size_t(extra) < text.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        i += size_t(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

}  // namespace host
