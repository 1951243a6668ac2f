// Real processes: the relaunch hand-over, the single-instance rule and the
// program's own command line.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/test_host.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Starts a program with KARROWEN_PROBE_LOG set; its standard output and error
// go to `outputPath` when one is given.
pid_t Spawn(const std::vector<std::string>& args, const std::string& logPath, const std::string& outputPath = "") {
    ::setenv("KARROWEN_PROBE_LOG", logPath.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    pid_t pid = 0;
    int result = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

// The exit status, or -1 when the process had to be killed after the timeout.
int Wait(pid_t pid, int timeoutMs = 30000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ReadLog(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// How many lines hold `part` (start with it, when `prefix`).
int CountLines(const std::string& path, const std::string& part, bool prefix = false) {
    int n = 0;
    for (const std::string& line : ReadLog(path)) n += prefix ? line.rfind(part, 0) == 0 : line.find(part) != std::string::npos;
    return n;
}

bool WaitForLine(const std::string& path, const std::string& prefix, int count = 1, int timeoutMs = 20000) {
    return testhost::WaitFor([&] { return CountLines(path, prefix, true) >= count; },
                             std::chrono::milliseconds(timeoutMs));
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = ::testing::TempDir() + "karrowen-process-" + std::to_string(getpid()) + "-" + name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        log = dir + "/life.log";
        output = dir + "/output.txt";
        instance = "--instance=" + ("proc" + std::to_string(getpid()) + name).substr(0, 56);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A copy of a program at `relative` under the test folder.
    std::string copyProgram(const std::string& program, const std::string& relative) {
        fs::path target = fs::path(dir) / relative;
        fs::create_directories(target.parent_path());
        fs::copy_file(program, target);
        return target.string();
    }

    std::string dir, log, output, instance;
};

TEST_F(ProcessTest, RelaunchFromADeepFolderEndsItsPredecessorAndTakesEachScreenshotOnce) {
    // A path well beyond the handheld's 260 characters.
    std::string probe = copyProgram(PROBE_PATH, std::string(100, 'a') + "/" + std::string(100, 'b') + "/" +
                                                    std::string(100, 'c') + "/karrowen-probe");
    ASSERT_GT(probe.size(), 300u);
    std::string script = dir + "/input.txt", early = dir + "/early.png", late = dir + "/late.png";
    std::ofstream(script) << "100 key R\n";
    const auto spawned = std::chrono::steady_clock::now();
    pid_t first = Spawn({probe, "--headless", instance, "--input=" + script, "--screenshot=" + early + "@50",
                         "--screenshot=" + late + "@3000", "--exit-after=4000"},
                        log, output);
    ASSERT_GT(first, 0);
    EXPECT_EQ(Wait(first), 0);
    // Left alone it would run to its --exit-after, four seconds on.
    EXPECT_LT(std::chrono::steady_clock::now() - spawned, std::chrono::seconds(3)) << "the second did not end the first";
    ASSERT_TRUE(WaitForLine(log, "end", 2));
    std::vector<std::string> lines = ReadLog(log);
    std::string firstPid = std::to_string(first);
    // The first ran, relaunched, and was ended by the second, which then ran on.
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "start [] " + firstPid);
    EXPECT_EQ(lines[1], "ready " + firstPid);
    EXPECT_EQ(lines[2].rfind("start [ARG:second] ", 0), 0u) << lines[2];
    std::string secondPid = lines[2].substr(lines[2].rfind(' ') + 1);
    EXPECT_NE(secondPid, firstPid);
    auto position = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    // Which of the two logs its end first is the scheduler's choice: the
    // second's virtual clock may reach its end while the first still winds down.
    EXPECT_LT(position("end 0 " + firstPid), long(lines.size()));
    EXPECT_LT(position("ready " + secondPid), long(lines.size()));
    EXPECT_LT(position("end 0 " + secondPid), long(lines.size()));
    // The key that relaunched the first is not pressed again in the second.
    EXPECT_EQ(CountLines(log, "start ["), 2);
    // The early one by the first process only, the late one by the second.
    EXPECT_EQ(CountLines(output, "screenshot " + early), 1);
    EXPECT_EQ(CountLines(output, "screenshot " + late), 1);
}

TEST_F(ProcessTest, FailedRelaunchIsToldAndTheProgramRunsOn) {
    std::string probe = copyProgram(PROBE_PATH, "karrowen-probe");
    std::string script = dir + "/input.txt";
    std::ofstream(script) << "1000 key R\n";
    pid_t first = Spawn({probe, "--headless", "--clock=real", instance, "--input=" + script, "--exit-after=2500"},
                        log, output);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitForLine(log, "ready"));
    fs::remove(probe);  // nothing left to start
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(CountLines(log, "start [ARG:second]"), 0);
    // Frames run again, under the window's own title.
    EXPECT_EQ(CountLines(log, "idle Karrowen " + std::to_string(first)), 1);
    EXPECT_EQ(CountLines(output, "[message box \"Error\"]"), 1);
}

TEST_F(ProcessTest, SecondInstanceIsRefusedWithAWord) {
    std::string script = dir + "/quit.txt";
    std::ofstream(script) << "3000 quit\n";
    pid_t first = Spawn({PROBE_PATH, "--headless", "--clock=real", instance, "--input=" + script}, log);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitForLine(log, "ready"));
    pid_t second = Spawn({PROBE_PATH, "--headless", "--clock=real", instance, "--exit-after=2000"}, log, output);
    EXPECT_EQ(Wait(second), 0);
    EXPECT_TRUE(WaitForLine(log, "refused " + std::to_string(second), 1, 1));
    EXPECT_EQ(CountLines(output, "already running"), 1);
    EXPECT_EQ(Wait(first), 0);

    // Another instance name is another game: both run.
    pid_t other = Spawn({PROBE_PATH, "--headless", instance + "-other", "--exit-after=10"}, log);
    EXPECT_EQ(Wait(other), 0);
    EXPECT_TRUE(WaitForLine(log, "end 0 " + std::to_string(other), 1, 1));
}

TEST_F(ProcessTest, CommandLinesThatRunNoGame) {
    EXPECT_EQ(Wait(Spawn({KARROWEN_PATH, "--help"}, log, output), 5000), 0);
    EXPECT_EQ(CountLines(output, "Usage: karrowen"), 1);
    EXPECT_EQ(Wait(Spawn({KARROWEN_PATH, "--no-such-option"}, log), 5000), 2);
    // Headless with nothing to watch it by: says how to use it and ends.
    EXPECT_EQ(Wait(Spawn({KARROWEN_PATH, "--headless", instance}, log, output), 5000), 2);
    EXPECT_EQ(CountLines(output, "Usage: karrowen"), 2);
}

TEST_F(ProcessTest, MissingResourcesAreNamedOnceAndEndTheProgram) {
    std::string game = copyProgram(KARROWEN_PATH, "bin/karrowen");
    EXPECT_EQ(Wait(Spawn({game, "--headless", instance, "--exit-after=2000"}, log, output)), 1);
    EXPECT_EQ(CountLines(output, "[message box"), 1);
    EXPECT_EQ(CountLines(output, fs::weakly_canonical(fs::path(dir) / "resources").string()), 1);
}

// A mono 8-bit WAV of silence, long enough that only a stop ends its playing.
void WriteSilentWav(const std::string& path, uint32_t rate, uint32_t seconds) {
    const uint32_t frames = rate * seconds;
    // "RIFF", "WAVE", "fmt ", PCM mono, the rate in frames and bytes, one byte a frame of 8 bits, "data".
    const uint32_t header[] = {0x46464952, 36 + frames, 0x45564157, 0x20746d66, 16,       0x00010001,
                               rate,       rate,        0x00080001, 0x61746164, frames};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);  // a little-endian host
    out << std::string(frames, char(0x80));
}

TEST_F(ProcessTest, PlayerStopsCleanlyOnInterruptAndTerminate) {
    std::string wav = dir + "/long.wav";
    WriteSilentWav(wav, 8000, 60);
    for (int signal : {SIGINT, SIGTERM}) {
        pid_t player = Spawn({PLAY_PATH, wav, "--audio", "null"}, log, output);
        ASSERT_GT(player, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        kill(player, signal);
        EXPECT_EQ(Wait(player, 5000), 128 + signal) << "signal " << signal;
    }
    EXPECT_EQ(CountLines(output, "stopped by signal"), 2);
}

}  // namespace
