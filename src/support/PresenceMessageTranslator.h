#pragma once

#include <string>
#include <string_view>

// Turns the engine's presence words ("Away", "On the phone") into the texts the interface
// shows, and back. The contact operations of the application provide the two translators (one
// for the contact list, one for the personal address book); they register themselves here
// because the helpers of this layer must not reach up into the application.
class PresenceMessageTranslator {
public:
    virtual ~PresenceMessageTranslator() = default;
    virtual std::string translatePresenceMessage(std::string_view message) const = 0;
    virtual std::string translatePresenceMessageReverse(std::string_view text) const = 0;
};

enum class PresenceMessageTranslatorKind { Contacts, PersonalAddressBook };

// Not owned: the translators are the application's singletons. A null translator unregisters.
void setPresenceMessageTranslator(PresenceMessageTranslatorKind kind,
                                  const PresenceMessageTranslator* translator);
const PresenceMessageTranslator* presenceMessageTranslator(PresenceMessageTranslatorKind kind);

// The translator of the personal address book while the engine's feature "allow_pab" is on,
// else that of the contact list; nullptr when that one is not registered.
const PresenceMessageTranslator* currentPresenceMessageTranslator();

// Through the current translator; the text unchanged when there is none.
std::string translatePresenceMessage(std::string_view message);
std::string translatePresenceMessageReverse(std::string_view text);

// Whether the engine's feature "allow_pab" (the personal address book instead of the contact
// list) is on.
bool personalAddressBookEnabled();
