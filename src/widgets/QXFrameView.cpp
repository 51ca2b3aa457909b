#include "widgets/QXFrameView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "widgets/QXBaseWindow.h"
#include "widgets/QXGradient.h"
#include "widgets/QXOutlinePath.h"

#include <utility>

using platform::Rect;

void QXFrameView::setGradient(std::shared_ptr<QXGradient> gradient) {
    if (gradient != _gradient)
        _gradient = std::move(gradient);
    setNeedsDisplay(true);
}

void QXFrameView::setOutlinePath(std::shared_ptr<QXOutlinePath> outlinePath) {
    if (outlinePath != _outlinePath)
        _outlinePath = std::move(outlinePath);
    setNeedsDisplay(true);
}

void QXFrameView::setMarginsLeft(float left, float right, float top, float bottom) {
    _leftMargin = left;
    _rightMargin = right;
    _topMargin = top;
    _bottomMargin = bottom;
    setNeedsDisplay(true);
}

Rect QXFrameView::frameRectForContentRect(const Rect& rect) const {
    return Rect(rect.origin.x, rect.origin.y, rect.width() + _leftMargin + _rightMargin,
                rect.height() + _topMargin + _bottomMargin);
}

Rect QXFrameView::contentRectForFrameRect(const Rect& rect) const {
    return Rect(_leftMargin, _bottomMargin, rect.width() - _leftMargin - _rightMargin,
                rect.height() - _topMargin - _bottomMargin);
}

platform::View* QXFrameView::hitTest(platform::Point point) {
    if (auto* baseWindow = dynamic_cast<QXBaseWindow*>(window()))
        baseWindow->notifyObserverViews();
    return QXBaseFrameView::hitTest(point);
}

void QXFrameView::drawRect(const Rect& dirtyRect) {
    platform::GraphicsContext* context = platform::GraphicsContext::currentContext();
    if (context) {
        context->saveGraphicsState();
        context->setFillColor(platform::Color::clearColor());
        context->fillRect(dirtyRect, platform::CompositingOperation::Copy);
        context->restoreGraphicsState();
    }
    if (_outlinePath)
        _outlinePath->setFrame(bounds());
    if (_gradient) {
        if (_outlinePath)
            _gradient->drawInBezierPath(_outlinePath->bezierPath());
        else
            _gradient->drawInRect(bounds());
    }
    QXBaseFrameView::drawRect(dirtyRect);
}
