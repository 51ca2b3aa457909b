#pragma once

#include "engine/EngineBackend.h"
#include "platform/foundation/Value.h"

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The network of the demo: users, their accounts and contacts, login profiles, servers and
// delays, read from a property list (the main bundle's "engine/demo.plist"). Every answer
// arrives on the main run loop after the delay of its step, in every run-loop mode. A test or
// the demo changes what the other side will answer next (a rejected sign-in, a failing
// download) through the operations at the end.
class SimulatedNetwork : public EngineBackend {
public:
    // The demo data of the main bundle; an empty network when the file cannot be read.
    static std::shared_ptr<SimulatedNetwork> fromMainBundle();
    static std::filesystem::path defaultDemoFile();
    // nullptr when the file is missing or not a dictionary.
    static std::shared_ptr<SimulatedNetwork> fromFile(const std::filesystem::path& file);
    explicit SimulatedNetwork(platform::Value demo = platform::Value::Dictionary{});

    platform::TimeInterval latency(std::string_view step) const override;
    platform::Value configuration(std::string_view key) const override;

    std::vector<LoginProfileItem> loginProfiles() const override;
    void authenticate(const LoginRequest& request,
                      std::function<void(const LoginAnswer&)> done) override;
    void cancelAuthentication() override;
    void signOut(std::function<void()> done) override;

    std::vector<AccountConfig> accountsFor(const std::string& loginName) const override;
    std::vector<ContactConfig> contactsFor(const std::string& loginName) const override;
    void registerAccount(const AccountConfig& account,
                         std::function<void(const AccountAnswer&)> done) override;
    void unregisterAccount(int accountID, std::function<void()> done) override;

    void publishPresence(OVPresenceStatus status, const std::string& message,
                         std::function<void()> done) override;

    void placeCall(const std::string& callIdentifier, const std::string& address, bool video,
                   std::function<void(RemoteCallEvent)> progress) override;
    void hangUp(const std::string& callIdentifier) override;
    RemoteAnswer remoteAnswerFor(const std::string& address) const override;
    // The parties agree to add video after the delay "videoRequest", unless told to refuse;
    // their picture is a moving test picture at 30 frames a second.
    void requestVideo(const std::string& callIdentifier,
                      std::function<void(bool accepted)> answer) override;
    std::unique_ptr<VideoFrameSource> remoteVideo(const std::string& callIdentifier) override;
    void sendMessage(const std::string& address, const std::string& text,
                     std::function<void(bool delivered)> done) override;

    // The demo's parties answer every delivered message with the next of the demo data's
    // "messageReplies", typing first.
    void awaitReply(const std::string& address, std::function<void(int typingState)> typing,
                    std::function<void(const std::string& reply)> reply) override;
    // Every "presenceDrift" seconds (none when it is 0) the next contact of the demo data
    // that has a "presenceCycle" moves to the next status of its cycle; the contacts take
    // turns. The first status of a cycle comes with the contact's own message, the others with
    // their status word.
    void watchPresence(const std::string& loginName, PresenceReport report) override;
    void stopWatchingPresence() override;
    // The demo's rooms: the room says it is ready, then the demo data's "roomMembers" come in
    // one after another and each says their "says"; the last of them leaves again. Someone
    // invited comes in a moment later.
    void joinRoom(const std::string& room,
                  std::function<void(const GroupChatEvent&)> events) override;
    void inviteToRoom(const std::string& room, const std::string& address,
                      const std::string& message) override;
    // Files: the parties take what is offered to them after "fileTransfer" seconds, unless
    // told otherwise; what they offer holds the content set for it, or a few lines naming it.
    void offerFiles(const std::string& address, const std::vector<std::string>& names,
                    std::function<void(bool accepted)> answer) override;
    std::string offeredFileContent(const std::string& address,
                                   const std::string& name) const override;
    void fileDelivered(const std::string& address, const std::string& name,
                       const std::string& content) override;
    bool fileTransferBreaks() override;
    void checkForUpdates(std::function<void(const UpdateInfo&)> done) override;
    void
    downloadUpdate(const std::string& version, const std::filesystem::path& folder,
                   std::function<void(const std::optional<std::filesystem::path>&)> done) override;

    void connectHostedService(bool signIn, std::function<void(bool connected)> done) override;
    void fetchWebToken(std::function<void(const std::string&)> done) override;

    // What the other side does next.
    void setLatency(std::string_view step, platform::TimeInterval seconds);
    void setConfiguration(std::string_view key, platform::Value value);
    // The next sign-in is answered so, whatever its credentials.
    void answerNextLogin(LoginAnswer answer);
    // The next registration of the account fails so (once).
    void failNextRegistration(int accountID, AccountAnswer answer);
    // What the update server offers from now on.
    void setUpdate(UpdateInfo info);
    const UpdateInfo& update() const { return update_; }
    void failNextDownload() { failNextDownload_ = true; }
    void setMessageDelivery(bool delivered) { messagesDelivered_ = delivered; }
    // Whether the parties agree when asked to add video to a call, from now on.
    void setVideoRequestsAccepted(bool accepted) { videoRequestsAccepted_ = accepted; }
    // What the parties answer to messages from now on (nothing when empty).
    void setMessageReplies(std::vector<std::string> replies);
    // How calls to the address are taken from now on (matched without regard to case and
    // scheme), in place of the demo data's busy and unanswered lists.
    void setRemoteAnswer(std::string_view address, RemoteAnswer answer);

    // What the parties do with files from now on: take offers or turn them down; the content
    // of a file they offer; the next transfer's connection breaks off half way (once).
    void setFileOffersAccepted(bool accepted) { fileOffersAccepted_ = accepted; }
    void setOfferedFileContent(const std::string& address, const std::string& name,
                               std::string content);
    void breakNextFileTransfer() { breakNextFileTransfer_ = true; }
    struct DeliveredFile {
        std::string address;
        std::string name;
        std::string content;
    };
    // The files the parties received whole, in order.
    const std::vector<DeliveredFile>& deliveredFiles() const { return deliveredFiles_; }

    // What the engine asked for, in order ("authenticate alice", "register 1", "publish 0
    // Available", "call call-1 sip:bob@...", "hangUp call-1", "message bob@... hello").
    const std::vector<std::string>& requests() const { return requests_; }
    void clearRequests() { requests_.clear(); }

private:
    const platform::Value* userNamed(std::string_view name) const;
    void later(std::string_view step, std::function<void()> work) const;
    LoginAnswer judge(const LoginRequest& request) const;
    std::map<std::string, std::function<void(const GroupChatEvent&)>> rooms_;

    platform::Value demo_;
    std::optional<LoginAnswer> nextLogin_;
    std::vector<std::pair<int, AccountAnswer>> nextRegistrationFailures_;
    UpdateInfo update_;
    bool failNextDownload_ = false;
    bool messagesDelivered_ = true;
    bool videoRequestsAccepted_ = true;
    // Calls hung up before the remote side answered get no more progress.
    std::set<std::string> hungUp_;
    std::map<std::string, RemoteAnswer> remoteAnswers_;
    unsigned authentication_ = 0;
    int webTokens_ = 0;
    std::size_t nextReply_ = 0;
    struct DriftingContact {
        std::string address;
        std::string message;
        std::vector<OVPresenceStatus> cycle;
        std::size_t next = 1;
    };
    void drift(unsigned watch);
    std::vector<DriftingContact> drifting_;
    std::size_t nextDrifting_ = 0;
    PresenceReport presenceReport_;
    // Each watch has its own number; a stopped watch's timer finds a different one.
    unsigned presenceWatch_ = 0;
    bool fileOffersAccepted_ = true;
    bool breakNextFileTransfer_ = false;
    std::map<std::pair<std::string, std::string>, std::string> offeredFiles_;
    std::vector<DeliveredFile> deliveredFiles_;
    std::vector<std::string> requests_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
