#include "data/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "data/data_state.h"
#include "platform/host/host.h"

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link is replaced at the file it points to, so the link itself survives.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

constexpr char kTemporaryMark[] = ".~";

std::string TemporaryNameBeside(const std::string& target) {
    return target + kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(Data().temporaryNames++);
}

// A process killed while it wrote leaves its temporary file beside the
// target; the next replacement of that target removes those of processes that
// no longer run. Only this user's files are touched.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = target.substr(target.rfind('/') + 1) + kTemporaryMark;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        std::string_view owner = name.substr(prefix.size());
        owner = owner.substr(0, owner.find('-'));
        if (owner.empty() || owner.size() > 9 || owner.find_first_not_of("0123456789") != std::string_view::npos) continue;
        const pid_t pid = pid_t(std::atol(std::string(owner).c_str()));
        struct stat st;
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode) &&
            st.st_uid == ::geteuid())
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The entry of `folder` ("" for the working folder) that matches `name` up to
// case; the first in byte order, so the choice does not depend on the
// folder's listing order.
std::optional<std::string> EntryIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (SameIgnoringCase(candidate, name) && (!found || candidate < *found)) found = std::string(candidate);
    }
    ::closedir(dir);
    return found;
}

bool IsReadOnly(const std::string& path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace

std::string ToHostPath(std::u16string_view path) {
    std::u16string copy(path);
    for (char16_t& c : copy)
        if (c == u'\\') c = u'/';
    return host::ToUtf8(copy);
}

std::optional<std::u16string> FindPathIgnoringCase(std::u16string_view path) {
    const std::string wanted = ToHostPath(path);
    std::string resolved;
    size_t start = 0;
    while (start <= wanted.size()) {
        size_t end = std::min(wanted.find('/', start), wanted.size());
        const std::string part = wanted.substr(start, end - start);
        struct stat st;
        if (part.empty() || part == "." || part == ".." || ::lstat((resolved + part).c_str(), &st) == 0) {
            resolved += part;
        } else if (std::optional<std::string> entry = EntryIgnoringCase(resolved, part)) {
            resolved += *entry;
        } else {
            return std::nullopt;
        }
        if (end < wanted.size()) resolved += '/';
        start = end + 1;
    }
    return host::FromUtf8(resolved);
}

bool IsWriteMode(const char* mode) {
    return mode && (std::strchr(mode, 'w') || std::strchr(mode, 'a'));
}

std::FILE* OpenHostFile(std::u16string_view path, const char* mode) {
    if (path.empty() || !mode) return nullptr;
    // A stream still open when the program relaunches itself must not stay
    // open in the successor.
    std::FILE* file = std::fopen(ToHostPath(path).c_str(), (std::string(mode) + "e").c_str());
    if (!file) return nullptr;
    struct stat st;
    if (::fstat(::fileno(file), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

std::vector<uint8_t> ReadStream(std::FILE* stream) {
    std::vector<uint8_t> bytes;
    uint8_t buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

std::optional<std::vector<uint8_t>> ReadHostFile(std::u16string_view path) {
    if (path.empty()) return std::nullopt;
    int fd = ::open(ToHostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(st.st_size));
    uint8_t buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

bool ReplaceFileContent(std::u16string_view path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::string target = ResolveLink(ToHostPath(path));
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || IsReadOnly(target, st))) return false;

    RemoveStaleTemporaries(target);
    const std::string temporary = TemporaryNameBeside(target);
    const mode_t mode = exists ? (st.st_mode & 07777) : 0666;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return false;
    bool ok = (!exists || ::fchmod(fd, mode) == 0) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    host::FilesSaved();
    return true;
}

bool IsWritableFolder(std::u16string_view folder) {
    std::string path = ToHostPath(folder);
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return !IsReadOnly(path, st);
}
