#pragma once

#include "engine/EngineBackend.h"
#include "engine/EngineEvents.h"
#include "engine/NotificationService.h"
#include "engine/OVDeskphoneService.h"
#include "engine/ToastService.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Conversation;
class SimulatedNetwork;
class StartupService;

// The other side of the simulated engine, for tests and the demo: the servers, the remote
// parties and the host system. Each event reaches the engine on the next pass of the main
// run loop, through EngineEvents, so the interface hears the same callbacks, in the same
// order, as from a real network. Settings of what the network answers next (a rejected
// sign-in, a failing download) take effect at once.
class Scenario {
public:
    explicit Scenario(StartupService& engine);
    // The scenario of the shared engine.
    Scenario();

    // The simulated network, nullptr when the engine runs on another backend.
    SimulatedNetwork* network() const;

    // Sign-in: how the server answers the next request, whatever its credentials.
    void failNextLogin(OVLoginFailureReason reason, std::string message = {});
    void updateProfileOnNextLogin(std::string message);
    // Start: the next start of the session fails with the reason.
    void failNextStart(std::string reason = "The session could not be started.");

    // The session.
    void serverForcedLogout(OVLogoutReason reason = OVLogoutReason::serverForced);
    void dropNetwork();
    void restoreNetwork();
    void hibernate();
    void wake();
    // The server reports the account failed (or, with failureNone, enabled again).
    void accountFails(std::string_view accountName, OVAccountFailureCause cause,
                      int sipFailureCode = 0);
    void accountRecovers(std::string_view accountName);
    // The account's next registration fails so.
    void failNextRegistration(std::string_view accountName, OVAccountFailureCause cause,
                              int sipFailureCode = 0);
    // The server takes the account out of the session.
    void accountRemoved(std::string_view accountName);
    void voiceMail(int newMessages);
    // The new voicemails of one account.
    void voiceMail(std::string_view accountName, int newMessages);
    void notice(Notification::Type type, std::string extraInfo = {});

    // Calls.
    void incomingCall(std::string address, std::string displayName = {}, bool video = false);
    void remoteAnswers(std::string callIdentifier);
    void remoteHangsUp(std::string callIdentifier);
    // The called party turns the ringing call down.
    void remoteRejects(std::string callIdentifier);
    // The other party puts the call on hold, or takes it off.
    void remoteHolds(std::string callIdentifier, bool onHold = true);
    // The other party transfers this side to someone else.
    void remoteTransfers(std::string callIdentifier);
    // The next call recording cannot start.
    void failNextRecording();
    // The other party adds video to the call being talked on.
    void remoteVideoRequest();
    // Whether the parties agree to add video when asked, from now on.
    void acceptVideoRequests(bool accept);
    // How the party of the address takes the calls placed to it from now on.
    void callsTo(std::string_view address, RemoteAnswer answer);
    // A conference server reports a party joining the conference of the call (being called,
    // then on the line on the next pass), or leaving it.
    void conferenceParticipantJoins(std::string callIdentifier, std::string address,
                                    std::string displayName = {});
    void conferenceParticipantLeaves(std::string callIdentifier, std::string address);
    // A party of a local conference hangs up.
    void participantHangsUp(std::string callIdentifier, std::string address);

    // Messaging, presence and files.
    void incomingMessage(std::string address, std::string text, std::string displayName = {},
                         bool viaSms = false);
    // A message as rich text (HTML) from the address.
    void incomingRichMessage(std::string address, std::string text, std::string html,
                             std::string displayName = {});
    // The party of the chat with the address types (1), idles (3, 4) or stops (0).
    void remoteTyping(std::string address, int state);
    void remotePlainTextOnly(std::string address);
    void chatInvitation(std::string roomAddress, std::string address, std::string displayName,
                        std::string message = {});
    // The other party leaves the one-to-one chat.
    void chatEnded(std::string address);
    // Group chats: someone comes into the room or leaves it, writes, or the room's state
    // changes (a code of IMSession::GroupChatStatus).
    void roomJoined(std::string room, std::string address, std::string displayName);
    void roomLeft(std::string room, std::string address);
    void roomMessage(std::string room, std::string address, std::string text);
    void roomStatus(std::string room, int code, std::string info = {}, std::string reason = {});
    void presenceChange(std::string address, OVPresenceStatus status, std::string message = {});
    void presenceRequest(std::string address, std::string displayName,
                         std::string inviteMessage = {}, std::string_view accountName = {});
    void fileTransferOffered(std::string address, std::string displayName,
                             std::vector<std::string> files);
    // The same with each file's content: name and content pairs.
    void fileTransferOfferedWithContents(std::string address, std::string displayName,
                                         std::vector<std::pair<std::string, std::string>> files);
    // The parties take files offered to them, or turn them down, from now on.
    void fileOffersAccepted(bool accepted);
    // The connection of the next file transfer breaks off half way.
    void failNextFileTransfer();
    void alertListNotice(std::string address);
    // A toast of another kind (type 6), and the withdrawal of the notices shown until removed.
    void otherNotice(std::string text);
    void withdrawNotices();

    // Devices.
    void deviceChange(Toast::DeviceEvent event, std::string device);
    void audioLevels(int speakerPercent, int microphonePercent);
    void deskphoneStatus(OVDeskphoneStatus status);

    // Updates: the update server offers a version from now on and says so; or offers none.
    void updateAvailable(std::string version, std::vector<std::string> releaseNotes = {},
                         std::string releaseNotesUrl = {}, bool mandatory = false);
    void noUpdate();
    void failNextDownload();

    // The hosted service.
    void hostedServiceSignIn(bool signedIn);
    void hostedServiceConnection(bool connected);

private:
    void send(std::function<void(EngineEvents&)> event);
    // Runs on the next pass with the live call of the identifier (consultation calls too).
    void withCall(std::string callIdentifier, std::function<void(Conversation&)> action);
    int accountID(std::string_view accountName) const;
    StartupService& engine_;
};
