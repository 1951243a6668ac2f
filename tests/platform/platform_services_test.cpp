#include "platform/platform_services.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/test_host.h"

using namespace host;

namespace {

class PlatformServicesTest : public testhost::HostTest {
protected:
    // A fresh host on a device profile of these lines.
    void startWithProfile(const std::string& lines) {
        HostOptions options = Options();
        options.profile = scratch.write("device.profile", lines);
        InitializeWith(options);
        boxes.listen();
    }
    void withFreeMemory(double megabytes) {
        char lines[64];
        std::snprintf(lines, sizeof lines, "base=pocketpc\nfreeMemoryMB=%g\n", megabytes);
        startWithProfile(lines);
    }
};

TEST_F(PlatformServicesTest, MemoryCheckAsksOnlyWhenShort) {
    withFreeMemory(3.0);
    EXPECT_EQ(CheckFreeMemory(nullptr, 3.0f), IDYES);  // exactly enough: no dialog
    EXPECT_TRUE(boxes.empty());
    withFreeMemory(2.4);
    EXPECT_EQ(CheckFreeMemory(nullptr, 3.0f), IDOK);  // the recorder's answer
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].style, 0x34u);
    // The program's name without its folder, one decimal for both amounts.
    EXPECT_EQ(host::FromUtf8(boxes[0].line()),
              u"Memory Warning: '" + GetModuleFileNameOnly() +
                  u"' needs 3.0MB memory. Free memory is now 2.4MB.\n"
                  u"System will adjust memory distribution to meet this requirement.\n"
                  u"Ingore this warning and continue?");
}

TEST(PathSplitting, CutsAtTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(FolderOfPath(u"/opt/karrowen/bin/karrowen"), u"/opt/karrowen/bin/");
    EXPECT_EQ(FileNameOfPath(u"/opt/karrowen/bin/karrowen"), u"karrowen");
    EXPECT_EQ(FolderOfPath(u"\\Program Files\\Karrowen\\karrowen.exe"), u"\\Program Files\\Karrowen\\");
    EXPECT_EQ(FileNameOfPath(u"karrowen"), u"karrowen");
    EXPECT_EQ(FolderOfPath(u"karrowen"), u"karrowen");
}

TEST_F(PlatformServicesTest, OemInfoIsCutToTheSystemBuffer) {
    startWithProfile("oemInfo=" + std::string(100, 'x') + "\n");
    EXPECT_EQ(GetOemInfo().size(), 62u);
}

}  // namespace
