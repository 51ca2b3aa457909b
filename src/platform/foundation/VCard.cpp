#include "platform/foundation/VCard.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/TextEncoding.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

// Walks physical lines. In text with line feeds a line ends in "\n" with any carriage returns
// before it ("\r\r\n" is one line end, as some phones write), and a lone "\r" is part of the
// line; in text without line feeds each "\r" ends one.
std::vector<std::string_view> physicalLines(std::string_view text) {
    std::vector<std::string_view> lines;
    const char end = text.find('\n') != std::string_view::npos ? '\n' : '\r';
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == end) {
            std::size_t stop = i;
            while (end == '\n' && stop > start && text[stop - 1] == '\r') {
                --stop;
            }
            lines.push_back(text.substr(start, stop - start));
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

struct LogicalLine {
    int line = 0;
    std::string text;
    // Where each folded piece starts in `text`, and its physical line.
    std::vector<std::pair<std::size_t, int>> pieces;

    int lineAt(std::size_t offset) const {
        int found = line;
        for (const auto& [start, number] : pieces) {
            if (start <= offset) {
                found = number;
            }
        }
        return found;
    }
};

bool declaresQuotedPrintable(std::string_view text) {
    const auto colon = text.find(':');
    const auto head = lowercase(text.substr(0, colon));
    return head.find("quoted-printable") != std::string::npos;
}

// Joins folded lines (a line starting with a space or tab continues the one before) and the
// soft line breaks of quoted-printable values (a line ending in "=").
std::vector<LogicalLine> unfold(std::string_view text) {
    std::vector<LogicalLine> logical;
    int number = 0;
    bool continueSoftBreak = false;
    for (auto line : physicalLines(text)) {
        ++number;
        if (continueSoftBreak && !logical.empty()) {
            logical.back().pieces.emplace_back(logical.back().text.size(), number);
            logical.back().text.append(line);
        } else if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !logical.empty()) {
            logical.back().pieces.emplace_back(logical.back().text.size(), number);
            logical.back().text.append(line.substr(1));
        } else {
            logical.push_back({number, std::string(line), {}});
        }
        auto& current = logical.back().text;
        continueSoftBreak =
            !current.empty() && current.back() == '=' && declaresQuotedPrintable(current);
        if (continueSoftBreak) {
            current.pop_back();
        }
    }
    return logical;
}

// Splits "item1.TEL;TYPE=work,voice;PREF=1:+1 555" into its name, parameters and value.
// Parameter values may be quoted; a bare parameter (vCard 2.1 "TEL;CELL") is a TYPE.
std::optional<VCardProperty> parseProperty(std::string_view text) {
    VCardProperty property;
    std::size_t i = 0;
    while (i < text.size() && text[i] != ';' && text[i] != ':') {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::string name(text.substr(0, i));
    if (const auto dot = name.rfind('.'); dot != std::string::npos) {
        name = name.substr(dot + 1);
    }
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    property.name = trimmedWhitespace(name, " \t");
    while (i < text.size() && text[i] == ';') {
        ++i;
        std::string parameter;
        bool quoted = false;
        while (i < text.size() && (quoted || (text[i] != ';' && text[i] != ':'))) {
            if (text[i] == '"') {
                quoted = !quoted;
            } else {
                parameter.push_back(text[i]);
            }
            ++i;
        }
        const auto equals = parameter.find('=');
        const std::string key =
            equals == std::string::npos
                ? "type"
                : lowercase(trimmedWhitespace(parameter.substr(0, equals), " \t"));
        const std::string values =
            equals == std::string::npos ? parameter : parameter.substr(equals + 1);
        std::size_t start = 0;
        while (start <= values.size()) {
            auto comma = values.find(',', start);
            if (comma == std::string::npos) {
                comma = values.size();
            }
            auto value = lowercase(
                trimmedWhitespace(std::string_view(values).substr(start, comma - start), " \t"));
            if (!value.empty()) {
                property.parameters[key].push_back(std::move(value));
            }
            start = comma + 1;
        }
    }
    if (i >= text.size() || text[i] != ':') {
        return std::nullopt;
    }
    property.value = std::string(text.substr(i + 1));
    return property;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string decoded;
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

// What a file's text is in where a property does not say: the first character set a property
// of the file declares other than UTF-8; else UTF-8 for a file of UTF-8 (bad bytes in it are
// damage); else "" for a guess by text_encoding::undeclaredToUtf8.
std::string fileCharset(std::string_view text) {
    if (text_encoding::isUtf8(text)) {
        return "UTF-8";
    }
    const std::string lower = lowercase(text);
    for (std::size_t at = lower.find(";charset="); at != std::string::npos;
         at = lower.find(";charset=", at + 1)) {
        const auto start = at + 9;
        const auto stop = text.find_first_of(";:,\r\n", start);
        std::string charset = trimmedWhitespace(text.substr(start, stop - start), " \t");
        std::erase(charset, '"');
        if (!charset.empty() && !text_encoding::isUtf8Name(charset) &&
            text_encoding::toUtf8("", charset)) {
            return charset;
        }
    }
    return text_encoding::isDamagedUtf8(text) ? "UTF-8" : "";
}

// A property's value as UTF-8 text: quoted-printable undone (ENCODING=QUOTED-PRINTABLE or the
// bare 2.1 parameter), then converted from the property's CHARSET, else the file's. nullopt
// when the file's own bytes are damaged UTF-8; a quoted-printable value, whose bytes the
// writer chose one by one, has bytes that fit no character replaced instead.
std::optional<std::string> decodedValue(const VCardProperty& property, const std::string& charset) {
    std::string value = property.value;
    const bool quotedPrintable = property.hasParameter("encoding", "quoted-printable") ||
                                 property.hasParameter("type", "quoted-printable");
    if (quotedPrintable) {
        value = decodeQuotedPrintable(value);
    }
    if (auto declared = property.parameters.find("charset");
        declared != property.parameters.end() && !declared->second.empty()) {
        if (auto converted = text_encoding::toUtf8(value, declared->second.front())) {
            return converted;
        }
        if (text_encoding::isUtf8Name(declared->second.front())) {
            return text_encoding::repairedUtf8(value);
        }
    }
    if (text_encoding::isUtf8(value)) {
        return value;
    }
    if (charset.empty() || (quotedPrintable && text_encoding::isUtf8Name(charset))) {
        return text_encoding::undeclaredToUtf8(value);
    }
    return text_encoding::toUtf8(value, charset);
}

} // namespace

bool VCardProperty::hasParameter(std::string_view key, std::string_view parameterValue) const {
    auto found = parameters.find(std::string(key));
    return found != parameters.end() && std::find(found->second.begin(), found->second.end(),
                                                  parameterValue) != found->second.end();
}

std::vector<std::string> VCardProperty::types() const {
    auto found = parameters.find("type");
    return found != parameters.end() ? found->second : std::vector<std::string>();
}

std::string VCardError::description() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

bool isVCardContactProperty(std::string_view name) {
    static constexpr std::string_view read[] = {"FN",       "N",          "ORG",
                                                "TEL",      "EMAIL",      "IMPP",
                                                "X-JABBER", "X-SIP",      VCardSoftphoneProperty,
                                                "URL",      "CATEGORIES", VCardOtherProperty,
                                                "NICKNAME"};
    return std::find(std::begin(read), std::end(read), name) != std::end(read);
}

int lineOfTextOffset(std::string_view text, std::size_t offset) {
    const char end = text.find('\n') != std::string_view::npos ? '\n' : '\r';
    const auto before = text.substr(0, offset);
    return 1 + static_cast<int>(std::count(before.begin(), before.end(), end));
}

std::optional<VCardError> prepareVCardBytes(std::string& text) {
    if (const auto utf16 = text_encoding::utf16Encoding(text); !utf16.empty()) {
        auto converted = text_encoding::toUtf8(text, utf16);
        if (!converted) {
            return VCardError{0, "the file is " + std::string(utf16) +
                                     " but holds a sequence that is not"};
        }
        text = std::move(*converted);
    }
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);
    }
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        return VCardError{lineOfTextOffset(text, nul),
                          "the file holds a NUL character; it is not text"};
    }
    return std::nullopt;
}

std::vector<std::string> splitVCardValue(std::string_view value, char separator) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            if (next == 'n' || next == 'N') {
                parts.back().push_back('\n');
            } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
                parts.back().push_back(next);
            } else {
                parts.back().push_back('\\');
                parts.back().push_back(next);
            }
        } else if (separator != 0 && c == separator) {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

std::string unescapedVCardValue(std::string_view value) {
    return splitVCardValue(value, 0).front();
}

VCardReadResult readVCards(std::string text) {
    if (auto error = prepareVCardBytes(text)) {
        return *error;
    }
    const std::string charset = fileCharset(text);
    std::vector<VCardCard> cards;
    std::optional<VCardCard> card;
    for (const auto& logical : unfold(text)) {
        if (trimmedWhitespace(logical.text, " \t").empty()) {
            continue;
        }
        auto property = parseProperty(logical.text);
        if (!property) {
            return VCardError{logical.line, "the line has no \":\" between name and value"};
        }
        if (property->name == "BEGIN") {
            if (!equalsIgnoringCase(trimmedWhitespace(property->value, " \t"), "VCARD")) {
                if (card) {
                    continue; // an object embedded in a card: only its frame is ignored
                }
                return VCardError{logical.line, "BEGIN:VCARD was expected"};
            }
            if (card) {
                return VCardError{logical.line, "a card begins before the one on line " +
                                                    std::to_string(card->line) + " has ended"};
            }
            card.emplace();
            card->line = logical.line;
            continue;
        }
        if (!card) {
            return VCardError{logical.line, "the line is outside BEGIN:VCARD and END:VCARD"};
        }
        if (property->name == "END") {
            if (!equalsIgnoringCase(trimmedWhitespace(property->value, " \t"), "VCARD")) {
                continue;
            }
            cards.push_back(std::move(*card));
            card.reset();
            continue;
        }
        if (property->name == "VERSION") {
            const auto version = trimmedWhitespace(property->value, " \t");
            if (version != "2.1" && version != "3.0" && version != "4.0" && version != "4") {
                return VCardError{logical.line,
                                  "vCard version " + version + " is not supported (2.1, 3.0, 4.0)"};
            }
            continue;
        }
        // Only what is read must be text: a photo or a note in another encoding is no reason
        // to refuse the card.
        if (!isVCardContactProperty(property->name)) {
            continue;
        }
        auto value = decodedValue(*property, charset);
        if (!value) {
            const auto bad = text_encoding::firstInvalidUtf8(logical.text).value_or(0);
            return VCardError{logical.lineAt(bad),
                              "the text is not valid " + (charset.empty() ? "UTF-8" : charset)};
        }
        property->value = std::move(*value);
        card->properties.push_back(std::move(*property));
    }
    if (card) {
        return VCardError{card->line, "the card that begins here has no END:VCARD"};
    }
    if (cards.empty() && text.find_first_not_of(" \t\r\n") == std::string::npos) {
        return VCardError{0, "the file is empty"};
    }
    return cards;
}

} // namespace platform
