#pragma once

#include "engine/ConversationService.h"
#include "engine/DelegateList.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Callbacks of the model of a second call.
class OVRelatedConversationModelPro {
public:
    virtual ~OVRelatedConversationModelPro() = default;
    virtual void ovmdRelatedConversationPropertyChanged(const std::string& /*propertyName*/) {}
    virtual void ovmdRelatedConversationFocusRequested(const std::string& /*propertyName*/) {}
};

// What a call panel shows of its second call (the consultation call of an attended transfer,
// or the call to be merged in): its party, its state as a name, and the commands that apply
// to it. It listens to that call and tells its delegates which property changed.
class OVRelatedConversationModel : public OVObject,
                                   public DelegatingService<OVRelatedConversationModelPro>,
                                   public OVConversationBasePro {
public:
    // Visual states.
    static constexpr std::string_view holdingLocallyVisualState = "HoldingLocally";
    static constexpr std::string_view holdingRemotelyVisualState = "HoldingRemotely";
    static constexpr std::string_view failedToConnectVisualState = "FailedToConnect";
    static constexpr std::string_view endedVisualState = "Ended";
    static constexpr std::string_view connectingVisualState = "Connecting";
    static constexpr std::string_view connectedVisualState = "Connected";
    static constexpr std::string_view preCallingVisualState = "PreCalling";

    static constexpr std::string_view visualStateNameProperty = "VisualStateName";

    explicit OVRelatedConversationModel(std::shared_ptr<Conversation> conversation);
    ~OVRelatedConversationModel() override;
    OVRelatedConversationModel(const OVRelatedConversationModel&) = delete;
    OVRelatedConversationModel& operator=(const OVRelatedConversationModel&) = delete;

    std::shared_ptr<Conversation> getSpaceRelatedConversation() const { return conversation_; }
    const std::vector<std::shared_ptr<Participant>>& getParticipants() const {
        return conversation_->participants();
    }
    std::string_view getVisualStateName() const;

    bool canEnd() const { return conversation_->canEnd(); }
    bool canHold() const { return conversation_->canHold(); }
    bool canResume() const { return conversation_->canResume(); }
    bool canAttendedTransfer() const { return conversation_->canAttendedTransfer(); }
    bool isHoldingLocally() const { return conversation_->isHoldingLocally(); }
    bool canMerge() const { return conversation_->canMergeConsultation(); }
    bool canSplit() const { return conversation_->canSplitConsultation(); }
    void end() { conversation_->end(); }
    void hold() { conversation_->hold(); }
    void resume() { conversation_->resume(); }
    void attendedTransfer() { conversation_->attendedTransfer(); }
    void merge() { conversation_->mergeConsultation(); }
    void split() { conversation_->splitConsultation(); }
    // Dial keys typed on the second call's strip: tones down that call.
    void keyIsPressed(int key);
    void keyIsReleased(int key);
    // The keys pressed and released, in order, as "+5" and "-5" (the simulated engine's log).
    const std::vector<std::string>& keyLog() const { return keyLog_; }

    // The call changed: its state is read again and each property that changed is told.
    void refresh();

    // The call's callbacks.
    void connectionStatusChange(int status) override;
    void connectionStatusChanged(const std::shared_ptr<Participant>& participant,
                                 int status) override;
    void isHoldingLocallyChange(bool holding) override;
    void isHoldingRemotelyChange(bool holding) override;
    void conversationEnded() override;

private:
    void propertyChange(std::string_view name);
    std::shared_ptr<Conversation> conversation_;
    std::string visualState_;
    std::vector<std::string> keyLog_;
};
