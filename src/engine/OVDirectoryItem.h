#pragma once

#include "engine/OVObject.h"

#include <memory>
#include <string>
#include <vector>

class ConversationService;

// One result of a directory search: a person with the addresses the directory gives for them.
class OVDirectoryItem : public OVObject {
public:
    OVDirectoryItem(std::string displayName, std::vector<std::string> callableAddresses,
                    std::weak_ptr<ConversationService> calls)
        : displayName_(std::move(displayName)), addresses_(std::move(callableAddresses)),
          calls_(std::move(calls)) {}

    const std::string& displayName() const { return displayName_; }
    const std::vector<std::string>& callableAddresses() const { return addresses_; }

    // Calls the first callable address; nothing without one or when no call may be placed.
    void call();
    void videoCall();
    void conferenceCall();

    std::string description() const override { return displayName_; }

private:
    std::string displayName_;
    std::vector<std::string> addresses_;
    std::weak_ptr<ConversationService> calls_;
};
