#pragma once

#include "app/messaging/ChatComposer.h"
#include "engine/OVBroadcastMessenger.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Control.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Button;
class Panel;
class PopUpButton;
class ScrollView;
class TextField;
} // namespace platform

class OVEntity;
class OVSearchSession;

// The window that sends one message to several contacts, as chat messages or as text
// messages: the recipients above, the rich-text input below, no transcript. Recipients are
// added and removed in a picker sheet with a search field and a select-all box. It keeps
// itself alive while its window is up.
class IMBroadcastWindowController
    : public platform::Object,
      public platform::WindowDelegate,
      public platform::TableViewDataSource,
      public platform::TableViewDelegate,
      public platform::ActionTarget,
      public std::enable_shared_from_this<IMBroadcastWindowController> {
    struct Key {
        explicit Key() = default;
    };

public:
    // A contact offered in the picker, checked or not.
    struct PickerEntry {
        std::shared_ptr<OVEntity> contact;
        bool selected = false;
    };
    // What a composed input is sent as; both empty when it holds only blanks.
    struct Message {
        std::string plain;
        std::string html;
    };

    // Opens the window for the contacts, in front; nullptr when it cannot be made.
    static std::shared_ptr<IMBroadcastWindowController>
    initWithBroadcast(const std::vector<std::shared_ptr<OVEntity>>& contacts, bool isSms);
    static const std::vector<std::shared_ptr<IMBroadcastWindowController>>& openControllers();
    // Closes every broadcast window (shutdown, tests).
    static void closeAll();

    // One entry per contact that has an address of the kind, in order: its primary address
    // of the kind, else its first one; contacts in no group and a second contact showing an
    // address already listed are left out.
    static std::vector<BroadcastRecipient>
    buildRecipientList(const std::vector<std::shared_ptr<OVEntity>>& contacts, bool isSms);
    // The input as sent: markup characters as entities, "[Broadcast] " in front, every link
    // an anchor, line breaks as <br>.
    static Message composedMessage(const platform::AttributedString& input);
    // Whether the search text matches the name: at its start or at the start of a later
    // word, without regard to case.
    static bool matchesSearch(std::string_view displayName, std::string_view text);

    IMBroadcastWindowController(Key key, const std::vector<std::shared_ptr<OVEntity>>& contacts,
                                bool isSms);
    ~IMBroadcastWindowController() override;
    IMBroadcastWindowController(const IMBroadcastWindowController&) = delete;
    IMBroadcastWindowController& operator=(const IMBroadcastWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    bool isSms() const { return _isSms; }
    const std::vector<BroadcastRecipient>& recipients() const { return _recipients; }
    const std::shared_ptr<OVBroadcastMessenger>& messenger() const { return _messenger; }
    ChatComposer& composer() { return *_composer; }
    ChatInputModel& input() { return _composer->input(); }
    platform::TextView* inputView() const;
    bool isInputEditable() const;
    bool isSendEnabled() const;
    std::string chatStateText() const;
    std::string titleLabelText() const;

    // The picker.
    void updateRecipients();
    bool isPickerShown() const { return _pickerShown; }
    const std::vector<PickerEntry>& offeredContacts() const { return _contactsToAdd; }
    // The entries shown under the search text.
    std::vector<PickerEntry> shownContacts() const;
    void setSearchText(const std::string& text);
    // A row's check box (of the rows shown).
    void setContactSelected(long row, bool selected);
    void selectAllToggle(bool on);
    bool isSelectAllOn() const;
    void pickContactsSelect();
    void pickContactsCancel();

    // Composition.
    void sendUserInput();
    void setBold(bool flag) { _composer->setBold(flag); }
    // The contacts changed: the recipients are chosen again from their own contacts.
    void contactChanged();
    // Shutdown: ends an open sheet and closes the window.
    void shouldClose();
    void close();

    // Window.
    void windowWillClose(platform::Window& window) override;
    platform::Size windowWillResize(platform::Window& window, platform::Size proposed) override;
    // Recipient and picker tables.
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    bool tableViewSetObjectValue(platform::TableView& tableView, const platform::Value& value,
                                 platform::TableColumn* column, long row) override;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void buildWindow();
    void buildPicker();
    void layout();
    void visualUpdate();
    void textChanged();
    void updateControls();
    void fillPicker();
    void pickerDidEnd(int returnCode);
    void setRecipients(std::vector<BroadcastRecipient> recipients);
    void finish();

    bool _isSms;
    std::shared_ptr<OVBroadcastMessenger> _messenger;
    std::shared_ptr<OVSearchSession> _session;
    std::vector<BroadcastRecipient> _recipients;
    std::vector<PickerEntry> _contactsToAdd;
    std::string _searchText;
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TextField> _titleLabel;
    std::shared_ptr<platform::ScrollView> _recipientScrollView;
    std::shared_ptr<platform::TableView> _recipientTable;
    std::shared_ptr<platform::Button> _addRecipientsButton;
    std::shared_ptr<platform::View> _buttonView;
    std::unique_ptr<ChatComposer> _composer;
    std::shared_ptr<platform::Panel> _picker;
    std::shared_ptr<platform::TextField> _searchField;
    std::shared_ptr<platform::Button> _selectAllBox;
    std::shared_ptr<platform::TableView> _contactTable;
    bool _pickerShown = false;
    bool _smsLayoutDone = false;
    bool _finished = false;
};
