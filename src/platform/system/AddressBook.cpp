#include "platform/system/AddressBook.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/VCard.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace platform {

namespace {

// The label of a TEL property from its types.
std::string phoneLabel(const VCardProperty& property) {
    const auto is = [&](std::string_view type) { return property.hasParameter("type", type); };
    if (is("softphone") || is("x-softphone")) {
        return std::string(AddressBookSoftphoneLabel);
    }
    if (is("jid") || is("x-jid")) {
        return std::string(AddressBookJidLabel);
    }
    if (is("fax")) {
        return std::string(is("work") ? AddressBookWorkFaxLabel : AddressBookHomeFaxLabel);
    }
    if (is("pager")) {
        return std::string(AddressBookPagerLabel);
    }
    if (is("cell") || is("mobile") || is("iphone")) {
        return std::string(AddressBookMobileLabel);
    }
    if (is("work")) {
        return std::string(AddressBookWorkLabel);
    }
    if (is("home")) {
        return std::string(AddressBookHomeLabel);
    }
    for (const auto& type : property.types()) {
        if (type != "voice" && type != "pref" && type != "text" && !type.empty()) {
            return type;
        }
    }
    return std::string(AddressBookOtherLabel);
}

std::string emailLabel(const VCardProperty& property) {
    for (const auto& type : property.types()) {
        if (type != "internet" && type != "pref" && type != "x400" && !type.empty()) {
            return type;
        }
    }
    return std::string(AddressBookOtherLabel);
}

// Whether a card gives anything a contact is made of: a name, a number, an address. A card
// of groups alone, or of empty values, is no contact.
bool givesContact(const VCardCard& card) {
    for (const auto& property : card.properties) {
        const auto& name = property.name;
        if (name == "NICKNAME" || name == "TEL" || name == "EMAIL") {
            return true;
        }
        if (name == "CATEGORIES") {
            continue;
        }
        auto parts = splitVCardValue(property.value, name == "N" || name == "ORG" ? ';' : 0);
        parts.resize(name == "N" ? 2 : 1);
        for (const auto& part : parts) {
            if (!trimmedWhitespace(part, " \t").empty()) {
                return true;
            }
        }
    }
    return false;
}

AddressBookPerson personOf(const VCardCard& card) {
    AddressBookPerson person;
    std::string softphone;
    std::string jid;
    for (const auto& property : card.properties) {
        const auto& name = property.name;
        if (name == "N") {
            auto parts = splitVCardValue(property.value, ';');
            parts.resize(std::max<std::size_t>(parts.size(), 2));
            if (person.lastName.empty()) {
                person.lastName = parts[0];
            }
            if (person.firstName.empty()) {
                person.firstName = parts[1];
            }
        } else if (name == "ORG") {
            if (person.organization.empty()) {
                person.organization = splitVCardValue(property.value, ';').front();
            }
        } else if (name == "IMPP") {
            const std::string address = unescapedVCardValue(property.value);
            if (startsWithIgnoringCase(address, "xmpp:")) {
                if (jid.empty()) {
                    jid = address.substr(5);
                }
            } else if (startsWithIgnoringCase(address, "sip:") ||
                       startsWithIgnoringCase(address, "sips:")) {
                if (softphone.empty()) {
                    softphone = address;
                }
            }
        } else if (name == "X-JABBER") {
            if (jid.empty()) {
                jid = unescapedVCardValue(property.value);
            }
        } else if (name == VCardSoftphoneProperty || name == "X-SIP") {
            // The softphone address the program wrote is exact; it replaces an IMPP form.
            softphone = unescapedVCardValue(property.value);
        }
        if (name != "NICKNAME" && name != "TEL" && name != "EMAIL") {
            continue;
        }
        const std::string value = trimmedWhitespace(unescapedVCardValue(property.value), " \t");
        if (value.empty()) {
            continue;
        }
        if (name == "NICKNAME" && person.nickname.empty()) {
            person.nickname = value.substr(0, value.find(','));
        } else if (name == "TEL") {
            std::string number = value;
            if (number.size() > 4 &&
                (number.compare(0, 4, "tel:") == 0 || number.compare(0, 4, "TEL:") == 0)) {
                number = number.substr(4);
            }
            person.phones.emplace_back(phoneLabel(property), std::move(number));
        } else if (name == "EMAIL") {
            std::string address = value;
            if (address.size() > 7 && address.compare(0, 7, "mailto:") == 0) {
                address = address.substr(7);
            }
            person.emails.emplace_back(emailLabel(property), std::move(address));
        }
    }
    // Addresses the card gives as chat or SIP addresses count as the custom labels.
    if (!softphone.empty()) {
        person.phones.emplace_back(AddressBookSoftphoneLabel, std::move(softphone));
    }
    if (!jid.empty()) {
        person.phones.emplace_back(AddressBookJidLabel, std::move(jid));
    }
    return person;
}

class VCardFolderAddressBook : public AddressBook {
public:
    explicit VCardFolderAddressBook(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::string location() const override { return folder_.string(); }

    AddressBookContents people() const override {
        AddressBookContents contents;
        std::error_code error;
        if (!std::filesystem::is_directory(folder_, error)) {
            contents.failure = "the folder " + folder_.string() + " does not exist";
            return contents;
        }
        std::vector<std::filesystem::path> files;
        for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
             it.increment(error)) {
            std::string extension = it->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (extension == ".vcf" && it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        if (error) {
            contents.failure =
                "the folder " + folder_.string() + " cannot be read: " + error.message();
            return contents;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string name = file.filename().string();
            std::ifstream in(file, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            if (!in.good() && !in.eof()) {
                contents.skipped.push_back(name + ": the file cannot be read");
                continue;
            }
            auto people = peopleOfVCards(text.str());
            if (const auto* failure = std::get_if<std::string>(&people)) {
                contents.skipped.push_back(name + ": " + *failure);
                continue;
            }
            auto& read = std::get<std::vector<AddressBookPerson>>(people);
            if (read.empty()) {
                contents.skipped.push_back(name + ": the file holds no card");
                continue;
            }
            std::move(read.begin(), read.end(), std::back_inserter(contents.people));
        }
        return contents;
    }

private:
    std::filesystem::path folder_;
};

} // namespace

std::unique_ptr<AddressBook> AddressBook::vCardFolder(std::filesystem::path folder) {
    return std::make_unique<VCardFolderAddressBook>(std::move(folder));
}

std::variant<std::vector<AddressBookPerson>, std::string>
AddressBook::peopleOfVCards(std::string text) {
    auto cards = readVCards(std::move(text));
    if (const auto* failure = std::get_if<VCardError>(&cards)) {
        return failure->description();
    }
    std::vector<AddressBookPerson> people;
    for (const auto& card : std::get<std::vector<VCardCard>>(cards)) {
        if (givesContact(card)) {
            people.push_back(personOf(card));
        }
    }
    return people;
}

std::filesystem::path AddressBook::defaultVCardFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        return std::filesystem::path(data) / "contacts";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".local" / "share" / "contacts";
}

std::unique_ptr<AddressBook>
AddressBook::system(const std::optional<std::filesystem::path>& chosen) {
    if (chosen && !chosen->empty()) {
        return vCardFolder(*chosen);
    }
    if (auto book = desktop()) {
        return book;
    }
    return vCardFolder(defaultVCardFolder());
}

#ifndef LUMIQ_HAVE_EBOOK
std::unique_ptr<AddressBook> AddressBook::desktop() {
    return nullptr;
}
#endif

} // namespace platform
