#include "app/core/Indicators.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using platform::Color;
using platform::Rect;

void LevelIndicator::setMinValue(double value) {
    _minValue = value;
    setDoubleValue(_value);
}

void LevelIndicator::setMaxValue(double value) {
    _maxValue = value;
    setDoubleValue(_value);
}

void LevelIndicator::setDoubleValue(double value) {
    const double clamped = std::clamp(value, _minValue, std::max(_minValue, _maxValue));
    if (clamped == _value)
        return;
    _value = clamped;
    setNeedsDisplay(true);
}

double LevelIndicator::fraction() const {
    const double range = _maxValue - _minValue;
    return range > 0 ? (_value - _minValue) / range : 0.0;
}

void LevelIndicator::drawRect(const Rect& /*dirtyRect*/) {
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (!context)
        return;
    const Rect track = bounds().insetBy(0.5, 0.5);
    context->setFillColor(Color(0.92, 0.92, 0.92, 1));
    context->fillRect(track);
    Rect filled = track;
    filled.size.width = track.width() * fraction();
    context->setFillColor(Color(0.30, 0.62, 0.27, 1));
    context->fillRect(filled);
    context->setStrokeColor(Color(0.55, 0.55, 0.55, 1));
    platform::BezierPath::strokeRect(track);
}

void ProgressIndicator::startAnimation(platform::Object* /*sender*/) {
    if (_animating)
        return;
    _animating = true;
    setNeedsDisplay(true);
}

void ProgressIndicator::stopAnimation(platform::Object* /*sender*/) {
    if (!_animating)
        return;
    _animating = false;
    setNeedsDisplay(true);
}

void ProgressIndicator::drawRect(const Rect& /*dirtyRect*/) {
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (!context || !_animating)
        return;
    const Rect b = bounds();
    const double cx = b.midX();
    const double cy = b.midY();
    const double outer = std::min(b.width(), b.height()) / 2 - 1;
    const double inner = outer * 0.45;
    constexpr int kSpokes = 12;
    for (int i = 0; i < kSpokes; ++i) {
        const double angle = std::numbers::pi / 2 - i * 2 * std::numbers::pi / kSpokes;
        platform::BezierPath spoke;
        spoke.moveToPoint({cx + inner * std::cos(angle), cy + inner * std::sin(angle)});
        spoke.lineToPoint({cx + outer * std::cos(angle), cy + outer * std::sin(angle)});
        spoke.setLineWidth(std::max(1.0, outer / 5));
        context->setStrokeColor(Color(0.2, 0.2, 0.2, 1.0 - 0.7 * i / kSpokes));
        spoke.stroke();
    }
}
