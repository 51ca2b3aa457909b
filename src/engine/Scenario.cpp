#include "engine/Scenario.h"

#include "engine/SimulatedNetwork.h"
#include "engine/StartupService.h"

Scenario::Scenario(StartupService& engine) : engine_(engine) {}

Scenario::Scenario() : Scenario(StartupService::instance()) {}

SimulatedNetwork* Scenario::network() const {
    return dynamic_cast<SimulatedNetwork*>(engine_.backend().get());
}

void Scenario::send(std::function<void(EngineEvents&)> event) {
    StartupService* engine = &engine_;
    engine_.context()->post([engine, event = std::move(event)] { event(engine->events()); });
}

int Scenario::accountID(std::string_view accountName) const {
    auto phone = engine_.phoneService();
    if (auto account = phone->getAccountService()->accountNamed(accountName)) {
        return account->accountID();
    }
    for (const auto& config : engine_.backend()->accountsFor(phone->userName())) {
        if (config.accountName == accountName) {
            return config.accountID;
        }
    }
    return -1;
}

void Scenario::failNextLogin(OVLoginFailureReason reason, std::string message) {
    if (auto* net = network()) {
        LoginAnswer answer;
        answer.outcome = LoginAnswer::Outcome::failed;
        answer.reason = reason;
        answer.message = std::move(message);
        net->answerNextLogin(std::move(answer));
    }
}

void Scenario::failNextStart(std::string reason) {
    engine_.failNextStart(std::move(reason));
}

void Scenario::updateProfileOnNextLogin(std::string message) {
    if (auto* net = network()) {
        LoginAnswer answer;
        answer.outcome = LoginAnswer::Outcome::profileUpdated;
        answer.message = std::move(message);
        net->answerNextLogin(std::move(answer));
    }
}

void Scenario::serverForcedLogout(OVLogoutReason reason) {
    send([reason](EngineEvents& e) { e.logoutRequested(reason); });
}

void Scenario::dropNetwork() {
    send([](EngineEvents& e) { e.networkChanged(false); });
}

void Scenario::restoreNetwork() {
    send([](EngineEvents& e) { e.networkChanged(true); });
}

void Scenario::hibernate() {
    send([](EngineEvents& e) { e.systemSleep(true); });
}

void Scenario::wake() {
    send([](EngineEvents& e) { e.systemSleep(false); });
}

void Scenario::accountFails(std::string_view accountName, OVAccountFailureCause cause,
                            int sipFailureCode) {
    const int id = accountID(accountName);
    const bool enabled = cause == OVAccountFailureCause::failureNone && sipFailureCode == 0;
    send([id, answer = AccountAnswer{enabled, cause, sipFailureCode}](EngineEvents& e) {
        e.accountStatusReported(id, answer);
    });
}

void Scenario::accountRecovers(std::string_view accountName) {
    accountFails(accountName, OVAccountFailureCause::failureNone);
}

void Scenario::failNextRegistration(std::string_view accountName, OVAccountFailureCause cause,
                                    int sipFailureCode) {
    if (auto* net = network()) {
        net->failNextRegistration(accountID(accountName),
                                  AccountAnswer{false, cause, sipFailureCode});
    }
}

void Scenario::accountRemoved(std::string_view accountName) {
    const int id = accountID(accountName);
    send([id](EngineEvents& e) { e.accountWithdrawn(id); });
}

void Scenario::voiceMail(int newMessages) {
    send([newMessages](EngineEvents& e) { e.voiceMailCountReported(newMessages); });
}

void Scenario::voiceMail(std::string_view accountName, int newMessages) {
    const int id = accountID(accountName);
    send([id, newMessages](EngineEvents& e) { e.accountVoiceMailReported(id, newMessages); });
}

void Scenario::notice(Notification::Type type, std::string extraInfo) {
    send([type, extraInfo = std::move(extraInfo)](EngineEvents& e) {
        e.noticeReceived(type, extraInfo);
    });
}

void Scenario::incomingCall(std::string address, std::string displayName, bool video) {
    send([address = std::move(address), displayName = std::move(displayName),
          video](EngineEvents& e) { e.incomingCall(address, displayName, video); });
}

void Scenario::remoteAnswers(std::string callIdentifier) {
    send([id = std::move(callIdentifier)](EngineEvents& e) {
        e.remoteCallEvent(id, RemoteCallEvent::answered);
    });
}

void Scenario::remoteHangsUp(std::string callIdentifier) {
    send([id = std::move(callIdentifier)](EngineEvents& e) {
        e.remoteCallEvent(id, RemoteCallEvent::ended);
    });
}

void Scenario::remoteRejects(std::string callIdentifier) {
    send([id = std::move(callIdentifier)](EngineEvents& e) {
        e.remoteCallEvent(id, RemoteCallEvent::rejected);
    });
}

void Scenario::remoteHolds(std::string callIdentifier, bool onHold) {
    send([id = std::move(callIdentifier), onHold](EngineEvents& e) {
        e.remoteCallEvent(id, onHold ? RemoteCallEvent::heldByRemote
                                     : RemoteCallEvent::resumedByRemote);
    });
}

void Scenario::remoteTransfers(std::string callIdentifier) {
    send([id = std::move(callIdentifier)](EngineEvents& e) {
        e.remoteCallEvent(id, RemoteCallEvent::transferredByRemote);
    });
}

void Scenario::failNextRecording() {
    if (auto phone = engine_.phoneService()) {
        phone->getConversationService()->failNextRecording();
    }
}

void Scenario::callsTo(std::string_view address, RemoteAnswer answer) {
    if (auto* simulated = network()) {
        simulated->setRemoteAnswer(address, answer);
    }
}

void Scenario::acceptVideoRequests(bool accept) {
    if (auto* simulated = network()) {
        simulated->setVideoRequestsAccepted(accept);
    }
}

void Scenario::remoteVideoRequest() {
    send([](EngineEvents& e) { e.remoteVideoRequested(); });
}

void Scenario::incomingMessage(std::string address, std::string text, std::string displayName,
                               bool viaSms) {
    send([address = std::move(address), text = std::move(text),
          displayName = std::move(displayName),
          viaSms](EngineEvents& e) { e.messageReceived(address, displayName, text, viaSms); });
}

void Scenario::incomingRichMessage(std::string address, std::string text, std::string html,
                                   std::string displayName) {
    send([address = std::move(address), text = std::move(text), html = std::move(html),
          displayName = std::move(displayName)](EngineEvents& e) {
        e.richMessageReceived(address, displayName, text, html);
    });
}

void Scenario::remoteTyping(std::string address, int state) {
    send([address = std::move(address), state](EngineEvents& e) {
        e.remoteTypingChanged(address, state);
    });
}

void Scenario::remotePlainTextOnly(std::string address) {
    send([address = std::move(address)](EngineEvents& e) { e.remotePlainTextOnly(address); });
}

void Scenario::chatInvitation(std::string roomAddress, std::string address, std::string displayName,
                              std::string message) {
    send([roomAddress = std::move(roomAddress), address = std::move(address),
          displayName = std::move(displayName), message = std::move(message)](EngineEvents& e) {
        e.chatInvitationReceived(roomAddress, address, displayName, message);
    });
}

void Scenario::chatEnded(std::string address) {
    send([address = std::move(address)](EngineEvents& e) { e.chatEndedByRemote(address); });
}

void Scenario::roomJoined(std::string room, std::string address, std::string displayName) {
    send([event = GroupChatEvent::make(std::move(room), GroupChatEvent::Kind::joined,
                                       std::move(address), std::move(displayName))](
             EngineEvents& e) { e.groupChatEvent(event); });
}

void Scenario::roomLeft(std::string room, std::string address) {
    send([event = GroupChatEvent::make(std::move(room), GroupChatEvent::Kind::left,
                                       std::move(address))](EngineEvents& e) {
        e.groupChatEvent(event);
    });
}

void Scenario::roomMessage(std::string room, std::string address, std::string text) {
    auto event =
        GroupChatEvent::make(std::move(room), GroupChatEvent::Kind::message, std::move(address));
    event.text = std::move(text);
    send([event = std::move(event)](EngineEvents& e) { e.groupChatEvent(event); });
}

void Scenario::roomStatus(std::string room, int code, std::string info, std::string reason) {
    auto event = GroupChatEvent::make(std::move(room), GroupChatEvent::Kind::status);
    event.code = code;
    event.info = std::move(info);
    event.reason = std::move(reason);
    send([event = std::move(event)](EngineEvents& e) { e.groupChatEvent(event); });
}

void Scenario::presenceChange(std::string address, OVPresenceStatus status, std::string message) {
    send([address = std::move(address), status, message = std::move(message)](EngineEvents& e) {
        e.presenceChanged(address, status, message);
    });
}

void Scenario::presenceRequest(std::string address, std::string displayName,
                               std::string inviteMessage, std::string_view accountName) {
    const int id = accountName.empty() ? -1 : accountID(accountName);
    send([address = std::move(address), displayName = std::move(displayName),
          inviteMessage = std::move(inviteMessage),
          id](EngineEvents& e) { e.presenceRequested(address, displayName, id, inviteMessage); });
}

void Scenario::fileTransferOffered(std::string address, std::string displayName,
                                   std::vector<std::string> files) {
    send([address = std::move(address), displayName = std::move(displayName),
          files = std::move(files)](EngineEvents& e) {
        e.fileTransferOffered(address, displayName, files);
    });
}

void Scenario::alertListNotice(std::string address) {
    send([address = std::move(address)](EngineEvents& e) { e.alertListNotice(address); });
}

void Scenario::otherNotice(std::string text) {
    send([text = std::move(text)](EngineEvents& e) { e.otherNotice(text); });
}

void Scenario::withdrawNotices() {
    send([](EngineEvents& e) { e.noticesWithdrawn(); });
}

void Scenario::deviceChange(Toast::DeviceEvent event, std::string device) {
    send([event, device = std::move(device)](EngineEvents& e) {
        e.mediaDevicesChanged(event, device);
    });
}

void Scenario::audioLevels(int speakerPercent, int microphonePercent) {
    send([=](EngineEvents& e) { e.audioLevelsMeasured(speakerPercent, microphonePercent); });
}

void Scenario::deskphoneStatus(OVDeskphoneStatus status) {
    send([status](EngineEvents& e) { e.deskphoneStatusReported(status); });
}

void Scenario::updateAvailable(std::string version, std::vector<std::string> releaseNotes,
                               std::string releaseNotesUrl, bool mandatory) {
    UpdateInfo info;
    info.available = true;
    info.mandatory = mandatory;
    info.newAppVersion = std::move(version);
    info.releaseNotes = std::move(releaseNotes);
    info.releaseNotesUrl = std::move(releaseNotesUrl);
    if (auto* net = network()) {
        net->setUpdate(info);
    }
    send([info](EngineEvents& e) { e.updateAnnounced(info); });
}

void Scenario::noUpdate() {
    if (auto* net = network()) {
        net->setUpdate(UpdateInfo{});
    }
    send([](EngineEvents& e) { e.updateAnnounced(UpdateInfo{}); });
}

void Scenario::failNextDownload() {
    if (auto* net = network()) {
        net->failNextDownload();
    }
}

void Scenario::hostedServiceSignIn(bool signedIn) {
    send([signedIn](EngineEvents& e) { e.hostedServiceChanged(signedIn, signedIn); });
}

void Scenario::hostedServiceConnection(bool connected) {
    StartupService* engine = &engine_;
    send([engine, connected](EngineEvents& e) {
        e.hostedServiceChanged(connected,
                               engine->phoneService()->getConnectService()->isSignedIn());
    });
}
