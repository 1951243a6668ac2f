#include "platform/frame_timer.h"

#include <gtest/gtest.h>

#include "support/test_host.h"

namespace {

class FrameTimerTest : public testhost::HostTest {};

TEST_F(FrameTimerTest, FixedStepCountsASlowFrameAsOnePeriod) {
    FrameTimer timer;
    timer.mode = 2;
    timer.targetFps = 10;
    timer.reset();
    host::Sleep(350);
    EXPECT_FALSE(timer.tick());
    EXPECT_EQ(timer.elapsedMs, 100);
    EXPECT_FLOAT_EQ(timer.deltaSeconds, 0.1f);
    uint32_t before = host::TickCount();
    timer.tick();
    EXPECT_EQ(host::TickCount(), before);  // fixed step never sleeps
}

TEST_F(FrameTimerTest, AZeroStepIsNeverZero) {
    FrameTimer timer;
    timer.reset();
    timer.tick();
    EXPECT_FLOAT_EQ(timer.deltaSeconds, 1e-10f);
}

TEST_F(FrameTimerTest, MeasuresTheRateOncePerWindow) {
    FrameTimer timer;  // free running, 2 s windows
    timer.reset();
    int windows = 0;
    for (int i = 0; i < 41; ++i) {
        host::Sleep(50);
        windows += timer.tick();
    }
    EXPECT_EQ(windows, 1);  // the 41st frame closes the window at 2050 ms
    EXPECT_EQ(timer.fpsRounded, 20);
    EXPECT_EQ(timer.framesInWindow, 0);
    EXPECT_EQ(timer.sleepMs, 0);
}

TEST_F(FrameTimerTest, AdaptiveModeSleepsTowardsTheTarget) {
    FrameTimer timer;
    timer.mode = 1;
    timer.targetFps = 10;  // 100 ms a frame
    timer.reset();
    bool measured = false;
    while (!measured) {
        host::Sleep(40);
        measured = timer.tick();
    }
    // 51 frames of 40 ms in 2040 ms: (51 * 100 - 2040) / 51 = 60 ms more per frame.
    EXPECT_EQ(timer.sleepMs, 60);
    uint32_t before = host::TickCount();
    host::Sleep(40);
    timer.tick();
    EXPECT_EQ(host::TickCount() - before, 100u);
}

}  // namespace
