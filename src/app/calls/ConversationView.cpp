#include "app/calls/ConversationView.h"

#include "app/calls/ConversationViewController.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"
#include "widgets/QXGradient.h"

ConversationView::ConversationView(const platform::Rect& frame) : platform::View(frame) {}

void ConversationView::setIncomming(bool incoming) {
    if (_incoming != incoming) {
        _incoming = incoming;
        setNeedsDisplay(true);
    }
}

void ConversationView::setHold(bool hold) {
    if (_hold != hold) {
        _hold = hold;
        setNeedsDisplay(true);
    }
}

void ConversationView::setGradients(std::shared_ptr<QXGradient> normal,
                                    std::shared_ptr<QXGradient> incoming,
                                    std::shared_ptr<QXGradient> hold) {
    _normal = std::move(normal);
    _incomingGradient = std::move(incoming);
    _holdGradient = std::move(hold);
    setNeedsDisplay(true);
}

bool ConversationView::becomeFirstResponder() {
    _focused = true;
    setNeedsDisplay(true);
    return true;
}

bool ConversationView::resignFirstResponder() {
    _focused = false;
    setNeedsDisplay(true);
    return true;
}

void ConversationView::mouseDown(const platform::Event& /*event*/) {
    if (auto* w = window())
        w->makeFirstResponder(this);
}

void ConversationView::keyDown(const platform::Event& event) {
    const std::string& key = event.charactersIgnoringModifiers();
    if (key == "\x1b" && _controller) {
        _controller->escapeKeyPressed();
        return;
    }
    platform::View::keyDown(event);
}

void ConversationView::drawRect(const platform::Rect& /*dirtyRect*/) {
    const platform::Rect face = bounds().insetBy(1.5, 1.5);
    auto path = platform::BezierPath::bezierPathWithRoundedRect(face, 6, 6);
    const auto& gradient = _incoming ? _incomingGradient : _hold ? _holdGradient : _normal;
    if (gradient) {
        gradient->drawInBezierPath(path);
    } else {
        (_incoming ? platform::Color(0.87, 0.93, 0.85, 1)
         : _hold   ? platform::Color(0.90, 0.90, 0.90, 1)
                   : platform::Color(0.96, 0.97, 0.99, 1))
            .setFill();
        path.fill();
    }
    (_focused ? platform::Color(0.25, 0.5, 0.9, 1) : platform::Color(0.6, 0.63, 0.7, 1))
        .setStroke();
    path.setLineWidth(_focused ? 2 : 1);
    path.stroke();
}
