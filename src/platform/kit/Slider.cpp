#include "platform/kit/Slider.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/kit/Event.h"

#include <algorithm>

namespace platform {

Slider::Slider(const Rect& frame) : Control(frame) {
    setContinuous(true);
}

void Slider::setMinValue(double value) {
    minValue_ = value;
    setObjectValue(Value(value_));
}

void Slider::setMaxValue(double value) {
    maxValue_ = value;
    setObjectValue(Value(value_));
}

void Slider::setObjectValue(Value value) {
    const double wanted = value.isNumber() ? value.doubleValue() : minValue_;
    value_ = std::clamp(wanted, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
    setNeedsDisplay(true);
}

Rect Slider::knobRect() const {
    const Rect b = bounds();
    const double side = std::min(b.height(), 12.0);
    const double span = maxValue_ > minValue_ ? (value_ - minValue_) / (maxValue_ - minValue_) : 0;
    const double x = b.minX() + span * std::max(0.0, b.width() - side);
    return Rect(x, b.midY() - side / 2, side, side);
}

void Slider::drawRect(const Rect& /*dirtyRect*/) {
    const Rect b = bounds();
    const Rect knob = knobRect();
    const Rect track(b.minX() + knob.width() / 2, b.midY() - 1.5, b.width() - knob.width(), 3);
    Color::colorWithCalibratedWhite(0.55, 1).setFill();
    BezierPath::bezierPathWithRoundedRect(track, 1.5, 1.5).fill();
    const Rect filled(track.minX(), track.minY(), knob.midX() - track.minX(), track.height());
    (isEnabled() ? Color::colorWithCalibratedRed(0.25, 0.45, 0.80, 1)
                 : Color::colorWithCalibratedWhite(0.70, 1))
        .setFill();
    BezierPath::bezierPathWithRoundedRect(filled, 1.5, 1.5).fill();
    BezierPath knobPath = BezierPath::bezierPathWithOvalInRect(knob.insetBy(0.5, 0.5));
    Color::colorWithCalibratedWhite(isEnabled() ? 0.98 : 0.85, 1).setFill();
    knobPath.fill();
    Color::colorWithCalibratedWhite(0.45, 1).setStroke();
    knobPath.stroke();
}

void Slider::trackTo(const Event& event) {
    const Point point = convertPointFromView(event.locationInWindow(), nullptr);
    const Rect b = bounds();
    const double side = knobRect().width();
    const double usable = std::max(1.0, b.width() - side);
    const double share = std::clamp((point.x - b.minX() - side / 2) / usable, 0.0, 1.0);
    setObjectValue(Value(minValue_ + share * (maxValue_ - minValue_)));
    sendAction(action(), target());
}

void Slider::mouseDown(const Event& event) {
    if (isEnabled())
        trackTo(event);
}

void Slider::mouseDragged(const Event& event) {
    if (isEnabled())
        trackTo(event);
}

void Slider::mouseUp(const Event& /*event*/) {}

} // namespace platform
