#include <cstdio>
#include <cstring>
#include <string>

#include "app/program_entry.h"
#include "build_info.h"
#include "platform/host/host.h"
#include "platform/host/program_backends.h"

namespace {
// "--version" among the host options, which end at a lone "--".
bool AsksForVersion(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--version") == 0) return true;
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    if (AsksForVersion(argc, argv)) {
        std::printf("karrowen %s\n", KARROWEN_VERSION);
        return 0;
    }
    std::u16string commandLine;
    bool exitNow = false;
    if (!host::Initialize(argc, argv, commandLine, exitNow, host::ProgramBackends())) return 2;
    if (exitNow) return 0;
    int code = ProgramEntry(commandLine);
    host::Shutdown();
    return code;
}
