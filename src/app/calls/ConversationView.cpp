#include "app/calls/ConversationView.h"

#include "engine/CallHistoryService.h"
#include "engine/OVDirectoryItem.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/kit/Event.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/DraggedItems.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

namespace {

constexpr std::string_view kTouchKeys = "0123456789*#";

} // namespace

ConversationView::ConversationView(const platform::Rect& frame) : platform::View(frame) {}

std::string ConversationView::filterTouchKey(const std::string& characters) {
    if (characters.empty() || kTouchKeys.find(characters.front()) == std::string_view::npos)
        return {};
    return characters.substr(0, 1);
}

void ConversationView::setIncomming(bool incoming) {
    if (_incoming != incoming) {
        _incoming = incoming;
        setNeedsDisplay(true);
    }
}

void ConversationView::setHold(bool hold) {
    if (hold) {
        if (auto phone = StartupService::instance().phoneService())
            phone->getDTMFService()->stopTone();
        // A held call takes no keys: the focus goes back to the window.
        if (auto* w = window(); w && isWindowsFirstResponder())
            w->makeFirstResponder(nullptr);
    }
    const bool changed = _hold != hold;
    _hold = hold;
    if (changed)
        setNeedsDisplay(true);
    if (auto* w = window())
        w->recalculateKeyViewLoop();
}

void ConversationView::setGradients(std::shared_ptr<QXGradient> normal,
                                    std::shared_ptr<QXGradient> incoming,
                                    std::shared_ptr<QXGradient> hold) {
    _normal = std::move(normal);
    _incomingGradient = std::move(incoming);
    _holdGradient = std::move(hold);
    setNeedsDisplay(true);
}

void ConversationView::setOutlinePath(std::shared_ptr<QXOutlinePath> outline) {
    _outline = std::move(outline);
    setNeedsDisplay(true);
}

void ConversationView::setMargins(const QXMargin& margins) {
    _margins = margins;
    setNeedsDisplay(true);
}

bool ConversationView::isWindowsFirstResponder() const {
    const auto* w = window();
    return w && w->firstResponder() == this;
}

bool ConversationView::becomeFirstResponder() {
    _focused = true;
    if (_controller)
        _controller->conversationViewGotFocus();
    setNeedsDisplay(true);
    return true;
}

bool ConversationView::resignFirstResponder() {
    _focused = false;
    if (_controller)
        _controller->conversationViewLostFocus();
    setNeedsDisplay(true);
    return true;
}

platform::View* ConversationView::hitTest(platform::Point point) {
    platform::View* hit = platform::View::hitTest(point);
    if (auto* label = dynamic_cast<platform::TextField*>(hit);
        label && !label->isEditable() && !label->isSelectable())
        return this;
    return hit;
}

void ConversationView::mouseDown(const platform::Event& /*event*/) {
    // The click stays here: the collection view around would take the focus for itself.
    if (acceptsFirstResponder())
        if (auto* w = window()) {
            w->makeFirstResponder(this);
            w->recalculateKeyViewLoop();
        }
}

void ConversationView::keyDown(const platform::Event& event) {
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

void ConversationView::keyUp(const platform::Event& event) {
    if (!filterTouchKey(event.characters()).empty()) {
        if (event.modifierFlags() & platform::CommandKeyMask)
            platform::View::keyUp(event);
        else if (_controller)
            _controller->keyReleasedOnView(event);
        return;
    }
    if (event.characters() == "\x1b" && _controller)
        _controller->escapeKeyPressed();
}

void ConversationView::drawRect(const platform::Rect& /*dirtyRect*/) {
    const platform::Rect inner(bounds().origin.x + _margins.left,
                               bounds().origin.y + _margins.bottom,
                               bounds().width() - _margins.left - _margins.right,
                               bounds().height() - _margins.top - _margins.bottom);
    platform::BezierPath path;
    if (_outline) {
        _outline->setFrame(inner);
        path = _outline->bezierPath();
    } else {
        path = platform::BezierPath::bezierPathWithRoundedRect(inner.insetBy(1.5, 1.5), 6, 6);
    }
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
    const bool focused = isWindowsFirstResponder();
    (focused ? platform::Color(0.25, 0.5, 0.9, 1) : platform::Color(0.6, 0.63, 0.7, 1)).setStroke();
    path.setLineWidth(focused ? 2 : 1);
    path.stroke();
}

std::vector<std::string> ConversationView::registeredDraggedTypes() const {
    return callTargetDraggedTypes();
}

platform::DragOperation ConversationView::draggingEntered(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

std::optional<platform::DragOperation>
ConversationView::draggingUpdated(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

bool ConversationView::prepareForDragOperation(platform::DraggingInfo& /*info*/) {
    return true;
}

bool ConversationView::performDragOperation(platform::DraggingInfo& info) {
    if (!_controller)
        return true;
    const auto items = draggedItemsOf(info);
    switch (draggedKindOf(info)) {
    case DraggedKind::contacts:
        for (const auto& item : items)
            if (_controller)
                _controller->receivedDraggedItem(platform::Value(item));
        break;
    case DraggedKind::callHistoryItems:
        for (const auto& item : items)
            if (auto entry = std::dynamic_pointer_cast<OVModelCallHistoryItem>(item);
                entry && !entry->isRemotePartyAnonymous()) {
                if (_controller)
                    _controller->receivedDraggedItem(platform::Value(item));
                break;
            }
        break;
    case DraggedKind::directoryItems:
        for (const auto& item : items)
            if (auto result = std::dynamic_pointer_cast<OVDirectoryItem>(item)) {
                if (!result->callableAddresses().empty() && _controller)
                    _controller->receivedDraggedItem(
                        platform::Value(result->callableAddresses().front()));
                break;
            }
        break;
    case DraggedKind::none:
        break;
    }
    return true;
}
