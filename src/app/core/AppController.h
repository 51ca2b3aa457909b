#pragma once

#include "app/hosted/E911AddressConfirmationController.h"
#include "app/hosted/E911ProvisioningController.h"
#include "engine/AccountService.h"
#include "engine/OVWindowService.h"
#include "engine/StartupService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Application.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/system/BITHockeyManager.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class MainAppWindow;
class IMWindowController;
class ConnectVideoController;
class DeferredCommand;
struct MainMenuOutlets;
class LoginController;
class ScriptCommand;
struct URLEntryResult;
class ToastWindowController;
class ContactImportExportController;
namespace platform {
class Alert;
class Menu;
class MenuItem;
} // namespace platform
class OVAutoUpdateModel;
class OVConnectAccountModel;
class OVWindowService;

// The application's delegate and its one hub: the main menu's interface definition makes it,
// and every other part of the program reaches the engine's services, the brand dictionary
// and the main window through it (sharedAppController).
class AppController : public platform::Object,
                      public platform::Awakable,
                      public platform::ApplicationDelegate,
                      public OVStartupServicePro,
                      public OVPhoneServicePro,
                      public OVAccountServicePro,
                      public OVAccountPro,
                      public OVToastServicePro,
                      public OVE911ProvisionPro,
                      public OVE911AddressConfirmationPro,
                      public OVPhoneStatusServicePro,
                      public OVPresenceServicePro,
                      public OVIMServicePro,
                      public OVFileTransferServicePro,
                      public OVNotificationServicePro,
                      public OVConversationServicePro,
                      public OVDeskphoneServicePro,
                      public OVConnectServicePro,
                      public OVConnectAccountModelPro,
                      public OVWindowServicePro,
                      public OVVideoServicePro,
                      public platform::BITCrashReportManagerDelegate,
                      public platform::ActionTarget,
                      public platform::MenuDelegate {
public:
    // The number of toast slots; a toast takes a free one while it is on screen.
    static constexpr std::size_t toastSlotCount = 50;

    AppController();
    ~AppController() override;
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // The application's delegate, that is the one AppController (null before it is made).
    static AppController* sharedAppController();

    // The bundle's "brand.plist", read on first use and kept; a null Value when it is missing
    // or its root is not a dictionary, with the reason in `whyNot`.
    const platform::Value& brandDict();
    const platform::Value& brandDict(std::string& whyNot);

    // Copies the settings folder of an older version (under the preferences folder) to the
    // new place (under the application-support folder) when only the old one exists. The
    // old folder stays; failures are ignored, the application goes on with what exists.
    static void moveSettingsFolder(const std::filesystem::path& oldFolder,
                                   const std::filesystem::path& newFolder);

    // Interface loaded: without a brand dictionary the application cannot show anything and
    // ends here; otherwise the controller becomes the application's delegate.
    void awake() override;

    void applicationWillFinishLaunching(const platform::Notification& notification) override;
    void applicationDidFinishLaunching(const platform::Notification& notification) override;
    void applicationWillResignActive(const platform::Notification& notification) override;
    void applicationWillHide(const platform::Notification& notification) override;
    void applicationDidUnhide(const platform::Notification& notification) override;
    void applicationWillTerminate(const platform::Notification& notification) override;

    void ovssInitCompleted() override;
    void ovssInitFailed(const std::string& reason) override;

    // Sign-in hand-over and engine start (AppController_SignIn.cpp): the engine's answers take
    // the main window from the login or splash view through sign-in, the intro video, the
    // engine's start, contact migration and the emergency-address steps to the main view.
    void ovssLoginStarted() override;
    void ovssLoginCancelled() override;
    void ovssLoginProfileUpdated(const std::string& message) override;
    void ovssLoginSucceeded(const std::string& userName) override;
    void ovssLoginFailed(StartupService::LoginFailureReason reason,
                         const std::string& message) override;
    void ovssStartCompleted() override;
    void ovssStartFailed(const std::string& reason) override;
    void contactMigrationComplete() override;
    void userNameUpdated() override;
    void e911AddressConfirmationSucceed(bool succeeded) override;
    void e911DisclaimerSucceed(bool accepted) override;
    void e911provisioningSucceed(bool succeeded) override;
    void doe911ThenLaunchApp();
    void launchMain();
    // Makes the main window's call entry field first responder with the selection it had.
    void setCallEntryFieldFocus();
    // The intro video has ended: the engine starts with the signed-in name.
    void videoFinishedPlaying(platform::Object* sender);
    // The diagnostic-logging notice, 2 s after the engine was asked to start while logging
    // runs, and the user's answer to it.
    void displayLoggingMessage(platform::Timer& timer);
    void loggingMessageDidEnd(platform::Alert& alert, int returnCode);
    // Takes the account, messaging, toast, presence and file-transfer services into use once
    // the main view is up, and restores the user's last own presence.
    void prepareAccounts();
    // Shows the troubleshooting window on its diagnostics pane while the engine runs.
    void openTroubleshootingDiagnosticsTab(platform::Object* sender);
    // The main menu's items that the feature switches show and hide (MainMenu.h).
    void setMenuOutlets(const MainMenuOutlets& outlets);
    MainMenuOutlets menuOutlets() const;
    // Opens addresses with the desktop (the disclaimer's answers); tests replace it.
    using URLOpener = std::function<void(const std::string&)>;
    static void setURLOpener(URLOpener opener);
    // Opens the address with that opener.
    static void openURL(const std::string& url);
    // The default opener: hands the address to the desktop (platform::Workspace) and tells the
    // user why when it could not be opened.
    static void openWithDesktop(const std::string& url);

    // Logout, quit, shutdown and relaunch (AppController_Shutdown.cpp). Both roads first ask
    // the user to confirm when calls, chats, file transfers or recordings are active, then
    // share one teardown; quitting waits for the engine's stop before the application goes.
    void logout(platform::Object* sender);
    void quit(platform::Object* sender);
    platform::TerminateReply applicationShouldTerminate(platform::Application& sender) override;
    // YES when nothing needs confirming; NO when a confirmation sheet is on its way (it shows
    // on the main run loop's next pass: in the default mode for a logout, in the modal-panel
    // mode, where a quit waits, for a quit).
    bool applicationShouldLogout(bool isLogout);
    // The confirmation's answer; the context holds isLogout.
    void logoutChoiceMade(platform::Alert& alert, int returnCode,
                          const platform::Value& contextInfo);
    // The confirmation's informative text: the lines one below the other, a single line
    // followed by a line break.
    static std::string exitConfirmationText(const std::vector<std::string>& lines);
    // Closes every window and sheet, lets every service go and stops the engine; runs once
    // until a logout has completed.
    void shutdown();
    // Starts a shell that waits for this process to end and then starts the program again.
    void relaunch();
    // Starts the relaunching shell from its argument list ("/bin/sh" first); false when it
    // could not be started. Tests replace it; null restores the real one.
    using Relauncher = std::function<bool(const std::vector<std::string>& arguments)>;
    static void setRelauncher(Relauncher relauncher);
    void ovssLogoutRequested(StartupService::LogoutReason reason) override;
    void ovssLogoutStarted(StartupService::LogoutReason reason) override;
    void ovssLogoutComplete() override;
    void ovssStopped() override;
    void ovssHibernationSuspend() override;
    void ovssHibernationResume() override;
    bool isRestart() const { return _restart; }
    bool isForceShutDown() const { return _forceShutDown; }
    bool isLoggedIn() const { return _loggedIn; }
    bool loginEnabled() const { return _loginEnabled; }
    bool loginStateChanged() const { return _loginStateChanged; }
    // The quit a signal asked for during a sign-in, carried out on the next pass once the
    // sign-in (or logout) has ended.
    void quitIfAskedDuringSignIn();
    E911ProvisioningController* e911ProvisioningController() const {
        return _e911ProvisioningController;
    }
    E911AddressConfirmationController* e911AddressConfirmationController() const {
        return _e911AddressConfirmationController;
    }

    MainAppWindow* mainWindow() const { return _appWindow; }
    // The main menu's interface definition hands the window over (it keeps it alive).
    void setMainWindow(MainAppWindow* window) { _appWindow = window; }
    // The sign-in view's controller while signing in is possible, else null.
    const std::shared_ptr<LoginController>& loginController() const { return _loginController; }
    bool isLoggedOut() const { return _loggedOut; }
    std::shared_ptr<PresenceService> presenceService() const { return _presenceService; }
    std::shared_ptr<LoginProfileItem> loginProfile() const { return _loginProfile; }
    StartupService::LogoutReason logoutReason() const { return _logoutReason; }
    void setLogoutReason(StartupService::LogoutReason reason) { _logoutReason = reason; }
    platform::Alert* quitAlert() const { return _quitAlert.get(); }
    bool isAppTerminating() const { return _appIsTerminating; }
    void setAppShouldBeTerminating(bool terminating) { _appIsTerminating = terminating; }
    void setRestart(bool restart) { _restart = restart; }
    std::shared_ptr<PhoneService> phoneService() const { return _phoneService; }
    void setPhoneService(std::shared_ptr<PhoneService> phoneService) {
        _phoneService = std::move(phoneService);
    }
    std::shared_ptr<DeferredCommand> deferredCommand() const { return _deferredCommand; }
    void setDeferredCommand(std::shared_ptr<DeferredCommand> command) {
        _deferredCommand = std::move(command);
    }
    const std::string& conversationServiceAvailabilityMessage() const {
        return _conversationServiceAvailabilityMessage;
    }
    void setConversationServiceAvailabilityMessage(std::string message) {
        _conversationServiceAvailabilityMessage = std::move(message);
    }
    const std::string& groupChatInvitationMessage() const { return _groupChatInvitationMessage; }
    void setGroupChatInvitationMessage(std::string message) {
        _groupChatInvitationMessage = std::move(message);
    }
    const platform::Value::Array& participantsToAdd() const { return _participantsToAdd; }
    void setParticipantsToAdd(platform::Value::Array participants) {
        _participantsToAdd = std::move(participants);
    }

    // Forwards to the toolbar.
    void updateToolbar();

    // Links and script commands from other programs (AppController_URLEntry.cpp). A link
    // becomes a deferred command kept in deferredCommand; a refused one answers its reason.
    URLEntryResult getUrl(std::string_view url);
    // A request handed over by another start of the program: {"event": "GURL", "url": ...},
    // {"event": "show"} or {"command": ..., "directParameter": ..., "arguments": {...}}. Each
    // shows this instance first (a state report or a demo network event does not). The answer
    // holds "result", or "refused" with the reason.
    platform::Value handleEntryRequest(const platform::Value& request);
    platform::Value demoNetworkEvent(const platform::Value& request);
    platform::Value handleTestScriptCommand(ScriptCommand* command);
    bool applicationDelegateHandlesKey(platform::Application& sender, std::string_view key);
    bool applicationShouldOpenUntitledFile(platform::Application& sender);
    // Reopening the application shows the main window when it is hidden; answers NO.
    bool applicationOpenUntitledFile(platform::Application& sender);
    // Another start of the program asked for this one: unhidden, active, main window in front
    // (reopened when it was closed), as a click on a Dock icon would.
    void showRunningInstance();

    const std::vector<bool>& toastSlots() const { return _toastSlots; }

    // Toasts. The engine's toast service announces and takes back toasts; the controller
    // decides from the alert settings whether to show each, gives it a free slot and hides
    // the timed ones. A toast that finds every slot taken waits for the next free one.
    void toastAdded(const std::shared_ptr<Toast>& toast) override;
    void toastRemoved(const std::shared_ptr<Toast>& toast) override;
    void timerHideToastCallback(const std::shared_ptr<Toast>& toast);
    // A contact changed: toasts of contacts no longer in a group (or, with the personal
    // address book, without a presence) close.
    void updateToasts();
    // Listens to the engine's toast service, reading the phone status from its status
    // service; detaching stops listening, drops waiting toasts and closes the shown ones.
    void attachToastService(std::shared_ptr<ToastService> toastService,
                            std::shared_ptr<PhoneStatusService> phoneStatusService);
    void detachToastService();
    const std::vector<std::shared_ptr<ToastWindowController>>& toastWindowControllers() const {
        return _toastWindowControllers;
    }
    // The toasts waiting for a free slot, in the order they came.
    std::vector<std::shared_ptr<Toast>> waitingToasts() const;
    bool dialPadVisibleBeforeHide() const { return _dialPadVisibleBeforeHide; }

    // The phone's and the accounts' state as the message under the call entry, with links to
    // the account preferences and a retry (AppController_PhoneStatus.cpp). The ready message
    // clears itself after a while through hideMessageAreaDelayCallback.
    void updatePhoneStatusMessage();
    void hideMessageAreaDelayCallback(platform::Timer& timer);
    const std::shared_ptr<platform::Timer>& hideStatusMessageTimer() const {
        return _hideStatusMessageTimer;
    }
    bool hibernationSuspend() const { return _hibernationSuspend; }
    void setHibernationSuspend(bool flag) { _hibernationSuspend = flag; }

    // Contact import and export sheets (AppController_ContactImport.cpp): the actions of the
    // menus and the contact lists, and the controller that runs the sheets.
    void importContacts(platform::Object* sender);
    void exportContacts(platform::Object* sender);
    ContactImportExportController& contactImportExportController();

    // The engine event hub (AppController_EventHub.cpp): the controller answers the engine's
    // application-wide callbacks and hands each event to the window it concerns.
    // attachEventHubServices takes the services it listens to from the phone service (each
    // kept in its field, the controller its delegate); detachEventHubServices lets them go
    // again: delegate removed, released, field cleared.
    void attachEventHubServices();
    void detachEventHubServices();

    // Menu and toolbar commands passed on to the primary module, the conversation service, the
    // hosted-service account model and the main window.
    void toggleDialpad(platform::Object* sender);
    void toggleSpeakerPhone(platform::Object* sender);
    void toggleVideo(platform::Object* sender);
    void toggleDeskphone(platform::Object* sender);
    void voiceMailPressed(platform::Object* sender);
    void missedCallsPressed(platform::Object* sender);
    void presenceChanged(platform::Object* sender);
    void toggleAnonymousCalling(platform::Object* sender);
    void toggleAutoAnswer(platform::Object* sender);
    void toggleLettersToNumbers(platform::Object* sender);
    void startFocusConference(platform::Object* sender);
    void findFriends(platform::Object* sender);
    void showToolBarCallback(platform::Object* sender);
    // The hosted-service command: sign out (closing every chat window) unless it came from the
    // toolbar, else sign in or sign up as the account model offers.
    void connectionServiceOperation(platform::Object* sender);
    // Runs one of the commands above by its action name ("toggleDialpad:"); false for others.
    bool performEventHubAction(std::string_view action, platform::Object* sender);

    const std::string& selfPresenceMessage() const { return _selfPresenceMessage; }
    // Removes and answers the oldest waiting presence request; null when none waits.
    std::shared_ptr<PresenceRequest> nextPresenceRequest();
    std::size_t waitingPresenceRequestCount() const { return _presenceRequests.size(); }
    // Open chat windows' controllers and their sessions, file-transfer windows' controllers.
    const std::vector<std::shared_ptr<platform::Object>>& imWindowControllers() const {
        return _imWindowControllers;
    }
    const std::vector<std::shared_ptr<platform::Object>>& imSessions() const { return _imSessions; }
    const std::vector<std::shared_ptr<platform::Object>>& fileTransferRequests() const {
        return _fileTransferRequests;
    }
    // A chat window closed: unless a forced shutdown is under way its controller leaves the
    // register, and goes on the next run-loop pass (the call comes from its own window).
    void removeIMWindowController(IMWindowController* controller);
    // A transfer ended: unless shutting down, its window's controller is let go.
    void fileTransferCompleted(const std::shared_ptr<FileTransferRequest>& request);

    void imSessionAdded(const std::shared_ptr<IMSession>& session) override;
    void imSessionRemoved(const std::shared_ptr<IMSession>& session) override;
    void existingIMSession(const std::shared_ptr<IMSession>& session) override;
    void newChatInvitation(const std::shared_ptr<ChatInvitation>& invitation) override;
    void selfPresenceUpdated(const std::shared_ptr<OVSelfPresence>& presence) override;
    void presenceRequest(const std::shared_ptr<PresenceRequest>& request) override;
    void accountAdded(const std::shared_ptr<OVAccount>& account) override;
    void accountRemoved(const std::shared_ptr<OVAccount>& account) override;
    void accountStatusChanged(const std::shared_ptr<OVAccount>& account,
                              OVAccountStatus status) override;
    void voiceMailUpdate() override;
    void phoneStatusChange(const std::shared_ptr<OVPhoneStatus>& status) override;
    void ovsaAvailabilityChanged(const std::shared_ptr<OVServiceAvailability>& service) override;
    void speakerEnabledChanged(bool enabled) override;
    void micMutedChanged(bool muted) override;
    void speakerOutputLevelChanged(int percent) override;
    void microphoneInputLevelChanged(int percent) override;
    void incomingFileTransfer(const std::shared_ptr<FileTransferRequest>& request) override;
    void outgoingFileTransfer(const std::shared_ptr<FileTransferRequest>& request) override;
    void ovnsNewNotification(const std::shared_ptr<Notification>& notification) override;
    void ovdsStatusChanged(OVDeskphoneStatus status) override;
    void ovcsIsConnected(bool connected) override;
    void ovcsIsSignedIn(bool signedIn) override;
    void ovcsWebTokenChanged() override;
    void ovmdWindowServiceOnShow(const std::shared_ptr<OVModel>& model) override;
    void ovvsIncomingVideoCallAccepted() override;
    void ovvsVideoRequestedByRemote() override;

    // The main, context and Dock menus (AppController_Menus.cpp): the controller rebuilds the
    // dynamic menus as their delegate, validates every item that reaches it by its action,
    // builds the Dock menu on demand and answers the menu commands by action name.
    // adoptMenus makes it the delegate of the menus it rebuilds and hides the update item.
    void adoptMenus();
    void menuNeedsUpdate(platform::Menu& menu) override;
    void menuWillOpen(platform::Menu& menu) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    std::shared_ptr<platform::Menu> applicationDockMenu(platform::Application& sender) override;
    // The auto-update model changed: the "Update available..." item follows it.
    void ovmdPropertyChanged(const std::string& propertyName) override;
    // The sheet attached to the main window, or null.
    platform::Window* mainWnidowAttachedSheet() const;
    // The application menu's share item once made (it is kept for the application's life).
    platform::MenuItem* shareMenuItem() const;

    // Menu commands (AppController_Menus.cpp).
    void openPreferencesWindow(platform::Object* sender);
    void openTroubleshootingWindow(platform::Object* sender);
    void openTroubleshootingAudioTab(platform::Object* sender);
    void openPreferenceDeviceTab(platform::Object* sender);
    void openPreferenceAccountTab(platform::Object* sender);
    void openFeedbackWindow(platform::Object* sender);
    void openABoutPanel(platform::Object* sender);
    void openInviteFriendsWindow(platform::Object* sender);
    void openIMArchiveWindow(platform::Object* sender);
    void openChatRoomListWindow(platform::Object* sender);
    void openWorkgroupWindow(platform::Object* sender);
    void answerIncomingCall(platform::Object* sender);
    void declineIncomingCall(platform::Object* sender);
    void placeCall(platform::Object* sender);
    void redial(platform::Object* sender);
    void hangUpOrEndTransferActiveCall(platform::Object* sender);
    void toggleHoldActiveCall(platform::Object* sender);
    void performTransferActiveCall(platform::Object* sender);
    void toggleMicMute(platform::Object* sender);
    void muteMicFromDock(platform::Object* sender);
    void endCallFromDock(platform::Object* sender);
    void pullFromMobile(platform::Object* sender);
    void volumeChanged(platform::Object* sender);
    void makeTestCall(platform::Object* sender);
    void retryAccounts(platform::Object* sender);
    void softphoneHelp(platform::Object* sender);
    void launchUrl(platform::Object* sender);
    void checkForUpdates(platform::Object* sender);
    void alwaysOnTop(platform::Object* sender);
    // Brings the main window forward as key window.
    void showMainWindow(platform::Object* sender);
    // Brings every visible window of the application forward, the main window last.
    void arrangeInFront(platform::Object* sender);

    // The register of open chat windows, for the chat windows' own questions.
    IMWindowController*
    lookupIMWindowControllerByIMSession(const std::shared_ptr<IMSession>& session) const;
    IMWindowController* lookupIMWindowControllerByContact(const platform::Object* contact) const;
    IMWindowController* lookupIMWindowControllerByGroupChatId(std::string_view groupChatId) const;
    platform::Window* currentKeyIMWindow() const;
    // A key chat window is brought forward and the answer is NO; otherwise YES.
    bool shouldOrderIMWindowFront() const;
    // NO while a chat window or the main window is key.
    bool shouldOrderWindowFront() const;

private:
    // The engine initialisation of the launch, also run again after every logout.
    void initializeEngine();
    void registerTransformers();
    // Stops the status message's timer and listening to the accounts; run at teardown.
    void detachPhoneStatusMessage();
    // The sign-in step of the engine's initialisation: the login view, or the splash view
    // when the product signs in without one.
    void startSignIn();
    // The main window's place and size, kept for the next start.
    void saveMainWindowSettings();
    // Shows `toast` in `slot` (taken from now on) and closes the one it replaces.
    void showToast(const std::shared_ptr<Toast>& toast, int slot, double duration,
                   const std::shared_ptr<ToastWindowController>& replaced);
    // The menu items of the feature switches, set once the engine has initialised.
    void adjustMenusForFeatures();
    // After sign-in: the login name, the intro video or the engine's start.
    void startEngine();
    // The phone cannot run: the application quits with a failure status.
    void quitAfterFailure();
    // Run at teardown: the sheets the controller began end, timers stop, and nothing the
    // sign-in road set up can call back into the controller any more.
    void tearDownSignIn();
    // Every engine service and model the controller holds is let go, listening stopped.
    void releaseEngineServices();
    // Frees the controller's slot, lets it go and gives the slot to a waiting toast.
    void dropToastWindowController(ToastWindowController& controller, bool closeWindow);
    void showWaitingToasts();

    MainAppWindow* _appWindow = nullptr;
    std::shared_ptr<platform::Menu> _viewMenu;
    std::shared_ptr<platform::Menu> _windowMenu;
    std::shared_ptr<platform::MenuItem> _toolbarMenuItem;
    std::shared_ptr<platform::MenuItem> _imArchiveMenuItem;
    std::shared_ptr<platform::MenuItem> _chatRoomListMenuItem;
    std::shared_ptr<platform::MenuItem> _workgroupMenuItem;
    std::shared_ptr<platform::MenuItem> _ibCheckUpdateMenuItem;
    std::shared_ptr<platform::MenuItem> _ibOnlineSupportMenuItem;
    std::shared_ptr<platform::MenuItem> _ibHelpSeparatorMenuItem;
    std::shared_ptr<platform::Menu> _actionMenu;
    std::shared_ptr<platform::Menu> _contactMenu;
    std::shared_ptr<platform::Menu> _appMenu;
    std::shared_ptr<platform::Menu> _applicationMenu;
    std::shared_ptr<platform::MenuItem> _ibLogoutMenuItem;
    std::shared_ptr<platform::MenuItem> _ibConnectServiceMenuItem;
    std::shared_ptr<platform::MenuItem> _ibServerConferenceMenuItem;
    std::shared_ptr<platform::MenuItem> _ibContactMenuItem;
    std::shared_ptr<platform::MenuItem> _ibActionsMenuItem;
    std::shared_ptr<platform::MenuItem> _ibQuitMenuItem;
    std::shared_ptr<platform::MenuItem> _ibUpdateAvailableMenuItem;
    std::shared_ptr<platform::Menu> _ibUpdateAvailableMenu;
    std::shared_ptr<platform::Menu> _helpMenu;
    std::shared_ptr<platform::MenuItem> _ibSendFeedbackMenuItem;

    std::optional<platform::Value> _brandDictionary;
    std::vector<bool> _toastSlots;
    std::vector<std::shared_ptr<ToastWindowController>> _toastWindowControllers;
    struct WaitingToast {
        std::shared_ptr<Toast> toast;
        double duration = 0;
    };
    std::vector<WaitingToast> _waitingToasts;
    std::vector<std::shared_ptr<platform::Timer>> _toastHideTimers;
    std::vector<std::shared_ptr<platform::Object>> _presenceRequests;
    std::vector<std::shared_ptr<platform::Object>> _fileTransferRequests;
    bool _forceShutDown = false;
    bool _appIsTerminating = false;
    bool _loggedIn = false;
    bool _loggedOut = false;
    bool _loginEnabled = false;
    bool _loginStateChanged = false;
    // A signal asked to quit while a sign-in or logout was under way.
    bool _quitWhenSignInEnds = false;
    // The quit under way came from a termination signal: nothing asks the user.
    bool _quitForSignal = false;
    bool _restart = false;
    bool _importing = false;
    bool _exporting = false;
    bool _hibernationSuspend = false;
    StartupService::LogoutReason _logoutReason;
    std::vector<std::shared_ptr<platform::Object>> _imWindowControllers;
    std::vector<std::shared_ptr<platform::Object>> _imSessions;
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<PhoneStatusService> _phoneStatusService;
    std::shared_ptr<AccountService> _accountService;
    std::shared_ptr<PresenceService> _presenceService;
    std::shared_ptr<ToastService> _toastService;
    std::shared_ptr<OVIMService> _imService;
    std::shared_ptr<FileTransferService> _fileTransferService;
    std::shared_ptr<NotificationService> _notificationService;
    std::shared_ptr<ConversationService> _conversationService;
    std::shared_ptr<OVDeskphoneService> _deskphoneService;
    std::shared_ptr<RemoteVideoService> _remoteVideoService;
    E911ProvisioningController* _e911ProvisioningController = nullptr;
    E911AddressConfirmationController* _e911AddressConfirmationController = nullptr;
    std::shared_ptr<OVContactImporterExporter> _contactImporterExporter;
    std::shared_ptr<ContactImportExportController> _contactImportExportController;
    std::shared_ptr<LoginProfileItem> _loginProfile;
    std::shared_ptr<OVConnectService> _connectService;
    std::shared_ptr<OVConnectAccountModel> _connectAccountModel;
    std::shared_ptr<OVWindowService> _windowService;
    std::shared_ptr<ConnectVideoController> _connectVideoController;
    std::shared_ptr<OVAutoUpdateModel> _autoUpdateModel;
    // The one-shot timer of the diagnostic-logging notice, stopped when the controller goes.
    std::shared_ptr<platform::Timer> _loggingMessageTimer;
    std::string _selfPresenceMessage;
    std::string _conversationServiceAvailabilityMessage;
    std::shared_ptr<platform::Timer> _hideStatusMessageTimer;
    std::shared_ptr<DeferredCommand> _deferredCommand;
    std::string _groupChatInvitationMessage;
    platform::Value::Array _participantsToAdd;
    bool _dialPadVisibleBeforeHide = false;
    std::shared_ptr<platform::Alert> _quitAlert;
    // The teardown has begun (cleared with _forceShutDown when a logout completes), so that
    // a second request to shut down returns at once.
    bool _shuttingDown = false;
    // The engine was asked to stop and has not yet answered.
    bool _engineStopPending = false;
    // Lets answers that arrive after the controller has gone (a deferred sheet) find out.
    std::shared_ptr<bool> _shutdownToken = std::make_shared<bool>(true);
    std::shared_ptr<LoginController> _loginController;
    // Where the next chat window's top left goes; back to the zero point when none is open.
    platform::Point _imWindowCascadePoint;
    // The number of new voicemails last reported.
    int _lastVoiceMailCount = 0;
    // Brings a hidden toolbar back shortly after the voicemail count changed.
    std::shared_ptr<platform::Timer> _showToolbarTimer;
    // The menus the controller is the delegate of and the share item; letting go of it stops
    // the menus from calling back into a controller that has gone.
    struct MenuAdoption;
    std::shared_ptr<MenuAdoption> _menuAdoption;
};
