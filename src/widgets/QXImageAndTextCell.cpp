#include "widgets/QXImageAndTextCell.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/TextView.h"
#include "platform/kit/View.h"
#include "support/TextExtensions.h"

#include <cmath>

using platform::Rect;
using platform::RectEdge;

namespace {

// The text's height when laid out this wide, to centre it on the row.
constexpr double kMeasureWidth = 1000;
// The gap between the primary image and the image.
constexpr double kBetweenImages = 5;

std::shared_ptr<platform::Image> copyOf(const std::shared_ptr<platform::Image>& image) {
    return image ? image->copy() : nullptr;
}

} // namespace

QXImageAndTextCell::QXImageAndTextCell() {
    setLineBreakMode(platform::LineBreakMode::ByTruncatingTail);
    setSelectable(true);
}

QXImageAndTextCell::QXImageAndTextCell(const platform::Value& spacing) : QXImageAndTextCell() {
    _imageTextSpacing = spacing.intValue();
}

std::shared_ptr<platform::Cell> QXImageAndTextCell::copy() const {
    return std::make_shared<QXImageAndTextCell>(*this);
}

void QXImageAndTextCell::setImage(std::shared_ptr<platform::Image> newImage) {
    if (newImage == image())
        return;
    platform::TextFieldCell::setImage(copyOf(newImage));
}

void QXImageAndTextCell::setPrimaryImage(std::shared_ptr<platform::Image> newImage) {
    if (newImage == imagePrimary)
        return;
    imagePrimary = copyOf(newImage);
    redrawControl();
}

double QXImageAndTextCell::imageWidth() const {
    return image() ? image()->size().width : 0;
}

Rect QXImageAndTextCell::imageRectForBounds(const Rect& bounds) const {
    if (!image())
        return {};
    const platform::Size size = image()->size();
    return {bounds.minX() + _imageTextSpacing,
            bounds.minY() + std::ceil((bounds.height() - size.height) * 0.5), size.width,
            size.height};
}

Rect QXImageAndTextCell::titleRectForBounds(const Rect& bounds) const {
    if (!image())
        return {};
    const double w = image()->size().width;
    const double textHeight =
        OrvantaExtensions::heightForWidth(attributedStringValue(), kMeasureWidth);
    return {bounds.minX() + w + _imageTextSpacing,
            bounds.minY() + bounds.height() * 0.5 - 0.5 * textHeight,
            bounds.width() - w - _imageTextSpacing, bounds.height()};
}

// The platform's measure is taken on a plain copy, whose title rectangle is the platform's.
platform::Size QXImageAndTextCell::cellSizeForBounds(const Rect& bounds) const {
    platform::Size size = platform::TextFieldCell(*this).cellSizeForBounds(bounds);
    const double primaryWidth = imagePrimary ? imagePrimary->size().width : 0;
    size.width += (_imageTextSpacing + primaryWidth) + (_imageTextSpacing + imageWidth());
    return size;
}

void QXImageAndTextCell::drawWithFrame(const Rect& cellFrame, platform::View* controlView) {
    if (!image())
        if (auto* source = dynamic_cast<QXImageAndTextCell*>(objectValue().object().get()))
            setImage(source->image());
    const bool flipped = controlView && controlView->isFlipped();
    const auto imageOrigin = [&](const Rect& slice, const Rect& frame, double imageHeight) {
        const double y = flipped ? slice.minY() + std::ceil((frame.height() + imageHeight) * 0.5)
                                 : slice.minY() + std::ceil((frame.height() - imageHeight) * 0.5);
        return platform::Point{slice.minX(), y};
    };
    Rect frame = cellFrame;
    if (imagePrimary) {
        const platform::Size size = imagePrimary->size();
        auto [slice, rest] = frame.divide(size.width + _imageTextSpacing, RectEdge::MinX);
        frame = rest;
        if (drawsBackground())
            if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
                context->setFillColor(backgroundColor());
                context->fillRect(slice);
            }
        platform::Point at = imageOrigin(slice, frame, size.height);
        at.x += _imageTextSpacing;
        imagePrimary->compositeToPoint(at, platform::CompositingOperation::SourceOver);
    }
    if (const std::shared_ptr<platform::Image>& picture = image()) {
        const platform::Size size = picture->size();
        auto [slice, rest] = frame.divide(size.width + _imageTextSpacing, RectEdge::MinX);
        frame = rest;
        if (drawsBackground())
            if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
                context->setFillColor(backgroundColor());
                context->fillRect(slice);
            }
        platform::Point at = imageOrigin(slice, frame, size.height);
        if (imagePrimary)
            at.x += kBetweenImages;
        picture->compositeToPoint(at, platform::CompositingOperation::SourceOver);
    }
    platform::TextFieldCell::drawWithFrame(frame, controlView);
}

void QXImageAndTextCell::drawInteriorWithFrame(const Rect& cellFrame,
                                               platform::View* /*controlView*/) {
    const platform::AttributedString text = attributedStringValue();
    const Rect titleRect = titleRectForBounds(cellFrame);
    if (text.empty() || titleRect.isEmpty())
        return;
    text.drawInRect(titleRect);
}

platform::CellHitResult QXImageAndTextCell::hitTestForEvent(const platform::Event& event,
                                                            const Rect& cellFrame,
                                                            platform::View* controlView) {
    if (image() && controlView) {
        const platform::Size size = image()->size();
        Rect slice = cellFrame.divide(size.width + _imageTextSpacing, RectEdge::MinX).first;
        slice.size = size;
        const platform::Point p =
            controlView->convertPointFromView(event.locationInWindow(), nullptr);
        if (controlView->mouseInRect(p, slice))
            return platform::CellHitContentArea;
    }
    return platform::TextFieldCell::hitTestForEvent(event, cellFrame, controlView);
}

Rect QXImageAndTextCell::editingFrame(const Rect& frame) const {
    return frame.divide(imageWidth() + _imageTextSpacing, RectEdge::MinX).second;
}

// The platform places the editor over the title rectangle, which here depends on the image;
// the editor goes over the platform's title rectangle of what is left instead.
void QXImageAndTextCell::editWithFrame(const Rect& frame, platform::View* controlView,
                                       platform::TextView& editor,
                                       platform::TextViewDelegate* delegate,
                                       const platform::Event* event) {
    // The platform's editing selects through selectWithFrame, which cuts the slice once.
    const bool wasCut = _frameCut;
    _frameCut = true;
    platform::TextFieldCell::editWithFrame(wasCut ? frame : editingFrame(frame), controlView,
                                           editor, delegate, event);
    _frameCut = wasCut;
}

void QXImageAndTextCell::selectWithFrame(const Rect& frame, platform::View* controlView,
                                         platform::TextView& editor,
                                         platform::TextViewDelegate* delegate,
                                         std::size_t selectionStart, std::size_t selectionLength) {
    const Rect rest = _frameCut ? frame : editingFrame(frame);
    platform::TextFieldCell::selectWithFrame(rest, controlView, editor, delegate, selectionStart,
                                             selectionLength);
    if (controlView)
        editor.setFrame(platform::TextFieldCell::titleRectForBounds(rest));
}
