// libFuzzer target for the program's command line: the input, split at zero
// bytes into argv words, goes through the host's option parser. An accepted
// command line must survive a relaunch: the words the host gives its
// successor (its options, "--" and the game's command line) must parse back
// to the same options and the same game command line, so that the game's own
// choice of its first screen is the same in both processes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/start_choice.h"
#include "platform/host/host.h"
#include "platform/host/host_options.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool SameChoice(const StartChoice& x, const StartChoice& y) {
    return x.kind == y.kind && x.hasArg == y.hasArg && x.templateName == y.templateName && x.level == y.level &&
           x.score == y.score && x.lives == y.lives && x.levelFolder == y.levelFolder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size && args.size() <= 64; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back().push_back(char(data[i]));
    }

    host::HostOptions options;
    std::string commandLine, error;
    bool help = false;
    if (!host::ParseHostOptions(args, options, commandLine, error, help)) {
        Check(!error.empty());
        return 0;
    }
    if (help) return 0;

    // What the game reads, as the host hands it over and after a relaunch.
    const std::u16string line = host::FromUtf8(commandLine);
    std::vector<std::string> relaunch = host::FormatHostOptions(options);
    relaunch.push_back("--");
    relaunch.push_back(host::ToUtf8(line));

    host::HostOptions next;
    std::string nextLine;
    Check(host::ParseHostOptions(relaunch, next, nextLine, error, help));
    Check(!help);
    Check(host::FormatHostOptions(next) == host::FormatHostOptions(options));
    Check(nextLine == relaunch.back());
    Check(SameChoice(ParseStartChoice(host::FromUtf8(nextLine)), ParseStartChoice(line)));
    return 0;
}
