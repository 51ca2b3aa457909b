#pragma once

#include <string>
#include <string_view>

// What a typed text or the target of a link dials, as far as the text alone tells: a phone
// number, an address, or a bare name that the dial plan places at the calling account's
// domain. Links hand their target on as it came, so the text is read as URI text too:
// percent-escapes are decoded, URI headers ("?subject=...") dropped, and a phone number (with
// or without "tel:") loses its visual separators and its parameters (";ext=", ";phone-context="
// and the like). Text that dials nothing gets the reason.
class DialString {
public:
    enum class Kind { nothing, phoneNumber, address, name };

    explicit DialString(std::string_view text);

    Kind kind() const { return kind_; }
    bool dialable() const { return kind_ != Kind::nothing; }
    // The number or address to call ("" when nothing): digits, "*", "#" and a leading "+" for
    // a phone number; the decoded address or name otherwise.
    const std::string& text() const { return text_; }
    // Why the text dials nothing, for the person who asked.
    const std::string& whyNot() const { return whyNot_; }

    // Digits with the separators people type (blanks, "-", ".", "(", ")"), "*", "#" and a
    // leading "+".
    static bool isPhoneNumber(std::string_view text);

private:
    void refuse(std::string why);

    Kind kind_ = Kind::nothing;
    std::string text_;
    std::string whyNot_;
};
