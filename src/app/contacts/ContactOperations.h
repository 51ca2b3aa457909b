#pragma once

#include "platform/foundation/Object.h"
#include "support/PresenceMessageTranslator.h"

#include <string>
#include <string_view>

// The operations on the contact list that the rest of the interface calls. For now: the
// presence words, engine word to display text and back. The one instance registers itself as
// the contact list's presence-message translator when it is first asked for, which the
// application does at start-up.
class ContactOperations : public platform::Object, public PresenceMessageTranslator {
public:
    static ContactOperations& instance();

    ContactOperations();
    ~ContactOperations() override;
    ContactOperations(const ContactOperations&) = delete;
    ContactOperations& operator=(const ContactOperations&) = delete;

    // An engine status word ("Away") gives its localised text; anything else is the user's
    // own note, shown on one line.
    std::string translatePresenceMessage(std::string_view message) const override;
    // A localised status text gives the engine's word; any other text comes back unchanged.
    std::string translatePresenceMessageReverse(std::string_view text) const override;

    // A custom note on one line: blanks and line ends trimmed at both ends, the remaining lines
    // joined by one space.
    static std::string presenceNoteOnOneLine(std::string_view note);
};
