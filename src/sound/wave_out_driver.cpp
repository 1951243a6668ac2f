#include "sound/wave_out_driver.h"

#include <chrono>

bool CountingSemaphore::release() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (count_ >= maximum_) return false;
        ++count_;
    }
    available_.notify_one();
    return true;
}

bool CountingSemaphore::acquireFor(int ms) {
    std::unique_lock<std::mutex> guard(mutex_);
    if (!available_.wait_for(guard, std::chrono::milliseconds(ms), [this] { return count_ > 0; })) return false;
    --count_;
    return true;
}

bool CountingSemaphore::tryAcquire() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (count_ == 0) return false;
    --count_;
    return true;
}

WaveOutDriver::WaveOutDriver(host::AudioDeviceOpener opener, Feeding feeding) : opener_(opener), feeding_(feeding) {}

WaveOutDriver::~WaveOutDriver() { WaveOutDriver::close(); }

int WaveOutDriver::open(const host::AudioFormat& format, int bufferFrames, RenderCallback callback, void* context) {
    if (open_) return -2;
    if (!callback || bufferFrames <= 0 || !host::IsUsableAudioFormat(format) || !opener_) return -1;

    const int bytesPerFrame = format.bytesPerFrame();
    int count = int(int64_t(bufferFrames) * 1000 / format.rate / kBufferMs);
    count = count < kMinBuffers ? kMinBuffers : count > kMaxBuffers ? kMaxBuffers : count;
    size_t bytes = size_t(int64_t(format.rate) * bytesPerFrame * kBufferMs / 1000);
    bytes = (bytes + 7) & ~size_t(7);
    const uint8_t silence = format.bits == 8 ? 128 : 0;

    bufferBytes_ = bytes;
    buffers_.assign(size_t(count), std::vector<uint8_t>(bytes, silence));
    callback_ = callback;
    context_ = context;
    nextBuffer_ = 0;
    rendered_ = 0;
    semaphore_ = std::make_unique<CountingSemaphore>(count + 1);

    device_ = opener_(format, &WaveOutDriver::onBufferDone, this);
    if (!device_) {
        buffers_.clear();
        semaphore_.reset();
        return -1;
    }
    // The device starts paused with every buffer queued: it plays silence first.
    device_->pause();
    for (const auto& buffer : buffers_) device_->write(buffer.data(), buffer.size());

    threadPaused_ = true;
    renderingPaused_ = true;
    stop_ = false;
    owed_ = 0;
    open_ = true;
    if (feeding_ == Feeding::OwnThread) thread_ = std::thread(&WaveOutDriver::threadMain, this);
    return 0;
}

void WaveOutDriver::onBufferDone(void* self) {
    auto* driver = static_cast<WaveOutDriver*>(self);
    if (driver->feeding_ == Feeding::DeviceNotice)
        driver->renderOnNotice();
    else
        driver->semaphore_->release();
}

// Without threads the notice comes between two steps of the program, never
// while it holds the lock; should it ever, the buffer is owed, not lost.
void WaveOutDriver::renderOnNotice() {
    std::unique_lock<std::mutex> guard(lock_, std::try_to_lock);
    if (!guard.owns_lock() || renderingPaused_) {
        if (owed_ < int(buffers_.size())) ++owed_;
        return;
    }
    renderLocked();
}

void WaveOutDriver::threadMain() {
    host::RaiseThreadPriority();
    for (;;) {
        {
            // Pausing parks the thread here, between buffers, never inside the lock.
            std::unique_lock<std::mutex> gate(gateMutex_);
            gate_.wait(gate, [this] { return !threadPaused_ || stop_; });
            if (stop_) return;
        }
        if (!semaphore_->acquireFor(3)) continue;
        do {
            if (!renderNext()) {
                semaphore_->release();  // not rendered: the buffer is still owed
                break;
            }
        } while (!stop_ && semaphore_->tryAcquire());
    }
}

bool WaveOutDriver::renderNext() {
    std::lock_guard<std::mutex> guard(lock_);
    if (renderingPaused_) return false;
    renderLocked();
    return true;
}

void WaveOutDriver::renderLocked() {
    std::vector<uint8_t>& buffer = buffers_[nextBuffer_];
    callback_(context_, buffer.data(), buffer.size());
    device_->write(buffer.data(), buffer.size());
    nextBuffer_ = (nextBuffer_ + 1) % buffers_.size();
    rendered_.fetch_add(1);
}

void WaveOutDriver::close() {
    if (!open_) return;
    {
        std::lock_guard<std::mutex> gate(gateMutex_);
        stop_ = true;
        threadPaused_ = false;
    }
    gate_.notify_all();
    if (thread_.joinable()) thread_.join();
    device_->reset();
    device_.reset();
    buffers_.clear();
    semaphore_.reset();
    open_ = false;
}

void WaveOutDriver::lock() { lock_.lock(); }

void WaveOutDriver::unlock() { lock_.unlock(); }

void WaveOutDriver::pause() {
    if (!open_) return;
    {
        std::lock_guard<std::mutex> gate(gateMutex_);
        threadPaused_ = true;
    }
    {
        // Under the lock, so no buffer is rendered once pause has returned.
        std::lock_guard<std::mutex> guard(lock_);
        renderingPaused_ = true;
    }
    device_->pause();
}

void WaveOutDriver::resume() {
    if (!open_) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        renderingPaused_ = false;
        for (; owed_ > 0; --owed_) renderLocked();
    }
    {
        std::lock_guard<std::mutex> gate(gateMutex_);
        threadPaused_ = false;
    }
    gate_.notify_all();
    device_->resume();
}
