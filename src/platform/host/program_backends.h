#pragma once
// The backends this build links beyond the headless ones, for programs to hand
// to host::Initialize: the SDL window and audio unless built without SDL; in
// the web build, the page's.

#include "platform/host/backend.h"

namespace host {

LinkedBackends ProgramBackends();

}  // namespace host
