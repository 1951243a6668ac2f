#pragma once
// PCM output, shaped like the handheld's wave-out device: the caller writes
// whole buffers, they play in order, and the device reports each buffer once it
// has been played. Backends: SDL audio, a null device paced by the host clock,
// and a device that records what it plays into a WAV file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace host {

struct AudioFormat {
    int rate = 8000;   // frames per second
    int bits = 8;      // 8 (unsigned) or 16 (signed, little-endian)
    int channels = 1;  // 1 or 2, interleaved

    int bytesPerFrame() const { return channels * bits / 8; }
};

class AudioDevice {
public:
    // Called from a device thread once per played buffer; it must be quick and
    // must not call back into the device.
    using BufferDone = void (*)(void* context);

    virtual ~AudioDevice() = default;  // stops playing; no notice follows

    // Queues a copy of `bytes` bytes (whole frames) behind the buffers already
    // queued. Returns false when the device has failed.
    virtual bool write(const uint8_t* data, size_t bytes) = 0;
    // While paused nothing is consumed and no notice is sent. Devices start
    // playing.
    virtual void pause() {}
    virtual void resume() {}
    // Drops every queued buffer without notices.
    virtual void reset() {}
};

using AudioDeviceOpener = std::unique_ptr<AudioDevice> (*)(const AudioFormat& format, AudioDevice::BufferDone done,
                                                          void* context);

// Opens the device that the "audio" host option names among the linked ones
// (backend.h): "sdl", "null", "wav:FILE", or "auto" (the device of the window
// backend that runs, such as SDL audio beside the SDL window, else null),
// playing at the player's output volume (OutputVolume). Null when no device
// can be opened or the format is unusable.
std::unique_ptr<AudioDevice> OpenAudioDevice(const AudioFormat& format, AudioDevice::BufferDone done, void* context);
// Changes the open device's volume (0 to 100 percent) from its next buffer on.
void SetOutputVolume(int percent);

// The headless devices, also usable directly.
std::unique_ptr<AudioDevice> OpenNullAudioDevice(const AudioFormat& format, AudioDevice::BufferDone done, void* context);
// With `append` (a relaunched process of the same run) the recording goes on
// at the end of the file when it holds one in the same format.
std::unique_ptr<AudioDevice> OpenWavAudioDevice(const std::string& path, const AudioFormat& format,
                                                AudioDevice::BufferDone done, void* context, bool append = false);

// On the virtual clock, which may run far ahead of real time: waits (a
// quarter of a second of real time at most) until this process's WAV
// recording has played what the clock has paid for, so the recording lasts
// as long as the run. Called on the program's thread, after each advance.
void KeepPaceWithAudioRecording();
// Ends this process's WAV recording, if it makes one, with the file whole:
// called before a relaunched successor starts, which then appends to it.
void EndAudioRecording();

bool IsUsableAudioFormat(const AudioFormat& format);

// The output the program asks for: the device profile's (44100 Hz 16-bit
// stereo on the desktop, the handheld's 8000 Hz 8-bit mono on the others),
// with each of rate, width and channels replaced by its audio option when
// given.
AudioFormat PreferredAudioFormat();

// Scales whole frames of `format` in place to `volume` percent; 0 gives
// silence (128 for 8-bit data).
void ScaleToVolume(const AudioFormat& format, uint8_t* data, size_t bytes, int volume);

// Raises the calling thread one priority step above normal where the system
// allows it; returns false when it does not.
bool RaiseThreadPriority();

}  // namespace host
