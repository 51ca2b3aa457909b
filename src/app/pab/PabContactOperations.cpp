#include "app/pab/PabContactOperations.h"

#include "app/contacts/ContactOperations.h"
#include "engine/OVContactManager.h"
#include "support/Localization.h"

#include <array>

namespace {

struct PresenceWord {
    std::string_view engineWord;
    std::string_view key;
    std::string_view defaultText;
};

constexpr std::array<PresenceWord, 11> kShownWords = {{
    {"Available", "msg.presence.status.connected", "Connected"},
    {"Connected", "msg.presence.status.connected", "Connected"},
    {"Busy", "msg.presence.status.busy", "Busy"},
    {"Away", "msg.presence.status.away", "Away"},
    {"On the phone", "msg.presence.status.on_the_phone", "On the phone"},
    {"Not available for calls", "msg.presence.status.NotAvailableForCalls",
     "Not available for calls"},
    {"Out To Lunch", "msg.presence.status.OutToLunch", "Out To Lunch"},
    {"On Vacation", "msg.presence.status.OnVacation", "On Vacation"},
    {"Do not disturb", "msg.presence.status.dnd", "Do not disturb"},
    {"Offline", "msg.presence.status.offline", "Offline"},
    {"Idle", "msg.presence.status.idle", "Idle"},
}};

// The reverse order: both "Available" and "Connected" texts go back as "Connected".
constexpr std::array<PresenceWord, 11> kReverseWords = {{
    {"Connected", "msg.presence.status.available", "Available"},
    {"Connected", "msg.presence.status.connected", "Connected"},
    {"Busy", "msg.presence.status.busy", "Busy"},
    {"Away", "msg.presence.status.away", "Away"},
    {"On the phone", "msg.presence.status.on_the_phone", "On the phone"},
    {"Not available for calls", "msg.presence.status.NotAvailableForCalls",
     "Not available for calls"},
    {"Do not disturb", "msg.presence.status.dnd", "Do not disturb"},
    {"Out To Lunch", "msg.presence.status.OutToLunch", "Out To Lunch"},
    {"On Vacation", "msg.presence.status.OnVacation", "On Vacation"},
    {"Offline", "msg.presence.status.offline", "Offline"},
    {"Idle", "msg.presence.status.idle", "Idle"},
}};

} // namespace

PabContactOperations& PabContactOperations::instance() {
    static PabContactOperations operations;
    return operations;
}

PabContactOperations::PabContactOperations() {
    setPresenceMessageTranslator(PresenceMessageTranslatorKind::PersonalAddressBook, this);
}

PabContactOperations::~PabContactOperations() {
    if (presenceMessageTranslator(PresenceMessageTranslatorKind::PersonalAddressBook) == this) {
        setPresenceMessageTranslator(PresenceMessageTranslatorKind::PersonalAddressBook, nullptr);
    }
}

bool PabContactOperations::showAvailChecked(const std::shared_ptr<OVEntity>& contact) const {
    const auto field = contact ? contact->getFieldByName("showAvailability") : nullptr;
    return field && field->valueStr() == OVField::fieldValueTrue;
}

std::string PabContactOperations::translatePresenceMessage(std::string_view message) const {
    for (const auto& word : kShownWords) {
        if (message == word.engineWord) {
            return QXLS(word.key, word.defaultText);
        }
    }
    return ContactOperations::presenceNoteOnOneLine(message);
}

std::string PabContactOperations::translatePresenceMessageReverse(std::string_view text) const {
    for (const auto& word : kReverseWords) {
        if (text == QXLS(word.key, word.defaultText)) {
            return std::string(word.engineWord);
        }
    }
    return std::string(text);
}
