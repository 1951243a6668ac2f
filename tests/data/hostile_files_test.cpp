// The resource layer on a file system that works against it: descriptors that
// would outlive a relaunch, a temporary folder that belongs to someone else,
// a disk that fills up.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "data/property_file.h"
#include "data/resource.h"
#include "data/resource_local.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

class HostileFiles : public ResourceTest {
protected:
    std::u16string path(const std::string& rest) const { return resources16() + U16(rest); }
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

}  // namespace
