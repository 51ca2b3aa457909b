#include "widgets/QXToolWindowFrameView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "widgets/QXBubbleView.h"
#include "widgets/QXGradient.h"

#include <cmath>
#include <utility>

using platform::BezierPath;
using platform::Color;
using platform::CompositingOperation;
using platform::Point;
using platform::Rect;

namespace {

// The bubble view's type for each bubble style (3 to 9).
std::int32_t bubbleTypeForStyle(std::int32_t style) {
    switch (style) {
    case 3:
        return QXBubbleView::freeBubble();
    case 4:
        return QXBubbleView::rightUpBubble();
    case 5:
        return QXBubbleView::rightCenterBubble();
    case 6:
        return QXBubbleView::rightDownBubble();
    case 7:
        return QXBubbleView::leftUpBubble();
    case 8:
        return QXBubbleView::leftCenterBubble();
    default:
        return QXBubbleView::leftDownBubble();
    }
}

bool isBubbleStyle(std::int32_t style) {
    return style >= 3 && style <= 9;
}

} // namespace

QXToolWindowFrameView::QXToolWindowFrameView(const Rect& frame) : QXBaseFrameView(frame) {
    _type = 5;
    _bubbleView = std::make_shared<QXBubbleView>(frame);
    _bubbleView->initialize();
    const Color grey = Color::colorWithCalibratedRed(0.59, 0.59, 0.59, 0.97);
    const Color lighter = Color::colorWithCalibratedRed(0.59, 0.59, 0.59, 0.96);
    _bkgGradient = QXGradient::linearGradientWithAngle(0, {grey, lighter}, {0.0, 1.0});
    updateStyles();
}

QXToolWindowFrameView::~QXToolWindowFrameView() = default;

void QXToolWindowFrameView::setStyle(std::int32_t style) {
    _type = style;
    updateStyles();
    setNeedsDisplay(true);
}

void QXToolWindowFrameView::updateStyles() {
    if (isBubbleStyle(_type))
        _bubbleView->setType(bubbleTypeForStyle(_type));
}

void QXToolWindowFrameView::setBkgGradient(std::shared_ptr<QXGradient> gradient) {
    if (gradient != _bkgGradient)
        _bkgGradient = std::move(gradient);
    // Bubbles are filled from one colour: the gradient's middle.
    if (_bkgGradient)
        _bubbleView->setColor(_bkgGradient->interpolatedColorAtLocation(0.5));
    setNeedsDisplay(true);
}

void QXToolWindowFrameView::setImageBackgroundTop(std::shared_ptr<platform::Image> image) {
    _imageBackgroundTop = std::move(image);
    setNeedsDisplay(true);
}

void QXToolWindowFrameView::setImageBackgroundBottom(std::shared_ptr<platform::Image> image) {
    _imageBackgroundBottom = std::move(image);
    setNeedsDisplay(true);
}

Rect QXToolWindowFrameView::contentRectForFrameRect(const Rect& rect) const {
    switch (_type) {
    case 0:
        return Rect(0, 4, rect.width(), rect.height() - 4);
    case 1:
    case 2:
        return Rect(4, 4, rect.width(), rect.height());
    default:
        if (isBubbleStyle(_type))
            return _bubbleView ? _bubbleView->contentRectForFrameRect(rect) : Rect();
        return rect;
    }
}

Rect QXToolWindowFrameView::frameRectForContentRect(const Rect& rect) const {
    switch (_type) {
    case 0:
        return Rect(rect.minX(), rect.minY() - 4, rect.width(), rect.height() + 4);
    case 1:
    case 2:
        return Rect(rect.minX() - 4, rect.minY() - 4, rect.width(), rect.height());
    default:
        if (isBubbleStyle(_type))
            return _bubbleView ? _bubbleView->frameRectForContentRect(rect) : rect;
        return rect;
    }
}

Point QXToolWindowFrameView::frameAnchorForRect(const Rect& rect) const {
    switch (_type) {
    case 0:
        return {rect.minX(), rect.maxY()};
    case 1:
        return rect.center();
    case 2:
        return {rect.maxX(), rect.maxY()};
    default:
        if (isBubbleStyle(_type))
            return _bubbleView->arrowTipInFrameRect(rect);
        return rect.origin;
    }
}

BezierPath QXToolWindowFrameView::dropdownPathForRect(const Rect& rect) {
    const double w = rect.width();
    const double h = rect.height();
    BezierPath path;
    path.moveToPoint({0, 4});
    path.relativeCurveToPoint({4, -4}, {0, -2}, {2, -4});
    path.relativeLineToPoint({w - 8, 0});
    path.relativeCurveToPoint({4, 4}, {2, 0}, {4, 2});
    path.relativeLineToPoint({0, h - 4});
    path.relativeLineToPoint({-w, 0});
    path.closePath();
    return path;
}

void QXToolWindowFrameView::drawRect(const Rect& dirtyRect) {
    if (_imageBackgroundTop && _imageBackgroundBottom) {
        drawBackgroundRect();
        return;
    }
    if (platform::GraphicsContext* context = platform::GraphicsContext::currentContext()) {
        context->saveGraphicsState();
        context->setFillColor(Color::clearColor());
        context->fillRect(dirtyRect, CompositingOperation::Copy);
        context->restoreGraphicsState();
    }
    switch (_type) {
    case 0:
        if (_bkgGradient)
            _bkgGradient->drawInBezierPath(dropdownPathForRect(frame()));
        break;
    case 1:
    case 2:
        if (_bkgGradient)
            _bkgGradient->drawInBezierPath(BezierPath::bezierPathWithRoundedRect(frame(), 8, 8));
        break;
    default:
        if (isBubbleStyle(_type))
            _bubbleView->drawBubbleInRect(frame());
        break;
    }
    QXBaseFrameView::drawRect(dirtyRect);
}

void QXToolWindowFrameView::drawBackgroundRect() {
    const platform::Image& top = *_imageBackgroundTop;
    const platform::Image& bottom = *_imageBackgroundBottom;
    const Rect f = frame();
    const double tw = top.size().width;
    const double th = top.size().height;
    // The two images overlap by what they exceed the view's height; the top image gives up
    // its lower part.
    const double overlap = std::trunc(bottom.size().height + th - f.height());
    const double topPart = th - overlap;
    const Rect source(0, overlap, tw, topPart);
    top.drawInRect(Rect(0, f.height() - topPart, tw, topPart), source,
                   CompositingOperation::SourceOver, 1.0);

    BezierPath path;
    path.moveToPoint({f.minX(), f.minY() + 8});
    path.relativeLineToPoint({tw, 0});
    path.relativeCurveToPoint({-8, -8}, {0, -4.448}, {-3.552, -8});
    path.relativeLineToPoint({16 - tw, 0});
    path.relativeCurveToPoint({-8, 8}, {-4.448, 0}, {-8, 4.448});
    path.closePath();
    const Color black = Color::blackColor();
    QXGradient::linearGradientWithAngle(0, {black, black}, {0.0, 1.0})->drawInBezierPath(path);

    top.drawInRect(Rect(0, f.height() - th, tw, th), Rect(), CompositingOperation::SourceAtop, 1.0);
    bottom.drawInRect(Rect(0, 0, bottom.size().width, bottom.size().height), Rect(),
                      CompositingOperation::SourceOver, 1.0);
    QXBaseFrameView::drawRect(source);
}
