#include "platform/kit/View.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <set>

namespace platform {

namespace {

bool flippedOf(const View* view) {
    return view && view->isFlipped();
}

// A point of `view`'s coordinates in its superview's (or, for a top view, in the base).
Point toSuperview(const View& view, Point p) {
    const Rect frame = view.frame();
    const Point q{p.x - view.bounds().origin.x, p.y - view.bounds().origin.y};
    if (view.isFlipped() == flippedOf(view.superview()))
        return {frame.minX() + q.x, frame.minY() + q.y};
    return {frame.minX() + q.x, frame.maxY() - q.y};
}

Point fromSuperview(const View& view, Point p) {
    const Rect frame = view.frame();
    Point q{p.x - frame.minX(), p.y - frame.minY()};
    if (view.isFlipped() != flippedOf(view.superview()))
        q.y = frame.height() - q.y;
    return {q.x + view.bounds().origin.x, q.y + view.bounds().origin.y};
}

Point toBase(const View* view, Point p) {
    for (; view; view = view->superview())
        p = toSuperview(*view, p);
    return p;
}

Point fromBase(const View* view, Point p) {
    std::vector<const View*> chain;
    for (; view; view = view->superview())
        chain.push_back(view);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        p = fromSuperview(**it, p);
    return p;
}

Rect rectFromCorners(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y)};
}

template <class F> Rect mapRect(const Rect& r, F map) {
    return rectFromCorners(map(r.origin), map(Point(r.maxX(), r.maxY())));
}

// Every view below `view`, and `view` itself, in drawing order.
template <class F> void forEachView(View& view, F f) {
    f(view);
    auto subviews = view.subviews();
    for (const auto& sub : subviews)
        forEachView(*sub, f);
}

} // namespace

View::View(const Rect& frame) : frame_(frame) {}

View::~View() {
    for (const auto& sub : subviews_) {
        sub->superview_ = nullptr;
        if (sub->nextResponder() == this)
            sub->setNextResponder(nullptr);
        if (sub->window_)
            sub->setWindow(nullptr);
    }
    if (window_)
        window_->viewRemovedFromWindow(this);
    for (const auto& area : trackingAreas_)
        area->view_ = nullptr;
}

void View::setFrame(const Rect& frame) {
    setFrameOrigin(frame.origin);
    setFrameSize(frame.size);
}

void View::setFrameOrigin(Point origin) {
    if (frame_.origin == origin)
        return;
    if (superview_)
        superview_->setNeedsDisplayInRect(frame_);
    frame_.origin = origin;
    setNeedsDisplay(true);
    if (window_)
        window_->invalidateTrackingAreas();
}

void View::setFrameSize(Size size) {
    if (frame_.size == size)
        return;
    if (superview_)
        superview_->setNeedsDisplayInRect(frame_);
    const Size old = frame_.size;
    frame_.size = size;
    if (autoresizesSubviews_)
        resizeSubviewsWithOldSize(old);
    setNeedsDisplay(true);
    updateTrackingAreas();
    if (window_)
        window_->invalidateTrackingAreas();
}

void View::setBoundsOrigin(Point origin) {
    if (boundsOrigin_ == origin)
        return;
    boundsOrigin_ = origin;
    setNeedsDisplay(true);
}

void View::setBounds(const Rect& bounds) {
    setBoundsOrigin(bounds.origin);
    setFrameSize(bounds.size);
}

void View::addSubview(std::shared_ptr<View> view) {
    addSubview(std::move(view), WindowOrderingMode::Above, nullptr);
}

void View::addSubview(std::shared_ptr<View> view, WindowOrderingMode place, View* relativeTo) {
    if (!view || view.get() == this)
        return;
    if (view->superview_)
        view->removeFromSuperview();
    view->viewWillMoveToSuperview(this);
    auto position = subviews_.end();
    if (relativeTo) {
        auto it = std::find_if(subviews_.begin(), subviews_.end(),
                               [&](const auto& s) { return s.get() == relativeTo; });
        if (it != subviews_.end())
            position = place == WindowOrderingMode::Below ? it : it + 1;
    } else if (place == WindowOrderingMode::Below) {
        position = subviews_.begin();
    }
    View* raw = view.get();
    subviews_.insert(position, view);
    raw->superview_ = this;
    raw->setNextResponder(this);
    if (raw->window_ != window_)
        raw->setWindow(window_);
    didAddSubview(raw);
    raw->viewDidMoveToSuperview();
    raw->setNeedsDisplay(true);
}

void View::removeFromSuperview() {
    View* superview = superview_;
    if (!superview)
        return;
    auto it = std::find_if(superview->subviews_.begin(), superview->subviews_.end(),
                           [&](const auto& s) { return s.get() == this; });
    if (it == superview->subviews_.end())
        return;
    // The superview's reference keeps this view alive until the end of the call.
    std::shared_ptr<View> keep = *it;
    superview->willRemoveSubview(this);
    superview->setNeedsDisplayInRect(frame_);
    viewWillMoveToSuperview(nullptr);
    if (window_)
        setWindow(nullptr);
    it = std::find_if(superview->subviews_.begin(), superview->subviews_.end(),
                      [&](const auto& s) { return s.get() == this; });
    if (it != superview->subviews_.end())
        superview->subviews_.erase(it);
    superview_ = nullptr;
    if (nextResponder() == superview)
        setNextResponder(nullptr);
    viewDidMoveToSuperview();
}

void View::replaceSubview(View* oldView, std::shared_ptr<View> newView) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(),
                           [&](const auto& s) { return s.get() == oldView; });
    if (it == subviews_.end()) {
        addSubview(std::move(newView));
        return;
    }
    View* above = (it + 1 != subviews_.end()) ? (it + 1)->get() : nullptr;
    oldView->removeFromSuperview();
    if (above)
        addSubview(std::move(newView), WindowOrderingMode::Below, above);
    else
        addSubview(std::move(newView));
}

void View::setSubviews(std::vector<std::shared_ptr<View>> views) {
    auto current = subviews_;
    for (const auto& view : current)
        if (std::find(views.begin(), views.end(), view) == views.end())
            view->removeFromSuperview();
    for (auto& view : views)
        addSubview(view);
}

bool View::isDescendantOf(const View* view) const {
    for (const View* v = this; v; v = v->superview_)
        if (v == view)
            return true;
    return false;
}

View* View::ancestorSharedWithView(const View* view) const {
    for (const View* v = this; v; v = v->superview_)
        if (view && view->isDescendantOf(v))
            return const_cast<View*>(v);
    return nullptr;
}

View* View::viewWithTag(long tag) {
    if (this->tag() == tag)
        return this;
    for (const auto& sub : subviews_)
        if (View* found = sub->viewWithTag(tag))
            return found;
    return nullptr;
}

std::shared_ptr<View> View::sharedView() {
    return weak_from_this().lock();
}

void View::setWindow(Window* window) {
    if (window_ == window)
        return;
    viewWillMoveToWindow(window);
    if (window_)
        window_->viewRemovedFromWindow(this);
    window_ = window;
    for (const auto& area : trackingAreas_)
        area->inside_ = (area->options_ & TrackingAssumeInside) != 0;
    auto subviews = subviews_;
    for (const auto& sub : subviews)
        sub->setWindow(window);
    viewDidMoveToWindow();
    updateTrackingAreas();
    if (window_) {
        dirtyRect_ = {};
        setNeedsDisplay(true);
    }
}

void View::setHidden(bool hidden) {
    if (hidden_ == hidden)
        return;
    if (superview_)
        superview_->setNeedsDisplayInRect(frame_);
    hidden_ = hidden;
    if (window_)
        window_->invalidateTrackingAreas();
    if (hidden) {
        if (window_) {
            if (auto* responder = dynamic_cast<View*>(window_->firstResponder());
                responder && responder->isDescendantOf(this))
                window_->makeFirstResponder(nullptr);
        }
        viewDidHide();
    } else {
        setNeedsDisplay(true);
        forEachView(*this, [this](View& v) {
            if (&v == this || !v.isHiddenOrHasHiddenAncestor())
                v.viewDidUnhide();
        });
    }
}

bool View::isHiddenOrHasHiddenAncestor() const {
    for (const View* v = this; v; v = v->superview_)
        if (v->hidden_)
            return true;
    return false;
}

void View::resizeSubviewsWithOldSize(Size oldSize) {
    auto subviews = subviews_;
    for (const auto& sub : subviews)
        sub->resizeWithOldSuperviewSize(oldSize);
}

// The superview's change of size is shared evenly among the flexible parts of each axis (the
// margin at the small coordinate, the size, the margin at the large one), as the original
// documented it. In a flipped superview the bottom margin is the one at the large y.
void View::resizeWithOldSuperviewSize(Size oldSize) {
    if (!superview_ || autoresizingMask_ == ViewNotSizable)
        return;
    const Size newSize = superview_->frame().size;
    Rect f = frame_;
    const AutoresizingMask m = autoresizingMask_;

    const int xParts = ((m & ViewMinXMargin) ? 1 : 0) + ((m & ViewWidthSizable) ? 1 : 0) +
                       ((m & ViewMaxXMargin) ? 1 : 0);
    if (xParts > 0) {
        const double share = (newSize.width - oldSize.width) / xParts;
        if (m & ViewWidthSizable)
            f.size.width = std::max(0.0, f.size.width + share);
        if (m & ViewMinXMargin)
            f.origin.x += share;
    }
    const int yParts = ((m & ViewMinYMargin) ? 1 : 0) + ((m & ViewHeightSizable) ? 1 : 0) +
                       ((m & ViewMaxYMargin) ? 1 : 0);
    if (yParts > 0) {
        const double share = (newSize.height - oldSize.height) / yParts;
        if (m & ViewHeightSizable)
            f.size.height = std::max(0.0, f.size.height + share);
        const AutoresizingMask movesOrigin =
            superview_->isFlipped() ? ViewMaxYMargin : ViewMinYMargin;
        if (m & movesOrigin)
            f.origin.y += share;
    }
    setFrame(f);
}

void View::setNeedsDisplay(bool flag) {
    if (flag)
        setNeedsDisplayInRect(bounds());
    else
        dirtyRect_ = {};
}

void View::setNeedsDisplayInRect(const Rect& rect) {
    const Rect r = rect.intersection(bounds());
    if (r.isEmpty())
        return;
    dirtyRect_ = dirtyRect_.isEmpty() ? r : dirtyRect_.unionWith(r);
    invalidateInWindow(r);
}

void View::invalidateInWindow(const Rect& rect) {
    if (!window_ || isHiddenOrHasHiddenAncestor())
        return;
    window_->invalidateBaseRect(convertRectToView(rect, nullptr));
}

void View::display() {
    displayRect(bounds());
}

void View::displayRect(const Rect& rect) {
    if (window_)
        window_->displayBaseRect(convertRectToView(rect.intersection(bounds()), nullptr));
}

void View::displayIfNeeded() {
    if (window_ && needsDisplay())
        window_->displayIfNeeded();
}

void View::drawRect(const Rect& /*dirtyRect*/) {}

Rect View::visibleRect() const {
    if (isHiddenOrHasHiddenAncestor())
        return {};
    Rect r = convertRectToView(bounds(), nullptr);
    for (const View* a = superview_; a; a = a->superview_)
        r = r.intersection(a->convertRectToView(a->bounds(), nullptr));
    if (window_)
        r = r.intersection(Rect({}, window_->frame().size));
    if (r.isEmpty())
        return {};
    return convertRectFromView(r, nullptr);
}

void View::setAlphaValue(double alpha) {
    if (alphaValue_ == alpha)
        return;
    alphaValue_ = alpha;
    setNeedsDisplay(true);
}

void View::drawHierarchy(const Rect& dirtyInSuperview) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context || hidden_ || alphaValue_ <= 0)
        return;
    const Rect dirty = dirtyInSuperview.intersection(frame_);
    if (dirty.isEmpty())
        return;
    GraphicsStateSaver saver;
    context->translate(frame_.minX(), frame_.minY());
    if (context->isFlipped() != isFlipped())
        context->flipCoordinates(frame_.height());
    context->translate(-boundsOrigin_.x, -boundsOrigin_.y);
    const Rect local =
        mapRect(dirty, [this](Point p) { return fromSuperview(*this, p); }).intersection(bounds());
    context->clipToRect(local);
    const bool group = alphaValue_ < 1.0;
    if (group)
        cairo_push_group(context->cairo());
    drawRect(local);
    auto subviews = subviews_;
    for (const auto& sub : subviews)
        sub->drawHierarchy(local);
    if (group) {
        cairo_pop_group_to_source(context->cairo());
        cairo_paint_with_alpha(context->cairo(), alphaValue_);
    }
}

View* View::hitTest(Point point) {
    if (hidden_)
        return nullptr;
    if (!platform::mouseInRect(point, frame_, flippedOf(superview_)))
        return nullptr;
    const Point local = fromSuperview(*this, point);
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (View* hit = (*it)->hitTest(local))
            return hit;
    return this;
}

bool View::mouseInRect(Point point, const Rect& rect) const {
    return platform::mouseInRect(point, rect, isFlipped());
}

bool View::performKeyEquivalent(const Event& event) {
    auto subviews = subviews_;
    for (const auto& sub : subviews)
        if (!sub->isHidden() && sub->performKeyEquivalent(event))
            return true;
    return false;
}

Point View::convertPointFromView(Point point, const View* view) const {
    return fromBase(this, toBase(view, point));
}

Point View::convertPointToView(Point point, const View* view) const {
    return fromBase(view, toBase(this, point));
}

Rect View::convertRectFromView(const Rect& rect, const View* view) const {
    return mapRect(rect, [&](Point p) { return convertPointFromView(p, view); });
}

Rect View::convertRectToView(const Rect& rect, const View* view) const {
    return mapRect(rect, [&](Point p) { return convertPointToView(p, view); });
}

Size View::convertSizeFromView(Size size, const View* view) const {
    return convertRectFromView(Rect({}, size), view).size;
}

Size View::convertSizeToView(Size size, const View* view) const {
    return convertRectToView(Rect({}, size), view).size;
}

void View::addTrackingArea(std::shared_ptr<TrackingArea> area) {
    if (!area)
        return;
    area->view_ = this;
    trackingAreas_.push_back(std::move(area));
}

void View::removeTrackingArea(const TrackingArea* area) {
    auto it = std::find_if(trackingAreas_.begin(), trackingAreas_.end(),
                           [&](const auto& a) { return a.get() == area; });
    if (it == trackingAreas_.end())
        return;
    (*it)->view_ = nullptr;
    trackingAreas_.erase(it);
}

void View::addCursorRect(const Rect& rect, Cursor* cursor) {
    if (cursor && !rect.isEmpty())
        cursorRects_.emplace_back(rect, cursor);
}

void View::removeCursorRect(const Rect& rect, Cursor* cursor) {
    std::erase_if(cursorRects_,
                  [&](const auto& r) { return r.first == rect && r.second == cursor; });
}

void View::discardCursorRects() {
    cursorRects_.clear();
}

View* View::nextKeyView() const {
    return nextKeyView_.lock().get();
}

void View::setNextKeyView(View* view) {
    if (View* old = nextKeyView())
        if (old->previousKeyView() == this)
            old->previousKeyView_.reset();
    nextKeyView_ = view ? view->weak_from_this() : std::weak_ptr<View>();
    if (view)
        view->previousKeyView_ = weak_from_this();
}

View* View::previousKeyView() const {
    return previousKeyView_.lock().get();
}

bool View::canBecomeKeyView() const {
    return window_ && acceptsFirstResponder() && !isHiddenOrHasHiddenAncestor();
}

// Loops of key views may close anywhere, not only at the view asked, so each walk stops at the
// first view it meets twice.
View* View::nextValidKeyView() const {
    std::set<const View*> seen{this};
    for (View* v = nextKeyView(); v && seen.insert(v).second; v = v->nextKeyView())
        if (v->canBecomeKeyView())
            return v;
    return nullptr;
}

View* View::previousValidKeyView() const {
    std::set<const View*> seen{this};
    for (View* v = previousKeyView(); v && seen.insert(v).second; v = v->previousKeyView())
        if (v->canBecomeKeyView())
            return v;
    return nullptr;
}

std::string View::description() const {
    return Object::description() + " frame " + stringFromRect(frame_);
}

} // namespace platform
