#include "engine/OVConversationModel.h"

#include "engine/AccountService.h"
#include "engine/OVAutoCompleteModel.h"
#include "engine/OVNumberEntryModel.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

#include <algorithm>

std::shared_ptr<OVConversationModel>
OVConversationModel::create(std::shared_ptr<Conversation> conversation) {
    auto model = std::make_shared<OVConversationModel>();
    model->conversation_ = std::move(conversation);
    model->numberEntry_ = OVNumberEntryModel::create();
    std::weak_ptr<OVConversationModel> weak = model;
    // Dial keys are tones for the other side unless the entry takes a target.
    model->numberEntry_->setKeyHandler([weak](char key) {
        if (auto self = weak.lock(); self && self->mode_ == Mode::none)
            self->conversation_->sendTone(key);
    });
    auto dial = [weak] {
        if (auto self = weak.lock())
            self->dialEntered();
    };
    model->numberEntry_->setDialHandler(dial);
    model->autoComplete_ = OVAutoCompleteModel::create(model->numberEntry_);
    std::weak_ptr<OVAutoCompleteModel> suggestions = model->autoComplete_;
    model->numberEntry_->setTextHandler([suggestions](const std::string& text) {
        if (auto list = suggestions.lock())
            list->textChanged(text);
    });
    model->numberEntry_->setDismissHandler([suggestions] {
        if (auto list = suggestions.lock())
            list->dismiss();
    });
    model->autoComplete_->setDialHandler(dial);
    model->conversation_->setDelegate(model.get());
    model->visualState_ = model->computeVisualState();
    model->display_ = model->computeDisplay(&model->displayParam_);
    return model;
}

OVConversationModel::~OVConversationModel() {
    conversation_->removeDelegate(this);
}

std::string OVConversationModel::accountUsed() const {
    auto phone = StartupService::instance().phoneService();
    if (!phone || conversation_->participants().empty())
        return {};
    // Named only when calls may go out through more than one account.
    const auto& accounts = phone->getAccountService()->accounts();
    const auto callers = std::count_if(accounts.begin(), accounts.end(), [](const auto& a) {
        return a->isFeatureEnabled(OVAccountFeature::featureCall);
    });
    const auto info = conversation_->participants().front()->getCallInfo();
    if (callers < 2 || !info || info->accountUsed().empty())
        return {};
    return info->accountUsed() + ": ";
}

std::string_view OVConversationModel::computeVisualState() const {
    const auto& c = *conversation_;
    if (c.connectionStatus() == Conversation::statusEnded)
        return endedVisualState;
    if (c.connectionStatus() == Conversation::statusFailed)
        return failedToConnectVisualState;
    if (mode_ == Mode::forwarding)
        return forwardBeginVisualState;
    if (c.isRinging())
        return c.isVideo() ? ringingWithVideoVisualState : ringingVisualState;
    if (mode_ == Mode::transferring)
        return transferBeginVisualState;
    if (mode_ == Mode::inviting)
        return invitingToConferenceVisualState;
    if (const auto related = c.getRelatedConversation(); related && related->isLive())
        return c.isHoldingLocally() ? transferAttendedHoldingLocallyVisualState
                                    : transferAttendedVisualState;
    if (c.isConnecting()) {
        const auto status = c.participants().front()->connectionStatus();
        return status == Participant::statusConnecting ? preCallingVisualState
                                                       : connectingVisualState;
    }
    if (c.isConference())
        return c.isHoldingLocally() ? isConferenceHoldingLocallyVisualState
                                    : isConferenceVisualState;
    if (c.isHoldingLocally())
        return holdingLocallyVisualState;
    if (c.isHoldingRemotely())
        return holdingRemotelyVisualState;
    return activeVisualState;
}

int OVConversationModel::computeDisplay(std::string* param) const {
    const auto& c = *conversation_;
    param->clear();
    switch (c.transferState()) {
    case Conversation::Transfer::transferring:
        *param = c.transferTarget();
        return transferringDisplay;
    case Conversation::Transfer::succeeded:
        return transferSucceededDisplay;
    case Conversation::Transfer::failed:
        return transferFailedDisplay;
    case Conversation::Transfer::beingTransferred:
        return beingTransferredDisplay;
    case Conversation::Transfer::none:
        break;
    }
    // The target of an attended transfer being called.
    if (const auto related = c.getRelatedConversation();
        related && related->isConnecting() && !related->participants().empty()) {
        *param = related->participants().front()->displayName();
        return transferringDisplay;
    }
    if (c.connectionStatus() == Conversation::statusEnded)
        return callEndedDisplay;
    if (c.connectionStatus() == Conversation::statusFailed)
        return failedToConnectDisplay;
    if (c.isRinging())
        return incomingCallDisplay;
    if (c.isConnecting())
        return callingDisplay;
    if (c.isConference() || c.participants().size() > 1) {
        if (c.isHoldingLocally())
            return conferenceOnLocalHoldDisplay;
        std::vector<std::shared_ptr<Participant>> calling;
        for (const auto& p : c.participants())
            if (p->connectionStatus() == Participant::statusConnecting ||
                p->connectionStatus() == Participant::statusRinging)
                calling.push_back(p);
        if (calling.size() == 1) {
            *param = calling.front()->displayName();
            return conferenceCallingOneParticipantDisplay;
        }
        if (calling.size() > 1)
            return conferenceCallingParticipantsDisplay;
        return c.isConference() ? conferenceDefaultDisplay : callEstablishedDisplay;
    }
    if (c.isHoldingLocally())
        return localHoldDisplay;
    if (c.isHoldingRemotely())
        return remoteHoldDisplay;
    return callEstablishedDisplay;
}

void OVConversationModel::propertyChange(std::string_view name) {
    propertyChanged(name);
    const std::string property(name);
    notifyDelegates(
        [&](OVConversationModelPro& d) { d.ovmdConversationPropertyChanged(property); });
}

void OVConversationModel::refresh() {
    auto keep = shared_from_this();
    // Modes end with the state they belong to.
    if ((mode_ == Mode::forwarding && !conversation_->canForward()) ||
        (mode_ == Mode::transferring && !conversation_->canBlindTransfer()) ||
        (mode_ == Mode::inviting && !conversation_->isEstablished()))
        mode_ = Mode::none;
    const auto state = computeVisualState();
    std::string param;
    const int display = computeDisplay(&param);
    const bool stateChanged = state != visualState_;
    const bool displayChanged = display != display_ || param != displayParam_;
    visualState_ = state;
    display_ = display;
    displayParam_ = param;
    if (stateChanged)
        propertyChange(visualStateNameProperty);
    if (displayChanged)
        propertyChange(connectionStatusDisplayProperty);
}

void OVConversationModel::present(std::string_view visualState, int display, std::string param) {
    auto keep = shared_from_this();
    // The names are kept as the model's own constants where they match one.
    static constexpr std::string_view known[] = {activeVisualState,
                                                 ringingVisualState,
                                                 holdingLocallyVisualState,
                                                 holdingRemotelyVisualState,
                                                 failedToConnectVisualState,
                                                 endedVisualState,
                                                 ringingWithVideoVisualState,
                                                 connectingVisualState,
                                                 preCallingVisualState,
                                                 transferBeginVisualState,
                                                 transferAttendedVisualState,
                                                 transferAttendedHoldingLocallyVisualState,
                                                 invitingToConferenceVisualState,
                                                 isConferenceVisualState,
                                                 isConferenceHoldingLocallyVisualState,
                                                 forwardBeginVisualState};
    std::string_view state = "Other";
    for (auto name : known)
        if (name == visualState)
            state = name;
    const bool stateChanged = state != visualState_;
    const bool displayChanged = display != display_ || param != displayParam_;
    visualState_ = state;
    display_ = display;
    displayParam_ = std::move(param);
    if (stateChanged)
        propertyChange(visualStateNameProperty);
    if (displayChanged)
        propertyChange(connectionStatusDisplayProperty);
}

void OVConversationModel::setMode(Mode mode) {
    if (mode_ == mode)
        return;
    mode_ = mode;
    numberEntry_->clearNumberEntered();
    refresh();
}

std::vector<std::shared_ptr<OVMenuItem>> OVConversationModel::getMenuItems() {
    std::vector<std::shared_ptr<OVMenuItem>> items;
    std::weak_ptr<OVConversationModel> weak = weak_from_this();
    auto command = [&](int type, auto work) {
        items.push_back(std::make_shared<OVMenuItem>(type, [weak, work] {
            if (auto self = weak.lock())
                work(*self);
        }));
    };
    const auto& c = *conversation_;
    if (c.canCallAndAddParticipant() && mode_ == Mode::none)
        command(menuItemAddToConferenceBegin,
                [](OVConversationModel& m) { m.addToConferenceBegin(); });
    if (c.canMerge())
        command(menuItemMerge, [](OVConversationModel& m) { m.conversation_->merge(); });
    if (c.canStartRecording())
        command(menuItemStartRecording,
                [](OVConversationModel& m) { m.conversation_->startRecording(); });
    if (c.canStopRecording())
        command(menuItemStopRecording,
                [](OVConversationModel& m) { m.conversation_->stopRecording(); });
    // While a transfer is being begun: call the target first, then hand the party over.
    if (mode_ == Mode::transferring && c.canAttendedTransfer())
        command(menuItemAttendedTransfer, [](OVConversationModel& m) {
            std::string target = m.numberEntry_->realizedNumberEntered();
            const auto first = target.find_first_not_of(" \t\r\n");
            const auto last = target.find_last_not_of(" \t\r\n");
            target =
                first == std::string::npos ? std::string() : target.substr(first, last - first + 1);
            m.conversation_->createRelatedConversation(target);
        });
    return items;
}

void OVConversationModel::dialEntered() {
    auto keep = shared_from_this();
    std::string target = numberEntry_->realizedNumberEntered();
    const auto first = target.find_first_not_of(" \t\r\n");
    const auto last = target.find_last_not_of(" \t\r\n");
    target = first == std::string::npos ? std::string() : target.substr(first, last - first + 1);
    if (target.empty() || target.front() == '@')
        return;
    auto& c = *conversation_;
    switch (mode_) {
    case Mode::forwarding:
        if (c.canForward()) {
            c.forward(target);
            forwardCancel();
        }
        break;
    case Mode::transferring:
        // Return calls the target first; the party is handed over from the second-call strip.
        if (c.canAttendedTransfer())
            c.createRelatedConversation(target);
        else if (c.canBlindTransfer())
            c.blindTransfer(target);
        break;
    case Mode::inviting:
        if (c.canCallAndAddParticipant()) {
            const auto object = numberEntry_->objectEntered();
            c.callAndAddParticipant(target, object ? object->entityID() : -1);
        }
        break;
    case Mode::none:
        break;
    }
}

void OVConversationModel::toggleHoldResume() {
    if (conversation_->canHold() || conversation_->canResume())
        conversation_->toggleHoldResume();
}

void OVConversationModel::addToConferenceBegin() {
    if (conversation_->canCallAndAddParticipant())
        setMode(Mode::inviting);
}

void OVConversationModel::addToConferenceCancel() {
    if (canAddToConferenceCancel())
        setMode(Mode::none);
}

bool OVConversationModel::canForwardBegin() const {
    return conversation_->canForward() && mode_ != Mode::forwarding;
}

void OVConversationModel::forwardBegin() {
    if (canForwardBegin())
        setMode(Mode::forwarding);
}

void OVConversationModel::forwardCancel() {
    if (canForwardCancel())
        setMode(Mode::none);
}

bool OVConversationModel::canTransferBegin() const {
    return conversation_->canBlindTransfer() && mode_ == Mode::none;
}

void OVConversationModel::transferBegin() {
    if (canTransferBegin())
        setMode(Mode::transferring);
}

void OVConversationModel::transferCancel() {
    if (mode_ == Mode::transferring)
        setMode(Mode::none);
    else if (related_)
        // The consultation call ends; the party stays on hold.
        related_->end();
}

void OVConversationModel::requestFocus() {
    auto keep = shared_from_this();
    notifyDelegates([](OVConversationModelPro& d) { d.ovmdConversationFocusRequested({}); });
}

void OVConversationModel::connectionStatusChange(int /*status*/) {
    refresh();
}

void OVConversationModel::connectionStatusChanged(const std::shared_ptr<Participant>&, int) {
    refresh();
}

void OVConversationModel::participantAdded(const std::shared_ptr<Participant>&) {
    // A party called into the conference ends the invitation.
    if (mode_ == Mode::inviting)
        mode_ = Mode::none;
    refresh();
}

void OVConversationModel::participantRemoved(const std::shared_ptr<Participant>&) {
    refresh();
}

void OVConversationModel::isHoldingLocallyChange(bool) {
    refresh();
}

void OVConversationModel::isHoldingRemotelyChange(bool) {
    refresh();
}

void OVConversationModel::isConferenceChange(bool) {
    refresh();
}

void OVConversationModel::transferStatusChanged(const std::shared_ptr<Participant>&, int,
                                                const std::string&) {
    if (mode_ == Mode::transferring)
        mode_ = Mode::none;
    refresh();
}

void OVConversationModel::conversationEnded() {
    mode_ = Mode::none;
    relatedConversationChanged();
}

void OVConversationModel::relatedConversationChanged() {
    auto keep = shared_from_this();
    const auto related = conversation_->getRelatedConversation();
    const bool changed = (related_ ? related_->getSpaceRelatedConversation() : nullptr) != related;
    if (changed) {
        related_ = related ? std::make_shared<OVRelatedConversationModel>(related) : nullptr;
        // The consultation call placed ends the transfer being begun.
        if (related && mode_ == Mode::transferring) {
            mode_ = Mode::none;
            numberEntry_->clearNumberEntered();
        }
        propertyChange(myRelatedConversationModelProperty);
    }
    refresh();
}
