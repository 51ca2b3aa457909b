#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/AutoUpdateController.h"
#include "app/core/DockController.h"
#include "app/core/Features.h"
#include "app/core/NotificationController.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/hosted/ConnectServiceWindowController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "app/messaging/ChatInvitationWindowController.h"
#include "app/messaging/FileTransferWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "app/pab/PabContactOperations.h"
#include "engine/OVAutoUpdateModel.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "platform/kit/Application.h"
#include "platform/kit/Toolbar.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/TextExtensions.h"

#include <algorithm>
#include <cctype>

namespace {

// How long a deskphone message that clears itself stays.
constexpr platform::TimeInterval deskphoneMessageDuration = 7.0;
// The pause before a hidden toolbar comes back to show a new voicemail count.
constexpr platform::TimeInterval showToolbarDelay = 0.5;

constexpr std::string_view GroupChatSessionsInvalidated = "GroupChatSessionsInvalidated";

// Keeps the service in its field (the one already held wins) and listens to it.
template <class Service>
void take(std::shared_ptr<Service>& field, std::shared_ptr<Service> service,
          AppController* controller) {
    if (!field) {
        field = std::move(service);
    }
    if (field) {
        field->setDelegate(controller);
    }
}

// The original's three steps of letting a service go: delegate removed, released, cleared.
template <class Service> void release(std::shared_ptr<Service>& field, AppController* controller) {
    if (field) {
        field->removeDelegate(controller);
    }
    field.reset();
}

// Every "%s" in the text, of either case, replaced by the replacement.
std::string replacingTokenIgnoringCase(std::string text, const std::string& replacement) {
    std::size_t at = 0;
    while ((at = text.find('%', at)) != std::string::npos) {
        if (at + 1 < text.size() && std::tolower(static_cast<unsigned char>(text[at + 1])) == 's') {
            text.replace(at, 2, replacement);
            at += replacement.size();
        } else {
            ++at;
        }
    }
    return text;
}

// The web tab's address, kept in the engine's settings.
void storeWebBrowserURL(const std::shared_ptr<PhoneService>& phone, const std::string& url) {
    if (const auto settings = phone ? phone->getPreferenceSettings() : nullptr) {
        settings->sub("preferences")->sub("webBrowser")->sub("url1")->setStringSetting(url, true);
    }
}

// The dialpad shows the phone status too; it reads it again.
void refreshDialpadPhoneStatus() {
    if (!DialpadWindowController::dialpadExist()) {
        return;
    }
    const auto service = DialpadWindowController::sharedController().phoneStatusService();
    if (const auto status = service ? service->status() : nullptr) {
        status->refresh();
    }
}

platform::AttributedString centredStatusText(platform::AttributedString message) {
    const platform::TextRange whole{0, message.length()};
    platform::TextAttributes font;
    font.font = platform::Font::fontWithName("Lucida Grande", 11);
    message.addAttributes(font, whole);
    message.setAlignment(platform::TextAlignment::Center, whole);
    return message;
}

std::string_view dockModeFor(const OVSelfPresence& presence, bool micMuted) {
    if (micMuted) {
        return AM_onCallMuted;
    }
    switch (static_cast<int>(presence.status())) {
    case 1:
        return AM_busy;
    case 2:
    case 3:
        return AM_away;
    case 4:
        return AM_onCall;
    case 5:
    case 6:
        return AM_dnd;
    case 7:
        return AM_offline;
    default:
        return AM_available;
    }
}

// Lets an object go on the next pass of the run loop: the call that dropped it may come from
// inside the object itself.
void releaseLater(std::shared_ptr<platform::Object> object) {
    if (object) {
        platform::RunLoop::main().performInModes([object = std::move(object)] {},
                                                 platform::commonModes());
    }
}

} // namespace

void AppController::attachEventHubServices() {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    if (!phone) {
        return;
    }
    take(_phoneService, phone, this);
    take(_accountService, phone->getAccountService(), this);
    if (_accountService) {
        for (const auto& account : _accountService->accounts()) {
            account->setDelegate(this);
        }
    }
    take(_phoneStatusService, phone->getPhoneStatusService(), this);
    take(_imService, phone->getIMService(), this);
    take(_fileTransferService, phone->getFileTransferService(), this);
    take(_presenceService, phone->getPresenceService(), this);
    take(_notificationService, phone->getNotificationService(), this);
    take(_conversationService, phone->getConversationService(), this);
    take(_windowService, _windowService ? nullptr : OVWindowService::create(), this);
    take(_remoteVideoService, phone->getRemoteVideoService(), this);
    take(_deskphoneService, phone->getDeskphoneService(), this);
    if (featureOn("connectServiceEnabled")) {
        take(_connectService, phone->getConnectService(), this);
        take(_connectAccountModel, _connectAccountModel ? nullptr : OVConnectAccountModel::create(),
             this);
    }
}

void AppController::detachEventHubServices() {
    if (_showToolbarTimer) {
        _showToolbarTimer->invalidate();
        _showToolbarTimer.reset();
    }
    if (_accountService) {
        for (const auto& account : _accountService->accounts()) {
            account->removeDelegate(this);
        }
    }
    release(_accountService, this);
    release(_phoneService, this);
    release(_phoneStatusService, this);
    release(_imService, this);
    release(_fileTransferService, this);
    release(_presenceService, this);
    release(_notificationService, this);
    release(_conversationService, this);
    release(_windowService, this);
    release(_remoteVideoService, this);
    // The engine's stop lets these two go last.
    release(_deskphoneService, this);
    release(_connectAccountModel, this);
    release(_connectService, this);
}

// Forwarding actions.

void AppController::toggleDialpad(platform::Object* sender) {
    PrimaryModuleController::sharedController().toggleDialpad(sender);
}

void AppController::toggleSpeakerPhone(platform::Object* sender) {
    PrimaryModuleController::sharedController().toggleSpeakerPhone(sender);
}

void AppController::toggleVideo(platform::Object* sender) {
    PrimaryModuleController::sharedController().toggleVideo(sender);
}

void AppController::toggleDeskphone(platform::Object* sender) {
    PrimaryModuleController::sharedController().toggleDeskphone(sender);
}

void AppController::voiceMailPressed(platform::Object* sender) {
    PrimaryModuleController::sharedController().voiceMailPressed(sender);
}

void AppController::missedCallsPressed(platform::Object* sender) {
    PrimaryModuleController::sharedController().missedCallsPressed(sender);
}

void AppController::presenceChanged(platform::Object* sender) {
    PrimaryModuleController::sharedController().presenceChanged(sender);
}

void AppController::toggleAnonymousCalling(platform::Object* sender) {
    PrimaryModuleController::sharedController().togglAnonymousCalling(sender);
}

void AppController::toggleAutoAnswer(platform::Object* sender) {
    PrimaryModuleController::sharedController().togglAutoAnswer(sender);
}

void AppController::toggleLettersToNumbers(platform::Object* sender) {
    PrimaryModuleController::sharedController().togglLettersToNumbers(sender);
}

void AppController::startFocusConference(platform::Object* /*sender*/) {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto conversations = _conversationService
                                   ? _conversationService
                                   : (phone ? phone->getConversationService() : nullptr);
    if (conversations) {
        conversations->conferenceFocusConversation();
    }
}

void AppController::findFriends(platform::Object* /*sender*/) {
    if (_connectAccountModel) {
        _connectAccountModel->findFriends();
    }
}

void AppController::showToolBarCallback(platform::Object* /*sender*/) {
    if (_appWindow) {
        _appWindow->toggleToolbarShown(nullptr);
    }
}

void AppController::connectionServiceOperation(platform::Object* sender) {
    if (!_connectAccountModel) {
        return;
    }
    const bool fromToolbar = dynamic_cast<ToolbarController*>(sender) != nullptr;
    if (!fromToolbar && _connectAccountModel->showSignOut()) {
        // Closing takes each window out of the register, so walk a copy.
        const auto controllers = _imWindowControllers;
        for (const auto& controller : controllers) {
            if (auto* window = dynamic_cast<IMWindowController*>(controller.get())) {
                window->close();
            }
        }
        _connectAccountModel->signOut();
    } else if (_connectAccountModel->showSignIn()) {
        _connectAccountModel->signIn();
    } else if (_connectAccountModel->showSignUp()) {
        _connectAccountModel->signUp();
    }
}

bool AppController::performEventHubAction(std::string_view action, platform::Object* sender) {
    using Action = void (AppController::*)(platform::Object*);
    static constexpr std::pair<std::string_view, Action> actions[] = {
        {"toggleDialpad:", &AppController::toggleDialpad},
        {"toggleSpeakerPhone:", &AppController::toggleSpeakerPhone},
        {"toggleVideo:", &AppController::toggleVideo},
        {"toggleDeskphone:", &AppController::toggleDeskphone},
        {"voiceMailPressed:", &AppController::voiceMailPressed},
        {"missedCallsPressed:", &AppController::missedCallsPressed},
        {"presenceChanged:", &AppController::presenceChanged},
        {"toggleAnonymousCalling:", &AppController::toggleAnonymousCalling},
        {"toggleAutoAnswer:", &AppController::toggleAutoAnswer},
        {"toggleLettersToNumbers:", &AppController::toggleLettersToNumbers},
        {"startFocusConference:", &AppController::startFocusConference},
        {"findFriends:", &AppController::findFriends},
        {"showToolBarCallback:", &AppController::showToolBarCallback},
        {"connectionServiceOperation:", &AppController::connectionServiceOperation},
    };
    for (const auto& [name, member] : actions) {
        if (name == action) {
            (this->*member)(sender);
            return true;
        }
    }
    return false;
}

std::shared_ptr<PresenceRequest> AppController::nextPresenceRequest() {
    while (!_presenceRequests.empty()) {
        auto request = std::dynamic_pointer_cast<PresenceRequest>(_presenceRequests.front());
        _presenceRequests.erase(_presenceRequests.begin());
        if (request) {
            return request;
        }
    }
    return nullptr;
}

void AppController::removeIMWindowController(IMWindowController* controller) {
    // A forced shutdown closes every window itself and needs the register whole meanwhile.
    if (_forceShutDown || !controller) {
        return;
    }
    const auto it = std::find_if(_imWindowControllers.begin(), _imWindowControllers.end(),
                                 [&](const auto& entry) { return entry.get() == controller; });
    if (it != _imWindowControllers.end()) {
        auto removed = std::move(*it);
        _imWindowControllers.erase(it);
        releaseLater(std::move(removed));
    }
}

void AppController::fileTransferCompleted(const std::shared_ptr<FileTransferRequest>& request) {
    if (_forceShutDown || !request) {
        return;
    }
    const auto* delegate = request->delegate();
    const auto it = std::find_if(
        _fileTransferRequests.begin(), _fileTransferRequests.end(), [&](const auto& entry) {
            const auto* controller = dynamic_cast<FileTransferWindowController*>(entry.get());
            return controller && static_cast<const FileTransferRequestPro*>(controller) == delegate;
        });
    if (it != _fileTransferRequests.end()) {
        auto removed = std::move(*it);
        _fileTransferRequests.erase(it);
        // The report comes from inside the window's controller.
        releaseLater(std::move(removed));
    }
}

// Messaging.

void AppController::imSessionAdded(const std::shared_ptr<IMSession>& session) {
    if (!session) {
        return;
    }
    auto controller = std::make_shared<IMWindowController>(session);
    // The first chat window opens in the middle of the screen, the next ones cascade from it.
    if (_imWindowControllers.empty()) {
        _imWindowCascadePoint = platform::Point();
        controller->window()->center();
    }
    _imWindowCascadePoint = controller->window()->cascadeTopLeftFromPoint(_imWindowCascadePoint);
    _imWindowControllers.push_back(controller);
    _imSessions.push_back(session);
    if (session->isGroupChat() && !_participantsToAdd.empty()) {
        // Contacts as they are; an address stands for the contact that holds it.
        std::vector<std::shared_ptr<OVEntity>> contacts =
            contactSelectionFromValue(platform::Value(_participantsToAdd));
        auto phone = StartupService::instance().phoneService();
        for (const auto& value : _participantsToAdd) {
            if (value.isString() && phone) {
                const auto found = phone->getContactManager()->lookup("", *value.string(), "");
                if (!found.empty()) {
                    contacts.push_back(found.front());
                }
            }
        }
        controller->addParticipants(contacts);
        _participantsToAdd.clear();
    }
}

void AppController::imSessionRemoved(const std::shared_ptr<IMSession>& session) {
    if (!session) {
        return;
    }
    auto* controller = dynamic_cast<IMWindowController*>(session->delegate());
    platform::Window* window = controller ? controller->window() : nullptr;
    if (window && window->isVisible()) {
        controller->sessionTerminated();
    }
    if (_forceShutDown) {
        return;
    }
    if (window && (window->isVisible() || window->isMiniaturized())) {
        controller->sessionTerminated();
        if (_connectService && _connectService->isSignedIn() && !_connectService->isConnected()) {
            controller->close();
        }
    }
    std::erase_if(_imSessions, [&](const auto& entry) { return entry.get() == session.get(); });
}

void AppController::existingIMSession(const std::shared_ptr<IMSession>& session) {
    auto* controller = session ? dynamic_cast<IMWindowController*>(session->delegate()) : nullptr;
    if (controller) {
        controller->window()->makeKeyAndOrderFront(nullptr);
    }
}

void AppController::newChatInvitation(const std::shared_ptr<ChatInvitation>& invitation) {
    if (invitation) {
        ChatInvitationWindowController::initWithChatInvitation(invitation);
    }
}

// Presence.

void AppController::selfPresenceUpdated(const std::shared_ptr<OVSelfPresence>& /*presence*/) {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto service =
        _presenceService ? _presenceService : (phone ? phone->getPresenceService() : nullptr);
    const auto self = service ? service->getSelfPresence() : nullptr;
    if (!self) {
        return;
    }
    DockController::sharedDockController().setMode(dockModeFor(*self, phone && phone->micMuted()));
    PrimaryModuleController::sharedController().selfPresenceChanged(self);
    _selfPresenceMessage = self->message();
}

void AppController::presenceRequest(const std::shared_ptr<PresenceRequest>& request) {
    if (!request) {
        return;
    }
    auto& window = PresenceRequestWindowController::sharedPresenceRequestWindowController();
    if (window.window()->isVisible()) {
        _presenceRequests.push_back(request);
    } else {
        window.showPresenceRequest(request);
    }
}

// Accounts.

void AppController::accountAdded(const std::shared_ptr<OVAccount>& account) {
    if (account) {
        account->setDelegate(this);
    }
}

void AppController::accountRemoved(const std::shared_ptr<OVAccount>& account) {
    if (account && account->protocol() == OVAccount::XMPPprotocol) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            GroupChatSessionsInvalidated, account.get());
    }
}

void AppController::accountStatusChanged(const std::shared_ptr<OVAccount>& account,
                                         OVAccountStatus status) {
    if (account && account->protocol() == OVAccount::XMPPprotocol &&
        (status == OVAccount::statusDisabled || status == OVAccount::statusFailed ||
         status == OVAccount::statusShutdown)) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            GroupChatSessionsInvalidated, account.get());
    }
    auto& primary = PrimaryModuleController::sharedController();
    if (const auto conversations = primary.conversationService()) {
        conversations->useLocalAccountForCall();
    }
    primary.accountChanged();

    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto statusService = _phoneStatusService
                                   ? _phoneStatusService
                                   : (phone ? phone->getPhoneStatusService() : nullptr);
    const int phoneStatus =
        statusService && statusService->status() ? statusService->status()->value() : 0;
    const bool callsCannotGoLocally = phoneStatus == 0 || phoneStatus == 1 || phoneStatus == 5 ||
                                      phoneStatus == 6 || phoneStatus == 7 || phoneStatus == 8;
    if (callsCannotGoLocally && _connectService && _connectService->isConnected() &&
        _connectService->byPassConnectAccountForCall()) {
        _connectService->setByPassConnectAccountForCall(false);
    }
    updatePhoneStatusMessage();
    updateToolbar();
}

void AppController::voiceMailUpdate() {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto accounts =
        _accountService ? _accountService : (phone ? phone->getAccountService() : nullptr);
    const int count = accounts ? accounts->newVoiceMailCount() : 0;
    if (count != _lastVoiceMailCount) {
        _lastVoiceMailCount = count;
        const auto toolbar = _appWindow ? _appWindow->toolbar() : nullptr;
        if (toolbar && !toolbar->isVisible()) {
            // One pending show at a time: two quick changes must not show and hide it again.
            if (_showToolbarTimer) {
                _showToolbarTimer->invalidate();
            }
            _showToolbarTimer = platform::Timer::scheduledTimerWithTimeInterval(
                showToolbarDelay, false, [this](platform::Timer&) {
                    _showToolbarTimer.reset();
                    const auto shown = _appWindow ? _appWindow->toolbar() : nullptr;
                    if (shown && !shown->isVisible()) {
                        showToolBarCallback(nullptr);
                    }
                });
        }
    }
    if (featureOn("show_voicemail_count")) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            VoiceMailCountNotification, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(VoiceMailCount), platform::Value(count)}}));
    }
}

// Phone status and service availability.

void AppController::phoneStatusChange(const std::shared_ptr<OVPhoneStatus>& /*status*/) {
    updatePhoneStatusMessage();
    updateToolbar();
    if (const auto conversations =
            PrimaryModuleController::sharedController().conversationService()) {
        conversations->useDeskphone();
    }
    refreshDialpadPhoneStatus();
}

void AppController::ovsaAvailabilityChanged(const std::shared_ptr<OVServiceAvailability>& service) {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto conversations = _conversationService
                                   ? _conversationService
                                   : (phone ? phone->getConversationService() : nullptr);
    if (!service || !conversations || !service->isEqualToInterface(conversations.get())) {
        return;
    }
    std::string message;
    if (service->isAvailable()) {
        if (featureOn("show_ready_to_call_status_message")) {
            message =
                QXLS("msg.service_availability.conversation_service.available", "Ready to Call");
        }
    } else {
        switch (service->unAvailableReason()) {
        case OVUnavailableReason::unknown:
            message = QXLS("msg.service_availability.conversation_service.reason.unknown",
                           "Cannot make or receive calls at this time");
            break;
        case OVUnavailableReason::starting:
            message = QXLS("msg.service_availability.conversation_service.reason.starting",
                           "Initializing phone...");
            break;
        case OVUnavailableReason::resourceRelated:
            message = QXLS("msg.service_availability.conversation_service.reason.resource_related",
                           "Registering account...");
            break;
        case OVUnavailableReason::networkProblem:
            message = QXLS("msg.service_availability.conversation_service.reason.network_problem",
                           "There is a network problem");
            break;
        case OVUnavailableReason::accountNotReady:
        case OVUnavailableReason::other:
            break;
        }
    }
    setConversationServiceAvailabilityMessage(message);
    if (!message.empty()) {
        updatePhoneStatusMessage();
    }
}

// Devices and levels.

void AppController::speakerEnabledChanged(bool /*enabled*/) {
    updateToolbar();
}

void AppController::micMutedChanged(bool /*muted*/) {
    if (featureOn("presenceEnabled")) {
        selfPresenceUpdated(nullptr);
    }
    updateToolbar();
}

void AppController::speakerOutputLevelChanged(int percent) {
    platform::NotificationCenter::defaultCenter().postNotificationName(
        UpdateSpeakerOutputLevelNotification, nullptr,
        platform::Value(
            platform::Value::Dictionary{{std::string(EntryPercent), platform::Value(percent)}}));
}

void AppController::microphoneInputLevelChanged(int percent) {
    platform::NotificationCenter::defaultCenter().postNotificationName(
        UpdateMicOutputLevelNotification, nullptr,
        platform::Value(
            platform::Value::Dictionary{{std::string(EntryPercent), platform::Value(percent)}}));
}

// File transfers.

void AppController::incomingFileTransfer(const std::shared_ptr<FileTransferRequest>& request) {
    if (request) {
        _fileTransferRequests.push_back(std::make_shared<FileTransferWindowController>(request));
    }
}

void AppController::outgoingFileTransfer(const std::shared_ptr<FileTransferRequest>& request) {
    if (!request) {
        return;
    }
    auto controller = std::make_shared<FileTransferWindowController>(request);
    _fileTransferRequests.push_back(controller);
    platform::Application::sharedApplication().activateIgnoringOtherApps(true);
    controller->window()->makeKeyAndOrderFront(nullptr);
}

// Engine notices.

void AppController::ovnsNewNotification(const std::shared_ptr<Notification>& notification) {
    NotificationController::sharedController().doNotificationForWindow(notification, _appWindow);
}

// Deskphone.

void AppController::ovdsStatusChanged(OVDeskphoneStatus status) {
    if (_hideStatusMessageTimer) {
        _hideStatusMessageTimer->invalidate();
        _hideStatusMessageTimer.reset();
    }
    platform::AttributedString message;
    bool hides = false;
    switch (status) {
    case OVDeskphoneStatus::connecting:
        message = platform::AttributedString(
            QXLS("msg.deskphone.status.enabling", "Connecting to Deskphone, please wait..."));
        break;
    case OVDeskphoneStatus::connected:
        message = platform::AttributedString(
            QXLS("msg.deskphone.status.connected", "Deskphone connected"));
        hides = true;
        break;
    case OVDeskphoneStatus::disconnecting:
        message = platform::AttributedString(
            QXLS("msg.deskphone.status.disconnecting", "Disconnecting Deskphone, please wait..."));
        break;
    case OVDeskphoneStatus::disconnected:
        message = platform::AttributedString(
            QXLS("msg.deskphone.status.disconnected", "Deskphone disconnected"));
        hides = true;
        break;
    case OVDeskphoneStatus::failed:
        message = platform::AttributedString(
            QXLS("msg.deskphone.status.deskphone.failed",
                 "Cannot make or receive calls at this time\nFailed to connect to Deskphone"));
        message.appendAttributedString(OrvantaExtensions::hyperlinkFromString(
            QXLS("msg.phone.status.deskphone.retry", "\n\nClick here to retry"), "retryDeskphone"));
        message.appendAttributedString(OrvantaExtensions::hyperlinkFromString(
            QXLS("msg.phone.status.deskphone.configure", "\nClick here to configure"),
            "configureDeskphone"));
        break;
    case OVDeskphoneStatus::other:
        break;
    }
    auto& primary = PrimaryModuleController::sharedController();
    if (message.empty()) {
        primary.setStatusMessage(platform::AttributedString());
        return;
    }
    primary.setStatusMessage(centredStatusText(std::move(message)));
    if (hides) {
        _hideStatusMessageTimer = platform::Timer::scheduledTimerWithTimeInterval(
            deskphoneMessageDuration, false,
            [this](platform::Timer& timer) { hideMessageAreaDelayCallback(timer); });
    }
}

// Hosted service.

void AppController::ovcsIsConnected(bool connected) {
    updateToolbar();
    refreshDialpadPhoneStatus();
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto connect =
        _connectService ? _connectService : (phone ? phone->getConnectService() : nullptr);
    if (connected) {
        auto& defaults = platform::UserDefaults::standardUserDefaults();
        const auto stored = defaults.stringForKey("mainPhone.presence.message");
        if (stored && !featureOn("remote_presence_synchronization")) {
            const auto service = _presenceService ? _presenceService
                                                  : (phone ? phone->getPresenceService() : nullptr);
            if (const auto self = service ? service->getSelfPresence() : nullptr) {
                self->setStatus(
                    static_cast<int>(defaults.integerForKey("mainPhone.presence.status")));
                self->setMessage(
                    featureOn("allow_pab")
                        ? PabContactOperations::instance().translatePresenceMessageReverse(*stored)
                        : ContactOperations::instance().translatePresenceMessageReverse(*stored));
                self->publish();
            }
        }
        if (connect) {
            connect->fetchWebToken();
        }
    } else {
        if (connect) {
            storeWebBrowserURL(phone, connect->portalUrl());
        }
        FunctionModuleController::sharedController().reloadTabs();
        if (auto* window = ConnectServiceWindowController::sharedController()) {
            window->close();
        }
        if (ConnectInviteFriendsWindowController::sharedInviteWindowControllerExists()) {
            ConnectInviteFriendsWindowController::sharedInviteWindowController().close();
        }
    }
    const auto statusService = _phoneStatusService
                                   ? _phoneStatusService
                                   : (phone ? phone->getPhoneStatusService() : nullptr);
    const int status =
        statusService && statusService->status() ? statusService->status()->value() : 0;
    if (status == 0 || status == 6 || status == 7) {
        updatePhoneStatusMessage();
    }
}

void AppController::ovcsIsSignedIn(bool /*signedIn*/) {
    if (_connectService && _connectService->byPassConnectAccountForCall()) {
        _connectService->setByPassConnectAccountForCall(false);
        updateToolbar();
    }
}

void AppController::ovcsWebTokenChanged() {
    const auto phone = _phoneService ? _phoneService : StartupService::instance().phoneService();
    const auto connect =
        _connectService ? _connectService : (phone ? phone->getConnectService() : nullptr);
    if (!connect) {
        return;
    }
    const std::string address = connect->portalUrlSignedIn();
    if (address.empty()) {
        return;
    }
    storeWebBrowserURL(phone, replacingTokenIgnoringCase(address, connect->webToken()));
    FunctionModuleController::sharedController().reloadTabs();
}

void AppController::ovmdWindowServiceOnShow(const std::shared_ptr<OVModel>& model) {
    if (auto setup = std::dynamic_pointer_cast<OVConnectServiceSetupModel>(model)) {
        auto* window = ConnectServiceWindowController::sharedController();
        if (!window) {
            window = ConnectServiceWindowController::initSharedController(std::move(setup));
        }
        window->showWindow(this);
    } else if (auto update = std::dynamic_pointer_cast<OVAutoUpdateDialogModel>(model)) {
        if (auto* window = AutoUpdateController::initSharedController(update)) {
            window->display();
        }
    }
    // Web addresses and other models are not shown.
}

// Remote video.

void AppController::ovvsIncomingVideoCallAccepted() {
    if (!VideoWindow::videoWindowExist()) {
        VideoWindow::sharedVideoWindow().orderFront(nullptr);
    }
}

void AppController::ovvsVideoRequestedByRemote() {
    if (!VideoWindow::videoWindowExist()) {
        VideoWindow::sharedVideoWindow().orderFront(nullptr);
    }
}
