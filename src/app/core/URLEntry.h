#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a link opened from another program asks for. The schemes are the call links "sip:",
// "tel:" and "callto", and the program's own "kelvosip:" with "call?to=", "videocall?to=" and
// "sms?to=". The target is kept exactly as it came: no percent-decoding, no clean-up.
struct URLCommand {
    enum class Kind { audioCall, videoCall, sms };
    Kind kind;
    std::string target;

    bool operator==(const URLCommand&) const = default;
};

// The command of a link, or why the link is refused (empty, not UTF-8, malformed, naming
// nobody or nothing the dial plan can dial, a scheme or command this program does not handle).
// Refused links are never dialled.
struct URLEntryResult {
    std::optional<URLCommand> command;
    std::string refusal;
};

URLEntryResult commandForURL(std::string_view url);

// "audio call", "video call" or "text message", for log lines.
std::string_view describeURLCommandKind(URLCommand::Kind kind);
