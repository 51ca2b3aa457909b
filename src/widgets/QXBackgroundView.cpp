#include "widgets/QXBackgroundView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ImageView.h"

namespace {

// The part of `source` at (x, y) of the given size as an image of its own, or none when the
// part is empty.
std::shared_ptr<platform::Image> piece(const platform::Image& source, double x, double y,
                                       double width, double height) {
    if (!(width > 0) || !(height > 0)) {
        return nullptr;
    }
    auto part = std::make_shared<platform::Image>(platform::Size(width, height));
    part->lockFocus();
    source.drawInRect(platform::Rect(0, 0, width, height), platform::Rect(x, y, width, height),
                      platform::CompositingOperation::Copy, 1.0);
    part->unlockFocus();
    return part;
}

} // namespace

QXBackgroundView::QXBackgroundView(const platform::Rect& frame) : View(frame) {
    QXBackgroundView::initialize();
}

void QXBackgroundView::initialize() {
    View::initialize();
    _viewGradient = nullptr;
    _viewBorderColor = platform::Color::blackColor();
    _topLeftPoint = platform::Point(5, 10);
    _bottomRightPoint = platform::Point(10, 5);
    _margin = 5;
}

void QXBackgroundView::setViewGradient(std::shared_ptr<QXGradient> gradient) {
    _viewGradient = std::move(gradient);
    setNeedsDisplay(true);
}

void QXBackgroundView::setViewBorderColor(const platform::Color& color) {
    _viewBorderColor = color;
    setNeedsDisplay(true);
}

void QXBackgroundView::setTopLeftPoint(platform::Point point) {
    _topLeftPoint = point;
    setNeedsDisplay(true);
}

void QXBackgroundView::setBottomRightPoint(platform::Point point) {
    _bottomRightPoint = point;
    setNeedsDisplay(true);
}

void QXBackgroundView::setMargin(long margin) {
    _margin = margin;
    setNeedsDisplay(true);
}

void QXBackgroundView::setImage(std::shared_ptr<platform::ImageView> imageView) {
    _image = std::move(imageView);
    setNeedsDisplay(true);
}

void QXBackgroundView::drawRect(const platform::Rect& /*dirtyRect*/) {
    const auto background = _image ? _image->image() : nullptr;
    if (background) {
        // The frame always spans the whole view: fitted into a partly redrawn rectangle, its
        // corners and edges would appear in the middle of the view.
        drawViewAreaWithImage(bounds(), *background);
    } else {
        drawViewArea();
    }
}

void QXBackgroundView::drawViewArea() {
    if (!_viewGradient) {
        return;
    }
    const auto margin = static_cast<double>(_margin);
    const platform::Rect area = bounds().insetBy(margin, margin);
    _viewBorderColor.setFill();
    platform::BezierPath::bezierPathWithRoundedRect(area, 5, 5).fill();
    _viewGradient->drawInBezierPath(
        platform::BezierPath::bezierPathWithRoundedRect(area.insetBy(1, 1), 5, 5));
}

void QXBackgroundView::drawViewAreaWithImage(const platform::Rect& rect,
                                             const platform::Image& sourceImage) {
    const platform::Size size = sourceImage.size();
    const double width = size.width;
    const double height = size.height;
    const double left = _topLeftPoint.x;
    const double top = _topLeftPoint.y;
    const double right = _bottomRightPoint.x;
    const double bottom = _bottomRightPoint.y;
    const double middleWidth = width - left - right;
    const double middleHeight = height - top - bottom;

    const auto topLeft = piece(sourceImage, 0, height - top, left, top);
    const auto topEdge = piece(sourceImage, left, height - top, middleWidth, top);
    const auto topRight = piece(sourceImage, width - right, height - top, right, top);
    const auto leftEdge = piece(sourceImage, 0, bottom, left, middleHeight);
    const auto center = piece(sourceImage, left, bottom, middleWidth, middleHeight);
    const auto rightEdge = piece(sourceImage, width - right, bottom, right, middleHeight);
    const auto bottomLeft = piece(sourceImage, 0, 0, left, bottom);
    const auto bottomEdge = piece(sourceImage, left, 0, middleWidth, bottom);
    const auto bottomRight = piece(sourceImage, width - right, 0, right, bottom);

    // The pieces are placed for this view's own flipping, so the picture stands upright
    // whichever way the view's coordinates run.
    platform::DrawNinePartImage(rect, topLeft.get(), topEdge.get(), topRight.get(), leftEdge.get(),
                                center.get(), rightEdge.get(), bottomLeft.get(), bottomEdge.get(),
                                bottomRight.get(), platform::CompositingOperation::SourceOver, 1.0,
                                isFlipped());
}
