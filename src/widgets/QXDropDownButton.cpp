#include "widgets/QXDropDownButton.h"

#include "platform/kit/Menu.h"
#include "platform/kit/Window.h"

QXDropDownButton::QXDropDownButton(const platform::Rect& frame) : Button(frame) {
    setup();
}

void QXDropDownButton::awake() {
    Button::awake();
    setup();
}

void QXDropDownButton::setup() {
    if (_popupButtonCell)
        return;
    if (!menu())
        setMenu(std::make_shared<platform::Menu>());
    _popupButtonCell = std::make_shared<platform::PopUpButtonCell>(std::string(), true);
    _popupButtonCell->setPreferredEdge(platform::RectEdge::MaxY);
    _popupButtonCell->setMenu(menu());
}

bool QXDropDownButton::dropsMenu() const {
    return menu() && isEnabled() && !(window() && window()->attachedSheet());
}

void QXDropDownButton::mouseDown(const platform::Event& event) {
    if (!dropsMenu() || !_popupButtonCell) {
        Button::mouseDown(event);
        return;
    }
    auto keep = weak_from_this().lock();
    if (platform::MenuDelegate* delegate = menu()->delegate())
        delegate->menuNeedsUpdate(*menu());
    highlight(true);
    _popupButtonCell->performClickWithFrame(bounds(), this);
    if (!isHidden())
        highlight(false);
}

void QXDropDownButton::rightMouseDown(const platform::Event& event) {
    // The context menu, as the original platform showed a view's menu on a right click.
    if (dropsMenu())
        platform::Menu::popUpContextMenu(menu(), event, this);
}

void QXDropDownButton::viewDidUnhide() {
    Button::viewDidUnhide();
    highlight(false);
}
