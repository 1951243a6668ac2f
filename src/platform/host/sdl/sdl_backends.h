#pragma once
// The SDL window and SDL audio, for a program that links them (program_backends.h).

#include "platform/host/backend.h"

namespace host {

extern const VideoBootstrap kSdlVideo;
extern const AudioBootstrap kSdlAudio;

}  // namespace host
