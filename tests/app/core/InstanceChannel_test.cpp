#include "../ChildProcess.h"
#include "EntryTestSupport.h"
#include "app/core/DeferredCommand.h"
#include "app/core/EntryRequests.h"
#include "app/core/InstanceChannel.h"
#include "platform/foundation/BinaryPlistBytes.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace entry_test;
namespace fs = std::filesystem;

namespace {

using platform::Value;

constexpr double kTimeout = 20.0;

using app_test::RuntimeFolder;

// Pumps the main run loop (where the channel hands its requests) until `done` holds.
bool pumpUntil(const std::function<bool()>& done, double seconds = kTimeout) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        platform::RunLoop::main().runUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class InstanceChannelTest : public EntryTest {
protected:
    // Sends from another thread while this one runs the loop, as a second process would.
    InstanceChannel::SendResult sendWhilePumping(const Value& request) {
        auto sent = std::async(std::launch::async,
                               [&] { return InstanceChannel::sendToRunningInstance(request, 5); });
        EXPECT_TRUE(pumpUntil(
            [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return sent.get();
    }

    // Writes the bytes to the socket as they are and answers the reply's bytes.
    std::string sendRaw(const fs::path& socket, const std::string& bytes) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", socket.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::shutdown(fd, SHUT_WR);
        std::string reply;
        EXPECT_TRUE(pumpUntil([&] {
            char buffer[512];
            const ssize_t got = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (got > 0) {
                reply.append(buffer, static_cast<std::size_t>(got));
            }
            return got == 0;
        }));
        ::close(fd);
        return reply;
    }

    RuntimeFolder runtime;
    ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.path().string()};
};

TEST_F(InstanceChannelTest, ARequestReachesTheHandlerOnTheMainLoopAndItsAnswerComesBack) {
    const auto mainThread = std::this_thread::get_id();
    std::vector<Value> received;
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen([&](const Value& request) {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        received.push_back(request);
        Value reply;
        reply.setObject("result", "got " + request["url"].stringValue());
        return reply;
    }));
    const fs::path socket = InstanceChannel::socketPath();
    EXPECT_EQ(socket.parent_path(), runtime.path());
    EXPECT_NE(socket.filename().string().find(platform::Bundle::mainBundle().bundleIdentifier()),
              std::string::npos);
    EXPECT_EQ(fs::status(socket).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Links may hold anything but control characters; the exchange carries them unchanged.
    const std::string url = "kelvosip:sms?to=Zoë&text=a%20b\"c'd";
    const auto sent = sendWhilePumping(entry::requestForURL(url));

    ASSERT_EQ(sent.status, InstanceChannel::SendStatus::delivered) << sent.error;
    EXPECT_EQ(sent.reply["result"], Value("got " + url));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received.front(), entry::requestForURL(url));

    // Bytes that are no property list, or no list a reader may trust, get a refusal with the
    // reason, not a crash; the channel goes on serving.
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } unreadable[] = {
        {"garbage", "garbage", "not a property list"},
        {"NUL in a key", foundation_test::bplist::nulInKey(), "NUL"},
        {"date that is not a number", foundation_test::bplist::nanDate(), "date"},
    };
    for (const auto& c : unreadable) {
        const auto answer = Value::fromPropertyList(sendRaw(socket, c.bytes));
        ASSERT_TRUE(answer) << c.name;
        const std::string refused = (*answer)["refused"].stringValue();
        EXPECT_NE(refused.find("not a property list"), std::string::npos) << c.name << refused;
        EXPECT_NE(refused.find(c.reason), std::string::npos) << c.name << refused;
    }
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(sendWhilePumping(entry::requestForURL("tel:1")).status,
              InstanceChannel::SendStatus::delivered);
    EXPECT_EQ(received.size(), 2u);
}

TEST_F(InstanceChannelTest, OneInstanceListensAndItsSocketGoesWithIt) {
    EXPECT_EQ(InstanceChannel::sendToRunningInstance(entry::requestForURL("tel:1")).status,
              InstanceChannel::SendStatus::noInstance);
    {
        InstanceChannel first;
        ASSERT_TRUE(first.listen([](const Value&) { return Value(); }));
        InstanceChannel second;
        EXPECT_FALSE(second.listen([](const Value&) { return Value(); }));
        EXPECT_TRUE(logged("go to the instance already running"));
        EXPECT_TRUE(fs::exists(InstanceChannel::socketPath()));
    }
    EXPECT_FALSE(fs::exists(InstanceChannel::socketPath()));
    EXPECT_EQ(InstanceChannel::sendToRunningInstance(entry::requestForURL("tel:1")).status,
              InstanceChannel::SendStatus::noInstance);
}

TEST_F(InstanceChannelTest, TheSocketOfAnInstanceThatCrashedIsTakenOver) {
    // What a killed instance leaves: a socket file nobody listens on.
    const fs::path socket = InstanceChannel::socketPath();
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", socket.c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(stale);
    ASSERT_TRUE(fs::exists(socket));
    EXPECT_EQ(InstanceChannel::sendToRunningInstance(entry::requestForURL("tel:1")).status,
              InstanceChannel::SendStatus::noInstance);

    InstanceChannel channel;
    ASSERT_TRUE(channel.listen([](const Value&) {
        Value reply;
        reply.setObject("result", "here");
        return reply;
    }));
    const auto sent = sendWhilePumping(entry::requestForURL("tel:1"));
    EXPECT_EQ(sent.status, InstanceChannel::SendStatus::delivered) << sent.error;
}

// The program started with a link while an instance runs: this test process is the running
// instance, signed in; the real program hands the link over and ends, and the call is placed.
TEST_F(InstanceChannelTest, ALinkGivenToASecondStartIsCalledByTheRunningInstance) {
    AppController controller;
    platform::Application::sharedApplication().setDelegate(&controller);
    const auto channel = entry::listenForRequests(std::nullopt);
    ASSERT_TRUE(channel->isListening());
    startEngineAndAccounts();

    app_test::ChildProcess second({LUMIQ_BINARY_DIR "/bin/lumiq", "--headless", "sip:5551234"},
                                  {{"XDG_RUNTIME_DIR", runtime.path().string()},
                                   {"HOME", (tmp / "second-home").string()},
                                   {"LUMIQ_BUNDLE", LUMIQ_RESOURCES_DIR}});
    ASSERT_TRUE(second.started());
    std::optional<int> status;
    ASSERT_TRUE(pumpUntil([&] {
        status = second.waitForExit(0.01);
        return status.has_value();
    })) << second.errorOutput();
    EXPECT_EQ(*status, 0) << second.errorOutput();
    EXPECT_EQ(second.errorOutput().find("Engine initialisation"), std::string::npos)
        << "the second start hands over and launches nothing";
    EXPECT_TRUE(logged("Link \"sip:5551234\": audio call to 5551234"));

    pass(DeferredCommand::retryInterval);
    ASSERT_EQ(conversations().size(), 1u);
    EXPECT_EQ(conversations().front()->participants().front()->address(), "5551234");
    EXPECT_TRUE(logged("Placing an audio call to 5551234"));
    platform::Application::sharedApplication().setDelegate(nullptr);
}

// Two starts of the real program, each with its own home and a shared runtime folder.
class TwoInstancesTest : public ::testing::Test {
protected:
    // Each start's standard output goes to a file of its own; `output` reads the last one's.
    std::unique_ptr<app_test::ChildProcess> start(std::vector<std::string> arguments,
                                                  std::string bundle = LUMIQ_RESOURCES_DIR) {
        arguments.insert(arguments.begin(), {LUMIQ_BINARY_DIR "/bin/lumiq", "--headless"});
        return std::make_unique<app_test::ChildProcess>(
            arguments,
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime.path().string()},
                                               {"HOME", (tmp / "home").string()},
                                               {"XDG_DATA_HOME", (tmp / "data").string()},
                                               {"XDG_CONFIG_HOME", (tmp / "config").string()},
                                               {"LUMIQ_BUNDLE", bundle}},
            lastOutput = tmp / ("stdout-" + std::to_string(++started)));
    }
    std::string output() const { return foundation_test::readFile(lastOutput); }
    static std::optional<int> finish(app_test::ChildProcess& process) {
        return process.waitForExit(kTimeout);
    }

    TempDir tmp;
    RuntimeFolder runtime;
    int started = 0;
    fs::path lastOutput;
};

TEST_F(TwoInstancesTest, ASecondStartHandsLinksAndCommandsToTheFirstAndEnds) {
    auto first = start({});
    ASSERT_TRUE(first->waitForOutput("Engine initialisation completed", kTimeout))
        << first->errorOutput();

    auto link = start({"sip:5551234"});
    EXPECT_EQ(finish(*link), 0) << link->errorOutput();
    EXPECT_TRUE(first->waitForOutput("Link \"sip:5551234\": audio call to 5551234", kTimeout))
        << first->errorOutput();

    // A refused link: the first logs why, the second says so in its status.
    auto refused = start({"kelvosip:call?to="});
    EXPECT_EQ(finish(*refused), 1) << refused->errorOutput();
    EXPECT_NE(refused->errorOutput().find("refused"), std::string::npos);
    EXPECT_TRUE(first->waitForOutput("Link \"kelvosip:call?to=\" refused", kTimeout));

    // A link that is not UTF-8 is refused whole by the start that got it, never cut short.
    auto notText = start({"tel:555\xA6"
                          "1234"});
    EXPECT_EQ(finish(*notText), 1) << notText->errorOutput();
    EXPECT_NE(notText->errorOutput().find("not valid UTF-8"), std::string::npos)
        << notText->errorOutput();

    // Before sign-in the dial command can place no call: it says why and fails.
    auto dial = start({"--dial", "5550000", "--video"});
    EXPECT_EQ(finish(*dial), 1) << dial->errorOutput();
    EXPECT_NE(dial->errorOutput().find("no call can be placed now"), std::string::npos)
        << dial->errorOutput();
    EXPECT_EQ(output(), "") << "no answer is printed for a command that did nothing";
    EXPECT_TRUE(first->waitForOutput("no call can be placed now, 5550000", kTimeout))
        << first->errorOutput();
    auto endCall = start({"--end-call", "call-9"});
    EXPECT_EQ(finish(*endCall), 1) << endCall->errorOutput();
    EXPECT_NE(endCall->errorOutput().find("no call has the identifier call-9"), std::string::npos)
        << endCall->errorOutput();
    EXPECT_EQ(first->errorOutput().find("Link \"tel:555"), std::string::npos)
        << "nothing of the refused link reached the running instance";

    first->sendSignal(SIGTERM);
    EXPECT_EQ(finish(*first), 0) << first->errorOutput();
    EXPECT_FALSE(fs::exists(runtime.path() / InstanceChannel::socketPath().filename()))
        << "the socket goes with its instance";
}

TEST_F(TwoInstancesTest, APlainSecondStartShowsTheFirstAndEnds) {
    auto first = start({});
    ASSERT_TRUE(first->waitForOutput("Engine initialisation completed", kTimeout))
        << first->errorOutput();

    auto second = start({});
    EXPECT_EQ(finish(*second), 0) << second->errorOutput();
    EXPECT_EQ(second->errorOutput().find("Engine initialisation"), std::string::npos)
        << "no second instance signs in to the same account";
    EXPECT_TRUE(first->waitForOutput("asked for this one: shown", kTimeout))
        << first->errorOutput();

    first->sendSignal(SIGTERM);
    EXPECT_EQ(finish(*first), 0) << first->errorOutput();
}

TEST_F(TwoInstancesTest, ALinkHandedToARunningProgramIsCalledOnceItsEngineHasStarted) {
    // A bundle whose profile needs no sign-in, so the first program starts its engine by
    // itself and the handed-over link can become a call.
    const fs::path bundle = tmp / "bundle";
    fs::copy(LUMIQ_RESOURCES_DIR, bundle, fs::copy_options::recursive);
    const fs::path features = bundle / "engine" / "features.plist";
    auto switches = Value::readPropertyListFile(features);
    ASSERT_TRUE(switches);
    switches->setObject("loginEnabled", Value(false));
    ASSERT_TRUE(switches->writePropertyListFile(features));
    const auto startWithBundle = [&](std::vector<std::string> arguments) {
        return start(std::move(arguments), bundle.string());
    };

    auto first = startWithBundle({});
    ASSERT_TRUE(first->waitForOutput("Engine initialisation completed", kTimeout))
        << first->errorOutput();
    auto link = startWithBundle({"sip:5551234"});
    EXPECT_EQ(finish(*link), 0) << link->errorOutput();
    EXPECT_TRUE(first->waitForOutput("Placing an audio call to 5551234", kTimeout))
        << first->errorOutput();
    // Commands that do what they are asked answer as before, with status 0.
    auto dial = startWithBundle({"--dial", "%2B15550100"});
    EXPECT_EQ(finish(*dial), 0) << dial->errorOutput();
    EXPECT_EQ(output(), "Fix Me\n");
    EXPECT_TRUE(first->waitForOutput("placing an audio call to +15550100", kTimeout))
        << first->errorOutput();
    auto endCall = startWithBundle({"--end-call", "call-1"});
    EXPECT_EQ(finish(*endCall), 0) << endCall->errorOutput();
    EXPECT_EQ(output(), "Fix Me\n");
    EXPECT_TRUE(first->waitForOutput("ending call call-1", kTimeout)) << first->errorOutput();
    // With a call up, quitting asks first and nobody is there to answer.
    first->sendSignal(SIGKILL);
    finish(*first);
}

TEST_F(TwoInstancesTest, WithoutARunningInstanceTheProgramStartsAndTakesTheLinkItself) {
    auto only = start({"tel:5551234"});
    ASSERT_TRUE(only->waitForOutput("Link \"tel:5551234\": audio call to 5551234", kTimeout))
        << only->errorOutput();
    EXPECT_TRUE(only->waitForOutput("Engine initialisation completed", kTimeout))
        << only->errorOutput();
    only->sendSignal(SIGTERM);
    EXPECT_EQ(finish(*only), 0) << only->errorOutput();
}

} // namespace
