#include "platform/kit/ProgressIndicator.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

ProgressIndicator::ProgressIndicator(const Rect& frame) : View(frame) {}

ProgressIndicator::~ProgressIndicator() {
    if (timer_)
        timer_->invalidate();
}

void ProgressIndicator::setStyle(ProgressIndicatorStyle style) {
    style_ = style;
    setNeedsDisplay(true);
}

void ProgressIndicator::setIndeterminate(bool flag) {
    indeterminate_ = flag;
    setNeedsDisplay(true);
}

void ProgressIndicator::setDisplayedWhenStopped(bool flag) {
    displayedWhenStopped_ = flag;
    setNeedsDisplay(true);
}

void ProgressIndicator::setMinValue(double value) {
    minValue_ = value;
    setDoubleValue(value_);
}

void ProgressIndicator::setMaxValue(double value) {
    maxValue_ = value;
    setDoubleValue(value_);
}

void ProgressIndicator::setDoubleValue(double value) {
    value_ = std::clamp(value, minValue_, std::max(minValue_, maxValue_));
    setNeedsDisplay(true);
}

void ProgressIndicator::startAnimation(Object* /*sender*/) {
    if (timer_)
        return;
    phase_ = 0;
    // The indicator is owned by its superview or its controller; the timer must not keep it,
    // and it is invalidated before the indicator goes away.
    timer_ = Timer::timerWithTimeInterval(animationStep, true, [this](Timer&) { step(); });
    RunLoop::main().addTimer(timer_, commonModes());
    setNeedsDisplay(true);
}

void ProgressIndicator::stopAnimation(Object* /*sender*/) {
    if (!timer_)
        return;
    timer_->invalidate();
    timer_.reset();
    setNeedsDisplay(true);
}

void ProgressIndicator::step() {
    ++phase_;
    setNeedsDisplay(true);
}

void ProgressIndicator::drawRect(const Rect& /*dirtyRect*/) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    const Rect bounds = this->bounds();
    GraphicsStateSaver saver;
    if (style_ == ProgressIndicatorStyle::Spinning) {
        if (!isAnimating() && !displayedWhenStopped_)
            return;
        // Twelve spokes, the brightest one turning with the phase.
        const Point centre{bounds.midX(), bounds.midY()};
        const double outer = std::min(bounds.width(), bounds.height()) / 2;
        const double inner = outer / 2;
        for (int spoke = 0; spoke < 12; ++spoke) {
            const double angle = std::numbers::pi / 2 - spoke * std::numbers::pi / 6;
            const int age = (spoke - static_cast<int>(phase_ % 12) + 12) % 12;
            const double alpha = isAnimating() ? 1.0 - age / 13.0 : 0.4;
            BezierPath path;
            path.setLineWidth(std::max(1.0, outer / 5));
            path.moveToPoint(
                {centre.x + inner * std::cos(angle), centre.y + inner * std::sin(angle)});
            path.lineToPoint(
                {centre.x + outer * std::cos(angle), centre.y + outer * std::sin(angle)});
            context->setStrokeColor(Color::colorWithCalibratedWhite(0.3, alpha));
            context->strokePath(path);
        }
        return;
    }
    context->setFillColor(Color::colorWithCalibratedWhite(0.85, 1));
    context->fillRect(bounds);
    context->setFillColor(Color::colorWithCalibratedRed(0.25, 0.5, 0.95, 1));
    if (indeterminate_) {
        // Diagonal stripes that move by two points a step while animating.
        const double stripe = std::max(4.0, bounds.height());
        const double offset = std::fmod(phase_ * 2.0, 2 * stripe);
        context->clipToRect(bounds);
        for (double x = bounds.minX() - 2 * stripe + offset; x < bounds.maxX(); x += 2 * stripe) {
            BezierPath path;
            path.moveToPoint({x, bounds.minY()});
            path.lineToPoint({x + stripe, bounds.minY()});
            path.lineToPoint({x + stripe + bounds.height(), bounds.maxY()});
            path.lineToPoint({x + bounds.height(), bounds.maxY()});
            path.closePath();
            context->fillPath(path);
        }
    } else {
        const double span = maxValue_ - minValue_;
        const double fraction = span > 0 ? (value_ - minValue_) / span : 0;
        context->fillRect(
            Rect(bounds.minX(), bounds.minY(), bounds.width() * fraction, bounds.height()));
    }
    context->setFillColor(Color::colorWithCalibratedWhite(0.55, 1));
    FrameRect(bounds);
}

} // namespace platform
