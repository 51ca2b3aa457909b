#include "app/calls/RelatedConversationView.h"

#include "app/calls/ConversationView.h"
#include "app/calls/RelatedConversationViewController.h"
#include "platform/kit/Box.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"

#include <string_view>

RelatedConversationView::RelatedConversationView(const platform::Rect& frame)
    : platform::View(frame) {}

std::string RelatedConversationView::filterTouchKey(const std::string& characters) {
    return ConversationView::filterTouchKey(characters);
}

void RelatedConversationView::viewDidMoveToWindow() {
    // A strip that comes takes the keys at once.
    if (auto* w = window(); w && !_onHold)
        w->makeFirstResponder(this);
}

void RelatedConversationView::setHold(bool hold) {
    if (_box)
        _box->setBorderColor(hold ? platform::Color(0.5, 0.5, 0.5, 1)
                                  : platform::Color(0.83, 0.83, 0.83, 1));
    _onHold = hold;
    setNeedsDisplay(true);
    if (auto* w = window())
        w->recalculateKeyViewLoop();
}

bool RelatedConversationView::becomeFirstResponder() {
    _focused = true;
    setNeedsDisplay(true);
    return true;
}

bool RelatedConversationView::resignFirstResponder() {
    _focused = false;
    setNeedsDisplay(true);
    return true;
}

bool RelatedConversationView::isWindowsFirstResponder() const {
    const auto* w = window();
    return w && w->firstResponder() == this;
}

void RelatedConversationView::keyDown(const platform::Event& event) {
    if (!isWindowsFirstResponder())
        return;
    const auto flags = event.modifierFlags();
    if ((flags & (platform::CommandKeyMask | platform::ControlKeyMask)) || event.isARepeat()) {
        platform::View::keyDown(event);
        return;
    }
    if (!filterTouchKey(event.characters()).empty() && _controller)
        _controller->keyPressedOnView(event);
}

void RelatedConversationView::keyUp(const platform::Event& event) {
    if (filterTouchKey(event.characters()).empty())
        return;
    if (event.modifierFlags() & platform::CommandKeyMask)
        platform::View::keyUp(event);
    else if (_controller)
        _controller->keyReleasedOnView(event);
}
