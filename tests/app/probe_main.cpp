// karrowen-probe: the program's start-up, message loop and relaunch without the
// game. It appends its life to the file named by KARROWEN_PROBE_LOG:
//   start <pid> <command line> | ready <pid> | refused <pid> | end <pid> <code>
// The key R relaunches it with "ARG:second".

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_startup.h"
#include "app/message_loop.h"
#include "app/restart.h"
#include "platform/host/host.h"

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("KARROWEN_PROBE_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %d\n", line.c_str(), int(getpid()));
        std::fclose(f);
    }
}

class Relauncher : public KeyListener {
public:
    explicit Relauncher(Window& window) : window_(window) {}
    void onKey(Window*, uint32_t message, int key) override {
        if (message == host::WM_KEYUP && key == 'R') RestartProgram(window_, u"ARG:second");
    }

private:
    Window& window_;
};

}  // namespace

int main(int argc, char** argv) {
    std::u16string commandLine;
    bool exitNow = false;
    if (!host::Initialize(argc, argv, commandLine, exitNow)) return 2;
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
    Log("ready");
    int code = RunMessageLoop(window.handle());
    Log("end " + std::to_string(code));
    host::Shutdown();
    return code;
}
