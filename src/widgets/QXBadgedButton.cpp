#include "widgets/QXBadgedButton.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <string>

using platform::Color;
using platform::TextAttributes;

namespace {

constexpr const char* kBadgeFont = "Helvetica-Bold";
constexpr double kBadgeFontSize = 8;
constexpr double kSpecialFontSize = 25;
constexpr int kMaxShownCount = 999;

TextAttributes badgeAttributes(double size) {
    TextAttributes attributes;
    attributes.font = platform::Font::fontWithName(kBadgeFont, size);
    attributes.foregroundColor = Color::whiteColor();
    return attributes;
}

} // namespace

QXBadgedButton::QXBadgedButton(const platform::Rect& frame) : platform::Button(frame) {}

void QXBadgedButton::awake() {
    platform::Button::awake();
    const std::shared_ptr<platform::Image> icon = image();
    _originalIcon = icon ? icon->copy() : nullptr;
    _currentIconImageBuffer = icon ? icon->copy() : nullptr;
    _textAttributes = badgeAttributes(kBadgeFontSize);
}

void QXBadgedButton::badgeIcon(int count) {
    _badgeCount = count;
    if (count < 0) {
        badgeIconSpecial("*", badgeAttributes(kSpecialFontSize));
        return;
    }
    if (count == 0) {
        cleanIcon();
        return;
    }
    if (count > kMaxShownCount) {
        _badgeCount = kMaxShownCount;
        count = kMaxShownCount;
    }
    drawBadge(std::to_string(count), _textAttributes, 1.9, 2.1);
}

void QXBadgedButton::badgeIconSpecial(std::string_view text, const TextAttributes& attributes) {
    drawBadge(text, attributes, 1.7, 1.7);
}

void QXBadgedButton::cleanIcon() {
    _badgeCount = 0;
    if (_originalIcon)
        setImage(_originalIcon);
}

// The circle is sized from the text in the usual attributes, whatever attributes draw it, and
// the whole buffer is redrawn from the saved icon so badges never pile up.
void QXBadgedButton::drawBadge(std::string_view text, const TextAttributes& drawAttributes,
                               double xDivisor, double yDivisor) {
    if (_originalIcon)
        setImage(_originalIcon);
    if (_currentIconImageBuffer && _originalIcon) {
        const platform::Size measured = platform::sizeWithAttributes(text, _textAttributes);
        const platform::Size drawn = platform::sizeWithAttributes(text, drawAttributes);
        const platform::Size icon = _originalIcon->size();
        _currentIconImageBuffer->lockFocus();
        _originalIcon->drawAtPoint({0, 0}, platform::Rect{}, platform::CompositingOperation::Copy,
                                   1.0);
        const double d = std::max(measured.width, measured.height) + 4;
        const platform::Rect circle{icon.width - d, icon.height - d, d, d};
        if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
            context->setFillColor(Color::colorWithCalibratedRed(0.8, 0, 0, 0.6));
            context->fillPath(platform::BezierPath::bezierPathWithOvalInRect(circle));
        }
        const platform::Point at{circle.midX() - drawn.width / xDivisor,
                                 circle.midY() - drawn.height / yDivisor};
        platform::drawAtPoint(text, at, drawAttributes);
        _currentIconImageBuffer->unlockFocus();
    }
    setImage(_currentIconImageBuffer);
}
