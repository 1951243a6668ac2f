#pragma once
// The host's process-wide state, in one place so tests can start it afresh:
// host::Shutdown() stops the listener thread, destroys every window and frees
// all of it; the next call into the host starts from nothing.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/backend.h"
#include "platform/host/device_profile.h"
#include "platform/host/host.h"
#include "platform/host/input_recorder.h"
#include "platform/host/input_script.h"
#include "platform/host/port_options.h"

namespace host {

// Parts of the state whose types only their own source file knows; that file
// also frees them.
struct Screen;           // screen.cpp
struct WindowManager;    // window_manager.cpp
struct ChannelListener;  // instance_channel.cpp
class NullAudioDevice;   // headless/null_audio.h
struct PartDeleter {
    void operator()(Screen* part) const;
    void operator()(WindowManager* part) const;  // destroys the windows left
    void operator()(ChannelListener* part) const;  // stops the listening thread
};
template <class T>
using HostPart = std::unique_ptr<T, PartDeleter>;

struct HostCore {
    bool initialized = false;
    HostOptions options;
    DeviceProfile profile;
    std::optional<PlayStyle> playStyle;  // read from the options and karrowen.conf on first use
    std::unique_ptr<Backend> backend;
    // Every backend this run may choose, the program's first, the headless last.
    std::vector<VideoBootstrap> videoBackends;
    std::vector<AudioBootstrap> audioBackends;
    std::thread::id mainThread;

    bool virtualClock = false;
    std::atomic<uint64_t> virtualMs{0};
    uint64_t realStartMs = 0;
    // Set once this process started its successor: it only winds down from then
    // on, so it takes no screenshots and its virtual sleeps take real time.
    bool windingDown = false;
    bool quitPosted = false;

    InputScript script;
    size_t nextScriptEvent = 0;
    std::vector<bool> screenshotTaken;
    InputRecorder recorder;

    uint64_t lastPresentMs = 0;
    uint32_t lastError = 0;
    MessageBoxHook messageBoxHook;

    const Cursor* cursor = nullptr;
    uint32_t idleTimerResets = 0;
    // The open null and WAV devices where there are no threads: the message
    // poll paces them.
    std::vector<NullAudioDevice*> threadlessAudio;
    uint64_t nextSystemTurnMs = 0;  // the same, on a virtual clock (host.cpp's PumpHost)
    // TickCount of the player's last key, character or stylus press; 0: none yet.
    uint32_t lastInputMs = 0;

    HostPart<Screen> screen;  // the system screen, the panel and display memory
    HostPart<WindowManager> windows;
    // The socket other instances reach this one by, and the instance it serves.
    HostPart<ChannelListener> listener;
    std::string channelInstance;
    // The WAV recording this process makes (wav_audio.cpp). Its file is written
    // only under the lock, so ending it for a successor leaves no write half done.
    std::mutex recordingLock;
    AudioDevice* recording = nullptr;
    // The volume open devices play at: set by the program's thread, read by the
    // output thread. Shared with the devices, so that one left open past a
    // reset of the host never reads freed memory.
    std::shared_ptr<std::atomic<int>> outputVolume = std::make_shared<std::atomic<int>>(100);
    TextRasterizer* textRasterizer = nullptr;  // device contexts draw text with it
    std::unique_ptr<TextRasterizer> systemFontText;  // FreeType, started on first use
};

HostCore& Core();
void EnsureInitialized();

// Runs on the main thread at every message poll: backend events, the input
// script, screenshots, exit time, and the presentation of a changed screen.
void PumpHost();

// Writes an input event to the --record file, at the present time.
void RecordInput(const std::string& action, int a = 0, int b = 0);
void RecordInputText(const std::string& utf8);

// Window manager and screen internals.
void ResetWindows();
void ResetScreen();
void MarkScreenDirty();
void PresentIfDirty();
// Writes the --screenshot pictures whose time has come.
void TakeDueScreenshots();
bool SaveScreenshot(const std::string& path);

}  // namespace host
