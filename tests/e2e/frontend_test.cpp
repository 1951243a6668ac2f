// The front-end screens in two real runs of the program, headless with the
// virtual clock, in a copy of the build's program and resources with the
// templates as shipped (the program finds them at <program folder>/../resources/
// and writes the settings back there, so the build's own copy stays untouched).
//
// The first run (frontend.input) walks from the cover through the
// introduction, its notice, the help pages, the about page and the settings
// page, where it turns sound effects off; the second starts afresh at the
// introduction (frontend_reread.input) and opens the settings page again.
// The screenshots are kept in the build's e2e-frontend folder.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

#include "e2e_support.h"

namespace fs = std::filesystem;

namespace {

using e2e::ReadText;
using e2e::Screenshot;

constexpr int kScreenWidth = 480, kScreenHeight = 640;  // the desktop profile: the design x 2

// The value of one key of a template entry ("entry=key:value, key:value"), or "" when absent.
std::string EntryItem(const std::string& text, const std::string& entry, const std::string& key) {
    std::smatch m;
    const std::regex item("(^|\n)" + entry + "=([^\n]*, )?" + key + ":([^,\n]*)");
    return std::regex_search(text, m, item) ? m[3].str() : "";
}

struct Outcome {
    int exitCode = -1;
    std::string log;
};

// Both runs, made once per test program in a fresh tree.
class FrontEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree_ = e2e::CopyOfTheBuild("frontend");
        // Playing the build writes ticks and settings into its templates: start from the ones shipped.
        // The build fills the version into some, which the game never writes: those stay the build's.
        const std::string versioned = ";" KARROWEN_VERSIONED_RESOURCES ";";
        for (const fs::directory_entry& e : fs::directory_iterator(KARROWEN_HAND_WRITTEN_RESOURCES))
            if (versioned.find(";" + e.path().filename().string() + ";") == std::string::npos)
                fs::copy(e.path(), tree_ / "resources" / e.path().filename(),
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::remove_all(KARROWEN_E2E_SHOTS);
        fs::create_directories(KARROWEN_E2E_SHOTS);
        const fs::path buildSettings = fs::path(KARROWEN_BUILD_RESOURCES) / "gsettings.properties";
        const fs::file_time_type before = fs::last_write_time(buildSettings);
        first_ = run("frontend.input", "");
        second_ = run("frontend_reread.input", "ARG:intro");
        buildSettingsUntouched_ = fs::last_write_time(buildSettings) == before;
    }
    static void TearDownTestSuite() { fs::remove_all(tree_); }

    static Outcome run(const std::string& script, const std::string& arguments) {
        const fs::path log = fs::path(KARROWEN_E2E_SHOTS) / (script + ".log");
        std::string command = std::string("cd '") + KARROWEN_E2E_SHOTS + "' && timeout 120 '" +
                              (tree_ / "bin" / "karrowen").string() + "' --headless --instance=e2e-frontend-" +
                              std::to_string(::getpid()) + " --input='" + KARROWEN_E2E_SCRIPTS + "/" + script +
                              "' --exit-after=30000" + (arguments.empty() ? "" : " -- " + arguments) + " > '" +
                              log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        Outcome result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(log)};
        EXPECT_FALSE(e2e::SanitizerReported(result.log)) << result.log;
        return result;
    }
    static fs::path shot(const std::string& name) { return fs::path(KARROWEN_E2E_SHOTS) / name; }
    static std::string resource(const std::string& name) { return ReadText(tree_ / "resources" / name); }
    static Screenshot load(const std::string& name) {
        Screenshot s;
        EXPECT_TRUE(s.load(shot(name))) << name;
        return s;
    }

    static fs::path tree_;
    static Outcome first_, second_;
    static bool buildSettingsUntouched_;
};

fs::path FrontEnd::tree_;
Outcome FrontEnd::first_, FrontEnd::second_;
bool FrontEnd::buildSettingsUntouched_ = false;

// The middle of the two sound options' round boxes on the settings page (design 16,127 and 122,127, 102 x 24).
constexpr int kOptionY = 278, kSoundOnX = 58, kSoundOffX = 270;

bool Ticked(const Screenshot& s, int x) { return s.brightness(x - 3, kOptionY - 3, 6, 6) > 150; }

TEST_F(FrontEnd, BothRunsEndByTheExitButtonWithoutAMessage) {
    for (const Outcome* run : {&first_, &second_}) {
        EXPECT_EQ(run->exitCode, 0) << run->log;
        // Missing pictures, templates or misfitting opacity pictures would show message boxes.
        EXPECT_EQ(run->log.find("[message box"), std::string::npos) << run->log;
    }
    // Each script asks for one more screenshot after tapping Exit: a program
    // that is still running takes it.
    EXPECT_FALSE(fs::exists(shot("99-still-running.png")));
    EXPECT_FALSE(fs::exists(shot("99-still-running-again.png")));
}

// Every screenshot is taken at the screen's size, and each step up to the
// settings shows another screen.
TEST_F(FrontEnd, EachStepShowsAnotherScreen) {
    const char* names[] = {"01-cover.png", "03-intro.png", "04-help-controls.png", "05-help-treats.png",
                           "06-help-ghosts.png", "07-about.png", "09-settings.png", "08-about-later.png",
                           "10-settings-sound-off.png", "11-settings-focus-on-back.png", "12-intro-again.png",
                           "13-settings-read-back.png"};
    const size_t steps = 7;
    std::vector<Screenshot> shots;
    for (const char* name : names) {
        shots.push_back(load(name));
        ASSERT_EQ(shots.back().width * 10000 + shots.back().height, kScreenWidth * 10000 + kScreenHeight) << name;
    }
    for (size_t i = 1; i < steps; ++i)
        EXPECT_GT(shots[i].difference(shots[i - 1], 0, 0, kScreenWidth, kScreenHeight), 4.0) << names[i];
}

// The tap shows on the page, is saved in the copy only, and a fresh run reads it back.
TEST_F(FrontEnd, TheTappedSoundOptionIsShownSavedAndReadBack) {
    std::string saved = resource("gsettings.properties");
    EXPECT_EQ(EntryItem(saved, "soundEffect", "selected"), "1");
    EXPECT_EQ(EntryItem(saved, "optSoundOn", "status"), "0");
    EXPECT_EQ(EntryItem(saved, "optSoundOff", "status"), "1");
    // The other settings and the file's comments are as shipped.
    EXPECT_EQ(EntryItem(saved, "mazeEffect", "selected"), "1");
    EXPECT_EQ(EntryItem(saved, "chkGAPIVideo", "status"), "1");
    EXPECT_EQ(saved.rfind("# Settings", 0), 0u);
    std::string shipped = ReadText(fs::path(KARROWEN_HAND_WRITTEN_RESOURCES) / "gsettings.properties");
    EXPECT_EQ(EntryItem(shipped, "soundEffect", "selected"), "0");
    EXPECT_TRUE(buildSettingsUntouched_) << "the runs wrote into the build's resources";
    Screenshot before = load("09-settings.png"), after = load("10-settings-sound-off.png");
    Screenshot reread = load("13-settings-read-back.png");
    EXPECT_TRUE(Ticked(before, kSoundOnX) && !Ticked(before, kSoundOffX));
    EXPECT_TRUE(!Ticked(after, kSoundOnX) && Ticked(after, kSoundOffX));
    EXPECT_TRUE(!Ticked(reread, kSoundOnX) && Ticked(reread, kSoundOffX));
}

TEST_F(FrontEnd, TheAboutTextRollsUpBehindTheBands) {
    Screenshot early = load("07-about.png"), later = load("08-about-later.png");
    // Inside the panel the text has moved on; below it the band hides the text and nothing changes.
    EXPECT_GT(early.difference(later, 40, 170, 400, 280), 2.0);
    EXPECT_EQ(early.difference(later, 0, 490, kScreenWidth, 150), 0.0);
}

}  // namespace
