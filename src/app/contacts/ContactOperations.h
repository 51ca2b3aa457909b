#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Responder.h"
#include "support/PresenceMessageTranslator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class OVEntity;
class OVField;
class Conversation;

namespace platform {
class Alert;
class Menu;
class MenuItem;
class MenuDelegate;
class Window;
} // namespace platform

// The contacts a menu or an action works on: groups and contacts, as selected.
using ContactSelection = std::vector<std::shared_ptr<OVEntity>>;

// The operations on the contact list that the rest of the interface calls. For now: the
// presence words, engine word to display text and back. The one instance registers itself as
// the contact list's presence-message translator when it is first asked for, which the
// application does at start-up.
//
// It also builds every contact menu (ContactOperations_Menus.cpp) and carries out what the
// items ask (ContactOperations_Actions.cpp): each builder appends to the caller's menu, or to
// a new one when given none, opens its block with a separator and takes it away again when it
// added nothing. Items target this object and hold what they act on as their represented
// object: an address field, a contact or group, a selection, an address, or a group chat.
class ContactOperations : public platform::Object,
                          public PresenceMessageTranslator,
                          public platform::ActionTarget {
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

    // Menu builders. nullptr where the menu does not apply (see each); otherwise the menu
    // given, or a new one.
    using MenuPtr = std::shared_ptr<platform::Menu>;
    // Call, video call and add-to-call items for an address that is no contact's.
    MenuPtr callMenuForNonContacts(MenuPtr menu, std::string_view address) const;
    // One contact with callable addresses: call, video call and add to call, each with a
    // submenu of the addresses when there are several.
    MenuPtr callMenuForContacts(const ContactSelection& selection, MenuPtr menu) const;
    // One contact: an item per callable address, calling it or adding it to the call.
    MenuPtr audioCallMenuForContacts(const ContactSelection& selection, MenuPtr menu,
                                     bool isConference) const;
    // One contact, an account for text messages and text messaging on.
    MenuPtr SMSMenuForContacts(const ContactSelection& selection, MenuPtr menu) const;
    // An account for chats, chats on and a selection: chat, send files, broadcast, group chat.
    MenuPtr IMMenuForContacts(const ContactSelection& selection, MenuPtr menu) const;
    // The edit items of one group, one contact or of several items; nullptr for none.
    MenuPtr editMenuForEntities(const ContactSelection& selection, MenuPtr menu) const;
    MenuPtr editMenuForSingleGroup(const std::shared_ptr<OVEntity>& group, MenuPtr menu) const;
    MenuPtr editMenuForSingleContact(const std::shared_ptr<OVEntity>& contact, MenuPtr menu) const;
    // When an item of the menu has a picture, the others get a blank one of the same size, so
    // that the titles line up.
    static void fillMenuImage(platform::Menu& menu);
    // The label of a kind of address ("Mobile" for the mobile number); empty for other fields.
    static std::string addressTypeLabel(std::string_view fieldName);
    // The label of an address in a menu of several: "<type>: <address>".
    std::string addressLabel(const OVField& field) const;
    // A menu whose delegate is the favourites list deletes from the favourites.
    static void setFavouritesMenuDelegate(platform::MenuDelegate* delegate);
    // Whether the address belongs to a member of the hosted service (their items carry its
    // mark). The engine reports no members yet.
    static bool hasConnectPresence(const OVField& field);

    // Actions: each reads the item's represented object; a wrong kind of object does nothing.
    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;

    void call(const platform::Value& object);
    void videoCall(const platform::Value& object);
    void addToCall(const platform::Value& object);
    void sendIM(const platform::Value& object);
    void sendIMViaXMPP(const platform::Value& object);
    void sendSMS(const platform::Value& object);
    void broadcastIM(const platform::Value& object);
    void startGroupChat(const platform::Value& object);
    void sendFilesXMPP(const platform::Value& object);
    void addNewContactToGroup(const platform::Value& object);
    void newGroup(const platform::Value& object);
    void renameItems(const platform::Value& object);
    void addToFav(const platform::Value& object);
    void removeFromFav(const platform::Value& object);
    void addToAlertList(const platform::Value& object);
    void removeFromAlertList(const platform::Value& object);
    void block(const platform::Value& object, bool blocked);
    void mergeItems(const platform::Value& object);
    // The split runs 0.2 s later, once the menu has closed.
    void splitItems(const platform::Value& object);
    void splitItemsCallback(const std::shared_ptr<OVEntity>& contact);
    void showCallHistory(const platform::Value& object);
    void viewIMArchive(const platform::Value& object);
    void inviteFriends(const platform::Value& object);

    // Opens the contact in the contact editor (or brings its editor forward).
    void editContact(const std::shared_ptr<OVEntity>& contact);
    void inviteOneFriend(const std::shared_ptr<OVEntity>& contact);
    // Asks before deleting groups and contacts (an empty group goes at once).
    void deleteEntities(const ContactSelection& items, bool fromFavourites);
    // Whether a broadcast to the selection can reach anyone: the feature is on and a contact
    // has an address a chat can be opened on.
    bool canBroadcastIM(const ContactSelection& items) const;
    // Asks for files to send to the contact, then sends them.
    void requestFileTransfer(const std::shared_ptr<OVEntity>& contact);
    // Sends the existing, non-folder paths to the contact's chat address, unless they are more
    // than the engine sends at once (a warning then).
    void sendFiles(const std::vector<std::string>& paths, const std::shared_ptr<OVEntity>& contact);
    void deleteGroup(const std::shared_ptr<OVEntity>& group);

    // Tells the user, on the main window, that what they asked for is not there yet.
    static void notAvailableYet(const std::string& what);
    // The alert the operations show now (a question or a notice), or nullptr.
    platform::Alert* shownAlert() const;

private:
    std::shared_ptr<platform::MenuItem> addItem(platform::Menu& menu, std::string title,
                                                std::string action,
                                                platform::Value object = {}) const;
    void showSheet(const std::string& message, const std::string& info,
                   std::function<void(int)> done = {});

    std::weak_ptr<platform::Alert> _shownAlert;
};

// The selection an item or an action acts on: a single entity becomes a one-element list;
// anything but entities is left out.
ContactSelection contactSelectionFromValue(const platform::Value& object);
// The entity list as an item's represented object.
platform::Value valueFromContactSelection(const ContactSelection& selection);
