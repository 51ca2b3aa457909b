#pragma once

#include "platform/foundation/Object.h"

#include <string>
#include <utility>

// One entry of the call history as the interface lists it: the name shown for the other
// party and whether that party is blocked.
class CallHistoryItem : public platform::Object {
public:
    CallHistoryItem() = default;
    CallHistoryItem(std::string display, bool blocked)
        : display_(std::move(display)), blocked_(blocked) {}

    const std::string& display() const { return display_; }
    void setDisplay(std::string display) { display_ = std::move(display); }
    bool isBlocked() const { return blocked_; }
    void setBlocked(bool blocked) { blocked_ = blocked; }

    std::string description() const override { return display_; }

private:
    std::string display_;
    bool blocked_ = false;
};
