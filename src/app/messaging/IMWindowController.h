#pragma once

#include "app/messaging/ChatComposer.h"
#include "app/messaging/ChatTranscript.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Menu.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/Window.h"
#include "platform/web/WebView.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Button;
class ImageView;
class Menu;
class PopUpButton;
class ScrollView;
class TextField;
class View;
} // namespace platform

class ChatPaneDivider;

// The chat window of one messaging session: the transcript above, the rich-text input below,
// the other party in the toolbar. It is the session's delegate (and its typing state's user),
// tells the user of new messages (tone, Dock badge, attention), sends what is composed as
// plain text and HTML, and hands the transcript to the archive when the session ends.
class IMWindowController : public platform::Object,
                           public IMSessionPro,
                           public platform::WindowDelegate,
                           public platform::ToolbarDelegate,
                           public platform::WebFrameLoadDelegate,
                           public platform::WebPolicyDelegate,
                           public platform::WebUIDelegate,
                           public platform::TableViewDataSource,
                           public platform::TableViewDelegate,
                           public platform::MenuDelegate,
                           public OVEntityObserver,
                           public OVPresenceDataPro,
                           public platform::ActionTarget {
public:
    static constexpr const char* callerInfoItemIdentifier = "CallerInfoItemIdentifier";
    static constexpr platform::TimeInterval typingInterval = 10;
    static constexpr platform::TimeInterval unreadCheckInterval = 0.5;
    // Changes of the party's contact come in bursts: the header is redrawn once, this long
    // after the last one.
    static constexpr platform::TimeInterval contactUpdateInterval = 0.1;

    // Becomes the session's delegate and shows the window: an outgoing chat in front, an
    // incoming one behind the chat window the user is typing in, if any.
    explicit IMWindowController(std::shared_ptr<IMSession> session);
    ~IMWindowController() override;
    IMWindowController(const IMWindowController&) = delete;
    IMWindowController& operator=(const IMWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    const std::shared_ptr<IMSession>& imSession() const { return _imSession; }
    // The contact the session is with (none for a group chat or an unknown address).
    const std::shared_ptr<OVEntity>& contact() const { return _contact; }

    // The other party (IMWindowController_Party.cpp). The window follows the contact: the
    // contact's own changes redraw the header once per burst, after contactUpdateInterval.
    void setContact(std::shared_ptr<OVEntity> contact);
    // Looks the party up again and redraws the header (also ContactChangedNotification).
    void contactChanged();
    // ContactPresenceChangedNotification.
    void contactPresenceChanged();
    OVPresenceStatus presenceStatus() const { return _presenceStatus; }
    const std::string& presenceInfoMessage() const { return _presenceInfoMessage; }
    platform::Button* addContactButton() const { return _addContactButton.get(); }
    platform::ImageView* presenceImageView() const { return _presenceImage.get(); }
    platform::ImageView* avatarView() const { return _avatar.get(); }
    // The option menu: the contact operations' call, message and edit items for the party.
    const std::shared_ptr<platform::Menu>& optionMenu() const { return _optionMenu; }
    void menuNeedsUpdate(platform::Menu& menu) override;
    // Adds the party to the contacts in a contact editor (or brings forward the editor that
    // already holds the address).
    void addContact();
    void editContact();
    void viewContactArchive();
    // Calls started from the window: the object is the contact (its call address), one of its
    // address fields, or an address.
    void callParty(const platform::Value& object, bool video);
    void addPartyToCall(const platform::Value& object);
    // How often the header was drawn from the contact, for the program's tests.
    int headerRefreshCount() const { return _headerRefreshCount; }
    bool isContactUpdatePending() const { return static_cast<bool>(_contactUpdateTimer); }

    void ovetOnPropertyChanged() override { scheduleContactUpdate(); }
    void ovetOnEntityCollectionChanged() override { scheduleContactUpdate(); }
    void ovetOnFieldCollectionChanged() override { scheduleContactUpdate(); }
    void ovetOnPresenceLocatorCollectionChanged() override { scheduleContactUpdate(); }
    void ovetOnPresencePropertyChanged() override { scheduleContactUpdate(); }
    void ovetOnFieldPropertyChanged() override { scheduleContactUpdate(); }
    void ovpdOnPropertyChanged() override;
    void
    chatParticipantPresenceUpdate(const std::shared_ptr<ChatParticipant>& participant) override;

    // Inviting into a group chat (IMWindowController_Invite.cpp): the contacts go through the
    // invitation sheet, which offers the application's last invitation text; those online
    // whose presence address is a chat (XMPP) address are invited on OK.
    void addParticipants(const std::vector<std::shared_ptr<OVEntity>>& contacts);
    // The Add button: a sheet of the contacts that can be invited, sorted by name.
    void addParticipant();
    const std::vector<std::shared_ptr<OVEntity>>& inviteCandidates() const {
        return _inviteCandidates;
    }
    platform::TableView* pickContactsTable() const { return _pickTable.get(); }
    platform::Button* pickContactsSelectButton() const { return _pickSelectButton.get(); }
    platform::Button* addParticipantButton() const { return _addButton.get(); }
    bool isPickContactsSheetShown() const { return _pickSheetShown; }
    bool isInvitationSheetShown() const { return _invitationSheetShown; }
    void pickContactsSelect();
    void pickContactsCancel();
    std::string invitationCaption() const;
    platform::TextField* invitationTextField() const { return _invitationText.get(); }
    void chatInvitationOK();
    void chatInvitationCancel();
    // Group chats: the participant list and its actions.
    platform::TableView* participantTable() const { return _participantTable.get(); }
    platform::Button* removeParticipantButton() const { return _removeButton.get(); }
    // The participant list's menu for the row (none over no row or for a persistent room).
    std::vector<std::shared_ptr<platform::MenuItem>> participantMenuItems(long row) const;
    void removeSelectedParticipants();
    // Room refusals and failures: the nickname and password asked for, or the reason told
    // before the window closes.
    void promptForNicknameAndPassword(const std::string& caption);
    void displayUnrecoverableError(const std::string& text);
    // The session has ended: the transcript is archived and nothing more can be sent.
    void sessionTerminated();
    // Orders the window out; the application controller then lets the controller go.
    void close();
    // Ends the session (the window stays).
    void endChat();

    // Composition: the input, its formatting controls and the chat state line.
    ChatComposer& composer() { return *_composer; }
    ChatInputModel& input() { return _composer->input(); }
    platform::TextView* inputView() const;
    // Sends the input (the Send buttons).
    void sendUserInput();
    // The HTML the input would be sent as ("" when it holds only blanks).
    std::string composedHTML() const;
    void setBold(bool flag) { _composer->setBold(flag); }
    // A drop of text on the input: a smiley picture's path inserts its code.
    void dropText(std::string_view text);
    // A drop of files on the input: sent to the party in a one-to-one chat over XMPP that
    // has not ended, when the party is online. Answers whether a transfer started.
    bool dropFiles(const std::vector<std::string>& paths);
    bool supportsHTML() const { return _supportHtml; }

    // What the window shows.
    ChatTranscript& transcript() { return *_transcript; }
    platform::WebView* webView() const { return _webView.get(); }
    std::string chatStateText() const;
    bool isSendEnabled() const;
    bool isUnreadBadgeShown() const { return static_cast<bool>(_unreadTimer); }
    platform::PopUpButton* smileyButton() const { return _composer->smileyButton(); }
    platform::PopUpButton* fontButton() const { return _composer->fontButton(); }
    platform::PopUpButton* colorButton() const { return _composer->colorButton(); }
    ChatPaneDivider* divider() const { return _divider.get(); }
    // The input pane's height (the divider's place).
    double inputPaneHeight() const { return _bottomHeight; }
    // Whether the other party is offline by their contact's presence (never without one).
    bool isRemotePartyOffline() const;
    bool isTyping() const { return static_cast<bool>(_typingTimer); }
    const std::string& remoteDisplayName() const { return _remoteDisplayName; }

    // What the window was asked, for the program's tests.
    const std::vector<std::string>& invitedParticipants() const { return _invitedParticipants; }
    int sessionTerminatedCount() const { return _sessionTerminatedCount; }

    // Session.
    void imMessageReceivedPlain(const std::string& plainText, const std::string& richText,
                                platform::Date timeStamp, bool firstOne,
                                const std::shared_ptr<ChatParticipant>& participant) override;
    void imSendMessageFailure(const std::string& text) override;
    void remoteChatStateUpdate(int state) override;
    void imRemoteNotSupportHTML() override;
    void archiveItemAdded(const std::shared_ptr<ArchiveItem>& item) override;
    void chatParticipantAdded(const std::shared_ptr<ChatParticipant>& participant) override;
    void chatParticipantRemoved(const std::shared_ptr<ChatParticipant>& participant) override;
    void chatStatusUpdate(int code, const std::string& info, const std::string& reason) override;

    // Participant table.
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    void tableViewSelectionDidChange(const platform::Notification& notification) override;
    // Contacts dropped on the participant list are offered the invitation sheet.
    platform::DragOperation tableViewValidateDrop(platform::TableView& tableView,
                                                  platform::DraggingInfo& info, long row,
                                                  platform::TableViewDropOperation op) override;
    bool tableViewAcceptDrop(platform::TableView& tableView, platform::DraggingInfo& info, long row,
                             platform::TableViewDropOperation op) override;

    // Window.
    bool windowShouldClose(platform::Window& sender) override;
    void windowWillClose(platform::Window& window) override;
    void windowDidResize(platform::Window& window) override;
    void windowDidBecomeKey(platform::Window& window) override;

    // Toolbar.
    std::vector<std::string> toolbarDefaultItemIdentifiers(platform::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(platform::Toolbar& toolbar) override;
    std::shared_ptr<platform::ToolbarItem>
    toolbarItemForItemIdentifier(platform::Toolbar& toolbar, const std::string& identifier,
                                 bool willBeInserted) override;

    // Transcript page.
    void webViewDidFinishLoad(platform::WebView& sender, const std::string& url) override;
    std::vector<std::shared_ptr<platform::MenuItem>> webViewContextMenuItemsForElement(
        platform::WebView& sender, const platform::WebElementInfo& element,
        std::vector<std::shared_ptr<platform::MenuItem>> items) override;
    // The transcript's "View Message Archive" link.
    void viewArchive();
    platform::WebPolicyDecision
    webViewDecidePolicyForNavigationAction(platform::WebView& sender,
                                           const platform::WebNavigationAction& action) override;
    platform::WebPolicyDecision
    webViewDecidePolicyForNewWindowAction(platform::WebView& sender,
                                          const platform::WebNavigationAction& action,
                                          const std::string& frameName) override;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Split view: the bottom pane's height for a divider dragged to `position` (from the
    // top) in a content of `height`, each pane keeping its minimum.
    static double clampedDivider(double position, double height);
    static constexpr double minimumPaneLength = 100;
    // The divider dragged to `y` above the bottom of the content.
    void dragDivider(double y);

private:
    void buildWindow();
    void loadUserSettings();
    void saveUserSettings();
    void layout();
    void showWindow();
    void updateControls();
    void textChanged();
    void addToChatUserInput();
    void startUnreadTimer();
    void stopUnreadTimer();
    void stopTypingTimer();
    void setChatStateText(std::string text);
    bool presenceAvailable() const;
    bool newIMAllowed() const;
    bool settingOn(std::string_view group, std::string_view name) const;
    void clearDelegates();
    void buildParticipantList();
    void buildInviteSheets();
    void updateContactlist();
    void pickContactsSheetDidEnd(int returnCode);
    void pickContactsSelectionChanged();
    void showInvitationSheet(std::vector<std::shared_ptr<OVEntity>> contacts);
    void chatInvitationSheetDidEnd(int returnCode);
    void closeOnNextPass();
    void updateTitle();
    std::vector<std::shared_ptr<ChatParticipant>> participants() const;
    void findContact();
    void buildContactInfo();
    void scheduleContactUpdate();
    void cancelContactUpdate();
    // Presence, name and avatar from the contact; the Add Contact button and avatar shown or
    // not; the title of a one-to-one chat.
    void fillFromContact();
    void updatePartyControls();
    void updatePresenceImage();
    void resetTitle();
    void setPresenceData(std::shared_ptr<OVPresenceData> presence);
    void observeContactNotifications();
    // The offline notice below the transcript when the party is offline, else none.
    void updateStatusBlock();

    std::shared_ptr<IMSession> _imSession;
    std::shared_ptr<ChatState> _chatState;
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::Toolbar> _toolbar;
    std::shared_ptr<platform::View> _contactInfoView;
    std::shared_ptr<platform::TextField> _displayNameField;
    std::shared_ptr<platform::TextField> _addressField;
    std::shared_ptr<platform::WebView> _webView;
    std::unique_ptr<ChatTranscript> _transcript;
    std::shared_ptr<platform::View> _bottomView;
    std::unique_ptr<ChatComposer> _composer;
    std::shared_ptr<ChatPaneDivider> _divider;
    std::shared_ptr<OVEntity> _contact;
    std::shared_ptr<OVPresenceData> _presenceData;
    OVPresenceStatus _presenceStatus = OVPresenceStatus::statusNone;
    std::string _presenceInfoMessage;
    std::shared_ptr<platform::Timer> _contactUpdateTimer;
    std::shared_ptr<platform::ImageView> _presenceImage;
    std::shared_ptr<platform::ImageView> _avatar;
    std::shared_ptr<platform::Button> _addContactButton;
    std::shared_ptr<platform::PopUpButton> _optionButton;
    std::shared_ptr<platform::Menu> _optionMenu;
    bool _matchesSeveralContacts = false;
    int _headerRefreshCount = 0;
    std::shared_ptr<platform::ScrollView> _participantScrollView;
    std::shared_ptr<platform::TableView> _participantTable;
    std::shared_ptr<platform::Button> _removeButton;
    std::shared_ptr<platform::Button> _addButton;
    std::vector<std::shared_ptr<OVEntity>> _inviteCandidates;
    std::vector<std::shared_ptr<OVEntity>> _contactsToInvite;
    std::shared_ptr<platform::Window> _pickSheet;
    std::shared_ptr<platform::TableView> _pickTable;
    std::shared_ptr<platform::Button> _pickSelectButton;
    std::shared_ptr<platform::Window> _invitationSheet;
    std::shared_ptr<platform::TextField> _invitationCaption;
    std::shared_ptr<platform::TextField> _invitationText;
    bool _pickSheetShown = false;
    bool _invitationSheetShown = false;
    // Held by the controller alone: tasks and sheet answers hold it weakly.
    std::shared_ptr<int> _lifetime = std::make_shared<int>(0);
    std::shared_ptr<platform::Timer> _typingTimer;
    std::shared_ptr<platform::Timer> _unreadTimer;
    double _bottomHeight = 110;
    bool _isIncoming = false;
    bool _isEnded = false;
    bool _groupChat = false;
    bool _isSMS = false;
    bool _supportHtml = true;
    std::string _remoteAddress;
    std::string _remoteDisplayName;
    std::string _lastMessageReceived;
    std::vector<std::string> _invitedParticipants;
    int _sessionTerminatedCount = 0;
};
