#include "engine/ConversationService.h"

#include "engine/CallRecording.h"
#include "engine/EngineContext.h"
#include "engine/OVAutoCompleteItem.h"
#include "engine/PhoneService.h"

#include <algorithm>
#include <cstdlib>

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
      connectionStatus_(incoming ? statusRingingIncoming : statusConnected) {
    participants_.front()->setConnectionStatus(incoming ? Participant::statusRinging
                                                        : Participant::statusConnecting);
    participants_.front()->setAudioOnly(kind != Kind::video);
}

bool Conversation::canCallAndAddParticipant() const {
    return isEstablished() && !holdingLocally_ && transfer_ == Transfer::none && !related_ &&
           !consultedFor_.lock() && participants_.size() < 5;
}

bool Conversation::canAttendedTransfer() const {
    if (auto consulted = consultedFor_.lock()) {
        return isEstablished() && consulted->isLive() && consulted->related_.get() == this;
    }
    if (!isEstablished() || participants_.size() != 1 || transfer_ != Transfer::none || related_ ||
        !context_) {
        return false;
    }
    auto phone = context_->phone();
    return phone && phone->getConversationService()->newConversationAllowed();
}

void Conversation::relatedChanged() {
    auto self = shared_from_this();
    notifyDelegates([](OVConversationBasePro& d) { d.relatedConversationChanged(); });
}

void Conversation::createRelatedConversation(const std::string& target) {
    if (target.empty() || consultedFor_.lock() || !canAttendedTransfer()) {
        return;
    }
    auto service = context_->phone()->getConversationService();
    auto consultation =
        std::make_shared<Conversation>(context_, service->nextCallIdentifier(), Kind::audio, false,
                                       service->makeParticipant(target, {}), -1);
    consultation->consultedFor_ = weak_from_this();
    consultation->participants_.front()->setConversation(consultation);
    related_ = consultation;
    // The party waits on hold while the target is consulted.
    if (!holdingLocally_) {
        setHoldingLocally(true);
    }
    relatedChanged();
    service->notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
    service->reportNewConversationAllowed();
    std::weak_ptr<Conversation> weak = consultation;
    context_->backend()->placeCall(consultation->callIdentifier_, target, false,
                                   context_->guard([weak](RemoteCallEvent event) {
                                       if (auto c = weak.lock()) {
                                           c->remoteEvent(event);
                                       }
                                   }));
}

void Conversation::attendedTransfer() {
    auto consulted = consultedFor_.lock();
    if (!consulted || !canAttendedTransfer()) {
        return;
    }
    auto self = shared_from_this();
    auto party = consulted->participants_.front();
    consulted->transfer_ = Transfer::succeeded;
    consulted->transferTarget_ = participants_.front()->address();
    party->setTransferStatus(3, participants_.front()->address());
    const auto target = consulted->transferTarget_;
    consulted->notifyDelegates(
        [&](OVConversationBasePro& d) { d.transferStatusChanged(party, 3, target); });
    // The two parties talk to each other now; neither call stays here.
    context_->backend()->hangUp(callIdentifier_);
    context_->backend()->hangUp(consulted->callIdentifier_);
    finish(statusEnded);
    consulted->finish(statusEnded);
}

bool Conversation::canMerge() const {
    if (!isEstablished() || !context_) {
        return false;
    }
    auto phone = context_->phone();
    if (!phone) {
        return false;
    }
    for (const auto& other : phone->getConversationService()->getAllConversations()) {
        if (other.get() != this && other->isEstablished()) {
            return true;
        }
    }
    return false;
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
        self->participantStatus(self->participants_.front(), Participant::statusConnected);
        self->setStatus(statusConnected);
        if (self->isVideo()) {
            self->beginVideo(static_cast<int>(RemoteVideoService::Start::incomingAccepted), true);
        }
    });
}

bool Conversation::canStartMyVideo() const {
    if (!isEstablished() || holdingLocally_ || sendingMyVideo_ || videoRequestPending_ ||
        consultedFor_.lock() || !context_) {
        return false;
    }
    if (hasVideo_) {
        return true;
    }
    auto phone = context_->phone();
    const auto allowVideo = context_->backend()->configuration("allowVideo");
    return phone && (allowVideo.isNull() || allowVideo.boolValue());
}

void Conversation::videoButtonsChanged() {
    auto self = shared_from_this();
    notifyDelegates([](OVConversationBasePro& d) { d.canStartMyVideoUpdate(); });
    notifyDelegates([](OVConversationBasePro& d) { d.canStopMyVideoUpdate(); });
}

void Conversation::beginVideo(int how, bool sendMine) {
    auto self = shared_from_this();
    hasVideo_ = true;
    sendingMyVideo_ = sendMine;
    videoRequestPending_ = false;
    participants_.front()->setAudioOnly(false);
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getRemoteVideoService()->videoStarted(
            self, static_cast<RemoteVideoService::Start>(how), sendMine);
    }
    videoButtonsChanged();
}

void Conversation::startMyVideo() {
    if (!canStartMyVideo()) {
        return;
    }
    auto phone = context_->phone();
    if (hasVideo_) {
        sendingMyVideo_ = true;
        phone->getRemoteVideoService()->sendingMyVideo(true);
        videoButtonsChanged();
        return;
    }
    videoRequestPending_ = true;
    videoButtonsChanged();
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->backend()->requestVideo(callIdentifier_, context_->guard([weak](bool accepted) {
        auto self = weak.lock();
        if (!self || !self->videoRequestPending_ || !self->isLive()) {
            return;
        }
        if (accepted) {
            self->beginVideo(static_cast<int>(RemoteVideoService::Start::requestAccepted), true);
            return;
        }
        self->videoRequestPending_ = false;
        if (auto phone = self->context_->phone()) {
            phone->getRemoteVideoService()->requestFailed();
        }
        self->videoButtonsChanged();
    }));
}

void Conversation::stopMyVideo() {
    if (!canStopMyVideo()) {
        return;
    }
    sendingMyVideo_ = false;
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getRemoteVideoService()->sendingMyVideo(false);
    }
    videoButtonsChanged();
}

void Conversation::remoteAddsVideo() {
    if (!isEstablished() || hasVideo_) {
        return;
    }
    auto self = shared_from_this();
    notifyDelegates([](OVConversationBasePro& d) { d.videoRequestedByRemote(); });
    beginVideo(static_cast<int>(RemoteVideoService::Start::requestedByRemote), false);
}

void Conversation::answerWithAudioOnly() {
    if (canAnswer()) {
        kind_ = Kind::audio;
        participants_.front()->setAudioOnly(true);
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
            self->setHoldingLocally(true);
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
            self->setHoldingLocally(false);
        }
    });
}

void Conversation::setHoldingLocally(bool holding) {
    holdingLocally_ = holding;
    auto self = shared_from_this();
    notifyDelegates([&](OVConversationBasePro& d) { d.isHoldingLocallyChange(holding); });
    if (connectionStatus_ == statusConnected || connectionStatus_ == statusHeld) {
        setStatus(holding ? statusHeld : statusConnected);
    }
}

void Conversation::setConference(bool conference) {
    if (conference_ == conference) {
        return;
    }
    conference_ = conference;
    for (const auto& party : std::vector(participants_)) {
        party->setInConference(isConference());
    }
    notifyDelegates([&](OVConversationBasePro& d) { d.isConferenceChange(conference); });
}

void Conversation::participantStatus(const std::shared_ptr<Participant>& participant, int status) {
    if (participant->connectionStatus() == status) {
        return;
    }
    participant->setConnectionStatus(status);
    notifyDelegates(
        [&](OVConversationBasePro& d) { d.connectionStatusChanged(participant, status); });
}

void Conversation::addParticipant(const std::shared_ptr<Participant>& participant) {
    participants_.push_back(participant);
    participant->setConversation(shared_from_this());
    participant->setInConference(isConference());
    notifyDelegates([&](OVConversationBasePro& d) { d.participantAdded(participant); });
}

void Conversation::forward(const std::string& target) {
    if (!canForward() || target.empty() || !context_) {
        return;
    }
    context_->backend()->hangUp(callIdentifier_);
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->isRinging()) {
            self->finish(statusEnded);
        }
    });
}

void Conversation::blindTransfer(const std::string& target) {
    if (!canBlindTransfer() || target.empty() || !context_) {
        return;
    }
    transfer_ = Transfer::transferring;
    transferTarget_ = target;
    auto remote = participants_.front();
    remote->setTransferStatus(1, target);
    notifyDelegates([&](OVConversationBasePro& d) { d.transferStatusChanged(remote, 1, target); });
    // The other side is handed over when the target answers; a target that cannot take calls
    // leaves the call as it was, the failure said.
    auto backend = context_->backend();
    std::weak_ptr<Conversation> weak = weak_from_this();
    const auto answer = backend->remoteAnswerFor(target);
    context_->post(backend->latency("callAnswer"), [weak, answer] {
        auto self = weak.lock();
        if (!self || !self->isLive() || self->transfer_ != Transfer::transferring) {
            return;
        }
        const bool done = answer == RemoteAnswer::answers;
        self->transfer_ = done ? Transfer::succeeded : Transfer::failed;
        auto party = self->participants_.front();
        party->setTransferStatus(done ? 3 : 4, self->transferTarget_);
        const auto target = self->transferTarget_;
        self->notifyDelegates([&](OVConversationBasePro& d) {
            d.transferStatusChanged(party, done ? 3 : 4, target);
        });
        if (done) {
            self->context_->backend()->hangUp(self->callIdentifier_);
            self->finish(statusEnded);
        } else {
            self->transfer_ = Transfer::none;
            party->setTransferStatus(0);
        }
    });
}

void Conversation::callAndAddParticipant(const std::string& address, long long /*entityID*/) {
    if (!canCallAndAddParticipant() || address.empty() || !context_) {
        return;
    }
    auto phone = context_->phone();
    if (!phone) {
        return;
    }
    auto party = phone->getConversationService()->makeParticipant(address, {});
    party->setConnectionStatus(Participant::statusConnecting);
    addParticipant(party);
    const std::string leg = callIdentifier_ + "." + std::to_string(nextLeg_++);
    std::weak_ptr<Conversation> weak = weak_from_this();
    std::weak_ptr<Participant> weakParty = party;
    context_->backend()->placeCall(
        leg, address, false, context_->guard([weak, weakParty](RemoteCallEvent event) {
            auto self = weak.lock();
            auto party = weakParty.lock();
            if (!self || !party || !self->isLive()) {
                return;
            }
            switch (event) {
            case RemoteCallEvent::ringing:
                self->participantStatus(party, Participant::statusRinging);
                break;
            case RemoteCallEvent::answered:
                self->participantStatus(party, Participant::statusConnected);
                self->setConference(true);
                break;
            case RemoteCallEvent::busy:
            case RemoteCallEvent::unreachable:
            case RemoteCallEvent::rejected:
            case RemoteCallEvent::ended: {
                self->participantStatus(party, event == RemoteCallEvent::ended
                                                   ? Participant::statusDisconnected
                                                   : Participant::statusFailedToConnect);
                auto& parties = self->participants_;
                auto it = std::find(parties.begin(), parties.end(), party);
                if (it != parties.end() && parties.size() > 1) {
                    parties.erase(it);
                    self->notifyDelegates(
                        [&](OVConversationBasePro& d) { d.participantRemoved(party); });
                    self->setConference(parties.size() > 1);
                }
                break;
            }
            default:
                break;
            }
        }));
}

void Conversation::merge() {
    if (!canMerge()) {
        return;
    }
    auto service = context_->phone()->getConversationService();
    auto self = shared_from_this();
    for (const auto& other : service->getAllConversations()) {
        if (other == self || !other->isEstablished()) {
            continue;
        }
        if (other->recording_) {
            other->stopRecordingNow();
        }
        for (const auto& party : other->participants_) {
            addParticipant(party);
        }
        other->participants_.clear();
        other->holdingLocally_ = false;
        other->connectionStatus_ = statusEnded;
        service->conversationMoved(other);
    }
    if (holdingLocally_) {
        setHoldingLocally(false);
    }
    setConference(participants_.size() > 1);
}

void Conversation::startRecording() {
    if (!canStartRecording() || !context_) {
        return;
    }
    auto phone = context_->phone();
    auto service = phone ? phone->getConversationService() : nullptr;
    std::error_code error;
    const auto folder = service ? service->recordingsFolder() : std::filesystem::path();
    const bool failed = !service || service->takeRecordingFailure() || folder.empty() ||
                        (!std::filesystem::create_directories(folder, error) &&
                         !std::filesystem::is_directory(folder, error));
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak, failed] {
        auto self = weak.lock();
        if (!self || !self->canStartRecording()) {
            return;
        }
        if (failed) {
            self->notifyDelegates([](OVConversationBasePro& d) { d.startRecordingFailed(); });
            return;
        }
        self->recording_ = true;
        self->recordingStarted_ = platform::RunLoop::main().now();
        self->notifyDelegates([](OVConversationBasePro& d) { d.recordingStarted(); });
    });
}

void Conversation::stopRecording() {
    if (!recording_ || !context_) {
        return;
    }
    std::weak_ptr<Conversation> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock(); self && self->recording_) {
            self->stopRecordingNow();
        }
    });
}

void Conversation::stopRecordingNow() {
    recording_ = false;
    auto phone = context_ ? context_->phone() : nullptr;
    if (!phone) {
        return;
    }
    const auto folder = phone->getConversationService()->recordingsFolder();
    const double seconds = platform::RunLoop::main().now() - recordingStarted_;
    const auto file = CallRecording::write(
        folder, participants_.empty() ? std::string("call") : participants_.front()->displayName(),
        seconds);
    if (!file) {
        notifyDelegates([](OVConversationBasePro& d) { d.startRecordingFailed(); });
        return;
    }
    const std::string name = file->stem().string();
    const std::string extension = file->extension().string();
    const std::string where = file->parent_path().string();
    notifyDelegates([&](OVConversationBasePro& d) { d.recordingStopped(where, name, extension); });
}

void Conversation::remoteEvent(RemoteCallEvent event) {
    if (!isLive()) {
        return;
    }
    auto self = shared_from_this();
    // A consultation call's every change shows on the consulted call's panel.
    struct TellConsulted {
        std::weak_ptr<Conversation> consulted;
        ~TellConsulted() {
            if (auto call = consulted.lock(); call && call->related_) {
                call->relatedChanged();
            }
        }
    } tell{consultedFor_};
    auto remote = participants_.front();
    switch (event) {
    case RemoteCallEvent::ringing:
        participantStatus(remote, Participant::statusRinging);
        break;
    case RemoteCallEvent::answered:
        if (wasConnected_) {
            break;
        }
        participantStatus(remote, Participant::statusConnected);
        wasConnected_ = true;
        if (connectionStatus_ == statusConnected) {
            // Still 0, as while the call was placed: tell the change of state all the same.
            notifyDelegates(
                [&](OVConversationBasePro& d) { d.conversationStatusChanged(self, 0); });
            notifyDelegates([](OVConversationBasePro& d) { d.connectionStatusChange(0); });
            if (auto phone = context_ ? context_->phone() : nullptr) {
                phone->getConversationService()->conversationChanged(self);
            }
        } else {
            setStatus(statusConnected);
        }
        if (isVideo() && !consultedFor_.lock()) {
            beginVideo(static_cast<int>(RemoteVideoService::Start::negotiated), true);
        }
        break;
    case RemoteCallEvent::busy:
    case RemoteCallEvent::unreachable:
    case RemoteCallEvent::rejected:
        participantStatus(remote, Participant::statusFailedToConnect);
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
    case RemoteCallEvent::heldByRemote:
    case RemoteCallEvent::resumedByRemote: {
        const bool held = event == RemoteCallEvent::heldByRemote;
        if (!wasConnected_ || holdingRemotely_ == held) {
            break;
        }
        holdingRemotely_ = held;
        remote->setHoldingRemotely(held);
        notifyDelegates([&](OVConversationBasePro& d) { d.isHoldingRemotelyChange(held); });
        break;
    }
    case RemoteCallEvent::transferredByRemote:
        if (!wasConnected_) {
            break;
        }
        transfer_ = Transfer::beingTransferred;
        remote->setTransferStatus(2);
        notifyDelegates(
            [&](OVConversationBasePro& d) { d.transferStatusChanged(remote, 2, std::string()); });
        break;
    }
}

void Conversation::setStatus(int status) {
    if (status == connectionStatus_) {
        return;
    }
    connectionStatus_ = status;
    wasConnected_ = wasConnected_ || status == statusConnected;
    if (status == statusConnected && transfer_ == Transfer::beingTransferred) {
        transfer_ = Transfer::none;
    }
    auto self = shared_from_this();
    notifyDelegates([&](OVConversationBasePro& d) { d.conversationStatusChanged(self, status); });
    notifyDelegates([&](OVConversationBasePro& d) { d.connectionStatusChange(status); });
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getConversationService()->conversationChanged(self);
    }
}

void Conversation::finish(int status) {
    auto self = shared_from_this();
    // A consultation ends with the call it was placed for; a consultation that ends leaves
    // that call on hold, free for another transfer.
    if (auto consultation = std::move(related_)) {
        related_.reset();
        if (consultation->isLive()) {
            if (context_) {
                context_->backend()->hangUp(consultation->callIdentifier_);
            }
            consultation->finish(statusEnded);
        }
    }
    if (auto consulted = consultedFor_.lock(); consulted && consulted->related_ == self) {
        consulted->related_.reset();
        consultedFor_.reset();
        consulted->relatedChanged();
        if (auto phone = context_ ? context_->phone() : nullptr) {
            auto service = phone->getConversationService();
            service->notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
            service->reportNewConversationAllowed();
        }
    }
    if (recording_) {
        stopRecordingNow();
    }
    holdingLocally_ = false;
    // A party that could not be reached keeps saying so.
    if (status != statusFailed) {
        for (const auto& party : participants_) {
            participantStatus(party, Participant::statusDisconnected);
        }
    }
    auto phone = context_ ? context_->phone() : nullptr;
    if (phone) {
        phone->getToastService()->removeToastsOf(this);
    }
    const bool hadVideo = hasVideo_;
    hasVideo_ = false;
    sendingMyVideo_ = false;
    videoRequestPending_ = false;
    setStatus(status);
    if (hadVideo && phone) {
        phone->getRemoteVideoService()->videoStopped(*this);
    }
    notifyDelegates([](OVConversationBasePro& d) { d.conversationEnded(); });
    if (phone) {
        phone->getConversationService()->conversationEnded(self);
    }
}

ConversationService::ConversationService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

std::shared_ptr<Conversation> ConversationService::getLiveConversation() const {
    for (const auto& c : conversations_) {
        if (c->isEstablished() && !c->isHoldingLocally()) {
            return c;
        }
    }
    return nullptr;
}

int ConversationService::linesInUse() const {
    int lines = 0;
    for (const auto& c : conversations_) {
        lines += c->isLive() ? 1 : 0;
        // A consultation call has no place in the list but holds a line of its own.
        const auto related = c->getRelatedConversation();
        lines += related && related->isLive() ? 1 : 0;
    }
    return lines;
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

std::shared_ptr<Conversation>
ConversationService::audioConversation(const std::string& address, long long entityID,
                                       const std::string& displayName,
                                       const std::shared_ptr<OVAccount>& account) {
    const auto chosen = accountForCall_;
    if (account)
        accountForCall_ = account;
    auto conversation = place(address, entityID, Conversation::Kind::audio, displayName);
    accountForCall_ = chosen;
    return conversation;
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
    if (focus.empty()) {
        return nullptr;
    }
    return place(focus, -1, Conversation::Kind::conference, {}, true);
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
    const bool using_ = phone && phone->getDeskphoneService()->isConnected();
    if (using_ != usingDeskphone_) {
        usingDeskphone_ = using_;
        reportCallOptionsChanged();
    }
}

void ConversationService::useLocalAccountForCall() {
    if (usingDeskphone_) {
        usingDeskphone_ = false;
        reportCallOptionsChanged();
    }
}

void ConversationService::setAutoAnswer(bool on) {
    if (on != autoAnswer_) {
        autoAnswer_ = on;
        reportCallOptionsChanged();
    }
}

void ConversationService::setAnonymous(bool on) {
    if (on != anonymous_) {
        anonymous_ = on;
        reportCallOptionsChanged();
    }
}

void ConversationService::setLettersToNumbers(bool on) {
    if (on != lettersToNumbers_) {
        lettersToNumbers_ = on;
        reportCallOptionsChanged();
    }
}

void ConversationService::reportCallOptionsChanged() {
    if (!context_) {
        notifyDelegates([](OVConversationServicePro& d) { d.callOptionsChanged(); });
        return;
    }
    std::weak_ptr<ConversationService> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock()) {
            self->notifyDelegates([](OVConversationServicePro& d) { d.callOptionsChanged(); });
        }
    });
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
    auto info = std::make_shared<CallInfo>(type, contact, anonymous, accountUsed);
    info->setDisplay(name);
    std::vector<std::shared_ptr<OVEntity>> matches;
    if (phone) {
        matches = phone->getContactManager()->lookup("", address, "");
    }
    info->setCallAddress(std::make_shared<OVAddress>(address, std::move(matches)));
    return std::make_shared<Participant>(address, name, std::move(info));
}

std::shared_ptr<Conversation>
ConversationService::place(const std::string& address, long long entityID, Conversation::Kind kind,
                           const std::string& displayName, bool remoteConferenceFocus) {
    if (!context_ || address.empty() || !newConversationAllowed()) {
        return nullptr;
    }
    auto conversation =
        std::make_shared<Conversation>(context_, nextCallIdentifier(), kind, false,
                                       makeParticipant(address, displayName), entityID);
    conversation->remoteConferenceFocus_ = remoteConferenceFocus;
    conversation->participants().front()->setConversation(conversation);
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
        const bool focus = conversation->isRemoteConferenceFocus();
        service->notifyDelegates(
            [&](OVConversationServicePro& d) { d.conversationAdded(conversation, false, focus); });
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
        return c->isEstablished() && c->connectionStatus() == Conversation::statusConnected;
    });
    auto conversation = std::make_shared<Conversation>(
        context_, nextCallIdentifier(),
        video ? Conversation::Kind::video : Conversation::Kind::audio, true,
        makeParticipant(address, displayName), -1);
    conversation->participants().front()->setConversation(conversation);
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
    for (const auto& c : conversations_) {
        if (c->callIdentifier() == callIdentifier) {
            return c;
        }
        // A consultation call is found through the call it was placed for.
        if (auto related = c->getRelatedConversation();
            related && related->callIdentifier() == callIdentifier) {
            return related;
        }
    }
    return nullptr;
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

void ConversationService::conversationMoved(const std::shared_ptr<Conversation>& conversation) {
    auto it = std::find(conversations_.begin(), conversations_.end(), conversation);
    if (it == conversations_.end()) {
        return;
    }
    conversations_.erase(it);
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.conversationRemoved(conversation, true); });
    notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
    reportNewConversationAllowed();
}

std::filesystem::path ConversationService::recordingsFolder() const {
    auto phone = context_ ? context_->phone() : nullptr;
    if (phone) {
        auto setting = phone->getPreferenceSettings()->existingSub("preferences");
        setting = setting ? setting->existingSub("advanced") : nullptr;
        setting = setting ? setting->existingSub("recordingLocation") : nullptr;
        if (setting && !setting->stringSetting().empty()) {
            return setting->stringSetting();
        }
    }
    const char* home = std::getenv("HOME");
    return home && *home ? std::filesystem::path(home) / "Recordings" : std::filesystem::path();
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
