#include "platform/host/user_screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/host/host_local.h"
#include "support/png_io.h"
#include "support/test_host.h"

namespace fs = std::filesystem;
using namespace host;

namespace {

class UserScreenshotTest : public testhost::HostTest {
protected:
    void SetUp() override {
        testhost::HostTest::SetUp();
        home = fs::path(scratch.path()).parent_path();
        env["HOME"] = home.string();
    }

    std::string pictures() {
        return PicturesFolder([this](const char* name) {
            auto found = env.find(name);
            return found == env.end() ? nullptr : found->second.c_str();
        });
    }
    void userDirs(const fs::path& configFolder, const std::string& text) {
        fs::create_directories(configFolder);
        std::ofstream(configFolder / "user-dirs.dirs") << text;
    }

    fs::path home;
    std::map<std::string, std::string> env;
};

// The desktop's own pictures folder wins over ~/Pictures; the file is a shell
// fragment (comments, other folders, escapes, $HOME, the last line counts) in
// XDG_CONFIG_HOME when that is set. A folder set to home itself means "none".
TEST_F(UserScreenshotTest, PicturesFolderFollowsTheUserDirsFile) {
    std::string h = home.string();
    fs::create_directories(home / "Pictures");
    EXPECT_EQ(pictures(), h + "/Pictures");

    userDirs(home / ".config",
             "# written by xdg-user-dirs-update\n"
             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
             "XDG_PICTURES_DIR=\"$HOME/Old\"\n"
             "XDG_PICTURES_DIR=\"$HOME/My \\\"Bilder\\\"\"\n");
    EXPECT_EQ(pictures(), h + "/My \"Bilder\"");

    env["XDG_CONFIG_HOME"] = (home / "elsewhere").string();
    userDirs(home / "elsewhere", "XDG_PICTURES_DIR=\"/srv/shots\"\n");
    EXPECT_EQ(pictures(), "/srv/shots");

    userDirs(home / "elsewhere", "XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(pictures(), h + "/Pictures");

    // Without the file, the environment's value counts, as xdg-user-dir's does.
    fs::remove(home / "elsewhere" / "user-dirs.dirs");
    env["XDG_PICTURES_DIR"] = "/srv/env-shots";
    EXPECT_EQ(pictures(), "/srv/env-shots");
}

TEST_F(UserScreenshotTest, WithoutAPicturesFolderShotsGoToTheGamesDataFolder) {
    std::string h = home.string();
    EXPECT_EQ(pictures(), h + "/.local/share/karrowen/screenshots");
    env["XDG_DATA_HOME"] = "relative/data";  // not a valid base folder: ignored
    EXPECT_EQ(pictures(), h + "/.local/share/karrowen/screenshots");
    env["XDG_DATA_HOME"] = h + "/data";
    EXPECT_EQ(pictures(), h + "/data/karrowen/screenshots");
}

// Two shots in one second keep both pictures; the folder is made when
// missing; each file holds the whole panel.
TEST_F(UserScreenshotTest, ShotsOfOneSecondGetNumberedNames) {
    std::optional<testhost::ScopedEnv> utc(std::in_place, "TZ", "UTC");
    tzset();
    std::time_t when = 1796722230;  // 2026-12-08 09:30:30 UTC
    std::string shots = (home / "a" / "b").string();
    std::string first = SaveUserScreenshot(shots, when);
    std::string second = SaveUserScreenshot(shots, when);
    std::string third = SaveUserScreenshot(shots, when + 1);
    utc.reset();
    tzset();

    EXPECT_EQ(first, shots + "/karrowen-20261208-093030.png");
    EXPECT_EQ(second, shots + "/karrowen-20261208-093030-2.png");
    EXPECT_EQ(third, shots + "/karrowen-20261208-093031.png");
    for (const std::string& path : {first, second}) {
        r3test::Picture picture;
        ASSERT_TRUE(r3test::ReadPng(path, picture)) << path;
        EXPECT_EQ(picture.width, Panel().width);
        EXPECT_EQ(picture.height, Panel().height);
    }
}

}  // namespace
