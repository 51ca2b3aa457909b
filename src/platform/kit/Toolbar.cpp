#include "platform/kit/Toolbar.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Control.h"
#include "platform/kit/ToolbarItem.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr double kEdge = 4;
constexpr double kGap = 4;
constexpr double kSeparatorWidth = 12;

Font labelFont() {
    return Font::systemFontOfSize(Font::smallSystemFontSize());
}

TextAttributes labelAttributes(bool enabled) {
    TextAttributes attributes;
    attributes.font = labelFont();
    attributes.foregroundColor =
        enabled ? Color::controlTextColor() : Color::disabledControlTextColor();
    ParagraphStyle style;
    style.alignment = TextAlignment::Center;
    style.lineBreakMode = LineBreakMode::ByTruncatingTail;
    attributes.paragraphStyle = style;
    return attributes;
}

} // namespace

// The strip a window shows for its toolbar: items laid out from the left, views of view items
// as subviews, image items drawn and clicked here.
class ToolbarView : public View {
public:
    explicit ToolbarView(Toolbar& toolbar) : toolbar_(toolbar) {}

    struct Slot {
        std::shared_ptr<ToolbarItem> item;
        Rect frame;
    };

    ToolbarDisplayMode mode() const {
        return toolbar_.displayMode() == ToolbarDisplayMode::Default
                   ? ToolbarDisplayMode::IconAndLabel
                   : toolbar_.displayMode();
    }
    double iconSize() const { return toolbar_.sizeMode() == ToolbarSizeMode::Small ? 24 : 32; }
    bool showsIcons() const { return mode() != ToolbarDisplayMode::LabelOnly; }
    bool showsLabels() const { return mode() != ToolbarDisplayMode::IconOnly; }
    double labelHeight() const { return std::ceil(labelFont().defaultLineHeightForFont()); }

    Size viewSize(const ToolbarItem& item) const {
        Size size = item.view() ? item.view()->frame().size : ZeroSize;
        size.width = std::max(size.width, item.minSize().width);
        size.height = std::max(size.height, item.minSize().height);
        if (item.maxSize().width > 0)
            size.width = std::min(size.width, item.maxSize().width);
        if (item.maxSize().height > 0)
            size.height = std::min(size.height, item.maxSize().height);
        return size;
    }

    double stripHeight() const {
        double height = 0;
        const double label = showsLabels() ? labelHeight() + 2 : 0;
        for (const auto& item : toolbar_.items_) {
            if (item->view()) {
                const double own = viewSize(*item).height;
                height = std::max(height, own + (item->label().empty() ? 0 : label));
            } else if (!item->isStandardItem()) {
                height = std::max(height, 2 * kEdge + (showsIcons() ? iconSize() : 0) + label);
            }
        }
        return std::ceil(height);
    }

    double minWidth(const ToolbarItem& item) const {
        if (item.itemIdentifier() == ToolbarSeparatorItemIdentifier)
            return kSeparatorWidth;
        if (item.itemIdentifier() == ToolbarSpaceItemIdentifier)
            return iconSize();
        if (item.itemIdentifier() == ToolbarFlexibleSpaceItemIdentifier)
            return 0;
        if (item.view())
            return std::max(item.minSize().width, 0.0) > 0 ? item.minSize().width
                                                           : viewSize(item).width;
        double width = showsIcons() ? iconSize() : 0;
        if (showsLabels())
            width = std::max(
                width, std::ceil(sizeWithAttributes(item.label(), labelAttributes(true)).width));
        return width + 8;
    }

    // Lays the items out across `width`; items that do not fit are left out.
    std::vector<Slot> layout(double width) const {
        std::vector<Slot> slots;
        const auto& items = toolbar_.items_;
        double used = 2 * kEdge;
        std::vector<double> widths;
        for (const auto& item : items) {
            const double w = minWidth(*item);
            const double needed = used + (slots.empty() ? 0 : kGap) + w;
            if (needed > width && !slots.empty())
                break;
            used = needed;
            slots.push_back({item, {}});
            widths.push_back(w);
        }
        // Room to spare goes to views that may grow, then to flexible spaces.
        double extra = std::max(0.0, width - used);
        for (std::size_t i = 0; i < slots.size() && extra > 0; ++i) {
            const ToolbarItem& item = *slots[i].item;
            if (!item.view())
                continue;
            const double max = item.maxSize().width > 0 ? item.maxSize().width : widths[i];
            const double grow = std::min(extra, std::max(0.0, max - widths[i]));
            widths[i] += grow;
            extra -= grow;
        }
        std::size_t flexible = 0;
        for (const auto& slot : slots)
            flexible += slot.item->itemIdentifier() == ToolbarFlexibleSpaceItemIdentifier;
        for (std::size_t i = 0; i < slots.size() && flexible > 0; ++i)
            if (slots[i].item->itemIdentifier() == ToolbarFlexibleSpaceItemIdentifier)
                widths[i] += extra / static_cast<double>(flexible);
        const double height = bounds().height();
        double x = kEdge;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            slots[i].frame = {x, 0, widths[i], height};
            x += widths[i] + kGap;
        }
        return slots;
    }

    void relayout() {
        slots_ = layout(bounds().width());
        for (const auto& item : toolbar_.items_)
            if (item->view() && item->view()->superview() == this &&
                std::none_of(slots_.begin(), slots_.end(),
                             [&](const Slot& s) { return s.item == item; }))
                item->view()->removeFromSuperview();
        const double label = showsLabels() ? labelHeight() + 2 : 0;
        for (const Slot& slot : slots_) {
            const auto& view = slot.item->view();
            if (!view)
                continue;
            const Size size = viewSize(*slot.item);
            const double extraLabel = slot.item->label().empty() ? 0 : label;
            const double y =
                std::floor(extraLabel + (slot.frame.height() - extraLabel - size.height) / 2);
            view->setFrame({slot.frame.minX(), y, slot.frame.width(), size.height});
            if (view->superview() != this)
                addSubview(view);
        }
        setNeedsDisplay(true);
    }

    void setFrameSize(Size size) override {
        View::setFrameSize(size);
        relayout();
    }

    const std::vector<Slot>& slots() const { return slots_; }

    void drawRect(const Rect& /*dirty*/) override {
        GraphicsContext* context = GraphicsContext::currentContext();
        if (!context)
            return;
        const Rect b = bounds();
        context->setFillColor(Color::colorWithCalibratedWhite(0.9, 1));
        context->fillRect(b);
        if (toolbar_.showsBaselineSeparator()) {
            context->setFillColor(Color::colorWithCalibratedWhite(0.62, 1));
            context->fillRect({b.minX(), b.minY(), b.width(), 1});
        }
        for (const Slot& slot : slots_) {
            const ToolbarItem& item = *slot.item;
            if (item.itemIdentifier() == ToolbarSeparatorItemIdentifier) {
                context->setFillColor(Color::colorWithCalibratedWhite(0.65, 1));
                context->fillRect(
                    {std::floor(slot.frame.midX()), b.minY() + 6, 1, b.height() - 12});
                continue;
            }
            if (item.isStandardItem())
                continue;
            const bool selected = toolbar_.selectedItemIdentifier() == item.itemIdentifier();
            if (selected || &item == pressed_.get()) {
                context->setFillColor(Color::colorWithCalibratedWhite(0, selected ? 0.12 : 0.2));
                context->fillRect(slot.frame.insetBy(0, 2));
            }
            const double label = showsLabels() ? labelHeight() : 0;
            if (showsLabels() && !item.label().empty())
                drawInRect(item.label(),
                           {slot.frame.minX(), kEdge - 1, slot.frame.width(), label + 1},
                           labelAttributes(item.isEnabled()));
            if (item.view() || !showsIcons() || !item.image())
                continue;
            const Rect iconSlot{slot.frame.midX() - iconSize() / 2, b.height() - kEdge - iconSize(),
                                iconSize(), iconSize()};
            item.image()->drawInRect(rectForImageInFrame(item.image()->size(), iconSlot,
                                                         ImageScaling::ProportionallyUpOrDown),
                                     ZeroRect, CompositingOperation::SourceOver,
                                     item.isEnabled() ? 1.0 : 0.5, true);
        }
    }

    std::shared_ptr<ToolbarItem> itemAt(Point p) const {
        for (const Slot& slot : slots_)
            if (slot.frame.containsPoint(p) && !slot.item->view() && !slot.item->isStandardItem())
                return slot.item;
        return nullptr;
    }

    void mouseDown(const Event& event) override {
        pressed_ = itemAt(pointInView(event, *this));
        if (pressed_ && !pressed_->isEnabled())
            pressed_.reset();
        setNeedsDisplay(true);
    }

    void mouseUp(const Event& event) override {
        auto pressed = std::move(pressed_);
        pressed_.reset();
        setNeedsDisplay(true);
        if (!pressed || itemAt(pointInView(event, *this)) != pressed)
            return;
        auto keep = weak_from_this().lock();
        if (toolbar_.delegate()) {
            const auto selectable = toolbar_.delegate()->toolbarSelectableItemIdentifiers(toolbar_);
            if (std::find(selectable.begin(), selectable.end(), pressed->itemIdentifier()) !=
                selectable.end())
                toolbar_.setSelectedItemIdentifier(pressed->itemIdentifier());
        }
        pressed->performAction();
    }

private:
    Toolbar& toolbar_;
    std::vector<Slot> slots_;
    std::shared_ptr<ToolbarItem> pressed_;
};

Toolbar::Toolbar(std::string identifier) : identifier_(std::move(identifier)) {}

Toolbar::~Toolbar() {
    for (const auto& item : items_)
        if (item->toolbar_ == this)
            item->toolbar_ = nullptr;
    if (view_)
        view_->removeFromSuperview();
}

void Toolbar::setDelegate(ToolbarDelegate* delegate) {
    delegate_ = delegate;
    if (window())
        updateView();
}

std::shared_ptr<ToolbarItem> Toolbar::makeItem(const std::string& identifier, bool willBeInserted) {
    std::shared_ptr<ToolbarItem> item;
    if (identifier == ToolbarSeparatorItemIdentifier || identifier == ToolbarSpaceItemIdentifier ||
        identifier == ToolbarFlexibleSpaceItemIdentifier)
        item = std::make_shared<ToolbarItem>(identifier);
    else if (delegate_)
        item = delegate_->toolbarItemForItemIdentifier(*this, identifier, willBeInserted);
    return item;
}

void Toolbar::loadItemsIfNeeded() {
    if (loaded_ || !delegate_)
        return;
    loaded_ = true;
    for (const auto& identifier : delegate_->toolbarDefaultItemIdentifiers(*this))
        insertItemWithItemIdentifier(identifier, static_cast<long>(items_.size()));
}

const std::vector<std::shared_ptr<ToolbarItem>>& Toolbar::items() {
    loadItemsIfNeeded();
    return items_;
}

std::vector<std::shared_ptr<ToolbarItem>> Toolbar::visibleItems() {
    loadItemsIfNeeded();
    auto* strip = dynamic_cast<ToolbarView*>(view_.get());
    if (!strip || !window() || !visible_)
        return items_;
    std::vector<std::shared_ptr<ToolbarItem>> visible;
    for (const auto& slot : strip->slots())
        visible.push_back(slot.item);
    return visible;
}

void Toolbar::insertItemWithItemIdentifier(const std::string& identifier, long index) {
    auto item = makeItem(identifier, true);
    if (!item)
        return;
    index = std::clamp(index, 0L, static_cast<long>(items_.size()));
    item->toolbar_ = this;
    if (delegate_)
        delegate_->toolbarWillAddItem(*this, *item);
    items_.insert(items_.begin() + index, item);
    itemChanged();
}

void Toolbar::removeItemAtIndex(long index) {
    if (index < 0 || index >= static_cast<long>(items_.size()))
        return;
    auto item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    if (item->view() && item->view()->superview() == view_.get())
        item->view()->removeFromSuperview();
    item->toolbar_ = nullptr;
    if (delegate_)
        delegate_->toolbarDidRemoveItem(*this, *item);
    itemChanged();
}

void Toolbar::setVisible(bool flag) {
    if (visible_ == flag)
        return;
    visible_ = flag;
    updateView();
}

void Toolbar::setDisplayMode(ToolbarDisplayMode mode) {
    displayMode_ = mode;
    itemChanged();
}

void Toolbar::setSizeMode(ToolbarSizeMode mode) {
    sizeMode_ = mode;
    itemChanged();
}

void Toolbar::setShowsBaselineSeparator(bool flag) {
    showsBaselineSeparator_ = flag;
    if (view_)
        view_->setNeedsDisplay(true);
}

void Toolbar::setSelectedItemIdentifier(std::optional<std::string> identifier) {
    if (identifier && delegate_) {
        const auto selectable = delegate_->toolbarSelectableItemIdentifiers(*this);
        if (std::find(selectable.begin(), selectable.end(), *identifier) == selectable.end())
            identifier.reset();
    } else if (identifier) {
        identifier.reset();
    }
    selected_ = std::move(identifier);
    if (view_)
        view_->setNeedsDisplay(true);
}

Window* Toolbar::window() const {
    return window_.lock().get();
}

void Toolbar::attachToWindow(Window* window) {
    if (window == this->window() && (window || !view_ || !view_->superview()))
        return;
    if (view_)
        view_->removeFromSuperview();
    window_ = window ? window->weak_from_this() : std::weak_ptr<Window>();
    if (window)
        loadItemsIfNeeded();
    updateView();
}

View* Toolbar::toolbarView() const {
    return view_.get();
}

double Toolbar::height() {
    loadItemsIfNeeded();
    if (!view_)
        view_ = std::make_shared<ToolbarView>(*this);
    return static_cast<ToolbarView&>(*view_).stripHeight();
}

void Toolbar::itemChanged() {
    if (window())
        updateView();
}

void Toolbar::layout() {
    updateView();
}

// Puts the strip at the top of the window's root view, or takes it away.
void Toolbar::updateView() {
    Window* window = this->window();
    View* root = window ? window->rootView() : nullptr;
    if (!root || !visible_) {
        if (view_)
            view_->removeFromSuperview();
        return;
    }
    if (!view_)
        view_ = std::make_shared<ToolbarView>(*this);
    auto& strip = static_cast<ToolbarView&>(*view_);
    const double h = strip.stripHeight();
    const Rect bounds = root->bounds();
    const double inset = window->toolbarTopInset();
    const double y = root->isFlipped() ? bounds.minY() + inset : bounds.maxY() - inset - h;
    strip.setAutoresizingMask(ViewWidthSizable |
                              (root->isFlipped() ? ViewMaxYMargin : ViewMinYMargin));
    if (strip.superview() != root)
        root->addSubview(view_);
    strip.setFrame({bounds.minX(), y, bounds.width(), h});
    strip.relayout();
}

std::string Toolbar::description() const {
    return "<Toolbar " + identifier_ + ">";
}

} // namespace platform
