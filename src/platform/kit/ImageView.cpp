#include "platform/kit/ImageView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace platform {

ImageCell::ImageCell() {
    setType(CellType::Image);
}

void ImageCell::setImageAlignment(ImageAlignment alignment) {
    alignment_ = alignment;
    redrawControl();
}

void ImageCell::setImageScaling(ImageScaling scaling) {
    scaling_ = scaling;
    redrawControl();
}

void ImageCell::setImageFrameStyle(ImageFrameStyle style) {
    frameStyle_ = style;
    redrawControl();
}

Rect ImageCell::drawingRectForBounds(const Rect& bounds) const {
    switch (frameStyle_) {
    case ImageFrameStyle::None:
        return bounds;
    case ImageFrameStyle::Photo:
        return bounds.insetBy(2, 2);
    default:
        return bounds.insetBy(3, 3);
    }
}

Size ImageCell::cellSizeForBounds(const Rect& /*bounds*/) const {
    const Size size = image() ? image()->size() : ZeroSize;
    const Rect probe{0, 0, 100, 100};
    const Rect inner = drawingRectForBounds(probe);
    return {size.width + probe.width() - inner.width(),
            size.height + probe.height() - inner.height()};
}

void ImageCell::drawWithFrame(const Rect& cellFrame, View* controlView) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (context && frameStyle_ != ImageFrameStyle::None) {
        GraphicsStateSaver saver;
        context->setFillColor(frameStyle_ == ImageFrameStyle::Photo
                                  ? Color::blackColor()
                                  : Color::colorWithCalibratedWhite(0.6, 1));
        FrameRect(cellFrame);
        if (frameStyle_ == ImageFrameStyle::Groove || frameStyle_ == ImageFrameStyle::GrayBezel) {
            context->setFillColor(Color::whiteColor());
            FrameRect(cellFrame.insetBy(1, 1));
        }
    }
    drawInteriorWithFrame(cellFrame, controlView);
}

void ImageCell::drawInteriorWithFrame(const Rect& cellFrame, View* controlView) {
    if (!image())
        return;
    const bool flipped = controlView && controlView->isFlipped();
    const Rect r = rectForImageInFrame(image()->size(), drawingRectForBounds(cellFrame), scaling_,
                                       alignment_, flipped);
    image()->drawInRect(r, ZeroRect, CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.5,
                        true);
}

ImageView::ImageView(const Rect& frame) : Control(frame) {
    setCell(std::make_shared<ImageCell>());
}

ImageCell* ImageView::imageCell() const {
    return dynamic_cast<ImageCell*>(cell());
}

std::shared_ptr<Image> ImageView::image() const {
    return cell()->image();
}

void ImageView::setImage(std::shared_ptr<Image> image) {
    cell()->setImage(std::move(image));
    setNeedsDisplay(true);
}

ImageAlignment ImageView::imageAlignment() const {
    return imageCell() ? imageCell()->imageAlignment() : ImageAlignment::Center;
}

void ImageView::setImageAlignment(ImageAlignment alignment) {
    if (ImageCell* c = imageCell())
        c->setImageAlignment(alignment);
    setNeedsDisplay(true);
}

ImageScaling ImageView::imageScaling() const {
    return imageCell() ? imageCell()->imageScaling() : ImageScaling::ProportionallyDown;
}

void ImageView::setImageScaling(ImageScaling scaling) {
    if (ImageCell* c = imageCell())
        c->setImageScaling(scaling);
    setNeedsDisplay(true);
}

ImageFrameStyle ImageView::imageFrameStyle() const {
    return imageCell() ? imageCell()->imageFrameStyle() : ImageFrameStyle::None;
}

void ImageView::setImageFrameStyle(ImageFrameStyle style) {
    if (ImageCell* c = imageCell())
        c->setImageFrameStyle(style);
    setNeedsDisplay(true);
}

void ImageView::mouseDown(const Event& event) {
    View::mouseDown(event);
}
void ImageView::mouseDragged(const Event& event) {
    View::mouseDragged(event);
}
void ImageView::mouseUp(const Event& event) {
    View::mouseUp(event);
}

} // namespace platform
