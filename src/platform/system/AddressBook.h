#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

// The labels of a person's phone numbers: the standard ones and the two custom ones the
// contact import knows ("softphone" for the softphone address, "jid" for the chat address).
// Any other label stands as the address book has it.
inline constexpr std::string_view AddressBookHomeLabel = "home";
inline constexpr std::string_view AddressBookWorkLabel = "work";
inline constexpr std::string_view AddressBookMobileLabel = "mobile";
inline constexpr std::string_view AddressBookHomeFaxLabel = "homeFax";
inline constexpr std::string_view AddressBookWorkFaxLabel = "workFax";
inline constexpr std::string_view AddressBookPagerLabel = "pager";
inline constexpr std::string_view AddressBookSoftphoneLabel = "softphone";
inline constexpr std::string_view AddressBookJidLabel = "jid";
inline constexpr std::string_view AddressBookOtherLabel = "other";

// A person of the address book: the name parts, organisation, and the phone numbers and
// e-mail addresses as labelled values in the book's order.
struct AddressBookPerson {
    std::string firstName;
    std::string lastName;
    std::string nickname;
    std::string organization;
    std::vector<std::pair<std::string, std::string>> phones;
    std::vector<std::pair<std::string, std::string>> emails;
};

// What reading an address book gave: its people, the entries left out (each "name: why"),
// and, when the book could not be read at all, why.
struct AddressBookContents {
    std::vector<AddressBookPerson> people;
    std::vector<std::string> skipped;
    std::optional<std::string> failure;
};

// The desktop user's own address book, whichever kind it is.
class AddressBook {
public:
    virtual ~AddressBook() = default;
    // What it is, for the user: the folder, or the desktop's address book.
    virtual std::string location() const = 0;
    virtual AddressBookContents people() const = 0;

    // A folder of vCard files, one contact a file, as the CardDAV sync tools keep them: every
    // "*.vcf" file in it (not in folders below it), in the order of their names. A file that
    // cannot be read is skipped and reported by its name.
    static std::unique_ptr<AddressBook> vCardFolder(std::filesystem::path folder);
    // The desktop's address books through its address-book service (every enabled book the
    // service lists). nullptr when this build has no such service, when the session has no
    // message bus, or when the service cannot be reached on it.
    static std::unique_ptr<AddressBook> desktop();
    // The folder the vCard address book uses unless the user chose another:
    // $XDG_DATA_HOME/contacts (~/.local/share/contacts).
    static std::filesystem::path defaultVCardFolder();
    // The user's address book: the vCard folder the user chose when there is one, else the
    // desktop's service when this build has one, else the default vCard folder.
    static std::unique_ptr<AddressBook> system(const std::optional<std::filesystem::path>& chosen);

    // The people of vCard text, as every kind of book turns a card into a person: cards that
    // give no name, number or address are left out. The reader's reason when the text cannot
    // be read.
    static std::variant<std::vector<AddressBookPerson>, std::string>
    peopleOfVCards(std::string text);
};

} // namespace platform
