#include "platform/graphics/Color.h"

#include "platform/graphics/GraphicsContext.h"

#include <cstdio>

namespace platform {

Color Color::clearColor() {
    return {0, 0, 0, 0};
}
Color Color::blackColor() {
    return {0, 0, 0, 1};
}
Color Color::whiteColor() {
    return {1, 1, 1, 1};
}
Color Color::grayColor() {
    return {0.5, 0.5, 0.5, 1};
}
Color Color::darkGrayColor() {
    return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1};
}
Color Color::lightGrayColor() {
    return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1};
}
Color Color::redColor() {
    return {1, 0, 0, 1};
}
Color Color::greenColor() {
    return {0, 1, 0, 1};
}
Color Color::blueColor() {
    return {0, 0, 1, 1};
}
Color Color::yellowColor() {
    return {1, 1, 0, 1};
}
Color Color::orangeColor() {
    return {1, 0.5, 0, 1};
}
Color Color::controlTextColor() {
    return {0, 0, 0, 1};
}
Color Color::disabledControlTextColor() {
    return {0, 0, 0, 0.25};
}
Color Color::textColor() {
    return {0, 0, 0, 1};
}
Color Color::textBackgroundColor() {
    return {1, 1, 1, 1};
}
Color Color::controlColor() {
    return {0.91, 0.91, 0.91, 1};
}
Color Color::controlBackgroundColor() {
    return {1, 1, 1, 1};
}
Color Color::windowBackgroundColor() {
    return {0.93, 0.93, 0.93, 1};
}
Color Color::selectedTextBackgroundColor() {
    return {0.71, 0.84, 1.0, 1};
}
Color Color::selectedControlColor() {
    return {0.71, 0.84, 1.0, 1};
}
Color Color::alternateSelectedControlColor() {
    return {0.22, 0.46, 0.84, 1};
}
Color Color::secondarySelectedControlColor() {
    return {0.83, 0.83, 0.83, 1};
}
Color Color::gridColor() {
    return {0.8, 0.8, 0.8, 1};
}
Color Color::keyboardFocusIndicatorColor() {
    return {0.23, 0.6, 0.99, 1};
}
Color Color::shadowColor() {
    return {0, 0, 0, 1};
}

std::vector<Color> Color::controlAlternatingRowBackgroundColors() {
    return {whiteColor(), Color(0.93, 0.95, 1.0, 1)};
}

Color Color::blendedColorWithFraction(double fraction, const Color& other) const {
    const double f = fraction < 0 ? 0 : (fraction > 1 ? 1 : fraction);
    const double k = 1 - f;
    return {red_ * k + other.red_ * f, green_ * k + other.green_ * f, blue_ * k + other.blue_ * f,
            alpha_ * k + other.alpha_ * f};
}

Color Color::highlightWithLevel(double level) const {
    return blendedColorWithFraction(level, whiteColor());
}

Color Color::shadowWithLevel(double level) const {
    return blendedColorWithFraction(level, blackColor());
}

void Color::set() const {
    if (auto* context = GraphicsContext::currentContext()) {
        context->setFillColor(*this);
        context->setStrokeColor(*this);
    }
}

void Color::setFill() const {
    if (auto* context = GraphicsContext::currentContext())
        context->setFillColor(*this);
}

void Color::setStroke() const {
    if (auto* context = GraphicsContext::currentContext())
        context->setStrokeColor(*this);
}

std::string Color::description() const {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "RGBA(%g, %g, %g, %g)", red_, green_, blue_, alpha_);
    return buffer;
}

} // namespace platform
