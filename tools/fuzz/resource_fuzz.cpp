// libFuzzer target for the resource layer over zip archives: the input is an
// archive, registered under a folder of its own. Every member its directory
// lists is read into memory and opened as an extracted stream, under its own
// name and under other spellings of the same path ("\" separators, doubled
// separators, "x/../" detours). All ways must agree,
// closing a stream must leave the private temporary folder empty, and no
// member name may make the layer create a file anywhere else: the archive's
// folder and the temporary folder sit side by side in a sandbox that must hold
// nothing but the archive afterwards.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unzip.h>

#include "data/resource.h"
#include "data/resource_local.h"
#include "platform/host/host.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr size_t kMaxMembers = 24;

struct Sandbox {
    fs::path root, archiveFolder, tempFolder;
    Sandbox() {
        const char* tmp = std::getenv("TMPDIR");
        root = fs::path(tmp && *tmp == '/' ? tmp : "/tmp") / ("karrowen-fuzz-resource-" + std::to_string(::getpid()));
        archiveFolder = root / "res";
        tempFolder = root / "tmp";
        fs::remove_all(root);
        fs::create_directories(archiveFolder);
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Sandbox& TheSandbox() {
    static Sandbox sandbox;
    return sandbox;
}

std::u16string Folder(const fs::path& path) { return host::FromUtf8(path.string() + "/"); }

// The member names of the archive's directory, as stored.
std::vector<std::string> MemberNames(const fs::path& archive) {
    std::vector<std::string> names;
    unzFile zip = unzOpen64(archive.c_str());
    if (!zip) return names;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK && names.size() < kMaxMembers; at = unzGoToNextFile(zip)) {
        char name[512];
        if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK)
            names.emplace_back(name);
    }
    unzClose(zip);
    return names;
}

std::optional<std::vector<uint8_t>> ReadStream(const std::u16string& path) {
    std::FILE* file = OpenResource(path, "rb");
    if (!file) return std::nullopt;
    // While the stream is open, its copy is the one file of the temporary folder.
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    CloseResource(file);
    return bytes;
}

bool PlainName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/' || name.find('\\') != std::string::npos ||
        name.find("//") != std::string::npos)
        return false;
    const std::string padded = "/" + name + "/";
    return padded.find("/./") == std::string::npos && padded.find("/../") == std::string::npos;
}

std::string Backslashed(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

void CheckSandboxHoldsOnlyTheArchive(const Sandbox& sandbox, const fs::path& archive) {
    for (const auto& entry : fs::recursive_directory_iterator(sandbox.root)) {
        if (entry.is_directory() && !entry.is_symlink()) {
            Check(entry.path() == sandbox.archiveFolder || entry.path() == sandbox.tempFolder);
            continue;
        }
        Check(entry.path() == archive);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Sandbox& sandbox = TheSandbox();
    const fs::path archive = sandbox.archiveFolder / "resources.zip";
    std::ofstream(archive, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    const std::vector<std::string> names = MemberNames(archive);

    ConfigureResourceFolder(Folder(sandbox.archiveFolder));
    Resources().tempFolder = Folder(sandbox.tempFolder);
    const std::u16string prefix = Folder(sandbox.archiveFolder);
    if (RegisterArchive(u"resources.zip", prefix)) {
        for (const std::string& name : names) {
            const std::u16string path = prefix + host::FromUtf8(name);
            const std::optional<std::vector<uint8_t>> bytes = ReadResourceFile(path);
            Check(ResourceExists(path) == bytes.has_value());
            const std::optional<std::vector<uint8_t>> streamed = ReadStream(path);
            if (bytes && streamed) Check(*bytes == *streamed);
            Check(!fs::exists(sandbox.tempFolder) || fs::is_empty(sandbox.tempFolder));
            // A file of that name beside the archive is found first, and only
            // under some of the spellings.
            if (!PlainName(name) || fs::exists(sandbox.archiveFolder / name)) continue;
            // Other spellings of the same path find the same member.
            std::string folder = sandbox.archiveFolder.string();
            for (const std::string& spelling :
                 {folder + "\\" + Backslashed(name), folder + "//" + name, folder + "/x/../" + name}) {
                Check(ReadResourceFile(host::FromUtf8(spelling)) == bytes);
            }
        }
        // Names the archive may not hold at all, and ones that try to leave.
        for (const char16_t* name : {u"", u".", u"..", u"../escape", u"..\\escape", u"a/../../escape"}) {
            ReadResourceFile(prefix + name);
            if (std::FILE* file = OpenResource(prefix + name, "rb")) CloseResource(file);
        }
    }
    CloseAllResources();
    CheckSandboxHoldsOnlyTheArchive(sandbox, archive);
    return 0;
}
