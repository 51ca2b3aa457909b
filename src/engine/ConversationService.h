#pragma once

#include "engine/DelegateList.h"
#include "engine/EngineBackend.h"
#include "engine/OVConstants.h"
#include "engine/OVObject.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Conversation;
class EngineContext;
class OVAccount;
class OVEntity;
class OVNumberEntryModel;
class Participant;

// Callbacks of an address the engine resolves against the contacts.
class OVAddressPro {
public:
    virtual ~OVAddressPro() = default;
    virtual void ovadIsContactUpdate(bool /*isContact*/) {}
    virtual void ovadAddressUpdate() {}
    virtual void ovadAddToContactsReq(const std::string& /*address*/) {}
};

// The address of a call's other party and what the contacts know of it; it tells its delegates
// when a contact comes to hold the address or stops holding it.
class OVAddress : public OVObject, public DelegatingService<OVAddressPro> {
public:
    OVAddress(std::string address, std::vector<std::shared_ptr<OVEntity>> matches)
        : address_(std::move(address)), matches_(std::move(matches)) {}

    const std::string& address() const { return address_; }
    bool isContact() const { return !matches_.empty(); }
    bool matchMultipleContacts() const { return matches_.size() > 1; }
    std::shared_ptr<OVEntity> contact() const {
        return matches_.empty() ? nullptr : matches_.front();
    }
    // Engine side: the contacts holding the address now.
    void setMatches(std::vector<std::shared_ptr<OVEntity>> matches);

private:
    std::string address_;
    std::vector<std::shared_ptr<OVEntity>> matches_;
};

// Who the other party of a call is, as far as the engine knows.
class CallInfo : public OVObject {
public:
    CallInfo(OVAddressType addressType, std::shared_ptr<OVEntity> contact, bool anonymous,
             std::string accountUsed)
        : addressType_(addressType), contact_(std::move(contact)), anonymous_(anonymous),
          accountUsed_(std::move(accountUsed)) {}

    OVAddressType addressType() const { return addressType_; }
    std::shared_ptr<OVEntity> contact() const { return contact_; }
    bool isRemotePartyAnonymous() const { return anonymous_; }
    const std::string& accountUsed() const { return accountUsed_; }
    // The party's name as the call shows it.
    const std::string& display() const { return display_; }
    std::shared_ptr<OVAddress> callAddress() const { return callAddress_; }
    void setDisplay(std::string display) { display_ = std::move(display); }
    void setCallAddress(std::shared_ptr<OVAddress> address) { callAddress_ = std::move(address); }

private:
    OVAddressType addressType_;
    std::shared_ptr<OVEntity> contact_;
    bool anonymous_;
    std::string accountUsed_;
    std::string display_;
    std::shared_ptr<OVAddress> callAddress_;
};

// Callbacks of one remote party of a call.
class OVParticipantPro {
public:
    virtual ~OVParticipantPro() = default;
    virtual void isConferenceChange(bool /*inConference*/) {}
    virtual void transferStatusChanged(const std::shared_ptr<Participant>& /*participant*/,
                                       int /*status*/, const std::string& /*target*/) {}
    virtual void connectionStatusChanged(const std::shared_ptr<Participant>& /*participant*/,
                                         int /*status*/) {}
    virtual void isHoldingRemotelyChanged(const std::shared_ptr<Participant>& /*participant*/,
                                          bool /*onHold*/) {}
    virtual void audioOnlyUpdate() {}
    virtual void beingRedirected(const std::shared_ptr<Participant>& /*participant*/,
                                 const std::string& /*target*/) {}
    virtual void ringback(bool /*on*/) {}
    virtual void toBeAnswered() {}
};

// One remote party of a conversation.
class Participant : public OVObject,
                    public DelegatingService<OVParticipantPro>,
                    public std::enable_shared_from_this<Participant> {
public:
    // Connection states of a participant.
    static constexpr int statusNone = 0;
    static constexpr int statusRinging = 1;
    static constexpr int statusConnecting = 2;
    static constexpr int statusTransferConnecting = 3;
    static constexpr int statusConnected = 4;
    static constexpr int statusFailedToConnect = 5;
    static constexpr int statusDisconnected = 6;

    Participant(std::string address, std::string displayName, std::shared_ptr<CallInfo> callInfo);

    const std::string& address() const { return address_; }
    // The address without its scheme, as the interface shows it.
    std::string addressToDisplay() const;
    const std::string& displayName() const { return displayName_; }
    int connectionStatus() const { return connectionStatus_; }
    // 0 when no transfer concerns the party; 1 transferring, 2 being transferred, 3 done,
    // 4 failed.
    int transferStatus() const { return transferStatus_; }
    const std::string& transferTarget() const { return transferTarget_; }
    bool audioOnly() const { return audioOnly_; }
    bool holdingRemotely() const { return holdingRemotely_; }
    bool holdingLocally() const;
    bool inConference() const { return inConference_; }
    bool ringbackReceived() const { return connectionStatus_ == statusRinging; }
    bool earlyMediaReceived() const { return false; }
    std::shared_ptr<CallInfo> getCallInfo() const { return callInfo_; }
    // The engine object behind a model of the party: the party itself.
    std::shared_ptr<Participant> getSpaceParticipant() {
        return std::static_pointer_cast<Participant>(shared_from_this());
    }
    // The call the party belongs to now, nullptr once it left every call.
    std::shared_ptr<Conversation> conversation() const { return conversation_.lock(); }

    // Taken out of a conference into a call of its own.
    bool canSeparate() const;
    bool canIm() const;
    bool canSms() const;
    void separate();
    // Opens a chat with the party (through the instant-message service).
    void im();
    void sms();
    // Gives up calling the party (while it is being called).
    void cancel();
    // Leaves the party's line.
    void hangUp();
    void startMyVideo();
    void stopMyVideo();

    // Engine side; each change is told to the party's delegates.
    void setConnectionStatus(int status);
    void setTransferStatus(int status, const std::string& target = {});
    void setAudioOnly(bool audioOnly);
    void setHoldingRemotely(bool holding);
    void setInConference(bool inConference);
    void setConversation(const std::shared_ptr<Conversation>& conversation) {
        conversation_ = conversation;
    }

private:
    std::string address_;
    std::string displayName_;
    std::shared_ptr<CallInfo> callInfo_;
    std::weak_ptr<Conversation> conversation_;
    int connectionStatus_ = statusConnecting;
    int transferStatus_ = 0;
    std::string transferTarget_;
    bool audioOnly_ = true;
    bool holdingRemotely_ = false;
    bool inConference_ = false;
};

// Callbacks of one conversation.
class OVConversationBasePro {
public:
    virtual ~OVConversationBasePro() = default;
    virtual void conversationStatusChanged(const std::shared_ptr<Conversation>& /*conversation*/,
                                           int /*status*/) {}
    virtual void connectionStatusChanged(const std::shared_ptr<Participant>& /*participant*/,
                                         int /*status*/) {}
    virtual void connectionStatusChange(int /*status*/) {}
    virtual void participantAdded(const std::shared_ptr<Participant>& /*participant*/) {}
    virtual void participantRemoved(const std::shared_ptr<Participant>& /*participant*/) {}
    virtual void isHoldingLocallyChange(bool /*holding*/) {}
    virtual void isHoldingRemotelyChange(bool /*holding*/) {}
    virtual void isConferenceChange(bool /*conference*/) {}
    virtual void isSecureUpdate(bool /*secure*/) {}
    virtual void transferStatusChanged(const std::shared_ptr<Participant>& /*participant*/,
                                       int /*status*/, const std::string& /*target*/) {}
    virtual void recordingStarted() {}
    // The recording went to folder/name+extension (the extension starts with its dot).
    virtual void recordingStopped(const std::string& /*folder*/, const std::string& /*name*/,
                                  const std::string& /*extension*/) {}
    virtual void startRecordingFailed() {}
    virtual void conversationEnded() {}
    // The consultation call of an attended transfer came, changed state or went.
    virtual void relatedConversationChanged() {}
    // Whether video can be started or stopped on the call changed.
    virtual void canStartMyVideoUpdate() {}
    virtual void canStopMyVideoUpdate() {}
    // The other party added video to the call.
    virtual void videoRequestedByRemote() {}
};

// One call: its remote parties, hold on either side, transfer, forward, a local conference of
// merged calls or added parties, and recording.
class Conversation : public OVObject,
                     public DelegatingService<OVConversationBasePro>,
                     public std::enable_shared_from_this<Conversation> {
public:
    // Connection states of a conversation. A call being placed is in progress (0) until the
    // other side answers; wasConnected() tells the two apart.
    static constexpr int statusConnected = 0;
    static constexpr int statusRingingIncoming = 1;
    static constexpr int statusHeld = 2;
    static constexpr int statusFailed = 3;
    static constexpr int statusEnded = 4;
    // Ringing in while another call is connected; answerable like status 1.
    static constexpr int statusRingingWaiting = 5;

    // Transfer states of the call, as its model shows them.
    enum class Transfer { none, transferring, succeeded, failed, beingTransferred };

    enum class Kind { audio, video, conference };

    Conversation(std::shared_ptr<EngineContext> context, std::string callIdentifier, Kind kind,
                 bool incoming, std::shared_ptr<Participant> remote, long long entityID);

    const std::string& callIdentifier() const { return callIdentifier_; }
    int connectionStatus() const { return connectionStatus_; }
    Kind kind() const { return kind_; }
    // Placed or received as a video call.
    bool isVideo() const { return kind_ == Kind::video; }
    // Whether the call carries video now (a video call once connected, or video added later).
    bool hasVideo() const { return hasVideo_; }
    // Whether this side's picture goes to the other party.
    bool isSendingMyVideo() const { return sendingMyVideo_; }
    // A call placed as a conference, or one that became a local conference.
    bool isConference() const { return kind_ == Kind::conference || conference_; }
    bool isIncoming() const { return incoming_; }
    long long entityID() const { return entityID_; }
    const std::vector<std::shared_ptr<Participant>>& participants() const { return participants_; }
    // The consultation call placed to the target of an attended transfer, while it lasts.
    std::shared_ptr<Conversation> getRelatedConversation() const { return related_; }
    // On a consultation call: the call whose party it would take over.
    std::shared_ptr<Conversation> consultedFor() const { return consultedFor_.lock(); }
    bool isHoldingLocally() const { return holdingLocally_; }
    bool isHoldingRemotely() const { return holdingRemotely_; }
    bool isSecure() const { return false; }
    bool isRecording() const { return recording_; }
    Transfer transferState() const { return transfer_; }
    const std::string& transferTarget() const { return transferTarget_; }
    bool isRinging() const {
        return connectionStatus_ == statusRingingIncoming ||
               connectionStatus_ == statusRingingWaiting;
    }
    // A placed call the other side has not answered yet.
    bool isConnecting() const { return !incoming_ && !wasConnected_ && isLive(); }
    // Whether the call still occupies a line.
    bool isLive() const {
        return connectionStatus_ != statusEnded && connectionStatus_ != statusFailed;
    }
    bool callFailed() const { return connectionStatus_ == statusFailed; }
    // Whether the call was ever connected (an incoming call that never was is a missed one).
    bool wasConnected() const { return wasConnected_; }
    // Connected or held, with the other side on the line.
    bool isEstablished() const { return wasConnected_ && isLive(); }

    bool canAnswer() const { return isRinging(); }
    bool canAnswerWithAudioOnly() const { return isRinging() && isVideo(); }
    bool canDecline() const { return isRinging(); }
    bool canForward() const { return isRinging() && incoming_; }
    bool canHold() const { return isEstablished() && !holdingLocally_; }
    bool canResume() const { return holdingLocally_ && isLive(); }
    bool canEnd() const { return isLive() && !isRinging(); }
    bool canIm() const { return false; }
    // Video can be started on an established call that is not held and sends no picture yet,
    // with no request for it under way.
    bool canStartMyVideo() const;
    bool canStopMyVideo() const { return sendingMyVideo_ && isLive(); }
    // On a call of its own: whether a consultation call may be placed for it. On a
    // consultation call: whether its party may take over the consulted call now.
    bool canAttendedTransfer() const;
    bool canBlindTransfer() const {
        return isEstablished() && participants_.size() == 1 && transfer_ == Transfer::none &&
               !related_;
    }
    bool canCallAndAddParticipant() const;
    bool canMerge() const;
    bool canStartRecording() const { return isEstablished() && !recording_; }
    bool canStopRecording() const { return recording_; }
    // Dial keys go down the call as tones only while it is connected and not held here.
    bool canSendTones() const {
        return isEstablished() && connectionStatus_ == statusConnected && !holdingLocally_;
    }

    void answer();
    void answerWithAudioOnly();
    void decline();
    void end();
    void hold();
    void resume();
    void toggleHoldResume() { holdingLocally_ ? resume() : hold(); }
    // Sends the ringing call on to the target, which ends it here.
    void forward(const std::string& target);
    // Hands the call to the target; the call ends here once the transfer succeeded.
    void blindTransfer(const std::string& target);
    // Attended transfer, first step: holds this call and places a consultation call to the
    // target, which is no call of the list (it has no panel of its own) but takes a line.
    void createRelatedConversation(const std::string& target);
    // Attended transfer, last step, on the consultation call once it is established: the
    // consulted call's party is handed to this call's party and both calls end here.
    void attendedTransfer();
    // Places a call to the address and joins its party to this call.
    void callAndAddParticipant(const std::string& address, long long entityID);
    // Joins every other established call into this one, a local conference.
    void merge();
    // On a consultation call: its party joins the consulted call, which becomes a local
    // conference, and the consultation is over.
    bool canMergeConsultation() const;
    void mergeConsultation();
    // On a consultation call: it becomes a call of its own, the consulted call staying on hold.
    bool canSplitConsultation() const;
    void splitConsultation();
    // On a conference server's call: the other established calls join the conference.
    bool canAddCallsToConference() const {
        return remoteConferenceFocus_ && !holdingLocally_ && canMerge();
    }
    void addCallsToConference() {
        if (canAddCallsToConference()) {
            merge();
        }
    }
    // A call placed to a conference server: its parties are those the server reports.
    bool isRemoteConferenceFocus() const { return remoteConferenceFocus_; }
    void startRecording();
    void stopRecording();
    // Sends this side's picture: at once on a call with video, else after asking the other
    // party, who may refuse.
    void startMyVideo();
    void stopMyVideo();
    void sendTone(char key) {
        if (canSendTones()) {
            tonesSent_ += key;
        }
    }
    // The tones the call sent, in order.
    const std::string& tonesSent() const { return tonesSent_; }

    // Engine side.
    void remoteEvent(RemoteCallEvent event);
    // The other party adds video to the established call; this side's picture is not sent
    // until the user starts it.
    void remoteAddsVideo();
    void setStatus(int status);
    // A conference server reports a party that joins or leaves the conference.
    void serverParticipantJoins(const std::string& address, const std::string& displayName);
    void serverParticipantConnected(const std::string& address);
    void serverParticipantLeaves(const std::string& address);
    // The party leaves this call (hung up, cancelled or separated): gone (6) then removed.
    void removeParticipant(const std::shared_ptr<Participant>& participant, int finalStatus);
    // The party is taken out of this conference into a call of its own, on hold.
    void separateParticipant(const std::shared_ptr<Participant>& participant);
    std::shared_ptr<Participant> participantWithAddress(const std::string& address) const;
    // Ends the call at once (the session is over).
    void terminate() {
        if (isLive()) {
            finish(statusEnded);
        }
    }

private:
    friend class ConversationService;
    friend class Participant;
    void finish(int status);
    void setHoldingLocally(bool holding);
    void setConference(bool conference);
    void addParticipant(const std::shared_ptr<Participant>& participant);
    void participantStatus(const std::shared_ptr<Participant>& participant, int status);
    void stopRecordingNow();
    // The call has video from now on; tells the remote video service how it came.
    void beginVideo(int how, bool sendMine);
    void videoButtonsChanged();
    // Tells this call's delegates that its consultation call changed.
    void relatedChanged();
    std::shared_ptr<EngineContext> context_;
    std::string callIdentifier_;
    Kind kind_;
    bool incoming_;
    long long entityID_;
    std::vector<std::shared_ptr<Participant>> participants_;
    int connectionStatus_;
    bool holdingLocally_ = false;
    bool holdingRemotely_ = false;
    bool wasConnected_ = false;
    bool conference_ = false;
    bool recording_ = false;
    bool remoteConferenceFocus_ = false;
    bool hasVideo_ = false;
    bool sendingMyVideo_ = false;
    bool videoRequestPending_ = false;
    double recordingStarted_ = 0;
    Transfer transfer_ = Transfer::none;
    std::string transferTarget_;
    int nextLeg_ = 1;
    std::string tonesSent_;
    std::shared_ptr<Conversation> related_;
    std::weak_ptr<Conversation> consultedFor_;
};

// Why the conversation service cannot place or take calls.
enum class OVUnavailableReason {
    unknown,
    starting,
    resourceRelated,
    accountNotReady,
    networkProblem,
    other
};

// A service that can be unavailable; ovsaAvailabilityChanged hands it over.
class OVServiceAvailability : public OVObject {
public:
    bool isAvailable() const { return available_; }
    OVUnavailableReason unAvailableReason() const { return reason_; }

protected:
    // Whether anything changed.
    bool setAvailability(bool available, OVUnavailableReason reason) {
        if (available == available_ && (available || reason == reason_)) {
            return false;
        }
        available_ = available;
        reason_ = available ? OVUnavailableReason::unknown : reason;
        return true;
    }

private:
    bool available_ = false;
    OVUnavailableReason reason_ = OVUnavailableReason::starting;
};

// Callbacks of the conversation service.
class OVConversationServicePro {
public:
    virtual ~OVConversationServicePro() = default;
    virtual void conversationAdded(const std::shared_ptr<Conversation>& /*conversation*/,
                                   bool /*isIncoming*/, bool /*remoteConferenceFocus*/) {}
    virtual void conversationRemoved(const std::shared_ptr<Conversation>& /*conversation*/,
                                     bool /*byMovedToOtherConversation*/) {}
    virtual void linesInUseChange() {}
    virtual void
    onActiveOrRingingConversationChange(const std::shared_ptr<Conversation>& /*conversation*/) {}
    virtual void
    ovsaAvailabilityChanged(const std::shared_ptr<OVServiceAvailability>& /*service*/) {}
    // Whether a new call may be placed changed (availability, or all lines taken or freed).
    virtual void newConversationAllowed(bool /*allowed*/) {}
    // Auto-answer, anonymous calling, letters to digits or the deskphone's use changed.
    virtual void callOptionsChanged() {}
};

class ConversationService : public OVServiceAvailability,
                            public DelegatingService<OVConversationServicePro>,
                            public std::enable_shared_from_this<ConversationService> {
public:
    explicit ConversationService(std::shared_ptr<EngineContext> context = nullptr);

    // Calls that hold a line (ringing, dialling, connected or held).
    int linesInUse() const;
    std::vector<std::shared_ptr<Conversation>> getAllConversations() const;
    bool hasConference() const;
    // The call being talked on: the first established call not held here; nullptr when none.
    std::shared_ptr<Conversation> getLiveConversation() const;
    // Whether a new call may be placed now: the service is available and a line is free.
    bool newConversationAllowed() const;
    bool canAudioConversation() const { return newConversationAllowed(); }
    bool canVideoConversation() const;
    bool canPullFromMobile() const;

    // Places a call to the address; entityID is the contact's unique id, -1 for a bare address.
    // nullptr when no call may be placed now.
    std::shared_ptr<Conversation> audioConversation(const std::string& address, long long entityID);
    // The same with the party's name as shown, through the account given (nullptr: the
    // account for calls).
    std::shared_ptr<Conversation> audioConversation(const std::string& address, long long entityID,
                                                    const std::string& displayName,
                                                    const std::shared_ptr<OVAccount>& account);
    std::shared_ptr<Conversation> videoConversation(const std::string& address, long long entityID);
    std::shared_ptr<Conversation> conferenceConversation(const std::string& address,
                                                         long long entityID);
    std::shared_ptr<Conversation> conferenceFocusConversation();
    // Takes a call made by the engine itself (a party separated from a conference, a
    // consultation that became a call of its own) into the list, and tells the delegates.
    void adoptConversation(const std::shared_ptr<Conversation>& conversation);
    // Makes a held call of its own for a party that was in another call.
    std::shared_ptr<Conversation> callOfItsOwn(const std::shared_ptr<Participant>& party);
    std::shared_ptr<Conversation> pullFromMobile(const std::string& displayName);

    // The account new calls go out through; nullptr lets the engine choose.
    std::shared_ptr<OVAccount> accountForCall() const { return accountForCall_.lock(); }
    void setAccountForCall(const std::shared_ptr<OVAccount>& account) { accountForCall_ = account; }

    // Which way calls go: the local accounts or a deskphone.
    void useLocalAccountForCall();
    void useDeskphone();
    bool usingDeskphone() const { return usingDeskphone_; }
    void setUseDeskphone(bool use) { use ? useDeskphone() : useLocalAccountForCall(); }

    // Call options, each change answered by callOptionsChanged: incoming calls answered at
    // once, outgoing calls without the caller's identity, letters typed as keypad digits.
    bool autoAnswer() const { return autoAnswer_; }
    void setAutoAnswer(bool on);
    bool anonymous() const { return anonymous_; }
    void setAnonymous(bool on);
    bool lettersToNumbers() const { return lettersToNumbers_; }
    void setLettersToNumbers(bool on);

    static constexpr int maximumLines = 6;

    // Engine side.
    std::shared_ptr<Conversation> receiveCall(const std::string& address,
                                              const std::string& displayName, bool video);
    std::shared_ptr<Conversation> conversation(const std::string& callIdentifier) const;
    void conversationChanged(const std::shared_ptr<Conversation>& conversation);
    void conversationEnded(const std::shared_ptr<Conversation>& conversation);
    void endAll();
    // The next recording fails to start (a full disk, a folder that cannot be written).
    void failNextRecording() { failNextRecording_ = true; }
    bool takeRecordingFailure() {
        const bool fail = failNextRecording_;
        failNextRecording_ = false;
        return fail;
    }
    // Where recordings go: the setting "preferences/advanced/recordingLocation", else the
    // folder "Recordings" in the home folder.
    std::filesystem::path recordingsFolder() const;
    // Takes the conversation out of the list because its parties moved into another call.
    void conversationMoved(const std::shared_ptr<Conversation>& conversation);
    // Recomputes the availability from the session and tells the delegates of a change.
    void updateAvailability();
    // The entry of the number being dialled (the main window's call entry): dialpad keys
    // pressed while no call is being talked on are typed into it. Not kept alive from here.
    void setDialingEntry(const std::shared_ptr<OVNumberEntryModel>& entry) {
        dialingEntry_ = entry;
    }
    std::shared_ptr<OVNumberEntryModel> dialingEntry() const { return dialingEntry_.lock(); }

private:
    friend class Conversation;
    friend class Participant;
    // Tells the delegates when newConversationAllowed() differs from what they heard last.
    void reportNewConversationAllowed();
    void recordInHistory(const Conversation& conversation, bool missed) const;
    std::optional<bool> reportedAllowed_;
    std::weak_ptr<OVAccount> accountForCall_;
    std::weak_ptr<OVNumberEntryModel> dialingEntry_;
    std::shared_ptr<Conversation> place(const std::string& address, long long entityID,
                                        Conversation::Kind kind,
                                        const std::string& displayName = {},
                                        bool remoteConferenceFocus = false);
    std::shared_ptr<Participant> makeParticipant(const std::string& address,
                                                 const std::string& displayName) const;
    std::string nextCallIdentifier();
    std::shared_ptr<EngineContext> context_;
    std::vector<std::shared_ptr<Conversation>> conversations_;
    int nextCall_ = 1;
    bool usingDeskphone_ = false;
    bool autoAnswer_ = false;
    bool anonymous_ = false;
    bool lettersToNumbers_ = false;
    void reportCallOptionsChanged();
    bool failNextRecording_ = false;
};
