#include "widgets/QXBaseFrameView.h"

#include "platform/graphics/Compositing.h"
#include "platform/graphics/Image.h"

#include <utility>

using platform::Point;
using platform::Rect;

void QXBaseFrameView::setResize(std::shared_ptr<platform::Image> image, Point pos, Point anchor) {
    _resizeImage = std::move(image);
    _resizePos = pos;
    _resizeAnchor = anchor;
}

void QXBaseFrameView::showResize(bool show) {
    if (_showResize == show)
        return;
    _showResize = show;
    setNeedsDisplayInRect(resizeRect());
}

Rect QXBaseFrameView::resizeRect() const {
    if (!_resizeImage)
        return {};
    const Rect b = bounds();
    const Point corner{_resizeAnchor.x * b.width() + _resizePos.x,
                       _resizeAnchor.y * b.height() + _resizePos.y};
    return Rect(corner, _resizeImage->size());
}

bool QXBaseFrameView::pointInResize(Point point) const {
    if (!_showResize || !_resizeImage)
        return false;
    const Point local = convertPointFromView(point, nullptr);
    return resizeRect().containsPoint(local);
}

void QXBaseFrameView::drawRect(const Rect& /*dirtyRect*/) {
    if (!_resizeImage || !_showResize)
        return;
    _resizeImage->drawAtPoint(resizeRect().origin, platform::ZeroRect,
                              platform::CompositingOperation::SourceOver, 1.0);
}
