// The running instance's socket: whatever bytes a local process sends reach the listening
// instance as they would from a second start of the program, are decoded there and handed to
// the application controller with a signed-in engine, and every connection gets a readable
// answer (a result or a refusal), or none when the request is too large to read.

#include "FuzzSupport.h"
#include "app/core/AppController.h"
#include "app/core/EntryRequests.h"
#include "app/core/InstanceChannel.h"
#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Application.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Made once and kept to the end: the controller outlives every request, as in the program.
AppController* controller = nullptr;
std::unique_ptr<InstanceChannel> channel;

void settle() {
    platform::RunLoop::main().runUntilIdle();
}

int connectToInstance() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s",
                  InstanceChannel::socketPath().c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0);
    return fd;
}

// Sends everything, though the instance may stop reading at its limit.
void sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// Runs the main loop, where the instance handles requests, until the answer has come whole.
std::string awaitAnswer(int fd) {
    std::string answer;
    for (;;) {
        settle();
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return answer;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char runtime[] = "/tmp/lumiq-fuzz-socket-XXXXXX";
    FUZZ_CHECK(::mkdtemp(runtime));
    ::setenv("XDG_RUNTIME_DIR", runtime, 1);
    platform::setLogSink([](std::string_view) {});
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);

    // A signed-in engine with its accounts up, so that dial and end-call requests act.
    StartupService& engine = StartupService::instance();
    engine.phoneService()->setUserSettingFolder(std::filesystem::path(runtime) / "settings");
    engine.intialize(std::nullopt, {"Friends", "Family", "Work"}, "Others", "Added Contacts");
    settle();
    engine.start("alice");
    settle();
    platform::RunLoop::main().runFor(1);
    settle();
    FUZZ_CHECK(engine.phoneService()->getConversationService()->newConversationAllowed());

    controller = new AppController;
    platform::Application::sharedApplication().setDelegate(controller);
    channel = entry::listenForRequests(std::nullopt);
    FUZZ_CHECK(channel && channel->isListening());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = connectToInstance();
    sendAll(fd, fuzz::text(data, size));
    ::shutdown(fd, SHUT_WR);
    const std::string answer = awaitAnswer(fd);
    ::close(fd);

    if (size > InstanceChannel::maximumMessageSize) {
        FUZZ_CHECK(answer.empty());
        return 0;
    }
    const auto reply = platform::Value::fromPropertyList(answer);
    FUZZ_CHECK(reply);
    FUZZ_CHECK((*reply)["result"].isString() != (*reply)["refused"].isString());

    // Calls placed by a request end, so that they do not pile up from one input to the next.
    StartupService::instance().phoneService()->getConversationService()->endAll();
    settle();
    return 0;
}
