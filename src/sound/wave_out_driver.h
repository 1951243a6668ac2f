#pragma once
// Feeds an audio device: a ring of 30 ms buffers, each rendered by a callback
// under the driver's lock and written again once the device reports it played.
// The rendering runs on a thread of the driver's own, or, where a program has
// no threads (a web page), inside the device's own notice that a buffer was
// played. Internal to the sound subsystem; the mixer owns one.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/host/audio_device.h"
#include "platform/host/host.h"

// A counting semaphore that refuses releases beyond its maximum, as the
// platform's does, instead of overflowing.
class CountingSemaphore {
public:
    explicit CountingSemaphore(int maximum) : maximum_(maximum) {}
    bool release();
    // Waits up to `ms` milliseconds for a count; true when one was taken.
    bool acquireFor(int ms);
    bool tryAcquire();

private:
    std::mutex mutex_;
    std::condition_variable available_;
    int count_ = 0;
    int maximum_;
};

class WaveOutDriver {
public:
    // Renders one buffer; called on the output thread with the lock held.
    using RenderCallback = void (*)(void* context, uint8_t* buffer, size_t bytes);

    // Who renders the next buffer once the device has played one.
    enum class Feeding {
        OwnThread,     // the driver's thread, woken by the device's notice
        DeviceNotice,  // the notice itself; the device must take a write from within it
    };
    static constexpr Feeding kDefaultFeeding = host::kHasThreads ? Feeding::OwnThread : Feeding::DeviceNotice;

    static constexpr int kBufferMs = 30;
    static constexpr int kMinBuffers = 4;
    static constexpr int kMaxBuffers = 32;

    // `opener` chooses the device; by default the one the host options name.
    explicit WaveOutDriver(host::AudioDeviceOpener opener = host::OpenAudioDevice, Feeding feeding = kDefaultFeeding);
    virtual ~WaveOutDriver();

    // Returns 0, -2 when already open, -1 for a missing callback or buffer
    // length, an unusable format, or no device. The driver opens paused.
    virtual int open(const host::AudioFormat& format, int bufferFrames, RenderCallback callback, void* context);
    virtual void close();
    virtual void lock();
    virtual void unlock();
    virtual void pause();
    virtual void resume();

    bool isOpen() const { return open_; }
    int bufferCount() const { return int(buffers_.size()); }
    size_t bufferBytes() const { return bufferBytes_; }
    // Buffers rendered since open.
    uint64_t buffersRendered() const { return rendered_.load(); }

private:
    static void onBufferDone(void* self);
    void threadMain();
    bool renderNext();  // false while paused
    void renderLocked();
    void renderOnNotice();

    host::AudioDeviceOpener opener_;
    Feeding feeding_;
    int owed_ = 0;  // notices that came while rendering was paused (DeviceNotice), guarded by lock_
    std::unique_ptr<host::AudioDevice> device_;
    std::vector<std::vector<uint8_t>> buffers_;
    size_t bufferBytes_ = 0;
    size_t nextBuffer_ = 0;
    RenderCallback callback_ = nullptr;
    void* context_ = nullptr;

    std::thread thread_;
    std::unique_ptr<CountingSemaphore> semaphore_;
    std::mutex lock_;  // the mixer's lock: rendering and every control call
    std::mutex gateMutex_;
    std::condition_variable gate_;
    bool threadPaused_ = true;    // guarded by gateMutex_
    bool renderingPaused_ = true; // guarded by lock_
    std::atomic<bool> stop_{false};
    bool open_ = false;
    std::atomic<uint64_t> rendered_{0};
};
