#include "platform/host/program_backends.h"

#if KARROWEN_HAVE_WEB
#include "platform/host/web/web_backends.h"
#elif KARROWEN_HAVE_SDL
#include "platform/host/sdl/sdl_backends.h"
#endif

namespace host {

namespace {
#if KARROWEN_HAVE_WEB
const VideoBootstrap kVideo[] = {kWebVideo};
const AudioBootstrap kAudio[] = {kWebAudio};
#elif KARROWEN_HAVE_SDL
const VideoBootstrap kVideo[] = {kSdlVideo};
const AudioBootstrap kAudio[] = {kSdlAudio};
#else
const std::span<const VideoBootstrap> kVideo;
const std::span<const AudioBootstrap> kAudio;
#endif
}  // namespace

LinkedBackends ProgramBackends() { return {kVideo, kAudio}; }

}  // namespace host
