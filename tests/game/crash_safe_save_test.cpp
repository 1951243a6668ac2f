// The settings page and the score list are written while the game may be
// killed at any moment (power loss, a task manager): a process that saves both
// over and over is killed a thousand times at random moments, and each time
// both files must be one of the versions it writes, whole.

#include <fcntl.h>
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
using Clock = std::chrono::steady_clock;

// A sanitized writer forks ten times slower; a fault the sanitizer can see in
// the writer shows in its first rounds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kKills = 250;
#else
constexpr int kKills = 1000;
#endif

// A settings template of a realistic length, long enough that a write takes
// more than an instant.
std::string SettingsTemplate(int selected) {
    std::string text = "# Settings page\n\n";
    for (int i = 0; i < 100; ++i)
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

    // Saves round 0 or 1 of both files, as the settings page and the score
    // list do.
    bool saveRound(int round) {
        const std::u16string folder = U16(folder_.string() + "/");
        PropertyFile settings;
        settings.load(folder, u"gsettings.properties");
        settings.setItem(u"soundEffect", u"selected", round ? u"1" : u"0");
        const bool settingsSaved = settings.save();
        return SaveScores(folder, Scores(round)) && settingsSaved;
    }

    // A process that says when it starts and then saves round after round
    // until it is killed; -1 when it could not start.
    pid_t startWriter() {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0) return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
            for (int round = 1;; round ^= 1) saveRound(round);
        }
        ::close(ready[1]);
        char byte = 0;
        if (pid > 0 && ::read(ready[0], &byte, 1) != 1) {
            ::waitpid(pid, nullptr, 0);
            return -1;
        }
        ::close(ready[0]);
        return pid;
    }

    // How long a freshly forked writer takes for its first two rounds. A fork
    // pays for its first writes to the memory it shares with this process, the
    // more so the more earlier tests left allocated here, so this process's
    // own save time says too little about the writers'. 0 when no writer ran.
    std::chrono::microseconds firstTwoRoundsOfAWriter() {
        int elapsed[2];
        if (::pipe2(elapsed, O_CLOEXEC) != 0) return {};
        const pid_t pid = ::fork();
        if (pid == 0) {
            const auto start = Clock::now();
            saveRound(1);
            saveRound(0);
            const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            ::_exit(::write(elapsed[1], &us, sizeof us) == sizeof us ? 0 : 1);
        }
        ::close(elapsed[1]);
        int64_t us = 0;
        if (pid < 0 || ::read(elapsed[0], &us, sizeof us) != sizeof us) us = 0;
        ::close(elapsed[0]);
        if (pid > 0) ::waitpid(pid, nullptr, 0);
        return std::chrono::microseconds(us);
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
    std::string settings[2], scores[2];
    for (int round : {0, 1}) {
        ASSERT_TRUE(saveRound(round));
        settings[round] = ReadFile(folder_ / "gsettings.properties").value_or("");
        scores[round] = ReadFile(folder_ / "scores.properties").value_or("");
    }
    ASSERT_NE(settings[0], settings[1]);
    ASSERT_NE(scores[0], scores[1]);
    // Kills spread over the first four rounds of each writer, however fast
    // this build saves: a writer's first round is its slowest, so kills spread
    // over two often all fell inside it.
    const std::chrono::microseconds twoRounds = firstTwoRoundsOfAWriter();
    ASSERT_GT(twoRounds.count(), 0);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> delayUs(0, 2 * twoRounds.count());
    int interrupted = 0, changed = 0;
    std::string lastSettings = ReadFile(folder_ / "gsettings.properties").value_or("missing");
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t writer = startWriter();
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

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
    EXPECT_GE(changed, kKills / 20);
    EXPECT_GE(interrupted, kKills / 200);

    // The next save takes away what the killed writers left.
    ASSERT_TRUE(saveRound(0));
    EXPECT_EQ(leftTemporaries(), 0u);
}

}  // namespace
