#include "widgets/QXHyperlinkButtonCell.h"

#include "platform/graphics/AttributedString.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/View.h"

#include <utility>

using platform::Color;
using platform::Rect;

QXHyperlinkButtonCell::QXHyperlinkButtonCell() = default;

QXHyperlinkButtonCell::QXHyperlinkButtonCell(std::string title) : ButtonCell(std::move(title)) {}

QXHyperlinkButtonCell::QXHyperlinkButtonCell(std::shared_ptr<platform::Image> image)
    : ButtonCell(std::move(image)) {}

QXHyperlinkButtonCell::QXHyperlinkButtonCell(const platform::ButtonCell& plain)
    : ButtonCell(plain) {}

std::shared_ptr<platform::Cell> QXHyperlinkButtonCell::copy() const {
    return std::make_shared<QXHyperlinkButtonCell>(*this);
}

void QXHyperlinkButtonCell::initialize() {
    ButtonCell::initialize();
    _hyperlinkColor = Color::blueColor();
    _mouseOver = false;
    setBezelStyle(platform::BezelStyle::RegularSquare);
    setBordered(false);
    // The control then reports the pointer entering and leaving.
    setShowsBorderOnlyWhileMouseInside(true);
}

void QXHyperlinkButtonCell::setHyperlinkColor(const Color& color) {
    _hyperlinkColor = color;
    redrawControl();
}

Color QXHyperlinkButtonCell::hyperlinkColorForState() const {
    if (!isEnabled())
        return _hyperlinkColor.blendedColorWithFraction(0.8, Color::grayColor());
    if (isHighlighted())
        return _hyperlinkColor.blendedColorWithFraction(0.3, Color::blackColor());
    return _hyperlinkColor;
}

void QXHyperlinkButtonCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    drawInteriorWithFrame(cellFrame, controlView);
}

void QXHyperlinkButtonCell::drawInteriorWithFrame(const Rect& cellFrame,
                                                  platform::View* /*controlView*/) {
    platform::TextAttributes attributes;
    attributes.font = font();
    attributes.foregroundColor = hyperlinkColorForState();
    if (isEnabled() && (isHighlighted() || _mouseOver))
        attributes.underlineStyle = platform::UnderlineStyleSingle;
    platform::ParagraphStyle style = platform::ParagraphStyle::defaultParagraphStyle();
    style.lineBreakMode = lineBreakMode();
    style.alignment = alignment();
    attributes.paragraphStyle = style;
    const double height = platform::sizeWithAttributes(title(), attributes).height;
    Rect rect = cellFrame;
    rect.origin.y += (cellFrame.height() - height) * 0.5;
    rect.size.height = height;
    platform::drawInRect(title(), rect, attributes);
}

void QXHyperlinkButtonCell::mouseEntered(const platform::Event& /*event*/) {
    _mouseOver = true;
    if (isEnabled()) {
        platform::Cursor::pointingHandCursor()->set();
        redrawControl();
    }
}

void QXHyperlinkButtonCell::mouseExited(const platform::Event& /*event*/) {
    _mouseOver = false;
    platform::Cursor::arrowCursor()->set();
    redrawControl();
}
