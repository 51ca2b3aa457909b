#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Button.h"
#include "widgets/QXViewPopMenu.h"

#include <memory>

// A button that shows a view in a view pop menu under itself. A flipped view, as the
// original's controls were, so the menu opens at its bottom-left corner.
class QXPopViewButton : public platform::Button {
public:
    explicit QXPopViewButton(const platform::Rect& frame = {});

    bool isFlipped() const override { return true; }

    // The interface definition's outlets: the view to show (kept), the view that gets the
    // menu's clicks and the one that gets its keys (neither owned).
    void setPopView(std::shared_ptr<platform::View> view) { _popView = std::move(view); }
    const std::shared_ptr<platform::View>& popView() const { return _popView; }
    void setPopTarget(platform::View* view) { _popTarget = view; }
    platform::View* popTarget() const { return _popTarget; }
    void setParentView(platform::View* view) { _parentView = view; }
    platform::View* parentView() const { return _parentView; }
    // The menu of the last press, kept until the next.
    const std::shared_ptr<QXViewPopMenu>& popMenu() const { return _popMenu; }

    // Shows the pop view in a new menu; returns when the menu closes.
    void mouseDown(const platform::Event& event) override;
    // Closes the open menu with a synthetic click of another button at the end of its queue.
    void dismiss();

private:
    std::shared_ptr<platform::View> _popView;
    platform::View* _popTarget = nullptr;
    platform::View* _parentView = nullptr;
    std::shared_ptr<QXViewPopMenu> _popMenu;
};
