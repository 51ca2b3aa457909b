#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class InstanceChannel;

// Requests that reach the program from outside: a link to open (the desktop hands the
// program a "sip:", "tel:", "callto" or "kelvosip:" link as its argument) or a script command
// given on the command line. A second start hands them to the instance already running.
namespace entry {

inline constexpr std::string_view getURLEvent = "GURL";
// A start without a link or command: the running instance shows itself.
inline constexpr std::string_view showEvent = "show";
inline constexpr std::string_view dialNumberCommand = "DialNumberCommand";
inline constexpr std::string_view endCallCommand = "EndCallCommand";
inline constexpr std::string_view testCommand = "TestScriptCommand";
// For programs that drive this one from outside: what it shows now (StateReport.h), and an
// event of the demo network (the simulated engine's parties), as {"operation":
// "incomingCall", "address": ..., "displayName": ...}. Neither brings the program forward.
inline constexpr std::string_view reportStateEvent = "reportState";
inline constexpr std::string_view demoNetworkEvent = "demoNetwork";

platform::Value requestForURL(std::string_view url);
platform::Value requestToShow();
platform::Value requestForDial(std::string_view number, bool video);
platform::Value requestForEndCall(std::optional<std::string> callIdentifier);

// The request of the command-line arguments the program itself does not take: a link, or
// "--dial NUMBER [--video]", or "--end-call [CALL-ID]". No request and no error when there
// are none.
struct Arguments {
    std::optional<platform::Value> request;
    std::string error;
};
Arguments requestFromArguments(const std::vector<std::string>& arguments);

// Hands the request to the instance already running. The exit status of this start when it
// did (0, or 1 when the instance refused the request or the exchange failed); nullopt when no
// instance runs and this start should become the running one.
std::optional<int> handOverToRunningInstance(const platform::Value& request);

// Listens for requests of later starts, handled by the application controller on the main
// run loop; a request of this start's own command line is handled once it has launched.
std::unique_ptr<InstanceChannel> listenForRequests(std::optional<platform::Value> pending);

} // namespace entry
