#include "engine/OVRelatedConversationModel.h"

#include "engine/OVConversationModel.h"

OVRelatedConversationModel::OVRelatedConversationModel(std::shared_ptr<Conversation> conversation)
    : conversation_(std::move(conversation)) {
    visualState_ = std::string(getVisualStateName());
    conversation_->setDelegate(this);
}

OVRelatedConversationModel::~OVRelatedConversationModel() {
    conversation_->removeDelegate(this);
}

std::string_view OVRelatedConversationModel::getVisualStateName() const {
    const auto& c = *conversation_;
    if (c.callFailed())
        return failedToConnectVisualState;
    if (!c.isLive())
        return endedVisualState;
    if (c.isConnecting()) {
        const auto status = c.participants().front()->connectionStatus();
        return status == Participant::statusConnecting ? preCallingVisualState
                                                       : connectingVisualState;
    }
    if (c.isHoldingLocally())
        return holdingLocallyVisualState;
    if (c.isHoldingRemotely())
        return holdingRemotelyVisualState;
    return connectedVisualState;
}

void OVRelatedConversationModel::keyIsPressed(int key) {
    const char c = static_cast<char>(key);
    keyLog_.push_back(std::string("+") + c);
    conversation_->sendTone(c);
}

void OVRelatedConversationModel::keyIsReleased(int key) {
    keyLog_.push_back(std::string("-") + static_cast<char>(key));
}

void OVRelatedConversationModel::propertyChange(std::string_view name) {
    const std::string property(name);
    notifyDelegates([&](OVRelatedConversationModelPro& d) {
        d.ovmdRelatedConversationPropertyChanged(property);
    });
}

void OVRelatedConversationModel::refresh() {
    const std::string state(getVisualStateName());
    if (state != visualState_) {
        visualState_ = state;
        propertyChange(visualStateNameProperty);
    }
    propertyChange(OVConversationModel::connectionStatusDisplayProperty);
}

void OVRelatedConversationModel::connectionStatusChange(int /*status*/) {
    refresh();
}

void OVRelatedConversationModel::connectionStatusChanged(const std::shared_ptr<Participant>&,
                                                         int /*status*/) {
    refresh();
}

void OVRelatedConversationModel::isHoldingLocallyChange(bool /*holding*/) {
    refresh();
}

void OVRelatedConversationModel::isHoldingRemotelyChange(bool /*holding*/) {
    refresh();
}

void OVRelatedConversationModel::conversationEnded() {
    refresh();
}
