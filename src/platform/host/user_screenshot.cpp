#include "platform/host/user_screenshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/host/host_local.h"

namespace host {

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// An XDG base folder from the environment; relative values are ignored, as the
// desktop's own tools do.
std::string BaseFolder(const EnvironmentReader& environment, const char* name, const std::string& fallback) {
    const char* value = environment(name);
    return value && value[0] == '/' ? std::string(value) : fallback;
}

// The value of `name` in user-dirs.dirs, a shell fragment of lines such as
// XDG_PICTURES_DIR="$HOME/Pictures"; the last assignment counts.
std::string UserDirsValue(const std::string& file, const std::string& name, const std::string& home) {
    std::ifstream in(file);
    std::string line, found;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, name.size() + 1, name + "=") != 0) continue;
        std::string quoted = line.substr(start + name.size() + 1);
        if (quoted.size() < 2 || quoted.front() != '"') continue;
        std::string value;
        for (size_t i = 1; i < quoted.size() && quoted[i] != '"'; ++i) {
            if (quoted[i] == '\\' && i + 1 < quoted.size()) ++i;
            value += quoted[i];
        }
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        found = value;
    }
    return found;
}

bool IsHome(std::string path, std::string home) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return path == home;
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return IsFolder(path);
    }
}

}  // namespace

std::string PicturesFolder(const EnvironmentReader& environment) {
    const char* homeValue = environment("HOME");
    std::string home = homeValue && *homeValue ? homeValue : "/tmp";
    std::string config = BaseFolder(environment, "XDG_CONFIG_HOME", home + "/.config");
    std::string pictures = UserDirsValue(config + "/user-dirs.dirs", "XDG_PICTURES_DIR", home);
    if (pictures.empty() && environment("XDG_PICTURES_DIR")) pictures = environment("XDG_PICTURES_DIR");
    if (!pictures.empty() && pictures[0] == '/' && !IsHome(pictures, home)) return pictures;
    if (IsFolder(home + "/Pictures")) return home + "/Pictures";
    return BaseFolder(environment, "XDG_DATA_HOME", home + "/.local/share") + "/karrowen/screenshots";
}

std::string SaveUserScreenshot(const std::string& folder, std::time_t when) {
    if (!MakeFolders(folder)) {
        std::fprintf(stderr, "karrowen: cannot make the folder %s for screenshots (%s)\n", folder.c_str(),
                     std::strerror(errno));
        return "";
    }
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int copy = 1; copy < 1000; ++copy) {
        std::string path = folder + "/karrowen-" + stamp + (copy > 1 ? "-" + std::to_string(copy) : "") + ".png";
        // Claimed before it is written, so that two quick presses never share a file.
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0 || close(fd) != 0) break;
        if (!WritePng(path, Panel())) {
            unlink(path.c_str());
            break;
        }
        std::fprintf(stderr, "karrowen: screenshot saved to %s\n", path.c_str());
        return path;
    }
    std::fprintf(stderr, "karrowen: cannot write a screenshot into %s\n", folder.c_str());
    return "";
}

}  // namespace host
