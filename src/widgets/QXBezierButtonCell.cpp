#include "widgets/QXBezierButtonCell.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/kit/View.h"

#include <algorithm>
#include <utility>

using platform::AttributedString;
using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

constexpr const char* kNormalGradient =
    "linear@-90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0";
constexpr const char* kPressedGradient = "linear@90.0:c(0.39,0.39,0.39,1.0)@0.0,c(0.58,0.58,0.58,"
                                         "1.0)@0.22,c(0.60,0.60,0.60,1.0)@1.0";
constexpr const char* kTransparentGradient = "linear@-90.0:c(1,1,1,0.1)@0.0,c(0.9,0.9,0.9,0.1)@1.0";
constexpr Color kBuiltInBorder = QXBezierBuiltInBorderColor;
constexpr Color kBuiltInFont = QXBezierBuiltInFontColor;

// The right 20.5 points of the frame, rounded on the right side only.
std::shared_ptr<QXOutlinePath> builtInRightShape() {
    auto shape = std::make_shared<QXOutlinePath>();
    shape->moveTo(Point(-20.5, 0.5), Point(1, 0));
    shape->lineTo(Point(-3.5, 0.5), Point(1, 0));
    shape->curveTo(Point(-0.5, 3.5), Point(-1.5, 0.5), Point(-0.5, 1.5), Point(1, 0));
    shape->lineTo(Point(-0.5, -3.5), Point(1, 1));
    shape->curveTo(Point(-3.5, -0.5), Point(-0.5, -1.5), Point(-1.5, -0.5), Point(1, 1));
    shape->lineTo(Point(-20.5, -0.5), Point(1, 1));
    shape->endPath();
    return shape;
}

QXBezierButtonDefaults& bezierDefaults() {
    static QXBezierButtonDefaults defaults;
    return defaults;
}

} // namespace

std::shared_ptr<QXOutlinePath> QXBezierButtonBuiltInShape() {
    auto shape = std::make_shared<QXOutlinePath>();
    shape->moveTo(Point(3.5, 0.5), Point(0, 0));
    shape->lineTo(Point(-3.5, 0.5), Point(1, 0));
    shape->curveTo(Point(-0.5, 3.5), Point(-1.5, 0.5), Point(-0.5, 1.5), Point(1, 0));
    shape->lineTo(Point(-0.5, -3.5), Point(1, 1));
    shape->curveTo(Point(-3.5, -0.5), Point(-0.5, -1.5), Point(-1.5, -0.5), Point(1, 1));
    shape->lineTo(Point(3.5, -0.5), Point(0, 1));
    shape->curveTo(Point(0.5, -3.5), Point(1.5, -0.5), Point(0.5, -1.5), Point(0, 1));
    shape->lineTo(Point(0.5, 3.5), Point(0, 0));
    shape->curveTo(Point(3.5, 0.5), Point(0.5, 1.5), Point(1.5, 0.5), Point(0, 0));
    shape->endPath();
    return shape;
}

void QXBezierButtonDefaults::buildMissing(bool withRightShape) {
    if (!shape)
        shape = QXBezierButtonBuiltInShape();
    if (withRightShape && !shapeRight)
        shapeRight = builtInRightShape();
    if (!normalGradient)
        normalGradient = QXGradient::gradientFromString(std::string_view(kNormalGradient));
    if (!pressedGradient)
        pressedGradient = QXGradient::gradientFromString(std::string_view(kPressedGradient));
    if (!borderColor)
        borderColor = kBuiltInBorder;
    if (!fontColor)
        fontColor = kBuiltInFont;
}

QXBezierContentLayout QXBezierLayoutContent(const platform::ButtonCell& cell,
                                            const platform::Image* image, const Rect& content,
                                            const Rect& title) {
    QXBezierContentLayout layout;
    layout.titleRect = title;
    if (!image || !image->isValid() || cell.imagePosition() == platform::CellImagePosition::NoImage)
        return layout;
    double w = image->size().width, h = image->size().height;
    if (!(w > 0) || !(h > 0))
        return layout;
    const double a = w / h;
    const double kw = content.width(), kh = content.height();
    const auto scaleDown = [&] {
        if (w > kw) {
            w = kw;
            h = kw / a;
        }
        if (h > kh) {
            h = kh;
            w = a * kh;
        }
    };
    switch (cell.imageScaling()) {
    case platform::ImageScaling::ProportionallyUpOrDown:
        if (w < kw) {
            w = kw;
            h = kw / a;
        }
        if (h < kh) {
            h = kh;
            w = a * kh;
        }
        scaleDown();
        break;
    case platform::ImageScaling::ProportionallyDown:
        scaleDown();
        break;
    case platform::ImageScaling::None:
        w = std::min(w, kw);
        h = std::min(h, kh);
        break;
    case platform::ImageScaling::AxesIndependently:
        w = kw;
        h = kh;
        break;
    }

    const double kx = content.minX(), ky = content.minY();
    const double centredX = kx + (kw - w) / 2;
    Rect& t = layout.titleRect;
    switch (cell.imagePosition()) {
    case platform::CellImagePosition::ImageBelow:
        layout.imageRect = Rect(centredX, ky, w, h);
        t.origin.y = ky + h;
        t.size.height = kh - h;
        break;
    case platform::CellImagePosition::ImageAbove:
        layout.imageRect = Rect(centredX, ky + (kh - h), w, h);
        t.size.height = kh - h;
        break;
    case platform::CellImagePosition::ImageLeft:
        layout.imageRect = Rect(kx, ky, w, h);
        t.origin.x = kx + w;
        t.size.width = kw - w;
        break;
    case platform::CellImagePosition::ImageRight:
        layout.imageRect = Rect(kx + (kw - w), ky, w, h);
        t.size.width = kw - w;
        break;
    default: // image only, overlapping
        layout.imageRect = Rect(centredX, ky, w, h);
        break;
    }
    layout.drawsImage = true;
    return layout;
}

Rect QXBezierDrawTitle(const AttributedString& title, const Rect& rect, const Color& fontColor) {
    const double used =
        title.empty() ? 0 : platform::TextLayout(title, rect.width()).usedRect().height();
    Rect titleRect = rect;
    titleRect.origin.y += (rect.height() - used) * 0.5;
    titleRect.size.height = used;
    if (!title.string().empty()) {
        const platform::TextAttributes first = title.attributesAtIndex(0);
        platform::TextAttributes attributes;
        attributes.foregroundColor = fontColor;
        attributes.paragraphStyle = first.paragraphStyle;
        attributes.font = first.font;
        platform::drawInRect(title.string(), titleRect, attributes);
    }
    return titleRect;
}

void QXBezierVeil(const BezierPath& path) {
    // Filling the path with source-atop is what compositing a veil image of the frame with
    // source-atop gives, without an image whose flipping would have to match the view's.
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (!context)
        return;
    platform::GraphicsStateSaver saver;
    context->setCompositingOperation(platform::CompositingOperation::SourceAtop);
    platform::Gradient(Color::colorWithCalibratedWhite(0.6, 0.2),
                       Color::colorWithCalibratedWhite(0.7, 0.2))
        .drawInBezierPath(path, 135);
}

void QXBezierFillTransparent(const BezierPath& path) {
    static const auto gradient =
        QXGradient::gradientFromString(std::string_view(kTransparentGradient));
    gradient->drawInBezierPath(path);
}

QXBezierButtonCell::QXBezierButtonCell() = default;

QXBezierButtonCell::QXBezierButtonCell(std::string title) : QXBezierLookCell(std::move(title)) {}

QXBezierButtonCell::QXBezierButtonCell(std::shared_ptr<platform::Image> image)
    : QXBezierLookCell(std::move(image)) {}

QXBezierButtonCell::QXBezierButtonCell(const platform::ButtonCell& plain)
    : QXBezierLookCell(plain) {}

std::shared_ptr<platform::Cell> QXBezierButtonCell::copy() const {
    return std::make_shared<QXBezierButtonCell>(*this);
}

void QXBezierButtonCell::initialize() {
    ButtonCell::initialize();
    bezierDefaults().buildMissing(false);
    clearLook();
}

void QXBezierLookCell::clearLook() {
    _shape = nullptr;
    _normalState = nullptr;
    _pressedState = nullptr;
    _highlightState = nullptr;
    _border.reset();
    _fontColor.reset();
    _mouseOver = false;
}

void QXBezierLookCell::setShape(std::shared_ptr<QXOutlinePath> shape) {
    _shape = std::move(shape);
    redrawControl();
}

void QXBezierLookCell::setNormalGradient(std::shared_ptr<QXGradient> gradient) {
    _normalState = std::move(gradient);
    redrawControl();
}

void QXBezierLookCell::setPressedGradient(std::shared_ptr<QXGradient> gradient) {
    _pressedState = std::move(gradient);
    redrawControl();
}

void QXBezierLookCell::setHighlightGradient(std::shared_ptr<QXGradient> gradient) {
    _highlightState = std::move(gradient);
}

void QXBezierLookCell::setBorderColor(std::optional<Color> color) {
    _border = color;
    redrawControl();
}

void QXBezierLookCell::setFontColor(std::optional<Color> color) {
    _fontColor = color;
    redrawControl();
}

const QXBezierButtonDefaults& QXBezierButtonCell::defaults() {
    return bezierDefaults();
}

void QXBezierButtonCell::setDefaultShape(std::shared_ptr<QXOutlinePath> shape) {
    bezierDefaults().shape = std::move(shape);
}

void QXBezierButtonCell::setDefaultNormalGradient(std::shared_ptr<QXGradient> gradient) {
    bezierDefaults().normalGradient = std::move(gradient);
}

void QXBezierButtonCell::setDefaultPressedGradient(std::shared_ptr<QXGradient> gradient) {
    bezierDefaults().pressedGradient = std::move(gradient);
}

void QXBezierButtonCell::setDefaultHighlightGradient(std::shared_ptr<QXGradient> gradient) {
    bezierDefaults().highlightGradient = std::move(gradient);
}

void QXBezierButtonCell::setDefaultBorderColor(std::optional<Color> color) {
    bezierDefaults().borderColor = color;
}

void QXBezierButtonCell::setDefaultFontColor(std::optional<Color> color) {
    bezierDefaults().fontColor = color;
}

void QXBezierButtonCell::setDefaultShowBorder(bool flag) {
    bezierDefaults().showBorder = flag;
}

QXOutlinePath* QXBezierLookCell::effectiveShape() const {
    return _shape ? _shape.get() : lookDefaults().shape.get();
}

QXGradient* QXBezierLookCell::effectiveNormalGradient() const {
    return _normalState ? _normalState.get() : lookDefaults().normalGradient.get();
}

QXGradient* QXBezierLookCell::effectivePressedGradient() const {
    return _pressedState ? _pressedState.get() : lookDefaults().pressedGradient.get();
}

Color QXBezierLookCell::effectiveBorderColor() const {
    return _border.value_or(lookDefaults().borderColor.value_or(kBuiltInBorder));
}

Color QXBezierLookCell::effectiveFontColor() const {
    return _fontColor.value_or(lookDefaults().fontColor.value_or(kBuiltInFont));
}

void QXBezierButtonCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    drawInteriorWithFrame(cellFrame, controlView);
}

void QXBezierButtonCell::drawInteriorWithFrame(const Rect& cellFrame, platform::View* controlView) {
    BezierPath path = BezierPath::bezierPathWithRect(cellFrame);
    if (QXOutlinePath* shape = effectiveShape()) {
        shape->setFrame(cellFrame);
        path = shape->bezierPath();
    }
    if (isTransparent()) {
        QXBezierFillTransparent(path);
        return;
    }
    QXGradient* face =
        isHighlighted() && isEnabled() ? effectivePressedGradient() : effectiveNormalGradient();
    if (face)
        face->drawInBezierPath(path);
    if (isBordered() && bezierDefaults().showBorder) {
        platform::GraphicsStateSaver saver;
        effectiveBorderColor().setStroke();
        BezierPath border = path;
        border.setLineWidth(BezierPath::defaultLineWidth());
        border.stroke();
    }

    const Rect content = cellFrame.insetBy(3, 2);
    const std::shared_ptr<platform::Image>& picture =
        isHighlighted() && alternateImage() ? alternateImage() : image();
    const QXBezierContentLayout layout =
        QXBezierLayoutContent(*this, picture.get(), content, content);
    if (layout.drawsImage)
        drawImage(*picture, layout.imageRect, controlView);
    if (imagePosition() != platform::CellImagePosition::ImageOnly)
        drawTitle(attributedTitle(), layout.titleRect, controlView);
    if (!isEnabled())
        QXBezierVeil(path);
}

void QXBezierButtonCell::drawImage(const platform::Image& image, const Rect& frame,
                                   platform::View* /*controlView*/) {
    image.drawInRect(frame, Rect(), platform::CompositingOperation::SourceOver, 1.0, true);
}

Rect QXBezierButtonCell::drawTitle(const AttributedString& title, const Rect& frame,
                                   platform::View* /*controlView*/) {
    return QXBezierDrawTitle(title, frame, effectiveFontColor());
}

void QXBezierButtonCell::mouseEntered(const platform::Event& /*event*/) {
    _mouseOver = true;
}

void QXBezierButtonCell::mouseExited(const platform::Event& /*event*/) {
    _mouseOver = false;
}
