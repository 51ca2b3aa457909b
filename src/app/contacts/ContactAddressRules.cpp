#include "app/contacts/ContactAddressRules.h"

#include "engine/OVContactManager.h"
#include "support/Localization.h"

#include <memory>
#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace contact_rules {

namespace {

// Letters and digits of every script; the editor's patterns are built on them.
constexpr std::string_view kWord = "\\p{L}\\p{M}\\p{Nd}";

bool matchesWhole(const std::string& pattern, std::string_view value) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(pattern), 0, status));
    if (U_FAILURE(status)) {
        return false;
    }
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(value.data(), static_cast<int32_t>(value.size())));
    const std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(text, status));
    if (U_FAILURE(status)) {
        return false;
    }
    const bool matched = matcher->matches(status);
    return U_SUCCESS(status) && matched;
}

std::string emailPattern() {
    const std::string local = "[" + std::string(kWord) + "!#$%&'*+/=?^_`{|}~-]+";
    const std::string label = "[" + std::string(kWord) + "](?:[" + std::string(kWord) + "-]*[" +
                              std::string(kWord) + "])?";
    return local + "(?:\\." + local + ")*@(?:" + label + "\\.)+" + label;
}

std::string userAtDomainPattern(bool leadingPlus) {
    return std::string(leadingPlus ? "^(\\+)?" : "^") + "[" + std::string(kWord) + "_.\\-#:]+@[" +
           std::string(kWord) + "\\-.]+$";
}

std::string framed(std::string_view value, const std::string& message) {
    return std::string(value) + " : " + message;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string trimmed(std::string_view text) {
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    int32_t begin = 0;
    int32_t end = u.length();
    while (begin < end && u_isUWhiteSpace(u.char32At(begin))) {
        begin = u.moveIndex32(begin, 1);
    }
    while (end > begin) {
        const int32_t previous = u.moveIndex32(end, -1);
        if (!u_isUWhiteSpace(u.char32At(previous))) {
            break;
        }
        end = previous;
    }
    std::string out;
    u.tempSubStringBetween(begin, end).toUTF8String(out);
    return out;
}

std::optional<std::string> validationMessage(std::string_view fieldName, std::string_view value) {
    const bool hasAt = value.find('@') != std::string_view::npos;
    if (fieldName == OVField::fieldEmailAddr) {
        if (!matchesWhole(emailPattern(), value)) {
            return framed(value, QXLS("msg.contact.validation.email_invalid",
                                      "Email format invalid, please re-enter."));
        }
    } else if (fieldName == OVField::fieldSoftphone) {
        if (!matchesWhole(userAtDomainPattern(true), value)) {
            return framed(value,
                          hasAt ? QXLS("msg.contact.validation.softphone_invalid_userid",
                                       "Softphone format invalid. Address must include user "
                                       "id, please re-enter.")
                                : QXLS("msg.contact.validation.softphone_invalid",
                                       "Softphone format invalid. Address must include domain, "
                                       "please re-enter."));
        }
    } else if (fieldName == OVField::fieldJidAddr) {
        if (!matchesWhole(userAtDomainPattern(false), value)) {
            return framed(value, hasAt
                                     ? QXLS("msg.contact.validation.jabber_invalid_userid",
                                            "Instant Message format invalid. Address must include "
                                            "user id, please re-enter.")
                                     : QXLS("msg.contact.validation.jabber_invalid",
                                            "Instant Message format invalid. Address must include "
                                            "domain, please re-enter."));
        }
    }
    return std::nullopt;
}

std::string completedValue(std::string_view fieldName, std::string_view shown,
                           std::string_view previous, std::string_view defaultDomain) {
    const std::string text = trimmed(shown);
    if (text.empty() ||
        (fieldName != OVField::fieldSoftphone && fieldName != OVField::fieldJidAddr) ||
        text.find('@') != std::string::npos) {
        return text;
    }
    if (const auto at = previous.find('@'); at != std::string_view::npos) {
        return text + std::string(previous.substr(at));
    }
    if (!defaultDomain.empty()) {
        return text + "@" + std::string(defaultDomain);
    }
    return text;
}

std::string softphoneStoredValue(std::string_view value) {
    if (startsWithNoCase(value, "sip:") || startsWithNoCase(value, "sips:")) {
        return std::string(value);
    }
    return "sip:" + std::string(value);
}

std::string userPart(std::string_view address) {
    std::string text(address);
    if (const auto sip = text.find("sip:"); sip != std::string::npos) {
        text.erase(0, text.find(':') + 1);
    }
    if (const auto colon = text.find(':'); colon != std::string::npos) {
        text.erase(colon);
    }
    if (const auto at = text.find('@'); at != std::string::npos) {
        text.erase(at);
    }
    return text;
}

} // namespace contact_rules
