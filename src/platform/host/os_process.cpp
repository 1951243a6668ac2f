// The host on an operating system: sleeping, the program's own file, a
// successor process, and saves that need no further step.

#include <spawn.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/host.h"
#include "platform/host/host_local.h"

extern char** environ;

namespace host {

void RealSleep(uint32_t ms) {
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::u16string ModulePath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return u"";
    buffer[n] = 0;
    return FromUtf8(buffer);
}

uint32_t StartSuccessor(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    return uint32_t(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ));
}

// Files written are on the disk already.
void FilesSaved() {}

}  // namespace host
