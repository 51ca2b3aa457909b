#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/PopUpButton.h"

// A pop-up button that widens or narrows itself to its selected title (plus 40 points for
// the arrows), never beyond its superview.
class QXPopUpButton : public platform::PopUpButton {
public:
    explicit QXPopUpButton(const platform::Rect& frame = {}, bool pullsDown = false);

    // Loaded from an interface definition, it fits its content.
    void awake() override;
    void resizeToFitContent(bool flag) { _resizeToFit = flag; }
    bool resizesToFitContent() const { return _resizeToFit; }

    // Fits the width when asked to, then redraws as the platform does.
    void updateCell(platform::Cell* cell) override;
    // Instead of the platform's resizing.
    void resizeSubviewsWithOldSize(platform::Size oldSize) override;
    void resizeWithOldSuperviewSize(platform::Size oldSize) override;

private:
    bool _resizeToFit = false;
};
