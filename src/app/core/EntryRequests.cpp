#include "app/core/EntryRequests.h"

#include "app/core/AppController.h"
#include "app/core/InstanceChannel.h"
#include "app/core/ScriptCommands.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TextEncoding.h"

#include <cstdio>

namespace entry {

namespace {

platform::Value handle(const platform::Value& request) {
    if (AppController* controller = AppController::sharedAppController()) {
        return controller->handleEntryRequest(request);
    }
    platform::Value reply;
    reply.setObject("refused", "the program is not ready");
    return reply;
}

} // namespace

platform::Value requestForURL(std::string_view url) {
    platform::Value request;
    request.setObject("event", getURLEvent);
    request.setObject("url", url);
    return request;
}

platform::Value requestToShow() {
    platform::Value request;
    request.setObject("event", showEvent);
    return request;
}

platform::Value requestForDial(std::string_view number, bool video) {
    platform::Value request;
    request.setObject("command", dialNumberCommand);
    request.setObject("directParameter", number);
    platform::Value arguments(platform::Value::Dictionary{});
    if (video) {
        arguments.setObject(callingWithKey, callingWithVideo);
    }
    request.setObject("arguments", std::move(arguments));
    return request;
}

platform::Value requestForEndCall(std::optional<std::string> callIdentifier) {
    platform::Value request;
    request.setObject("command", endCallCommand);
    if (callIdentifier) {
        request.setObject("directParameter", std::move(*callIdentifier));
    }
    return request;
}

Arguments requestFromArguments(const std::vector<std::string>& arguments) {
    Arguments result;
    std::optional<std::string> dial;
    bool video = false;
    bool endCall = false;
    std::optional<std::string> callIdentifier;
    std::optional<std::string> link;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--dial") {
            if (i + 1 >= arguments.size()) {
                result.error = "--dial needs a number";
                return result;
            }
            dial = arguments[++i];
        } else if (argument == "--video") {
            video = true;
        } else if (argument == "--end-call") {
            endCall = true;
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
                callIdentifier = arguments[++i];
            }
        } else if (!argument.starts_with("-") && !link) {
            link = argument;
        } else {
            result.error = "Unknown argument " + argument;
            return result;
        }
    }
    if ((dial ? 1 : 0) + (endCall ? 1 : 0) + (link ? 1 : 0) > 1) {
        result.error = "Give one link or one command at a time";
        return result;
    }
    if (video && !dial) {
        result.error = "--video goes with --dial";
        return result;
    }
    // Requests travel as property lists, which hold text only: bytes that are not UTF-8 would
    // arrive cut short, and a shorter number is someone else's.
    for (const auto& [what, text] : {std::pair{"The link", link}, std::pair{"The number", dial},
                                     std::pair{"The call identifier", callIdentifier}}) {
        if (const auto bad =
                text ? platform::text_encoding::firstInvalidUtf8(*text) : std::nullopt) {
            result.error = std::string(what) + " is not valid UTF-8 (byte " +
                           std::to_string(*bad + 1) + "): refused";
            return result;
        }
    }
    if (dial) {
        result.request = requestForDial(*dial, video);
    } else if (endCall) {
        result.request = requestForEndCall(std::move(callIdentifier));
    } else if (link) {
        result.request = requestForURL(*link);
    }
    return result;
}

std::optional<int> handOverToRunningInstance(const platform::Value& request) {
    auto sent = InstanceChannel::sendToRunningInstance(request);
    switch (sent.status) {
    case InstanceChannel::SendStatus::noInstance:
        return std::nullopt;
    case InstanceChannel::SendStatus::failed:
        platform::Logf("The running instance was not reached: %@", sent.error);
        return 1;
    case InstanceChannel::SendStatus::delivered:
        break;
    }
    if (const std::string* refusal = sent.reply["refused"].string()) {
        platform::Logf("The running instance refused the request: %@", *refusal);
        return 1;
    }
    // A script command's answer goes to whoever ran it, as a script would get it back.
    const std::string* answer = sent.reply["result"].string();
    if (answer && !request["command"].isNull()) {
        std::printf("%s\n", answer->c_str());
        std::fflush(stdout);
    }
    return 0;
}

std::unique_ptr<InstanceChannel> listenForRequests(std::optional<platform::Value> pending) {
    auto channel = std::make_unique<InstanceChannel>();
    channel->listen(handle);
    if (pending) {
        // Tasks posted before the run loop starts run after the launch has finished.
        platform::RunLoop::main().performAfterDelay(
            0, [request = std::move(*pending)] { handle(request); });
    }
    return channel;
}

} // namespace entry
