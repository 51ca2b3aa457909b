#include "widgets/QXTabViewItem.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/TabView.h"
#include "widgets/QXGradient.h"

#include <algorithm>

using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

constexpr double kCloseSize = 12;

// The flared top shared by the tab shapes: up the left side by `rise`, a 6-point rounded
// corner, across, the other corner, and down the right side by `fall`.
BezierPath flaredShape(Point start, double width, double rise, double fall) {
    BezierPath path;
    path.moveToPoint(start);
    path.relativeLineToPoint({0, rise});
    path.relativeCurveToPoint({6, 6}, {0, 4}, {2, 6});
    path.relativeLineToPoint({width - 12, 0});
    path.relativeCurveToPoint({6, -6}, {4, 0}, {6, -2});
    path.relativeLineToPoint({0, fall});
    path.closePath();
    return path;
}

// The hanging label: down from the top edge, 5-point rounded corners at the bottom.
BezierPath hangingShape(const Rect& r) {
    BezierPath path;
    path.moveToPoint({r.minX(), r.minY() + r.height()});
    path.relativeLineToPoint({0, 5 - r.height()});
    path.relativeCurveToPoint({5, -5}, {0, -3}, {2, -5});
    path.relativeLineToPoint({r.width() - 10, 0});
    path.relativeCurveToPoint({5, 5}, {3, 0}, {5, 2});
    path.relativeLineToPoint({0, r.height() - 5});
    path.closePath();
    return path;
}

// The label's rectangle once its bottom is pushed 2 points down, so that the tab joins the
// content area below it.
Rect extendedDownwards(const Rect& r) {
    return {r.minX(), r.minY() - 2, r.width(), r.height() + 2};
}

} // namespace

QXTabViewItem::QXTabViewItem(std::string identifier) : TabViewItem(std::move(identifier)) {}

QXTabViewItem::~QXTabViewItem() = default;

void QXTabViewItem::initialize() {
    TabViewItem::initialize();
    _labelStyle = flareLabel();
    _labelActiveGradient.reset();
    _labelInactiveGradient.reset();
    _labelBorderColor.reset();
    _labelHasClose = false;
    _labelHasCaption = true;
    _borderOnInactiveTabs = false;
    _labelImage.reset();
    _closeButtonState = kCloseNormal;
    _currentRect = {};
    _closePressed = false;
}

void QXTabViewItem::awake() {
    TabViewItem::awake();
    initialize();
}

BezierPath QXTabViewItem::labelShape(const Rect& r) const {
    if (_labelStyle == hangingLabel())
        return hangingShape(r);
    return flaredShape(r.origin, r.width(), r.height() - 6, 6 - r.height());
}

BezierPath QXTabViewItem::labelBorderShape(const Rect& r) const {
    return flaredShape({r.minX(), r.minY() + 1}, r.width(), r.height() - 6, 7 - r.height());
}

BezierPath QXTabViewItem::inactiveLabelShape(const Rect& r) const {
    if (_labelStyle == hangingLabel())
        return hangingShape(r);
    return flaredShape({r.minX(), r.minY() + 1}, r.width(), r.height() - 7, 6.5 - r.height());
}

BezierPath QXTabViewItem::inactiveLabelBorderShape(const Rect& r) const {
    return flaredShape({r.minX(), r.minY() + 1}, r.width(), r.height() - 6, 6.5 - r.height());
}

void QXTabViewItem::drawLabel(bool /*shouldTruncateLabel*/, const Rect& rect) {
    platform::GraphicsStateSaver saver;
    _currentRect = rect;
    const Rect inner = rect.insetBy(1, 1);
    Rect shape = inner;
    const bool selected = tabState() == platform::TabState::Selected;
    if (selected || _borderOnInactiveTabs) {
        shape = extendedDownwards(inner);
        // Without a border colour there is nothing to outline with.
        if (_labelBorderColor) {
            _labelBorderColor->set();
            (selected ? labelBorderShape(shape) : inactiveLabelBorderShape(shape)).stroke();
        }
        const auto& gradient = selected ? _labelActiveGradient : _labelInactiveGradient;
        if (gradient)
            gradient->drawInBezierPath(selected ? labelShape(shape) : inactiveLabelShape(shape));
        if (selected && _labelHasClose)
            drawCloseButton(_closeButtonState);
    }

    platform::Font font = tabView() ? tabView()->font() : platform::Font();
    platform::TextAttributes attributes;
    platform::ParagraphStyle paragraph;
    paragraph.alignment = platform::TextAlignment::Center;
    paragraph.lineBreakMode = platform::LineBreakMode::ByTruncatingTail;
    attributes.paragraphStyle = paragraph;
    attributes.font = font;

    // The close button keeps its room in every label of the item, drawn or not.
    Rect text = shape;
    if (_labelHasClose) {
        text.origin.x += 10;
        text.size.width -= 10;
    }
    platform::Size caption = platform::sizeWithAttributes(label(), attributes);
    if (caption.width > text.width()) {
        font = font.fontWithSize(font.pointSize() - 1);
        attributes.font = font;
        caption = platform::sizeWithAttributes(label(), attributes);
    }
    double captionY = text.minY() + (text.height() - caption.height) * 0.5;
    if (_labelImage) {
        font = font.fontWithSize(font.pointSize() - 3);
        attributes.font = font;
        caption = platform::sizeWithAttributes(label(), attributes);
        captionY = text.minY() + 2;
    }
    if (_labelHasCaption)
        platform::drawInRect(label(), Rect(text.minX(), captionY, text.width(), caption.height),
                             attributes);
    if (_labelImage) {
        const double side = std::min(shape.height() - (caption.height + 12), shape.width());
        if (side > 0)
            _labelImage->drawInRect(Rect(shape.minX() + (shape.width() - side) * 0.5,
                                         captionY + caption.height + 2, side, side),
                                    platform::ZeroRect, platform::CompositingOperation::SourceOver,
                                    1.0, true);
    }
}

Rect QXTabViewItem::closeButtonRect() const {
    double y = _currentRect.minY() + (_currentRect.height() - kCloseSize) * 0.5;
    if (_labelStyle == flareLabel())
        y -= 2;
    return {_currentRect.minX() + 3, y, kCloseSize, kCloseSize};
}

BezierPath QXTabViewItem::closeButtonPath() const {
    const Rect r = closeButtonRect();
    const double x = r.minX();
    const double y = r.minY();
    BezierPath path;
    path.moveToPoint({x + 3, y + 3});
    path.lineToPoint({x + 9, y + 9});
    path.moveToPoint({x + 3, y + 9});
    path.lineToPoint({x + 9, y + 3});
    path.appendBezierPathWithOvalInRect(r);
    return path;
}

void QXTabViewItem::drawCloseButton(int state) const {
    if (state == kCloseHidden)
        return;
    Color fill(0.6, 0.6, 0.6, 0.25);
    Color stroke(1, 1, 1, 0.4);
    switch (state) {
    case kCloseNormal:
        fill = Color::colorWithCalibratedRed(0.4, 0.4, 0.4, 0.4);
        stroke = Color::colorWithCalibratedRed(1, 1, 1, 0.8);
        break;
    case kCloseHover:
        fill = Color::colorWithCalibratedRed(0.3, 0.3, 0.3, 0.6);
        stroke = Color::colorWithCalibratedRed(1, 1, 1, 0.8);
        break;
    case kClosePressed:
        fill = Color::colorWithCalibratedRed(0.1, 0.1, 0.1, 0.9);
        stroke = Color::colorWithCalibratedRed(1, 1, 1, 1.0);
        break;
    default:
        break;
    }
    BezierPath path = closeButtonPath();
    fill.setFill();
    path.fill();
    path.setLineWidth(1);
    stroke.setStroke();
    path.stroke();
}

// Only an item that can close has a close button to press or hover.
bool QXTabViewItem::isOverCloseButton(Point point) const {
    return _labelHasClose && closeButtonPath().containsPoint(point);
}

bool QXTabViewItem::mouseDownInLabel(Point point) {
    if (isOverCloseButton(point)) {
        _closeButtonState = kClosePressed;
        _closePressed = true;
        return true;
    }
    _closeButtonState = kCloseNormal;
    _closePressed = false;
    return false;
}

void QXTabViewItem::mouseMovedInLabel(Point point) {
    if (isOverCloseButton(point))
        _closeButtonState = _closePressed ? kClosePressed : kCloseHover;
    else
        _closeButtonState = kCloseNormal;
}

void QXTabViewItem::mouseExitedLabel() {
    _closeButtonState = _closePressed ? kCloseHover : kCloseNormal;
}

bool QXTabViewItem::mouseUpInLabel(Point point) {
    _closePressed = false;
    mouseMovedInLabel(point);
    return _labelHasClose && _closeButtonState == kCloseHover;
}
