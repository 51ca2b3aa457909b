#include "platform/kit/TabView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"

#include <algorithm>

namespace platform {

namespace {

// Room left and right of a label inside its tab.
constexpr double kTabPadding = 12;
// The bezel is two points deep, a line border one.
constexpr double kBezelWidth = 2;
constexpr double kLineWidth = 1;

void strokeFrame(const Rect& rect, const Color& color) {
    color.setStroke();
    BezierPath path = BezierPath::bezierPathWithRect(rect.insetBy(0.5, 0.5));
    path.setLineWidth(1);
    path.stroke();
}

} // namespace

TabView::TabView(const Rect& frame) : View(frame) {}

TabView::~TabView() {
    for (const auto& item : items_)
        item->tabView_ = nullptr;
}

void TabView::setTabViewType(TabViewType type) {
    if (tabViewType_ == type)
        return;
    tabViewType_ = type;
    if (selected_ && selected_->view())
        selected_->view()->setFrame(contentRect());
    setNeedsDisplay(true);
}

void TabView::setDrawsBackground(bool flag) {
    drawsBackground_ = flag;
    setNeedsDisplay(true);
}

void TabView::setFont(const Font& font) {
    font_ = font;
    setNeedsDisplay(true);
}

long TabView::indexOfTabViewItem(const TabViewItem* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<long>(i);
    return NotFound;
}

long TabView::indexOfTabViewItemWithIdentifier(std::string_view identifier) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->identifier() == identifier)
            return static_cast<long>(i);
    return NotFound;
}

TabViewItem* TabView::tabViewItemAtIndex(long index) const {
    if (index < 0 || index >= numberOfTabViewItems())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

std::shared_ptr<TabViewItem> TabView::sharedItem(const TabViewItem* item) const {
    const long index = indexOfTabViewItem(item);
    return index == NotFound ? nullptr : items_[static_cast<std::size_t>(index)];
}

void TabView::addTabViewItem(std::shared_ptr<TabViewItem> item) {
    insertTabViewItem(std::move(item), numberOfTabViewItems());
}

void TabView::insertTabViewItem(std::shared_ptr<TabViewItem> item, long index) {
    if (!item)
        return;
    if (item->tabView_)
        item->tabView_->removeTabViewItem(item.get());
    index = std::clamp(index, 0L, numberOfTabViewItems());
    items_.insert(items_.begin() + index, item);
    item->tabView_ = this;
    setNeedsDisplay(true);
    if (delegate_)
        delegate_->tabViewDidChangeNumberOfTabViewItems(*this);
    if (!selected_ && items_.size() == 1)
        selectTabViewItem(item.get());
}

void TabView::removeTabViewItem(TabViewItem* item) {
    const long index = indexOfTabViewItem(item);
    if (index == NotFound)
        return;
    // The caller may hold the only other reference; keep the item until we are done with it.
    const std::shared_ptr<TabViewItem> keep = items_[static_cast<std::size_t>(index)];
    if (selected_ == item) {
        selected_ = nullptr;
        itemViewChanged(*item, item->view());
    }
    items_.erase(items_.begin() + index);
    item->tabView_ = nullptr;
    setNeedsDisplay(true);
    if (delegate_)
        delegate_->tabViewDidChangeNumberOfTabViewItems(*this);
}

void TabView::selectTabViewItem(TabViewItem* item) {
    if (!item || item == selected_ || indexOfTabViewItem(item) == NotFound)
        return;
    if (delegate_ && !delegate_->tabViewShouldSelectTabViewItem(*this, item))
        return;
    if (delegate_)
        delegate_->tabViewWillSelectTabViewItem(*this, item);
    // The delegate may have removed the item meanwhile.
    if (indexOfTabViewItem(item) == NotFound)
        return;
    TabViewItem* old = selected_;
    selected_ = item;
    if (old)
        itemViewChanged(*old, old->view());
    else
        installViewOf(item);
    setNeedsDisplay(true);
    if (delegate_)
        delegate_->tabViewDidSelectTabViewItem(*this, item);
}

void TabView::selectTabViewItemAtIndex(long index) {
    selectTabViewItem(tabViewItemAtIndex(index));
}

void TabView::selectTabViewItemWithIdentifier(std::string_view identifier) {
    selectTabViewItemAtIndex(indexOfTabViewItemWithIdentifier(identifier));
}

void TabView::selectFirstTabViewItem(Object* /*sender*/) {
    selectTabViewItemAtIndex(0);
}

void TabView::selectLastTabViewItem(Object* /*sender*/) {
    selectTabViewItemAtIndex(numberOfTabViewItems() - 1);
}

void TabView::selectNextTabViewItem(Object* /*sender*/) {
    if (selected_)
        selectTabViewItemAtIndex(indexOfTabViewItem(selected_) + 1);
}

void TabView::selectPreviousTabViewItem(Object* /*sender*/) {
    if (selected_)
        selectTabViewItemAtIndex(indexOfTabViewItem(selected_) - 1);
}

// Takes `oldView` out of the tab view (handing the keyboard back to the window when the focus
// was inside it) and puts the selected item's view in.
void TabView::itemViewChanged(TabViewItem& /*item*/, const std::shared_ptr<View>& oldView) {
    if (oldView && oldView->superview() == this) {
        if (Window* w = window()) {
            auto* focused = dynamic_cast<View*>(w->firstResponder());
            if (focused && focused->isDescendantOf(oldView.get()))
                w->makeFirstResponder(nullptr);
        }
        oldView->removeFromSuperview();
    }
    installViewOf(selected_);
}

void TabView::installViewOf(TabViewItem* item) {
    if (!item || !item->view())
        return;
    item->view()->setFrame(contentRect());
    if (item->view()->superview() != this)
        addSubview(item->view());
}

bool TabView::hasTabs() const {
    switch (tabViewType_) {
    case TabViewType::TopTabsBezelBorder:
    case TabViewType::LeftTabsBezelBorder:
    case TabViewType::BottomTabsBezelBorder:
    case TabViewType::RightTabsBezelBorder:
        return true;
    default:
        return false;
    }
}

Rect TabView::contentRect() const {
    Rect r = bounds();
    switch (tabViewType_) {
    case TabViewType::TopTabsBezelBorder:
        r.size.height -= kTabStripDepth;
        break;
    case TabViewType::BottomTabsBezelBorder:
        r.origin.y += kTabStripDepth;
        r.size.height -= kTabStripDepth;
        break;
    case TabViewType::LeftTabsBezelBorder:
        r.origin.x += kTabStripDepth;
        r.size.width -= kTabStripDepth;
        break;
    case TabViewType::RightTabsBezelBorder:
        r.size.width -= kTabStripDepth;
        break;
    case TabViewType::NoTabsBezelBorder:
        break;
    case TabViewType::NoTabsLineBorder:
        return r.insetBy(kLineWidth, kLineWidth);
    case TabViewType::NoTabsNoBorder:
        return r;
    }
    r = r.insetBy(kBezelWidth, kBezelWidth);
    r.size.width = std::max(0.0, r.size.width);
    r.size.height = std::max(0.0, r.size.height);
    return r;
}

Size TabView::minimumSize() const {
    double length = 0;
    for (const auto& item : items_)
        length += item->sizeOfLabel(false).width + 2 * kTabPadding;
    const double border = 2 * kBezelWidth;
    switch (tabViewType_) {
    case TabViewType::TopTabsBezelBorder:
    case TabViewType::BottomTabsBezelBorder:
        return {length + border, kTabStripDepth + border};
    case TabViewType::LeftTabsBezelBorder:
    case TabViewType::RightTabsBezelBorder:
        return {kTabStripDepth + border, length + border};
    case TabViewType::NoTabsBezelBorder:
        return {border, border};
    case TabViewType::NoTabsLineBorder:
        return {2 * kLineWidth, 2 * kLineWidth};
    case TabViewType::NoTabsNoBorder:
        break;
    }
    return {};
}

// Tabs sit side by side, centred along their edge: a row above or below the content, a
// column (read from the top) beside it.
Rect TabView::tabRectForItemAtIndex(long index) const {
    if (!hasTabs() || index < 0 || index >= numberOfTabViewItems())
        return {};
    double total = 0;
    double before = 0;
    double length = 0;
    for (long i = 0; i < numberOfTabViewItems(); ++i) {
        const double l =
            items_[static_cast<std::size_t>(i)]->sizeOfLabel(false).width + 2 * kTabPadding;
        if (i < index)
            before += l;
        if (i == index)
            length = l;
        total += l;
    }
    const Rect b = bounds();
    switch (tabViewType_) {
    case TabViewType::TopTabsBezelBorder:
    case TabViewType::BottomTabsBezelBorder: {
        const double start = std::max(b.minX(), b.midX() - total * 0.5);
        const double y =
            tabViewType_ == TabViewType::TopTabsBezelBorder ? b.maxY() - kTabStripDepth : b.minY();
        return {start + before, y, length, kTabStripDepth};
    }
    default: {
        const double top = std::min(b.maxY(), b.midY() + total * 0.5);
        const double x =
            tabViewType_ == TabViewType::LeftTabsBezelBorder ? b.minX() : b.maxX() - kTabStripDepth;
        return {x, top - before - length, kTabStripDepth, length};
    }
    }
}

TabViewItem* TabView::tabViewItemAtPoint(Point point) {
    for (long i = 0; i < numberOfTabViewItems(); ++i)
        if (mouseInRect(point, tabRectForItemAtIndex(i)))
            return items_[static_cast<std::size_t>(i)].get();
    return nullptr;
}

void TabView::drawRect(const Rect& /*dirtyRect*/) {
    const Color border(0.55, 0.55, 0.55, 1);
    if (tabViewType_ == TabViewType::NoTabsNoBorder) {
        if (drawsBackground_) {
            Color::controlColor().setFill();
            BezierPath::fillRect(bounds());
        }
        return;
    }
    const Rect box = tabViewType_ == TabViewType::NoTabsLineBorder
                         ? bounds()
                         : contentRect().insetBy(-kBezelWidth, -kBezelWidth);
    Color::controlColor().setFill();
    BezierPath::fillRect(box);
    if (tabViewType_ == TabViewType::NoTabsLineBorder) {
        strokeFrame(box, Color::darkGrayColor());
        return;
    }
    strokeFrame(box, border);
    strokeFrame(box.insetBy(1, 1), Color(1, 1, 1, 0.6));

    GraphicsContext* context = GraphicsContext::currentContext();
    for (long i = 0; i < numberOfTabViewItems(); ++i) {
        TabViewItem* item = items_[static_cast<std::size_t>(i)].get();
        const Rect tab = tabRectForItemAtIndex(i);
        (item == selected_ ? Color::controlBackgroundColor() : Color(0.85, 0.85, 0.85, 1))
            .setFill();
        BezierPath::fillRect(tab);
        strokeFrame(tab, border);
        const bool sideways = tabViewType_ == TabViewType::LeftTabsBezelBorder ||
                              tabViewType_ == TabViewType::RightTabsBezelBorder;
        if (!sideways || !context) {
            item->drawLabel(allowsTruncatedLabels_, tab.insetBy(kTabPadding, 0));
            continue;
        }
        // Side tabs read along their edge: from the bottom up on the left, downwards on the
        // right.
        GraphicsStateSaver saver;
        context->translate(tab.midX(), tab.midY());
        context->rotateByDegrees(tabViewType_ == TabViewType::LeftTabsBezelBorder ? 90 : -90);
        item->drawLabel(allowsTruncatedLabels_,
                        Rect(-tab.height() * 0.5 + kTabPadding, -tab.width() * 0.5,
                             tab.height() - 2 * kTabPadding, tab.width()));
    }
}

void TabView::resizeSubviewsWithOldSize(Size oldSize) {
    View::resizeSubviewsWithOldSize(oldSize);
    if (selected_ && selected_->view() && selected_->view()->superview() == this)
        selected_->view()->setFrame(contentRect());
}

void TabView::mouseDown(const Event& event) {
    if (!hasTabs()) {
        View::mouseDown(event);
        return;
    }
    const Point p = convertPointFromView(event.locationInWindow(), nullptr);
    if (TabViewItem* item = tabViewItemAtPoint(p))
        selectTabViewItem(item);
}

void TabView::keyDown(const Event& event) {
    if (hasTabs()) {
        const char32_t c = firstCodePoint(event.charactersIgnoringModifiers());
        const bool across = tabViewType_ == TabViewType::TopTabsBezelBorder ||
                            tabViewType_ == TabViewType::BottomTabsBezelBorder;
        const char32_t previous = across ? LeftArrowFunctionKey : UpArrowFunctionKey;
        const char32_t next = across ? RightArrowFunctionKey : DownArrowFunctionKey;
        if (c == previous) {
            selectPreviousTabViewItem(this);
            return;
        }
        if (c == next) {
            selectNextTabViewItem(this);
            return;
        }
    }
    View::keyDown(event);
}

bool TabView::acceptsFirstResponder() const {
    return hasTabs();
}

bool TabView::tryToPerform(std::string_view action, Object* sender) {
    if (action == "selectFirstTabViewItem:")
        selectFirstTabViewItem(sender);
    else if (action == "selectLastTabViewItem:")
        selectLastTabViewItem(sender);
    else if (action == "selectNextTabViewItem:")
        selectNextTabViewItem(sender);
    else if (action == "selectPreviousTabViewItem:")
        selectPreviousTabViewItem(sender);
    else
        return View::tryToPerform(action, sender);
    return true;
}

bool TabView::respondsToAction(std::string_view action) const {
    return action == "selectFirstTabViewItem:" || action == "selectLastTabViewItem:" ||
           action == "selectNextTabViewItem:" || action == "selectPreviousTabViewItem:" ||
           View::respondsToAction(action);
}

} // namespace platform
