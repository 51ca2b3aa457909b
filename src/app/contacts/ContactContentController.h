#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ContactEditorController;
class OVEntity;
class OVField;

namespace platform {
class Box;
class Button;
class Image;
class OpenPanel;
class Panel;
class PopUpButton;
class TextField;
class View;
} // namespace platform

// One address row of a source in the contact editor: its kind (a field name), the value as
// stored and as shown, and the engine field it came from (none for a row added here).
struct EditableContactAddress {
    std::string addressType;
    std::string addressValue;
    std::string addressValueToDisplay;
    std::shared_ptr<OVField> field;
};
using EditableAddressPtr = std::shared_ptr<EditableContactAddress>;

// The view of one source (physical contact) in the contact editor: its names, a row per
// address (kind pop-up, value, remove button), a field and kind pop-up to add an address, and
// the presence pop-up over its softphone addresses. Edits stay here until the editor's OK,
// when the source validates them and writes them to its entity.
class ContactContentController : public platform::Object, public platform::ActionTarget {
public:
    static constexpr double width = 480;

    ContactContentController(std::shared_ptr<OVEntity> entity, ContactEditorController* editor);
    ~ContactContentController() override;
    ContactContentController(const ContactContentController&) = delete;
    ContactContentController& operator=(const ContactContentController&) = delete;

    // Fills the view from the entity; the editor calls it once the view is in its stack.
    void setup();
    const std::shared_ptr<OVEntity>& entity() const { return _entity; }
    std::shared_ptr<platform::View> view() const { return _view; }
    // The height the view needs for its rows.
    double height() const;

    bool isNew() const { return _isNew; }
    void setIsNew(bool flag) { _isNew = flag; }
    // Sources of the roster, the desktop's address book or a directory show their addresses
    // but do not change them.
    bool isReadOnly() const;

    // The names as typed.
    std::string firstName() const;
    std::string lastName() const;
    std::string displayName() const;
    void setDisplayName(const std::string& name);
    // Whether any name or address holds more than blanks.
    bool hasContent() const;

    // Marks: a source marked for deletion leaves the contact when it is saved, one marked
    // for splitting has the contact split. A marked source offers no call or presence
    // address. A source made in this editor is not marked but taken out at once.
    bool markedDelete() const { return _markedDelete; }
    bool markedSplit() const { return _markedSplit; }
    bool showMarkedArea() const { return _showMarkedArea; }
    void remove();
    void split();
    void cancel();
    // Shows the remove button while the editor holds two sources or more and this one is
    // writable, has content and is not the contact itself (that one is deleted from the
    // list, not from the editor).
    void updateRemoveButton();

    // The picture: PNG bytes, empty for none. Choosing one asks for a PNG or JPEG file in a
    // sheet; the file is scaled down to a small picture. A file that cannot be read as a
    // picture changes nothing and is said so in a sheet.
    const std::vector<std::uint8_t>& avatar() const { return _avatar; }
    std::shared_ptr<platform::Image> avatarImage() const;
    void avatarClicked();
    void resetAvatar();
    // Takes the picture from the file; false (and a message) when it cannot be read.
    bool loadAvatar(const std::filesystem::path& file);
    // The largest side of a chosen picture, in pixels.
    static constexpr double avatarSide = 96;

    // Reads the rows' kind pop-ups and values into the rows.
    void collect();
    const std::vector<EditableAddressPtr>& rows() const { return _rows; }
    // The rows for calls: softphone and telephone numbers, in row order.
    std::vector<EditableAddressPtr> callAddresses() const;
    // The row presence is watched on, or nullptr.
    const EditableAddressPtr& presenceAddress() const { return _defaultPresence; }
    void setPresenceAddress(EditableAddressPtr row) { _defaultPresence = std::move(row); }
    // The address kinds offered, as field names, in pop-up order.
    const std::vector<std::string>& addressChoices() const { return _choices; }

    // The address typed in the new-address field becomes a row, completed with the account's
    // domain where one is missing; an empty field does nothing.
    void addNewAddress();
    void removeAddress(const EditableAddressPtr& row);
    // nullopt, or the first row's message (Unicode letters count as letters).
    std::optional<std::string> validate();
    // Writes the names and rows to the entity (not yet stored: the editor stores the
    // contact).
    void save();

    // What the user could have changed, to tell whether Cancel loses anything.
    std::string snapshot() const;

    // Controls, for the editor and for tests.
    platform::TextField& firstNameField() const { return *_firstNameTextField; }
    platform::TextField& lastNameField() const { return *_lastNameTextField; }
    platform::TextField& displayNameField() const { return *_displayNameTextField; }
    platform::TextField& addressField() const { return *_addressTextField; }
    platform::PopUpButton& addressTypePopup() const { return *_addressTypePopup; }
    platform::Button& addButton() const { return *_addButton; }
    platform::PopUpButton& presencePopup() const { return *_defaultPresencePopup; }
    platform::Button& removeButton() const { return *_removeButton; }
    platform::Button& avatarButton() const { return *_avatarButton; }
    platform::Button& resetAvatarButton() const { return *_resetAvatarButton; }
    // The open panel while the picture is being chosen, else nullptr.
    platform::OpenPanel* avatarPanel() const { return _avatarPanel.get(); }
    platform::Button& splitButton() const { return *_splitButton; }
    platform::Button& cancelMarkButton() const { return *_cancelMarkButton; }
    platform::TextField& markedText() const { return *_deleteSplitTextField; }
    // The value field and remove button of a row.
    platform::TextField* valueFieldOf(const EditableAddressPtr& row) const;
    platform::Button* removeButtonOf(const EditableAddressPtr& row) const;

    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;

    // The presence pop-up: the softphone rows served by an account of their domain, and
    // "None".
    void rebuildPresenceMenu();

    // Presence section (ContactContentController_Presence.cpp). A roster source shows its
    // chat address and a check box that watches presence on it; others the pop-up.
    void enablePresence(bool on);
    // The Create Contact button shows while this writable, non-roster source holds a chat
    // address and a chat account is up.
    void updateCreateButton();
    // Asks for an introduction in a sheet; Continue makes the roster source (or offers to
    // merge the contact that has the address already).
    void createContact();
    void continueClick();
    void cancelIntroClick();
    const EditableAddressPtr& jidPresenceAddress() const { return _jidPresenceAddress; }
    platform::Button& presenceCheckBox() const { return *_presenceEnableCheckBox; }
    platform::TextField& presenceTextField() const { return *_presenceTextField; }
    platform::TextField& presenceLabel() const { return *_presenceLabel; }
    platform::Button& createContactButton() const { return *_createContactButton; }
    platform::Panel& introSheet() const { return *_presenceIntroSheet; }
    platform::TextField& introTextView() const { return *_presenceIntroTextView; }
    platform::Button& introContinueButton() const { return *_introContinueButton; }
    platform::TextField& kindLabel() const { return *_typeName; }

private:
    struct RowControls {
        EditableAddressPtr row;
        std::shared_ptr<platform::PopUpButton> type;
        std::shared_ptr<platform::TextField> value;
        std::shared_ptr<platform::Button> remove;
    };
    EditableAddressPtr appendRow(std::string type, std::string value,
                                 std::shared_ptr<OVField> field);
    void layout();
    void showAvatar();
    // Shows the marked area over the whole source.
    void revealMarkedArea();
    void makePresenceSection();
    void dropPresenceSection();
    void setupPresenceSection();
    EditableAddressPtr chatRowForContact() const;
    void startDidEnd(int returnCode);
    void askToMerge(const std::shared_ptr<OVEntity>& found, const std::string& address,
                    const EditableAddressPtr& row);
    std::string defaultDomain(const std::string& fieldName) const;
    void updateExampleText();

    std::shared_ptr<OVEntity> _entity;
    ContactEditorController* _parentController;
    std::vector<std::string> _choices;
    std::vector<EditableAddressPtr> _rows;
    std::vector<RowControls> _rowControls;
    std::vector<std::shared_ptr<OVField>> _removedFields;
    EditableAddressPtr _defaultPresence;
    EditableAddressPtr _jidPresenceAddress;
    bool _introShowing = false;
    bool _isNew = false;
    std::vector<std::uint8_t> _avatar;
    bool _markedDelete = false;
    bool _markedSplit = false;
    bool _showMarkedArea = false;

    std::shared_ptr<platform::View> _view;
    std::shared_ptr<platform::TextField> _typeName;
    std::shared_ptr<platform::TextField> _firstNameTextField;
    std::shared_ptr<platform::TextField> _lastNameTextField;
    std::shared_ptr<platform::TextField> _displayNameTextField;
    std::shared_ptr<platform::TextField> _addressTextField;
    std::shared_ptr<platform::PopUpButton> _addressTypePopup;
    std::shared_ptr<platform::Button> _addButton;
    std::shared_ptr<platform::TextField> _presenceLabel;
    std::shared_ptr<platform::PopUpButton> _defaultPresencePopup;
    std::shared_ptr<platform::TextField> _presenceTextField;
    std::shared_ptr<platform::Button> _presenceEnableCheckBox;
    std::shared_ptr<platform::Button> _createContactButton;
    std::shared_ptr<platform::Panel> _presenceIntroSheet;
    std::shared_ptr<platform::TextField> _presenceIntroTextView;
    std::shared_ptr<platform::Button> _introContinueButton;
    std::shared_ptr<platform::Button> _introCancelButton;
    std::shared_ptr<platform::Button> _avatarButton;
    std::shared_ptr<platform::Button> _resetAvatarButton;
    std::shared_ptr<platform::OpenPanel> _avatarPanel;
    std::shared_ptr<platform::Button> _removeButton;
    std::shared_ptr<platform::Button> _splitButton;
    std::shared_ptr<platform::Box> _markedArea;
    std::shared_ptr<platform::TextField> _deleteSplitTextField;
    std::shared_ptr<platform::Button> _cancelMarkButton;
};
