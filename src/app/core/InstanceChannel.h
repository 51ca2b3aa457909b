#pragma once

#include "platform/foundation/Value.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// The local socket through which a second start of the program hands a link or a script
// command to the instance already running: "<bundle identifier>-<user>.socket" in the runtime
// folder. Requests and replies are property lists, one each way per connection. Only
// processes of the same user are listened to, and a client talks only to a server of its own
// user.
class InstanceChannel {
public:
    // Runs on the main run loop for each request; its answer goes back to the sender.
    using Handler = std::function<platform::Value(const platform::Value& request)>;

    // Requests larger than this are dropped unread.
    static constexpr std::size_t maximumMessageSize = 64 * 1024;
    // Replies may be longer (a report of what the program shows); longer ones are dropped.
    static constexpr std::size_t maximumReplySize = 1024 * 1024;

    static std::filesystem::path socketPath();

    enum class SendStatus {
        delivered,  // the running instance answered; `reply` holds its answer
        noInstance, // nobody listens: the caller may start the program itself
        failed,     // someone listens but the exchange failed; `error` says why
    };
    struct SendResult {
        SendStatus status = SendStatus::noInstance;
        platform::Value reply;
        std::string error;
    };
    // Sends the request to the running instance and waits at most `timeout` seconds for its
    // answer.
    static SendResult sendToRunningInstance(const platform::Value& request, double timeout = 10);

    InstanceChannel();
    // Stops listening and removes the socket when it is still this instance's.
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Listens on the socket; a watcher thread accepts connections and hands each request to
    // the main run loop. False, with a logged reason, when another instance holds the socket
    // or it cannot be made.
    bool listen(Handler handler);
    bool isListening() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
