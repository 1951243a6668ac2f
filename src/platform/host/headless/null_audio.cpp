#include "platform/host/headless/null_audio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/host/backend.h"
#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/host_local.h"

namespace host {

namespace {
// How often the pacing thread looks at the clock, in real milliseconds.
constexpr int kPollMs = 2;
// Time the device may owe after a stall on the real clock; a longer stall is
// an underrun.
constexpr int64_t kMaxCreditMs = 500;
}  // namespace

NullAudioDevice::NullAudioDevice(const AudioFormat& format, BufferDone done, void* context, bool ownThread)
    : format_(format),
      done_(done),
      context_(context),
      ownThread_(ownThread),
      owesUnderruns_(Core().virtualClock),
      lastTick_(TickCount()) {
    if (ownThread_)
        thread_ = std::thread(&NullAudioDevice::run, this);
    else
        Core().threadlessAudio.push_back(this);
}

NullAudioDevice::~NullAudioDevice() { stopThread(); }

void NullAudioDevice::stopThread() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (stop_) return;
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (!ownThread_) {
        std::vector<NullAudioDevice*>& paced = Core().threadlessAudio;
        paced.erase(std::remove(paced.begin(), paced.end(), this), paced.end());
    }
}

bool NullAudioDevice::write(const uint8_t* data, size_t bytes) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        queue_.emplace_back(data, data + bytes);
    }
    wake_.notify_all();  // owed time is played without waiting for the next look
    return true;
}

bool NullAudioDevice::awaitCaughtUp(int slackMs, int limitMs) {
    const int64_t bytesPerSecond = int64_t(format_.rate) * format_.bytesPerFrame();
    std::unique_lock<std::mutex> lock(mutex_);
    auto caughtUp = [&] {
        const int64_t owedMs = credit_ / bytesPerSecond + int64_t(uint32_t(TickCount() - lastTick_));
        return stop_ || paused_ || owedMs <= slackMs;
    };
    if (ownThread_) {
        wake_.notify_all();
        return caughtUp_.wait_for(lock, std::chrono::milliseconds(limitMs), caughtUp);
    }
    // Nobody else plays the queue meanwhile: play it here, letting the clock run.
    const uint64_t endMs = RealMilliseconds() + uint64_t(limitMs);
    for (;;) {
        pace(lock);
        if (caughtUp()) return true;
        if (RealMilliseconds() >= endMs) return false;
        lock.unlock();
        RealSleep(kPollMs);
        lock.lock();
    }
}

void NullAudioDevice::pause() {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = true;
}

void NullAudioDevice::resume() {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = false;
}

void NullAudioDevice::reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    queue_.clear();
    credit_ = 0;
}

void NullAudioDevice::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, std::chrono::milliseconds(kPollMs));
        if (stop_) break;
        pace(lock);
    }
    caughtUp_.notify_all();
}

void NullAudioDevice::pace(std::unique_lock<std::mutex>& lock) {
    // The clock is read here but never slept on: a virtual clock advances
    // with the program, not with the device.
    const int64_t bytesPerSecond = int64_t(format_.rate) * format_.bytesPerFrame();
    uint32_t now = TickCount();
    uint32_t elapsed = now - lastTick_;
    lastTick_ = now;
    if (paused_ || (queue_.empty() && !owesUnderruns_)) {
        credit_ = 0;
        caughtUp_.notify_all();
        return;
    }
    credit_ += int64_t(elapsed) * bytesPerSecond;
    if (!owesUnderruns_) credit_ = std::min(credit_, kMaxCreditMs * bytesPerSecond);
    while (!stop_ && !paused_ && !queue_.empty() && credit_ >= int64_t(queue_.front().size()) * 1000) {
        std::vector<uint8_t> buffer = std::move(queue_.front());
        queue_.pop_front();
        credit_ -= int64_t(buffer.size()) * 1000;
        lock.unlock();
        played(buffer.data(), buffer.size());
        if (done_) done_(context_);
        lock.lock();
    }
    caughtUp_.notify_all();
}

void PaceThreadlessAudio() {
    // A played buffer's notice may open or close a device: go over a copy,
    // and skip any closed meanwhile.
    const std::vector<NullAudioDevice*> devices = Core().threadlessAudio;
    for (NullAudioDevice* device : devices) {
        const std::vector<NullAudioDevice*>& now = Core().threadlessAudio;
        if (std::find(now.begin(), now.end(), device) == now.end()) continue;
        std::unique_lock<std::mutex> lock(device->mutex_);
        if (!device->stop_) device->pace(lock);
    }
}

std::unique_ptr<AudioDevice> OpenNullAudioDevice(const AudioFormat& format, AudioDevice::BufferDone done,
                                                 void* context) {
    if (!IsUsableAudioFormat(format)) return nullptr;
    std::fprintf(stderr, "karrowen: audio: null device, %d Hz %d-bit %s, no sound is heard\n", format.rate,
                 format.bits, format.channels == 2 ? "stereo" : "mono");
    return std::make_unique<NullAudioDevice>(format, done, context);
}

const AudioBootstrap kNullAudio = {
    "null", [](const std::string&, const AudioFormat& format, AudioDevice::BufferDone done, void* context) {
        return OpenNullAudioDevice(format, done, context);
    }};

}  // namespace host
