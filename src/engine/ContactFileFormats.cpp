#include "engine/ContactFileFormats.h"

#include "engine/OVConstants.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/VCard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace {

using contact_files::fieldFirstName;
using contact_files::fieldLastName;
using contact_files::fieldOrganization;

constexpr std::array<std::string_view, 10> kAddressFields = {
    OVFieldNames::fieldSoftphone, OVFieldNames::fieldJidAddr,   OVFieldNames::fieldHomeNum,
    OVFieldNames::fieldWorkNum,   OVFieldNames::fieldMobileNum, OVFieldNames::fieldEmailAddr,
    OVFieldNames::fieldFaxNum,    OVFieldNames::fieldPagerNum,  OVFieldNames::fieldWebAddr,
    OVFieldNames::fieldOtherAddr};

using platform::equalsIgnoringCase;
using platform::lowercase;
using platform::splitVCardValue;
using platform::startsWithIgnoringCase;

std::string trimmed(std::string_view text) {
    return platform::trimmedWhitespace(text, " \t");
}
using platform::unescapedVCardValue;
using platform::VCardProperty;
using platform::text_encoding::firstInvalidUtf8;
using platform::text_encoding::utf8SequenceLength;

// ---- CSV ------------------------------------------------------------------------------------

// What a CSV column holds: a field, the display name or the groups.
// Google's "Phone 1 - Value" takes its field from "Phone 1 - Type" of the same row; both carry
// the number 1 as `pair`.
struct ColumnTarget {
    enum class Kind { displayName, field, groups, typedPhone, phoneType } kind = Kind::field;
    std::string_view field;
    int pair = 0;
};

constexpr std::string_view kDisplayNameColumn = "Display Name";
constexpr std::string_view kGroupsColumn = "Groups";

// The columns written, in order, with the field each holds.
const std::vector<std::pair<std::string_view, std::string_view>>& csvFieldColumns() {
    static const std::vector<std::pair<std::string_view, std::string_view>> columns = {
        {"First Name", fieldFirstName},
        {"Last Name", fieldLastName},
        {"Organization", fieldOrganization},
        {"Softphone", OVFieldNames::fieldSoftphone},
        {"IM Address", OVFieldNames::fieldJidAddr},
        {"Work Phone", OVFieldNames::fieldWorkNum},
        {"Home Phone", OVFieldNames::fieldHomeNum},
        {"Mobile Phone", OVFieldNames::fieldMobileNum},
        {"Fax", OVFieldNames::fieldFaxNum},
        {"Pager", OVFieldNames::fieldPagerNum},
        {"Email", OVFieldNames::fieldEmailAddr},
        {"Web Page", OVFieldNames::fieldWebAddr},
        {"Other", OVFieldNames::fieldOtherAddr},
    };
    return columns;
}

// A header's name reduced to lower-case letters and digits, so that "E-mail Address",
// "email_address" and "EmailAddress" meet.
std::string columnKey(std::string_view header) {
    std::string key;
    for (char c : header) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            key.push_back(static_cast<char>(std::tolower(u)));
        } else if (u >= 0x80) {
            key.push_back(c);
        }
    }
    return key;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The number field for a phone of the given kind ("Work Fax", "* Mobile", "Business Phone 2"),
// from its words.
std::string_view phoneFieldOfKind(std::string_view kind) {
    const std::string key = columnKey(kind);
    if (contains(key, "fax")) {
        return OVFieldNames::fieldFaxNum;
    }
    if (contains(key, "pager")) {
        return OVFieldNames::fieldPagerNum;
    }
    if (contains(key, "mobile") || contains(key, "cell")) {
        return OVFieldNames::fieldMobileNum;
    }
    if (contains(key, "business") || contains(key, "work")) {
        return OVFieldNames::fieldWorkNum;
    }
    if (contains(key, "home")) {
        return OVFieldNames::fieldHomeNum;
    }
    return OVFieldNames::fieldOtherAddr;
}

// Google's numbered columns: "Phone 3 - Value" gives 3 for the prefix "phone" and suffix
// "value"; 0 when the key is not of that form.
int numberedColumn(std::string_view key, std::string_view prefix, std::string_view suffix) {
    if (key.size() <= prefix.size() + suffix.size() || key.substr(0, prefix.size()) != prefix ||
        !endsWith(key, suffix)) {
        return 0;
    }
    const auto digits = key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || number > 1000) {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

// A column the exact names do not know, by its words: the e-mail, phone, web and chat columns
// of the mail programs' exports ("Primary Email", "E-mail 2 Address", "Business Phone 2",
// "Mobile Number", "Website Home Page", "IM Jabber"). Columns that give a value's kind or
// label, not the value, are left out.
std::optional<ColumnTarget> columnByWords(const std::string& key) {
    using Kind = ColumnTarget::Kind;
    if (const int pair = numberedColumn(key, "phone", "value")) {
        return ColumnTarget{Kind::typedPhone, {}, pair};
    }
    if (const int pair = numberedColumn(key, "phone", "type")) {
        return ColumnTarget{Kind::phoneType, {}, pair};
    }
    for (std::string_view notAValue : {"type", "label", "rel", "displayname"}) {
        if (endsWith(key, notAValue) || (notAValue == "displayname" && contains(key, notAValue))) {
            return std::nullopt;
        }
    }
    if (contains(key, "email") || contains(key, "mail")) {
        return ColumnTarget{Kind::field, OVFieldNames::fieldEmailAddr};
    }
    if (contains(key, "phone") || contains(key, "fax") || contains(key, "pager") ||
        contains(key, "mobile")) {
        return ColumnTarget{Kind::field, phoneFieldOfKind(key)};
    }
    if (contains(key, "website") || contains(key, "webpage") || contains(key, "homepage")) {
        return ColumnTarget{Kind::field, OVFieldNames::fieldWebAddr};
    }
    if (contains(key, "jabber") || contains(key, "xmpp")) {
        return ColumnTarget{Kind::field, OVFieldNames::fieldJidAddr};
    }
    return std::nullopt;
}

std::optional<ColumnTarget> columnTarget(std::string_view header) {
    using Kind = ColumnTarget::Kind;
    static const std::map<std::string, ColumnTarget> targets = [] {
        std::map<std::string, ColumnTarget> map;
        const auto add = [&](std::initializer_list<std::string_view> names, ColumnTarget target) {
            for (auto name : names) {
                map.emplace(columnKey(name), target);
            }
        };
        add({kDisplayNameColumn, "Name", "Full Name", "FN"}, {Kind::displayName, {}});
        add({kGroupsColumn, "Group", "Categories", "Group Membership"}, {Kind::groups, {}});
        for (const auto& [title, field] : csvFieldColumns()) {
            add({title, field}, {Kind::field, field});
        }
        add({"Given Name"}, {Kind::field, fieldFirstName});
        add({"Surname", "Family Name"}, {Kind::field, fieldLastName});
        add({"Organisation", "Company", "Organization 1 - Name"}, {Kind::field, fieldOrganization});
        add({"SIP", "SIP Address", "SIP URI"}, {Kind::field, OVFieldNames::fieldSoftphone});
        add({"JID", "Jabber", "XMPP", "IM"}, {Kind::field, OVFieldNames::fieldJidAddr});
        add({"Business Phone", "Work"}, {Kind::field, OVFieldNames::fieldWorkNum});
        add({"Home"}, {Kind::field, OVFieldNames::fieldHomeNum});
        add({"Mobile", "Cell", "Cell Phone"}, {Kind::field, OVFieldNames::fieldMobileNum});
        add({"Fax Number", "Business Fax", "Home Fax"}, {Kind::field, OVFieldNames::fieldFaxNum});
        add({"E-mail", "E-mail Address", "Email Address", "Mail"},
            {Kind::field, OVFieldNames::fieldEmailAddr});
        add({"Web", "Website", "URL"}, {Kind::field, OVFieldNames::fieldWebAddr});
        add({"Other Phone"}, {Kind::field, OVFieldNames::fieldOtherAddr});
        return map;
    }();
    const std::string key = columnKey(header);
    if (auto found = targets.find(key); found != targets.end()) {
        return found->second;
    }
    return columnByWords(key);
}

struct CSVRow {
    int line = 0;
    std::vector<std::string> fields;
};

// Splits the whole text into rows after RFC 4180. Quoted fields may hold delimiters, doubled
// quotes and line breaks; a quote in an unquoted field or text after a closing quote is an
// error, so that a damaged file is reported instead of read into shifted columns.
std::variant<std::vector<CSVRow>, ContactFileError> splitCSV(std::string_view text,
                                                             char delimiter) {
    std::vector<CSVRow> rows;
    CSVRow row;
    std::string field;
    int line = 1;
    row.line = 1;
    bool quoted = false;       // inside a quoted field
    bool wasQuoted = false;    // the field being read was quoted and is closed
    bool fieldStarted = false; // anything of this field has been read
    int quoteLine = 0;

    const auto endField = [&] {
        row.fields.push_back(std::move(field));
        field.clear();
        wasQuoted = false;
        fieldStarted = false;
    };
    const auto endRow = [&] {
        endField();
        // A row that is one empty unquoted field is a blank line.
        if (!(row.fields.size() == 1 && row.fields[0].empty())) {
            rows.push_back(std::move(row));
        }
        row = CSVRow{};
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineBreak = c == '\n' || c == '\r';
        const std::size_t breakLength =
            c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field.push_back('"');
                    ++i;
                } else {
                    quoted = false;
                    wasQuoted = true;
                }
            } else if (lineBreak) {
                field.push_back('\n');
                i += breakLength - 1;
                ++line;
            } else {
                field.push_back(c);
            }
            continue;
        }
        if (c == delimiter) {
            endField();
        } else if (lineBreak) {
            i += breakLength - 1;
            endRow();
            ++line;
            row.line = line;
        } else if (wasQuoted) {
            return ContactFileError{line, "text follows the closing quote of a field"};
        } else if (c == '"') {
            if (fieldStarted) {
                return ContactFileError{line, "a quote inside a field that is not quoted"};
            }
            quoted = true;
            quoteLine = line;
            fieldStarted = true;
        } else {
            field.push_back(c);
            fieldStarted = true;
        }
    }
    if (quoted) {
        return ContactFileError{quoteLine, "the quoted field that begins here is never closed"};
    }
    if (fieldStarted || wasQuoted || !row.fields.empty()) {
        endRow();
    }
    return rows;
}

// The delimiter of the header row: the one of comma, semicolon and tab that occurs most often
// outside quotes (comma when none does).
char sniffDelimiter(std::string_view text) {
    std::size_t comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            break;
        } else if (!quoted) {
            comma += c == ',';
            semicolon += c == ';';
            tab += c == '\t';
        }
    }
    if (semicolon > comma && semicolon >= tab) {
        return ';';
    }
    if (tab > comma && tab > semicolon) {
        return '\t';
    }
    return ',';
}

// Groups in one CSV cell: names separated by ";", a ";" or "\" inside a name escaped by "\".
std::string joinGroups(const std::vector<std::string>& groups) {
    std::string joined;
    for (const auto& group : groups) {
        if (!joined.empty()) {
            joined.push_back(';');
        }
        for (char c : group) {
            if (c == ';' || c == '\\') {
                joined.push_back('\\');
            }
            joined.push_back(c);
        }
    }
    return joined;
}

std::vector<std::string> splitGroups(std::string_view text, char separator) {
    std::vector<std::string> groups;
    std::string current;
    const auto flush = [&] {
        auto name = trimmed(current);
        if (!name.empty() && std::find(groups.begin(), groups.end(), name) == groups.end()) {
            groups.push_back(std::move(name));
        }
        current.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            current.push_back(text[++i]);
        } else if (text[i] == separator) {
            flush();
        } else {
            current.push_back(text[i]);
        }
    }
    flush();
    return groups;
}

// Google's exports put several values of one column into a cell, separated by " ::: ".
constexpr std::string_view kGoogleSeparator = " ::: ";

std::vector<std::string> splitGoogleValues(std::string_view text) {
    if (text.find(kGoogleSeparator) == std::string_view::npos) {
        return {std::string(text)};
    }
    std::vector<std::string> values;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(kGoogleSeparator, start);
        auto value = trimmed(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (!value.empty()) {
            values.push_back(std::move(value));
        }
        if (at == std::string_view::npos) {
            return values;
        }
        start = at + kGoogleSeparator.size();
    }
}

// Google's "Group Membership": its own groups are marked "* " ("* My Contacts").
std::vector<std::string> splitGoogleGroups(std::string_view text) {
    auto groups = splitGoogleValues(text);
    for (auto& group : groups) {
        if (group.rfind("* ", 0) == 0) {
            group = trimmed(std::string_view(group).substr(2));
        }
    }
    return groups;
}

std::string csvQuoted(std::string_view value) {
    const bool needsQuotes = value.find_first_of(",\"\r\n;\t") != std::string_view::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsQuotes) {
        return std::string(value);
    }
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

// ---- vCard ----------------------------------------------------------------------------------

std::string escaped(std::string_view value) {
    std::string result;
    for (char c : value) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case ',':
            result += "\\,";
            break;
        case ';':
            result += "\\;";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            break;
        default:
            result.push_back(c);
        }
    }
    return result;
}

// Folds a content line at 75 octets, never inside a UTF-8 sequence; each continuation line
// starts with a space.
void appendFolded(std::string& out, std::string_view line) {
    constexpr std::size_t limit = 75;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t length = utf8SequenceLength(line, i);
        if (length == 0) {
            length = 1;
        }
        if (used + length > limit) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line.substr(i, length));
        used += length;
        i += length;
    }
    out += "\r\n";
}

// The field a TEL property goes to, from its types.
std::string_view telephoneField(const VCardProperty& property) {
    const auto is = [&](std::string_view type) { return property.hasParameter("type", type); };
    if (is("fax")) {
        return OVFieldNames::fieldFaxNum;
    }
    if (is("pager")) {
        return OVFieldNames::fieldPagerNum;
    }
    if (is("cell") || is("mobile") || is("iphone")) {
        return OVFieldNames::fieldMobileNum;
    }
    if (is("work")) {
        return OVFieldNames::fieldWorkNum;
    }
    if (is("home")) {
        return OVFieldNames::fieldHomeNum;
    }
    return OVFieldNames::fieldOtherAddr;
}

// Adds one property of a card, its value decoded, to the record being built.
void applyProperty(const VCardProperty& property, const std::string& value, ContactRecord& record,
                   bool& haveFN) {
    const auto& name = property.name;
    if (name == "FN") {
        record.displayName = unescapedVCardValue(value);
        haveFN = true;
    } else if (name == "N") {
        auto parts = splitVCardValue(value, ';');
        parts.resize(std::max<std::size_t>(parts.size(), 2));
        record.assignField(fieldLastName, parts[0]);
        record.assignField(fieldFirstName, parts[1]);
    } else if (name == "ORG") {
        record.assignField(fieldOrganization, splitVCardValue(value, ';').front());
    } else if (name == "TEL") {
        auto number = trimmed(unescapedVCardValue(value));
        if (startsWithIgnoringCase(number, "tel:")) {
            number = number.substr(4);
        }
        record.assignField(telephoneField(property), std::move(number));
    } else if (name == "EMAIL") {
        auto address = trimmed(unescapedVCardValue(value));
        if (startsWithIgnoringCase(address, "mailto:")) {
            address = address.substr(7);
        }
        record.assignField(OVFieldNames::fieldEmailAddr, std::move(address));
    } else if (name == "IMPP") {
        auto address = unescapedVCardValue(value);
        if (startsWithIgnoringCase(address, "xmpp:")) {
            record.assignField(OVFieldNames::fieldJidAddr, address.substr(5));
        } else if (startsWithIgnoringCase(address, "sip:") ||
                   startsWithIgnoringCase(address, "sips:")) {
            if (!record.field(OVFieldNames::fieldSoftphone)) {
                record.assignField(OVFieldNames::fieldSoftphone, std::move(address));
            }
        } else {
            record.assignField(OVFieldNames::fieldOtherAddr, std::move(address));
        }
    } else if (name == "X-JABBER") {
        record.assignField(OVFieldNames::fieldJidAddr, unescapedVCardValue(value));
    } else if (name == platform::VCardSoftphoneProperty || name == "X-SIP") {
        // The softphone address written by us is exact; it replaces an IMPP form read before.
        std::erase_if(record.fields,
                      [](const auto& f) { return f.first == OVFieldNames::fieldSoftphone; });
        record.assignField(OVFieldNames::fieldSoftphone, unescapedVCardValue(value));
    } else if (name == platform::VCardOtherProperty) {
        record.assignField(OVFieldNames::fieldOtherAddr, unescapedVCardValue(value));
    } else if (name == "URL") {
        record.assignField(OVFieldNames::fieldWebAddr, unescapedVCardValue(value));
    } else if (name == "CATEGORIES") {
        for (auto& group : splitVCardValue(value, ',')) {
            auto trimmedGroup = trimmed(group);
            if (!trimmedGroup.empty() && std::find(record.groups.begin(), record.groups.end(),
                                                   trimmedGroup) == record.groups.end()) {
                record.groups.push_back(std::move(trimmedGroup));
            }
        }
    }
}

} // namespace

const std::string* ContactRecord::field(std::string_view name) const {
    for (const auto& [fieldName, value] : fields) {
        if (fieldName == name) {
            return &value;
        }
    }
    return nullptr;
}

void ContactRecord::assignField(std::string_view name, std::string value) {
    if (value.empty()) {
        return;
    }
    const auto* present = field(name);
    if (!present) {
        fields.emplace_back(std::string(name), std::move(value));
        return;
    }
    const bool address = contact_files::roleOfField(name) == std::string_view("address");
    const auto* other = field(OVFieldNames::fieldOtherAddr);
    if (*present == value || (address && other && *other == value)) {
        return;
    }
    if (address && !other) {
        fields.emplace_back(std::string(OVFieldNames::fieldOtherAddr), std::move(value));
    } else {
        dropped.push_back(std::string(name) + " " + value);
    }
}

std::string ContactFileError::description() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

namespace contact_files {

std::string_view roleOfField(std::string_view fieldName) {
    if (fieldName == fieldFirstName || fieldName == fieldLastName) {
        return "name";
    }
    if (std::find(kAddressFields.begin(), kAddressFields.end(), fieldName) !=
        kAddressFields.end()) {
        return "address";
    }
    return "property";
}

std::string fallbackDisplayName(const ContactRecord& record) {
    std::string name;
    for (auto part : {fieldFirstName, fieldLastName}) {
        if (const auto* value = record.field(part); value && !value->empty()) {
            name += (name.empty() ? "" : " ") + *value;
        }
    }
    if (!name.empty()) {
        return name;
    }
    if (const auto* organization = record.field(fieldOrganization)) {
        return *organization;
    }
    for (const auto& [fieldName, value] : record.fields) {
        if (roleOfField(fieldName) == std::string_view("address") && !value.empty()) {
            return value;
        }
    }
    return {};
}

std::optional<ContactFileError> prepareText(std::string& text) {
    if (auto error = platform::prepareVCardBytes(text)) {
        return ContactFileError{error->line, std::move(error->message)};
    }
    if (const auto bad = firstInvalidUtf8(text)) {
        if (platform::text_encoding::isDamagedUtf8(text)) {
            return ContactFileError{platform::lineOfTextOffset(text, *bad),
                                    "the text is not valid UTF-8"};
        }
        text = platform::text_encoding::undeclaredToUtf8(text);
    }
    return std::nullopt;
}

ContactParseResult parseCSV(std::string text, std::string_view delimiterText) {
    if (auto error = prepareText(text)) {
        return *error;
    }
    const char delimiter = delimiterText.empty() ? sniffDelimiter(text) : delimiterText.front();
    auto split = splitCSV(text, delimiter);
    if (auto* error = std::get_if<ContactFileError>(&split)) {
        return *error;
    }
    auto& rows = std::get<std::vector<CSVRow>>(split);
    if (rows.empty()) {
        return ContactFileError{0, "the file is empty"};
    }
    const CSVRow& header = rows.front();
    std::vector<std::optional<ColumnTarget>> columns;
    bool known = false;
    for (const auto& title : header.fields) {
        columns.push_back(columnTarget(trimmed(title)));
        known = known || columns.back().has_value();
    }
    if (!known) {
        return ContactFileError{header.line, "the header row names no known column (such as \"" +
                                                 std::string(kDisplayNameColumn) +
                                                 "\" or \"Email\")"};
    }
    std::vector<ContactRecord> records;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        CSVRow row = rows[r];
        // Mail programs end each row with a delimiter, some without ending the header so.
        if (row.fields.size() == header.fields.size() + 1 && row.fields.back().empty()) {
            row.fields.pop_back();
        }
        if (row.fields.size() > header.fields.size()) {
            return ContactFileError{row.line, "the row has " + std::to_string(row.fields.size()) +
                                                  " fields, the header " +
                                                  std::to_string(header.fields.size())};
        }
        ContactRecord record;
        std::map<int, std::string> phoneTypes;
        for (std::size_t c = 0; c < row.fields.size(); ++c) {
            if (columns[c] && columns[c]->kind == ColumnTarget::Kind::phoneType) {
                phoneTypes[columns[c]->pair] = row.fields[c];
            }
        }
        for (std::size_t c = 0; c < row.fields.size(); ++c) {
            if (!columns[c]) {
                continue;
            }
            const std::string& value = row.fields[c];
            switch (columns[c]->kind) {
            case ColumnTarget::Kind::displayName:
                if (record.displayName.empty()) {
                    record.displayName = value;
                }
                break;
            case ColumnTarget::Kind::groups:
                for (auto& group :
                     value.find(kGoogleSeparator) != std::string::npos || value.rfind("* ", 0) == 0
                         ? splitGoogleGroups(value)
                         : splitGroups(value, ';')) {
                    if (std::find(record.groups.begin(), record.groups.end(), group) ==
                        record.groups.end()) {
                        record.groups.push_back(std::move(group));
                    }
                }
                break;
            case ColumnTarget::Kind::field:
                for (auto& part : splitGoogleValues(value)) {
                    record.assignField(columns[c]->field, std::move(part));
                }
                break;
            case ColumnTarget::Kind::typedPhone:
                for (auto& part : splitGoogleValues(value)) {
                    record.assignField(phoneFieldOfKind(phoneTypes[columns[c]->pair]),
                                       std::move(part));
                }
                break;
            case ColumnTarget::Kind::phoneType:
                break;
            }
        }
        if (record.displayName.empty()) {
            record.displayName = fallbackDisplayName(record);
        }
        // A row with neither a name nor a field is no contact.
        if (record.displayName.empty() && record.fields.empty()) {
            continue;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string writeCSV(const std::vector<ContactRecord>& records) {
    const auto& columns = csvFieldColumns();
    std::string out = csvQuoted(kDisplayNameColumn);
    for (const auto& [title, field] : columns) {
        out += "," + csvQuoted(title);
    }
    out += "," + csvQuoted(kGroupsColumn) + "\r\n";
    for (const auto& record : records) {
        out += csvQuoted(record.displayName);
        for (const auto& [title, field] : columns) {
            const auto* value = record.field(field);
            out += "," + csvQuoted(value ? *value : std::string());
        }
        out += "," + csvQuoted(joinGroups(record.groups)) + "\r\n";
    }
    return out;
}

ContactParseResult parseVCard(std::string text) {
    auto cards = platform::readVCards(std::move(text));
    if (auto* error = std::get_if<platform::VCardError>(&cards)) {
        return ContactFileError{error->line, std::move(error->message)};
    }
    std::vector<ContactRecord> records;
    for (const auto& card : std::get<std::vector<platform::VCardCard>>(cards)) {
        ContactRecord record;
        bool haveFN = false;
        for (const auto& property : card.properties) {
            applyProperty(property, property.value, record, haveFN);
        }
        if (!haveFN || record.displayName.empty()) {
            record.displayName = fallbackDisplayName(record);
        }
        if (!record.displayName.empty() || !record.fields.empty()) {
            records.push_back(std::move(record));
        }
    }
    return records;
}

std::string writeVCard(const ContactRecord& record) {
    std::string out;
    const auto line = [&](std::string_view text) { appendFolded(out, text); };
    const auto value = [&](std::string_view field) {
        const auto* found = record.field(field);
        return found ? *found : std::string();
    };
    line("BEGIN:VCARD");
    line("VERSION:3.0");
    line("FN:" + escaped(record.displayName));
    line("N:" + escaped(value(fieldLastName)) + ";" + escaped(value(fieldFirstName)) + ";;;");
    const std::pair<std::string_view, std::string_view> lines[] = {
        {fieldOrganization, "ORG"},
        {OVFieldNames::fieldWorkNum, "TEL;TYPE=WORK,VOICE"},
        {OVFieldNames::fieldHomeNum, "TEL;TYPE=HOME,VOICE"},
        {OVFieldNames::fieldMobileNum, "TEL;TYPE=CELL"},
        {OVFieldNames::fieldFaxNum, "TEL;TYPE=FAX"},
        {OVFieldNames::fieldPagerNum, "TEL;TYPE=PAGER"},
        {OVFieldNames::fieldEmailAddr, "EMAIL;TYPE=INTERNET"},
        {OVFieldNames::fieldWebAddr, "URL"},
        {OVFieldNames::fieldOtherAddr, platform::VCardOtherProperty},
    };
    for (const auto& [field, property] : lines) {
        if (const auto* found = record.field(field)) {
            line(std::string(property) + ":" + escaped(*found));
        }
    }
    if (const auto* jid = record.field(OVFieldNames::fieldJidAddr)) {
        line("IMPP:xmpp:" + escaped(*jid));
    }
    if (const auto* softphone = record.field(OVFieldNames::fieldSoftphone)) {
        // Other programs read the SIP address as IMPP; the exact value, with or without its
        // scheme, travels in a property of our own.
        if (startsWithIgnoringCase(*softphone, "sip:") ||
            startsWithIgnoringCase(*softphone, "sips:")) {
            line("IMPP:" + escaped(*softphone));
        }
        line(std::string(platform::VCardSoftphoneProperty) + ":" + escaped(*softphone));
    }
    if (!record.groups.empty()) {
        std::string categories;
        for (const auto& group : record.groups) {
            categories += (categories.empty() ? "" : ",") + escaped(group);
        }
        line("CATEGORIES:" + categories);
    }
    line("END:VCARD");
    return out;
}

std::string vCardFileName(const ContactRecord& record) {
    std::string name;
    for (std::size_t i = 0; i < record.displayName.size();) {
        auto length = utf8SequenceLength(record.displayName, i);
        if (length == 0) {
            length = 1;
        }
        const auto c = static_cast<unsigned char>(record.displayName[i]);
        if (length == 1 && (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':')) {
            name.push_back('_');
        } else if (name.size() + length <= 120) {
            name.append(record.displayName, i, length);
        }
        i += length;
    }
    name = trimmed(name);
    // A name of dots alone would be the folder itself or its parent, or hidden.
    while (!name.empty() && name.front() == '.') {
        name.erase(0, 1);
    }
    if (name.empty()) {
        name = "contact";
    }
    return name + ".vcf";
}

} // namespace contact_files
