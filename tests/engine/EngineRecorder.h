#pragma once

#include "engine/OVAutoUpdateModel.h"
#include "engine/OVWindowService.h"
#include "engine/StartupService.h"

#include <memory>
#include <string>
#include <vector>

namespace engine_test {

// Listens to the startup service and every service of the phone service at once, and writes
// each callback down as "name" or "name:argument", in the order heard. Tests compare the log
// with what the interface should hear.
class EngineRecorder : public OVStartupServicePro,
                       public OVPhoneServicePro,
                       public OVPhoneStatusServicePro,
                       public OVAccountServicePro,
                       public OVPresenceServicePro,
                       public OVConversationServicePro,
                       public OVIMServicePro,
                       public OVFileTransferServicePro,
                       public OVToastServicePro,
                       public OVNotificationServicePro,
                       public OVDeskphoneServicePro,
                       public OVConnectServicePro,
                       public OVVideoServicePro,
                       public OVWindowServicePro {
public:
    explicit EngineRecorder(StartupService& engine) : engine_(engine) {
        auto phone = engine.phoneService();
        engine.setDelegate(this);
        phone->setDelegate(this);
        phone->getPhoneStatusService()->setDelegate(this);
        phone->getAccountService()->setDelegate(this);
        phone->getPresenceService()->setDelegate(this);
        phone->getConversationService()->setDelegate(this);
        phone->getIMService()->setDelegate(this);
        phone->getFileTransferService()->setDelegate(this);
        phone->getToastService()->setDelegate(this);
        phone->getNotificationService()->setDelegate(this);
        phone->getDeskphoneService()->setDelegate(this);
        phone->getConnectService()->setDelegate(this);
        phone->getRemoteVideoService()->setDelegate(this);
        phone->getLocalVideoService()->setDelegate(this);
        windowService_ = OVWindowService::create();
        windowService_->setDelegate(this);
    }
    ~EngineRecorder() override {
        auto phone = engine_.phoneService();
        engine_.removeDelegate(this);
        phone->removeDelegate(this);
        phone->getPhoneStatusService()->removeDelegate(this);
        phone->getAccountService()->removeDelegate(this);
        phone->getPresenceService()->removeDelegate(this);
        phone->getConversationService()->removeDelegate(this);
        phone->getIMService()->removeDelegate(this);
        phone->getFileTransferService()->removeDelegate(this);
        phone->getToastService()->removeDelegate(this);
        phone->getNotificationService()->removeDelegate(this);
        phone->getDeskphoneService()->removeDelegate(this);
        phone->getConnectService()->removeDelegate(this);
        phone->getRemoteVideoService()->removeDelegate(this);
        phone->getLocalVideoService()->removeDelegate(this);
        windowService_->removeDelegate(this);
    }

    std::vector<std::string> calls;
    // The objects of the last callbacks that carried one.
    std::shared_ptr<Conversation> lastConversation;
    std::shared_ptr<IMSession> lastSession;
    std::shared_ptr<Toast> lastToast;
    std::shared_ptr<Notification> lastNotification;
    std::shared_ptr<PresenceRequest> lastPresenceRequest;
    std::shared_ptr<ChatInvitation> lastInvitation;
    std::shared_ptr<FileTransferRequest> lastTransfer;
    std::shared_ptr<OVModel> lastShownModel;

    // Whether the log holds these entries in this order (others may come between).
    bool heard(const std::vector<std::string>& expected) const {
        std::size_t next = 0;
        for (const auto& call : calls) {
            if (next < expected.size() && call == expected[next]) {
                ++next;
            }
        }
        return next == expected.size();
    }
    bool heardAny(const std::string& call) const { return heard({call}); }
    std::string log() const {
        std::string text;
        for (const auto& call : calls) {
            text += call + " ";
        }
        return text;
    }

    // Startup.
    void ovssInitCompleted() override { add("InitCompleted"); }
    void ovssInitFailed(const std::string&) override { add("InitFailed"); }
    void ovssLoginStarted() override { add("LoginStarted"); }
    void ovssLoginSucceeded(const std::string& name) override { add("LoginSucceeded:" + name); }
    void ovssLoginFailed(OVLoginFailureReason reason, const std::string& message) override {
        const char* why = reason == OVLoginFailureReason::loginFailureServerRejected ? "rejected"
                          : reason == OVLoginFailureReason::loginFailureServerUnreachable
                              ? "unreachable"
                              : "unknown";
        add(std::string("LoginFailed:") + why + (message.empty() ? "" : ":" + message));
    }
    void ovssLoginCancelled() override { add("LoginCancelled"); }
    void ovssLoginProfileUpdated(const std::string& message) override {
        add("LoginProfileUpdated:" + message);
    }
    void ovssStartCompleted() override { add("StartCompleted"); }
    void ovssStartFailed(const std::string&) override { add("StartFailed"); }
    void ovssLogoutStarted(OVLogoutReason reason) override {
        add("LogoutStarted:" + reasonName(reason));
    }
    void ovssLogoutRequested(OVLogoutReason reason) override {
        add("LogoutRequested:" + reasonName(reason));
    }
    void ovssLogoutComplete() override { add("LogoutComplete"); }
    void ovssStopped() override { add("Stopped"); }
    void ovssHibernationSuspend() override { add("HibernationSuspend"); }
    void ovssHibernationResume() override { add("HibernationResume"); }

    // Phone service.
    void contactMigrationComplete() override { add("contactMigrationComplete"); }
    void userNameUpdated() override { add("userNameUpdated"); }
    void speakerEnabledChanged(bool on) override { add("speakerEnabledChanged:", on); }
    void micMutedChanged(bool muted) override { add("micMutedChanged:", muted); }
    void speakerOutputLevelChanged(int p) override { add("speakerOutputLevelChanged:", p); }
    void microphoneInputLevelChanged(int p) override { add("microphoneInputLevelChanged:", p); }
    void mediaDevicesChanged() override { add("mediaDevicesChanged"); }
    void networkStatusChanged(bool up) override { add("networkStatusChanged:", up); }
    void speakerVolumeChanged(int volume) override { add("speakerVolumeChanged:", volume); }

    // Phone status and accounts.
    void phoneStatusChange(const std::shared_ptr<OVPhoneStatus>& status) override {
        add("phoneStatusChange:", status->value());
    }
    void accountAdded(const std::shared_ptr<OVAccount>& a) override {
        add("accountAdded:" + a->accountName());
    }
    void accountRemoved(const std::shared_ptr<OVAccount>& a) override {
        add("accountRemoved:" + a->accountName());
    }
    void accountStatusChanged(const std::shared_ptr<OVAccount>& a,
                              OVAccountStatus status) override {
        add("accountStatusChanged:" + a->accountName() + ":" + statusName(status));
    }
    void voiceMailUpdate() override {
        add("voiceMailUpdate:", engine_.phoneService()->getAccountService()->newVoiceMailCount());
    }

    // Presence.
    void selfPresenceUpdated(const std::shared_ptr<OVSelfPresence>& p) override {
        add("selfPresenceUpdated:", static_cast<int>(p->status()));
    }
    void presenceRequest(const std::shared_ptr<PresenceRequest>& r) override {
        lastPresenceRequest = r;
        add("presenceRequest:" + r->address());
    }
    void presenceUpdated(const std::string& address, OVAccountProtocol, OVPresenceStatus status,
                         const std::string&, bool) override {
        add("presenceUpdated:" + address + ":" + std::to_string(static_cast<int>(status)));
    }
    void presenceInitialized(OVAccountProtocol) override { add("presenceInitialized"); }

    // Calls.
    void conversationAdded(const std::shared_ptr<Conversation>& c, bool incoming, bool) override {
        lastConversation = c;
        add(std::string("conversationAdded:") + (incoming ? "in" : "out"));
    }
    void conversationRemoved(const std::shared_ptr<Conversation>& c, bool) override {
        add("conversationRemoved:", c->connectionStatus());
    }
    void ovsaAvailabilityChanged(const std::shared_ptr<OVServiceAvailability>& s) override {
        add(s->isAvailable() ? "ovsaAvailabilityChanged:available"
                             : "ovsaAvailabilityChanged:" +
                                   std::to_string(static_cast<int>(s->unAvailableReason())));
    }

    // Messaging and files.
    void imSessionAdded(const std::shared_ptr<IMSession>& s) override {
        lastSession = s;
        add("imSessionAdded:" + s->remoteAddress());
    }
    void imSessionRemoved(const std::shared_ptr<IMSession>& s) override {
        add("imSessionRemoved:" + s->remoteAddress());
    }
    void existingIMSession(const std::shared_ptr<IMSession>& s) override {
        lastSession = s;
        add("existingIMSession:" + s->remoteAddress());
    }
    void newChatInvitation(const std::shared_ptr<ChatInvitation>& i) override {
        lastInvitation = i;
        add("newChatInvitation:" + i->roomAddress());
    }
    void incomingFileTransfer(const std::shared_ptr<FileTransferRequest>& r) override {
        lastTransfer = r;
        add("incomingFileTransfer:" + r->remoteAddress());
    }
    void outgoingFileTransfer(const std::shared_ptr<FileTransferRequest>& r) override {
        lastTransfer = r;
        add("outgoingFileTransfer:" + r->remoteAddress());
    }

    // Toasts, notices, devices, hosted service, video, windows.
    void toastAdded(const std::shared_ptr<Toast>& t) override {
        lastToast = t;
        add("toastAdded:", t->type());
    }
    void toastRemoved(const std::shared_ptr<Toast>& t) override { add("toastRemoved:", t->type()); }
    void ovnsNewNotification(const std::shared_ptr<Notification>& n) override {
        lastNotification = n;
        add("ovnsNewNotification:" + n->getExtraInfo());
    }
    void ovdsStatusChanged(OVDeskphoneStatus status) override {
        add("ovdsStatusChanged:", static_cast<int>(status));
    }
    void ovcsIsConnected(bool connected) override { add("ovcsIsConnected:", connected); }
    void ovcsIsSignedIn(bool signedIn) override { add("ovcsIsSignedIn:", signedIn); }
    void ovcsWebTokenChanged() override { add("ovcsWebTokenChanged"); }
    void ovvsIncomingVideoCallAccepted() override { add("ovvsIncomingVideoCallAccepted"); }
    void ovvsVideoRequestedByRemote() override { add("ovvsVideoRequestedByRemote"); }
    void ovvsStateChangedTo(int state) override { add("ovvsStateChangedTo:", state); }
    void ovvsSendingMyVideo(bool sending) override { add("ovvsSendingMyVideo:", sending); }
    void ovvsWaitingForRemoteVideo() override { add("ovvsWaitingForRemoteVideo"); }
    void ovvsRemoteVideoStopped() override { add("ovvsRemoteVideoStopped"); }
    void ovvsRemoteVideoRecieived() override { add("ovvsRemoteVideoRecieived"); }
    void ovvsRemoteDisplayNameUpdate() override { add("ovvsRemoteDisplayNameUpdate"); }
    void ovvsInitialNegotiationSucceeded() override { add("ovvsInitialNegotiationSucceeded"); }
    void ovvsVideoRequestAcceptebByRemote() override { add("ovvsVideoRequestAcceptebByRemote"); }
    void ovvsVideoRequestFailed() override { add("ovvsVideoRequestFailed"); }
    void ovmdWindowServiceOnShow(const std::shared_ptr<OVModel>& model) override {
        lastShownModel = model;
        add("ovmdWindowServiceOnShow:" + model->getVisualStateName());
    }

private:
    void add(std::string call) { calls.push_back(std::move(call)); }
    void add(const std::string& call, int value) { add(call + std::to_string(value)); }
    void add(const std::string& call, bool value) { add(call + (value ? "YES" : "NO")); }
    static std::string reasonName(OVLogoutReason reason) {
        switch (reason) {
        case OVLogoutReason::user:
            return "user";
        case OVLogoutReason::reRegistrationFailed:
            return "reRegistrationFailed";
        case OVLogoutReason::serverForced:
            return "serverForced";
        }
        return "?";
    }
    static std::string statusName(OVAccountStatus status) {
        switch (status) {
        case OVAccountStatus::statusEnabling:
            return "enabling";
        case OVAccountStatus::statusEnabled:
            return "enabled";
        case OVAccountStatus::statusDisabling:
            return "disabling";
        case OVAccountStatus::statusDisabled:
            return "disabled";
        case OVAccountStatus::statusFailed:
            return "failed";
        case OVAccountStatus::statusShutdown:
            return "shutdown";
        }
        return "?";
    }

    StartupService& engine_;
    std::shared_ptr<OVWindowService> windowService_;
};

} // namespace engine_test
