#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

#include <memory>
#include <vector>

// One control of a managed container: its links to the nearest controls on the sides whose
// margins are flexible, and the gaps read from the frames when the container was registered.
// A side without a flexible margin keeps its gap to the container's edge instead.
class ControlLayout {
public:
    explicit ControlLayout(std::shared_ptr<platform::View> view);

    platform::View* view() const { return _myself.get(); }

    // Neighbours are other controls of the same container, not owned.
    ControlLayout* topNeighbour() const { return _top; }
    ControlLayout* bottomNeighbour() const { return _bottom; }
    ControlLayout* leftNeighbour() const { return _left; }
    ControlLayout* rightNeighbour() const { return _right; }
    void setTopNeighbour(ControlLayout* control) { _top = control; }
    void setBottomNeighbour(ControlLayout* control) { _bottom = control; }
    void setLeftNeighbour(ControlLayout* control) { _left = control; }
    void setRightNeighbour(ControlLayout* control) { _right = control; }

    double leftSpace() const { return _l; }
    double rightSpace() const { return _r; }
    double topSpace() const { return _t; }
    double bottomSpace() const { return _b; }
    void setLeftSpace(double space) { _l = space; }
    void setRightSpace(double space) { _r = space; }
    void setTopSpace(double space) { _t = space; }
    void setBottomSpace(double space) { _b = space; }

    bool placed() const { return _placed; }
    void setPlaced(bool placed) { _placed = placed; }

    // Comparators for sorting a container's controls: 1 when this control comes after
    // `other`, -1 when before, 0 for the same place.
    int sortTopDown(const ControlLayout& other) const;
    int sortLeftToRight(const ControlLayout& other) const;

private:
    std::shared_ptr<platform::View> _myself;
    ControlLayout* _top = nullptr;
    ControlLayout* _bottom = nullptr;
    ControlLayout* _left = nullptr;
    ControlLayout* _right = nullptr;
    double _l = 0;
    double _r = 0;
    double _t = 0;
    double _b = 0;
    bool _placed = false;
};

// One managed container with its size limits and its registered controls.
class LayoutView {
public:
    using Controls = std::vector<std::unique_ptr<ControlLayout>>;

    // The limits start as the container's frame size.
    explicit LayoutView(std::shared_ptr<platform::View> view);

    platform::View* view() const { return _view.get(); }
    const std::shared_ptr<platform::View>& sharedView() const { return _view; }

    platform::Size minimumSize() const { return _minSize; }
    void setMinimumSize(platform::Size size) { _minSize = size; }
    platform::Size maximumSize() const { return _maxSize; }
    void setMaximumSize(platform::Size size) { _maxSize = size; }

    const Controls& controls() const { return _controls; }
    void setControls(Controls controls) { _controls = std::move(controls); }

    bool topDown() const { return _topDown; }
    void setTopDown(bool topDown) { _topDown = topDown; }

private:
    std::shared_ptr<platform::View> _view;
    platform::Size _minSize;
    platform::Size _maxSize;
    Controls _controls;
    bool _topDown = false;
};

// Lays out the controls of a few containers without constraints, so that hidden controls close
// up: each control's autoresizing mask is read once, at registration, and turned into links to
// its neighbours (flexible margins) or fixed gaps to the container's edges. It also stacks the
// containers top-down in a superview and shares spare height among them within their limits.
class QXViewLayoutManager {
public:
    QXViewLayoutManager();

    // Adds the container unless it is managed already; either way the limits are set.
    void addView(std::shared_ptr<platform::View> view, platform::Size minSize,
                 platform::Size maxSize);
    void removeView(const platform::View* view);
    void setMinimumSize(platform::Size size, const platform::View* view);
    void setMaximumSize(platform::Size size, const platform::View* view);
    // Minimum and maximum both: the container's size is fixed.
    void setRequiredSize(platform::Size size, const platform::View* view);
    LayoutView* findView(const platform::View* view) const;

    // Reads the container's direct subviews (frames and masks as they are now) into sorted
    // controls with their neighbour graph. A container that was not added is left alone.
    void registerViewForVerticalLayout(const platform::View* view);
    void registerViewForHorizontalLayout(const platform::View* view);

    // Places the visible controls of the container within its current frame.
    void layoutView(const platform::View* view);
    // The smallest size that holds the container's visible controls with their gaps.
    platform::Size minimumSizeOfView(const platform::View* view);
    // Widths and heights of the visible containers, each within its limits, summed.
    platform::Size calculateRequiredSize() const;

    // Stacks the visible containers from the top of the superview down, centred, after
    // sharing the superview's spare height among those that can still grow (or shrink).
    platform::Size arrangeAllViewsTopDownInSuperview(platform::View& superview);
    platform::Size arrangeAllViewsLeftRightInSuperview(platform::View& superview);

    // Grows every visible container by `amount` within its limits; the growth actually made.
    double growViewsHeightBy(double amount);
    double growViewsWidthBy(double amount);
    // Every container, visible or not, within its limits.
    void setViewsWidthTo(double width);
    void setViewsHeightTo(double height);

    // The steps of registration and layout.
    static void createNeighbours(const LayoutView::Controls& controls);
    static ControlLayout* findTopNeighbourToView(const ControlLayout& control,
                                                 const LayoutView::Controls& controls);
    static ControlLayout* findBottomNeighbourToView(const ControlLayout& control,
                                                    const LayoutView::Controls& controls);
    static ControlLayout* findLeftNeighbourToView(const ControlLayout& control,
                                                  const LayoutView::Controls& controls);
    static ControlLayout* findRightNeighbourToView(const ControlLayout& control,
                                                   const LayoutView::Controls& controls);
    static void placeControl(ControlLayout& control, const platform::Rect& frame);

private:
    void registerView(const platform::View* view, bool topDown);

    std::vector<std::unique_ptr<LayoutView>> _layoutViews;
};
