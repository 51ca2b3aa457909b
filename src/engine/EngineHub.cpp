#include "engine/EngineHub.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

void EngineHub::logoutRequested(OVLogoutReason reason) {
    if (auto* startup = context_->startup(); startup && context_->started()) {
        startup->requestLogout(reason);
    }
}

void EngineHub::networkChanged(bool up) {
    auto phone = context_->phone();
    if (!phone || up == context_->networkUp()) {
        return;
    }
    phone->reportNetworkStatus(up);
    if (!context_->started()) {
        return;
    }
    // Nothing stays registered without a network; the accounts come back with it.
    if (up) {
        phone->getAccountService()->enableAll();
    } else {
        phone->getAccountService()->disableAll(false);
    }
}

void EngineHub::systemSleep(bool suspended) {
    if (auto* startup = context_->startup()) {
        startup->setHibernating(suspended);
    }
}

void EngineHub::accountStatusReported(int accountID, const AccountAnswer& answer) {
    auto phone = context_->phone();
    auto account =
        phone && context_->started() ? phone->getAccountService()->account(accountID) : nullptr;
    if (!account) {
        return;
    }
    account->cancelPendingRequest();
    if (answer.enabled) {
        account->applyStatus(OVAccountStatus::statusEnabled);
    } else {
        account->applyStatus(OVAccountStatus::statusFailed, answer.failureCause,
                             answer.sipFailureCode);
    }
}

void EngineHub::accountWithdrawn(int accountID) {
    auto phone = context_->phone();
    auto service = phone && context_->started() ? phone->getAccountService() : nullptr;
    auto account = service ? service->account(accountID) : nullptr;
    if (!account) {
        return;
    }
    account->cancelPendingRequest();
    account->applyStatus(OVAccountStatus::statusShutdown);
    service->removeAccount(account);
}

void EngineHub::voiceMailCountReported(int count) {
    if (auto phone = context_->phone(); phone && context_->started()) {
        phone->getAccountService()->setNewVoiceMailCount(count);
    }
}

void EngineHub::accountVoiceMailReported(int accountID, int count) {
    if (auto phone = context_->phone(); phone && context_->started()) {
        const auto service = phone->getAccountService();
        service->setNewVoiceMailCount(service->account(accountID), count);
    }
}

void EngineHub::noticeReceived(Notification::Type type, const std::string& extraInfo) {
    if (auto phone = context_->phone()) {
        phone->getNotificationService()->deliver(std::make_shared<Notification>(type, extraInfo));
    }
}

void EngineHub::incomingCall(const std::string& address, const std::string& displayName,
                             bool video) {
    if (auto phone = context_->phone()) {
        phone->getConversationService()->receiveCall(address, displayName, video);
    }
}

void EngineHub::remoteCallEvent(const std::string& callIdentifier, RemoteCallEvent event) {
    auto phone = context_->phone();
    auto conversation =
        phone ? phone->getConversationService()->conversation(callIdentifier) : nullptr;
    if (conversation) {
        conversation->remoteEvent(event);
    }
}

void EngineHub::remoteVideoRequested() {
    if (auto phone = context_->phone(); phone && context_->started()) {
        if (auto call = phone->getConversationService()->getLiveConversation()) {
            call->remoteAddsVideo();
        }
    }
}

void EngineHub::messageReceived(const std::string& address, const std::string& displayName,
                                const std::string& text, bool viaSms) {
    if (auto phone = context_->phone()) {
        phone->getIMService()->receiveMessage(address, displayName, text, viaSms);
    }
}

void EngineHub::chatInvitationReceived(const std::string& roomAddress, const std::string& address,
                                       const std::string& displayName, const std::string& message) {
    if (auto phone = context_->phone(); phone && context_->started()) {
        phone->getIMService()->receiveInvitation(
            std::make_shared<ChatInvitation>(context_, roomAddress, address, displayName, message));
    }
}

void EngineHub::richMessageReceived(const std::string& address, const std::string& displayName,
                                    const std::string& text, const std::string& html) {
    if (auto phone = context_->phone()) {
        phone->getIMService()->receiveMessage(address, displayName, text, false, html);
    }
}

void EngineHub::remoteTypingChanged(const std::string& address, int state) {
    auto phone = context_->phone();
    if (auto session = phone ? phone->getIMService()->findSession(address, false) : nullptr) {
        session->remoteTypingStateChanged(state);
    }
}

void EngineHub::remotePlainTextOnly(const std::string& address) {
    auto phone = context_->phone();
    if (auto session = phone ? phone->getIMService()->findSession(address, false) : nullptr) {
        session->remoteDoesNotSupportHTML();
    }
}

void EngineHub::chatEndedByRemote(const std::string& address) {
    auto phone = context_->phone();
    auto session = phone ? phone->getIMService()->findSession(address, false) : nullptr;
    if (session) {
        session->terminate();
    }
}

void EngineHub::groupChatEvent(const GroupChatEvent& event) {
    if (auto phone = context_->phone(); phone && context_->started()) {
        phone->getIMService()->groupChatEvent(event);
    }
}

void EngineHub::presenceChanged(const std::string& address, OVPresenceStatus status,
                                const std::string& message) {
    if (auto phone = context_->phone(); phone && context_->started()) {
        phone->getPresenceService()->contactPresenceChanged(address, status, message);
    }
}

void EngineHub::presenceRequested(const std::string& address, const std::string& displayName,
                                  int accountID, const std::string& inviteMessage) {
    auto phone = context_->phone();
    if (!phone || !context_->started()) {
        return;
    }
    auto account = phone->getAccountService()->account(accountID);
    if (!account) {
        account = phone->getAccountService()->defaultAccount(OVAccountFeature::featurePresence);
    }
    phone->getPresenceService()->receivePresenceRequest(
        std::make_shared<PresenceRequest>(address, displayName, account, inviteMessage));
}

void EngineHub::fileTransferOffered(const std::string& address, const std::string& displayName,
                                    const std::vector<std::string>& files) {
    if (auto phone = context_->phone()) {
        phone->getFileTransferService()->receiveOffer(address, displayName, files);
    }
}

void EngineHub::alertListNotice(const std::string& address) {
    auto phone = context_->phone();
    if (!phone || !context_->started()) {
        return;
    }
    auto toast = std::make_shared<Toast>(Toast::typeAlertList);
    const auto matches = phone->getContactManager()->lookup("", address, "");
    toast->setContact(matches.empty() ? nullptr : matches.front());
    toast->setDisplay(matches.empty() ? address : matches.front()->displayName(), address);
    phone->getToastService()->addToast(toast);
}

void EngineHub::otherNotice(const std::string& text) {
    auto phone = context_->phone();
    if (!phone || !context_->started()) {
        return;
    }
    auto toast = std::make_shared<Toast>(Toast::typeOther);
    toast->setDisplay(text, "");
    phone->getToastService()->addToast(toast);
}

void EngineHub::noticesWithdrawn() {
    if (auto phone = context_->phone()) {
        auto service = phone->getToastService();
        const auto toasts = service->toasts();
        for (const auto& toast : toasts) {
            if (toast->type() != Toast::typeIncomingCall) {
                service->removeToast(toast);
            }
        }
    }
}

void EngineHub::mediaDevicesChanged(Toast::DeviceEvent event, const std::string& device) {
    auto phone = context_->phone();
    if (!phone) {
        return;
    }
    phone->reportMediaDevicesChanged();
    auto toast = std::make_shared<Toast>(Toast::typeDevice);
    toast->setDevice(event, device);
    toast->setDisplay(device, "");
    phone->getToastService()->addToast(toast);
}

void EngineHub::audioLevelsMeasured(int speakerPercent, int microphonePercent) {
    if (auto phone = context_->phone()) {
        phone->reportAudioLevels(speakerPercent, microphonePercent);
    }
}

void EngineHub::deskphoneStatusReported(OVDeskphoneStatus status) {
    if (auto phone = context_->phone()) {
        phone->getDeskphoneService()->setStatus(status);
    }
}

void EngineHub::updateAnnounced(const UpdateInfo& info) {
    if (auto phone = context_->phone()) {
        phone->autoUpdater()->announce(info);
    }
}

void EngineHub::hostedServiceChanged(bool connected, bool signedIn) {
    if (auto phone = context_->phone()) {
        phone->getConnectService()->setState(connected, signedIn);
    }
}
