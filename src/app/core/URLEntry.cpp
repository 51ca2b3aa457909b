#include "app/core/URLEntry.h"

#include "engine/DialString.h"
#include "platform/foundation/TextEncoding.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::string_view customScheme = "kelvosip:";

bool isControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

URLEntryResult refuse(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

URLEntryResult accept(URLCommand::Kind kind, std::string_view target) {
    // An empty target would dial nobody; the engine must never be asked to.
    if (target.empty() || isBlank(target)) {
        return refuse("the link names no one to reach");
    }
    // The target goes on as it came; the dial plan reads it when the call is placed. What it
    // could never dial is refused now, while whoever sent the link can still be told.
    if (kind != URLCommand::Kind::sms) {
        if (const DialString dial(target); !dial.dialable()) {
            return refuse("the link's target cannot be dialled: " + dial.whyNot());
        }
    }
    return {URLCommand{kind, std::string(target)}, {}};
}

// A call link keeps what follows the first "://", or else the first ":"; a "callto" link
// without any colon is kept whole.
std::string_view callLinkTarget(std::string_view url) {
    if (const auto slashes = url.find("://"); slashes != std::string_view::npos) {
        return url.substr(slashes + 3);
    }
    if (const auto colon = url.find(':'); colon != std::string_view::npos) {
        return url.substr(colon + 1);
    }
    return url;
}

} // namespace

URLEntryResult commandForURL(std::string_view url) {
    if (url.empty()) {
        return refuse("the link is empty");
    }
    if (const auto bad = platform::text_encoding::firstInvalidUtf8(url)) {
        return refuse("the link is not valid UTF-8 (byte " + std::to_string(*bad + 1) + ")");
    }
    if (std::any_of(url.begin(), url.end(), isControlCharacter)) {
        return refuse("the link holds control characters");
    }
    // The prefixes are tested in this order and with this case.
    if (url.starts_with("sip:") || url.starts_with("callto") || url.starts_with("tel:")) {
        return accept(URLCommand::Kind::audioCall, callLinkTarget(url));
    }
    if (url.starts_with(customScheme)) {
        const std::string_view rest = url.substr(customScheme.size());
        static constexpr std::array<std::pair<std::string_view, URLCommand::Kind>, 3> commands{{
            {"call?to=", URLCommand::Kind::audioCall},
            {"videocall?to=", URLCommand::Kind::videoCall},
            {"sms?to=", URLCommand::Kind::sms},
        }};
        for (const auto& [prefix, kind] : commands) {
            if (rest.starts_with(prefix)) {
                return accept(kind, rest.substr(prefix.size()));
            }
        }
        return refuse("the link asks for nothing this program does");
    }
    return refuse("the program does not handle the link's scheme");
}

std::string_view describeURLCommandKind(URLCommand::Kind kind) {
    switch (kind) {
    case URLCommand::Kind::audioCall:
        return "audio call";
    case URLCommand::Kind::videoCall:
        return "video call";
    case URLCommand::Kind::sms:
        return "text message";
    }
    return "";
}
