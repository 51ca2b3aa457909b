#pragma once

#include "platform/kit/ButtonCell.h"
#include "platform/kit/Control.h"

#include <memory>
#include <string>

namespace platform {

class TrackingArea;

// A push button, check box or radio button, drawn by its ButtonCell. The button forwards its
// appearance and state to the cell, answers its key equivalent, and tells the cell when the
// pointer enters and leaves while the cell shows its border only then.
class Button : public Control {
public:
    explicit Button(const Rect& frame = {});
    // A push button with the title that sends the action to the target (not owned).
    static std::shared_ptr<Button> buttonWithTitle(std::string title, ActionTarget* target,
                                                   std::string action, const Rect& frame = {});

    ButtonCell* buttonCell() const;
    void setCell(std::shared_ptr<Cell> cell) override;

    std::string title() const;
    void setTitle(std::string title);
    AttributedString attributedTitle() const;
    void setAttributedTitle(AttributedString title);
    std::string alternateTitle() const;
    void setAlternateTitle(std::string title);
    AttributedString attributedAlternateTitle() const;
    void setAttributedAlternateTitle(AttributedString title);

    std::shared_ptr<Image> image() const;
    // An image on a button that shows none puts it left of a title, or alone without one.
    void setImage(std::shared_ptr<Image> image);
    std::shared_ptr<Image> alternateImage() const;
    void setAlternateImage(std::shared_ptr<Image> image);
    CellImagePosition imagePosition() const;
    void setImagePosition(CellImagePosition position);
    ImageScaling imageScaling() const;
    void setImageScaling(ImageScaling scaling);

    // Passed to the cell, whatever its class.
    void setButtonType(int type);
    BezelStyle bezelStyle() const;
    void setBezelStyle(BezelStyle style);
    bool isBordered() const;
    void setBordered(bool flag);
    bool isTransparent() const;
    void setTransparent(bool flag);
    bool showsBorderOnlyWhileMouseInside() const;
    void setShowsBorderOnlyWhileMouseInside(bool flag);

    CellStateValue state() const;
    void setState(CellStateValue state);
    void setNextState();
    bool allowsMixedState() const;
    void setAllowsMixedState(bool flag);

    std::string keyEquivalent() const;
    void setKeyEquivalent(std::string key);
    unsigned keyEquivalentModifierMask() const;
    void setKeyEquivalentModifierMask(unsigned mask);
    // Clicks the button when the event is its key equivalent and it is enabled and shown.
    bool performKeyEquivalent(const Event& event) override;

    void updateTrackingAreas() override;
    void viewDidMoveToWindow() override;
    void mouseEntered(const Event& event) override;
    void mouseExited(const Event& event) override;

private:
    std::shared_ptr<TrackingArea> borderArea_;
};

} // namespace platform
