#include "platform/platform_services.h"

#include <gtest/gtest.h>

#include "platform/host_fixture.h"

using namespace host;

namespace {

class PlatformServicesTest : public HostTest {
protected:
    void withFreeMemory(double megabytes) {
        HostOptions options = Options();
        std::string file = ::testing::TempDir() + "memory.profile";
        FILE* f = std::fopen(file.c_str(), "w");
        std::fprintf(f, "base=pocketpc\nfreeMemoryMB=%g\n", megabytes);
        std::fclose(f);
        options.profile = file;
        InitializeWith(options);
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
    HostOptions options = Options();
    std::string file = ::testing::TempDir() + "oem.profile";
    FILE* f = std::fopen(file.c_str(), "w");
    std::fprintf(f, "oemInfo=%s\n", std::string(100, 'x').c_str());
    std::fclose(f);
    options.profile = file;
    InitializeWith(options);
    EXPECT_EQ(GetOemInfo().size(), 62u);
}

}  // namespace
