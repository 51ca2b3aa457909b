#pragma once

#include "engine/EngineEvents.h"

#include <memory>

class EngineContext;

// The engine's receiver of EngineEvents: it hands each report to the service it concerns,
// which then tells its delegates. Reports for a stopped session are dropped, as a network
// would not send them.
class EngineHub : public EngineEvents {
public:
    explicit EngineHub(std::shared_ptr<EngineContext> context) : context_(std::move(context)) {}

    void logoutRequested(OVLogoutReason reason) override;
    void networkChanged(bool up) override;
    void systemSleep(bool suspended) override;
    void accountStatusReported(int accountID, const AccountAnswer& answer) override;
    void accountWithdrawn(int accountID) override;
    void voiceMailCountReported(int count) override;
    void accountVoiceMailReported(int accountID, int count) override;
    void noticeReceived(Notification::Type type, const std::string& extraInfo) override;

    void incomingCall(const std::string& address, const std::string& displayName,
                      bool video) override;
    void remoteCallEvent(const std::string& callIdentifier, RemoteCallEvent event) override;
    void remoteVideoRequested() override;

    void messageReceived(const std::string& address, const std::string& displayName,
                         const std::string& text, bool viaSms) override;
    void chatInvitationReceived(const std::string& roomAddress, const std::string& address,
                                const std::string& displayName,
                                const std::string& message) override;
    void richMessageReceived(const std::string& address, const std::string& displayName,
                             const std::string& text, const std::string& html) override;
    void remoteTypingChanged(const std::string& address, int state) override;
    void remotePlainTextOnly(const std::string& address) override;
    void chatEndedByRemote(const std::string& address) override;
    void groupChatEvent(const GroupChatEvent& event) override;
    void presenceChanged(const std::string& address, OVPresenceStatus status,
                         const std::string& message) override;
    void presenceRequested(const std::string& address, const std::string& displayName,
                           int accountID, const std::string& inviteMessage) override;
    void fileTransferOffered(const std::string& address, const std::string& displayName,
                             const std::vector<std::string>& files) override;
    void alertListNotice(const std::string& address) override;
    void otherNotice(const std::string& text) override;
    void noticesWithdrawn() override;

    void mediaDevicesChanged(Toast::DeviceEvent event, const std::string& device) override;
    void audioLevelsMeasured(int speakerPercent, int microphonePercent) override;
    void deskphoneStatusReported(OVDeskphoneStatus status) override;

    void updateAnnounced(const UpdateInfo& info) override;
    void hostedServiceChanged(bool connected, bool signedIn) override;

private:
    std::shared_ptr<EngineContext> context_;
};
