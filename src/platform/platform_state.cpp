#include "platform/platform_state.h"

#include "platform/host/host.h"

namespace {
PlatformState platform;
}  // namespace

PlatformState& Platform() { return platform; }

void ResetPlatform() {
    host::Shutdown();
    platform = PlatformState{};
}
