#include "app/core/InstanceChannel.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// How long a connection may take to deliver its request before the server gives up on it.
constexpr int requestReadTimeoutMs = 2000;

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    std::string name;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name) {
        name = found->pw_name;
    }
    // The name becomes part of a file name: anything unusual falls back to the number.
    const bool usable =
        !name.empty() &&
        name.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-") == std::string::npos;
    return usable ? name : std::to_string(::geteuid());
}

std::optional<sockaddr_un> socketAddress(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

bool peerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

// Reads until the peer has finished writing, the limit is passed or the time is up.
std::optional<std::string> readAll(int fd, int timeoutMs, std::size_t limit) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string data;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return std::nullopt;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return data;
        }
        data.append(buffer, static_cast<std::size_t>(got));
        if (data.size() > limit) {
            return std::nullopt;
        }
    }
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

FileDescriptor connectTo(const sockaddr_un& address, int* error) {
    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        *error = errno;
        return {};
    }
    int result;
    do {
        result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        *error = errno;
        return {};
    }
    *error = 0;
    return fd;
}

// One accepted connection waiting for its answer on the main thread.
struct Connection {
    FileDescriptor fd;
    std::string request;
};

} // namespace

struct InstanceChannel::Impl {
    struct State {
        Handler handler;
    };

    ~Impl() { stop(); }

    void stop() {
        if (watcher.joinable()) {
            const char byte = 0;
            [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite.get(), &byte, 1);
            watcher.join();
        }
        state.reset();
        if (listenFd) {
            listenFd.reset();
            // Another instance may have taken the name over since; only our own file goes.
            struct stat now {};
            if (::stat(path.c_str(), &now) == 0 && now.st_dev == boundDevice &&
                now.st_ino == boundInode) {
                ::unlink(path.c_str());
            }
        }
        wakeRead.reset();
        wakeWrite.reset();
        lockFd.reset();
    }

    void watch() {
        for (;;) {
            pollfd fds[2] = {{listenFd.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
            const int ready = ::poll(fds, 2, -1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents) {
                return;
            }
            if (!(fds[0].revents & POLLIN)) {
                continue;
            }
            FileDescriptor client(::accept4(listenFd.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client) {
                continue;
            }
            // Another user's process has no business starting calls for this one.
            if (!peerIsSameUser(client.get())) {
                continue;
            }
            auto request = readAll(client.get(), requestReadTimeoutMs, maximumMessageSize);
            if (!request) {
                continue;
            }
            auto connection =
                std::make_shared<Connection>(Connection{std::move(client), std::move(*request)});
            std::weak_ptr<State> weakState = state;
            platform::RunLoop::main().postFromAnyThread([weakState, connection] {
                auto live = weakState.lock();
                if (!live) {
                    return;
                }
                platform::Value reply;
                std::string why;
                if (auto value = platform::Value::fromPropertyList(connection->request, &why)) {
                    reply = live->handler(*value);
                } else {
                    platform::Logf(
                        "A request from another start of the program was not readable: %@", why);
                    reply.setObject("refused", "the request is not a property list (" + why + ")");
                }
                writeAll(connection->fd.get(),
                         reply.toPropertyList(platform::PropertyListFormat::Binary));
            });
        }
    }

    fs::path path;
    FileDescriptor lockFd;
    FileDescriptor listenFd;
    FileDescriptor wakeRead;
    FileDescriptor wakeWrite;
    dev_t boundDevice = 0;
    ino_t boundInode = 0;
    std::shared_ptr<State> state;
    std::thread watcher;
};

fs::path InstanceChannel::socketPath() {
    return platform::runtimeDirectory() /
           (platform::Bundle::mainBundle().bundleIdentifier() + "-" + userName() + ".socket");
}

InstanceChannel::SendResult InstanceChannel::sendToRunningInstance(const platform::Value& request,
                                                                   double timeout) {
    SendResult result;
    const auto address = socketAddress(socketPath());
    if (!address) {
        result.error = "the socket's path is too long";
        return result;
    }
    int error = 0;
    FileDescriptor fd = connectTo(*address, &error);
    if (!fd) {
        // Nobody listens (no file, or the file of an instance that has gone).
        result.error = std::strerror(error);
        return result;
    }
    result.status = SendStatus::failed;
    if (!peerIsSameUser(fd.get())) {
        result.error = "the socket belongs to another user";
        return result;
    }
    const std::string bytes = request.toPropertyList(platform::PropertyListFormat::Binary);
    if (bytes.size() > maximumMessageSize) {
        result.error = "the request is too large";
        return result;
    }
    if (!writeAll(fd.get(), bytes) || ::shutdown(fd.get(), SHUT_WR) != 0) {
        result.error = "the request could not be sent";
        return result;
    }
    const auto reply = readAll(fd.get(), static_cast<int>(timeout * 1000), maximumReplySize);
    if (!reply || reply->empty()) {
        result.error = "the running instance did not answer";
        return result;
    }
    auto value = platform::Value::fromPropertyList(*reply);
    if (!value) {
        result.error = "the running instance's answer was not readable";
        return result;
    }
    result.status = SendStatus::delivered;
    result.reply = std::move(*value);
    return result;
}

InstanceChannel::InstanceChannel() : impl_(std::make_unique<Impl>()) {}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::isListening() const {
    return impl_->watcher.joinable();
}

bool InstanceChannel::listen(Handler handler) {
    if (isListening()) {
        return true;
    }
    auto& impl = *impl_;
    impl.path = socketPath();
    const auto address = socketAddress(impl.path);
    if (!address) {
        platform::Logf("Links from other programs are not received: the path %@ is too long",
                       impl.path.string());
        return false;
    }
    std::error_code ignored;
    fs::create_directories(impl.path.parent_path(), ignored);

    // The lock tells a live instance from a socket file left by one that crashed; it goes
    // with the process, however that ends.
    const fs::path lockPath = impl.path.string() + ".lock";
    impl.lockFd = FileDescriptor(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!impl.lockFd || ::flock(impl.lockFd.get(), LOCK_EX | LOCK_NB) != 0) {
        platform::Logf("Links from other programs go to the instance already running (%@)",
                       impl.path.string());
        impl.lockFd.reset();
        return false;
    }
    ::unlink(impl.path.c_str());

    impl.listenFd = FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    int pipeFds[2];
    struct stat bound {};
    if (!impl.listenFd ||
        ::bind(impl.listenFd.get(), reinterpret_cast<const sockaddr*>(&*address),
               sizeof(*address)) != 0 ||
        ::chmod(impl.path.c_str(), 0600) != 0 || ::listen(impl.listenFd.get(), 16) != 0 ||
        ::stat(impl.path.c_str(), &bound) != 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        platform::Logf("Links from other programs are not received: %@ (%@)",
                       std::string(std::strerror(errno)), impl.path.string());
        impl.stop();
        return false;
    }
    impl.boundDevice = bound.st_dev;
    impl.boundInode = bound.st_ino;
    impl.wakeRead = FileDescriptor(pipeFds[0]);
    impl.wakeWrite = FileDescriptor(pipeFds[1]);
    impl.state = std::make_shared<Impl::State>(Impl::State{std::move(handler)});
    impl.watcher = std::thread([&impl] { impl.watch(); });
    return true;
}
