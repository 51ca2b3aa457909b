#pragma once

#include "engine/ConversationService.h"

#include <memory>
#include <string_view>
#include <vector>

// What a call panel shows of the consultation call of an attended transfer: its party, its
// state as a name, and the commands that apply to it.
class OVRelatedConversationModel : public OVObject {
public:
    // Visual states.
    static constexpr std::string_view holdingLocallyVisualState = "HoldingLocally";
    static constexpr std::string_view holdingRemotelyVisualState = "HoldingRemotely";
    static constexpr std::string_view failedToConnectVisualState = "FailedToConnect";
    static constexpr std::string_view endedVisualState = "Ended";
    static constexpr std::string_view connectingVisualState = "Connecting";
    static constexpr std::string_view connectedVisualState = "Connected";
    static constexpr std::string_view preCallingVisualState = "PreCalling";

    explicit OVRelatedConversationModel(std::shared_ptr<Conversation> conversation)
        : conversation_(std::move(conversation)) {}

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
    void end() { conversation_->end(); }
    void hold() { conversation_->hold(); }
    void resume() { conversation_->resume(); }
    void attendedTransfer() { conversation_->attendedTransfer(); }

private:
    std::shared_ptr<Conversation> conversation_;
};
