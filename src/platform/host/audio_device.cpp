#include "platform/host/audio_device.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host/host.h"

namespace host {

bool IsUsableAudioFormat(const AudioFormat& format) {
    return format.rate >= 1000 && format.rate <= 384000 && (format.bits == 8 || format.bits == 16) &&
           (format.channels == 1 || format.channels == 2);
}

std::unique_ptr<AudioDevice> OpenAudioDevice(const AudioFormat& format, AudioDevice::BufferDone done, void* context) {
    if (!IsUsableAudioFormat(format)) return nullptr;
    const std::string& choice = Options().audio;
    if (choice == "null") return OpenNullAudioDevice(format, done, context);
    if (choice.rfind("wav:", 0) == 0) return OpenWavAudioDevice(choice.substr(4), format, done, context);
    if (choice == "sdl") return OpenSdlAudioDevice(format, done, context);
    if (choice == "auto") {
        if (std::strcmp(BackendName(), "sdl") == 0) return OpenSdlAudioDevice(format, done, context);
        return OpenNullAudioDevice(format, done, context);
    }
    std::fprintf(stderr, "karrowen: unknown audio device \"%s\"; running silent\n", choice.c_str());
    return nullptr;
}

bool RaiseThreadPriority() {
    // Linux keeps a nice value per thread; one step less nice is one step up.
    // Unprivileged processes may not lower it, which leaves the thread at normal.
    const id_t thread = id_t(syscall(SYS_gettid));
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, thread);
    if (errno != 0) return false;
    return setpriority(PRIO_PROCESS, thread, nice - 1) == 0;
}

}  // namespace host
