#include "engine/ConversationService.h"

#include "engine/EngineContext.h"
#include "engine/OVAutoCompleteItem.h"
#include "engine/PhoneService.h"

#include <algorithm>

Participant::Participant(std::string address, std::string displayName,
                         std::shared_ptr<CallInfo> callInfo)
    : address_(std::move(address)), displayName_(std::move(displayName)),
      callInfo_(std::move(callInfo)) {}

std::string Participant::addressToDisplay() const {
    return OVSpaceItem::addressWithoutScheme(address_);
}

Conversation::Conversation(std::shared_ptr<EngineContext> context, std::string callIdentifier,
                           Kind kind, bool incoming, std::shared_ptr<Participant> remote,
                           long long entityID)
    : context_(std::move(context)), callIdentifier_(std::move(callIdentifier)), kind_(kind),
      incoming_(incoming), entityID_(entityID), participants_{std::move(remote)},
      connectionStatus_(incoming ? statusRingingIncoming : statusDialing) {
    participants_.front()->setConnectionStatus(incoming ? Participant::statusRinging
                                                        : Participant::statusConnecting);
}

void Conversation::answer() {
    if (!canAnswer() || !context_) {
        return;
    }
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        auto self = weak.lock();
        if (!self || !self->canAnswer()) {
            return;
        }
        auto phone = self->context_->phone();
        if (phone) {
            phone->getToastService()->removeToastsOf(self.get());
        }
        self->participants_.front()->setConnectionStatus(Participant::statusConnected);
        self->setStatus(statusConnected);
        if (phone && self->isVideo()) {
            phone->getRemoteVideoService()->incomingVideoCallAccepted();
        }
    });
}

void Conversation::answerWithAudioOnly() {
    if (canAnswer()) {
        kind_ = Kind::audio;
        answer();
    }
}

void Conversation::decline() {
    if (!isRinging() || !context_) {
        return;
    }
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->isRinging()) {
            self->context_->backend()->hangUp(self->callIdentifier_);
            self->finish(statusEnded);
        }
    });
}

void Conversation::end() {
    if (!isLive() || !context_) {
        return;
    }
    context_->backend()->hangUp(callIdentifier_);
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post(context_->backend()->latency("callEnd"), [weak] {
        if (auto self = weak.lock(); self && self->isLive()) {
            self->finish(statusEnded);
        }
    });
}

void Conversation::hold() {
    if (!canHold() || !context_) {
        return;
    }
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->canHold()) {
            self->holdingLocally_ = true;
            auto shared = self;
            self->notifyDelegates([&](OVConversationBasePro& d) {
                d.conversationStatusChanged(shared, shared->connectionStatus_);
            });
        }
    });
}

void Conversation::resume() {
    if (!canResume() || !context_) {
        return;
    }
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->canResume()) {
            self->holdingLocally_ = false;
            auto shared = self;
            self->notifyDelegates([&](OVConversationBasePro& d) {
                d.conversationStatusChanged(shared, shared->connectionStatus_);
            });
        }
    });
}

void Conversation::remoteEvent(RemoteCallEvent event) {
    if (!isLive()) {
        return;
    }
    auto self = shared_from_this();
    auto remote = participants_.front();
    auto participantStatus = [&](int status) {
        remote->setConnectionStatus(status);
        notifyDelegates(
            [&](OVConversationBasePro& d) { d.connectionStatusChanged(remote, status); });
    };
    switch (event) {
    case RemoteCallEvent::ringing:
        participantStatus(Participant::statusRinging);
        break;
    case RemoteCallEvent::answered:
        participantStatus(Participant::statusConnected);
        setStatus(statusConnected);
        break;
    case RemoteCallEvent::busy:
    case RemoteCallEvent::unreachable:
        participantStatus(Participant::statusFailedToConnect);
        finish(statusFailed);
        break;
    case RemoteCallEvent::ended:
        if (isRinging()) {
            // The caller gave up before the call was answered: a missed call.
            if (auto phone = context_->phone()) {
                phone->getCallHistoryService()->addMissedCall();
            }
        }
        finish(statusEnded);
        break;
    }
}

void Conversation::setStatus(int status) {
    if (status == connectionStatus_) {
        return;
    }
    connectionStatus_ = status;
    wasConnected_ = wasConnected_ || status == statusConnected;
    auto self = shared_from_this();
    notifyDelegates([&](OVConversationBasePro& d) { d.conversationStatusChanged(self, status); });
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getConversationService()->conversationChanged(self);
    }
}

void Conversation::finish(int status) {
    auto self = shared_from_this();
    holdingLocally_ = false;
    // A party that could not be reached keeps saying so.
    if (status != statusFailed) {
        participants_.front()->setConnectionStatus(Participant::statusDisconnected);
    }
    auto phone = context_ ? context_->phone() : nullptr;
    if (phone) {
        phone->getToastService()->removeToastsOf(this);
    }
    setStatus(status);
    if (phone) {
        phone->getConversationService()->conversationEnded(self);
    }
}

ConversationService::ConversationService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

int ConversationService::linesInUse() const {
    return static_cast<int>(std::count_if(conversations_.begin(), conversations_.end(),
                                          [](const auto& c) { return c->isLive(); }));
}

std::vector<std::shared_ptr<Conversation>> ConversationService::getAllConversations() const {
    return conversations_;
}

bool ConversationService::hasConference() const {
    return std::any_of(conversations_.begin(), conversations_.end(),
                       [](const auto& c) { return c->isConference() && c->isLive(); });
}

bool ConversationService::newConversationAllowed() const {
    return isAvailable() && linesInUse() < maximumLines;
}

bool ConversationService::canVideoConversation() const {
    if (!newConversationAllowed()) {
        return false;
    }
    const auto allowVideo = context_->backend()->configuration("allowVideo");
    return allowVideo.isNull() || allowVideo.boolValue();
}

bool ConversationService::canPullFromMobile() const {
    return context_ && context_->started() &&
           context_->backend()->configuration("pullFromMobile").boolValue() &&
           newConversationAllowed();
}

std::shared_ptr<Conversation> ConversationService::audioConversation(const std::string& address,
                                                                     long long entityID) {
    return place(address, entityID, Conversation::Kind::audio);
}

std::shared_ptr<Conversation> ConversationService::videoConversation(const std::string& address,
                                                                     long long entityID) {
    if (!canVideoConversation()) {
        return nullptr;
    }
    return place(address, entityID, Conversation::Kind::video);
}

std::shared_ptr<Conversation>
ConversationService::conferenceConversation(const std::string& address, long long entityID) {
    return place(address, entityID, Conversation::Kind::conference);
}

std::shared_ptr<Conversation> ConversationService::conferenceFocusConversation() {
    if (!context_) {
        return nullptr;
    }
    const auto focus = context_->backend()->configuration("conferenceFocusAddress").stringValue();
    return focus.empty() ? nullptr : place(focus, -1, Conversation::Kind::conference);
}

std::shared_ptr<Conversation> ConversationService::pullFromMobile(const std::string& displayName) {
    if (!canPullFromMobile()) {
        return nullptr;
    }
    auto address = context_->backend()->configuration("pullFromMobileAddress").stringValue();
    return place(address.empty() ? "handoff" : address, -1, Conversation::Kind::audio, displayName);
}

void ConversationService::useDeskphone() {
    auto phone = context_ ? context_->phone() : nullptr;
    usingDeskphone_ = phone && phone->getDeskphoneService()->isConnected();
}

std::string ConversationService::nextCallIdentifier() {
    return "call-" + std::to_string(nextCall_++);
}

std::shared_ptr<Participant>
ConversationService::makeParticipant(const std::string& address,
                                     const std::string& displayName) const {
    auto phone = context_ ? context_->phone() : nullptr;
    std::shared_ptr<OVEntity> contact;
    OVAddressType type = OVAddressType::softphone;
    std::string accountUsed;
    if (phone) {
        const auto matches = phone->getContactManager()->lookup("", address, "");
        if (!matches.empty()) {
            contact = matches.front();
            for (const auto& field : contact->fields()) {
                if (OVEntity::sameAddress(field->valueStr(), address)) {
                    type = addressTypeOfFieldName(field->name());
                    break;
                }
            }
        }
        if (auto account =
                phone->getAccountService()->defaultAccount(OVAccountFeature::featureCall)) {
            accountUsed = account->accountName();
        }
    }
    const bool anonymous = address.empty() || address.find("anonymous") != std::string::npos;
    std::string name = displayName;
    if (name.empty()) {
        name = contact ? contact->displayName() : address;
    }
    return std::make_shared<Participant>(
        address, name, std::make_shared<CallInfo>(type, contact, anonymous, accountUsed));
}

std::shared_ptr<Conversation> ConversationService::place(const std::string& address,
                                                         long long entityID,
                                                         Conversation::Kind kind,
                                                         const std::string& displayName) {
    if (!context_ || address.empty() || !newConversationAllowed()) {
        return nullptr;
    }
    auto conversation =
        std::make_shared<Conversation>(context_, nextCallIdentifier(), kind, false,
                                       makeParticipant(address, displayName), entityID);
    conversations_.push_back(conversation);
    recordInHistory(*conversation, false);
    reportNewConversationAllowed();
    std::weak_ptr<ConversationService> weakService = weak_from_this();
    std::weak_ptr<Conversation> weak = conversation;
    context_->post([weakService, weak] {
        auto service = weakService.lock();
        auto conversation = weak.lock();
        if (!service || !conversation || !conversation->isLive()) {
            return;
        }
        service->notifyDelegates(
            [&](OVConversationServicePro& d) { d.conversationAdded(conversation, false, false); });
        service->notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
        service->notifyDelegates([&](OVConversationServicePro& d) {
            d.onActiveOrRingingConversationChange(conversation);
        });
        auto& context = *service->context_;
        context.backend()->placeCall(
            conversation->callIdentifier(), conversation->participants().front()->address(),
            conversation->isVideo(), context.guard([weak](RemoteCallEvent event) {
                if (auto c = weak.lock()) {
                    c->remoteEvent(event);
                }
            }));
    });
    return conversation;
}

std::shared_ptr<Conversation> ConversationService::receiveCall(const std::string& address,
                                                               const std::string& displayName,
                                                               bool video) {
    if (!context_ || !context_->started()) {
        return nullptr;
    }
    const bool busy = std::any_of(conversations_.begin(), conversations_.end(), [](const auto& c) {
        return c->connectionStatus() == Conversation::statusConnected;
    });
    auto conversation = std::make_shared<Conversation>(
        context_, nextCallIdentifier(),
        video ? Conversation::Kind::video : Conversation::Kind::audio, true,
        makeParticipant(address, displayName), -1);
    if (busy) {
        conversation->setStatus(Conversation::statusRingingWaiting);
    }
    conversations_.push_back(conversation);
    reportNewConversationAllowed();
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.conversationAdded(conversation, true, false); });
    notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.onActiveOrRingingConversationChange(conversation); });
    if (auto phone = context_->phone()) {
        auto toast = std::make_shared<Toast>(Toast::typeIncomingCall);
        const auto remote = conversation->participants().front();
        toast->setConversation(conversation);
        toast->setContact(remote->getCallInfo()->contact());
        toast->setDisplay(remote->displayName(), remote->addressToDisplay());
        phone->getToastService()->addToast(toast);
    }
    return conversation;
}

std::shared_ptr<Conversation>
ConversationService::conversation(const std::string& callIdentifier) const {
    auto it = std::find_if(conversations_.begin(), conversations_.end(),
                           [&](const auto& c) { return c->callIdentifier() == callIdentifier; });
    return it == conversations_.end() ? nullptr : *it;
}

void ConversationService::conversationChanged(const std::shared_ptr<Conversation>& conversation) {
    if (std::find(conversations_.begin(), conversations_.end(), conversation) ==
        conversations_.end()) {
        return;
    }
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.onActiveOrRingingConversationChange(conversation); });
}

void ConversationService::conversationEnded(const std::shared_ptr<Conversation>& conversation) {
    auto it = std::find(conversations_.begin(), conversations_.end(), conversation);
    if (it == conversations_.end()) {
        return;
    }
    conversations_.erase(it);
    if (conversation->isIncoming()) {
        recordInHistory(*conversation, !conversation->wasConnected());
    }
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.conversationRemoved(conversation, false); });
    notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
    reportNewConversationAllowed();
}

void ConversationService::recordInHistory(const Conversation& conversation, bool missed) const {
    auto phone = context_ ? context_->phone() : nullptr;
    if (!phone) {
        return;
    }
    const auto& remote = conversation.participants().front();
    CallHistoryRecord record;
    record.address = remote->address();
    const auto contact = remote->getCallInfo()->contact();
    record.display = contact ? contact->displayName()
                             : (remote->displayName() == remote->address() ? std::string()
                                                                           : remote->displayName());
    record.addressType = remote->getCallInfo()->addressType();
    record.entityID = contact ? contact->uniqueId() : conversation.entityID();
    record.incoming = conversation.isIncoming();
    record.missed = missed;
    record.video = conversation.isVideo();
    phone->getCallHistoryService()->addCall(std::move(record));
}

void ConversationService::reportNewConversationAllowed() {
    const bool allowed = newConversationAllowed();
    if (reportedAllowed_ == allowed) {
        return;
    }
    reportedAllowed_ = allowed;
    notifyDelegates([&](OVConversationServicePro& d) { d.newConversationAllowed(allowed); });
}

void ConversationService::endAll() {
    const auto conversations = conversations_;
    for (const auto& conversation : conversations) {
        if (conversation->isLive()) {
            context_->backend()->hangUp(conversation->callIdentifier());
            conversation->terminate();
        }
    }
    conversations_.clear();
    reportNewConversationAllowed();
}

void ConversationService::updateAvailability() {
    if (!context_) {
        return;
    }
    bool available = false;
    auto reason = OVUnavailableReason::unknown;
    auto phone = context_->phone();
    if (!context_->started() || !phone) {
        reason = OVUnavailableReason::starting;
    } else if (!context_->networkUp()) {
        reason = OVUnavailableReason::networkProblem;
    } else if (phone->getAccountService()->defaultAccount(OVAccountFeature::featureCall)) {
        available = true;
    } else {
        const auto& accounts = phone->getAccountService()->accounts();
        const bool enabling = std::any_of(accounts.begin(), accounts.end(), [](const auto& a) {
            return a->isFeatureEnabled(OVAccountFeature::featureCall) &&
                   a->status() == OVAccountStatus::statusEnabling;
        });
        reason =
            enabling ? OVUnavailableReason::resourceRelated : OVUnavailableReason::accountNotReady;
    }
    if (setAvailability(available, reason)) {
        auto self = shared_from_this();
        notifyDelegates([&](OVConversationServicePro& d) { d.ovsaAvailabilityChanged(self); });
    }
    reportNewConversationAllowed();
}
