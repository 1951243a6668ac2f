#include "platform/frame_timer.h"

#include "platform/host/host.h"

FrameTimer::FrameTimer() : lastTick(host::TickCount()) {}

void FrameTimer::reset() {
    lastTick = host::TickCount();
    windowElapsedMs = 0;
}

bool FrameTimer::tick() {
    uint32_t now = host::TickCount();
    elapsedMs = int32_t(now - lastTick);
    nowTick = lastTick = now;
    periodMs = targetFps > 0 ? 1000 / targetFps : 1000;
    if (mode == 0) sleepMs = 0;
    if (mode == 2 && elapsedMs > periodMs) elapsedMs = periodMs;
    deltaSeconds = float(elapsedMs) * 0.001f;
    if (deltaSeconds < 1e-10f) deltaSeconds = 1e-10f;
    windowElapsedMs += elapsedMs;
    framesInWindow += 1;
    if (sleepMs + extraSleepMs > 0) host::Sleep(uint32_t(sleepMs + extraSleepMs));
    if (windowElapsedMs <= windowMs) return false;

    fps = float(framesInWindow * 1000.0 / windowElapsedMs);
    fpsRounded = int32_t(fps + 0.5f);
    sleepMs = (framesInWindow * periodMs - windowElapsedMs) / framesInWindow + sleepMs;
    if (mode == 2 || sleepMs < 0) sleepMs = 0;
    framesInWindow = 0;
    windowElapsedMs = 0;
    return true;
}
