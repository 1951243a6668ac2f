#include "platform/platform_services.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/host_fixture.h"

using namespace host;

namespace {

class PlatformServicesTest : public HostTest {
protected:
    // A fresh host on a device profile of these lines.
    void startWithProfile(const std::string& lines) {
        HostOptions options = Options();
        options.profile = ::testing::TempDir() + "platform-" + std::to_string(::getpid()) + ".profile";
        FILE* f = std::fopen(options.profile.c_str(), "w");
        ASSERT_TRUE(f);
        std::fputs(lines.c_str(), f);
        std::fclose(f);
        InitializeWith(options);
        std::remove(options.profile.c_str());
    }
    void withFreeMemory(double megabytes) {
        char lines[64];
        std::snprintf(lines, sizeof lines, "base=pocketpc\nfreeMemoryMB=%g\n", megabytes);
        startWithProfile(lines);
    }
};

TEST_F(PlatformServicesTest, MemoryCheckAsksOnlyWhenShort) {
    std::vector<std::u16string> shown;
    auto freeMemory = [&](double megabytes) {
        withFreeMemory(megabytes);  // a fresh host forgets the hook
        SetMessageBoxHook([&](const std::u16string& text, const std::u16string& title, uint32_t style) {
            shown.push_back(title + u"|" + text);
            EXPECT_EQ(style, 0x34u);
            return IDNO;
        });
    };
    freeMemory(3.0);
    EXPECT_EQ(CheckFreeMemory(nullptr, 3.0f), IDYES);  // exactly enough: no dialog
    EXPECT_TRUE(shown.empty());
    freeMemory(2.4);
    EXPECT_EQ(CheckFreeMemory(nullptr, 3.0f), IDNO);
    ASSERT_EQ(shown.size(), 1u);
    // The program's name without its folder, one decimal for both amounts.
    EXPECT_EQ(shown[0], u"Memory Warning|'" + GetModuleFileNameOnly() +
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
