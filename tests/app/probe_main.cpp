// karrowen-probe: the program's start-up, message loop and relaunch without the
// game. It appends its life to the file named by KARROWEN_PROBE_LOG:
//   start [<command line>] <pid> | ready <pid> | refused <pid> | end <code> <pid>
// The key R relaunches it with "ARG:second"; the first idle pass after that
// logs "idle <window title> <pid>", which only happens when the relaunch failed.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_startup.h"
#include "app/message_loop.h"
#include "platform/restart.h"
#include "platform/loop_state.h"
#include "platform/host/host.h"
#include "platform/host/program_backends.h"

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("KARROWEN_PROBE_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %d\n", line.c_str(), int(getpid()));
        std::fclose(f);
    }
}

class Relauncher : public KeyListener, public IdleHandler {
public:
    explicit Relauncher(Window& window) : window_(window) {}
    void onKey(Window*, uint32_t message, int key) override {
        if (message == host::WM_KEYUP && key == 'R') relaunched_ = true, RestartProgram(window_, u"ARG:second");
    }
    void onIdle(const host::Message&, host::WindowHandle main) override {
        if (relaunched_) Log("idle " + host::ToUtf8(host::GetWindowText(main)));
        relaunched_ = false;
    }

private:
    Window& window_;
    bool relaunched_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::u16string commandLine;
    bool exitNow = false;
    if (!host::Initialize(argc, argv, commandLine, exitNow, host::ProgramBackends())) return 2;
    Log("start [" + host::ToUtf8(commandLine) + "]");
    MainWindow window(u"Karrowen");
    Relauncher relauncher(window);
    window.setKeyListener(&relauncher);
    if (!AppStartup(window, true)) {
        Log("refused");
        host::Shutdown();
        return 0;
    }
    window.setFocus();
    SetIdleHandler(&relauncher);
    Log("ready");
    int code = RunMessageLoop(window.handle());
    Log("end " + std::to_string(code));
    host::Shutdown();
    return code;
}
