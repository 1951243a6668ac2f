#pragma once
// The headless audio device: it consumes queued buffers at the pace of the host
// clock (real or virtual) and reports them played, sending the sound nowhere.
// The WAV-recording device derives from it. Its own thread keeps the pace;
// without one (always so where there are no threads, as on a web page), every
// message poll does (PaceThreadlessAudio).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/host/audio_device.h"
#include "platform/host/host.h"

namespace host {

class NullAudioDevice : public AudioDevice {
public:
    NullAudioDevice(const AudioFormat& format, BufferDone done, void* context, bool ownThread = kHasThreads);
    ~NullAudioDevice() override;

    bool write(const uint8_t* data, size_t bytes) override;
    void pause() override;
    void resume() override;
    void reset() override;

    // Waits, at most `limitMs` of real time, until the device owes no more
    // than `slackMs` of what the clock has paid for: it lets a virtual clock
    // keep pace with what is played. False when the limit ran out.
    bool awaitCaughtUp(int slackMs, int limitMs);

protected:
    // Called on the device thread (or in the message poll) for every buffer as it is played.
    virtual void played(const uint8_t* /*data*/, size_t /*bytes*/) {}
    // Ends the pacing thread; a derived device calls it first in its destructor,
    // so `played` never runs on a half-destroyed object.
    void stopThread();

    const AudioFormat format_;

private:
    friend void PaceThreadlessAudio();
    void run();
    // Plays what the clock has paid for since the last look; `lock` holds
    // mutex_, and is let go while a played buffer is reported.
    void pace(std::unique_lock<std::mutex>& lock);

    BufferDone done_;
    void* context_;
    const bool ownThread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable caughtUp_;
    std::deque<std::vector<uint8_t>> queue_;
    bool paused_ = false;
    bool stop_ = false;
    // The virtual clock may run many times faster than real time, and than
    // the mixer's thread refills the queue: time that passes while the queue
    // is empty then stays owed and is played as buffers come, so that a
    // recording lasts as long as the run. On the real clock an empty queue is
    // an underrun, as on a sound card, and its time is gone.
    const bool owesUnderruns_;
    int64_t credit_ = 0;  // bytes x 1000 the clock has paid for and not yet played
    uint32_t lastTick_;   // host clock at the last look, taken before the thread starts
    std::thread thread_;  // none without threads
};

// Paces the devices that have no thread of their own; the host's message
// poll calls it.
void PaceThreadlessAudio();

}  // namespace host
