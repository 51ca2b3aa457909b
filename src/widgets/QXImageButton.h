#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "platform/kit/TrackingArea.h"
#include "widgets/QXImageButtonCell.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QXImageButton;

// What an image button tells its delegate; both messages are optional.
class QXImageButtonPr {
public:
    virtual ~QXImageButtonPr() = default;
    virtual void buttonWasPressed(QXImageButton& /*button*/) {}
    // `sendAction`: whether the release sent the action.
    virtual void buttonWasReleased(QXImageButton& /*button*/, bool /*sendAction*/) {}
};

// The button of the toolbar, the dial pad and the call panels: an icon on a face styled by
// state, its whole look set from one property string such as
//   "size[40,30]inset[4,4,2,2]border[1]pressedstategradient[linear@90:c(...)@0,...]"
// It tracks the mouse itself: presses and releases go to its delegate, a click inside moves
// it to its next state (when it toggles) and sends the action to its target.
// A flipped view, as the original platform's controls were.
class QXImageButton : public platform::Button {
public:
    explicit QXImageButton(const platform::Rect& frame = {});
    // A button an interface definition made with the platform's plain cell.
    static std::shared_ptr<QXImageButton>
    initWithCoder(const platform::Rect& frame, std::shared_ptr<platform::Cell> decodedCell);

    // Re-types a plain cell, makes the button bordered with the regular square bezel and
    // puts the button's own fields back to their defaults.
    void initialize() override;

    bool isFlipped() const override { return true; }

    QXImageButtonCell* imageCell() const;
    bool buttonToggles() const { return _buttonToggles; }
    void setButtonToggles(bool flag) { _buttonToggles = flag; }
    // Not owned: the delegate's owner clears it before the delegate goes.
    QXImageButtonPr* delegate() const { return _delegate; }
    void setDelegate(QXImageButtonPr* delegate) { _delegate = delegate; }
    // The press's tracking area, there only from mouse-down to mouse-up.
    platform::TrackingArea* pressTrackingArea() const { return _tracking.get(); }

    // Applies the items of a property string to the cell (and the size to the frame); items
    // missing or malformed leave their fields as they were.
    void setProperties(std::string_view properties);
    // Face and badge outlines from arrays of outline command texts.
    void setShape(const platform::Value& commands);
    void setBadgeShape(const platform::Value& commands);
    void setBadgeText(platform::AttributedString text);

    // The text before the first "]", or nothing when there is none.
    static std::optional<std::string> getParamString(std::string_view text);
    // That text split at ",".
    static std::optional<std::vector<std::string>> getParameters(std::string_view text);

    void mouseDown(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    void mouseEntered(const platform::Event& event) override;
    void mouseExited(const platform::Event& event) override;

private:
    void removePressTracking();

    bool _buttonToggles = true;
    std::shared_ptr<platform::TrackingArea> _tracking;
    QXImageButtonPr* _delegate = nullptr;
};
