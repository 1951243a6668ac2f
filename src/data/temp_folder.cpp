// The private temporary folder that extracted archive members live in, and the
// folder helpers around it.
//
// A fixed folder under a shared temporary path would let another user plant
// links there and have the game overwrite files of their choosing. So the
// folder is per user (under $XDG_RUNTIME_DIR, or named with the user id), is
// created with mode 0700, and is used only when it is a real folder owned by
// this user; otherwise a fresh one is made with mkdtemp.
//
// Several copies of the program may run at once (other instance names, or a
// relaunched successor while its predecessor winds down), so each process
// extracts into its own subfolder named by its process id. Start-up clears
// only the subfolders of processes that no longer run.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_io.h"
#include "data/resource.h"
#include "data/resource_local.h"
#include "platform/host/host.h"
#include "platform/platform_services.h"

namespace {

constexpr char16_t kTempFolderName[] = u"Vendelsoft.tmp";
constexpr int kDocumentsFolderId = 5;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::u16string SharedTempBase() {
    std::u16string base = host::TempPath();
    if (base.empty()) base = GetSpecialFolder(kDocumentsFolderId);
    if (base.empty()) return u"/tmp/";
    if (base.back() != u'/') base.push_back(u'/');
    return base;
}

std::u16string UserSuffix() { return u"-" + host::FromUtf8(std::to_string(::geteuid())); }

std::u16string FreshPrivateFolder() {
    std::string pattern = ToHostPath(SharedTempBase() + kTempFolderName + UserSuffix()) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) return u"";
    return host::FromUtf8(pattern) + u"/";
}

std::u16string ChooseSharedFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::u16string folder = host::FromUtf8(runtime);
        if (folder.back() != u'/') folder.push_back(u'/');
        folder += kTempFolderName;
        folder.push_back(u'/');
        if (EnsurePrivateFolder(folder)) return folder;
    }
    std::u16string folder = SharedTempBase() + kTempFolderName + UserSuffix() + u"/";
    return EnsurePrivateFolder(folder) ? folder : u"";
}

std::u16string ProcessFolderName(pid_t pid) { return host::FromUtf8(std::to_string(pid)) + u"/"; }

std::u16string ChooseTempFolder() {
    std::u16string shared = ChooseSharedFolder();
    if (!shared.empty()) {
        std::u16string own = shared + ProcessFolderName(::getpid());
        if (EnsurePrivateFolder(own)) return own;
    }
    return FreshPrivateFolder();
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// The folders of processes that ended without cleaning up. Other entries, and
// the folders of running processes, are not this process's to touch.
void RemoveFoldersOfEndedProcesses(const std::u16string& shared) {
    DIR* dir = ::opendir(WithoutTrailingSlash(ToHostPath(shared)).c_str());
    if (!dir) return;
    std::vector<pid_t> ended;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string_view::npos) continue;
        pid_t pid = pid_t(std::atol(entry->d_name));
        if (pid > 0 && pid != ::getpid() && !ProcessRuns(pid)) ended.push_back(pid);
    }
    ::closedir(dir);
    for (pid_t pid : ended) {
        std::u16string folder = shared + ProcessFolderName(pid);
        DeletePlainFiles(folder);
        ::rmdir(WithoutTrailingSlash(ToHostPath(folder)).c_str());
    }
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(path));
}

}  // namespace

bool EnsurePrivateFolder(std::u16string_view folder) {
    const std::string path = WithoutTrailingSlash(ToHostPath(folder));
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return false;
    return true;
}

void DeletePlainFiles(std::u16string_view folder) {
    const std::string path = WithoutTrailingSlash(ToHostPath(folder));
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

std::u16string TempFolder() {
    ResourceState& state = Resources();
    if (state.tempFolder.empty()) state.tempFolder = ChooseTempFolder();
    return state.tempFolder;
}

void PrepareTempFolder() {
    ResourceState& state = Resources();
    std::u16string shared = ChooseSharedFolder();
    if (!shared.empty()) RemoveFoldersOfEndedProcesses(shared);
    state.tempFolder = ChooseTempFolder();
    // A process of the same id may have left files behind.
    if (!state.tempFolder.empty()) DeletePlainFiles(state.tempFolder);
}

void CloseAllResources() {
    ResourceState& state = Resources();
    CloseArchives();
    // Streams still open stay usable; their copies go. The folder goes when
    // nothing else is left in it, and the shared folder above it when no other
    // process has a folder there.
    for (StringMap::Key stream : state.extractedStreams.keys()) {
        auto* copy = static_cast<std::u16string*>(state.extractedStreams.lookup(stream));
        ::unlink(ToHostPath(*copy).c_str());
        delete copy;
    }
    state.extractedStreams.clear();
    if (state.tempFolder.empty()) return;
    const std::string folder = WithoutTrailingSlash(ToHostPath(state.tempFolder));
    const size_t slash = folder.rfind('/');
    bool perProcess = slash != std::string::npos && folder.substr(slash + 1) == std::to_string(::getpid());
    if (::rmdir(folder.c_str()) == 0 && perProcess && slash > 0) ::rmdir(folder.substr(0, slash).c_str());
    state.tempFolder.clear();
}

bool MakeFolders(std::u16string_view folderPath, size_t start) {
    std::string path = WithoutTrailingSlash(ToHostPath(folderPath));
    if (path.empty()) return false;
    if (MakeFolder(path)) return true;
    const size_t startByte = ToHostPath(folderPath.substr(0, std::min(start, folderPath.size()))).size();
    for (size_t slash = path.find('/', startByte); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (slash == 0) continue;
        if (!MakeFolder(path.substr(0, slash))) return false;
    }
    return MakeFolder(path);
}
