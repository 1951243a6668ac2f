#pragma once
// The SDL window and SDL audio, for a program that links them (program_backends.h).

#include "platform/host/backend.h"

namespace host {

extern const VideoBootstrap kSdlVideo;
extern const AudioBootstrap kSdlAudio;

// SDL's window wherever SDL's video driver has a display to open, without
// looking for a desktop's first: for a backend built on it (the web page's).
std::unique_ptr<Backend> OpenSdlWindow(const HostOptions& options, int panelWidth, int panelHeight,
                                       std::string& why);

}  // namespace host
