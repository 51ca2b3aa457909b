#pragma once

#include "engine/AccountService.h"
#include "engine/DelegateList.h"
#include "engine/OVConstants.h"
#include "engine/OVObject.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class EngineContext;

// The user's own presence. setStatus and setMessage change what is shown here at once;
// publish sends both to the network and is answered by selfPresenceUpdated.
class OVSelfPresence : public OVObject {
public:
    explicit OVSelfPresence(std::shared_ptr<EngineContext> context)
        : context_(std::move(context)) {}

    OVPresenceStatus status() const { return status_; }
    const std::string& message() const { return message_; }
    void setStatus(OVPresenceStatus status) { status_ = status; }
    void setStatus(int status) { status_ = static_cast<OVPresenceStatus>(status); }
    void setMessage(std::string message) { message_ = std::move(message); }
    void publish();

    // What the network was last told (none before the first publish), for the engine's own
    // use and for tests.
    std::optional<OVPresenceStatus> publishedStatus() const { return publishedStatus_; }
    const std::string& publishedMessage() const { return publishedMessage_; }

    // Engine side: back to available with no message, nothing published.
    void reset();

private:
    std::shared_ptr<EngineContext> context_;
    OVPresenceStatus status_ = OVPresenceStatus::statusAvailable;
    std::string message_;
    std::optional<OVPresenceStatus> publishedStatus_;
    std::string publishedMessage_;
};

// Somebody asks to see the user's presence. Exactly one answer counts.
class PresenceRequest : public OVObject {
public:
    enum class Answer { accepted, ignored, blocked };

    PresenceRequest(std::string address, std::string displayName,
                    std::shared_ptr<OVAccount> account, std::string inviteMessage)
        : address_(std::move(address)), displayName_(std::move(displayName)),
          account_(std::move(account)), inviteMessage_(std::move(inviteMessage)) {}

    const std::string& address() const { return address_; }
    const std::string& addressToDisplay() const { return address_; }
    const std::string& displayName() const { return displayName_; }
    std::shared_ptr<OVAccount> account() const { return account_; }
    std::string accountName() const { return account_ ? account_->accountName() : ""; }
    OVAccountProtocol accountProtocol() const {
        return account_ ? account_->protocol() : OVAccountProtocol::SIPprotocol;
    }
    const std::string& inviteMessage() const { return inviteMessage_; }

    void accept() { answerWith(Answer::accepted); }
    void ignore() { answerWith(Answer::ignored); }
    void block() { answerWith(Answer::blocked); }
    std::optional<Answer> answer() const { return answer_; }

private:
    void answerWith(Answer answer) {
        if (!answer_) {
            answer_ = answer;
        }
    }
    std::string address_;
    std::string displayName_;
    std::shared_ptr<OVAccount> account_;
    std::string inviteMessage_;
    std::optional<Answer> answer_;
};

// Callbacks of the presence service.
class OVPresenceServicePro {
public:
    virtual ~OVPresenceServicePro() = default;
    virtual void selfPresenceUpdated(const std::shared_ptr<OVSelfPresence>& /*presence*/) {}
    virtual void presenceRequest(const std::shared_ptr<PresenceRequest>& /*request*/) {}
    virtual void presenceUpdated(const std::string& /*address*/, OVAccountProtocol /*protocol*/,
                                 OVPresenceStatus /*status*/, const std::string& /*message*/,
                                 bool /*forceUpdate*/) {}
    virtual void presenceInitialized(OVAccountProtocol /*protocol*/) {}
};

class PresenceService : public platform::Object, public DelegatingService<OVPresenceServicePro> {
public:
    explicit PresenceService(std::shared_ptr<EngineContext> context = nullptr);

    std::shared_ptr<OVSelfPresence> getSelfPresence() const { return selfPresence_; }
    // Whether the user's presence can be set now: the session has an enabled presence account.
    bool presenceAllowed() const;

    // The user's own statuses with a text of their choice, kept in the settings tree under
    // "presence/customPresences" so they outlive the session. The interface uses the first.
    std::vector<std::shared_ptr<OVSelfPresence>> getCustomPresences() const;
    // A presence record of no status and no message, to fill in and store.
    std::shared_ptr<OVSelfPresence> getNewPresenceInfo() const;
    void setCustomPresences(const std::vector<std::shared_ptr<OVSelfPresence>>& presences);
    bool isAvailable() const { return presenceAllowed(); }

    // Engine side.
    void selfPresencePublished();
    // A contact's presence as the network reports it: the record and its observers, these
    // delegates, and an online or offline toast when the contact crossed that line.
    void contactPresenceChanged(const std::string& address, OVPresenceStatus status,
                                const std::string& message);
    void receivePresenceRequest(std::shared_ptr<PresenceRequest> request);
    // The presence account came up; announced once per session.
    void presenceAccountEnabled(OVAccountProtocol protocol);
    void resetSession();

private:
    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<OVSelfPresence> selfPresence_;
    bool initialized_ = false;
};
