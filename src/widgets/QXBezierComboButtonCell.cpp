#include "widgets/QXBezierComboButtonCell.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/View.h"

#include <utility>

using platform::AttributedString;
using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

namespace {

QXBezierButtonDefaults& comboDefaults() {
    static QXBezierButtonDefaults defaults;
    return defaults;
}

void strokeWithDefaultWidth(const BezierPath& path) {
    BezierPath line = path;
    line.setLineWidth(BezierPath::defaultLineWidth());
    line.stroke();
}

} // namespace

QXBezierComboButtonCell::QXBezierComboButtonCell() = default;

QXBezierComboButtonCell::QXBezierComboButtonCell(std::string title)
    : QXBezierLookCell(std::move(title)) {}

QXBezierComboButtonCell::QXBezierComboButtonCell(std::shared_ptr<platform::Image> image)
    : QXBezierLookCell(std::move(image)) {}

QXBezierComboButtonCell::QXBezierComboButtonCell(const platform::ButtonCell& plain)
    : QXBezierLookCell(plain) {}

std::shared_ptr<platform::Cell> QXBezierComboButtonCell::copy() const {
    return std::make_shared<QXBezierComboButtonCell>(*this);
}

void QXBezierComboButtonCell::initialize() {
    ButtonCell::initialize();
    comboDefaults().buildMissing(true);
    clearLook();
    _mouseClickedMenu = false;
    _mouseClickedButton = false;
}

const QXBezierButtonDefaults& QXBezierComboButtonCell::defaults() {
    return comboDefaults();
}

void QXBezierComboButtonCell::setDefaultShape(std::shared_ptr<QXOutlinePath> shape) {
    comboDefaults().shape = std::move(shape);
}

void QXBezierComboButtonCell::setDefaultShapeRight(std::shared_ptr<QXOutlinePath> shape) {
    comboDefaults().shapeRight = std::move(shape);
}

void QXBezierComboButtonCell::setDefaultNormalGradient(std::shared_ptr<QXGradient> gradient) {
    comboDefaults().normalGradient = std::move(gradient);
}

void QXBezierComboButtonCell::setDefaultPressedGradient(std::shared_ptr<QXGradient> gradient) {
    comboDefaults().pressedGradient = std::move(gradient);
}

void QXBezierComboButtonCell::setDefaultHighlightGradient(std::shared_ptr<QXGradient> gradient) {
    comboDefaults().highlightGradient = std::move(gradient);
}

void QXBezierComboButtonCell::setDefaultBorderColor(std::optional<Color> color) {
    comboDefaults().borderColor = color;
}

void QXBezierComboButtonCell::setDefaultFontColor(std::optional<Color> color) {
    comboDefaults().fontColor = color;
}

void QXBezierComboButtonCell::setDefaultShowBorder(bool flag) {
    comboDefaults().showBorder = flag;
}

void QXBezierComboButtonCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    drawInteriorWithFrame(cellFrame, controlView);
}

void QXBezierComboButtonCell::drawInteriorWithFrame(const Rect& cellFrame,
                                                    platform::View* controlView) {
    const double fh = cellFrame.height();
    QXOutlinePath separator;
    separator.moveTo(Point(-20.5, 1.0), Point(1, 0));
    separator.lineTo(Point(-20.5, -1.0), Point(1, 1));
    separator.setFrame(cellFrame);
    QXOutlinePath triangle;
    triangle.moveTo(Point(-13.5, fh * 0.5 - 2.0), Point(1, 0));
    triangle.lineTo(Point(-7.5, fh * 0.5 - 2.0), Point(1, 0));
    triangle.lineTo(Point(-10.5, fh * -0.5 + 1.0), Point(1, 1));
    triangle.setFrame(cellFrame);

    BezierPath face = BezierPath::bezierPathWithRect(cellFrame);
    if (QXOutlinePath* shape = effectiveShape()) {
        shape->setFrame(cellFrame);
        face = shape->bezierPath();
    }
    if (isTransparent()) {
        QXBezierFillTransparent(face);
        return;
    }
    QXGradient* faceGradient =
        _mouseClickedButton && isEnabled() ? effectivePressedGradient() : effectiveNormalGradient();
    if (faceGradient)
        faceGradient->drawInBezierPath(face);

    {
        platform::GraphicsStateSaver saver;
        effectiveBorderColor().set();
        if (isBordered() && comboDefaults().showBorder)
            strokeWithDefaultWidth(face);
        strokeWithDefaultWidth(separator.bezierPath());
    }

    if (isEnabled() && comboDefaults().shapeRight) {
        // The held part looks pressed, the other as at rest.
        QXGradient* rightGradient = _mouseClickedMenu     ? effectivePressedGradient()
                                    : _mouseClickedButton ? effectiveNormalGradient()
                                                          : nullptr;
        if (rightGradient) {
            QXOutlinePath& right = *comboDefaults().shapeRight;
            right.setFrame(cellFrame);
            rightGradient->drawInBezierPath(right.bezierPath());
        }
    }

    {
        platform::GraphicsStateSaver saver;
        effectiveFontColor().set();
        strokeWithDefaultWidth(triangle.bezierPath());
        triangle.bezierPath().fill();
    }

    const Rect content = cellFrame.insetBy(3, 2);
    Rect titleRect = content;
    titleRect.size.width -= 20;
    const std::shared_ptr<platform::Image>& picture =
        _mouseClickedButton && alternateImage() ? alternateImage() : image();
    QXBezierContentLayout layout = QXBezierLayoutContent(*this, picture.get(), content, titleRect);
    if (layout.drawsImage)
        drawImage(*picture, layout.imageRect, controlView);
    if (imagePosition() != platform::CellImagePosition::ImageOnly) {
        if (!comboDefaults().showBorder)
            layout.titleRect.origin.x += 2;
        drawTitle(attributedTitle(), layout.titleRect, controlView);
    }
    if (!isEnabled())
        QXBezierVeil(face);
}

void QXBezierComboButtonCell::drawImage(const platform::Image& image, const Rect& frame,
                                        platform::View* /*controlView*/) {
    image.drawInRect(frame, Rect(), platform::CompositingOperation::SourceAtop, 1.0, true);
}

Rect QXBezierComboButtonCell::drawTitle(const AttributedString& title, const Rect& frame,
                                        platform::View* /*controlView*/) {
    return QXBezierDrawTitle(title, frame, effectiveFontColor());
}

void QXBezierComboButtonCell::mouseEntered(const platform::Event& /*event*/) {
    _mouseOver = true;
}

void QXBezierComboButtonCell::mouseExited(const platform::Event& /*event*/) {
    _mouseOver = false;
}
