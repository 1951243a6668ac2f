// A page is one instance by itself: no other copy of the game can be reached,
// and its successor is a reload, not a process that looks for this one.

#include "platform/host/host_core.h"
#include "platform/host/instance_channel.h"

namespace host {

// Nothing ever listens.
struct ChannelListener {};
void PartDeleter::operator()(ChannelListener* l) const { delete l; }

}  // namespace host

namespace host::channel {

void Start(const std::string&) {}
void Stop() {}
std::string Folder(const std::string&) { return {}; }

bool Find(const std::string&, const std::u16string&, const std::u16string&, RemoteWindow&) { return false; }
bool Send(const RemoteWindow&, uint32_t, uintptr_t, intptr_t, intptr_t&) { return false; }
bool Raise(const RemoteWindow&) { return false; }

}  // namespace host::channel
