// The resource layer on a file system that works against it: descriptors that
// would outlive a relaunch, a temporary folder that belongs to someone else,
// a disk that fills up.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "data/property_file.h"
#include "data/resource.h"
#include "data/resource_local.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

// Bytes that deflate hardly shrinks.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 2463534242u;
    for (char& c : bytes) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = char(x);
    }
    return bytes;
}

constexpr uid_t kOtherUser = 65534;

class HostileFiles : public ResourceTest {
protected:
    std::u16string path(const std::string& rest) const { return resources16() + U16(rest); }
    void registerArchive(const std::string& bigMember = "") {
        std::vector<ZipMember> members{{"images/bg.gif", "GIF89a-bg"}};
        if (!bigMember.empty()) members.push_back({"music.mod", bigMember});
        WriteZip(resources() / "resources.zip", members);
        ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    }
};

// The descriptors of this process that are open on `file`, with whether each
// would stay open across exec.
std::vector<bool> InheritedFlags(const fs::path& file) {
    std::vector<bool> inherited;
    std::error_code error;
    const fs::path wanted = fs::canonical(file, error);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        fs::path target = fs::read_symlink(entry.path(), error);
        if (error || target != wanted) continue;
        int flags = ::fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
        inherited.push_back(flags >= 0 && (flags & FD_CLOEXEC) == 0);
    }
    return inherited;
}

// The program relaunches itself for every level: an archive or stream left
// inheritable would be open once more in every later process.
TEST_F(HostileFiles, NothingTheLayerOpensIsHandedToAStartedProgram) {
    PrepareTempFolder();
    WriteZip(resources() / "resources.zip", {{"images/bg.gif", "GIF89a-bg"}});
    WriteFile(resources() / "Cover.properties", "title=folder\n");
    ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    std::FILE* member = OpenResource(path("images/bg.gif"), "rb");
    std::FILE* plain = OpenResource(path("Cover.properties"), "r");
    ASSERT_NE(member, nullptr);
    ASSERT_NE(plain, nullptr);
    for (const fs::path& file : {resources() / "resources.zip", tempFolderPath() / "images_bg.gif",
                                 resources() / "Cover.properties"}) {
        std::vector<bool> inherited = InheritedFlags(file);
        ASSERT_FALSE(inherited.empty()) << file << " is open";
        for (bool flag : inherited) EXPECT_FALSE(flag) << file;
    }
    CloseResource(member);
    CloseResource(plain);
}

// A temporary folder planted by another user, under the runtime folder and
// under the temporary path, wide open: the layer works in a folder of its own
// and neither writes into theirs nor removes anything from it.
TEST_F(HostileFiles, AForeignTemporaryFolderIsNeitherUsedNorEmptied) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    const fs::path uid = std::to_string(::geteuid());
    const fs::path planted[] = {root_ / "run" / "Vendelsoft.tmp", root_ / "tmp" / ("Vendelsoft.tmp-" + uid.string())};
    for (const fs::path& folder : planted) {
        fs::create_directories(folder / std::to_string(::getpid()));
        WriteFile(folder / "theirs.txt", "theirs");
        for (const fs::path& entry : {folder, folder / std::to_string(::getpid()), folder / "theirs.txt"}) {
            ASSERT_EQ(::chown(entry.c_str(), kOtherUser, kOtherUser), 0);
            fs::permissions(entry, fs::perms::all, fs::perm_options::replace);
        }
    }
    PrepareTempFolder();
    registerArchive();
    EXPECT_EQ(StreamText(path("images/bg.gif")), "GIF89a-bg");
    std::FILE* held = OpenResource(path("images/bg.gif"), "rb");
    ASSERT_NE(held, nullptr);
    const fs::path own = U8(TempFolder());
    struct stat st;
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(::lstat(own.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid()) << "the folder above ours is ours too";
    for (const fs::path& folder : planted) {
        EXPECT_FALSE(own.string().starts_with(folder.string() + "/")) << own;
        EXPECT_EQ(EntryCount(folder), 2u) << folder;
        EXPECT_EQ(EntryCount(folder / std::to_string(::getpid())), 0u) << folder;
    }
    CloseResource(held);
    CloseAllResources();
    EXPECT_FALSE(fs::exists(own));
    for (const fs::path& folder : planted) {
        EXPECT_EQ(ReadFile(folder / "theirs.txt"), "theirs");
        EXPECT_EQ(Mode(folder), 0777) << "someone else's folder keeps its mode";
    }
}

// Our own shared folder, left wide open (an old version, a careless umask):
// it is closed before anything is extracted into it.
TEST_F(HostileFiles, AWideOpenTemporaryFolderOfOursIsClosed) {
    const fs::path shared = root_ / "run" / "Vendelsoft.tmp";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all, fs::perm_options::replace);
    PrepareTempFolder();
    EXPECT_EQ(Mode(shared), 0700);
    EXPECT_EQ(U8(TempFolder()), (shared / std::to_string(::getpid())).string() + "/");
}

// A read-only install whose per-user folders cannot be made either (they lie
// under a file): saving fails, so the caller can say so, and nothing is
// written anywhere.
TEST_F(HostileFiles, WithNowhereToWriteASaveFailsAndWritesNothing) {
    WriteFile(resources() / "gsettings.properties", "soundEffect=GUIType:checkboxGroup, selected:0\n");
    WriteFile(root_ / "blocker", "a file where a folder would go");
    configHome_.reset();
    dataHome_.reset();
    configHome_.emplace("XDG_CONFIG_HOME", (root_ / "blocker" / "config").string());
    dataHome_.emplace("XDG_DATA_HOME", (root_ / "blocker" / "share").string());
    fs::permissions(resources(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ConfigureResourceFolder(resources16());
    auto everything = [&] {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) found.push_back(entry.path().string());
        return found;
    };
    const std::vector<std::string> before = everything();

    PropertyFile settings;
    ASSERT_TRUE(settings.load(resources16(), u"gsettings.properties"));
    settings.setItem(u"soundEffect", u"selected", u"1");
    EXPECT_FALSE(settings.save());
    PropertyFile scores(u'=', u',', u':');
    scores.setOverlayKind(OverlayKind::PlayerData);
    scores.load(resources16(), u"scores.properties");
    scores.set(u"default", u"AUTO:100");
    EXPECT_FALSE(scores.save());
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(ReadFile(resources() / "gsettings.properties"), "soundEffect=GUIType:checkboxGroup, selected:0\n");
}

// The temporary folder's file system fills up. A private mount namespace
// with a small tmpfs over the runtime folder when this process may mount
// one, else a file-size limit that stops writes the same way.
TEST_F(HostileFiles, AFullDiskLeavesNoPartialCopyAndKeepsMembersReadable) {
    const std::string big = Noise(256 * 1024);
    registerArchive(big);
    CloseArchives();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const fs::path run = root_ / "run";
        bool mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                       ::mount("tmpfs", run.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
        if (!mounted) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{64 * 1024, 64 * 1024};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
        }
        int failures = 0;
        auto check = [&](bool ok, const char* what) {
            if (!ok) std::fprintf(stderr, "full disk (%s): %s\n", mounted ? "tmpfs" : "file-size limit", what), ++failures;
        };
        PrepareTempFolder();
        ResourceState& state = Resources();
        state.archives.clear();
        check(RegisterArchive(u"resources.zip", resources16()), "the archive registers");
        const fs::path temp = U8(TempFolder());
        check(OpenResource(path("music.mod"), "rb") == nullptr, "a member that does not fit is not served");
        check(EntryCount(temp) == 0, "no partial copy is left");
        auto bytes = ReadResourceFile(path("music.mod"));
        check(bytes && Text(*bytes) == big, "the member is still read whole into memory");
        check(StreamText(path("images/bg.gif")) == "GIF89a-bg", "a small member still extracts");
        check(EntryCount(temp) == 0, "its copy is gone with its stream");
        CloseAllResources();
        ::_exit(failures == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the messages above";
}

}  // namespace
