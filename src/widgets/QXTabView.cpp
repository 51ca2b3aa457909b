#include "widgets/QXTabView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/TrackingArea.h"
#include "platform/kit/Window.h"
#include "widgets/QXGradient.h"
#include "widgets/QXTabViewItem.h"

#include <cstdlib>

using platform::BezierPath;
using platform::Point;
using platform::Rect;
using platform::TabViewItem;

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

QXTabViewItem* labelItem(TabViewItem* item) {
    return dynamic_cast<QXTabViewItem*>(item);
}

} // namespace

QXTabView::QXTabView(const Rect& frame) : TabView(frame) {}

QXTabView::~QXTabView() {
    if (_trackingArea)
        removeTrackingArea(_trackingArea.get());
}

void QXTabView::initialize() {
    TabView::initialize();
    _viewStyle = bezelView();
    _viewGradient.reset();
    _viewBorderColor.reset();
    _labelMinSize = 0;
    _labelMaxSize = 0;
    _labelHeight = 20;
    _labelWidth = 20;
    _labelSpacing = 0;
    if (_trackingArea)
        removeTrackingArea(_trackingArea.get());
    _trackingArea.reset();
    _canDrag = false;
    _dragImage.reset();
    _dragStart = {};
    _currentDragIndex = -1;
    _arrayOverflowItems.clear();
    TabView::setTabViewType(platform::TabViewType::NoTabsNoBorder);
    TabView::setDrawsBackground(false);
}

void QXTabView::awake() {
    TabView::awake();
    initialize();
}

void QXTabView::setTabViewType(platform::TabViewType /*type*/) {
    TabView::setTabViewType(platform::TabViewType::NoTabsNoBorder);
}

void QXTabView::setDrawsBackground(bool /*flag*/) {
    TabView::setDrawsBackground(false);
}

QXTabViewDelegate* QXTabView::tabDelegate() const {
    return dynamic_cast<QXTabViewDelegate*>(delegate());
}

Rect QXTabView::labelRectForItem(const TabViewItem* item) const {
    const long index = indexOfTabViewItem(item);
    if (numberOfTabViewItems() == 0 || index == NotFound)
        return platform::ZeroRect;
    const double start = _viewStyle == squareView() ? 2 : _viewStyle == bezelView() ? 6 : 0;
    return {start + index * (_labelWidth + _labelSpacing), bounds().height() - _labelHeight,
            _labelWidth, _labelHeight};
}

bool QXTabView::overflows(const Rect& labelRect) const {
    return labelRect.maxX() + 5 >= frame().width();
}

// The hit rectangles start at the strip's edge, without the start offset of the drawn labels.
// The strip is taken from the bounds, so that a tab view placed anywhere in its superview is
// hit where it draws.
TabViewItem* QXTabView::tabViewItemAtPoint(Point point) {
    const Rect b = bounds();
    const Rect strip(b.minX(), b.minY() + b.height() - _labelHeight, b.width(), _labelHeight);
    if (numberOfTabViewItems() == 0 || !mouseInRect(point, strip))
        return nullptr;
    const long selected =
        selectedTabViewItem() ? indexOfTabViewItem(selectedTabViewItem()) : numberOfTabViewItems();
    const double overlap = _labelSpacing < 0 ? -_labelSpacing : 0;
    for (long i = 0; i < numberOfTabViewItems(); ++i) {
        Rect r(strip.minX() + i * (_labelWidth + _labelSpacing), strip.minY(), _labelWidth,
               _labelHeight);
        // The selected label is drawn over its neighbours, so it wins where they overlap.
        if (overlap > 0 && i < selected) {
            r.size.width -= overlap;
        } else if (overlap > 0 && i > selected) {
            r.origin.x += overlap;
            r.size.width -= overlap;
        }
        if (mouseInRect(point, r))
            return tabViewItemAtIndex(i);
    }
    return nullptr;
}

TabViewItem* QXTabView::tabViewItemWithIdentifier(std::string_view identifier) const {
    for (const auto& item : tabViewItems())
        if (equalIgnoringCase(item->identifier(), identifier))
            return item.get();
    return nullptr;
}

Rect QXTabView::contentRect() const {
    const Rect f = frame();
    const double inset = _viewStyle == bezelView() ? 3 : 1;
    return Rect(0, 0, f.width(), f.height() - _labelHeight).insetBy(inset, inset);
}

void QXTabView::selectTabViewItem(TabViewItem* item) {
    TabView::selectTabViewItem(item);
    if (item && item->view())
        item->view()->setFrame(contentRect());
}

void QXTabView::closeTabViewItem(TabViewItem* item) {
    QXTabViewDelegate* d = tabDelegate();
    const std::shared_ptr<TabViewItem> keep = sharedItem(item);
    if (!keep || !d || !d->tabViewCanCloseItem(*this, item))
        return;
    // Only the selected tab hands the selection on; closing another leaves it where it is.
    if (selectedTabViewItem() == item)
        selectNextTabViewItem(this);
    removeTabViewItem(item);
    if (!selectedTabViewItem())
        selectFirstTabViewItem(this);
    if (QXTabViewDelegate* after = tabDelegate())
        after->tabViewItemRemoved(*this, item);
}

void QXTabView::moveViewItem(TabViewItem* item, long index) {
    const long from = indexOfTabViewItem(item);
    // The delegate hears only of moves that happen: it keeps the tabs' places in step with
    // ours.
    if (from == NotFound || index < 0 || index >= numberOfTabViewItems() || from == index)
        return;
    const std::shared_ptr<TabViewItem> keep = sharedItem(item);
    const std::shared_ptr<TabViewItem> target = sharedItem(tabViewItemAtIndex(index));
    if (QXTabViewDelegate* d = tabDelegate())
        d->tabViewItemWillMoveFrom(*this, item, target.get());
    if (indexOfTabViewItem(item) == NotFound || index >= numberOfTabViewItems())
        return;
    const std::shared_ptr<TabViewItem> selected = sharedItem(selectedTabViewItem());
    removeTabViewItem(item);
    insertTabViewItem(keep, index);
    selectTabViewItem(selected.get());
    setNeedsDisplay(true);
    if (QXTabViewDelegate* d = tabDelegate())
        d->tabViewItemMovedFrom(*this, item, target.get());
}

void QXTabView::swapViewItemWithIndex(long first, long second) {
    if (first == second)
        return;
    const long low = std::min(first, second);
    const long high = std::max(first, second);
    if (low < 0 || high >= numberOfTabViewItems())
        return;
    const std::shared_ptr<TabViewItem> earlier = sharedItem(tabViewItemAtIndex(low));
    const std::shared_ptr<TabViewItem> later = sharedItem(tabViewItemAtIndex(high));
    const std::shared_ptr<TabViewItem> selected = sharedItem(selectedTabViewItem());
    removeTabViewItem(later.get());
    removeTabViewItem(earlier.get());
    insertTabViewItem(later, low);
    insertTabViewItem(earlier, high);
    selectTabViewItem(selected.get());
    setNeedsDisplay(true);
}

void QXTabView::setFrame(const Rect& frame) {
    TabView::setFrame(frame);
    const Rect content = contentRect();
    for (const auto& item : tabViewItems())
        if (item->view())
            item->view()->setFrame(content);
    rebuildTrackingArea();
}

void QXTabView::viewDidMoveToWindow() {
    TabView::viewDidMoveToWindow();
    // A tab view given its frame at creation has not been through setFrame yet; without the
    // area the close button would not follow the pointer.
    if (window() && !_trackingArea)
        rebuildTrackingArea();
}

void QXTabView::rebuildTrackingArea() {
    if (_trackingArea)
        removeTrackingArea(_trackingArea.get());
    const Rect b = bounds();
    _trackingArea = std::make_shared<platform::TrackingArea>(
        Rect(b.minX(), b.minY() + b.height() - _labelHeight, b.width(), _labelHeight),
        platform::TrackingMouseEnteredAndExited | platform::TrackingMouseMoved |
            platform::TrackingActiveInActiveApp,
        this);
    addTrackingArea(_trackingArea);
}

void QXTabView::drawRect(const Rect& /*dirtyRect*/) {
    drawContentArea();
    drawLabels();
    if (_dragImage)
        _dragImage->drawInRect(Rect(_dragImageOrigin, _dragImage->size()), platform::ZeroRect,
                               platform::CompositingOperation::SourceOver, 1.0);
    if (QXTabViewDelegate* d = tabDelegate())
        d->tabViewOverflowItems(*this, _arrayOverflowItems);
}

void QXTabView::drawContentArea() const {
    const Rect b = bounds();
    Rect area(b.minX(), b.minY(), b.width(), b.height() - _labelHeight);
    switch (_viewStyle) {
    case 1:
        if (_viewBorderColor) {
            _viewBorderColor->setFill();
            BezierPath::fillRect(area);
        }
        area = area.insetBy(1, 1);
        if (_viewBorderColor) {
            _viewBorderColor->highlightWithLevel(0.2).setFill();
            BezierPath::fillRect(area);
        }
        area.size.height -= 1;
        if (_viewGradient)
            _viewGradient->drawInBezierPath(BezierPath::bezierPathWithRect(area));
        break;
    case 2:
        if (_viewBorderColor) {
            _viewBorderColor->setFill();
            BezierPath::bezierPathWithRoundedRect(area, 5, 5).fill();
        }
        area = area.insetBy(1, 1);
        if (_viewGradient)
            _viewGradient->drawInBezierPath(BezierPath::bezierPathWithRoundedRect(area, 5, 5));
        break;
    case 3:
        area.size.height += 1;
        if (_viewBorderColor) {
            _viewBorderColor->setFill();
            BezierPath::fillRect(area);
        }
        area = area.insetBy(1, 1);
        if (_viewGradient)
            _viewGradient->drawInBezierPath(BezierPath::bezierPathWithRect(area));
        break;
    default:
        if (_viewGradient)
            _viewGradient->drawInRect(area);
        break;
    }
}

// Labels nearer the selected one are drawn over farther ones, and the selected one last.
void QXTabView::drawLabels() {
    _arrayOverflowItems.clear();
    const long count = numberOfTabViewItems();
    TabViewItem* selected = selectedTabViewItem();
    const long s = selected ? indexOfTabViewItem(selected) : count;
    for (long i = 0; i < s; ++i)
        drawItemLabel(tabViewItemAtIndex(i));
    for (long i = count - 1; i > s; --i)
        drawItemLabel(tabViewItemAtIndex(i));
    // While a drag is under way the dragged label is the drag image.
    if (selected && !_dragImage)
        drawItemLabel(selected);
}

void QXTabView::drawItemLabel(TabViewItem* item) {
    const Rect r = labelRectForItem(item);
    if (overflows(r)) {
        _arrayOverflowItems.push_back(sharedItem(item));
        return;
    }
    item->drawLabel(true, r);
}

void QXTabView::redisplayWindow() {
    if (platform::Window* w = window())
        w->rootView()->setNeedsDisplay(true);
    else
        setNeedsDisplay(true);
}

Point QXTabView::screenPointFromView(Point point) const {
    const Point base = convertPointToView(point, nullptr);
    return window() ? window()->convertBaseToScreen(base) : base;
}

void QXTabView::mouseDown(const platform::Event& event) {
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    // A drag whose release never reached us (the window lost the pointer) ends here, or the
    // dragged label would stay hidden.
    if (_dragImage)
        draggedImageEndedAt(*_dragImage, screenPointFromView(_dragImageOrigin));
    TabViewItem* hit = tabViewItemAtPoint(p);
    // A label that did not fit is not there to click, even where its hit rectangle still
    // reaches into the view.
    if (hit && overflows(labelRectForItem(hit)))
        return;
    if (hit && hit != selectedTabViewItem()) {
        selectTabViewItem(hit);
        _canDrag = false;
    } else {
        QXTabViewItem* item = labelItem(selectedTabViewItem());
        const bool onCloseButton = item && item->mouseDownInLabel(p);
        _canDrag = !onCloseButton;
        if (_canDrag)
            _dragStart = p;
    }
    setNeedsDisplay(true);
}

void QXTabView::mouseDragged(const platform::Event& event) {
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    if (_dragImage) {
        // The drag carries the image with the pointer.
        _dragImageOrigin = {_dragImageAnchor.x + p.x - _dragMouseStart.x,
                            _dragImageAnchor.y + p.y - _dragMouseStart.y};
        setNeedsDisplay(true);
        draggedImageMovedTo(*_dragImage, screenPointFromView(_dragImageOrigin));
        return;
    }
    if (!_canDrag) {
        if (QXTabViewItem* item = labelItem(selectedTabViewItem()))
            item->mouseMovedInLabel(p);
        setNeedsDisplay(true);
        return;
    }
    const int distance = std::abs(static_cast<int>(p.x - _dragStart.x)) +
                         std::abs(static_cast<int>(p.y - _dragStart.y));
    if (distance < kDragThreshold)
        return;
    TabViewItem* hit = tabViewItemAtPoint(p);
    if (!hit || hit != selectedTabViewItem())
        return;
    startDrag(hit, p);
}

void QXTabView::startDrag(TabViewItem* item, Point point) {
    const Rect r = labelRectForItem(item);
    _dragImage = std::make_shared<platform::Image>(r.size);
    platform::Image label(r.size);
    label.lockFocus();
    item->drawLabel(true, Rect(platform::ZeroPoint, r.size));
    label.unlockFocus();
    _dragImage->lockFocus();
    label.drawInRect(Rect(platform::ZeroPoint, r.size), platform::ZeroRect,
                     platform::CompositingOperation::SourceOver, kDragImageOpacity);
    _dragImage->unlockFocus();
    redisplayWindow();
    _currentDragIndex = indexOfTabViewItem(item);
    _dragImageAnchor = r.origin;
    _dragImageOrigin = r.origin;
    _dragMouseStart = point;
}

void QXTabView::draggedImageMovedTo(const platform::Image& /*image*/, Point screenPoint) {
    const Point base = window() ? window()->convertScreenToBase(screenPoint) : screenPoint;
    const Point p = convertPointFromView(base, nullptr);
    const double overlap = _labelSpacing < 0 ? -_labelSpacing : 0;
    for (long i = 0; i < numberOfTabViewItems(); ++i) {
        Rect r = labelRectForItem(tabViewItemAtIndex(i));
        r.origin.x += overlap;
        r.size.width -= 2 * overlap;
        if (!r.containsPoint(p))
            continue;
        moveViewItem(tabViewItemAtIndex(_currentDragIndex), i);
        _currentDragIndex = i;
        redisplayWindow();
        return;
    }
}

void QXTabView::draggedImageEndedAt(const platform::Image& /*image*/, Point /*screenPoint*/) {
    _dragImage.reset();
    setNeedsDisplay(true);
}

void QXTabView::mouseUp(const platform::Event& event) {
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    if (_dragImage) {
        // The release ends the drag; it is not a click on the label.
        draggedImageEndedAt(*_dragImage, screenPointFromView(_dragImageOrigin));
        return;
    }
    QXTabViewItem* item = labelItem(selectedTabViewItem());
    if (item && item->mouseUpInLabel(p))
        closeTabViewItem(item);
    setNeedsDisplay(true);
}

void QXTabView::mouseMoved(const platform::Event& event) {
    if (QXTabViewItem* item = labelItem(selectedTabViewItem()))
        item->mouseMovedInLabel(convertPointFromView(event.locationInWindow(), nullptr));
    setNeedsDisplay(true);
}

void QXTabView::mouseEntered(const platform::Event& /*event*/) {}

void QXTabView::mouseExited(const platform::Event& /*event*/) {
    if (QXTabViewItem* item = labelItem(selectedTabViewItem()))
        item->mouseExitedLabel();
    setNeedsDisplay(true);
}
