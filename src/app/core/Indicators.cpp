#include "app/core/Indicators.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

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
