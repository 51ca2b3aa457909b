#include "app/messaging/ChatPaneDivider.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Event.h"

ChatPaneDivider::ChatPaneDivider(const platform::Rect& frame) : View(frame) {}

void ChatPaneDivider::drawRect(const platform::Rect&) {
    auto* context = platform::GraphicsContext::currentContext();
    if (!context) {
        return;
    }
    const auto bounds = this->bounds();
    context->setFillColor(platform::Color::lightGrayColor());
    context->fillRect(platform::Rect(bounds.minX(), bounds.midY() - 0.5, bounds.width(), 1));
}

void ChatPaneDivider::resetCursorRects() {
    addCursorRect(bounds(), platform::Cursor::resizeUpDownCursor());
}

void ChatPaneDivider::mouseDown(const platform::Event& event) {
    grip_ = convertPointFromView(event.locationInWindow(), nullptr).y - bounds().midY();
}

void ChatPaneDivider::mouseDragged(const platform::Event& event) {
    report(event);
}

void ChatPaneDivider::report(const platform::Event& event) {
    if (!handler_ || !superview()) {
        return;
    }
    const auto point = superview()->convertPointFromView(event.locationInWindow(), nullptr);
    handler_(point.y - grip_);
}
