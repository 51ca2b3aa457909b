#include "widgets/QXPopViewButton.h"

#include "platform/kit/WindowServer.h"

QXPopViewButton::QXPopViewButton(const platform::Rect& frame) : Button(frame) {}

void QXPopViewButton::mouseDown(const platform::Event& event) {
    if (!isEnabled())
        return;
    auto keep = weak_from_this().lock();
    _popMenu = QXViewPopMenu::windowMenuWithHolderView(_popView, _popTarget, _parentView);
    const platform::Rect b = bounds();
    const platform::Point corner =
        convertPointToView(platform::Point(b.minX(), b.minY() + b.height()), nullptr);
    if (_parentView && _parentView->window())
        _parentView->window()->makeFirstResponder(_parentView);
    highlight(true);
    QXViewPopMenu::popUpWindowMenu(_popMenu, corner, event, this);
    highlight(false);
}

void QXPopViewButton::dismiss() {
    if (!_popMenu)
        return;
    platform::WindowServer::shared().postEvent(platform::Event::mouseEventWithType(
        platform::EventType::OtherMouseDown, platform::Point(0, 0), 0, 0, _popMenu->windowNumber(),
        0, 1, 0));
}
