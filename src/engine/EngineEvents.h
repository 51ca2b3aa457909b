#pragma once

#include "engine/EngineBackend.h"
#include "engine/NotificationService.h"
#include "engine/OVDeskphoneService.h"
#include "engine/ToastService.h"

#include <string>
#include <vector>

// What the network and the host system tell the engine unasked. The engine implements it
// (EngineHub); a signalling stack, or the simulation's scenario, calls it on the main run loop.
class EngineEvents {
public:
    virtual ~EngineEvents() = default;

    // Session.
    virtual void logoutRequested(OVLogoutReason reason) = 0;
    virtual void networkChanged(bool up) = 0;
    virtual void systemSleep(bool suspended) = 0;
    virtual void accountStatusReported(int accountID, const AccountAnswer& answer) = 0;
    // The server withdrew the account from the session (a provisioning change).
    virtual void accountWithdrawn(int accountID) = 0;
    virtual void voiceMailCountReported(int count) = 0;
    // The new voicemails of one account.
    virtual void accountVoiceMailReported(int accountID, int count) = 0;
    virtual void noticeReceived(Notification::Type type, const std::string& extraInfo) = 0;

    // Calls and video.
    virtual void incomingCall(const std::string& address, const std::string& displayName,
                              bool video) = 0;
    virtual void remoteCallEvent(const std::string& callIdentifier, RemoteCallEvent event) = 0;
    virtual void remoteVideoRequested() = 0;

    // Messaging, presence and files.
    virtual void messageReceived(const std::string& address, const std::string& displayName,
                                 const std::string& text, bool viaSms) = 0;
    virtual void chatInvitationReceived(const std::string& roomAddress, const std::string& address,
                                        const std::string& displayName,
                                        const std::string& message) = 0;
    // A message that came as rich text: its plain text and its HTML.
    virtual void richMessageReceived(const std::string& address, const std::string& displayName,
                                     const std::string& text, const std::string& html) = 0;
    // The party of the one-to-one chat with the address changed its typing state (1 typing,
    // 3 and 4 idle), or said it reads plain text only.
    virtual void remoteTypingChanged(const std::string& address, int state) = 0;
    virtual void remotePlainTextOnly(const std::string& address) = 0;
    // The other party left the one-to-one chat with the address.
    virtual void chatEndedByRemote(const std::string& address) = 0;
    // News of a group chat's room.
    virtual void groupChatEvent(const GroupChatEvent& /*event*/) {}
    virtual void presenceChanged(const std::string& address, OVPresenceStatus status,
                                 const std::string& message) = 0;
    virtual void presenceRequested(const std::string& address, const std::string& displayName,
                                   int accountID, const std::string& inviteMessage) = 0;
    virtual void fileTransferOffered(const std::string& address, const std::string& displayName,
                                     const std::vector<std::string>& files) = 0;
    virtual void alertListNotice(const std::string& address) = 0;
    // A notice of another kind, shown as a toast until withdrawn; and the withdrawal of every
    // toast shown until removed that is not a ringing call.
    virtual void otherNotice(const std::string& text) = 0;
    virtual void noticesWithdrawn() = 0;

    // Devices.
    virtual void mediaDevicesChanged(Toast::DeviceEvent event, const std::string& device) = 0;
    virtual void audioLevelsMeasured(int speakerPercent, int microphonePercent) = 0;
    virtual void deskphoneStatusReported(OVDeskphoneStatus status) = 0;

    // Services around the phone.
    virtual void updateAnnounced(const UpdateInfo& info) = 0;
    virtual void hostedServiceChanged(bool connected, bool signedIn) = 0;
};
