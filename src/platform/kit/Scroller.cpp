#include "platform/kit/Scroller.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace platform {

namespace {

// A knob never gets shorter than this, so that it stays easy to grab in a long document.
constexpr double kMinKnobLength = 18;
// The knob sits this far inside the slot across it.
constexpr double kKnobInset = 2;

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

} // namespace

Scroller::Scroller(const Rect& frame) : Control(frame) {}

bool Scroller::isVertical() const {
    return frame().height() >= frame().width();
}

void Scroller::setKnobProportion(double proportion) {
    proportion = clamp01(proportion);
    if (proportion == knobProportion_)
        return;
    knobProportion_ = proportion;
    setNeedsDisplay(true);
}

void Scroller::setObjectValue(Value value) {
    const double v = clamp01(value.doubleValue());
    if (v == value_)
        return;
    value_ = v;
    setNeedsDisplay(true);
}

bool Scroller::isUsable() const {
    return isEnabled() && knobProportion_ > 0 && knobProportion_ < 1 &&
           slotLength() > kMinKnobLength;
}

double Scroller::slotLength() const {
    return isVertical() ? bounds().height() : bounds().width();
}

double Scroller::knobLength() const {
    const double slot = slotLength();
    return std::min(slot, std::max(kMinKnobLength, slot * knobProportion_));
}

double Scroller::knobStart() const {
    return value_ * (slotLength() - knobLength());
}

Rect Scroller::rectForPart(ScrollerPart part) const {
    const Rect b = bounds();
    const auto along = [&](double start, double length) {
        return isVertical() ? Rect{b.minX(), b.minY() + start, b.width(), length}
                            : Rect{b.minX() + start, b.minY(), length, b.height()};
    };
    switch (part) {
    case ScrollerPart::KnobSlot:
        return b;
    case ScrollerPart::Knob:
        return isUsable() ? along(knobStart(), knobLength()) : Rect{};
    case ScrollerPart::DecrementPage:
        return isUsable() ? along(0, knobStart()) : Rect{};
    case ScrollerPart::IncrementPage: {
        if (!isUsable())
            return {};
        const double end = knobStart() + knobLength();
        return along(end, slotLength() - end);
    }
    default:
        return {};
    }
}

ScrollerPart Scroller::testPart(Point point) const {
    if (!mouseInRect(point, bounds()))
        return ScrollerPart::NoPart;
    if (!isUsable())
        return ScrollerPart::KnobSlot;
    for (ScrollerPart part :
         {ScrollerPart::Knob, ScrollerPart::DecrementPage, ScrollerPart::IncrementPage})
        if (mouseInRect(point, rectForPart(part)))
            return part;
    return ScrollerPart::KnobSlot;
}

void Scroller::drawRect(const Rect& /*dirtyRect*/) {
    drawKnobSlotInRect(bounds(), false);
    if (isUsable())
        drawKnob();
}

void Scroller::drawKnobSlotInRect(const Rect& slotRect, bool /*highlight*/) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    context->setFillColor(Color::colorWithCalibratedWhite(0.94, 1));
    context->fillRect(slotRect);
    context->setFillColor(Color::colorWithCalibratedWhite(0.82, 1));
    context->fillRect(isVertical() ? Rect{slotRect.minX(), slotRect.minY(), 1, slotRect.height()}
                                   : Rect{slotRect.minX(), slotRect.minY(), slotRect.width(), 1});
}

void Scroller::drawKnob() {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    const Rect knob = rectForPart(ScrollerPart::Knob).insetBy(kKnobInset, kKnobInset);
    if (knob.isEmpty())
        return;
    const double radius = std::min(knob.width(), knob.height()) / 2;
    context->setFillColor(Color::colorWithCalibratedWhite(draggingKnob_ ? 0.45 : 0.6, 1));
    context->fillPath(BezierPath::bezierPathWithRoundedRect(knob, radius, radius));
}

void Scroller::moveKnobTo(double start) {
    const double room = slotLength() - knobLength();
    setObjectValue(Value(room > 0 ? start / room : 0.0));
}

void Scroller::mouseDown(const Event& event) {
    auto keep = weak_from_this().lock();
    draggingKnob_ = false;
    if (!isUsable())
        return;
    const Point p = pointInView(event, *this);
    const double at = isVertical() ? p.y : p.x;
    hitPart_ = testPart(p);
    switch (hitPart_) {
    case ScrollerPart::Knob:
        draggingKnob_ = true;
        grabOffset_ = at - knobStart();
        setNeedsDisplay(true);
        break;
    case ScrollerPart::DecrementPage:
    case ScrollerPart::IncrementPage:
        sendAction(action(), target());
        break;
    default:
        break;
    }
}

void Scroller::mouseDragged(const Event& event) {
    if (!draggingKnob_)
        return;
    auto keep = weak_from_this().lock();
    const Point p = pointInView(event, *this);
    const double before = value_;
    moveKnobTo((isVertical() ? p.y : p.x) - grabOffset_);
    hitPart_ = ScrollerPart::Knob;
    if (value_ != before)
        sendAction(action(), target());
}

void Scroller::mouseUp(const Event& /*event*/) {
    if (draggingKnob_) {
        draggingKnob_ = false;
        setNeedsDisplay(true);
    }
}

} // namespace platform
