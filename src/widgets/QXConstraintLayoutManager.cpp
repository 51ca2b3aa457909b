#include "widgets/QXConstraintLayoutManager.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

using platform::Rect;
using platform::View;
using Attribute = QXViewConstraint::Attribute;

namespace {

// One axis of a frame: its origin and its length.
struct Span {
    double origin;
    double length;
};

// Edge or centre 1 (min), 2 (mid) or 3 (max) of a span.
double spanValue(Span span, int which) {
    switch (which) {
    case 1:
        return span.origin;
    case 2:
        return span.origin + span.length / 2;
    default:
        return span.origin + span.length;
    }
}

// Puts edge or centre `which` of the span at `target`; with a kept edge or centre, the span is
// stretched so that the kept one stays where it was.
Span moveSpan(Span span, int which, double target, int kept) {
    const double min0 = span.origin;
    const double mid0 = span.origin + span.length / 2;
    const double max0 = span.origin + span.length;
    switch (kept == which ? 0 : kept) {
    case 1:
        return {min0, which == 2 ? 2 * (target - min0) : target - min0};
    case 2:
        if (which == 1)
            return {target, 2 * (mid0 - target)};
        return {2 * mid0 - target, 2 * (target - mid0)};
    case 3:
        if (which == 1)
            return {target, max0 - target};
        return {2 * target - max0, 2 * (max0 - target)};
    default:
        return {target - (which == 2   ? span.length / 2
                          : which == 3 ? span.length
                                       : 0),
                span.length};
    }
}

// The attribute of the same axis to keep while `attr` changes: the view's constraint for it
// decides. Width never keeps.
Attribute keptAttribute(const ViewContainer& container, Attribute attr) {
    auto pick = [&container](Attribute first, Attribute second) -> Attribute {
        if (container.constraint(first))
            return first;
        if (container.constraint(second))
            return second;
        return 0;
    };
    switch (attr) {
    case QXViewConstraint::MinX:
        return pick(QXViewConstraint::MaxX, QXViewConstraint::MidX);
    case QXViewConstraint::MidX:
        return pick(QXViewConstraint::MinX, QXViewConstraint::MaxX);
    case QXViewConstraint::MaxX:
        return pick(QXViewConstraint::MinX, QXViewConstraint::MidX);
    case QXViewConstraint::MinY:
        return pick(QXViewConstraint::MaxY, QXViewConstraint::MidY);
    case QXViewConstraint::MidY:
        return pick(QXViewConstraint::MinY, QXViewConstraint::MaxY);
    case QXViewConstraint::MaxY:
        return pick(QXViewConstraint::MinY, QXViewConstraint::MidY);
    default:
        return 0;
    }
}

bool contains(const std::vector<const View*>& stack, const View* view) {
    return std::find(stack.begin(), stack.end(), view) != stack.end();
}

} // namespace

QXViewConstraint::QXViewConstraint(Attribute attr, std::shared_ptr<View> srcView, Attribute srcAttr,
                                   double offset)
    : _srcView(std::move(srcView)), _offset(offset), _srcAttr(srcAttr), _attr(attr) {}

QXViewConstraint QXViewConstraint::constraintWithAttribute(Attribute attr,
                                                           std::shared_ptr<View> srcView,
                                                           Attribute srcAttr, double offset) {
    return QXViewConstraint(attr, std::move(srcView), srcAttr, offset);
}

ViewContainer::ViewContainer(std::shared_ptr<View> view) : _view(std::move(view)) {}

const QXViewConstraint* ViewContainer::constraint(Attribute attr) const {
    const auto found = _constraints.find(attr);
    return found == _constraints.end() ? nullptr : &found->second;
}

void ViewContainer::setConstraint(const QXViewConstraint& constraint) {
    _constraints.insert_or_assign(constraint.attr(), constraint);
}

QXViewConstraintLayoutManager::QXViewConstraintLayoutManager() {
    _views.reserve(15);
    _placedViews.reserve(15);
    _stack.reserve(15);
}

void QXViewConstraintLayoutManager::addConstraint(const QXViewConstraint& constraint,
                                                  std::shared_ptr<View> view) {
    if (!view)
        return;
    ViewContainer* container = findContainer(view.get());
    if (!container) {
        _views.push_back(std::make_unique<ViewContainer>(std::move(view)));
        container = _views.back().get();
    }
    container->setConstraint(constraint);
}

void QXViewConstraintLayoutManager::resetConstraintsForView(const View* view) {
    const auto found = std::find_if(_views.begin(), _views.end(),
                                    [view](const auto& entry) { return entry->view() == view; });
    if (found != _views.end())
        _views.erase(found);
}

ViewContainer* QXViewConstraintLayoutManager::findContainer(const View* view) const {
    for (const auto& container : _views) {
        if (container->view() == view)
            return container.get();
    }
    return nullptr;
}

void QXViewConstraintLayoutManager::layout() {
    _placedViews.clear();
    _stack.clear();
    for (const auto& container : _views) {
        if (!container->view()->isHidden())
            placeView(*container->view());
    }
    _placedViews.clear();
    _stack.clear();
    for (const auto& container : _views) {
        View& view = *container->view();
        std::string toolTip = view.toolTip();
        view.removeAllToolTips();
        view.setToolTip(std::move(toolTip));
    }
}

void QXViewConstraintLayoutManager::placeView(View& view) {
    _stack.push_back(&view);
    // The superview is the fixed frame of reference, never placed itself.
    if (view.superview())
        _placedViews.insert(view.superview());
    calculatePlacement(view);
    _stack.pop_back();
    _placedViews.insert(&view);
}

void QXViewConstraintLayoutManager::calculatePlacement(View& view) {
    // Width last: it reads the view's final x.
    static constexpr Attribute order[] = {QXViewConstraint::MinX, QXViewConstraint::MaxX,
                                          QXViewConstraint::MidX, QXViewConstraint::MinY,
                                          QXViewConstraint::MaxY, QXViewConstraint::MidY,
                                          QXViewConstraint::Width};
    for (Attribute attr : order)
        calculateConstraintOfView(view, attr);
}

void QXViewConstraintLayoutManager::calculateConstraintOfView(View& view, Attribute attr) {
    const ViewContainer* container = findContainer(&view);
    if (!container)
        return;
    const QXViewConstraint* constraint = container->constraint(attr);
    if (!constraint)
        return;
    const QXViewConstraint* link = nullptr;
    View* source = resolveSource(attr, view, &link);
    // Hidden sources that lead to the superview: the view takes the place of the last of them,
    // with that one's edge and offset (the margin of a row's first button).
    if (link && (!source || source == view.superview()))
        constraint = link;
    if (source == view.superview())
        source = nullptr;
    if (source) {
        // A source waiting on the stack is waiting for this very placement: skip the cycle.
        if (contains(_stack, source))
            return;
        if (!_placedViews.contains(source))
            placeView(*source);
    }
    changeAttribute(attr, view, source, constraint->srcAttr(), constraint->offset(),
                    keptAttribute(*container, attr));
}

View* QXViewConstraintLayoutManager::sourceViewForAttribute(Attribute attr,
                                                            const View& view) const {
    return resolveSource(attr, view, nullptr);
}

View* QXViewConstraintLayoutManager::resolveSource(Attribute attr, const View& view,
                                                   const QXViewConstraint** lastLink) const {
    const ViewContainer* container = findContainer(&view);
    const QXViewConstraint* constraint = container ? container->constraint(attr) : nullptr;
    if (lastLink)
        *lastLink = nullptr;
    if (!constraint)
        return nullptr;
    // Hidden sources whose constraints lead round in a circle would be followed for ever; such
    // a chain has no visible source, so the superview is the reference.
    std::vector<const View*> visited;
    View* source = constraint->srcView();
    while (source && source->isHidden()) {
        if (contains(visited, source)) {
            if (lastLink)
                *lastLink = nullptr;
            return nullptr;
        }
        visited.push_back(source);
        const ViewContainer* sourceContainer = findContainer(source);
        if (!sourceContainer)
            return source;
        const QXViewConstraint* next = sourceContainer->constraint(attr);
        if (!next)
            return nullptr;
        if (lastLink)
            *lastLink = next;
        source = next->srcView();
    }
    return source;
}

void QXViewConstraintLayoutManager::changeAttribute(Attribute attr, View& view,
                                                    const View* relativeTo, Attribute srcAttr,
                                                    double offset, Attribute keep) {
    Rect reference;
    if (relativeTo) {
        reference = relativeTo->frame();
    } else {
        if (view.superview())
            reference = {0, 0, view.superview()->frame().width(),
                         view.superview()->frame().height()};
        srcAttr = attr;
    }
    Rect frame = view.frame();

    if (attr >= QXViewConstraint::MinX && attr <= QXViewConstraint::MaxX) {
        const Span span{frame.origin.x, frame.size.width};
        // A source attribute of the other axis gives no target: the view's own x, as it is.
        const double target =
            srcAttr >= QXViewConstraint::MinX && srcAttr <= QXViewConstraint::MaxX
                ? spanValue({reference.origin.x, reference.size.width}, srcAttr) + offset
                : frame.origin.x;
        const Span moved = moveSpan(span, attr, target, keep);
        frame.origin.x = moved.origin;
        frame.size.width = moved.length;
    } else if (attr >= QXViewConstraint::MinY && attr <= QXViewConstraint::MaxY) {
        const Span span{frame.origin.y, frame.size.height};
        const double target =
            srcAttr >= QXViewConstraint::MinY && srcAttr <= QXViewConstraint::MaxY
                ? spanValue({reference.origin.y, reference.size.height}, srcAttr - 4) + offset
                : frame.origin.y;
        const Span moved = moveSpan(span, attr - 4, target, keep ? keep - 4 : 0);
        frame.origin.y = moved.origin;
        frame.size.height = moved.length;
    } else if (attr == QXViewConstraint::Width) {
        frame.size.width =
            reference.size.width - std::abs(frame.origin.x - reference.origin.x) - offset;
    } else {
        return;
    }
    view.setFrame(frame);
}
