// The channel between copies of the program, spoken to with raw bytes: what
// another process may ask of our windows, what it may not, and that no other
// user gets through at all.

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <optional>
#include <vector>

#include "platform/host/instance_channel.h"
#include "support/test_host.h"

namespace {

namespace fs = std::filesystem;

// The wire format of one request and its answer.
struct Request {
    uint32_t op = 0, windowId = 0, message = 0, classBytes = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t titleBytes = 0, reserved = 0;
};
struct Reply {
    int64_t result = 0;
    uint32_t ok = 0, reserved = 0;
};
constexpr uint32_t kFind = 1, kSend = 2;
constexpr char kClass[] = "ChannelTest", kTitle[] = "Karrowen";

std::vector<uint32_t> received;
intptr_t Record(host::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    received.push_back(message);
    return host::DefWindowProc(window, message, wParam, lParam);
}

std::string Bytes(const Request& request, const std::string& tail = "") {
    return std::string(reinterpret_cast<const char*>(&request), sizeof request) + tail;
}

// Asks for the window of our class and title.
std::string FindRequest() {
    return Bytes(Request{.op = kFind, .classBytes = sizeof kClass - 1, .titleBytes = sizeof kTitle - 1},
                 std::string(kClass) + kTitle);
}

int Connect(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// Sends the bytes, ends the sending side and reads the answer; none when the
// listener closed the connection without one.
std::optional<Reply> Exchange(const std::string& path, const std::string& bytes) {
    int fd = Connect(path);
    if (fd < 0) return std::nullopt;
    timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    bool sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    ::shutdown(fd, SHUT_WR);
    Reply reply;
    ssize_t n = sent ? ::recv(fd, &reply, sizeof reply, MSG_WAITALL) : -1;
    ::close(fd);
    if (n != ssize_t(sizeof reply)) return std::nullopt;
    return reply;
}

class InstanceChannel : public testhost::HostTest {
protected:
    void SetUp() override {
        runtime_ = scratch.path();
        runtimeHome_.emplace("XDG_RUNTIME_DIR", runtime_);
        testhost::HostTest::SetUp();
        received.clear();
        host::WindowClass windowClass;
        windowClass.proc = Record;
        windowClass.name = host::FromUtf8(kClass);
        ASSERT_TRUE(host::RegisterClass(windowClass));
        window_ = host::CreateWindow(0, windowClass.name, host::FromUtf8(kTitle), 0, 0, 0, 100, 100, nullptr, 0, nullptr);
        ASSERT_NE(window_, nullptr);
        folder_ = host::channel::Folder(host::Options().instance);
        socket_ = folder_ + "/" + std::to_string(::getpid()) + ".sock";
        ASSERT_TRUE(fs::exists(socket_)) << socket_;
    }
    void TearDown() override {
        testhost::HostTest::TearDown();
        // The last copy of an instance leaves no folder behind.
        EXPECT_FALSE(fs::exists(folder_)) << folder_;
        runtimeHome_.reset();
    }

    // An exchange, while this thread answers messages sent to its window.
    std::optional<Reply> exchange(const std::string& bytes) {
        auto answer = std::async(std::launch::async, Exchange, socket_, bytes);
        while (answer.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            host::Message message;
            while (host::PeekMessage(message)) host::DispatchMessage(message);
        }
        return answer.get();
    }
    std::optional<Reply> find() { return exchange(FindRequest()); }

    fs::path runtime_;
    std::optional<testhost::ScopedEnv> runtimeHome_;
    host::WindowHandle window_ = nullptr;
    std::string folder_, socket_;
};

TEST_F(InstanceChannel, OnlyTheHandOverReachesAWindowAndMalformedRequestsAreRefused) {
    std::optional<Reply> found = find();
    ASSERT_TRUE(found && found->ok && found->result > 0);
    const uint32_t id = uint32_t(found->result);

    // Messages another process may not send: anything but the destroy of the
    // hand-over, and that one only without parameters.
    Request send{.op = kSend, .windowId = id};
    for (auto [message, lParam] : {std::pair<uint32_t, int64_t>{0x0401, 0x7f0012345678}, {host::WM_DESTROY, 1}}) {
        send.message = message;
        send.lParam = lParam;
        std::optional<Reply> reply = exchange(Bytes(send));
        EXPECT_TRUE(reply && !reply->ok) << std::hex << message;
    }
    Request unknown = send;
    unknown.op = 99;
    std::optional<Reply> reply = exchange(Bytes(unknown));
    EXPECT_FALSE(reply && reply->ok);

    // Too long, cut short, or no whole header: closed without an answer.
    EXPECT_FALSE(exchange(Bytes(Request{.op = kFind, .titleBytes = 1 << 20}, std::string(4096, 'x'))));
    const Request short_{.op = kFind, .classBytes = 100};
    EXPECT_FALSE(exchange(Bytes(short_, "Chann")));
    EXPECT_FALSE(exchange(Bytes(short_).substr(0, 12)));

    EXPECT_TRUE(std::find(received.begin(), received.end(), 0x0401u) == received.end());
    EXPECT_TRUE(std::find(received.begin(), received.end(), host::WM_DESTROY) == received.end());
    EXPECT_TRUE(host::IsWindow(window_));
    found = find();
    EXPECT_TRUE(found && found->ok && uint32_t(found->result) == id) << "the listener still answers";
}

// A process of another user reaches neither the socket nor, when the folder
// is opened up by mistake, an answer.
TEST_F(InstanceChannel, AnotherUserIsNotHeard) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a peer as another user";
    auto peer = [&](bool expectConnect) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            int fd = Connect(socket_);
            if (fd < 0) ::_exit(expectConnect ? 3 : 0);
            const std::string bytes = FindRequest();
            (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            Reply reply;
            ssize_t n = ::recv(fd, &reply, sizeof reply, MSG_WAITALL);
            ::_exit(n == ssize_t(sizeof reply) ? 4 : expectConnect ? 0 : 5);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(peer(false), 0) << "the folder keeps other users out";
    ASSERT_EQ(::chmod(runtime_.c_str(), 0711), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), 0711), 0);
    ASSERT_EQ(::chmod(socket_.c_str(), 0777), 0);
    EXPECT_EQ(peer(true), 0) << "the listener answers only its own user";
    std::optional<Reply> found = find();
    EXPECT_TRUE(found && found->ok) << "and still answers its own";
}

}  // namespace
