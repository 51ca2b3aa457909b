#include "widgets/QXButtonCell.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/View.h"
#include "support/TextExtensions.h"

#include <cmath>
#include <optional>
#include <utility>

using platform::AttributedString;
using platform::Color;
using platform::CompositingOperation;
using platform::Image;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

enum class DrawState { Disabled, Pressed, PointerOver, Plain };

// One piece of the nine-part slicing: the part of `source` at `origin` of `size`, copied into
// an image of its own, or nothing when the piece has no area.
std::shared_ptr<Image> slice(const Image& source, Point origin, Size size) {
    if (!(size.width > 0) || !(size.height > 0))
        return nullptr;
    auto piece = std::make_shared<Image>(size);
    piece->lockFocus();
    source.drawAtPoint(Point(0, 0), Rect(origin, size), CompositingOperation::Copy, 1.0);
    piece->unlockFocus();
    return piece;
}

} // namespace

QXButtonCell::QXButtonCell() = default;

QXButtonCell::QXButtonCell(std::string title) : ButtonCell(std::move(title)) {}

QXButtonCell::QXButtonCell(std::shared_ptr<Image> image) : ButtonCell(std::move(image)) {}

QXButtonCell::QXButtonCell(const platform::ButtonCell& plain) : ButtonCell(plain) {}

std::shared_ptr<platform::Cell> QXButtonCell::copy() const {
    return std::make_shared<QXButtonCell>(*this);
}

void QXButtonCell::initialize() {
    ButtonCell::initialize();
    _type = QXButtonTypePlatform;
    _highlightImage = nullptr;
    _disableImage = nullptr;
    _mouseOver = false;
    _doesHighlight = true;
    _leftSection = 0;
    _rightSection = 0;
    _hyperlinkColor = Color::blueColor();
    _topLeftPoint = Point(10, 20);
    _bottomRightPoint = Point(20, 10);
    // The control then reports the pointer entering and leaving, which the hover look needs.
    setShowsBorderOnlyWhileMouseInside(true);
    if (!image())
        setImage(Image::imageNamed("GenericBtnNormal"));
    if (!alternateImage())
        setAlternateImage(Image::imageNamed("GenericBtnPressed"));
}

void QXButtonCell::setButtonType(int type) {
    if (type <= QXButtonTypePlatform) {
        _type = QXButtonTypePlatform;
        ButtonCell::setButtonType(type);
    } else {
        _type = type;
    }
    redrawControl();
}

void QXButtonCell::setMouseOverImage(std::shared_ptr<Image> image) {
    _highlightImage = std::move(image);
    redrawControl();
}

void QXButtonCell::setDisabledImage(std::shared_ptr<Image> image) {
    _disableImage = std::move(image);
    redrawControl();
}

void QXButtonCell::setSectionLeft(float left, float right) {
    _leftSection = left;
    _rightSection = right;
}

void QXButtonCell::setHyperlinkColor(const Color& color) {
    _hyperlinkColor = color;
    redrawControl();
}

void QXButtonCell::setTopLeftPoint(Point point) {
    _topLeftPoint = point;
    redrawControl();
}

void QXButtonCell::setBottomRightPoint(Point point) {
    _bottomRightPoint = point;
    redrawControl();
}

void QXButtonCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    if (_type >= QXButtonTypeImage && _type <= QXButtonTypeHyperlink) {
        drawInteriorWithFrame(cellFrame, controlView);
        return;
    }
    ButtonCell::drawWithFrame(cellFrame, controlView);
}

void QXButtonCell::drawInteriorWithFrame(const Rect& cellFrame, platform::View* controlView) {
    switch (_type) {
    case QXButtonTypeImage:
        drawImageButton(cellFrame, controlView);
        return;
    case QXButtonTypeScalable:
        drawScalableImage(cellFrame, controlView);
        return;
    case QXButtonTypeHyperlink:
        drawHyperlink(cellFrame, controlView);
        return;
    default:
        ButtonCell::drawInteriorWithFrame(cellFrame, controlView);
    }
}

std::shared_ptr<Image> QXButtonCell::imageForState(bool* plain) const {
    DrawState state = DrawState::Plain;
    if (!isEnabled())
        state = DrawState::Disabled;
    else if (isHighlighted())
        state = DrawState::Pressed;
    else if (_mouseOver)
        state = DrawState::PointerOver;

    std::shared_ptr<Image> chosen;
    switch (state) {
    case DrawState::Disabled:
        chosen = _disableImage;
        break;
    case DrawState::Pressed:
        chosen = alternateImage();
        break;
    case DrawState::PointerOver:
        chosen = _highlightImage;
        break;
    case DrawState::Plain:
        break;
    }
    if (plain)
        *plain = !chosen;
    return chosen ? chosen : image();
}

void QXButtonCell::drawImageButton(const Rect& frame, platform::View* controlView) {
    const double w = frame.width(), h = frame.height();
    if (!(w > 0) || !(h > 0))
        return;
    bool plain = false;
    const std::shared_ptr<Image> chosen = imageForState(&plain);

    Image tint(Size(w, h));
    tint.lockFocus();
    struct Tint {
        double startGrey, startAlpha, endGrey, endAlpha;
    };
    std::optional<Tint> colours;
    if (!isEnabled())
        colours = Tint{0.7, 0.75, 0.75, 0.75};
    else if (isHighlighted())
        colours = Tint{0.1, 0.45, 0.3, 0.45};
    else if (_mouseOver)
        colours = Tint{1.0, 0.2, 0.6, 0.2};
    if (colours) {
        platform::Gradient(Color::colorWithCalibratedWhite(colours->startGrey, colours->startAlpha),
                           Color::colorWithCalibratedWhite(colours->endGrey, colours->endAlpha))
            .drawInRect(Rect(0, 0, w, h), 135);
    }
    tint.unlockFocus();

    const bool flipped = controlView && controlView->isFlipped();
    Image canvas(Size(w, h));
    canvas.setFlipped(flipped);
    canvas.lockFocus();
    if (chosen)
        chosen->drawAtPoint(Point(0, 0), Rect(0, 0, w, h), CompositingOperation::SourceOver, 1.0);
    // Only the plain image takes the state's colour; an image of the state's own is shown as
    // drawn. Source-atop keeps the tint to the image's opaque pixels.
    if (plain)
        tint.drawAtPoint(Point(0, 0), Rect(), CompositingOperation::SourceAtop, 1.0);
    canvas.unlockFocus();
    canvas.drawAtPoint(frame.origin, Rect(), CompositingOperation::SourceOver, 1.0);
}

void QXButtonCell::drawScalableImage(const Rect& frame, platform::View* controlView) {
    if (const std::shared_ptr<Image> source = imageForState(); source && source->isValid()) {
        const double W = source->size().width, H = source->size().height;
        const Point tl = _topLeftPoint, br = _bottomRightPoint;
        const double left = tl.x, centre = br.x - tl.x, right = W - br.x;
        const double top = H - tl.y, middle = tl.y - br.y, bottom = br.y;
        const auto topLeft = slice(*source, Point(0, tl.y), Size(left, top));
        const auto topEdge = slice(*source, Point(tl.x, tl.y), Size(centre, top));
        const auto topRight = slice(*source, Point(br.x, tl.y), Size(right, top));
        const auto leftEdge = slice(*source, Point(0, br.y), Size(left, middle));
        const auto centreFill = slice(*source, Point(tl.x, br.y), Size(centre, middle));
        const auto rightEdge = slice(*source, Point(br.x, br.y), Size(right, middle));
        const auto bottomLeft = slice(*source, Point(0, 0), Size(left, bottom));
        const auto bottomEdge = slice(*source, Point(tl.x, 0), Size(centre, bottom));
        const auto bottomRight = slice(*source, Point(br.x, 0), Size(right, bottom));
        platform::DrawNinePartImage(
            frame, topLeft.get(), topEdge.get(), topRight.get(), leftEdge.get(), centreFill.get(),
            rightEdge.get(), bottomLeft.get(), bottomEdge.get(), bottomRight.get(),
            CompositingOperation::SourceOver, 1.0, controlView && controlView->isFlipped());
    }

    AttributedString title = attributedTitle();
    if (title.empty())
        return;
    if (!isEnabled()) {
        platform::TextAttributes grey;
        grey.foregroundColor = Color::darkGrayColor();
        title.addAttributes(grey, {0, title.length()});
    }
    const double h = OrvantaExtensions::heightForWidth(title, frame.width());
    // Measured from the top edge of the control; the frame's own y is not added.
    const double offset = ((frame.height() - std::trunc(h)) - 3) * 0.5;
    const bool flipped = controlView && controlView->isFlipped();
    const double y = flipped ? offset : -offset;
    title.drawInRect(Rect(frame.minX(), y, frame.width(), frame.height()));
}

Color QXButtonCell::hyperlinkColorForState() const {
    if (!isEnabled())
        return _hyperlinkColor.blendedColorWithFraction(0.8, Color::grayColor());
    if (isHighlighted())
        return _hyperlinkColor.blendedColorWithFraction(0.3, Color::blackColor());
    return _hyperlinkColor;
}

void QXButtonCell::drawHyperlink(const Rect& frame, platform::View* /*controlView*/) {
    platform::TextAttributes attributes;
    attributes.font = font();
    attributes.foregroundColor = hyperlinkColorForState();
    if (isEnabled() && (isHighlighted() || _mouseOver))
        attributes.underlineStyle = platform::UnderlineStyleSingle;
    platform::ParagraphStyle style = platform::ParagraphStyle::defaultParagraphStyle();
    style.lineBreakMode = lineBreakMode();
    attributes.paragraphStyle = style;
    platform::drawInRect(title(), frame, attributes);
}

void QXButtonCell::mouseEntered(const platform::Event& event) {
    ButtonCell::mouseEntered(event);
    _mouseOver = true;
    redrawControl();
}

void QXButtonCell::mouseExited(const platform::Event& event) {
    ButtonCell::mouseExited(event);
    _mouseOver = false;
    redrawControl();
}
