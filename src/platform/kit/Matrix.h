#pragma once

#include "platform/kit/View.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Button;

// A column of radio buttons of which one is on: the original's radio matrix. Each button
// carries a tag; a click turns it on and the others off, then sends the matrix's action to its
// target (the chain without one).
class Matrix : public View {
public:
    explicit Matrix(const Rect& frame = {});
    ~Matrix() override;

    // Adds a radio button below the others; the first one added is on.
    std::shared_ptr<Button> addRadioButton(std::string title, long tag);
    const std::vector<std::shared_ptr<Button>>& buttons() const { return buttons_; }

    // The tag of the button that is on, -1 when none is.
    long selectedTag() const;
    // Turns the button of that tag on; false (and nothing changes) when no button has it.
    bool selectCellWithTag(long tag);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool flag);

    ActionTarget* target() const { return target_; }
    void setTarget(ActionTarget* target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }

    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void layoutButtons();

    std::vector<std::shared_ptr<Button>> buttons_;
    ActionTarget* target_ = nullptr;
    std::string action_;
    bool enabled_ = true;
};

} // namespace platform
