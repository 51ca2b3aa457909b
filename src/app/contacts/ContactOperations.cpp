#include "app/contacts/ContactOperations.h"

#include "support/Localization.h"

#include <array>

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
