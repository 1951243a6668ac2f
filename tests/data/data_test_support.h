#pragma once
// Scratch folders, files and zip archives for the data layer's tests. Every
// test that touches the resource layer runs inside its own scratch folder, with
// the temporary and per-user folders pointed there through the environment.

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "data/data_state.h"
#include "data/property_file.h"
#include "data/resource.h"
#include "platform/host/host.h"
#include "support/test_host.h"

namespace datatest {

namespace fs = std::filesystem;

inline std::u16string U16(const std::string& text) { return host::FromUtf8(text); }
inline std::string U8(std::u16string_view text) { return host::ToUtf8(std::u16string(text)); }

// Saves under a 4 KiB file-size limit, so that a larger write fails part-way
// as it would on a full disk.
inline bool SaveUnderFileSizeLimit(PropertyFile& file) {
    rlimit saved;
    if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) return file.save();
    auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const bool limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    EXPECT_TRUE(limited);
    const bool savedOk = file.save();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
    return savedOk;
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline size_t EntryCount(const fs::path& folder) {
    std::error_code ignored;
    return size_t(std::distance(fs::directory_iterator(folder, ignored), fs::directory_iterator()));
}

// What a stream reads to its end; the stream is closed through the layer
// unless `keepOpen`.
inline std::string ReadAll(std::FILE* stream, bool keepOpen = false) {
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) text.append(buffer, n);
    if (!keepOpen) CloseResource(stream);
    return text;
}

// What the resource opened as a stream reads; nothing when it does not open.
inline std::optional<std::string> StreamText(const std::u16string& path, const char* mode = "rb") {
    std::FILE* stream = OpenResource(path, mode);
    if (!stream) return std::nullopt;
    return ReadAll(stream);
}

inline int Mode(const fs::path& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

struct ZipMember {
    std::string name;
    std::string content;
    bool deflate = true;
};

// Writes a zip archive with minizip's zip writer.
inline void WriteZip(const fs::path& path, const std::vector<ZipMember>& members) {
    fs::create_directories(path.parent_path());
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr) << path;
    for (const ZipMember& member : members) {
        zip_fileinfo info{};
        int method = member.deflate ? Z_DEFLATED : 0;
        ASSERT_EQ(zipOpenNewFileInZip64(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                        Z_DEFAULT_COMPRESSION, 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, member.content.data(), unsigned(member.content.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

using testhost::ScopedEnv;

// A fresh scratch folder with "resources/", "run/" (the runtime folder that
// holds the temporary folder), "tmp/", "share/" (the per-user data home) and
// "config/" (the per-user config home).
class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "karrowen-data-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "resources");
        fs::create_directories(root_ / "run");
        fs::create_directories(root_ / "tmp");
        fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
        runtime_.emplace("XDG_RUNTIME_DIR", (root_ / "run").string());
        tmpdir_.emplace("TMPDIR", (root_ / "tmp").string());
        dataHome_.emplace("XDG_DATA_HOME", (root_ / "share").string());
        configHome_.emplace("XDG_CONFIG_HOME", (root_ / "config").string());
        ResetDataState();
        ConfigureResourceFolder(resources16());
    }

    void TearDown() override {
        ResetDataState();
        std::error_code ignored;
        // Undo read-only marks so the scratch folder can be removed.
        for (auto& entry : fs::recursive_directory_iterator(root_, ignored))
            if (!entry.is_symlink()) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }

    fs::path resources() const { return root_ / "resources"; }
    std::u16string resources16() const { return U16(resources().string() + "/"); }
    // This process's own folder under the per-user shared one.
    fs::path tempFolderPath() const { return root_ / "run" / "Vendelsoft.tmp" / std::to_string(::getpid()); }

    fs::path root_;
    std::optional<ScopedEnv> runtime_, tmpdir_, dataHome_, configHome_;
};

}  // namespace datatest
