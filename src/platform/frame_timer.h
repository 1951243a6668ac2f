#pragma once
// Frame pacing and frame-rate measurement, one per canvas.
// Mode 0 runs free, mode 1 adapts a per-frame sleep towards targetFps once per
// measuring window, mode 2 runs a fixed step: a frame never counts more than
// one period, so a slow frame slows the game instead of making it jump.

#include <cstdint>

class FrameTimer {
public:
    FrameTimer();
    // Starts a fresh measuring window from now.
    void reset();
    // Advances one frame; true on the frame that closed a measuring window.
    bool tick();

    uint8_t mode = 0;
    int32_t targetFps = 30;
    int32_t windowMs = 2000;
    float deltaSeconds = 0.0f;  // never below 1e-10
    int32_t windowElapsedMs = 0;
    int32_t fpsRounded = 0;
    float fps = 0.0f;
    int32_t extraSleepMs = 0;
    uint32_t nowTick = 0;
    uint32_t lastTick = 0;
    int32_t elapsedMs = 0;
    int32_t framesInWindow = 0;
    int32_t periodMs = 0;
    int32_t sleepMs = 0;
};
