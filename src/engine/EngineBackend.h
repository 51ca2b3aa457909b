#pragma once

#include "engine/LoginProfileItem.h"
#include "engine/OVConstants.h"
#include "engine/StartupTypes.h"
#include "engine/VideoFrameSource.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The engine's two faces towards the network. EngineBackend carries what the engine asks of
// the servers (sign-in, registration, calls, messages, updates), each answered later through
// a completion on the main run loop; EngineEvents is what the servers and the host system
// tell the engine unasked. The simulation implements the first and drives the second, so a
// real signalling stack can take its place without the services or the interface changing.

struct LoginRequest {
    int profileID = 0;
    LoginProfileItem::Type profileType = LoginProfileItem::Type::MANUAL;
    std::string server;
    std::string username;
    std::string displayname;
    std::string authname;
    std::string password;
};

struct LoginAnswer {
    enum class Outcome { succeeded, failed, profileUpdated };
    Outcome outcome = Outcome::failed;
    OVLoginFailureReason reason = OVLoginFailureReason::loginFailureUnknown;
    // The failure text, or the message that comes with a profile update ("" when none).
    std::string message;
    // The name the server signed the user in with.
    std::string userName;
};

struct AccountConfig {
    int accountID = 0;
    std::string accountName;
    OVAccountProtocol protocol = OVAccountProtocol::SIPprotocol;
    std::string userName;
    std::string domain;
    bool toEnable = true;
    // Whether the account is shown to the user (counted in the status texts).
    bool viewable = true;
    // The address that reaches the account's voicemail box ("" when it has none), and whether
    // the user keeps voicemail on for it.
    std::string voicemailUri;
    bool voicemailEnabled = true;
};

struct AccountAnswer {
    bool enabled = false;
    OVAccountFailureCause failureCause = OVAccountFailureCause::failureNone;
    int sipFailureCode = 0;
};

struct ContactConfig {
    std::string displayName;
    std::vector<std::string> groups;
    // Address fields by field name ("softphone", "jid", "mobile").
    std::map<std::string, std::string> fields;
    OVPresenceStatus presenceStatus = OVPresenceStatus::statusOffline;
    std::string presenceMessage;
};

struct UpdateInfo {
    bool available = false;
    bool mandatory = false;
    std::string newAppVersion;
    std::string releaseNotesUrl;
    std::vector<std::string> releaseNotes;
};

// What becomes of a call placed to the network.
// What the other side of a call does: rings, answers, is busy or unreachable, rejects the call,
// hangs up, puts it on hold and takes it off, or transfers this side to another party.
enum class RemoteCallEvent {
    ringing,
    answered,
    busy,
    unreachable,
    ended,
    rejected,
    heldByRemote,
    resumedByRemote,
    transferredByRemote
};
// How the party of an address takes calls: answers after ringing, is busy, lets it ring, or
// cannot be reached.
enum class RemoteAnswer { answers, busy, noAnswer, unreachable };

// What a group chat's room tells of itself: someone came in or left, wrote, or the room's
// state changed (a code of IMSession::GroupChatStatus with what it is about and why).
struct GroupChatEvent {
    enum class Kind { joined, left, message, status };
    std::string room;
    Kind kind = Kind::status;
    std::string address;
    std::string displayName;
    std::string text;
    int code = 0;
    std::string info;
    std::string reason;

    static GroupChatEvent make(std::string room, Kind kind, std::string address = {},
                               std::string displayName = {}, std::string text = {}) {
        GroupChatEvent event;
        event.room = std::move(room);
        event.kind = kind;
        event.address = std::move(address);
        event.displayName = std::move(displayName);
        event.text = std::move(text);
        return event;
    }
};

class EngineBackend {
public:
    virtual ~EngineBackend() = default;

    // Seconds the network takes for a step ("login", "accountEnable", "callAnswer"...); the
    // engine's own simulated work waits as long.
    virtual platform::TimeInterval latency(std::string_view step) const = 0;
    // Provisioning data by key: addresses, application settings, switches. Null when absent.
    virtual platform::Value configuration(std::string_view key) const = 0;

    virtual std::vector<LoginProfileItem> loginProfiles() const = 0;
    virtual void authenticate(const LoginRequest& request,
                              std::function<void(const LoginAnswer&)> done) = 0;
    virtual void cancelAuthentication() = 0;
    virtual void signOut(std::function<void()> done) = 0;

    // The accounts and contacts of a session; a name the network does not know gets the
    // accounts of a session without sign-in.
    virtual std::vector<AccountConfig> accountsFor(const std::string& loginName) const = 0;
    virtual std::vector<ContactConfig> contactsFor(const std::string& loginName) const = 0;
    virtual void registerAccount(const AccountConfig& account,
                                 std::function<void(const AccountAnswer&)> done) = 0;
    virtual void unregisterAccount(int accountID, std::function<void()> done) = 0;

    virtual void publishPresence(OVPresenceStatus status, const std::string& message,
                                 std::function<void()> done) = 0;

    virtual void placeCall(const std::string& callIdentifier, const std::string& address,
                           bool video, std::function<void(RemoteCallEvent)> progress) = 0;
    virtual void hangUp(const std::string& callIdentifier) = 0;
    // How the party of the address would take a call now (a transfer asks before handing over).
    virtual RemoteAnswer remoteAnswerFor(const std::string& /*address*/) const {
        return RemoteAnswer::answers;
    }
    virtual void sendMessage(const std::string& address, const std::string& text,
                             std::function<void(bool delivered)> done) = 0;

    // Asks the other party of the call to add video to it; answers whether it agreed.
    virtual void requestVideo(const std::string& /*callIdentifier*/,
                              std::function<void(bool accepted)> answer) {
        answer(false);
    }
    // The other party's picture in a call with video, a stream of frames; nullptr when none
    // comes.
    virtual std::unique_ptr<VideoFrameSource> remoteVideo(const std::string& /*callIdentifier*/) {
        return nullptr;
    }

    // How the other party answers a delivered message, if it does: its typing state, then its
    // reply (plain text). By default nobody answers.
    virtual void awaitReply(const std::string& /*address*/,
                            std::function<void(int typingState)> /*typing*/,
                            std::function<void(const std::string& reply)> /*reply*/) {}

    // The presence of the session's contacts as it changes on the network, reported through
    // `report` (an address, its status and message) until the watch stops. By default
    // nothing changes.
    using PresenceReport = std::function<void(const std::string& address, OVPresenceStatus status,
                                              const std::string& message)>;
    virtual void watchPresence(const std::string& /*loginName*/, PresenceReport /*report*/) {}
    virtual void stopWatchingPresence() {}
    // Group chats: the user came into the room; what happens there comes back through
    // `events` for as long as the engine runs. By default the room stays quiet.
    virtual void joinRoom(const std::string& /*room*/,
                          std::function<void(const GroupChatEvent&)> /*events*/) {}
    virtual void inviteToRoom(const std::string& /*room*/, const std::string& /*address*/,
                              const std::string& /*message*/) {}
    virtual void joinRoomAgain(const std::string& /*room*/, const std::string& /*nickname*/,
                               const std::string& /*password*/) {}

    // File transfers. How the party of the address answers files offered to it; by default
    // it takes them at once.
    virtual void offerFiles(const std::string& /*address*/,
                            const std::vector<std::string>& /*names*/,
                            std::function<void(bool accepted)> answer) {
        answer(true);
    }
    // The content of the file the party of the address offers under the name.
    virtual std::string offeredFileContent(const std::string& /*address*/,
                                           const std::string& /*name*/) const {
        return {};
    }
    // A file sent to the party of the address arrived whole.
    virtual void fileDelivered(const std::string& /*address*/, const std::string& /*name*/,
                               const std::string& /*content*/) {}
    // Whether the connection of the transfer now starting breaks off half way.
    virtual bool fileTransferBreaks() { return false; }

    virtual void checkForUpdates(std::function<void(const UpdateInfo&)> done) = 0;
    // Downloads the version into the folder; answers the file, or nullopt when it failed.
    virtual void
    downloadUpdate(const std::string& version, const std::filesystem::path& folder,
                   std::function<void(const std::optional<std::filesystem::path>&)> done) = 0;

    // Signs in to (or out of) the hosted service; answers whether it is connected afterwards.
    virtual void connectHostedService(bool signIn, std::function<void(bool connected)> done) = 0;
    virtual void fetchWebToken(std::function<void(const std::string&)> done) = 0;
};
