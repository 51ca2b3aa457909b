#include "platform/system/AddressBook.h"

#include "engine/ContactFileFormats.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

bool hasType(const VCardProperty& property, std::string_view type) {
    return std::find(property.types.begin(), property.types.end(), type) != property.types.end();
}

// The label of a TEL property from its types.
std::string phoneLabel(const VCardProperty& property) {
    const auto is = [&](std::string_view type) { return hasType(property, type); };
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
    for (const auto& type : property.types) {
        if (type != "voice" && type != "pref" && type != "text" && !type.empty()) {
            return type;
        }
    }
    return std::string(AddressBookOtherLabel);
}

std::string emailLabel(const VCardProperty& property) {
    for (const auto& type : property.types) {
        if (type != "internet" && type != "pref" && type != "x400" && !type.empty()) {
            return type;
        }
    }
    return std::string(AddressBookOtherLabel);
}

AddressBookPerson personOf(const VCardCard& card) {
    AddressBookPerson person;
    const auto field = [&](std::string_view name) {
        const std::string* value = card.record.field(name);
        return value ? *value : std::string();
    };
    person.firstName = field(contact_files::fieldFirstName);
    person.lastName = field(contact_files::fieldLastName);
    person.organization = field(contact_files::fieldOrganization);
    for (const auto& property : card.properties) {
        if (property.value.empty()) {
            continue;
        }
        if (property.name == "NICKNAME" && person.nickname.empty()) {
            person.nickname = property.value.substr(0, property.value.find(','));
        } else if (property.name == "TEL") {
            std::string number = property.value;
            if (number.size() > 4 &&
                (number.compare(0, 4, "tel:") == 0 || number.compare(0, 4, "TEL:") == 0)) {
                number = number.substr(4);
            }
            person.phones.emplace_back(phoneLabel(property), std::move(number));
        } else if (property.name == "EMAIL") {
            std::string address = property.value;
            if (address.size() > 7 && address.compare(0, 7, "mailto:") == 0) {
                address = address.substr(7);
            }
            person.emails.emplace_back(emailLabel(property), std::move(address));
        }
    }
    // Addresses the card gives as chat or SIP addresses count as the custom labels.
    if (const std::string softphone = field("softphone"); !softphone.empty()) {
        person.phones.emplace_back(AddressBookSoftphoneLabel, softphone);
    }
    if (const std::string jid = field("jid"); !jid.empty()) {
        person.phones.emplace_back(AddressBookJidLabel, jid);
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
            auto cards = contact_files::parseVCardCards(text.str());
            if (const auto* failure = std::get_if<ContactFileError>(&cards)) {
                contents.skipped.push_back(name + ": " + failure->description());
                continue;
            }
            const auto& read = std::get<std::vector<VCardCard>>(cards);
            if (read.empty()) {
                contents.skipped.push_back(name + ": the file holds no card");
                continue;
            }
            for (const auto& card : read) {
                contents.people.push_back(personOf(card));
            }
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
