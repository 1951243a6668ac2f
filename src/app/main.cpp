#include <string>

#include "app/program_entry.h"
#include "platform/host/host.h"

int main(int argc, char** argv) {
    std::u16string commandLine;
    bool exitNow = false;
    if (!host::Initialize(argc, argv, commandLine, exitNow)) return 2;
    if (exitNow) return 0;
    int code = ProgramEntry(commandLine);
    host::Shutdown();
    return code;
}
