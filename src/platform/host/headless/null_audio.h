#pragma once
// The headless audio device: it consumes queued buffers at the pace of the host
// clock (real or virtual) and reports them played, sending the sound nowhere.
// The WAV-recording device derives from it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/host/audio_device.h"

namespace host {

class NullAudioDevice : public AudioDevice {
public:
    NullAudioDevice(const AudioFormat& format, BufferDone done, void* context);
    ~NullAudioDevice() override;

    bool write(const uint8_t* data, size_t bytes) override;
    void pause() override;
    void resume() override;
    void reset() override;

protected:
    // Called on the device thread for every buffer as it is played.
    virtual void played(const uint8_t* /*data*/, size_t /*bytes*/) {}
    // Ends the pacing thread; a derived device calls it first in its destructor,
    // so `played` never runs on a half-destroyed object.
    void stopThread();

    const AudioFormat format_;

private:
    void run();

    BufferDone done_;
    void* context_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::vector<uint8_t>> queue_;
    bool paused_ = false;
    bool stop_ = false;
    int64_t credit_ = 0;  // bytes x 1000 the clock has paid for and not yet played
    uint32_t lastTick_;   // host clock at the last look, taken before the thread starts
    std::thread thread_;
};

}  // namespace host
