#pragma once

#include "platform/kit/Cell.h"

#include <memory>
#include <string>

namespace platform {

// A cell that sends an action: it keeps the target (not owned), the action's name and a tag,
// which a plain cell does not.
class ActionCell : public Cell {
public:
    using Cell::Cell;

    ActionCell(const ActionCell& other) = default;
    std::shared_ptr<Cell> copy() const override { return std::make_shared<ActionCell>(*this); }

    ActionTarget* target() const override { return target_; }
    void setTarget(ActionTarget* target) override { target_ = target; }
    const std::string& action() const override { return action_; }
    void setAction(std::string action) override { action_ = std::move(action); }
    long tag() const override { return tag_; }
    void setTag(long tag) override { tag_ = tag; }

private:
    ActionTarget* target_ = nullptr;
    std::string action_;
    long tag_ = 0;
};

} // namespace platform
