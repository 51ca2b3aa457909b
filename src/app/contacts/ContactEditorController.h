#pragma once

#include "app/contacts/ContactContentController.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"
#include "platform/kit/Window.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OVContactManager;
class OVEntity;

namespace platform {
class Alert;
class Button;
class Menu;
class PopUpButton;
class ScrollView;
class TextField;
class View;
} // namespace platform

// The window in which a contact is added or edited: a stack of its sources (one view each),
// above them the groups it belongs to, below them which source's name it shows, its default
// call, presence and text-message addresses, Split, Cancel and OK. One editor per contact:
// the callers ask doesDisplay (or doesAdding for an address) first, which brings an open
// editor forward, and open a new one only when none is open.
//
// Menus are in ContactEditorController_Menus.cpp, saving in ContactEditorController_Save.cpp.
class ContactEditorController : public platform::Object,
                                public platform::ActionTarget,
                                public platform::WindowDelegate,
                                public std::enable_shared_from_this<ContactEditorController> {
    struct Key {
        explicit Key() = default;
    };

public:
    // Opens an editor for the contact, cascaded from the last one.
    static std::shared_ptr<ContactEditorController>
    openForContact(std::shared_ptr<OVEntity> contact);
    // Whether an open editor holds the address (user parts compared) or shows the contact;
    // that editor comes to the front.
    static bool doesAdding(std::string_view address);
    // Adds a party of a call or chat as a contact: an editor already holding the address comes
    // to the front; otherwise one opens on a new contact of the name and the address, kept in
    // the field `fieldType`. Answers the new editor, nullptr when none opened.
    static std::shared_ptr<ContactEditorController>
    addParty(std::string_view displayName, std::string_view address, std::string_view fieldType);
    static bool doesDisplay(const std::shared_ptr<OVEntity>& contact);
    static ContactEditorController* findControllerForAddress(std::string_view address);
    static ContactEditorController*
    findControllerForContact(const std::shared_ptr<OVEntity>& contact);
    // Closes the editor of the contact, if any.
    static void close(const std::shared_ptr<OVEntity>& contact);
    // Closes every editor (shutdown, tests).
    static void cleanup();
    static const std::vector<std::shared_ptr<ContactEditorController>>& openControllers();
    // The label of a kind of address ("Mobile" for the mobile number); "" for other fields.
    static std::string stringForContactAddressType(std::string_view fieldName);

    ContactEditorController(Key key, std::shared_ptr<OVEntity> contact);
    ~ContactEditorController() override;
    ContactEditorController(const ContactEditorController&) = delete;
    ContactEditorController& operator=(const ContactEditorController&) = delete;

    const std::shared_ptr<OVEntity>& contact() const { return _contact; }
    platform::Window& window() const { return *_window; }
    const std::vector<std::shared_ptr<ContactContentController>>& sources() const {
        return _sources;
    }
    const std::vector<std::string>& selectedGroups() const { return _selectedGroups; }
    const std::string& displayName() const { return _displayName; }
    bool isNewContact() const { return _isNewContact; }

    // Controls, for tests.
    platform::PopUpButton& groupsPopup() const { return *_popUpGroups; }
    platform::PopUpButton& displayAsPopup() const { return *_popUpDisplayAs; }
    platform::PopUpButton& defaultCallPopup() const { return *_defaultCallPopup; }
    platform::PopUpButton& defaultPresencePopup() const { return *_defaultPresencePopup; }
    platform::PopUpButton& defaultSMSPopup() const { return *_defaultSMSPopup; }
    platform::Button& okButton() const { return *_okButton; }
    platform::Button& cancelButton() const { return *_cancelButton; }
    platform::Button& splitButton() const { return *_buttonSplit; }
    platform::Button& avatarButton() const { return *_avatarButton; }
    platform::Menu& avatarMenu() const { return *_avatarMenu; }
    // The alert the editor shows now, or nullptr.
    platform::Alert* shownAlert() const;

    // Used by the source views.
    void setDefaultCallAddress(EditableAddressPtr row) { _defaultCall = std::move(row); }
    void setDefaultPresenceAddress(EditableAddressPtr row) { _defaultPresence = std::move(row); }
    void setDefaultSMSAddress(EditableAddressPtr row) { _defaultSMS = std::move(row); }
    // The source whose picture is the contact's.
    void setDefaultAvatar(ContactContentController* source);
    ContactContentController* defaultAvatar() const { return _defaultAvatar.get(); }
    // Makes a roster source for the chat address and adds it as a new source; false without
    // an enabled chat account. (ContactEditorController_Xmpp.cpp)
    bool createXmppContact(const std::string& displayName, const std::string& jid,
                           const std::string& introMessage);
    // The sources' questions are the editor's shown alert.
    void setShownAlert(const std::shared_ptr<platform::Alert>& alert) { _shownAlert = alert; }
    // A message sheet on the editor (its caption and text).
    void showMessage(const std::string& caption, const std::string& text);
    const EditableAddressPtr& defaultCallAddress() const { return _defaultCall; }
    const EditableAddressPtr& defaultPresenceAddress() const { return _defaultPresence; }
    const EditableAddressPtr& defaultSMSAddress() const { return _defaultSMS; }
    // A source's rows or names changed: the contact-wide controls are rebuilt.
    void sourceChanged();
    // Whether a source already watches presence on exactly this address.
    bool presenceAddressExist(const std::string& address) const;
    // Tells the user the instant-message address is there already.
    void showAddressExists(const std::string& address);

    // Rebuilds every contact-wide control from the sources.
    void updateDisplay();
    // Takes a source view out of the stack (a source made here and removed again).
    void removeContentController(ContactContentController* source);
    // Brings the sources of another contact (or the one source given) in as new sources;
    // they are merged into this contact when it is saved.
    void addContact(const std::shared_ptr<OVEntity>& entity);
    // Whether the entity is the contact or one of the sources shown.
    bool isContactAdded(const std::shared_ptr<OVEntity>& entity) const;
    // Scroll the source stack to its first or last source.
    void scrollToTop();
    void scrollToBottom();
    // How far the stack is scrolled down from its top, in points (0 at the top).
    double scrolledFromTop() const;
    platform::ScrollView& addressScrollView() const { return *_addressScrollView; }

    // The window's buttons. OK validates every source, saves and closes; Cancel closes,
    // asking first when something was changed; Split makes one contact of each source.
    void okClick();
    void cancelClick();
    void splitClick();

    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool windowShouldClose(platform::Window& window) override;
    void windowWillClose(platform::Window& window) override;

private:
    void setup();
    std::shared_ptr<ContactContentController> addEntity(const std::shared_ptr<OVEntity>& entity);
    void layout();
    // Orders the window out and leaves the list of open editors.
    void closeEditor();
    std::string snapshot() const;
    void showWarning(const std::string& message);
    void contactChanged();

    // ContactEditorController_Menus.cpp
    void groupMenuNeedsUpdate();
    void avatarMenuNeedsUpdate();
    void displayMenuNeedsUpdate();
    void addressForCallMenuNeedsUpdate();
    void addressForPresenceMenuNeedsUpdate();
    void addressForSMSMenuNeedsUpdate();
    std::string getDefaultGroup() const;
    void updateGroupsForContact(const std::string& name);
    void chooseFromMenu(std::string_view action, platform::Object* sender);

    // ContactEditorController_Save.cpp
    void save();

    std::shared_ptr<OVContactManager> _contactManager;
    std::shared_ptr<OVEntity> _contact;
    std::vector<std::shared_ptr<OVEntity>> _parents;
    std::vector<std::string> _selectedGroups;
    std::vector<std::shared_ptr<ContactContentController>> _sources;
    std::vector<EditableAddressPtr> _callAddresses;
    std::vector<EditableAddressPtr> _presenceAddresses;
    EditableAddressPtr _defaultCall;
    EditableAddressPtr _defaultPresence;
    EditableAddressPtr _defaultSMS;
    std::shared_ptr<ContactContentController> _defaultDisplay;
    std::shared_ptr<ContactContentController> _defaultAvatar;
    std::string _displayName;
    bool _isNewContact = false;
    bool _alertUp = false;
    bool _closed = false;
    std::string _openedAs;
    std::weak_ptr<platform::Alert> _shownAlert;

    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::View> _topView;
    std::shared_ptr<platform::ScrollView> _addressScrollView;
    std::shared_ptr<platform::View> _stackView;
    std::shared_ptr<platform::View> _bottomView;
    std::shared_ptr<platform::PopUpButton> _popUpGroups;
    std::shared_ptr<platform::Button> _avatarButton;
    std::shared_ptr<platform::Menu> _avatarMenu;
    std::shared_ptr<platform::TextField> _contactDisplayAsLabel;
    std::shared_ptr<platform::PopUpButton> _popUpDisplayAs;
    std::shared_ptr<platform::TextField> _defaultCallLabel;
    std::shared_ptr<platform::PopUpButton> _defaultCallPopup;
    std::shared_ptr<platform::TextField> _defaultPresenceLabel;
    std::shared_ptr<platform::PopUpButton> _defaultPresencePopup;
    std::shared_ptr<platform::TextField> _defaultSMSLabel;
    std::shared_ptr<platform::PopUpButton> _defaultSMSPopup;
    std::shared_ptr<platform::Button> _buttonSplit;
    std::shared_ptr<platform::Button> _cancelButton;
    std::shared_ptr<platform::Button> _okButton;
};
