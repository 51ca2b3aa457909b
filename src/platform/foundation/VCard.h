#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// Where and why a card's text could not be read. The line is 1-based, 0 when it is not known.
struct VCardError {
    int line = 0;
    std::string message;

    // "line 7: a card begins before the one on line 2 has ended" (the message alone without a
    // line).
    std::string description() const;
};

// One property of a card as the card gives it.
struct VCardProperty {
    // Upper case, without its group ("item1.TEL" is "TEL").
    std::string name;
    // Lower-case parameter names and values; a bare parameter (vCard 2.1 "TEL;CELL") is a TYPE.
    std::map<std::string, std::vector<std::string>> parameters;
    // The value as UTF-8 text, quoted-printable and the character set undone; the escapes of
    // the value ("\,", "\;", "\n") are kept, since structured values split at them.
    std::string value;

    bool hasParameter(std::string_view key, std::string_view parameterValue) const;
    // The TYPE values, lower case, in the card's order.
    std::vector<std::string> types() const;
};

// A card: the line of its BEGIN:VCARD and the properties read of it, in the card's order.
struct VCardCard {
    int line = 0;
    std::vector<VCardProperty> properties;
};

using VCardReadResult = std::variant<std::vector<VCardCard>, VCardError>;

// The product's own properties: the exact softphone address, and a value without a place of
// its own.
inline constexpr std::string_view VCardSoftphoneProperty = "X-LUMIQ-SOFTPHONE";
inline constexpr std::string_view VCardOtherProperty = "X-LUMIQ-OTHER";

// Whether a property is one a contact is made of (names, numbers, addresses, groups); these
// are the properties readVCards keeps.
bool isVCardContactProperty(std::string_view name);

// The byte-level work every reader of contact text does before lines: UTF-16 (with or without
// a byte-order mark) is converted, a UTF-8 byte-order mark dropped and NUL characters refused.
std::optional<VCardError> prepareVCardBytes(std::string& text);
// The 1-based line of a byte offset: lines end in "\n" in text that has any, else in "\r".
int lineOfTextOffset(std::string_view text, std::size_t offset);

// vCard 2.1, 3.0 and 4.0: one or more cards, folded lines, the soft line breaks of
// quoted-printable values, parameters in every spelling, quoted-printable values and their
// CHARSET. A text in an 8-bit character set is read by the charset it declares (or the guess of
// text_encoding::undeclaredToUtf8). Only the contact properties are kept and need to be text:
// anything else between BEGIN:VCARD and END:VCARD is skipped, whatever bytes it holds.
VCardReadResult readVCards(std::string text);

// Splits a value at unescaped separators and undoes the escapes of each part: "\n" and "\N"
// are line breaks, "\\", "\,", "\;" and "\:" the character itself. A separator of 0 splits
// nothing.
std::vector<std::string> splitVCardValue(std::string_view value, char separator);
// The value with its escapes undone.
std::string unescapedVCardValue(std::string_view value);

} // namespace platform
