// Real processes: the relaunch hand-over, the single-instance rule and the
// program's own command line.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("KARROWEN_PROBE_LOG=", 0) != 0) env.push_back(*e);
    env.push_back("KARROWEN_PROBE_LOG=" + logPath);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ReadLog(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool WaitForLine(const std::string& path, const std::string& prefix, int count = 1, int timeoutMs = 20000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int seen = 0;
        for (const std::string& line : ReadLog(path)) seen += line.rfind(prefix, 0) == 0;
        if (seen >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ::testing::TempDir() + "karrowen-process-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        log = dir + "/life.log";
        instance = "--instance=proc" + std::to_string(getpid()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    std::string dir, log, instance;
};

TEST_F(ProcessTest, RelaunchedProcessEndsItsPredecessor) {
    std::string script = dir + "/input.txt";
    std::ofstream(script) << "100 key R\n";
    pid_t first = Spawn({PROBE_PATH, "--headless", instance, "--input=" + script, "--exit-after=4000"}, log);
    ASSERT_GT(first, 0);
    EXPECT_EQ(Wait(first), 0);
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
    auto position = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    EXPECT_LT(position("end 0 " + firstPid), position("end 0 " + secondPid));
    EXPECT_LT(position("ready " + secondPid), long(lines.size()));
    EXPECT_LT(position("end 0 " + secondPid), long(lines.size()));
}

TEST_F(ProcessTest, SecondInstanceIsRefused) {
    std::string script = dir + "/quit.txt";
    std::ofstream(script) << "3000 quit\n";
    pid_t first = Spawn({PROBE_PATH, "--headless", "--clock=real", instance, "--input=" + script}, log);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitForLine(log, "ready"));
    pid_t second = Spawn({PROBE_PATH, "--headless", "--clock=real", instance, "--exit-after=2000"}, log);
    EXPECT_EQ(Wait(second), 0);
    EXPECT_TRUE(WaitForLine(log, "refused " + std::to_string(second), 1, 1));
    EXPECT_EQ(Wait(first), 0);

    // Another instance name is another game: both run.
    pid_t other = Spawn({PROBE_PATH, "--headless", instance + "-other", "--exit-after=10"}, log);
    EXPECT_EQ(Wait(other), 0);
    EXPECT_TRUE(WaitForLine(log, "end 0 " + std::to_string(other), 1, 1));
}

TEST_F(ProcessTest, ProgramRunsHeadlessAndWritesAScreenshot) {
    std::string shot = dir + "/out.png";
    pid_t game = Spawn({KARROWEN_PATH, "--headless", instance, "--screenshot=" + shot + "@500", "--exit-after=1000"},
                       log);
    EXPECT_EQ(Wait(game), 0);
    std::ifstream png(shot, std::ios::binary);
    char magic[8] = {};
    png.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");

    EXPECT_EQ(Wait(Spawn({KARROWEN_PATH, "--help"}, log)), 0);
    EXPECT_EQ(Wait(Spawn({KARROWEN_PATH, "--no-such-option"}, log)), 2);
}

}  // namespace
