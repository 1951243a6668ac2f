#include "platform/host/instance_channel.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/host_local.h"

namespace host {

struct ChannelListener {
    int fd = -1;
    std::string path;
    std::thread thread;
    std::atomic<bool> stop{false};
    int wakeRead = -1, wakeWrite = -1;
};

// Wakes the listening thread, waits for it, and removes the socket, and the
// instance's folder with it when no other copy's socket is left there: a
// folder per instance name would otherwise pile up in the runtime folder.
void PartDeleter::operator()(ChannelListener* l) const {
    l->stop = true;
    char wake = 1;
    if (write(l->wakeWrite, &wake, 1) < 0) {
    }
    l->thread.join();
    close(l->fd);
    close(l->wakeRead);
    close(l->wakeWrite);
    unlink(l->path.c_str());
    rmdir(l->path.substr(0, l->path.rfind('/')).c_str());
    delete l;
}

}  // namespace host

namespace host::channel {

using Listener = ChannelListener;

namespace {

enum class Op : uint32_t { Find = 1, Send = 2, Raise = 3 };

struct Request {
    uint32_t op = 0;
    uint32_t windowId = 0;
    uint32_t message = 0;
    uint32_t classBytes = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t titleBytes = 0;
    uint32_t reserved = 0;
};

struct Reply {
    int64_t result = 0;
    uint32_t ok = 0;
    uint32_t reserved = 0;
};

constexpr int kTimeoutMs = 6000;
constexpr uint32_t kMaxText = 4096;

// A folder we own alone: not a link, our uid, no access for others.
bool SafeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return false;
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return false;
    return true;
}

bool IoFully(int fd, void* data, size_t size, bool writing) {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
        pollfd pfd{fd, short(writing ? POLLOUT : POLLIN), 0};
        if (poll(&pfd, 1, kTimeoutMs) <= 0) return false;
        ssize_t n = writing ? send(fd, p, size, MSG_NOSIGNAL) : recv(fd, p, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool SamePeerUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == getuid();
}

sockaddr_un Address(const std::string& path, bool& fits) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    fits = path.size() < sizeof addr.sun_path;
    if (fits) std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return addr;
}

void Serve(int client) {
    Request req;
    Reply reply;
    if (!SamePeerUser(client) || !IoFully(client, &req, sizeof req, false) || req.classBytes > kMaxText ||
        req.titleBytes > kMaxText)
        return;
    std::string cls(req.classBytes, '\0'), title(req.titleBytes, '\0');
    if (!IoFully(client, cls.data(), cls.size(), false) || !IoFully(client, title.data(), title.size(), false)) return;
    bool delivered = false;
    switch (Op(req.op)) {
        case Op::Find:
            reply.result = FindLocalTopLevel(FromUtf8(cls), FromUtf8(title));
            reply.ok = 1;
            break;
        case Op::Send:
            // Only the hand-over's destroy comes from another process; any
            // other message could carry a pointer into the sender's memory.
            if (req.message != WM_DESTROY || req.wParam != 0 || req.lParam != 0) break;
            reply.result = SendToLocalWindow(req.windowId, req.message, 0, 0, delivered);
            reply.ok = delivered;
            break;
        case Op::Raise:
            RaiseLocalWindow(req.windowId);
            reply.ok = 1;
            break;
    }
    IoFully(client, &reply, sizeof reply, true);
}

void ListenLoop(Listener* l) {
    while (!l->stop) {
        pollfd fds[2] = {{l->fd, POLLIN, 0}, {l->wakeRead, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) break;
        if (l->stop) break;
        if (!(fds[0].revents & POLLIN)) continue;
        int client = accept4(l->fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        Serve(client);
        close(client);
    }
}

bool Call(const std::string& socketPath, const Request& base, const std::u16string& cls, const std::u16string& title,
          Reply& reply, bool& stale) {
    stale = false;
    bool fits = false;
    sockaddr_un addr = Address(socketPath, fits);
    if (!fits) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        std::string c = ToUtf8(cls), t = ToUtf8(title);
        Request req = base;
        req.classBytes = uint32_t(c.size());
        req.titleBytes = uint32_t(t.size());
        ok = IoFully(fd, &req, sizeof req, true) && IoFully(fd, c.data(), c.size(), true) &&
             IoFully(fd, t.data(), t.size(), true) && IoFully(fd, &reply, sizeof reply, false);
    } else {
        stale = errno == ECONNREFUSED || errno == ENOENT;
    }
    close(fd);
    return ok;
}

std::string SocketPath(const std::string& folder, int pid) { return folder + "/" + std::to_string(pid) + ".sock"; }

std::string ServedInstance() {
    const std::string& served = Core().channelInstance;
    return served.empty() ? Options().instance : served;
}

}  // namespace

std::string Folder(const std::string& instance) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime && *runtime == '/' && SafeFolder(runtime)) base = runtime;
    else {
        base = "/tmp/karrowen-" + std::to_string(getuid());
        if (!SafeFolder(base)) return "";
    }
    std::string folder = base + "/karrowen-" + instance;
    return SafeFolder(folder) ? folder : "";
}

void Start(const std::string& instance) {
    HostCore& c = Core();
    if (c.listener) return;
    std::string folder = Folder(instance);
    if (folder.empty()) return;
    auto* l = new Listener();
    l->path = SocketPath(folder, getpid());
    bool fits = false;
    sockaddr_un addr = Address(l->path, fits);
    int pipes[2];
    l->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    unlink(l->path.c_str());
    auto bound = [&] { return bind(l->fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0; };
    // A copy of the same instance that stops removes the folder it thinks
    // empty; if that came between our making it and binding, make it again.
    bool ok = fits && l->fd >= 0 && (bound() || (errno == ENOENT && !Folder(instance).empty() && bound()));
    if (!ok || listen(l->fd, 8) != 0 || pipe2(pipes, O_CLOEXEC) != 0) {
        if (l->fd >= 0) close(l->fd);
        delete l;
        return;
    }
    chmod(l->path.c_str(), 0600);
    l->wakeRead = pipes[0];
    l->wakeWrite = pipes[1];
    l->thread = std::thread(ListenLoop, l);
    c.listener.reset(l);
    c.channelInstance = instance;
}

void Stop() { Core().listener.reset(); }

bool Find(const std::string& instance, const std::u16string& className, const std::u16string& title,
          RemoteWindow& found) {
    std::string folder = Folder(instance);
    if (folder.empty()) return false;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    std::vector<int> pids;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".sock") == 0) {
            int pid = std::atoi(name.c_str());
            if (pid > 0 && pid != getpid()) pids.push_back(pid);
        }
    }
    closedir(dir);
    for (int pid : pids) {
        Request req;
        req.op = uint32_t(Op::Find);
        Reply reply;
        bool stale = false;
        std::string path = SocketPath(folder, pid);
        if (Call(path, req, className, title, reply, stale) && reply.ok && reply.result > 0) {
            found = RemoteWindow{pid, uint32_t(reply.result)};
            return true;
        }
        if (stale) unlink(path.c_str());  // left behind by a process that died
    }
    return false;
}

bool Send(const RemoteWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    std::string folder = Folder(ServedInstance());
    Request req;
    req.op = uint32_t(Op::Send);
    req.windowId = window.id;
    req.message = message;
    req.wParam = wParam;
    req.lParam = lParam;
    Reply reply;
    bool stale = false;
    if (folder.empty() || !Call(SocketPath(folder, window.pid), req, u"", u"", reply, stale)) return false;
    result = intptr_t(reply.result);
    return reply.ok != 0;
}

bool Raise(const RemoteWindow& window) {
    std::string folder = Folder(ServedInstance());
    Request req;
    req.op = uint32_t(Op::Raise);
    req.windowId = window.id;
    Reply reply;
    bool stale = false;
    return !folder.empty() && Call(SocketPath(folder, window.pid), req, u"", u"", reply, stale) && reply.ok;
}

}  // namespace host::channel
