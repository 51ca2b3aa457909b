#include "engine/OVRelatedConversationModel.h"

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
