#include "platform/host/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace host {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && home[0] == '/' ? WithSlash(home) : std::string();
}

// A relative value in the variable is ignored, as the XDG rules say.
std::string BaseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return WithSlash(value) + "karrowen/";
    const std::string home = HomeFolder();
    return home.empty() ? home : home + underHome + "karrowen/";
}

}  // namespace

std::string UserConfigFolder() { return BaseFolder("XDG_CONFIG_HOME", ".config/"); }

std::string UserDataFolder() { return BaseFolder("XDG_DATA_HOME", ".local/share/"); }

}  // namespace host
