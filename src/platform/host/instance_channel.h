#pragma once
// Lets instances of the program of the same user find and message each other's
// top-level windows: the single-instance check and the relaunch hand-over.
// Each process with a top-level window listens on a UNIX socket in a private
// folder (mode 0700, owned by the user) named after the instance; peers of
// another user are refused.

#include <cstdint>
#include <string>

namespace host::channel {

struct RemoteWindow {
    int pid = 0;
    uint32_t id = 0;
};

// Starts listening (once per process); safe to call again.
void Start(const std::string& instance);
void Stop();
// The private folder of the instance, created when missing; empty when it
// cannot be made safe.
std::string Folder(const std::string& instance);

bool Find(const std::string& instance, const std::u16string& className, const std::u16string& title,
          RemoteWindow& found);
bool Send(const RemoteWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);
bool Raise(const RemoteWindow& window);

}  // namespace host::channel
