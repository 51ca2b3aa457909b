#pragma once

#include "platform/foundation/Object.h"
#include "support/PresenceMessageTranslator.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class OVEntity;

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

    // A new contact of the signed-in user's contact manager for an address typed or received:
    // the fields of quickContactFields. nullptr before the engine has a phone service.
    std::shared_ptr<OVEntity> createContact(std::string_view displayName, std::string_view address,
                                            std::string_view fieldName) const;
    // The fields of such a contact: the display name (the given one, else the address up to
    // its "@") and the address under `fieldName`. The address loses any leading scheme
    // ("sip:", "SIPS:", "tel:" ...) and then whatever follows a ":" (a port).
    static std::vector<std::pair<std::string, std::string>>
    quickContactFields(std::string_view displayName, std::string_view address,
                       std::string_view fieldName);
};
