#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "platform/kit/PopUpButtonCell.h"

#include <memory>

// A button that drops its menu down on a left click (a plain click while its window shows a
// sheet or when it has no menu).
class QXDropDownButton : public platform::Button {
public:
    explicit QXDropDownButton(const platform::Rect& frame = {});

    void awake() override;
    // Once: an empty menu when the button has none, and the pull-down cell that shows it.
    void setup();
    platform::PopUpButtonCell* popupButtonCell() const { return _popupButtonCell.get(); }

    void mouseDown(const platform::Event& event) override;
    void rightMouseDown(const platform::Event& event) override;
    void viewDidUnhide() override;

private:
    bool dropsMenu() const;

    std::shared_ptr<platform::PopUpButtonCell> _popupButtonCell;
};
