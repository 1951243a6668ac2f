// Archive access over minizip's unzip interface: registration, extraction of a
// member to a file, and reading a member into memory.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "data/file_io.h"
#include "data/resource.h"
#include "data/resource_local.h"
#include "platform/host/host.h"

namespace {

// minizip keeps member names in a 256-byte buffer.
constexpr size_t kMaxMemberName = 256;
constexpr int kCopyBufferSize = 8192;

// Positions the archive on `member` and opens it. Returns a minizip code.
int OpenMember(ResourceArchive& archive, std::u16string_view member) {
    const std::string name = host::ToUtf8(std::u16string(member));
    if (member.size() >= kMaxMemberName || name.size() >= kMaxMemberName) return UNZ_PARAMERROR;
    int result = unzLocateFile(archive.handle, name.c_str(), 0);
    if (result != UNZ_OK) return result;
    return unzOpenCurrentFile(archive.handle);
}

// Creates the copy exclusively: an old copy of the same name (another member
// that flattens alike, or one still open elsewhere) is unlinked first, and a
// link in its place is never followed.
int CreateCopy(const std::string& path) {
    ::unlink(path.c_str());
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// The temporary folder is a process's subfolder of a private shared folder;
// either may have been removed since start-up.
bool EnsureTargetFolder(std::u16string_view folder) {
    if (folder != Resources().tempFolder) return MakeFolders(folder, 0);
    if (EnsurePrivateFolder(folder)) return true;
    std::u16string_view parent = folder.substr(0, folder.find_last_of(u'/', folder.size() - 2) + 1);
    return !parent.empty() && EnsurePrivateFolder(parent) && EnsurePrivateFolder(folder);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Copies the open member into fd; 0 on success, else the failing read's code
// or -1 for a short write.
int CopyMember(unzFile handle, int fd) {
    char buffer[kCopyBufferSize];
    while (true) {
        int n = unzReadCurrentFile(handle, buffer, kCopyBufferSize);
        if (n <= 0) return n;
        if (!WriteAll(fd, buffer, size_t(n))) return -1;
    }
}

// minizip's own stdio access, except that the archive is opened read-only and
// close-on-exec: an archive stays open for the whole run, and every relaunch
// would otherwise hand one more open archive to the next process.
voidpf ZCALLBACK OpenArchiveFile(voidpf, const void* filename, int mode) {
    if (!filename || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    return std::fopen(static_cast<const char*>(filename), "rbe");
}

}  // namespace

std::u16string FlattenMemberName(std::u16string_view member) {
    std::u16string flat(member);
    for (char16_t& c : flat)
        if (c == u'/' || c == u'\\') c = u'_';
    if (flat.empty() || flat == u"." || flat == u"..") return u"";
    return flat;
}

int ExtractMember(ResourceArchive& archive, std::u16string_view member, std::u16string_view targetFolder) {
    int result = OpenMember(archive, member);
    if (result != UNZ_OK) return result;
    const std::u16string flat = FlattenMemberName(member);
    if (flat.empty()) {
        unzCloseCurrentFile(archive.handle);
        return UNZ_PARAMERROR;
    }
    const std::string target = ToHostPath(std::u16string(targetFolder) + flat);
    int fd = CreateCopy(target);
    if (fd < 0 && EnsureTargetFolder(targetFolder)) fd = CreateCopy(target);
    if (fd < 0) {
        unzCloseCurrentFile(archive.handle);
        return UNZ_ERRNO;
    }
    result = CopyMember(archive.handle, fd);
    if (::close(fd) != 0 && result == 0) result = UNZ_ERRNO;
    // Closing reports a checksum mismatch once the whole member was read.
    int closed = unzCloseCurrentFile(archive.handle);
    if (result == 0 && closed != UNZ_OK) result = closed;
    if (result != 0) ::unlink(target.c_str());
    return result;
}

std::optional<std::vector<uint8_t>> ReadArchiveMember(ResourceArchive& archive, std::u16string_view member) {
    if (OpenMember(archive, member) != UNZ_OK) return std::nullopt;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive.handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        unzCloseCurrentFile(archive.handle);
        return std::nullopt;
    }
    // The declared size is only a hint: the data may be shorter than claimed,
    // so the block grows with what is actually read.
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(std::min<uint64_t>(info.uncompressed_size, 1u << 24)));
    char buffer[65536];
    int n;
    while ((n = unzReadCurrentFile(archive.handle, buffer, sizeof buffer)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    int closed = unzCloseCurrentFile(archive.handle);
    if (n < 0 || closed != UNZ_OK || bytes.size() != info.uncompressed_size) return std::nullopt;
    return bytes;
}

bool RegisterArchive(std::u16string_view archiveName, std::u16string_view folder) {
    auto archive = std::make_unique<ResourceArchive>();
    archive->name = archiveName;
    archive->prefix = NormalizeResourcePath(folder);
    if (!archive->prefix.empty() && archive->prefix.back() != u'/') archive->prefix.push_back(u'/');
    zlib_filefunc64_def access;
    fill_fopen64_filefunc(&access);
    access.zopen64_file = OpenArchiveFile;
    archive->handle = unzOpen2_64(ToHostPath(archive->prefix + archive->name).c_str(), &access);
    if (!archive->handle) return false;
    auto& archives = Resources().archives;
    const size_t length = archive->prefix.size();
    auto at = std::find_if(archives.begin(), archives.end(), [length](const auto& a) { return a->prefix.size() <= length; });
    archives.insert(at, std::move(archive));
    return true;
}

void CloseArchives() {
    auto& archives = Resources().archives;
    while (!archives.empty()) {
        unzClose(archives.back()->handle);
        archives.pop_back();
    }
}
