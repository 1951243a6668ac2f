#include "data/resource.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "build_info.h"

#include "data/file_io.h"
#include "data/data_state.h"
#include "data/resource_local.h"
#include "data/text_helpers.h"
#include "platform/host/host.h"
#include "platform/host/user_folders.h"
#include "platform/platform_services.h"

namespace {

std::u16string FolderSpelling(std::u16string_view folder) {
    std::u16string normalized = NormalizeResourcePath(folder);
    if (!normalized.empty() && normalized.back() != u'/') normalized.push_back(u'/');
    return normalized;
}

void EnsureFoldersConfigured() {
    if (!Resources().foldersConfigured) ConfigureResourceFolder(ResourceFolder());
}

// `path` relative to the resource folder when overlays apply to it; empty
// otherwise.
std::u16string PathInsideRedirectedFolder(std::u16string_view path) {
    EnsureFoldersConfigured();
    const ResourceState& state = Resources();
    if (!state.readOnlyResources) return u"";
    std::u16string normalized = NormalizeResourcePath(path);
    if (!normalized.starts_with(state.resourceFolder) || normalized.size() == state.resourceFolder.size()) return u"";
    return normalized.substr(state.resourceFolder.size());
}

std::u16string InPlayerFolder(const std::string& folder, std::u16string_view relative) {
    if (folder.empty() || relative.empty()) return u"";
    return FolderSpelling(host::FromUtf8(folder)) + std::u16string(relative);
}

// Opens an extracted copy for reading without following a link planted in
// its place.
std::FILE* OpenExtractedCopy(const std::u16string& path, const char* mode) {
    int flags = (std::strchr(mode, '+') ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(ToHostPath(path).c_str(), flags);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

// The name of the archive's member that matches `member` up to letter case
// (minizip's case-insensitive search); empty when there is none.
std::optional<std::u16string> MemberIgnoringCase(ResourceArchive& archive, std::u16string_view member) {
    const std::string name = host::ToUtf8(std::u16string(member));
    char found[256];
    if (name.size() >= sizeof found || unzLocateFile(archive.handle, name.c_str(), 2) != UNZ_OK ||
        unzGetCurrentFileInfo64(archive.handle, nullptr, found, sizeof found, nullptr, 0, nullptr, 0) != UNZ_OK)
        return std::nullopt;
    return host::FromUtf8(found);
}

std::FILE* OpenFromArchives(std::u16string_view path, const char* mode, bool ignoreCase) {
    ResourceState& state = Resources();
    const std::u16string normalized = NormalizeResourcePath(path);
    for (auto& archive : state.archives) {
        if (!normalized.starts_with(archive->prefix)) continue;
        std::u16string member = normalized.substr(archive->prefix.size());
        if (ignoreCase) {
            std::optional<std::u16string> found = MemberIgnoringCase(*archive, member);
            if (!found) continue;
            member = *found;
        }
        std::u16string folder = TempFolder();
        if (folder.empty()) folder = archive->prefix;
        if (ExtractMember(*archive, member, folder) != 0) continue;
        const std::u16string copy = folder + FlattenMemberName(member);
        std::FILE* file = OpenExtractedCopy(copy, mode);
        if (!file) {
            ::unlink(ToHostPath(copy).c_str());
            continue;
        }
        state.extractedStreams.insert(file, new std::u16string(copy), true);
        return file;
    }
    return nullptr;
}

}  // namespace

ResourceState& Resources() { return *Data().resources; }

std::u16string NormalizeResourcePath(std::u16string_view path) {
    std::u16string normalized(path);
    ReplaceChar(normalized, u'\\', u'/');
    CollapseDoubled(normalized, u'/');
    CollapseParentFolders(normalized);
    return normalized;
}

std::FILE* OpenResource(std::u16string_view path, const char* mode) {
    if (path.empty() || !mode) return nullptr;
    if (IsWriteMode(mode)) return OpenHostFile(path, mode);
    if (std::FILE* file = OpenHostFile(path, mode)) return file;
    if (std::FILE* file = OpenFromArchives(path, mode, false)) return file;
    // Only when no exact name exists: one that differs in letter case.
    if (std::optional<std::u16string> folded = FindPathIgnoringCase(path))
        if (std::FILE* file = OpenHostFile(*folded, mode)) return file;
    return OpenFromArchives(path, mode, true);
}

void CloseResource(std::FILE* stream) {
    if (!stream) return;
    StringMap& streams = Resources().extractedStreams;
    auto* copy = static_cast<std::u16string*>(streams.remove(stream));
    std::fclose(stream);
    if (copy) {
        ::unlink(ToHostPath(*copy).c_str());
        delete copy;
    }
}

std::optional<std::vector<uint8_t>> ReadResourceFile(std::u16string_view path) {
    if (path.empty()) return std::nullopt;
    if (auto bytes = ReadHostFile(path)) return bytes;
    const std::u16string normalized = NormalizeResourcePath(path);
    ResourceArchive* archive = nullptr;
    for (auto& candidate : Resources().archives) {
        if (normalized.starts_with(candidate->prefix)) {
            archive = candidate.get();
            break;
        }
    }
    const std::u16string_view member = std::u16string_view(normalized).substr(archive ? archive->prefix.size() : 0);
    if (archive)
        if (auto bytes = ReadArchiveMember(*archive, member)) return bytes;
    // Only when no exact name exists: one that differs in letter case.
    if (std::optional<std::u16string> folded = FindPathIgnoringCase(path))
        if (auto bytes = ReadHostFile(*folded)) return bytes;
    if (archive)
        if (std::optional<std::u16string> found = MemberIgnoringCase(*archive, member))
            return ReadArchiveMember(*archive, *found);
    return std::nullopt;
}

bool ResourceExists(std::u16string_view path) { return ReadResourceFile(path).has_value(); }

namespace {
bool IsFolder(std::u16string_view path) {
    std::error_code error;
    return std::filesystem::is_directory(ToHostPath(path), error);
}
}  // namespace

std::u16string ResourceFolder() {
    std::u16string beside = FolderSpelling(GetModuleFolder() + u"../resources/");
    if (IsFolder(beside)) return beside;
    // Relative to the program too, so that DESTDIR and a moved prefix work.
    std::u16string installed = FolderSpelling(GetModuleFolder() + host::FromUtf8(KARROWEN_INSTALLED_RESOURCES));
    return IsFolder(installed) ? installed : beside;
}

void ConfigureResourceFolder(std::u16string_view folder) {
    ResourceState& state = Resources();
    state.foldersConfigured = true;
    state.resourceFolder = FolderSpelling(folder);
    state.readOnlyResources = !state.resourceFolder.empty() && !IsWritableFolder(state.resourceFolder);
}

std::u16string OverlayPath(std::u16string_view path, OverlayKind kind) {
    const std::string folder = kind == OverlayKind::Settings ? host::UserConfigFolder() : host::UserDataFolder();
    return InPlayerFolder(folder, PathInsideRedirectedFolder(path));
}

std::u16string LegacyUserCopyPath(std::u16string_view path) {
    const std::string folder = host::UserDataFolder();
    return InPlayerFolder(folder.empty() ? folder : folder + "resources/", PathInsideRedirectedFolder(path));
}
