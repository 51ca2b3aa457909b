#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// A contact as the import and export files carry it: the display name, fields by their field
// name ("firstName", "softphone", "mobile" ...), one value a name, and the groups it is in.
struct ContactRecord {
    std::string displayName;
    std::vector<std::pair<std::string, std::string>> fields;
    std::vector<std::string> groups;
    // Values the file gave that the contact had no field left for, as "email x@example.com";
    // read from a file only, so that the import can say what it left out.
    std::vector<std::string> dropped;

    // The value of a field, or nullptr when the record has none.
    const std::string* field(std::string_view name) const;
    // Sets the field when the record has no value of that name yet; a second value goes to
    // "other" when that is still free and is otherwise noted in `dropped`, since a contact
    // holds one value a field. Empty values and values the record already holds are ignored.
    void assignField(std::string_view name, std::string value);

    friend bool operator==(const ContactRecord&, const ContactRecord&) = default;
};

// Where and why a file could not be read. The line is 1-based, 0 when it is not known.
struct ContactFileError {
    int line = 0;
    std::string message;

    // "line 7: a quoted field is never closed" (the message alone without a line).
    std::string description() const;
};

using ContactParseResult = std::variant<std::vector<ContactRecord>, ContactFileError>;

namespace contact_files {

// Field names besides the address fields of OVFieldNames.
inline constexpr std::string_view fieldFirstName = "firstName";
inline constexpr std::string_view fieldLastName = "lastName";
inline constexpr std::string_view fieldOrganization = "organization";

// How the store classes a field: "name" for the name parts, "address" for the ten address
// fields, "property" for anything else.
std::string_view roleOfField(std::string_view fieldName);

// A display name for a record that came without one: first and last name, else the
// organisation, else the first address; "" when the record holds nothing.
std::string fallbackDisplayName(const ContactRecord& record);

// Makes a file's bytes UTF-8 text: UTF-16 (with or without a byte-order mark) is converted,
// a UTF-8 byte-order mark dropped, and text in an 8-bit character set converted by the guess
// of text_encoding::undeclaredToUtf8. Refuses NUL characters and damaged UTF-8 (bad bytes
// beside valid multi-byte characters), the error naming the line of the first bad byte.
std::optional<ContactFileError> prepareText(std::string& text);

// CSV after RFC 4180: a header row naming the columns (recognised without regard to case,
// spaces and punctuation, with the usual aliases and the columns the common mail programs
// export, such as "Primary Email", "E-mail 2 Address" or Google's "Phone 1 - Value" with its
// "Phone 1 - Type"), quoted fields with doubled quotes, delimiters and line breaks inside
// quotes, CRLF or LF line ends. `delimiter` is one character; empty picks comma, semicolon or
// tab from the header row. Unknown columns are ignored, blank rows skipped; a row longer than
// the header is an error, except by one trailing empty field.
ContactParseResult parseCSV(std::string text, std::string_view delimiter = {});
// The header row and one row a contact, comma-separated, CRLF line ends, UTF-8.
std::string writeCSV(const std::vector<ContactRecord>& records);

// vCard 2.1, 3.0 and 4.0, as platform::readVCards reads the cards (folded lines, escapes,
// TYPE parameters in every spelling, quoted-printable values and their CHARSET, 8-bit and
// UTF-16 text); each card that gives a name or a field is a record.
ContactParseResult parseVCard(std::string text);
// One vCard 3.0 card, lines folded at 75 octets, CRLF line ends.
std::string writeVCard(const ContactRecord& record);
// A file name for the contact's card: its display name made safe for a file name, or
// "contact" when nothing of it is left, with ".vcf".
std::string vCardFileName(const ContactRecord& record);

} // namespace contact_files
