#include "app/calls/ServerConferenceViewController.h"

#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/core/AppController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/AccountService.h"
#include "engine/Services.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/Event.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "widgets/QXBezierButton.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXGradient.h"

#include <algorithm>
#include <iterator>

using platform::Rect;

namespace {

constexpr std::string_view kDefinition = "ServerConferenceConversationView";
// How long an ended conference stays before its panel goes.
constexpr platform::TimeInterval kRemovalDelay = 4.0;
int gConferencePanelCounter = 0;

std::shared_ptr<platform::TextField> panelLabel(const Rect& frame, double size, bool bold) {
    auto field = platform::TextField::labelWithString(
        {}, frame,
        bold ? platform::Font::boldSystemFontOfSize(size) : platform::Font::systemFontOfSize(size));
    return field;
}

bool featureOn(std::string_view name) {
    auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

} // namespace

void ServerConferenceViewController::registerDefinition() {
    if (!platform::InterfaceDefinition::isRegistered(kDefinition))
        platform::InterfaceDefinition::registerDefinition(
            std::string(kDefinition), &ServerConferenceViewController::buildDefinition);
}

void ServerConferenceViewController::buildDefinition(platform::InterfaceDefinitionLoad& load) {
    auto* owner = dynamic_cast<ServerConferenceViewController*>(load.owner());
    constexpr double width = 330;
    constexpr double height = 128;
    ServerConferenceOutlets o;
    o.conversationView = std::make_shared<ConversationView>(Rect(0, 0, width, height));
    auto& panel = *o.conversationView;
    const auto top = platform::ViewWidthSizable | platform::ViewMinYMargin;
    o.title = panelLabel(Rect(10, height - 24, 200, 18), 13, true);
    o.callTimer = panelLabel(Rect(width - 80, height - 24, 70, 18), 12, false);
    o.callTimer->setAlignment(platform::TextAlignment::Right);
    o.callTimer->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);
    o.description = panelLabel(Rect(10, height - 66, width - 20, 40), 10, false);
    o.connectionStatus = panelLabel(Rect(10, 40, width - 110, 15), 10, false);
    o.connectionStatus->setTextColor(platform::Color(0.3, 0.33, 0.4, 1));
    for (const auto& field : {o.title, o.description, o.connectionStatus})
        field->setAutoresizingMask(top);
    o.recordingProgress =
        std::make_shared<platform::ProgressIndicator>(Rect(width - 96, 40, 14, 14));
    o.recordingLabel = panelLabel(Rect(width - 80, 40, 34, 14), 9, true);
    o.recordingLabel->setStringValue("REC");
    o.recordingLabel->setTextColor(platform::Color(0.8, 0.1, 0.1, 1));
    o.recordingStop = std::make_shared<platform::Button>(Rect(width - 44, 38, 18, 16));
    o.recordingStop->setTitle("\u25a0");
    o.recordingStop->setAction("stopRecording:");
    auto button = [&](std::string title, std::string action, double x, double w) {
        auto b = platform::make<QXBezierButton>(Rect(x, 8, w, 24));
        b->setTitle(std::move(title));
        b->setAction(std::move(action));
        panel.addSubview(b);
        return b;
    };
    o.mute = std::make_shared<platform::Button>(Rect(10, 8, 52, 24));
    o.mute->setTitle(QXLS("msg.call.button.mute", "Mute"));
    o.mute->setAction("muteMic:");
    o.mute->setButtonType(platform::PushOnPushOffButton);
    panel.addSubview(o.mute);
    o.hold = button(QXLS("msg.call.button.hold", "Hold"), "hold:", 66, 52);
    o.resume = button(QXLS("msg.call.button.resume", "Resume"), "resume:", 66, 64);
    o.addCalls = button(QXLS("msg.call.button.add_calls", "Add Calls"), "addCalls:", 134, 76);
    o.end = button(QXLS("msg.call.button.end", "End"), "end:", width - 60, 50);
    o.end->setAutoresizingMask(platform::ViewMinXMargin);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             o.title, o.callTimer, o.description, o.connectionStatus, o.recordingProgress,
             o.recordingLabel, o.recordingStop})
        panel.addSubview(view);
    load.addTopLevelObject(o.conversationView);
    if (owner)
        owner->setOutlets(std::move(o));
}

ServerConferenceViewController::ServerConferenceViewController(
    std::shared_ptr<Conversation> conversation)
    : _phoneService(StartupService::instance().phoneService()),
      _conversation(std::move(conversation)) {
    _conversation->setDelegate(this);
    _viewItem =
        std::make_shared<QXCollectionViewItem>("call " + std::to_string(gConferencePanelCounter++));
    updateStatusMessage(nullptr);
}

ServerConferenceViewController::~ServerConferenceViewController() {
    cleanup();
}

bool ServerConferenceViewController::instantiate() {
    registerDefinition();
    const auto loaded = platform::InterfaceDefinition::load(kDefinition, this);
    if (!loaded || !_o.conversationView)
        return false;
    awakeFromNib();
    return true;
}

void ServerConferenceViewController::awakeFromNib() {
    _viewItem->setAlignment(3);
    _viewItem->setMargin(1, 1, 1, 1);
    _viewItem->setView(_o.conversationView);
    _viewItem->setRequestedSize(_o.conversationView->frame().size);
    static const platform::Value empty;
    auto* app = AppController::sharedAppController();
    const platform::Value& look = app ? app->brandDict()["ConversationView"]["ButtonEnd"] : empty;
    if (_o.end) {
        if (const auto* text = look["GradientEnd"].string())
            _o.end->setNormalGradient(QXGradient::gradientFromString(*text));
        if (const auto* text = look["GradientPressed"].string())
            _o.end->setPressedGradient(QXGradient::gradientFromString(*text));
    }
    for (const auto& field : {_o.connectionStatus, _o.callTimer})
        if (field)
            field->setStringValue("");
    if (_o.title)
        _o.title->setStringValue(QXLS("msg.call.serverConference.title", "Conference Bridge"));
    if (_o.description)
        _o.description->setStringValue(
            QXLS("msg.call.serverConference.description",
                 "Welcome to the conference bridge.\nUse ${PRODUCT_NAME} to call participants and "
                 "click Add Calls to join them into conference."));
    for (const auto& button : std::initializer_list<std::shared_ptr<platform::Button>>{
             _o.hold, _o.resume, _o.end, _o.addCalls, _o.mute, _o.recordingStop})
        if (button)
            button->setTarget(this);
    if (!_conversation->participants().empty())
        participantAdded(_conversation->participants().front());
    _o.conversationView->setController(this);
    if (auto* w = _o.conversationView->window())
        w->makeFirstResponder(_o.conversationView.get());
    setRecordingMarksVisible(false);
    updateCallButtons();
}

bool ServerConferenceViewController::isEnding() const {
    return _conversation && _conversation->connectionStatus() == Conversation::statusEnded;
}

bool ServerConferenceViewController::isLocalOnHold() const {
    return _conversation && _conversation->isHoldingLocally();
}

void ServerConferenceViewController::updateStatusMessage(
    const std::shared_ptr<Participant>& participant) {
    if (!_conversation)
        return;
    const auto& c = *_conversation;
    const auto& parties = c.participants();
    const bool heldHere = c.isHoldingLocally();
    const std::string onHold = QXLS("msg.call.conference.onhold", "Conference on Hold");
    // 1. By the conference's own state.
    std::string s;
    switch (c.connectionStatus()) {
    case 0:
        if (parties.size() < 2)
            s = heldHere ? onHold : _baseParticipantStatus;
        else
            s = QXLS("msg.call.connection_status.conference.active", "Conference in progress");
        break;
    case 1:
        s = QXLS("msg.call.connection_status.ringing", "Incoming call");
        break;
    case 2:
        s = heldHere ? onHold
                     : QXLS("msg.call.connection_status.holding", "Placed on hold by other party");
        break;
    case 3:
        s = QXLS("msg.call.connection_status.fialed", "Call failed to connect");
        break;
    case 4:
        s = _callFailed ? QXLS("msg.call.connection_status.fialed", "Call failed to connect")
                        : QXLS("msg.call.connection_status.end", "Call ended");
        break;
    default:
        break;
    }
    // 2. By the last party's state.
    std::string d;
    const int count = static_cast<int>(parties.size());
    auto callingText = [&]() -> std::string {
        std::vector<std::shared_ptr<Participant>> calling;
        for (const auto& p : parties)
            if (p->connectionStatus() == Participant::statusConnecting)
                calling.push_back(p);
        if (calling.size() == 1)
            return platform::formatString(
                QXLS("msg.call.conference.calling_participant", "Conference: calling %@"),
                calling.front()->displayName());
        if (calling.size() > 1)
            return QXLS("msg.call.conference.calling_more_participants",
                        "Conference: calling more participants");
        return {};
    };
    const std::string participantsText = platform::formatString(
        QXLS("msg.call.conference.status", "Conference call %i participants"), count + 1);
    if (!parties.empty()) {
        switch (parties.back()->connectionStatus()) {
        case 0:
            s = " ";
            break;
        case 1:
            s = QXLS("msg.participant.connection_status.ringing", "Incoming call");
            break;
        case 2:
            s = heldHere ? onHold : QXLS("msg.participant.connection_status.connecting", "Calling");
            d = heldHere ? onHold : callingText();
            break;
        case 3:
            s = QXLS("msg.participant.connection_status.transferconnecting", "Transfer Connecting");
            break;
        case 4: {
            if (c.connectionStatus() != 2 && !heldHere)
                s = QXLS("msg.call.connection_status.conference.active", "Conference in progress");
            d = participantsText;
            if (const auto calling = callingText(); !calling.empty())
                d = calling;
            if (c.isConference() && heldHere)
                d = onHold;
            startCallTimer();
            auto calls = _phoneService ? _phoneService->getConversationService() : nullptr;
            if (calls && calls->anonymous() && !featureOn("anonymous_calling_persist"))
                PrimaryModuleController::sharedController().togglAnonymousCalling(nullptr);
            break;
        }
        case 5:
            s = QXLS("msg.participant.connection_status.failedtoconnect", "Failed to Connect");
            if (participant)
                d = platform::formatString(
                    QXLS("msg.participant.connection_status.connect_failed_to",
                         "Conference: failed to connect to %@"),
                    participant->displayName());
            break;
        case 6:
            if (!_baseParticipantStatus.empty())
                s = _baseParticipantStatus;
            d = participantsText;
            break;
        default:
            break;
        }
    }
    // 3. One party on another account than the default one says so.
    if (count == 1 && !heldHere && _phoneService) {
        const auto info = parties.front()->getCallInfo();
        const auto account =
            _phoneService->getAccountService()->defaultAccount(OVAccount::featureCall);
        const std::string used = info ? info->accountUsed() : std::string();
        if (!used.empty() && (!account || account->accountName() != used))
            s = platform::formatString("%@ - on %@", s, used);
    }
    // 4-5.
    _baseParticipantStatus = s;
    if (_o.connectionStatus)
        _o.connectionStatus->setStringValue(count >= 2 ? d : s);
    updateCallButtons();
}

void ServerConferenceViewController::updateCallButtons() {
    if (!_conversation)
        return;
    const auto& c = *_conversation;
    if (c.connectionStatus() != Conversation::statusEnded) {
        if (_o.hold)
            _o.hold->setHidden(!c.canHold());
        if (_o.resume)
            _o.resume->setHidden(!c.canResume());
        if (_o.addCalls)
            _o.addCalls->setEnabled(c.canAddCallsToConference());
        if (_o.end)
            _o.end->setEnabled(c.canEnd() || c.isRinging());
        return;
    }
    for (const auto& button : std::initializer_list<std::shared_ptr<platform::Button>>{
             _o.hold, _o.resume, _o.mute, _o.addCalls, _o.end})
        if (button)
            button->setEnabled(false);
}

void ServerConferenceViewController::startCallTimer() {
    // One clock per panel, started and stopped on the interface thread only.
    if (_callTimer || _ended)
        return;
    platform::TextField* field = _o.callTimer.get();
    std::weak_ptr<bool> alive = _alive;
    _callTimer = std::make_unique<CallDurationClock>([field, alive](const std::string& text) {
        if (auto on = alive.lock(); on && *on && field)
            field->setStringValue(text);
    });
}

void ServerConferenceViewController::stopCallTimer() {
    if (_callTimer) {
        _callTimer->stop();
        _callTimer.reset();
    }
}

void ServerConferenceViewController::setRecordingMarksVisible(bool visible) {
    if (_o.recordingProgress) {
        _o.recordingProgress->setHidden(!visible);
        if (visible)
            _o.recordingProgress->startAnimation(nullptr);
        else
            _o.recordingProgress->stopAnimation(nullptr);
    }
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _o.recordingLabel, _o.recordingStop})
        if (view)
            view->setHidden(!visible);
}

void ServerConferenceViewController::hold(platform::Object*) {
    if (_conversation)
        _conversation->hold();
    updateCallButtons();
}

void ServerConferenceViewController::resume(platform::Object*) {
    if (_conversation)
        _conversation->resume();
    updateCallButtons();
}

void ServerConferenceViewController::end(platform::Object*) {
    if (!_conversation)
        return;
    if (_conversation->connectionStatus() == Conversation::statusRingingIncoming)
        _conversation->decline();
    else
        _conversation->end();
}

void ServerConferenceViewController::addCalls(platform::Object*) {
    if (_conversation)
        _conversation->addCallsToConference();
}

void ServerConferenceViewController::muteMic(platform::Object*) {
    if (_phoneService && _o.mute)
        _phoneService->muteMic(_o.mute->state() == platform::OnState);
}

void ServerConferenceViewController::startRecording(platform::Object*) {
    if (_conversation)
        _conversation->startRecording();
}

void ServerConferenceViewController::stopRecording(platform::Object*) {
    if (_conversation)
        _conversation->stopRecording();
}

namespace {

using ServerConferenceViewControllerAction =
    void (ServerConferenceViewController::*)(platform::Object*);

// The actions the controller answers, each with its handler.
constexpr std::pair<std::string_view, ServerConferenceViewControllerAction>
    kServerConferenceViewControllerActions[] = {
        {"hold:", &ServerConferenceViewController::hold},
        {"resume:", &ServerConferenceViewController::resume},
        {"end:", &ServerConferenceViewController::end},
        {"addCalls:", &ServerConferenceViewController::addCalls},
        {"muteMic:", &ServerConferenceViewController::muteMic},
        {"startRecording:", &ServerConferenceViewController::startRecording},
        {"stopRecording:", &ServerConferenceViewController::stopRecording},
};

} // namespace

bool ServerConferenceViewController::respondsToAction(std::string_view action) const {
    return std::any_of(std::begin(kServerConferenceViewControllerActions),
                       std::end(kServerConferenceViewControllerActions),
                       [action](const auto& entry) { return entry.first == action; });
}

bool ServerConferenceViewController::tryToPerform(std::string_view action,
                                                  platform::Object* sender) {
    for (const auto& [name, handler] : kServerConferenceViewControllerActions)
        if (name == action) {
            (this->*handler)(sender);
            return true;
        }
    return false;
}

void ServerConferenceViewController::participantAdded(const std::shared_ptr<Participant>&) {
    updateStatusMessage(nullptr);
}

void ServerConferenceViewController::participantRemoved(const std::shared_ptr<Participant>&) {
    updateStatusMessage(nullptr);
}

void ServerConferenceViewController::connectionStatusChanged(
    const std::shared_ptr<Participant>& participant, int) {
    updateStatusMessage(participant);
}

void ServerConferenceViewController::connectionStatusChange(int status) {
    if (status == Conversation::statusFailed)
        _callFailed = true;
    updateStatusMessage(nullptr);
    if (auto* app = AppController::sharedAppController())
        app->updateToolbar();
}

void ServerConferenceViewController::isHoldingLocallyChange(bool holding) {
    _holdingLocally = holding;
    if (_o.conversationView) {
        _o.conversationView->setHold(holding);
        if (auto* w = _o.conversationView->window())
            w->makeFirstResponder(holding ? nullptr : _o.conversationView.get());
    }
    updateStatusMessage(nullptr);
}

void ServerConferenceViewController::isHoldingRemotelyChange(bool) {
    updateStatusMessage(nullptr);
    updateCallButtons();
}

void ServerConferenceViewController::isConferenceChange(bool) {
    updateCallButtons();
}

void ServerConferenceViewController::recordingStarted() {
    setRecordingMarksVisible(true);
}

void ServerConferenceViewController::recordingStopped(const std::string& folder,
                                                      const std::string& name,
                                                      const std::string& extension) {
    setRecordingMarksVisible(false);
    if (CallModuleController::sharedControllerExists())
        CallModuleController::sharedController().addCallRecordingPrompt(folder, name, extension);
}

void ServerConferenceViewController::startRecordingFailed() {
    auto* window = _o.conversationView ? _o.conversationView->window() : nullptr;
    OrvantaExtensions::sheetOK(
        window, QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
        QXLS("msg.opt.dialog.message.call_recording_failed",
             "Failed to start call recording. Make sure you have enough disk space and the "
             "reocording path has proper write permission."),
        platform::AlertStyle::Critical);
}

void ServerConferenceViewController::conversationEnded() {
    _ended = true;
    if (_phoneService)
        _phoneService->getDTMFService()->stopTone();
    if (_o.mute)
        _o.mute->setHidden(true);
    if (_o.conversationView)
        _o.conversationView->setController(nullptr);
    stopCallTimer();
    if (_viewItem)
        _viewItem->setRepresentedObject(nullptr);
    if (!_callEndTimer) {
        // The timer holds the panel through a flag that its clean-up clears: a call area
        // cleaned up (and the panel let go) meanwhile is never reached.
        std::weak_ptr<bool> alive = _alive;
        ServerConferenceViewController* self = this;
        _callEndTimer = platform::Timer::scheduledTimerWithTimeInterval(
            kRemovalDelay, false, [self, alive](platform::Timer&) {
                if (auto on = alive.lock(); on && *on)
                    self->conversationEndedCallBack();
            });
    }
    updateStatusMessage(nullptr);
}

void ServerConferenceViewController::conversationEndedCallBack() {
    if (_callEndTimer) {
        _callEndTimer->invalidate();
        _callEndTimer.reset();
    }
    if (_conversation)
        _conversation->removeDelegate(this);
    // The call area lets this panel go in removeCall: nothing of it is touched afterwards.
    auto view = _o.conversationView;
    const auto item = _viewItem;
    if (CallModuleController::sharedControllerExists())
        CallModuleController::sharedController().removeCall(item);
    if (view)
        view->flagsChanged(platform::Event());
}

void ServerConferenceViewController::cleanup() {
    if (_alive)
        *_alive = false;
    stopCallTimer();
    if (_callEndTimer) {
        _callEndTimer->invalidate();
        _callEndTimer.reset();
    }
    if (_o.conversationView && _o.conversationView->controller() == this)
        _o.conversationView->setController(nullptr);
    if (_conversation)
        _conversation->removeDelegate(this);
}
