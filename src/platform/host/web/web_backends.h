#pragma once
// The web page's window and sound, for the web build's programs
// (program_backends.h): SDL's, as built for the browser, in a page.

#include "platform/host/backend.h"

namespace host {

extern const VideoBootstrap kWebVideo;
extern const AudioBootstrap kWebAudio;

}  // namespace host
