#pragma once

#include "app/core/NumberEntrySuggestions.h"
#include "app/messaging/NQSystemIdleTimer.h"
#include "engine/OVCallEntryModel.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/AttributedString.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TableView.h"
#include "platform/kit/View.h"
#include "widgets/QXSearchField.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ConversationService;
class OVAccount;
class OVEntity;
class OVSelfPresence;
class PresenceService;
class QXBezierComboButton;
namespace platform {
class Button;
class MenuItem;
class Panel;
class PopUpButton;
struct Notification;
class TextField;
class TextView;
class Timer;
} // namespace platform

// The main window's primary module: the call entry field with its suggestions and redial
// drop-down, the dial button and the default call action, the message area under them and the
// account-for-calls line. The field keeps no number of its own: what is typed goes to the
// engine's number-entry model and the engine's echo is what the field shows.
class DialpadViewController;
class PrimaryModuleController : public platform::Object,
                                public platform::ActionTarget,
                                public QXSearchFieldFilterDelegate,
                                public platform::TableViewDataSource,
                                public platform::MenuDelegate,
                                public OVCallEntryModelPro,
                                public OVNumberEntryModelPro,
                                public OVAutoCompleteModelPro,
                                public OVConversationServicePro,
                                public OVDialPlanServicePro,
                                public NQSystemIdleTimerDelegate {
public:
    PrimaryModuleController();
    ~PrimaryModuleController() override;

    // Made on first use, with its interface definition "PrimaryModule" loaded.
    static PrimaryModuleController& sharedController();
    static void releaseSharedController();

    // The module's view (the stack of the call-entry area, the message area and what else is
    // shown), for the main window's module stack.
    std::shared_ptr<platform::View> theView();
    // Takes the engine's services and models into use once the engine has started.
    void setup();
    int setupCount() const { return _setupCount; }
    // Lets the engine go again, at logout and shutdown.
    void cleanup();
    // "ApplicationNotification": with ApplicationReady, the saved state is restored.
    void applicationEvent(const platform::Notification& notification);
    // The title of the presence menu item of that status, none for a status it has no item
    // for.
    std::optional<std::string> getPresenceMessage(int status) const;

    // Outlets, set by the interface definition.
    void setOutlets(std::shared_ptr<platform::View> cefView, std::shared_ptr<QXSearchField> cef,
                    std::shared_ptr<QXBezierComboButton> dialButton,
                    std::shared_ptr<platform::View> messageView,
                    std::shared_ptr<platform::TextView> messageTextView,
                    std::shared_ptr<platform::Button> dismissMessageButton,
                    std::shared_ptr<platform::TextField> accountInUseTextField);
    // The call entry field, nullptr before the definition was loaded.
    QXSearchField* getCallEntryField() const { return _cef.get(); }
    QXBezierComboButton* dialButton() const { return _ibDialButton.get(); }
    platform::Menu* dialMenu() const { return _ibDialMenu.get(); }
    platform::TextField* accountInUseTextField() const { return _accountInUseTextField.get(); }
    platform::View* messageView() const { return _messageView.get(); }
    const std::vector<std::shared_ptr<platform::View>>& views() const { return _views; }

    // The module's view stack, top to bottom; the module's height is the sum of theirs.
    void addView(const std::shared_ptr<platform::View>& view, long index);
    void removeView(const std::shared_ptr<platform::View>& view);
    void adjustHeightForView(platform::View& view, double height);

    // The message area under the call entry: the text shown there, an empty text hiding the
    // area (the first time only after 2 seconds). Its links carry action names.
    void setStatusMessage(const platform::AttributedString& message);
    const platform::AttributedString& statusMessage() const { return _statusMessage; }
    void dismissMessage(platform::Object* sender);
    // A link of the message was clicked; handled whatever it names: "viewAccount" opens the
    // account preferences, "retryAccount" retries the failed accounts, "retryDeskphone"
    // connects the deskphone again, "configureDeskphone" opens the device preferences and
    // "findFriends" asks the hosted service to find friends.
    bool statusMessageLinkClicked(std::string_view link);

    // The accounts changed: the account-for-calls line is refreshed.
    void accountChanged();
    // A menu item of the account options chose the account for calls (none: automatic).
    void toggleAccountForCall(platform::MenuItem* item);

    // Calls.
    void call(int kind);
    void callParticipant(platform::Object* sender);
    void redial(platform::Object* sender);
    int redialRequests() const { return _redialRequests; }
    int defaulCallMethod() const { return _defualtCallMethod; }
    void contextSetAudioCallAsDefault(platform::Object* sender);
    void contextSetVideoCallAsDefault(platform::Object* sender);
    void contextSetConferenceCallAsDefault(platform::Object* sender);
    void contextCall(platform::MenuItem* item);

    // The dial button's menu: the kinds of call the features allow, each with its Alt
    // alternate that makes it the default, and the message entries for what was typed.
    void menuNeedsUpdate(platform::Menu& menu) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;
    void contextAudioCall(platform::Object* sender);
    void contextVideoCall(platform::Object* sender);
    void contextStartConferenceCall(platform::Object* sender);
    void contextSendInstantMessage(platform::Object* sender);
    void contextSendInstantMessageViaXMPP(platform::Object* sender);
    void contextSendInstantMessageViaSMS(platform::Object* sender);
    // The instant-message entry of the dial menu for the typed text with every "(", ")", "+",
    // "-" and blank removed: a contact found for it offers its field (XMPP or the softphone
    // address) when an enabled account takes messages of that kind; else an address whose
    // domain is that of an enabled account offers the text itself.
    struct MessageEntry {
        bool viaXMPP = false;
        platform::Value represented;
    };
    static std::string cleanedNumber(std::string_view entered);
    static std::optional<MessageEntry>
    instantMessageEntry(const std::string& cleaned, const std::shared_ptr<OVEntity>& contact,
                        const std::vector<std::shared_ptr<OVAccount>>& accounts);
    // Closes the suggestions and tells the engine so.
    void clearSuggestion();
    void restoreUserInterfaceStateUsingOVSettings();
    void saveUserInterfaceStateUsingOVSettings() {}
    // Converts the old "mainPhone.videoCallAsDefault" choice, once.
    void loadUserSetting();
    // Makes the call entry field first responder with the selection it had.
    void focusCallEntryField();

    // The engine models, null outside a session.
    const std::shared_ptr<OVCallEntryModel>& callEntryModel() const { return _callEntryModel; }
    const std::shared_ptr<OVNumberEntryModel>& numberEntryModel() const {
        return _numberEntryModel;
    }
    const std::shared_ptr<OVAutoCompleteModel>& autoCompleteModel() const {
        return _autoCompleteModel;
    }
    const std::vector<std::shared_ptr<OVAutoCompleteItem>>& suggestions() const {
        return _cefSuggestions.items();
    }

    // Toolbar and menu commands of the module whose controls come with later parts of the
    // main window; so far each is recorded by its action name, in order. The last three are
    // spelled so.
    void toggleDialpad(platform::Object* sender);
    void toggleSpeakerPhone(platform::Object* sender);
    void toggleVideo(platform::Object* sender);
    void toggleDeskphone(platform::Object* sender);
    void voiceMailPressed(platform::Object* sender);
    void missedCallsPressed(platform::Object* sender);
    void togglAnonymousCalling(platform::Object* sender);
    void togglAutoAnswer(platform::Object* sender);
    void togglLettersToNumbers(platform::Object* sender);
    const std::vector<std::string>& performedCommands() const { return _performedCommands; }
    // The menu item of a call-option toggle shows the engine's state; answers whether it may
    // be chosen, nullopt for any other item.
    std::optional<bool> validateToggle(platform::MenuItem& item) const;
    // The engine's conversation service the module places calls through (null before the
    // engine has one).
    std::shared_ptr<ConversationService> conversationService() const;

    // Own presence: the status chosen on the toolbar's pop-up, the Dock menu or the custom
    // status sheet; a confirmation first for the statuses that silence calls.
    void presenceChanged(platform::Object* sender);
    void presenceAlertDidEnd(int returnCode);
    void customPresenceOK(platform::Object* sender);
    void customPresenceCancel(platform::Object* sender);
    void customPresenceSheetDidEnd(int returnCode);
    void customPresenceStatusChanged(platform::Object* sender);
    // Any text change of the application: the custom text is checked again.
    void textChanged(const platform::Notification& notification);
    // Whether the custom-presence sheet is on the screen.
    bool customPresenceSheetVisible() const;
    void setCustomPresenceSheetVisible(bool visible) { _customPresenceSheetVisible = visible; }
    // The engine reports the user's presence: the pop-up follows it.
    void selfPresenceChanged(const std::shared_ptr<OVSelfPresence>& presence);
    const std::shared_ptr<OVSelfPresence>& selfPresence() const { return _selfPresence; }
    // Remembers the status and message and publishes them.
    void publishPresence(int status, const std::string& message);
    // Stops a running idle timer (undoing an idle presence) and starts one as the settings say.
    void refreshIdleInterval();
    void timerBeginsIdling(NQSystemIdleTimer& timer) override;
    void timerFinishedIdling(NQSystemIdleTimer& timer) override;
    // At shutdown: with the status pop-up disabled, the remembered presence is forgotten.
    void saveUserSetting();
    const std::shared_ptr<OVSelfPresence>& presenceInfo() const { return _presenceInfo; }
    bool presenceFeatureEnabled() const { return _presenceFeatureEnabled; }
    const std::shared_ptr<NQSystemIdleTimer>& idleTimer() const { return _idleTimer; }
    // Where idle timers read the idle time (the desktop's own when none is set).
    void setIdleTimeSource(std::shared_ptr<platform::IdleTimeSource> source) {
        _idleTimeSource = std::move(source);
    }
    platform::MenuItem* customStatusMenuItem() const { return _customStatusMenuItem.get(); }
    platform::Panel* customPresenceSheet() const { return _customPresenceSheet.get(); }
    platform::TextField* customPresenceTextField() const { return _customPresenceTextField.get(); }
    platform::PopUpButton* customPresencePopupButton() const {
        return _customPresencePopupButton.get();
    }
    platform::Button* customPresenceOKButton() const { return _customPresenceOKButton.get(); }

    // ActionTarget: the dial button and the menu items.
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // The call entry field.
    std::optional<bool> keyPressed(const platform::Event& event) override;
    std::optional<bool> keyReleased(const platform::Event& event) override;
    void textDidChange(const platform::Notification& notification) override;
    void clearPressed() override;
    void textFieldGotFocus(QXTextField& field) override;
    void textFieldLostFocus(QXTextField& field) override;
    void rowEntryPicked(long row) override;
    void rowEntryDoubleClicked(long row) override;
    void dropDownMenuWillShowMenu(QXTextField& field, platform::Menu& menu) override;
    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;

    // The engine.
    void ovmdNumberEntryPropertyChanged(const std::string& propertyName) override;
    void ovmdNumberEntryFocusRequested(OVNumberEntryModel& model) override;
    void ovmdNumberEntryTextSelectionStateRequested(int state) override;
    void ovmdNumberEntryUpdateTextSelectionState(int state, long start, long length) override;
    void ovmdAutoCompletePropertyChanged(const std::string& propertyName) override;
    void ovmdAutoCompleteListCollectionChanged() override;
    void newConversationAllowed(bool allowed) override;

private:
    static constexpr std::string_view kDialKeys = "0123456789*#";
    void setDefaultCallAction(int value);
    void sendInstantMessage(platform::Object* sender, bool viaXMPP);
    void layoutViews();
    void setModuleHeight(double height);
    void displayMessage();
    void styleFieldAndButton();
    std::shared_ptr<SettingBlock> defaultCallActionSetting() const;
    // Own presence.
    void buildCustomPresenceSheet();
    void presenceApplicationReady(bool ready);
    void applyPresenceItem(platform::MenuItem& item);
    void revertPresencePopUp();
    std::string currentPresenceTitle() const;
    void openCustomPresenceSheet();
    platform::MenuItem& ensureCustomStatusMenuItem();
    void showCustomStatusMenuItem(const std::string& title, long tag);
    std::shared_ptr<platform::Image> customSheetImageForTag(long tag) const;
    void validateCustomPresenceText();

    std::shared_ptr<platform::View> _theView;
    std::shared_ptr<platform::View> _cefView;
    std::shared_ptr<QXSearchField> _cef;
    std::shared_ptr<QXBezierComboButton> _ibDialButton;
    std::shared_ptr<platform::Menu> _ibDialMenu;
    std::shared_ptr<platform::View> _messageView;
    std::shared_ptr<platform::TextView> _messageTextView;
    std::shared_ptr<platform::Button> _dismissMessageButton;
    std::shared_ptr<platform::TextField> _accountInUseTextField;
    std::vector<std::shared_ptr<platform::View>> _views;

    NumberEntrySuggestions _cefSuggestions;
    int _defualtCallMethod = 0;
    std::shared_ptr<OVCallEntryModel> _callEntryModel;
    std::shared_ptr<OVNumberEntryModel> _numberEntryModel;
    std::shared_ptr<OVAutoCompleteModel> _autoCompleteModel;
    std::shared_ptr<DialPlanService> _dialPlanService;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<ConversationService> _conversationService;
    std::shared_ptr<CallHistoryService> _callHistoryService;
    std::shared_ptr<AccountService> _accountService;

    platform::AttributedString _statusMessage;
    bool _firstStatusMessageReset = true;
    std::shared_ptr<platform::Timer> _messageTimer;

    int _redialRequests = 0;
    int _setupCount = 0;
    bool _customPresenceSheetVisible = false;
    std::vector<std::string> _performedCommands;
    std::shared_ptr<OVSelfPresence> _selfPresence;

    std::shared_ptr<platform::IdleTimeSource> _idleTimeSource;
    std::shared_ptr<platform::MenuItem> _customStatusMenuItem;
    std::shared_ptr<platform::Panel> _customPresenceSheet;
    std::shared_ptr<platform::TextField> _customPresenceTextField;
    std::shared_ptr<platform::PopUpButton> _customPresencePopupButton;
    std::shared_ptr<platform::Button> _customPresenceOKButton;
    std::shared_ptr<platform::Button> _customPresenceCancelButton;
    bool _customPresenceSheetShowing = false;
    std::shared_ptr<OVSelfPresence> _presenceInfo;
    bool _presenceFeatureEnabled = false;
    int _previousCustomPresenceStatus = 0;
    std::shared_ptr<NQSystemIdleTimer> _idleTimer;
    int _presenceStateBeforeIdle = 0;
    std::optional<std::string> _presenceMessageBeforeIdle;
    std::shared_ptr<PresenceService> _presenceService;
    // The item chosen while the confirmation sheet asks.
    std::shared_ptr<platform::MenuItem> _pendingPresenceItem;
    std::shared_ptr<platform::Window> _presenceAlertSheet;
    // The docked dialpad while it is in the module stack.
    std::shared_ptr<DialpadViewController> _dockedDialpad;

public:
    DialpadViewController* dockedDialpad() const { return _dockedDialpad.get(); }
};
