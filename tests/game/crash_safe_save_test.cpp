// The settings page and the score list are written while the game may be
// killed at any moment (power loss, a task manager): a process that saves both
// over and over is killed a thousand times at random moments, and each time
// both files must be one of the versions it writes, whole.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "data/data_test_support.h"
#include "data/property_file.h"
#include "game/score_list.h"

namespace {

using namespace datatest;

constexpr int kKills = 1000;

// A settings template of a realistic length, long enough that a write takes
// more than an instant.
std::string SettingsTemplate(int selected) {
    std::string text = "# Settings page\n\n";
    for (int i = 0; i < 300; ++i)
        text += "sptLine" + std::to_string(i) + "=GUIType:label, x:10, y:" + std::to_string(i * 12) +
                ", text:settings line " + std::to_string(i) + "\n";
    text += "soundEffect=GUIType:checkboxGroup, selected:" + std::to_string(selected) + "\n";
    return text;
}

ScoreTable Scores(int round) {
    ScoreTable table;
    for (int i = 0; i < 10; ++i) table.insert(U16("P" + std::to_string(i)), 1000 * (i + 1) + round);
    return table;
}

class CrashSafeSave : public ResourceTest {
protected:
    // A memory file system when there is one: flushing to a disk would make
    // each kill wait for the disk, and the kills are what is tested.
    void SetUp() override {
        ResourceTest::SetUp();
        std::string pattern = "/dev/shm/karrowen-crash-XXXXXX";
        folder_ = ::mkdtemp(pattern.data()) ? fs::path(pattern) : resources();
    }
    void TearDown() override {
        if (folder_ != resources()) fs::remove_all(folder_);
        ResourceTest::TearDown();
    }
    std::u16string folder16() const { return U16(folder_.string() + "/"); }

    // What a save of round 0 or 1 leaves on disk.
    std::string saved(const char* file, int round) {
        if (std::string(file) == "gsettings.properties") {
            PropertyFile settings;
            settings.load(folder16(), u"gsettings.properties");
            settings.setItem(u"soundEffect", u"selected", round ? u"1" : u"0");
            EXPECT_TRUE(settings.save());
        } else {
            EXPECT_TRUE(SaveScores(folder16(), Scores(round)));
        }
        return ReadFile(folder_ / file).value_or("");
    }

    // Saves both files, alternating rounds, until killed.
    [[noreturn]] void saveForever() {
        for (int round = 1;; round ^= 1) {
            PropertyFile settings;
            settings.load(folder16(), u"gsettings.properties");
            settings.setItem(u"soundEffect", u"selected", round ? u"1" : u"0");
            settings.save();
            SaveScores(folder16(), Scores(round));
        }
    }

    size_t leftTemporaries() const {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.path().filename().string().find(".~") != std::string::npos) ++n;
        return n;
    }

    fs::path folder_;
};

TEST_F(CrashSafeSave, AKilledWriterLeavesTheOldOrTheNewFileWhole) {
    WriteFile(folder_ / "gsettings.properties", SettingsTemplate(0));
    const std::string settings[2] = {saved("gsettings.properties", 0), saved("gsettings.properties", 1)};
    const std::string scores[2] = {saved("scores.properties", 0), saved("scores.properties", 1)};
    ASSERT_NE(settings[0], settings[1]);
    ASSERT_NE(scores[0], scores[1]);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayUs(0, 2000);
    int interrupted = 0, changed = 0;
    std::string lastSettings = ReadFile(folder_ / "gsettings.properties").value_or("");
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) saveForever();
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string nowSettings = ReadFile(folder_ / "gsettings.properties").value_or("missing");
        const std::string nowScores = ReadFile(folder_ / "scores.properties").value_or("missing");
        ASSERT_TRUE(nowSettings == settings[0] || nowSettings == settings[1])
            << "after kill " << kill << ":\n" << nowSettings.substr(0, 200);
        ASSERT_TRUE(nowScores == scores[0] || nowScores == scores[1]) << "after kill " << kill << ":\n" << nowScores;
        changed += nowSettings != lastSettings;
        lastSettings = nowSettings;
        interrupted += leftTemporaries() > 0;
    }
    // The kills must have landed both between and inside writes.
    EXPECT_GE(changed, kKills / 50);
    EXPECT_GE(interrupted, kKills / 50);

    // The next save takes away what the killed writers left.
    saved("gsettings.properties", 0);
    saved("scores.properties", 0);
    EXPECT_EQ(leftTemporaries(), 0u);
}

}  // namespace
