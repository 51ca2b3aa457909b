#include "engine/ConversationService.h"
#include "engine/EngineContext.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"

#include <algorithm>
#include <cctype>

// The remote parties of calls: what each can do, the changes told to its delegates, local
// conferences taken apart again, consultation calls merged or split off, and the parties a
// conference server reports.

void OVAddress::setMatches(std::vector<std::shared_ptr<OVEntity>> matches) {
    const bool was = isContact();
    const bool changed = matches != matches_;
    matches_ = std::move(matches);
    if (was != isContact()) {
        const bool now = isContact();
        notifyDelegates([&](OVAddressPro& d) { d.ovadIsContactUpdate(now); });
    } else if (changed) {
        notifyDelegates([](OVAddressPro& d) { d.ovadAddressUpdate(); });
    }
}

bool Participant::holdingLocally() const {
    auto call = conversation();
    return call && call->isHoldingLocally();
}

void Participant::setConnectionStatus(int status) {
    if (status == connectionStatus_) {
        return;
    }
    connectionStatus_ = status;
    // Never told while the party is being made (nobody listens yet, and it has no owner).
    if (delegates().empty()) {
        return;
    }
    auto self = getSpaceParticipant();
    notifyDelegates([&](OVParticipantPro& d) { d.connectionStatusChanged(self, status); });
}

void Participant::setTransferStatus(int status, const std::string& target) {
    transferStatus_ = status;
    transferTarget_ = target;
    if (delegates().empty()) {
        return;
    }
    auto self = getSpaceParticipant();
    notifyDelegates([&](OVParticipantPro& d) { d.transferStatusChanged(self, status, target); });
}

void Participant::setAudioOnly(bool audioOnly) {
    if (audioOnly == audioOnly_) {
        return;
    }
    audioOnly_ = audioOnly;
    notifyDelegates([](OVParticipantPro& d) { d.audioOnlyUpdate(); });
}

void Participant::setHoldingRemotely(bool holding) {
    if (holding == holdingRemotely_) {
        return;
    }
    holdingRemotely_ = holding;
    if (delegates().empty()) {
        return;
    }
    auto self = getSpaceParticipant();
    notifyDelegates([&](OVParticipantPro& d) { d.isHoldingRemotelyChanged(self, holding); });
}

void Participant::setInConference(bool inConference) {
    if (inConference == inConference_) {
        return;
    }
    inConference_ = inConference;
    notifyDelegates([&](OVParticipantPro& d) { d.isConferenceChange(inConference); });
}

bool Participant::canSeparate() const {
    auto call = conversation();
    return call && call->isLive() && call->isConference() && !call->isRemoteConferenceFocus() &&
           call->participants().size() > 1 && connectionStatus_ == statusConnected;
}

namespace {

std::shared_ptr<OVIMService> imServiceOf(const std::shared_ptr<Conversation>& call,
                                         const std::shared_ptr<EngineContext>& context) {
    (void)call;
    auto phone = context ? context->phone() : nullptr;
    return phone ? phone->getIMService() : nullptr;
}

bool looksLikeNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isdigit(c) || c == '+' || c == '-' || c == ' ';
    });
}

} // namespace

bool Participant::canIm() const {
    auto call = conversation();
    if (!call || callInfo_->isRemotePartyAnonymous() || address_.empty()) {
        return false;
    }
    auto im = imServiceOf(call, call->context_);
    return im && im->canNewIMSession(address_, false, false);
}

bool Participant::canSms() const {
    auto call = conversation();
    if (!call || callInfo_->isRemotePartyAnonymous() || !looksLikeNumber(addressToDisplay())) {
        return false;
    }
    auto im = imServiceOf(call, call->context_);
    return im && im->canNewIMSession(address_, false, true);
}

void Participant::im() {
    if (canIm()) {
        imServiceOf(conversation(), conversation()->context_)->newIMSession(address_, false, false);
    }
}

void Participant::sms() {
    if (canSms()) {
        imServiceOf(conversation(), conversation()->context_)->newIMSession(address_, false, true);
    }
}

void Participant::separate() {
    if (auto call = conversation(); call && canSeparate()) {
        call->separateParticipant(getSpaceParticipant());
    }
}

void Participant::cancel() {
    auto call = conversation();
    if (!call || (connectionStatus_ != statusConnecting && connectionStatus_ != statusRinging)) {
        return;
    }
    if (call->participants().size() == 1) {
        call->end();
        return;
    }
    call->removeParticipant(getSpaceParticipant(), statusDisconnected);
}

void Participant::hangUp() {
    auto call = conversation();
    if (!call || !call->isLive()) {
        return;
    }
    if (call->participants().size() == 1) {
        call->end();
        return;
    }
    call->removeParticipant(getSpaceParticipant(), statusDisconnected);
}

void Participant::startMyVideo() {
    if (auto call = conversation()) {
        call->startMyVideo();
    }
}

void Participant::stopMyVideo() {
    if (auto call = conversation()) {
        call->stopMyVideo();
    }
}

std::shared_ptr<Participant>
Conversation::participantWithAddress(const std::string& address) const {
    for (const auto& party : participants_) {
        if (party->address() == address) {
            return party;
        }
    }
    return nullptr;
}

void Conversation::removeParticipant(const std::shared_ptr<Participant>& participant,
                                     int finalStatus) {
    auto self = shared_from_this();
    auto it = std::find(participants_.begin(), participants_.end(), participant);
    if (it == participants_.end()) {
        return;
    }
    // The party says it is gone first; its row cleans itself up, then the call lets it go.
    participantStatus(participant, finalStatus);
    it = std::find(participants_.begin(), participants_.end(), participant);
    if (it == participants_.end()) {
        return;
    }
    participants_.erase(it);
    participant->setConversation(nullptr);
    notifyDelegates([&](OVConversationBasePro& d) { d.participantRemoved(participant); });
    if (!remoteConferenceFocus_ && kind_ != Kind::conference) {
        setConference(participants_.size() > 1);
    }
}

void Conversation::separateParticipant(const std::shared_ptr<Participant>& participant) {
    if (!context_ || participants_.size() < 2 ||
        std::find(participants_.begin(), participants_.end(), participant) == participants_.end()) {
        return;
    }
    auto self = shared_from_this();
    auto phone = context_->phone();
    if (!phone) {
        return;
    }
    auto service = phone->getConversationService();
    participants_.erase(std::find(participants_.begin(), participants_.end(), participant));
    notifyDelegates([&](OVConversationBasePro& d) { d.participantRemoved(participant); });
    setConference(participants_.size() > 1);
    service->callOfItsOwn(participant);
}

bool Conversation::canMergeConsultation() const {
    auto consulted = consultedFor_.lock();
    return consulted && consulted->isLive() && consulted->related_.get() == this &&
           isEstablished() && !holdingLocally_ && consulted->participants_.size() < 5;
}

void Conversation::mergeConsultation() {
    if (!canMergeConsultation()) {
        return;
    }
    auto self = shared_from_this();
    auto consulted = consultedFor_.lock();
    // The consultation's party joins the consulted call; the consultation itself is over.
    consulted->related_.reset();
    consultedFor_.reset();
    auto parties = std::move(participants_);
    participants_.clear();
    connectionStatus_ = statusEnded;
    consulted->relatedChanged();
    for (const auto& party : parties) {
        consulted->addParticipant(party);
    }
    if (consulted->holdingLocally_) {
        consulted->setHoldingLocally(false);
    }
    consulted->setConference(consulted->participants_.size() > 1);
    if (auto phone = context_->phone()) {
        auto service = phone->getConversationService();
        service->notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
        service->reportNewConversationAllowed();
    }
}

bool Conversation::canSplitConsultation() const {
    auto consulted = consultedFor_.lock();
    return consulted && consulted->related_.get() == this && isEstablished();
}

void Conversation::splitConsultation() {
    if (!canSplitConsultation() || !context_) {
        return;
    }
    auto self = shared_from_this();
    auto consulted = consultedFor_.lock();
    consulted->related_.reset();
    consultedFor_.reset();
    consulted->relatedChanged();
    if (auto phone = context_->phone()) {
        phone->getConversationService()->adoptConversation(self);
    }
}

void Conversation::serverParticipantJoins(const std::string& address,
                                          const std::string& displayName) {
    if (!remoteConferenceFocus_ || !isLive() || !context_ || participantWithAddress(address)) {
        return;
    }
    auto phone = context_->phone();
    if (!phone) {
        return;
    }
    auto party = phone->getConversationService()->makeParticipant(address, displayName);
    party->setConnectionStatus(Participant::statusConnecting);
    addParticipant(party);
}

void Conversation::serverParticipantConnected(const std::string& address) {
    if (auto party = participantWithAddress(address); party && isLive()) {
        participantStatus(party, Participant::statusConnected);
    }
}

void Conversation::serverParticipantLeaves(const std::string& address) {
    if (auto party = participantWithAddress(address);
        party && isLive() && party != participants_.front()) {
        removeParticipant(party, Participant::statusDisconnected);
    }
}

void ConversationService::adoptConversation(const std::shared_ptr<Conversation>& conversation) {
    if (!conversation || std::find(conversations_.begin(), conversations_.end(), conversation) !=
                             conversations_.end()) {
        return;
    }
    conversations_.push_back(conversation);
    notifyDelegates(
        [&](OVConversationServicePro& d) { d.conversationAdded(conversation, false, false); });
    notifyDelegates([](OVConversationServicePro& d) { d.linesInUseChange(); });
    reportNewConversationAllowed();
}

std::shared_ptr<Conversation>
ConversationService::callOfItsOwn(const std::shared_ptr<Participant>& party) {
    if (!context_ || !party) {
        return nullptr;
    }
    auto call = std::make_shared<Conversation>(context_, nextCallIdentifier(),
                                               Conversation::Kind::audio, false, party, -1);
    // Made as a call placed, the party was set to being called: it is talking still.
    party->setConnectionStatus(Participant::statusConnected);
    party->setConversation(call);
    party->setInConference(false);
    call->wasConnected_ = true;
    call->holdingLocally_ = true;
    call->connectionStatus_ = Conversation::statusHeld;
    adoptConversation(call);
    return call;
}
