#include "widgets/QXImageButtonCell.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/View.h"
#include "support/TextExtensions.h"

#include <string_view>
#include <utility>

using platform::AttributedString;
using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

std::shared_ptr<QXGradient> gradient(std::string_view text) {
    return QXGradient::gradientFromString(text);
}

// An outline through four anchored corners of the frame.
std::shared_ptr<QXOutlinePath> anchoredQuad(Point a, Point b, Point c, Point d) {
    auto shape = std::make_shared<QXOutlinePath>();
    shape->moveTo(Point(0, 0), a);
    shape->lineTo(Point(0, 0), b);
    shape->lineTo(Point(0, 0), c);
    shape->lineTo(Point(0, 0), d);
    shape->endPath();
    return shape;
}

} // namespace

QXImageButtonCell::QXImageButtonCell() = default;

QXImageButtonCell::QXImageButtonCell(std::string title) : ButtonCell(std::move(title)) {}

QXImageButtonCell::QXImageButtonCell(std::shared_ptr<platform::Image> image)
    : ButtonCell(std::move(image)) {}

QXImageButtonCell::QXImageButtonCell(const platform::ButtonCell& plain) : ButtonCell(plain) {}

std::shared_ptr<platform::Cell> QXImageButtonCell::copy() const {
    return std::make_shared<QXImageButtonCell>(*this);
}

void QXImageButtonCell::initialize() {
    ButtonCell::initialize();
    _mouseOver = false;
    _margins = QXMargin{3, 3, 3, 3};
    _borderWidth = 1.0f;
    _shape = anchoredQuad(Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1));
    _dsBorderColor = Color::colorWithCalibratedRed(0, 0, 0, 0.4);
    _osBorderColor = Color::colorWithCalibratedRed(0, 0, 0, 0.6);
    _fsBorderColor = Color::colorWithCalibratedRed(0, 0, 0, 0.6);
    _psBorderColor = Color::colorWithCalibratedRed(0, 0, 0, 0.9);
    _hsBorderColor = Color::colorWithCalibratedRed(0, 0, 0, 1.0);
    _dsFraction = 0.4f;
    _osFraction = 0.9f;
    _fsFraction = 0.9f;
    _psFraction = 0.9f;
    _hsFraction = 0.9f;
    _dsGradient = gradient("linear@-75.0:c(0.8,0.8,0.8,0.3)@0.0,c(0.9,0.9,0.9,0.3)@1.0");
    _osGradient = gradient("linear@-75.0:c(0.6,0.6,0.6,0.6)@0.0,c(0.7,0.7,0.7,0.6)@1.0");
    _fsGradient = gradient("linear@-75.0:c(0.8,0.8,0.8,0.6)@0.0,c(0.9,0.9,0.9,0.6)@1.0");
    _psGradient = gradient("linear@-75.0:c(0.4,0.4,0.4,0.6)@0.0,c(0.6,0.6,0.6,0.6)@1.0");
    _hsGradient = gradient("linear@-75.0:c(0.8,0.8,0.8,0.7)@0.0,c(0.9,0.9,0.9,0.7)@1.0");
    _badgeText = AttributedString();
    _badgeShape = anchoredQuad(Point(0, 0.5), Point(0, 1), Point(0.5, 1), Point(0.5, 0.5));
    _badgeColor = Color::colorWithCalibratedRed(1, 0, 0, 0.9);
    // The control then reports the pointer entering and leaving, which the hover look needs.
    setShowsBorderOnlyWhileMouseInside(true);
}

QXImageButtonCell::StateLook QXImageButtonCell::lookForState() const {
    if (!isEnabled())
        return {_dsGradient.get(), _dsBorderColor, _dsFraction};
    if (isHighlighted())
        return {_psGradient.get(), _psBorderColor, _psFraction};
    if (state() == platform::OnState)
        return {_osGradient.get(), _mouseOver ? _hsBorderColor : _osBorderColor, _osFraction};
    if (_mouseOver)
        return {_hsGradient.get(), _hsBorderColor, _hsFraction};
    return {_fsGradient.get(), _fsBorderColor, _fsFraction};
}

Rect QXImageButtonCell::contentRect(const Rect& cellFrame, bool flipped) const {
    const Rect r = cellFrame.insetBy(0.5, 0.5);
    Rect k;
    k.origin.x = r.minX() + _margins.left;
    k.size.width = r.width() - _margins.left - _margins.right;
    k.size.height = r.height() - _margins.top - _margins.bottom;
    k.origin.y = r.minY() + (flipped ? _margins.top : _margins.bottom);
    if (!image() && _margins.left < 0 && _margins.right < 0) {
        // A title alone, centred as the original measured it.
        const AttributedString title = attributedTitle();
        const double tw = OrvantaExtensions::widthForHeight(title, k.height());
        const double th = OrvantaExtensions::heightForWidth(title, k.width());
        k.origin.x = (k.width() * 0.5 - tw * 0.5) + _borderWidth;
        k.origin.y = k.height() * 0.5 - th * 0.5;
    }
    return k;
}

void QXImageButtonCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    const bool flipped = controlView && controlView->isFlipped();
    const StateLook look = lookForState();
    const Rect r = cellFrame.insetBy(0.5, 0.5);

    BezierPath face = BezierPath::bezierPathWithRect(r);
    if (_shape) {
        _shape->setFrame(r);
        face = _shape->bezierPath();
    }
    face.setLineWidth(_borderWidth);
    {
        platform::GraphicsStateSaver saver;
        look.borderColor.set();
        if (_borderWidth > 0.1f)
            face.stroke();
    }
    // The fill comes after the stroke and covers its inner half.
    if (look.gradient)
        look.gradient->drawInBezierPath(face);

    const Rect k = contentRect(cellFrame, flipped);
    const std::shared_ptr<platform::Image>& picture =
        alternateImage() && state() == platform::OnState ? alternateImage() : image();
    if (picture && image()) {
        picture->drawInRect(k, Rect(Point(0, 0), image()->size()),
                            platform::CompositingOperation::SourceOver, look.fraction, true);
    }

    if (imagePosition() != platform::CellImagePosition::ImageOnly) {
        AttributedString title = attributedTitle();
        if (!title.empty()) {
            // One leading tab centres the title, two put it at the right.
            platform::ParagraphStyle style = platform::ParagraphStyle::defaultParagraphStyle();
            style.tabStops = {{platform::TextTabType::Center, k.width() * 0.5},
                              {platform::TextTabType::Right, k.width() - 1.0}};
            platform::TextAttributes tabs;
            tabs.paragraphStyle = style;
            title.addAttributes(tabs, {0, title.length()});
            title.drawInRect(k);
        }
    }

    if (!_badgeText.empty() && _badgeShape) {
        _badgeShape->setFrame(r);
        const BezierPath& badge = _badgeShape->bezierPath();
        {
            platform::GraphicsStateSaver saver;
            _badgeColor.setFill();
            badge.fill();
        }
        const Rect bounds = badge.bounds();
        const platform::Size size = _badgeText.size();
        _badgeText.drawAtPoint(
            Point(bounds.midX() - size.width * 0.5, bounds.midY() - size.height * 0.5));
    }
}

void QXImageButtonCell::mouseEntered(const platform::Event& event) {
    ButtonCell::mouseEntered(event);
    _mouseOver = true;
    redrawControl();
}

void QXImageButtonCell::mouseExited(const platform::Event& event) {
    ButtonCell::mouseExited(event);
    _mouseOver = false;
    redrawControl();
}
