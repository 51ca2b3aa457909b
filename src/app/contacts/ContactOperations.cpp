#include "app/contacts/ContactOperations.h"

#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "support/Localization.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

struct PresenceWord {
    std::string_view engineWord;
    std::string_view key;
    std::string_view defaultText;
};

constexpr std::array<PresenceWord, 8> kPresenceWords = {{
    {"Available", "msg.presence.status.available", "Available"},
    {"Busy", "msg.presence.status.busy", "Busy"},
    {"Away", "msg.presence.status.away", "Away"},
    {"On the phone", "msg.presence.status.on_the_phone", "On the phone"},
    {"Not available for calls", "msg.presence.status.NotAvailableForCalls",
     "Not available for calls"},
    {"Do not disturb", "msg.presence.status.dnd", "Do not disturb"},
    {"Offline", "msg.presence.status.offline", "Offline"},
    {"Idle", "msg.presence.status.idle", "Idle"},
}};

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

std::string_view trim(std::string_view text, std::string_view characters) {
    const auto first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

} // namespace

ContactOperations& ContactOperations::instance() {
    static ContactOperations operations;
    return operations;
}

ContactOperations::ContactOperations() {
    setPresenceMessageTranslator(PresenceMessageTranslatorKind::Contacts, this);
}

ContactOperations::~ContactOperations() {
    if (presenceMessageTranslator(PresenceMessageTranslatorKind::Contacts) == this) {
        setPresenceMessageTranslator(PresenceMessageTranslatorKind::Contacts, nullptr);
    }
}

std::string ContactOperations::presenceNoteOnOneLine(std::string_view note) {
    const std::string_view trimmed = trim(note, " \t\n\r\v\f");
    if (trimmed.find_first_of("\n\r") == std::string_view::npos) {
        return std::string(trimmed);
    }
    std::string joined;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || isLineEnd(trimmed[i])) {
            joined.append(trimmed.substr(start, i - start));
            joined.push_back(' ');
            start = i + 1;
        }
    }
    return std::string(trim(joined, " \t"));
}

std::string ContactOperations::translatePresenceMessage(std::string_view message) const {
    for (const auto& word : kPresenceWords) {
        if (message == word.engineWord) {
            return QXLS(word.key, word.defaultText);
        }
    }
    return presenceNoteOnOneLine(message);
}

std::string ContactOperations::translatePresenceMessageReverse(std::string_view text) const {
    for (const auto& word : kPresenceWords) {
        if (text == QXLS(word.key, word.defaultText)) {
            return std::string(word.engineWord);
        }
    }
    return std::string(text);
}

namespace {

// Schemes an address may come with from calls, chats, the directory or a pasted link.
constexpr std::array<std::string_view, 9> kAddressSchemes = {
    "sip", "sips", "tel", "xmpp", "im", "pres", "h323", "callto", "mailto"};

std::string_view withoutLeadingScheme(std::string_view address) {
    const auto colon = address.find(':');
    if (colon == std::string_view::npos) {
        return address;
    }
    const auto scheme = address.substr(0, colon);
    const bool known =
        std::any_of(kAddressSchemes.begin(), kAddressSchemes.end(), [&](std::string_view s) {
            return s.size() == scheme.size() &&
                   std::equal(s.begin(), s.end(), scheme.begin(), [](char a, char b) {
                       return a == std::tolower(static_cast<unsigned char>(b));
                   });
        });
    return known ? address.substr(colon + 1) : address;
}

} // namespace

std::vector<std::pair<std::string, std::string>>
ContactOperations::quickContactFields(std::string_view displayName, std::string_view address,
                                      std::string_view fieldName) {
    std::string_view bare = withoutLeadingScheme(address);
    if (const auto colon = bare.find(':'); colon != std::string_view::npos) {
        bare = bare.substr(0, colon);
    }
    std::string name(displayName);
    if (name.empty()) {
        name = std::string(bare.substr(0, bare.find('@')));
    }
    return {{std::string(OVField::fieldDisplayName), std::move(name)},
            {std::string(fieldName), std::string(bare)}};
}

std::shared_ptr<OVEntity> ContactOperations::createContact(std::string_view displayName,
                                                           std::string_view address,
                                                           std::string_view fieldName) const {
    const auto phone = StartupService::instance().phoneService();
    if (!phone) {
        return nullptr;
    }
    return phone->getContactManager()->createLogicalEntityWithFields(
        quickContactFields(displayName, address, fieldName));
}
