#include "engine/OVIMService.h"

#include "engine/ArchiveService.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

#include <algorithm>

namespace {

// Plain text as the HTML a transcript shows: markup characters escaped, line breaks kept.
std::string htmlFromPlainText(std::string_view text) {
    std::string html;
    html.reserve(text.size() + 16);
    for (const char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\n':
            html += "<br/>";
            break;
        default:
            html += c;
        }
    }
    return html;
}

std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

void ChatState::set(State state) {
    if (told_.empty() || state != state_) {
        told_.push_back(state);
    }
    state_ = state;
}

IMSession::IMSession(std::shared_ptr<EngineContext> context, std::string sessionId,
                     std::string address, std::string displayName, bool viaXMPP, bool viaSms,
                     bool groupChat)
    : context_(std::move(context)), sessionId_(std::move(sessionId)), address_(std::move(address)),
      displayName_(std::move(displayName)), viaXMPP_(viaXMPP), viaSms_(viaSms),
      groupChat_(groupChat) {
    auto phone = context_ ? context_->phone() : nullptr;
    participants_.push_back(
        std::make_shared<ChatParticipant>("", phone ? phone->userName() : "", true));
    // A room's participants are those who come in; the room itself is none of them.
    if (!groupChat_) {
        participants_.push_back(std::make_shared<ChatParticipant>(address_, displayName_, false));
    }
    if (!viaSms_ && !groupChat_) {
        chatState_ = std::make_shared<ChatState>();
    }
}

std::string IMSession::localDisplayName() const {
    const auto& self = participants_.front()->displayName();
    return self.empty() ? std::string("Me") : self;
}

IMAccount IMSession::account() const {
    IMAccount account;
    auto phone = context_ ? context_->phone() : nullptr;
    if (phone) {
        account.userName = phone->userName();
    }
    if (const auto at = address_.find('@'); at != std::string::npos) {
        account.domain = address_.substr(at + 1);
    }
    return account;
}

int IMSession::textLeft(std::string_view text) const {
    if (!viaSms_) {
        return -1;
    }
    const auto used = characterCount(text);
    return used >= static_cast<std::size_t>(maxTextMessageLength)
               ? 0
               : maxTextMessageLength - static_cast<int>(used);
}

IMSessionPro* IMSession::delegate() const {
    IMSessionPro* first = nullptr;
    delegates().forEach([&](IMSessionPro& d) {
        if (!first) {
            first = &d;
        }
    });
    return first;
}

bool IMSession::canSendMessage() const {
    return active_ && context_ && context_->started();
}

void IMSession::sendMessage(const std::string& text, const std::string& html) {
    if (!context_) {
        return;
    }
    std::weak_ptr<IMSession> weak = weak_from_this();
    if (!canSendMessage()) {
        context_->post([weak, text] {
            if (auto self = weak.lock()) {
                self->notifyDelegates([&](IMSessionPro& d) { d.imSendMessageFailure(text); });
            }
        });
        return;
    }
    messages_.push_back(IMMessage{false, text, platform::Date::now(), true, html});
    const std::size_t index = messages_.size() - 1;
    auto backend = context_->backend();
    auto context = context_;
    backend->sendMessage(
        address_, text, context_->guard([weak, index, text, backend, context](bool delivered) {
            auto self = weak.lock();
            if (!self) {
                return;
            }
            if (!delivered) {
                self->messages_[index].delivered = false;
                self->notifyDelegates([&](IMSessionPro& d) { d.imSendMessageFailure(text); });
                return;
            }
            if (self->groupChat_ && self->active_) {
                // The room hands what the user wrote back to everyone, the user too.
                const auto me = self->participants_.front();
                const auto stamp = platform::Date::now();
                const IMMessage sent = self->messages_[index];
                const std::string shown =
                    sent.html.empty() ? htmlFromPlainText(sent.text) : sent.html;
                self->notifyDelegates([&](IMSessionPro& d) {
                    d.imMessageReceivedPlain(sent.text, shown, stamp, false, me);
                });
                return;
            }
            if (!self->active_) {
                return;
            }
            backend->awaitReply(self->address_, context->guard([weak](int state) {
                if (auto session = weak.lock()) {
                    session->remoteTypingStateChanged(state);
                }
            }),
                                context->guard([weak](const std::string& reply) {
                                    if (auto session = weak.lock()) {
                                        session->receiveMessage(reply);
                                    }
                                }));
        }));
}

void IMSession::save(const std::string& html) {
    auto phone = context_ ? context_->phone() : nullptr;
    if (phone && !html.empty()) {
        phone->getArchiveService()->save(address_, html, platform::Date::now());
    }
}

void IMSession::remoteTypingStateChanged(int state) {
    if (active_) {
        notifyDelegates([&](IMSessionPro& d) { d.remoteChatStateUpdate(state); });
    }
}

void IMSession::remoteDoesNotSupportHTML() {
    if (active_) {
        notifyDelegates([&](IMSessionPro& d) { d.imRemoteNotSupportHTML(); });
    }
}

void IMSession::announceArchive() {
    auto phone = context_ ? context_->phone() : nullptr;
    if (!phone || groupChat_) {
        return;
    }
    if (auto item = phone->getArchiveService()->latestFor(address_);
        item && !item->content().empty()) {
        notifyDelegates([&](IMSessionPro& d) { d.archiveItemAdded(item); });
    }
}

void IMSession::end() {
    if (!active_ || !context_) {
        return;
    }
    std::weak_ptr<IMSession> weak = weak_from_this();
    context_->post([weak] {
        if (auto self = weak.lock()) {
            self->terminate();
        }
    });
}

void IMSession::receiveMessage(const std::string& text, const std::string& html) {
    if (!active_) {
        return;
    }
    const bool first = std::none_of(messages_.begin(), messages_.end(),
                                    [](const IMMessage& m) { return m.incoming; });
    const std::string richText = html.empty() ? htmlFromPlainText(text) : html;
    messages_.push_back(IMMessage{true, text, platform::Date::now(), true, richText});
    const auto remote = participants_.back();
    const auto stamp = messages_.back().timeStamp;
    notifyDelegates(
        [&](IMSessionPro& d) { d.imMessageReceivedPlain(text, richText, stamp, first, remote); });
}

std::shared_ptr<ChatParticipant> IMSession::participantWithAddress(std::string_view address) const {
    const auto it = std::find_if(participants_.begin(), participants_.end(), [&](const auto& p) {
        return !p->isSelf() && OVEntity::sameAddress(p->address(), std::string(address));
    });
    return it == participants_.end() ? nullptr : *it;
}

void IMSession::addChatParticipant(const std::string& address, const std::string& inviteMessage,
                                   const std::string& displayName) {
    if (!groupChat_ || !active_ || address.empty()) {
        return;
    }
    const std::string name = displayName.empty() ? address : displayName;
    if (participantWithAddress(address)) {
        roomStatus(statusAlreadyInvited, name, "");
        return;
    }
    invited_.push_back(address);
    if (context_) {
        context_->backend()->inviteToRoom(address_, address, inviteMessage);
    }
    roomStatus(statusInviteSent, name, "");
}

void IMSession::joinConference(const std::string& nickname, const std::string& password) {
    if (groupChat_ && active_ && context_) {
        context_->backend()->joinRoomAgain(address_, nickname, password);
    }
}

void IMSession::removeChatParticipant(const std::shared_ptr<ChatParticipant>& participant) {
    if (groupChat_ && active_ && participant && !participant->isSelf() && !persistent_) {
        participantLeft(participant->address());
    }
}

void IMSession::participantJoined(const std::string& address, const std::string& displayName) {
    if (!groupChat_ || !active_ || participantWithAddress(address)) {
        return;
    }
    auto participant = std::make_shared<ChatParticipant>(
        address, displayName.empty() ? address : displayName, false);
    participants_.push_back(participant);
    notifyDelegates([&](IMSessionPro& d) { d.chatParticipantAdded(participant); });
}

void IMSession::participantLeft(const std::string& address) {
    auto participant = groupChat_ && active_ ? participantWithAddress(address) : nullptr;
    if (!participant) {
        return;
    }
    std::erase(participants_, participant);
    notifyDelegates([&](IMSessionPro& d) { d.chatParticipantRemoved(participant); });
}

void IMSession::roomMessage(const std::string& address, const std::string& text) {
    if (!groupChat_ || !active_) {
        return;
    }
    auto from = participantWithAddress(address);
    if (!from) {
        from = std::make_shared<ChatParticipant>(address, address, false);
    }
    const bool first = std::none_of(messages_.begin(), messages_.end(),
                                    [](const IMMessage& m) { return m.incoming; });
    const std::string html = htmlFromPlainText(text);
    messages_.push_back(IMMessage{true, text, platform::Date::now(), true, html});
    const auto stamp = messages_.back().timeStamp;
    notifyDelegates(
        [&](IMSessionPro& d) { d.imMessageReceivedPlain(text, html, stamp, first, from); });
}

void IMSession::roomStatus(int code, const std::string& info, const std::string& reason) {
    if (groupChat_ && active_) {
        notifyDelegates([&](IMSessionPro& d) { d.chatStatusUpdate(code, info, reason); });
    }
}

void IMSession::terminate() {
    if (!active_) {
        return;
    }
    active_ = false;
    auto self = shared_from_this();
    notifyDelegates([&](IMSessionPro& d) { d.imSessionEnded(self); });
    if (auto phone = context_ ? context_->phone() : nullptr) {
        phone->getIMService()->sessionEnded(self);
    }
}

void ChatInvitation::accept() {
    if (answered_ || !context_) {
        return;
    }
    answered_ = true;
    context_->post([context = context_, room = roomAddress_] {
        if (auto phone = context->phone()) {
            phone->getIMService()->openGroupSession(room);
        }
    });
}

void ChatInvitation::decline(const std::string& reason) {
    if (!answered_) {
        answered_ = true;
        declineReason_ = reason;
    }
}

OVIMService::OVIMService(std::shared_ptr<EngineContext> context) : context_(std::move(context)) {}

bool OVIMService::newIMAllowed() const {
    if (!context_ || !context_->started()) {
        return false;
    }
    auto phone = context_->phone();
    return phone && phone->getAccountService()->defaultAccount(OVAccountFeature::featureIM);
}

bool OVIMService::canNewIMSession(const std::string& address, bool /*viaXMPP*/, bool viaSms) const {
    if (address.empty() || !newIMAllowed()) {
        return false;
    }
    auto phone = context_->phone();
    return !viaSms || phone->getAccountService()->defaultAccount(OVAccountFeature::featureSMS);
}

std::shared_ptr<IMSession> OVIMService::findSession(const std::string& address,
                                                    bool groupChat) const {
    auto it = std::find_if(sessions_.begin(), sessions_.end(), [&](const auto& s) {
        return s->isActive() && s->isGroupChat() == groupChat &&
               OVEntity::sameAddress(s->remoteAddress(), address);
    });
    return it == sessions_.end() ? nullptr : *it;
}

std::shared_ptr<IMSession> OVIMService::addSession(const std::string& address,
                                                   const std::string& displayName, bool viaXMPP,
                                                   bool viaSms, bool groupChat) {
    std::string name = displayName;
    if (name.empty() && context_) {
        if (auto phone = context_->phone()) {
            const auto matches = phone->getContactManager()->lookup("", address, "");
            name = matches.empty() ? address : matches.front()->displayName();
        }
    }
    auto session =
        std::make_shared<IMSession>(context_, "im-" + std::to_string(nextSession_++), address,
                                    name.empty() ? address : name, viaXMPP, viaSms, groupChat);
    sessions_.push_back(session);
    return session;
}

std::shared_ptr<IMSession> OVIMService::newIMSession(const std::string& address, bool viaXMPP,
                                                     bool viaSms) {
    if (!canNewIMSession(address, viaXMPP, viaSms)) {
        return nullptr;
    }
    std::weak_ptr<IMSession> weak;
    bool existing = false;
    auto session = findSession(address, false);
    if (session && session->isSms() == viaSms) {
        existing = true;
    } else {
        session = addSession(address, "", viaXMPP, viaSms, false);
    }
    weak = session;
    auto context = context_;
    context_->post([context, weak, existing] {
        auto phone = context->phone();
        auto session = weak.lock();
        if (!phone || !session) {
            return;
        }
        auto service = phone->getIMService();
        service->notifyDelegates([&](OVIMServicePro& d) {
            existing ? d.existingIMSession(session) : d.imSessionAdded(session);
        });
        if (!existing) {
            session->announceArchive();
        }
    });
    return session;
}

std::shared_ptr<IMSession> OVIMService::receiveMessage(const std::string& address,
                                                       const std::string& displayName,
                                                       const std::string& text, bool viaSms,
                                                       const std::string& html) {
    if (!context_ || !context_->started()) {
        return nullptr;
    }
    auto session = findSession(address, false);
    if (!session) {
        session = addSession(address, displayName, !viaSms, viaSms, false);
        notifyDelegates([&](OVIMServicePro& d) { d.imSessionAdded(session); });
        session->announceArchive();
    }
    session->receiveMessage(text, html);
    if (auto phone = context_->phone()) {
        auto toast = std::make_shared<Toast>(Toast::typeNewIM);
        const auto matches = phone->getContactManager()->lookup("", address, "");
        toast->setContact(matches.empty() ? nullptr : matches.front());
        toast->setIMSession(session);
        toast->setDisplay(session->remoteDisplayName(), address);
        phone->getToastService()->addToast(toast);
    }
    return session;
}

std::shared_ptr<IMSession> OVIMService::openGroupSession(const std::string& roomAddress) {
    if (auto existing = findSession(roomAddress, true)) {
        notifyDelegates([&](OVIMServicePro& d) { d.existingIMSession(existing); });
        return existing;
    }
    auto session = addSession(roomAddress, roomAddress, true, false, true);
    notifyDelegates([&](OVIMServicePro& d) { d.imSessionAdded(session); });
    if (context_) {
        // The network keeps the room's callback: it holds the engine weakly.
        std::weak_ptr<EngineContext> weak = context_;
        context_->backend()->joinRoom(roomAddress, [weak](const GroupChatEvent& event) {
            auto context = weak.lock();
            if (auto phone = context ? context->phone() : nullptr) {
                phone->getIMService()->groupChatEvent(event);
            }
        });
    }
    return session;
}

void OVIMService::receiveInvitation(std::shared_ptr<ChatInvitation> invitation) {
    notifyDelegates([&](OVIMServicePro& d) { d.newChatInvitation(invitation); });
}

void OVIMService::groupChatEvent(const GroupChatEvent& event) {
    auto session = findSession(event.room, true);
    if (!session) {
        return;
    }
    switch (event.kind) {
    case GroupChatEvent::Kind::joined:
        session->participantJoined(event.address, event.displayName);
        break;
    case GroupChatEvent::Kind::left:
        session->participantLeft(event.address);
        break;
    case GroupChatEvent::Kind::message:
        session->roomMessage(event.address, event.text);
        break;
    case GroupChatEvent::Kind::status:
        session->roomStatus(event.code, event.info, event.reason);
        break;
    }
}

void OVIMService::sessionEnded(const std::shared_ptr<IMSession>& session) {
    auto it = std::find(sessions_.begin(), sessions_.end(), session);
    if (it == sessions_.end()) {
        return;
    }
    sessions_.erase(it);
    notifyDelegates([&](OVIMServicePro& d) { d.imSessionRemoved(session); });
}

void OVIMService::endAll() {
    const auto sessions = sessions_;
    for (const auto& session : sessions) {
        session->terminate();
    }
    sessions_.clear();
}

void OVIMService::participantPresenceChanged(const std::string& address) {
    const auto sessions = sessions_;
    for (const auto& session : sessions) {
        if (!session->isGroupChat() && !session->isEnded()) {
            session->participantPresenceChanged(address);
        }
    }
}

void IMSession::participantPresenceChanged(const std::string& address) {
    if (auto participant = participantWithAddress(address)) {
        notifyDelegates([&](IMSessionPro& d) { d.chatParticipantPresenceUpdate(participant); });
    }
}
