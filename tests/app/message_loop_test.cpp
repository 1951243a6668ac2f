#include "app/message_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_host.h"
#include "platform/window.h"

using namespace host;

namespace {

class RecordingWindow : public Window {
public:
    explicit RecordingWindow(std::vector<std::string>& log) : Window(u"Loop", nullptr, false), log_(log) {}
    void onKey(uint32_t, int key) override { log_.push_back("key " + std::to_string(key)); }

private:
    std::vector<std::string>& log_;
};

class CountingIdle : public IdleHandler {
public:
    explicit CountingIdle(std::vector<std::string>& log) : log_(log) {}
    void onIdle(const Message&, WindowHandle) override {
        log_.push_back("idle");
        if (++calls == quitAfter) PostQuitMessage(3);
    }
    int calls = 0;
    int quitAfter = -1;

private:
    std::vector<std::string>& log_;
};

class MessageLoopTest : public testhost::HostTest {
protected:
    std::vector<std::string> log;
};

TEST_F(MessageLoopTest, QuitBehindQueuedMessagesEndsWithoutAnotherIdleCall) {
    RecordingWindow window(log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    CountingIdle idle(log);
    SetIdleHandler(&idle);
    PostMessage(window.handle(), WM_KEYDOWN, 'A', 0);
    PostMessage(window.handle(), WM_KEYDOWN, 'B', 0);
    PostQuitMessage(7);
    PostMessage(window.handle(), WM_KEYDOWN, 'C', 0);
    EXPECT_EQ(RunMessageLoop(window.handle()), 7);
    std::vector<std::string> expected = {"key 65", "key 66"};
    EXPECT_EQ(log, expected);
}

TEST_F(MessageLoopTest, IdleRunsBetweenMessagesWithAMillisecondSleep) {
    RecordingWindow window(log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    CountingIdle idle(log);
    idle.quitAfter = 5;
    SetIdleHandler(&idle);
    uint32_t before = TickCount();
    EXPECT_EQ(RunMessageLoop(window.handle()), 3);
    EXPECT_EQ(idle.calls, 5);
    EXPECT_GE(TickCount() - before, 5u);
}

TEST_F(MessageLoopTest, NoFramesWhileTheDisplayChangedButMessagesFlow) {
    HostOptions options = Options();
    options.exitAfterMs = 50;  // the host posts the quit after 50 passes of 1 ms
    InitializeWith(options);
    RecordingWindow window(log);
    ASSERT_TRUE(window.create(0, 0, 10, 10));
    CountingIdle idle(log);
    SetIdleHandler(&idle);
    Loop().displayChanged = 1;
    PostMessage(window.handle(), WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(RunMessageLoop(window.handle()), 0);
    EXPECT_GE(TickCount(), 50u);
    EXPECT_EQ(idle.calls, 0);
    std::vector<std::string> expected = {"key 88"};
    EXPECT_EQ(log, expected);
}

}  // namespace
