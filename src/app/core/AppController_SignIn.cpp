#include "app/calls/CallModuleController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/core/LoginController.h"
#include "app/core/MainMenu.h"
#include "app/core/SheetsTracker.h"
#include "app/core/StorageAlerts.h"
#include "app/hosted/ConnectVideoController.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "app/pab/PabContactOperations.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/OVConnectService.h"
#include "engine/OVWindowService.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Workspace.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "widgets/QXContentView.h"

#include <cstdlib>
#include <filesystem>
#include <type_traits>

namespace {

// The name the engine starts with when nobody signed in by name.
constexpr std::string_view kDefaultUser = "default_user";
// How long after the engine was asked to start the diagnostic-logging notice appears.
constexpr platform::TimeInterval kLoggingMessageDelay = 2.0;
// The return codes of the notice's three buttons.
constexpr int kSendReport = 1000;
constexpr int kStopLogging = 1001;

// The controller becomes the delegate of each service it takes, as far as it answers that
// service's protocol; the callbacks it does not answer yet are no-ops either way.
template <class Pro> void listenTo(DelegatingService<Pro>* service, AppController* controller) {
    if constexpr (std::is_convertible_v<AppController*, Pro*>) {
        if (service)
            service->setDelegate(controller);
    }
}
template <class Pro>
void stopListening(DelegatingService<Pro>* service, AppController* controller) {
    if constexpr (std::is_convertible_v<AppController*, Pro*>) {
        if (service)
            service->removeDelegate(controller);
    }
}

AppController::URLOpener& urlOpener() {
    static AppController::URLOpener opener = AppController::openWithDesktop;
    return opener;
}

// The warning before the application closes because the phone cannot run.
void showStartFailedWarning() {
    OrvantaExtensions::dialogOK(
        QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
        QXLS("msg.opt.dialog.message.startfailed",
             "${PRODUCT_NAME} could not be started correctly and will close now."),
        platform::AlertStyle::Critical);
}

void setShown(const std::shared_ptr<platform::MenuItem>& item, bool shown) {
    if (item)
        item->setHidden(!shown);
}

bool isHidden(const std::shared_ptr<platform::MenuItem>& item) {
    return !item || item->isHidden();
}

} // namespace

void AppController::setURLOpener(URLOpener opener) {
    urlOpener() = opener ? std::move(opener) : URLOpener(openWithDesktop);
}

void AppController::openWithDesktop(const std::string& url) {
    if (url.empty())
        return;
    platform::Workspace::sharedWorkspace().openURL(url, [url](const std::string& failure) {
        if (failure.empty())
            return;
        platform::Logf("Could not open %@: %@", url, failure);
        OrvantaExtensions::dialogOK(
            QXLS("msg.opt.dialog.caption.open_url_failed", "The address could not be opened"),
            platform::formatString(QXLS("msg.opt.dialog.message.open_url_failed", "%@\n\n%@"), url,
                                   failure),
            platform::AlertStyle::Warning);
    });
}

void AppController::openURL(const std::string& url) {
    urlOpener()(url);
}

void AppController::setMenuOutlets(const MainMenuOutlets& outlets) {
    _appMenu = outlets.appMenu;
    _applicationMenu = outlets.applicationMenu;
    _viewMenu = outlets.viewMenu;
    _windowMenu = outlets.windowMenu;
    _actionMenu = outlets.actionMenu;
    _contactMenu = outlets.contactMenu;
    _helpMenu = outlets.helpMenu;
    _ibUpdateAvailableMenu = outlets.ibUpdateAvailableMenu;
    _toolbarMenuItem = outlets.toolbarMenuItem;
    _imArchiveMenuItem = outlets.imArchiveMenuItem;
    _chatRoomListMenuItem = outlets.chatRoomListMenuItem;
    _workgroupMenuItem = outlets.workgroupMenuItem;
    _ibCheckUpdateMenuItem = outlets.ibCheckUpdateMenuItem;
    _ibOnlineSupportMenuItem = outlets.ibOnlineSupportMenuItem;
    _ibHelpSeparatorMenuItem = outlets.ibHelpSeparatorMenuItem;
    _ibLogoutMenuItem = outlets.ibLogoutMenuItem;
    _ibConnectServiceMenuItem = outlets.ibConnectServiceMenuItem;
    _ibServerConferenceMenuItem = outlets.ibServerConferenceMenuItem;
    _ibContactMenuItem = outlets.ibContactMenuItem;
    _ibActionsMenuItem = outlets.ibActionsMenuItem;
    _ibQuitMenuItem = outlets.ibQuitMenuItem;
    _ibUpdateAvailableMenuItem = outlets.ibUpdateAvailableMenuItem;
    _ibSendFeedbackMenuItem = outlets.ibSendFeedbackMenuItem;
}

MainMenuOutlets AppController::menuOutlets() const {
    MainMenuOutlets outlets;
    outlets.appMenu = _appMenu;
    outlets.applicationMenu = _applicationMenu;
    outlets.viewMenu = _viewMenu;
    outlets.windowMenu = _windowMenu;
    outlets.actionMenu = _actionMenu;
    outlets.contactMenu = _contactMenu;
    outlets.helpMenu = _helpMenu;
    outlets.ibUpdateAvailableMenu = _ibUpdateAvailableMenu;
    outlets.toolbarMenuItem = _toolbarMenuItem;
    outlets.imArchiveMenuItem = _imArchiveMenuItem;
    outlets.chatRoomListMenuItem = _chatRoomListMenuItem;
    outlets.workgroupMenuItem = _workgroupMenuItem;
    outlets.ibCheckUpdateMenuItem = _ibCheckUpdateMenuItem;
    outlets.ibOnlineSupportMenuItem = _ibOnlineSupportMenuItem;
    outlets.ibHelpSeparatorMenuItem = _ibHelpSeparatorMenuItem;
    outlets.ibLogoutMenuItem = _ibLogoutMenuItem;
    outlets.ibConnectServiceMenuItem = _ibConnectServiceMenuItem;
    outlets.ibServerConferenceMenuItem = _ibServerConferenceMenuItem;
    outlets.ibContactMenuItem = _ibContactMenuItem;
    outlets.ibActionsMenuItem = _ibActionsMenuItem;
    outlets.ibQuitMenuItem = _ibQuitMenuItem;
    outlets.ibUpdateAvailableMenuItem = _ibUpdateAvailableMenuItem;
    outlets.ibSendFeedbackMenuItem = _ibSendFeedbackMenuItem;
    return outlets;
}

void AppController::ovssInitCompleted() {
    platform::Log("Engine initialisation completed");
    setPhoneService(StartupService::instance().phoneService());
    listenTo(_phoneService.get(), this);
    adjustMenusForFeatures();
    startSignIn();
    // The main window saves its place when it first closes; until then this is a first run.
    if (_phoneService && platform::UserDefaults::standardUserDefaults()
                             .objectForKey("mainPhone.locationTopLeft")
                             .isNull())
        _phoneService->makeUsTheDefaultPhoneApplication();
}

void AppController::ovssInitFailed(const std::string& reason) {
    // Without its store the engine can neither sign in nor keep anything, and nothing would
    // ever leave the splash view: say why, and either start afresh with the store moved
    // aside or quit with a failure status.
    platform::Logf("Engine initialisation failed: %@", reason);
    if (StorageAlerts::offerToStartAfresh(reason, StartupService::instance().store().file())) {
        initializeEngine();
        return;
    }
    quitAfterFailure();
}

void AppController::adjustMenusForFeatures() {
    setShown(_imArchiveMenuItem, featureOn("conversationArchiveEnabled"));
    setShown(_toolbarMenuItem, featureOn("show_tool_bar"));
    setShown(_chatRoomListMenuItem, featureOn("xmppEnabled"));
    setShown(_ibCheckUpdateMenuItem, featureOn("auto_update_code"));
    setShown(_ibLogoutMenuItem, featureOn("loginEnabled"));
    setShown(_ibServerConferenceMenuItem, featureOn("n_way_conferencing"));
    setShown(_ibConnectServiceMenuItem, featureOn("connectServiceEnabled"));
    setShown(_workgroupMenuItem, false);

    const platform::Value& helpURL = brandDict()["Menus"]["Help"]["online_help_url"];
    setShown(_ibOnlineSupportMenuItem, helpURL.isString() && !helpURL.string()->empty());
    if (_ibHelpSeparatorMenuItem && isHidden(_ibOnlineSupportMenuItem) &&
        isHidden(_ibCheckUpdateMenuItem))
        _ibHelpSeparatorMenuItem->setHidden(true);

    auto removeFromMenuBar = [this](std::shared_ptr<platform::MenuItem>& item) {
        if (item && _appMenu && _appMenu->indexOfItem(item.get()) >= 0)
            _appMenu->removeItem(item.get());
        item.reset();
    };
    if (!featureOn("contactsEnabled")) {
        removeFromMenuBar(_ibContactMenuItem);
        removeFromMenuBar(_ibActionsMenuItem);
    }
    if (!featureOn("actionMenuEnabled"))
        removeFromMenuBar(_ibActionsMenuItem);
}

void AppController::ovssLoginStarted() {
    _loggedIn = false;
    _loggedOut = false;
    _loginStateChanged = true;
    _logoutReason = StartupService::user;
}

void AppController::ovssLoginCancelled() {
    _loggedIn = false;
    _loginStateChanged = true;
    _loggedOut = true;
    quitIfAskedDuringSignIn();
}

void AppController::ovssLoginProfileUpdated(const std::string& message) {
    if (_loginController)
        _loginController->profileUpdated(message);
}

void AppController::ovssLoginFailed(StartupService::LoginFailureReason reason,
                                    const std::string& message) {
    std::string text = message;
    if (text.empty()) {
        if (reason == StartupService::loginFailureServerRejected)
            text = QXLS("msg.login.failure.invalid",
                        "Your login credentials were rejected by the server.");
        else if (reason == StartupService::loginFailureServerUnreachable)
            text = QXLS("msg.login.failure.unreachable",
                        "The login server is not reachable, please try again later.");
        else
            text = QXLS("msg.login.failure.default",
                        "An unknown error occured, please try again later");
    }
    if (_loginController)
        _loginController->loginFailed(text);
    _loggedIn = false;
    _loggedOut = true;
    _loginStateChanged = true;
    quitIfAskedDuringSignIn();
}

void AppController::ovssLoginSucceeded(const std::string& /*userName*/) {
    _loginProfile = _loginController ? _loginController->loginProfile() : nullptr;
    const bool noLogin = _loginProfile && _loginProfile->type() == LoginProfileItem::NO_LOGIN;
    setShown(_ibLogoutMenuItem, !noLogin);
    _loggedIn = true;
    _loggedOut = false;
    _loginStateChanged = true;
    _loginEnabled = !noLogin;
    startEngine();
    quitIfAskedDuringSignIn();
}

void AppController::quitIfAskedDuringSignIn() {
    if (!_quitWhenSignInEnds)
        return;
    _quitWhenSignInEnds = false;
    platform::RunLoop::main().performInModes(
        [] { platform::Application::sharedApplication().terminateForSignal(); },
        platform::commonModes());
}

void AppController::startEngine() {
    auto& startup = StartupService::instance();
    if (startup.started())
        return;
    std::string loginName;
    if (!_loginController) {
        loginName = kDefaultUser;
    } else {
        // A success that no sign-in of this view asked for (the view still waits for the
        // user) starts nothing.
        if (!_loginController->loggingIn() && _appWindow &&
            _appWindow->currentViewName() == "login")
            return;
        _loginController->loginSucceeded();
        loginName = _loginController->validLoginName();
        if (loginName.empty())
            loginName = kDefaultUser;
    }

    if (startup.playIntroVideo(loginName)) {
        _connectVideoController = ConnectVideoController::instance();
        if (_appWindow) {
            _connectVideoController->initializeWithWindow(*_appWindow);
            _appWindow->displayConnectVideo();
        }
    } else {
        startup.start(loginName);
    }

    const auto phone = startup.phoneService();
    const auto diagnostics = phone ? phone->getDiagnosticService() : nullptr;
    const auto logging = diagnostics ? diagnostics->getDiagnosticLogging() : nullptr;
    if (logging && logging->isLoggingStarted()) {
        if (_loggingMessageTimer)
            _loggingMessageTimer->invalidate();
        _loggingMessageTimer = platform::Timer::scheduledTimerWithTimeInterval(
            kLoggingMessageDelay, false,
            [this](platform::Timer& timer) { displayLoggingMessage(timer); });
    }
}

void AppController::videoFinishedPlaying(platform::Object* /*sender*/) {
    if (_appWindow)
        _appWindow->displaySplashScreen();
    if (_connectVideoController) {
        if (_appWindow)
            _connectVideoController->discard(*_appWindow);
        _connectVideoController.reset();
    }
    std::string loginName = _loginController ? _loginController->validLoginName() : std::string();
    if (loginName.empty())
        loginName = kDefaultUser;
    StartupService::instance().start(loginName);
}

void AppController::displayLoggingMessage(platform::Timer& /*timer*/) {
    _loggingMessageTimer.reset();
    if (!_appWindow)
        return;
    auto alert = platform::Alert::alert();
    alert->setAlertStyle(platform::AlertStyle::Informational);
    alert->setMessageText(QXLS("msg.opt.dialog.diagnostic.title", "Diagnostic Logging"));
    alert->setInformativeText(QXLS(
        "msg.phone.status.loggingEnabled",
        "Advanced logging is turned on. To send a report, click Send Report. It is recommended "
        "that you Stop Advanced Logging after you have sent the report."));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.sendReport", "Send Report"));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.stopLogging", "Stop Logging"));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.continueLogging", "Continue Logging"));
    std::weak_ptr<platform::Alert> weakAlert = alert;
    alert->beginSheetModalForWindow(*_appWindow, [this, weakAlert](int returnCode) {
        if (auto shown = weakAlert.lock())
            loggingMessageDidEnd(*shown, returnCode);
    });
    if (platform::Panel* panel = alert->window(); panel && panel->isSheet())
        SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), this);
}

void AppController::loggingMessageDidEnd(platform::Alert& alert, int returnCode) {
    if (platform::Panel* panel = alert.window()) {
        SheetsTracker::sharedController().deRegisterSheet(panel, this);
        panel->orderOut(nullptr);
    }
    if (returnCode == kSendReport) {
        openTroubleshootingDiagnosticsTab(this);
        platform::NotificationCenter::defaultCenter().postNotificationName(
            SendDiagnosticLogNotification);
    } else if (returnCode == kStopLogging) {
        if (auto phone = StartupService::instance().phoneService())
            if (auto diagnostics = phone->getDiagnosticService())
                if (auto logging = diagnostics->getDiagnosticLogging())
                    logging->stopLogging();
    }
}

void AppController::openTroubleshootingDiagnosticsTab(platform::Object* /*sender*/) {
    if (!StartupService::instance().started() || _forceShutDown)
        return;
    auto& troubleshooting =
        TroubleshootingWindowController::sharedTroubleshootingWindowController();
    troubleshooting.showWindow(this);
    troubleshooting.displayViewWithIdentifier("Diagnostics", false);
}

void AppController::ovssStartCompleted() {
    auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    if (!_phoneService) {
        setPhoneService(phone);
        listenTo(_phoneService.get(), this);
    }
    if (!phone)
        return;

    _windowService = OVWindowService::create();
    listenTo(_windowService.get(), this);
    _remoteVideoService = phone->getRemoteVideoService();
    listenTo(_remoteVideoService.get(), this);

    PrimaryModuleController::sharedController().setup();
    CallModuleController::sharedController().setup();
    AdvertisementModuleController::sharedController().setup();

    _phoneStatusService = phone->getPhoneStatusService();
    listenTo(_phoneStatusService.get(), this);
    _notificationService = phone->getNotificationService();
    listenTo(_notificationService.get(), this);
    _conversationService = phone->getConversationService();
    listenTo(_conversationService.get(), this);
    _deskphoneService = phone->getDeskphoneService();
    listenTo(_deskphoneService.get(), this);

    if (featureOn("connectServiceEnabled")) {
        _connectService = phone->getConnectService();
        listenTo(_connectService.get(), this);
        _connectAccountModel = OVConnectAccountModel::create();
        listenTo(_connectAccountModel.get(), this);
    }

    ToolbarController::sharedController().setupToolbar();
    if (!featureOn("show_tool_bar") && _appWindow)
        _appWindow->setToolbar(nullptr, "mainView");

    if (featureOn("e911Enabled")) {
        if (featureOn("use_dash_e911_provisioning")) {
            _e911ProvisioningController = &E911ProvisioningController::instance();
            if (_appWindow)
                _e911ProvisioningController->initWithWindow(*_appWindow);
            _e911ProvisioningController->setDelegate(this);
        } else {
            _e911AddressConfirmationController = &E911AddressConfirmationController::instance();
            if (_appWindow)
                _e911AddressConfirmationController->initWithWindow(*_appWindow);
            _e911AddressConfirmationController->setDelegate(this);
        }
    }

    if (!phone->contactMigrationRequired()) {
        doe911ThenLaunchApp();
        return;
    }
    const std::filesystem::path target =
        std::filesystem::path(phone->getUserSettingFolder()) / "InternalContacts.csv";
    auto& files = platform::FileManager::defaultManager();
    if (!files.fileExistsAtPath(target)) {
        // The contacts of older versions ship with the product; the engine reads them from
        // the settings folder. A copy that fails only leaves the migration without them.
        if (auto resource =
                platform::Bundle::mainBundle().pathForResource("InternalContacts", "csv"))
            files.copyItemAtPath(*resource, target);
    }
    if (_appWindow)
        _appWindow->displayImporting();
    phone->migrateContacts();
}

void AppController::contactMigrationComplete() {
    doe911ThenLaunchApp();
}

void AppController::doe911ThenLaunchApp() {
    if (!featureOn("e911Enabled")) {
        launchMain();
        return;
    }
    // An operation for a controller that was not made is skipped; the view still changes,
    // and only the flow that runs answers.
    if (featureOn("show_e911_address_confirmation_dialog")) {
        if (_e911AddressConfirmationController)
            _e911AddressConfirmationController->startE911AddressConfirmation();
        if (_appWindow)
            _appWindow->displayE911AddressConfirmation();
    } else if ((!_e911ProvisioningController || !_e911ProvisioningController->provisioned()) &&
               featureOn("use_dash_e911_provisioning")) {
        if (_e911ProvisioningController)
            _e911ProvisioningController->startE911Provisioning();
        if (_appWindow)
            _appWindow->displayE911Provision();
    } else {
        if (_e911AddressConfirmationController)
            _e911AddressConfirmationController->startE911Disclaimer();
        if (_appWindow)
            _appWindow->displayE911Disclaimer();
    }
}

void AppController::e911AddressConfirmationSucceed(bool succeeded) {
    if (succeeded) {
        launchMain();
        return;
    }
    if (_e911AddressConfirmationController)
        _e911AddressConfirmationController->startE911Disclaimer();
    if (_appWindow)
        _appWindow->displayE911Disclaimer();
}

void AppController::e911DisclaimerSucceed(bool accepted) {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const std::string url =
        phone ? (accepted ? phone->disclaimerAcceptUrl() : phone->disclaimerRejectUrl()) : "";
    if (!url.empty())
        urlOpener()(url);
    if (accepted || featureOn("disclaimer_always_launch_app")) {
        launchMain();
        return;
    }
    setAppShouldBeTerminating(true);
    platform::Application::sharedApplication().terminate(this);
}

void AppController::e911provisioningSucceed(bool succeeded) {
    if (succeeded) {
        launchMain();
        return;
    }
    setAppShouldBeTerminating(true);
    platform::Application::sharedApplication().terminate(this);
}

void AppController::launchMain() {
    FunctionModuleController::sharedController().setup();
    if (_appWindow)
        _appWindow->displayMain();
    setCallEntryFieldFocus();
    CallModuleController::sharedController().setupServices();
    if (_appWindow) {
        if (featureOn("allow_main_window_resize"))
            _appWindow->setResizeHandle(brandDict()["MainWindowFrame"]["Resize"].stringValue());
        else
            _appWindow->setResize(false, "mainView");
    }

    auto& center = platform::NotificationCenter::defaultCenter();
    center.postNotificationName(ApplicationNotification, this,
                                platform::Value(platform::Value::Dictionary{
                                    {std::string(ApplicationReady), platform::Value(true)}}));
    prepareAccounts();
    // The application-wide engine events (messaging, presence, devices, transfers, notices,
    // hosted service, video) reach their windows from here on.
    attachEventHubServices();

    _autoUpdateModel = OVAutoUpdateModel::create();
    listenTo(_autoUpdateModel.get(), this);

    if (_loginController) {
        _loginController->discard();
        _loginController.reset();
    }
    if (_appWindow)
        _appWindow->applyAlwaysOnTopSetting();
    center.postNotificationName("PhoneServiceStarted", this);
}

void AppController::setCallEntryFieldFocus() {
    PrimaryModuleController::sharedController().focusCallEntryField();
}

void AppController::prepareAccounts() {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    if (!phone)
        return;
    if (!_accountService) {
        _accountService = phone->getAccountService();
        listenTo(_accountService.get(), this);
        updatePhoneStatusMessage();
    }
    if (_accountService)
        for (const auto& account : _accountService->accounts())
            listenTo(account.get(), this);

    _imService = phone->getIMService();
    listenTo(_imService.get(), this);
    attachToastService(phone->getToastService(), phone->getPhoneStatusService());
    _presenceService = phone->getPresenceService();
    listenTo(_presenceService.get(), this);
    _fileTransferService = phone->getFileTransferService();
    listenTo(_fileTransferService.get(), this);
    _contactImporterExporter = phone->getContactImporterExporter();
    listenTo(_contactImporterExporter.get(), this);

    // The user's own presence of the last session comes back, unless the server keeps it.
    const platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    std::optional<std::string> message = defaults.stringForKey("mainPhone.presence.message");
    const platform::Value& status = defaults.objectForKey("mainPhone.presence.status");
    if (!message && !status.isNull())
        message = PrimaryModuleController::sharedController().getPresenceMessage(status.intValue());
    if (!message || featureOn("remote_presence_synchronization") || !_presenceService)
        return;
    const auto self = _presenceService->getSelfPresence();
    if (!self)
        return;
    self->setStatus(status.isNull() ? 0 : status.intValue());
    self->setMessage(
        featureOn("allow_pab")
            ? PabContactOperations::instance().translatePresenceMessageReverse(*message)
            : ContactOperations::instance().translatePresenceMessageReverse(*message));
    self->publish();
}

void AppController::ovssStartFailed(const std::string& reason) {
    // The original closed with status 0 here; a phone that could not start is a failure.
    platform::Logf("Engine start failed: %@", reason);
    showStartFailedWarning();
    quitAfterFailure();
}

void AppController::quitAfterFailure() {
    auto& application = platform::Application::sharedApplication();
    application.setExitStatus(EXIT_FAILURE);
    setAppShouldBeTerminating(true);
    application.terminate(this);
    if (!application.isTerminated() && !application.isWaitingForTerminationReply()) {
        // Nothing may keep a phone that cannot run on the screen.
        platform::Log("FATAL ERROR: the phone could not be started and the application did "
                      "not quit");
        std::exit(EXIT_FAILURE);
    }
}

void AppController::userNameUpdated() {
    if (!StartupService::instance().started())
        return;
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const std::string name = phone ? phone->userName() : std::string();
    if (featureOn("presenceEnabled"))
        ToolbarController::sharedController().setDisplayName(name);
    else if (_appWindow)
        _appWindow->setTitleWithMessage(name);
}

void AppController::releaseEngineServices() {
    stopListening(_accountService.get(), this);
    if (_accountService)
        for (const auto& account : _accountService->accounts())
            stopListening(account.get(), this);
    _accountService.reset();
    stopListening(_phoneService.get(), this);
    _phoneService.reset();
    stopListening(_phoneStatusService.get(), this);
    _phoneStatusService.reset();
    stopListening(_imService.get(), this);
    _imService.reset();
    stopListening(_fileTransferService.get(), this);
    _fileTransferService.reset();
    stopListening(_contactImporterExporter.get(), this);
    _contactImporterExporter.reset();
    stopListening(_presenceService.get(), this);
    _presenceService.reset();
    stopListening(_notificationService.get(), this);
    _notificationService.reset();
    stopListening(_conversationService.get(), this);
    _conversationService.reset();
    stopListening(_windowService.get(), this);
    _windowService.reset();
    stopListening(_remoteVideoService.get(), this);
    _remoteVideoService.reset();
}

void AppController::tearDownSignIn() {
    if (_loggingMessageTimer) {
        _loggingMessageTimer->invalidate();
        _loggingMessageTimer.reset();
    }
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    if (_e911ProvisioningController && _e911ProvisioningController->delegate() == this)
        _e911ProvisioningController->setDelegate(nullptr);
    if (_e911AddressConfirmationController &&
        _e911AddressConfirmationController->delegate() == this)
        _e911AddressConfirmationController->setDelegate(nullptr);
    stopListening(_deskphoneService.get(), this);
    stopListening(_connectService.get(), this);
    stopListening(_connectAccountModel.get(), this);
    stopListening(_autoUpdateModel.get(), this);
    releaseEngineServices();
}
