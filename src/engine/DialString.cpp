#include "engine/DialString.h"

#include "platform/foundation/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

bool isBlank(unsigned char c) {
    return std::isspace(c) != 0;
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool hasScheme(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                       [](unsigned char c) { return std::isalpha(c) != 0; });
}

bool startsWithTelScheme(std::string_view text) {
    return text.size() >= 4 && std::tolower(static_cast<unsigned char>(text[0])) == 't' &&
           std::tolower(static_cast<unsigned char>(text[1])) == 'e' &&
           std::tolower(static_cast<unsigned char>(text[2])) == 'l' && text[3] == ':';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The text with its percent-escapes decoded; nullopt, with the reason, for an escape that is
// malformed or decodes to a control character or to bytes that are not UTF-8.
std::optional<std::string> percentDecoded(std::string_view text, std::string& whyNot) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) {
            whyNot = "\"%\" is not followed by two hexadecimal digits";
            return std::nullopt;
        }
        const auto byte =
            static_cast<unsigned char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        if (isControl(byte)) {
            whyNot = "an escape stands for a control character";
            return std::nullopt;
        }
        out += static_cast<char>(byte);
        i += 2;
    }
    if (platform::text_encoding::firstInvalidUtf8(out)) {
        whyNot = "the escapes stand for text that is not UTF-8";
        return std::nullopt;
    }
    return out;
}

} // namespace

bool DialString::isPhoneNumber(std::string_view text) {
    text = trimmed(text);
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c) || c == '*' || c == '#') {
            digit = true;
        } else if (c == '+' && i == 0) {
        } else if (std::string_view(" -().").find(static_cast<char>(c)) == std::string_view::npos) {
            return false;
        }
    }
    return digit;
}

void DialString::refuse(std::string why) {
    kind_ = Kind::nothing;
    text_.clear();
    whyNot_ = std::move(why);
}

DialString::DialString(std::string_view text) {
    if (const auto bad = platform::text_encoding::firstInvalidUtf8(text)) {
        refuse("the text is not UTF-8 (byte " + std::to_string(*bad + 1) + ")");
        return;
    }
    text = trimmed(text);
    if (std::any_of(text.begin(), text.end(), [](unsigned char c) { return isControl(c); })) {
        refuse("the text holds control characters");
        return;
    }
    // Headers of a URI ("?subject=...") name no one to call.
    text = trimmed(text.substr(0, text.find('?')));
    if (text.empty()) {
        refuse("there is no number or address to call");
        return;
    }
    const bool tel = startsWithTelScheme(text);
    if (tel)
        text.remove_prefix(4);

    // A phone number's parameters (extension, phone context, sub-address) are dropped: the
    // call goes to the number itself.
    std::string why;
    const auto number = percentDecoded(text.substr(0, text.find(';')), why);
    if (!number) {
        refuse(why);
        return;
    }
    if (isPhoneNumber(*number)) {
        kind_ = Kind::phoneNumber;
        for (char c : *number)
            if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || c == '+')
                text_ += c;
        return;
    }
    if (tel) {
        refuse("a tel: link names no phone number");
        return;
    }
    const auto decoded = percentDecoded(text, why);
    if (!decoded) {
        refuse(why);
        return;
    }
    const std::string_view address = trimmed(*decoded);
    if (address.empty()) {
        refuse("there is no number or address to call");
        return;
    }
    if (hasScheme(address) || address.find('@') != std::string_view::npos) {
        kind_ = Kind::address;
        text_ = address;
        return;
    }
    if (std::any_of(address.begin(), address.end(), isBlank)) {
        refuse("a name with blanks in it is no address");
        return;
    }
    kind_ = Kind::name;
    text_ = address;
}
