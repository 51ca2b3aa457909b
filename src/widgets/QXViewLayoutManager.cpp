#include "widgets/QXViewLayoutManager.h"

#include <algorithm>
#include <cmath>
#include <utility>

using platform::Rect;
using platform::Size;
using platform::View;

namespace {

bool hasMask(const View& view, platform::AutoresizingMask bit) {
    return (view.autoresizingMask() & bit) != 0;
}

// The upper limit wins over the lower one when they disagree, then the lower one applies, so an
// inconsistent pair still gives one answer.
double clampTo(double value, double lower, double upper) {
    return std::max(lower, std::min(value, upper));
}

// The comparators need not be a strict weak ordering for every set of frames, which std::sort
// does not tolerate; a stable insertion sort gives a defined order for any answers (and the
// lists are a handful of controls).
template <class Compare> void sortControls(LayoutView::Controls& controls, Compare compare) {
    for (std::size_t i = 1; i < controls.size(); ++i) {
        for (std::size_t j = i; j > 0 && compare(*controls[j], *controls[j - 1]) < 0; --j)
            std::swap(controls[j], controls[j - 1]);
    }
}

bool overlapsHorizontally(const Rect& a, const Rect& b) {
    return b.maxX() > a.minX() && a.maxX() > b.minX();
}

bool overlapsVertically(const Rect& a, const Rect& b) {
    return b.maxY() > a.minY() && a.maxY() > b.minY();
}

// The first visible control from `control` on, following `next`.
template <class Next> const ControlLayout* firstVisible(const ControlLayout* control, Next next) {
    while (control && control->view()->isHidden())
        control = next(*control);
    return control;
}

} // namespace

ControlLayout::ControlLayout(std::shared_ptr<View> view) : _myself(std::move(view)) {}

int ControlLayout::sortTopDown(const ControlLayout& other) const {
    const Rect k = _myself->frame();
    const Rect o = other._myself->frame();
    if (k.containsRect(o))
        return 0;
    if (k.minX() > o.maxX())
        return 1;
    if (k.maxX() <= o.minX())
        return -1;
    return o.minY() >= k.maxY() ? 1 : -1;
}

int ControlLayout::sortLeftToRight(const ControlLayout& other) const {
    const Rect k = _myself->frame();
    const Rect o = other._myself->frame();
    if (k.containsRect(o))
        return 0;
    if (k.minX() > o.maxX() && o.maxY() >= k.minY())
        return 1;
    return o.minY() > k.maxY() ? 1 : -1;
}

LayoutView::LayoutView(std::shared_ptr<View> view)
    : _view(std::move(view)), _minSize(_view->frame().size), _maxSize(_view->frame().size) {}

QXViewLayoutManager::QXViewLayoutManager() {
    _layoutViews.reserve(5);
}

void QXViewLayoutManager::addView(std::shared_ptr<View> view, Size minSize, Size maxSize) {
    if (!view)
        return;
    LayoutView* layoutView = findView(view.get());
    if (!layoutView) {
        _layoutViews.push_back(std::make_unique<LayoutView>(std::move(view)));
        layoutView = _layoutViews.back().get();
    }
    layoutView->setMaximumSize(maxSize);
    layoutView->setMinimumSize(minSize);
}

void QXViewLayoutManager::removeView(const View* view) {
    const auto found = std::find_if(_layoutViews.begin(), _layoutViews.end(),
                                    [view](const auto& entry) { return entry->view() == view; });
    if (found != _layoutViews.end())
        _layoutViews.erase(found);
}

void QXViewLayoutManager::setMinimumSize(Size size, const View* view) {
    if (LayoutView* layoutView = findView(view))
        layoutView->setMinimumSize(size);
}

void QXViewLayoutManager::setMaximumSize(Size size, const View* view) {
    if (LayoutView* layoutView = findView(view))
        layoutView->setMaximumSize(size);
}

void QXViewLayoutManager::setRequiredSize(Size size, const View* view) {
    setMinimumSize(size, view);
    setMaximumSize(size, view);
}

LayoutView* QXViewLayoutManager::findView(const View* view) const {
    for (const auto& layoutView : _layoutViews) {
        if (layoutView->view() == view)
            return layoutView.get();
    }
    return nullptr;
}

void QXViewLayoutManager::registerViewForVerticalLayout(const View* view) {
    registerView(view, true);
}

void QXViewLayoutManager::registerViewForHorizontalLayout(const View* view) {
    registerView(view, false);
}

void QXViewLayoutManager::registerView(const View* view, bool topDown) {
    LayoutView* layoutView = findView(view);
    if (!layoutView)
        return;
    LayoutView::Controls controls;
    controls.reserve(view->subviews().size());
    for (const auto& subview : view->subviews())
        controls.push_back(std::make_unique<ControlLayout>(subview));
    // The neighbours are found in subview order (ties keep the first), before sorting.
    createNeighbours(controls);
    if (topDown)
        sortControls(controls, [](const ControlLayout& k, const ControlLayout& o) {
            return k.sortTopDown(o);
        });
    else
        sortControls(controls, [](const ControlLayout& k, const ControlLayout& o) {
            return k.sortLeftToRight(o);
        });
    layoutView->setControls(std::move(controls));
    layoutView->setTopDown(topDown);
}

void QXViewLayoutManager::createNeighbours(const LayoutView::Controls& controls) {
    for (const auto& entry : controls) {
        ControlLayout& control = *entry;
        const View& view = *control.view();
        const Rect f = view.frame();
        const Size container = view.superview() ? view.superview()->frame().size : Size();

        if (hasMask(view, platform::ViewMaxYMargin)) {
            if (ControlLayout* top = findTopNeighbourToView(control, controls)) {
                control.setTopSpace(top->view()->frame().minY() - f.maxY());
                control.setTopNeighbour(top);
            }
        } else {
            control.setTopSpace(container.height - f.maxY());
        }

        if (hasMask(view, platform::ViewMinXMargin)) {
            if (ControlLayout* left = findLeftNeighbourToView(control, controls)) {
                control.setLeftSpace(f.minX() - left->view()->frame().maxX());
                control.setLeftNeighbour(left);
            }
        } else {
            control.setLeftSpace(f.minX());
        }

        if (hasMask(view, platform::ViewMaxXMargin)) {
            if (ControlLayout* right = findRightNeighbourToView(control, controls)) {
                control.setRightSpace(right->view()->frame().minX() - f.maxX());
                control.setRightNeighbour(right);
            }
        } else {
            control.setRightSpace(container.width - f.maxX());
        }

        if (hasMask(view, platform::ViewMinYMargin)) {
            if (ControlLayout* bottom = findBottomNeighbourToView(control, controls)) {
                control.setBottomSpace(f.minY() - bottom->view()->frame().maxY());
                control.setBottomNeighbour(bottom);
            }
        } else {
            control.setBottomSpace(f.minY());
        }
    }
}

ControlLayout* QXViewLayoutManager::findTopNeighbourToView(const ControlLayout& control,
                                                           const LayoutView::Controls& controls) {
    const Rect k = control.view()->frame();
    ControlLayout* best = nullptr;
    for (const auto& other : controls) {
        const Rect o = other->view()->frame();
        if (overlapsHorizontally(k, o) && o.minY() > k.maxY() &&
            (!best || o.minY() < best->view()->frame().minY()))
            best = other.get();
    }
    return best;
}

ControlLayout*
QXViewLayoutManager::findBottomNeighbourToView(const ControlLayout& control,
                                               const LayoutView::Controls& controls) {
    const Rect k = control.view()->frame();
    ControlLayout* best = nullptr;
    for (const auto& other : controls) {
        const Rect o = other->view()->frame();
        if (overlapsHorizontally(k, o) && k.minY() > o.maxY() &&
            (!best || o.maxY() > best->view()->frame().maxY()))
            best = other.get();
    }
    return best;
}

ControlLayout* QXViewLayoutManager::findLeftNeighbourToView(const ControlLayout& control,
                                                            const LayoutView::Controls& controls) {
    const Rect k = control.view()->frame();
    ControlLayout* best = nullptr;
    for (const auto& other : controls) {
        const Rect o = other->view()->frame();
        if (overlapsVertically(k, o) && k.minX() > o.maxX() &&
            (!best || o.maxX() > best->view()->frame().maxX()))
            best = other.get();
    }
    return best;
}

ControlLayout* QXViewLayoutManager::findRightNeighbourToView(const ControlLayout& control,
                                                             const LayoutView::Controls& controls) {
    const Rect k = control.view()->frame();
    ControlLayout* best = nullptr;
    for (const auto& other : controls) {
        const Rect o = other->view()->frame();
        if (overlapsVertically(k, o) && o.minX() > k.maxX() &&
            (!best || o.minX() < best->view()->frame().minX()))
            best = other.get();
    }
    return best;
}

// Neighbours lie strictly to one side, so the recursion through them always ends.
void QXViewLayoutManager::placeControl(ControlLayout& control, const Rect& frame) {
    if (control.placed())
        return;
    View& view = *control.view();
    const Size size = view.frame().size;
    const double w = size.width;
    const double h = size.height;

    double x = 0;
    if (!hasMask(view, platform::ViewMinXMargin)) {
        x = control.leftSpace();
    } else if (!hasMask(view, platform::ViewMaxXMargin)) {
        x = frame.width() - control.rightSpace() - w;
    } else {
        if (control.leftNeighbour())
            placeControl(*control.leftNeighbour(), frame);
        const ControlLayout* visible = firstVisible(
            control.leftNeighbour(), [](const ControlLayout& c) { return c.leftNeighbour(); });
        x = visible ? visible->view()->frame().maxX() + control.leftSpace() : control.leftSpace();
    }

    double y = 0;
    if (!hasMask(view, platform::ViewMinYMargin)) {
        y = control.bottomSpace();
    } else if (!hasMask(view, platform::ViewMaxYMargin)) {
        y = frame.height() - control.topSpace() - h;
    } else {
        if (control.topNeighbour())
            placeControl(*control.topNeighbour(), frame);
        const ControlLayout* visible = firstVisible(
            control.topNeighbour(), [](const ControlLayout& c) { return c.topNeighbour(); });
        y = visible ? visible->view()->frame().minY() - control.topSpace() - h
                    : control.bottomSpace();
    }

    // The gap above a control always fits, even when that pushes it out at the bottom.
    if (frame.height() < y + h + control.topSpace())
        y = frame.height() - h - control.topSpace();

    view.setFrame({x, y, w, h});
    control.setPlaced(true);
}

void QXViewLayoutManager::layoutView(const View* view) {
    LayoutView* layoutView = findView(view);
    if (!layoutView)
        return;
    for (const auto& control : layoutView->controls())
        control->setPlaced(false);
    const Rect frame = view->frame();
    for (const auto& control : layoutView->controls()) {
        if (!control->view()->isHidden())
            placeControl(*control, frame);
    }
}

Size QXViewLayoutManager::minimumSizeOfView(const View* view) {
    LayoutView* layoutView = findView(view);
    if (!layoutView)
        return {};
    const auto& controls = layoutView->controls();

    double minW = 0;
    for (const auto& control : controls) {
        control->setPlaced(false);
        minW = std::max(minW, control->leftSpace() + control->view()->frame().width() +
                                  control->rightSpace());
    }
    // In a frame of no height, controls pinned to the top land below zero; the minimum height
    // is what lifts every one of them above its bottom gap.
    const Rect probe{0, 0, minW, 0};
    for (const auto& control : controls)
        placeControl(*control, probe);

    double minH = 0;
    for (const auto& control : controls) {
        if (control->view()->isHidden())
            continue;
        const Rect f = control->view()->frame();
        minW = std::max(minW, f.maxX() + control->rightSpace());
        if (f.minY() + minH - control->bottomSpace() < 0)
            minH = control->bottomSpace() - f.minY();
    }
    return {minW, minH};
}

Size QXViewLayoutManager::calculateRequiredSize() const {
    Size total;
    for (const auto& layoutView : _layoutViews) {
        if (layoutView->view()->isHidden())
            continue;
        const Size size = layoutView->view()->frame().size;
        const Size lower = layoutView->minimumSize();
        const Size upper = layoutView->maximumSize();
        total.width += clampTo(size.width, lower.width, upper.width);
        total.height += clampTo(size.height, lower.height, upper.height);
    }
    return total;
}

Size QXViewLayoutManager::arrangeAllViewsTopDownInSuperview(View& superview) {
    const Size area = superview.frame().size;

    double used = 0;
    for (const auto& layoutView : _layoutViews) {
        if (!layoutView->view()->isHidden())
            used += layoutView->view()->frame().height();
        if (layoutView->view()->superview() != &superview)
            superview.addSubview(layoutView->sharedView());
    }

    // The share is recomputed on every pass over the containers that can still change, so the
    // spare height is used up without being overshot: a pass cannot change the sign of the rest
    // (the check guards against rounding), and the pass limit against limits that disagree.
    double rest = area.height - used;
    const std::size_t passLimit = 2 * _layoutViews.size() + 2;
    for (std::size_t pass = 0; pass < passLimit && std::abs(rest) > 0.01; ++pass) {
        std::size_t open = 0;
        for (const auto& layoutView : _layoutViews) {
            const View& view = *layoutView->view();
            if (view.isHidden())
                continue;
            // A container off its limit on the far side moves too: growing snaps one above its
            // maximum down to it, which frees height for the others.
            const double limit =
                rest > 0 ? layoutView->maximumSize().height : layoutView->minimumSize().height;
            if (view.frame().height() != limit)
                ++open;
        }
        if (open == 0)
            break;
        const double grown = growViewsHeightBy(rest / static_cast<double>(open));
        const double left = rest - grown;
        if (std::abs(grown) < 0.01 || (left > 0) != (rest > 0)) {
            rest = left;
            break;
        }
        rest = left;
    }

    setViewsWidthTo(area.width);

    double y = area.height;
    double stacked = 0;
    for (const auto& layoutView : _layoutViews) {
        View& view = *layoutView->view();
        if (view.isHidden())
            continue;
        const Size size = view.frame().size;
        y -= size.height;
        stacked += size.height;
        view.setFrame({(area.width - size.width) * 0.5, y, size.width, size.height});
    }
    return {area.width, stacked};
}

Size QXViewLayoutManager::arrangeAllViewsLeftRightInSuperview(View& superview) {
    return superview.frame().size;
}

double QXViewLayoutManager::growViewsHeightBy(double amount) {
    double growth = 0;
    for (const auto& layoutView : _layoutViews) {
        View& view = *layoutView->view();
        if (view.isHidden())
            continue;
        const Size size = view.frame().size;
        double height = size.height + amount;
        if (amount > 0)
            height = std::min(height, layoutView->maximumSize().height);
        else if (amount < 0)
            height = std::max(height, layoutView->minimumSize().height);
        view.setFrameSize({size.width, height});
        growth += height - size.height;
    }
    return growth;
}

double QXViewLayoutManager::growViewsWidthBy(double amount) {
    double growth = 0;
    for (const auto& layoutView : _layoutViews) {
        View& view = *layoutView->view();
        if (view.isHidden())
            continue;
        const Size size = view.frame().size;
        double width = size.width + amount;
        if (amount > 0)
            width = std::min(width, layoutView->maximumSize().width);
        else if (amount < 0)
            width = std::max(width, layoutView->minimumSize().width);
        view.setFrameSize({width, size.height});
        growth += width - size.width;
    }
    return growth;
}

void QXViewLayoutManager::setViewsWidthTo(double width) {
    for (const auto& layoutView : _layoutViews) {
        View& view = *layoutView->view();
        view.setFrameSize(
            {clampTo(width, layoutView->minimumSize().width, layoutView->maximumSize().width),
             view.frame().height()});
    }
}

void QXViewLayoutManager::setViewsHeightTo(double height) {
    for (const auto& layoutView : _layoutViews) {
        View& view = *layoutView->view();
        view.setFrameSize({view.frame().width(), clampTo(height, layoutView->minimumSize().height,
                                                         layoutView->maximumSize().height)});
    }
}
