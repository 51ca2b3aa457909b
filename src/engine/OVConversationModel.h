#pragma once

#include "engine/ConversationService.h"
#include "engine/OVMenuItem.h"
#include "engine/OVModel.h"
#include "engine/OVRelatedConversationModel.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class OVAutoCompleteModel;
class OVNumberEntryModel;

// Callbacks of a conversation model.
class OVConversationModelPro : public virtual OVModelPro {
public:
    virtual void ovmdConversationPropertyChanged(const std::string& /*propertyName*/) {}
    virtual void ovmdConversationFocusRequested(const std::string& /*propertyName*/) {}
};

// What a call panel shows of one conversation: its visual state (a name), the status line's
// display constant, the commands of its menu, and the panel's modes (transfer, forward,
// inviting to a conference) that the engine keeps for it. It re-reads the conversation on each
// of its callbacks and reports each property that changed.
class OVConversationModel : public OVModelOf<OVConversationModelPro>,
                            public OVConversationBasePro,
                            public std::enable_shared_from_this<OVConversationModel> {
public:
    // Visual states.
    static constexpr std::string_view activeVisualState = "Active";
    static constexpr std::string_view ringingVisualState = "Ringing";
    static constexpr std::string_view holdingLocallyVisualState = "HoldingLocally";
    static constexpr std::string_view holdingRemotelyVisualState = "HoldingRemotely";
    static constexpr std::string_view failedToConnectVisualState = "FailedToConnect";
    static constexpr std::string_view endedVisualState = "Ended";
    static constexpr std::string_view ringingWithVideoVisualState = "RingingWithVideo";
    static constexpr std::string_view connectingVisualState = "Connecting";
    static constexpr std::string_view preCallingVisualState = "PreCalling";
    static constexpr std::string_view transferBeginVisualState = "TransferBegin";
    static constexpr std::string_view transferAttendedVisualState = "TransferAttended";
    static constexpr std::string_view transferAttendedHoldingLocallyVisualState =
        "TransferAttendedHoldingLocally";
    static constexpr std::string_view invitingToConferenceVisualState = "InvitingToConference";
    static constexpr std::string_view isConferenceVisualState = "IsConference";
    static constexpr std::string_view isConferenceHoldingLocallyVisualState =
        "IsConferenceHoldingLocally";
    static constexpr std::string_view forwardBeginVisualState = "ForwardBegin";

    // Status-line constants.
    static constexpr int noDisplay = -1;
    static constexpr int transferSucceededDisplay = 0;
    static constexpr int beingTransferredDisplay = 1;
    static constexpr int transferringDisplay = 2;
    static constexpr int transferFailedDisplay = 3;
    static constexpr int callEstablishedDisplay = 4;
    static constexpr int callingDisplay = 5;
    static constexpr int incomingCallDisplay = 6;
    static constexpr int callEndedDisplay = 7;
    static constexpr int failedToConnectDisplay = 8;
    static constexpr int localHoldDisplay = 9;
    static constexpr int remoteHoldDisplay = 10;
    static constexpr int conferenceInviteFailedDisplay = 11;
    static constexpr int conferenceCallingParticipantsDisplay = 12;
    static constexpr int conferenceCallingOneParticipantDisplay = 13;
    static constexpr int conferenceOnLocalHoldDisplay = 14;
    static constexpr int conferenceDefaultDisplay = 15;

    // Menu-item types.
    static constexpr int menuItemAddToConferenceBegin = 1;
    static constexpr int menuItemAddToServerConference = 2;
    static constexpr int menuItemMerge = 3;
    static constexpr int menuItemSendIM = 4;
    static constexpr int menuItemSendSMS = 5;
    static constexpr int menuItemStartRecording = 6;
    static constexpr int menuItemStopRecording = 7;
    static constexpr int menuItemStartVideo = 8;
    static constexpr int menuItemStopVideo = 9;
    static constexpr int menuItemPushCallToMobile = 10;
    static constexpr int menuItemAttendedTransfer = 11;

    // Property names.
    static constexpr std::string_view visualStateNameProperty = "VisualStateName";
    static constexpr std::string_view connectionStatusDisplayProperty = "ConnectionStatusDisplay";
    static constexpr std::string_view myRelatedConversationModelProperty =
        "MyRelatedConversationModel";
    static constexpr std::string_view callDurationInSecondsProperty = "CallDurationInSeconds";

    static std::shared_ptr<OVConversationModel> create(std::shared_ptr<Conversation> conversation);
    ~OVConversationModel() override;

    std::shared_ptr<Conversation> getSpaceConversation() const { return conversation_; }
    std::shared_ptr<OVNumberEntryModel> getNumberEntryModel() const { return numberEntry_; }
    // The suggestions and the redial list of the call's number entry.
    std::shared_ptr<OVAutoCompleteModel> getAutoCompleteModel() const { return autoComplete_; }
    std::string getVisualStateName() const override { return std::string(visualState_); }
    int connectionStatusDisplay() const { return display_; }
    const std::string& connectionStatusDisplayParam() const { return displayParam_; }
    // The account the call goes through, as a prefix of the status line ("" with one account).
    std::string accountUsed() const;
    // The consultation call of an attended transfer while it lasts, else nullptr.
    std::shared_ptr<OVRelatedConversationModel> getRelatedConversation() const { return related_; }
    // The commands that apply now, in menu order.
    std::vector<std::shared_ptr<OVMenuItem>> getMenuItems();

    void toggleHoldResume();
    // Return in the call's number entry: the entered target is forwarded to, transferred to
    // (a consultation call first, where one may be placed) or added, as the panel's mode says.
    void dialEntered();
    void addToConferenceBegin();
    bool canAddToConferenceCancel() const { return mode_ == Mode::inviting; }
    void addToConferenceCancel();
    bool canForwardBegin() const;
    void forwardBegin();
    bool canForwardCancel() const { return mode_ == Mode::forwarding; }
    void forwardCancel();
    bool canTransferBegin() const;
    void transferBegin();
    // A transfer being begun, or a consultation call under way, can be cancelled.
    bool canTransferCancel() const { return mode_ == Mode::transferring || related_; }
    void transferCancel();
    // Asks the panel of this call to take the keyboard focus.
    void requestFocus();

    // Re-reads the conversation; tells what changed.
    void refresh();
    // Engine side: states the visual state and status line outright (a state this engine
    // reaches only on other networks); they hold until the conversation next changes.
    void present(std::string_view visualState, int display, std::string param = {});

    // Conversation callbacks.
    void connectionStatusChange(int status) override;
    void connectionStatusChanged(const std::shared_ptr<Participant>& participant,
                                 int status) override;
    void participantAdded(const std::shared_ptr<Participant>& participant) override;
    void participantRemoved(const std::shared_ptr<Participant>& participant) override;
    void isHoldingLocallyChange(bool holding) override;
    void isHoldingRemotelyChange(bool holding) override;
    void isConferenceChange(bool conference) override;
    void transferStatusChanged(const std::shared_ptr<Participant>& participant, int status,
                               const std::string& target) override;
    void conversationEnded() override;
    void relatedConversationChanged() override;

private:
    enum class Mode { none, transferring, forwarding, inviting };
    void setMode(Mode mode);
    std::string_view computeVisualState() const;
    int computeDisplay(std::string* param) const;
    void propertyChange(std::string_view name);

    std::shared_ptr<Conversation> conversation_;
    std::shared_ptr<OVNumberEntryModel> numberEntry_;
    std::shared_ptr<OVAutoCompleteModel> autoComplete_;
    std::string_view visualState_;
    int display_ = noDisplay;
    std::string displayParam_;
    Mode mode_ = Mode::none;
    std::shared_ptr<OVRelatedConversationModel> related_;
};
