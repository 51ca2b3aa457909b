#include "app/calls/ToastWindowController.h"

#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/messaging/IMWindowController.h"
#include "app/pab/PabContactOperations.h"
#include "app/preferences/PrefsWindowController.h"
#include "engine/AccountService.h"
#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "engine/ToastService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Event.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/PresenceExtensions.h"
#include "support/ValueTransformers.h"
#include "widgets/QXConstraintLayoutManager.h"
#include "widgets/QXImageButton.h"

#include <ctime>

void ToastWindow::sendEvent(const platform::Event& event) {
    QXToolWindow::sendEvent(event);
    if (event.type() == platform::EventType::LeftMouseDown && _controller)
        _controller->mouseDown(event);
}

class ToastWindowController::SessionListener : public IMSessionPro {
public:
    explicit SessionListener(ToastWindowController& owner) : owner_(owner) {}
    void imMessageReceivedPlain(const std::string& plainText, const std::string& /*richText*/,
                                platform::Date /*timeStamp*/, bool firstOne,
                                const std::shared_ptr<ChatParticipant>& /*participant*/) override {
        if (!firstOne)
            return;
        if (owner_._o.message)
            owner_._o.message->setStringValue(plainText);
        // The first message is all a toast shows. This ends the listener: nothing after it.
        owner_.stopListeningToSession();
    }

private:
    ToastWindowController& owner_;
};

ToastWindowController::ToastWindowController(std::shared_ptr<Toast> toast, int slot)
    : _toast(std::move(toast)), _slot(slot),
      _phoneService(StartupService::instance().phoneService()),
      _callButtonsLayout(std::make_unique<QXViewConstraintLayoutManager>()) {
    if (_toast) {
        _presence = _toast->presence();
        if (const auto contact = _toast->contact())
            if (const auto presence = contact->defaultPresence())
                _presence = presence;
    }
    loadWindow();
    windowDidLoad();
}

ToastWindowController::~ToastWindowController() {
    stopListeningToSession();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (_window) {
        _window->setController(nullptr);
        if (platform::View* content = _window->contentView())
            removeMyselfAsTargetFromView(*content);
        if (!_closed)
            _window->forceClose();
    }
}

void ToastWindowController::stopListeningToSession() {
    if (!_sessionListener)
        return;
    if (const auto session = _toast ? _toast->imSession() : nullptr)
        session->removeDelegate(_sessionListener.get());
    _sessionListener.reset();
}

// Filling the window.

void ToastWindowController::windowDidLoad() {
    const int type = _toast ? _toast->type() : Toast::typeIncomingCall;
    switch (type) {
    case Toast::typeNewIM: {
        const auto session = _toast->imSession();
        if (session) {
            _sessionListener = std::make_unique<SessionListener>(*this);
            session->setDelegate(_sessionListener.get());
        }
        std::string name;
        if (session && !session->chatParticipants().empty()) {
            const auto& participant = session->chatParticipants().front();
            name = participant->displayName();
            if (_phoneService) {
                const auto matches =
                    _phoneService->getContactManager()->lookup("", participant->address(), "");
                if (!matches.empty())
                    _contact = matches.front();
            }
        }
        _o.caption->setStringValue(platform::formatString(QXLS("msg.toast.say", "%@ Says:"), name));
        break;
    }
    case Toast::typeContactOnline:
    case Toast::typeContactOffline:
        _contact = _toast->contact();
        _o.caption->setStringValue(QXLS("msg.toast.PresenceNotification", "Presence notification"));
        _o.presenceStatusText->setStringValue(type == Toast::typeContactOnline
                                                  ? QXLS("msg.presence.status.online", "Online")
                                                  : QXLS("msg.presence.status.offline", "Offline"));
        if (_contact)
            _o.presenceStatusIcon->setImage(OrvantaExtensions::image(
                static_cast<OVPresenceStatus>(_contact->presenceStatus())));
        _o.presenceLabel->setStringValue(_toast->display());
        break;
    case Toast::typeDevice: {
        _o.caption->setStringValue(
            QXLS("msg.toast.DeviceChangeNotification", "Device change notification"));
        const auto pair = [](const std::string& output, const std::string& input) {
            return (output.empty() ? QXLS("msg.toast.Output_not_set", "Output not set") : output) +
                   "/" + (input.empty() ? QXLS("msg.toast.Input_not_set", "Input not set") : input);
        };
        _o.headsetText->setStringValue(pair(_toast->headsetOut(), _toast->headsetIn()));
        _o.speakerphoneText->setStringValue(
            pair(_toast->speakerPhoneOut(), _toast->speakerPhoneIn()));
        _videoEnabled = featureOn("allow_video");
        break;
    }
    case Toast::typeAlertList: {
        _contact = _toast->contact();
        char stamp[64] = "";
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%m/%d/%y %I:%M %p", &local);
        std::string when = stamp;
        // The formatter's own AM and PM symbols.
        if (const auto at = when.rfind(local.tm_hour < 12 ? "AM" : "PM"); at != std::string::npos)
            when.replace(at, 2,
                         local.tm_hour < 12 ? QXLS("msg.timestamp.am", "AM")
                                            : QXLS("msg.timestamp.pm", "PM"));
        _o.caption->setStringValue(platform::formatString(
            QXLS("msg.toast.AlertListNotification", "Alert List Notification: %@"), when));
        const auto persistent =
            _contact ? _contact->getFieldByName(OVField::fieldAlertIsPersistent) : nullptr;
        _o.keepOnAlertList->setState(persistent && persistent->valueStr() == OVField::fieldValueTrue
                                         ? platform::OnState
                                         : platform::OffState);
        const auto presence = _contact ? _contact->defaultPresence() : nullptr;
        const bool pab = featureOn("allow_pab");
        if (presence && !presence->message().empty()) {
            if (pab)
                _o.presenceStatusText->setStringValue(presence->message());
        } else if (presence && presence->status() == OVPresenceStatus::statusAvailable) {
            _o.presenceStatusText->setStringValue(
                pab ? QXLS("msg.presence.status.connected", "Connected")
                    : QXLS("msg.presence.status.available", "Available"));
        } else if (presence && presence->status() == OVPresenceStatus::statusOffline) {
            _o.presenceStatusText->setStringValue(QXLS("msg.presence.status.offline", "Offline"));
        }
        break;
    }
    default:
        fillCallToast();
        break;
    }

    // Every kind.
    updateAvatar();
    const EmptyDeviceTransformer devices;
    if (_toast && _o.ringerText)
        _o.ringerText->setStringValue(
            devices.transformedValue(platform::Value(_toast->ringer())).stringValue());
    if (_o.cameraCaption)
        _o.cameraCaption->setHidden(!_videoEnabled);
    if (_o.cameraText) {
        _o.cameraText->setHidden(!_videoEnabled);
        if (_toast)
            _o.cameraText->setStringValue(
                devices.transformedValue(platform::Value(_toast->camera())).stringValue());
    }
    const bool anonymous = _toast && _toast->callInfo() &&
                           _toast->callInfo()->isRemotePartyAnonymous() &&
                           (type == Toast::typeIncomingCall || type > Toast::typeAlertList);
    if (_toast && _o.displayNameText && !anonymous)
        _o.displayNameText->setStringValue(_toast->display());
    if (_toast && _o.addressText) {
        if (!anonymous)
            _o.addressText->setStringValue(_toast->addressToDisplay());
        _o.addressText->setHidden(_o.addressText->stringValue() ==
                                  (_o.displayNameText ? _o.displayNameText->stringValue() : ""));
    }
    if (_o.accountUsedText && _toast && _toast->callInfo())
        _o.accountUsedText->setStringValue(_toast->callInfo()->accountUsed());
    _window->setLevel(platform::PopUpMenuWindowLevel);
    platform::NotificationCenter::defaultCenter().addObserver(
        this, ContactChangedNotification, nullptr,
        [this](const platform::Notification&) { updateAvatar(); });
}

void ToastWindowController::fillCallToast() {
    const auto info = _toast ? _toast->callInfo() : nullptr;
    _contact = info ? info->contact() : nullptr;
    _o.caption->setStringValue(QXLS("msg.toast.IncomingCall", "Incoming Call"));
    const bool video = _toast && _toast->videoRequestedIncomingCall();
    _o.video->setHidden(!video);
    _o.answerWithAudioOnly->setHidden(!video);
    _o.answer->setHidden(video);
    if (!_toast || !_toast->canAnswer())
        for (const auto& button : {_o.answer, _o.video, _o.answerWithAudioOnly, _o.decline})
            button->setHidden(true);
    if (info && info->isRemotePartyAnonymous()) {
        _o.displayNameText->setStringValue(
            QXLS("msg.toast.Anonymous", "Caller has withheld identity"));
        _o.addressText->setStringValue(
            QXLS("msg.toast.Anonymous.PhoneNotAvailable", "Phone number not available"));
    }
    int callingAccounts = 0;
    if (_phoneService)
        for (const auto& account : _phoneService->getAccountService()->accounts())
            if (account->status() == OVAccount::statusEnabled &&
                account->isFeatureEnabled(OVAccountFeature::featureCall))
                ++callingAccounts;
    _o.accountUsedText->setHidden(callingAccounts < 2);
    _callButtonsLayout->layout();
    PrimaryModuleController::sharedController().clearSuggestion();
}

void ToastWindowController::updateAvatar() {
    if (!_o.avatar)
        return;
    if (!_contact) {
        if (!_o.avatar->isHidden()) {
            _o.avatar->setHidden(true);
            const double left = _o.avatar->frame().minX();
            for (const auto& line : {_o.displayNameText, _o.addressText}) {
                if (!line)
                    continue;
                platform::Rect frame = line->frame();
                frame.size.width += frame.minX() - left;
                frame.origin.x = left;
                line->setFrame(frame);
            }
        }
        return;
    }
    std::shared_ptr<platform::Image> picture;
    if (const auto field = _contact->getPrimary(OVField::fieldPrimaryTypeAvatar);
        field && !field->valueStr().empty()) {
        const std::string& bytes = field->valueStr();
        picture = platform::Image::imageWithData(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    _o.avatar->setImage(picture ? picture : platform::Image::imageNamed("AvatarSample"));
}

// Actions.

void ToastWindowController::answer(platform::Object* /*sender*/) {
    if (_toast)
        _toast->answer();
}

void ToastWindowController::answerWithAudioOnly(platform::Object* /*sender*/) {
    if (!_toast)
        return;
    if (_toast->canAnswerWithAudioOnly())
        _toast->answerWithAudioOnly();
    else
        _toast->answer();
}

void ToastWindowController::decline(platform::Object* /*sender*/) {
    if (_toast)
        _toast->decline();
}

void ToastWindowController::showDevicePreference(platform::Object* /*sender*/) {
    auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
    preferences.showWindow(this);
    preferences.displayViewWithIdentifier("Devices", false);
}

void ToastWindowController::keepOnAlertList(platform::Object* /*sender*/) {
    if (!_toast || _toast->type() != Toast::typeAlertList || !_contact ||
        !_contact->hasParentEntities() || !_o.keepOnAlertList)
        return;
    if (featureOn("allow_pab") && !PabContactOperations::instance().showAvailChecked(_contact))
        return;
    const std::string value(_o.keepOnAlertList->state() == platform::OnState
                                ? OVField::fieldValueTrue
                                : OVField::fieldValueFalse);
    const auto mark = [&value](OVEntity& entity) {
        entity.updateField(std::string(OVField::fieldAlertEnabled), value,
                           OVField::fieldTypeMetaData);
        entity.updateField(std::string(OVField::fieldAlertIsPersistent), value,
                           OVField::fieldTypeMetaData);
    };
    for (const auto& child : _contact->entitiesAll())
        for (const auto& parent : child->parentEntities())
            if (parent->type() != OVEntity::typeGroup)
                mark(*parent);
    mark(*_contact);
}

bool ToastWindowController::canAudioCall() const {
    if (!_contact || _contact->getPrimary(OVField::fieldPrimaryTypeCall) == nullptr)
        return false;
    const auto conversations = _phoneService ? _phoneService->getConversationService() : nullptr;
    return conversations && conversations->canAudioConversation();
}

void ToastWindowController::audioCall(platform::Object* sender) {
    const auto field = _contact ? _contact->getPrimary(OVField::fieldPrimaryTypeCall) : nullptr;
    const auto conversations = _phoneService ? _phoneService->getConversationService() : nullptr;
    if (field && conversations)
        conversations->audioConversation(field->valueStr(), _contact->uniqueId());
    close(sender);
}

namespace {

// The address and the network a message to the contact goes over: the presence field's.
std::optional<std::pair<std::string, bool>>
messageAddress(const std::shared_ptr<OVEntity>& contact) {
    const auto field = contact ? contact->getPrimary(OVField::fieldPrimaryTypePresence) : nullptr;
    if (!field)
        return std::nullopt;
    if (field->name() == OVField::fieldJidAddr)
        return std::make_pair(field->valueStr(), true);
    if (field->name() == OVField::fieldSoftphone)
        return std::make_pair(field->valueStr(), false);
    return std::nullopt;
}

} // namespace

bool ToastWindowController::canSendIM() const {
    const auto address = messageAddress(_contact);
    return address && _phoneService &&
           _phoneService->getIMService()->canNewIMSession(address->first, address->second, false);
}

void ToastWindowController::sendIM(platform::Object* sender) {
    if (const auto address = messageAddress(_contact); address && _phoneService)
        _phoneService->getIMService()->newIMSession(address->first, address->second, false);
    close(sender);
}

void ToastWindowController::mouseDown(const platform::Event& /*event*/) {
    if (!_toast)
        return;
    if (_toast->type() == Toast::typeNewIM) {
        auto* app = AppController::sharedAppController();
        if (const auto chat =
                app ? app->lookupIMWindowControllerByIMSession(_toast->imSession()) : nullptr)
            if (chat->window())
                chat->window()->makeKeyAndOrderFront(nullptr);
    }
    // An alert-list toast opens the contact's editor once the program has one.
}

bool ToastWindowController::respondsToAction(std::string_view action) const {
    return action == "answer:" || action == "answerWithAudioOnly:" || action == "decline:" ||
           action == "close:" || action == "showDevicePreference:" ||
           action == "keepOnAlertList:" || action == "audioCall:" || action == "sendIM:";
}

bool ToastWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "answer:")
        answer(sender);
    else if (action == "answerWithAudioOnly:")
        answerWithAudioOnly(sender);
    else if (action == "decline:")
        decline(sender);
    else if (action == "close:")
        close(sender);
    else if (action == "showDevicePreference:")
        showDevicePreference(sender);
    else if (action == "keepOnAlertList:")
        keepOnAlertList(sender);
    else if (action == "audioCall:")
        audioCall(sender);
    else if (action == "sendIM:")
        sendIM(sender);
    else
        return false;
    return true;
}

// Ending.

void ToastWindowController::removeMyselfAsTargetFromView(platform::View& view) {
    for (const auto& subview : view.subviews()) {
        removeMyselfAsTargetFromView(*subview);
        if (auto* control = dynamic_cast<platform::Control*>(subview.get());
            control && control->target() == this)
            control->setTarget(nullptr);
    }
}

void ToastWindowController::disableButtons() {
    for (const auto& button : {_o.answer, _o.video, _o.answerWithAudioOnly, _o.decline})
        if (button)
            button->setEnabled(false);
    for (const auto& button : {_o.keepOnAlertList, _o.close, _o.configureDevice})
        if (button)
            button->setEnabled(false);
}

void ToastWindowController::cleanUp() {
    keepOnAlertList(nullptr);
    stopListeningToSession();
    _window->makeFirstResponder(nullptr);
    disableButtons();
    if (platform::View* content = _window->contentView())
        removeMyselfAsTargetFromView(*content);
    _toast.reset();
}

void ToastWindowController::close() {
    if (_closed)
        return;
    _closed = true;
    if (platform::View* content = _window->contentView())
        removeMyselfAsTargetFromView(*content);
    disableButtons();
    _window->setDelegate(nullptr);
    _window->setController(nullptr);
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    stopListeningToSession();
    if (!_window->isVisible()) {
        _window->forceClose();
        return;
    }
    // A toast fades and stays in, transparent, until its owner closes it; the timer keeps the
    // window alive for that long even when this controller has gone.
    _window->orderOut(this);
    platform::Timer::scheduledTimerWithTimeInterval(
        fadeDuration, false, [window = _window](platform::Timer&) { window->forceClose(); });
}

void ToastWindowController::close(platform::Object* sender) {
    keepOnAlertList(sender);
    close();
    // The handler may drop this controller; nothing here is touched after it.
    if (auto handler = std::move(_closingHandler))
        handler(*this);
}

std::string ToastWindowController::title() const {
    return _o.displayNameText ? _o.displayNameText->stringValue() : std::string();
}

std::string ToastWindowController::message() const {
    return _o.caption ? _o.caption->stringValue() : std::string();
}
