#pragma once
// The headless host every test runs on: a fresh host with a virtual clock,
// the message boxes recorded instead of shown, a private temporary folder
// removed at the end, and the message loop's pump, a tap and a wait for a
// condition. One reset forgets the process-wide state of every layer the test
// binary links: ResetPlatform below the scene, ResetSceneState from it up.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/platform_state.h"

namespace testhost {

struct Box {
    std::string title, text;
    uint32_t style = 0;
    std::string line() const { return title + ": " + text; }
};

// The running host's message boxes, each answered OK, recorded from `listen`
// until the host shuts down.
class MessageBoxes : public std::vector<Box> {
public:
    void listen() {
        host::SetMessageBoxHook([this](const std::u16string& text, const std::u16string& title, uint32_t style) {
            push_back(Box{host::ToUtf8(title), host::ToUtf8(text), style});
            return host::IDOK;
        });
    }
    // Every box as "title: text", one a line: what a failure prints.
    std::string all() const {
        std::string lines;
        for (const Box& box : *this) lines += box.line() + "\n";
        return lines;
    }
};

// A folder of its own under the test temporary folder, made on first use and
// removed with its owner.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Ends in '/'.
    const std::string& path() {
        if (path_.empty()) {
            std::string pattern = ::testing::TempDir() + "karrowen-test-XXXXXX";
            EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
            path_ = pattern + "/";
        }
        return path_;
    }
    std::u16string path16() { return host::FromUtf8(path()); }
    // Writes a file (and its folders); returns its full path.
    std::string write(const std::string& name, std::string_view bytes) {
        const std::string file = path() + name;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return file;
    }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::string read(const std::string& name) {
        std::ifstream in(path() + name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

private:
    std::string path_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

struct HostSettings {
    std::string profile = "desktop";
    int depth = 0;  // 0: the profile's
    int screenWidth = 0, screenHeight = 0;
    bool seeded = false;
};

// A fresh headless host after `reset` (the deepest reset the test binary
// links), its message boxes recorded in `boxes`.
inline void Restart(void (*reset)(), MessageBoxes& boxes, const HostSettings& settings = {}) {
    reset();
    host::HostOptions options;
    options.backend = "headless";
    options.clock = "virtual";
    options.profile = settings.profile;
    options.depth = settings.depth;
    options.screenWidth = settings.screenWidth;
    options.screenHeight = settings.screenHeight;
    options.hasSeed = settings.seeded;
    options.instance = "test-" + std::to_string(::getpid());
    host::InitializeWith(options);
    DetectDevice();
    boxes.listen();
}

// Delivers everything queued, as the message loop would.
inline void Pump() {
    host::Message m;
    while (host::PeekMessage(m, true))
        if (m.message != host::WM_QUIT) host::DispatchMessage(m);
}

// A stylus press and release at a point of a window, then the pump.
inline void Tap(host::WindowHandle window, int x, int y) {
    host::SendMessage(window, host::WM_LBUTTONDOWN, host::MK_LBUTTON, host::MakeLParam(x, y));
    host::SendMessage(window, host::WM_LBUTTONUP, 0, host::MakeLParam(x, y));
    Pump();
}

// Polls until the condition holds; false after the timeout (real time, for
// work on other threads or processes).
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// How many descriptors this process holds open: what a test sees leak.
inline long OpenDescriptorCount() {
    return long(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

// This thread's nice value.
inline int ThisThreadNice() { return ::getpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid))); }

// Whether the system lets this thread go one step up: tried, and undone.
inline bool ThisThreadMayGoUp() {
    const id_t self = id_t(::syscall(SYS_gettid));
    const int before = ::getpriority(PRIO_PROCESS, self);
    const bool allowed = ::setpriority(PRIO_PROCESS, self, before - 1) == 0;
    if (allowed && ::setpriority(PRIO_PROCESS, self, before) != 0) ADD_FAILURE() << "the step up was not undone";
    return allowed;
}

// A fresh headless host for one scope, for tests that are not fixtures.
class ScopedHost {
public:
    explicit ScopedHost(void (*reset)(), const HostSettings& settings = {}) : reset_(reset) {
        Restart(reset_, boxes, settings);
    }
    ~ScopedHost() { reset_(); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

    MessageBoxes boxes;

private:
    void (*reset_)();
};

// A test on a fresh headless host.
class HostTest : public ::testing::Test {
protected:
    explicit HostTest(void (*reset)() = ResetPlatform) : reset_(reset) {}
    void SetUp() override { start(); }
    void TearDown() override { reset_(); }

    // Restarts the host from nothing.
    void start(const HostSettings& settings = {}) { Restart(reset_, boxes, settings); }

    MessageBoxes boxes;
    ScratchFolder scratch;

private:
    void (*reset_)();
};

}  // namespace testhost
