#include "platform/kit/ClipView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/Window.h"

#include <algorithm>

namespace platform {

ClipView::ClipView(const Rect& frame) : View(frame) {}

void ClipView::setDocumentView(std::shared_ptr<View> view) {
    if (view == documentView_)
        return;
    if (documentView_)
        documentView_->removeFromSuperview();
    documentView_ = std::move(view);
    if (documentView_) {
        addSubview(documentView_);
        View::setBoundsOrigin(constrainScrollPoint(documentView_->frame().origin));
    }
    if (ScrollView* scroll = scrollView())
        scroll->tile();
    setNeedsDisplay(true);
}

void ClipView::willRemoveSubview(View* subview) {
    if (documentView_ && subview == documentView_.get()) {
        documentView_.reset();
        if (ScrollView* scroll = scrollView())
            scroll->reflectScrolledClipView(this);
    }
    View::willRemoveSubview(subview);
}

Rect ClipView::documentRect() const {
    if (!documentView_)
        return bounds();
    Rect doc = documentView_->frame();
    doc.size.width = std::max(doc.width(), bounds().width());
    doc.size.height = std::max(doc.height(), bounds().height());
    return doc;
}

Rect ClipView::documentVisibleRect() const {
    if (!documentView_)
        return {};
    return documentView_->convertRectFromView(bounds().intersection(documentView_->frame()), this);
}

Point ClipView::constrainScrollPoint(Point proposed) const {
    if (!documentView_)
        return proposed;
    const Rect doc = documentView_->frame();
    const Size size = bounds().size;
    const auto clampAxis = [](double value, double min, double docLength, double clipLength) {
        if (docLength <= clipLength)
            return min;
        return std::clamp(value, min, min + docLength - clipLength);
    };
    return {clampAxis(proposed.x, doc.minX(), doc.width(), size.width),
            clampAxis(proposed.y, doc.minY(), doc.height(), size.height)};
}

void ClipView::scrollToPoint(Point newOrigin) {
    setBoundsOrigin(constrainScrollPoint(newOrigin));
}

void ClipView::documentViewFrameDidChange() {
    const Point constrained = constrainScrollPoint(bounds().origin);
    if (constrained != bounds().origin)
        setBoundsOrigin(constrained);
    else if (ScrollView* scroll = scrollView())
        scroll->reflectScrolledClipView(this);
}

void ClipView::setDrawsBackground(bool flag) {
    if (drawsBackground_ == flag)
        return;
    drawsBackground_ = flag;
    setNeedsDisplay(true);
}

void ClipView::setBackgroundColor(const Color& color) {
    backgroundColor_ = color;
    setNeedsDisplay(true);
}

bool ClipView::isFlipped() const {
    return documentView_ && documentView_->isFlipped();
}

void ClipView::drawRect(const Rect& dirtyRect) {
    if (!drawsBackground_)
        return;
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    context->setFillColor(backgroundColor_);
    context->fillRect(dirtyRect);
}

void ClipView::setBoundsOrigin(Point origin) {
    if (origin == bounds().origin)
        return;
    View::setBoundsOrigin(origin);
    // What lies under the pointer and which tracking areas are in sight changed with the scroll.
    if (Window* window = this->window()) {
        window->invalidateTrackingAreas();
        window->invalidateCursorRectsForView(this);
    }
    if (ScrollView* scroll = scrollView())
        scroll->reflectScrolledClipView(this);
}

void ClipView::resizeSubviewsWithOldSize(Size oldSize) {
    View::resizeSubviewsWithOldSize(oldSize);
    documentViewFrameDidChange();
}

ScrollView* ClipView::scrollView() const {
    return dynamic_cast<ScrollView*>(superview());
}

ScrollView* enclosingScrollView(const View& view) {
    for (View* v = view.superview(); v; v = v->superview())
        if (auto* scroll = dynamic_cast<ScrollView*>(v))
            return scroll;
    return nullptr;
}

ClipView* enclosingClipView(const View& view) {
    for (View* v = view.superview(); v; v = v->superview())
        if (auto* clip = dynamic_cast<ClipView*>(v))
            return clip;
    return nullptr;
}

bool scrollRectToVisible(View& view, const Rect& rect) {
    ClipView* clip = enclosingClipView(view);
    if (!clip)
        return false;
    const Rect target = clip->convertRectFromView(rect, &view);
    const Rect visible = clip->bounds();
    const auto axis = [](double origin, double length, double min, double max) {
        // Already in sight, or too big to fit: the nearest edge wins.
        if (min >= origin && max <= origin + length)
            return origin;
        if (max - min > length || min < origin)
            return min;
        return max - length;
    };
    Point origin{axis(visible.minX(), visible.width(), target.minX(), target.maxX()),
                 axis(visible.minY(), visible.height(), target.minY(), target.maxY())};
    origin = clip->constrainScrollPoint(origin);
    if (origin == visible.origin)
        return false;
    clip->scrollToPoint(origin);
    return true;
}

} // namespace platform
