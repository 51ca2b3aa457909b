#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the contact editor checks and completes of the addresses typed into it. Letters are
// letters of any script (with their combining marks), so "zoë@exämple.de" and "山田@例え.jp"
// are addresses like "ann@example.com".
namespace contact_rules {

// The text without leading and trailing white space of any kind (Unicode spaces and line
// ends included).
std::string trimmed(std::string_view text);

// nullopt when the value (already trimmed) is a valid address of the field kind, else the
// message that tells the user what is wrong. E-mail, softphone and instant-message addresses
// are checked; other kinds are not.
std::optional<std::string> validationMessage(std::string_view fieldName, std::string_view value);

// The value stored for what is shown in a row of that kind: the shown text itself, or, for
// a softphone or instant-message address without "@", the text with the domain it had
// (`previous` from its "@" on) or else "@" and `defaultDomain` (none: the text alone).
std::string completedValue(std::string_view fieldName, std::string_view shown,
                           std::string_view previous, std::string_view defaultDomain);

// The value a softphone address is stored with: "sip:" in front unless it has a scheme of its
// own ("sip:", "sips:", in any case).
std::string softphoneStoredValue(std::string_view value);

// The user part of an address: without a "sip:" scheme, a port and anything from "@" on.
std::string userPart(std::string_view address);

} // namespace contact_rules
