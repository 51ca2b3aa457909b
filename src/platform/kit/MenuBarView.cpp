#include "platform/kit/MenuBarView.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Cell.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform {

namespace {

constexpr double kLeftInset = 2;
constexpr double kTitlePadding = 6;
constexpr double kIconInset = 3;
constexpr std::string_view kChevron = "\u00BB";

bool showsAsTitle(const MenuItem& item) {
    return !item.isHidden() && !item.isSeparatorItem() && item.submenu();
}

TextAttributes titleAttributes(const Font& font, bool open) {
    TextAttributes attributes;
    attributes.font = font;
    attributes.foregroundColor = open ? Color::whiteColor() : Color::controlTextColor();
    ParagraphStyle style;
    style.lineBreakMode = LineBreakMode::ByClipping;
    attributes.paragraphStyle = style;
    return attributes;
}

} // namespace

struct MenuBarView::Layout {
    std::vector<Slot> slots;
    std::vector<MenuItem*> overflow;
};

MenuBarView::MenuBarView(const Rect& frame) : View(frame), font_(Font::menuBarFontOfSize(12)) {}

MenuBarView::~MenuBarView() = default;

void MenuBarView::setMenu(std::shared_ptr<Menu> menu) {
    menu_ = std::move(menu);
    setNeedsDisplay(true);
}

void MenuBarView::setFont(const Font& font) {
    font_ = font;
    setNeedsDisplay(true);
}

void MenuBarView::setIconImage(std::shared_ptr<Image> image) {
    iconImage_ = std::move(image);
    setNeedsDisplay(true);
}

MenuBarView::Layout MenuBarView::layout() const {
    Layout out;
    const Rect b = bounds();
    double x = b.minX() + kLeftInset;
    if (iconImage_) {
        const double side = b.height();
        out.slots.push_back({SlotKind::Icon, nullptr, {x, b.minY(), side, side}});
        x += side + 2;
    }
    if (!menu_)
        return out;

    const TextAttributes attributes = titleAttributes(font_, false);
    const double chevronWidth =
        std::ceil(sizeWithAttributes(kChevron, attributes).width) + 2 * kTitlePadding;
    std::vector<std::pair<MenuItem*, double>> titles;
    for (const auto& item : menu_->itemArray())
        if (showsAsTitle(*item))
            titles.emplace_back(item.get(),
                                std::ceil(sizeWithAttributes(item->title(), attributes).width) +
                                    2 * kTitlePadding);
    double total = 0;
    for (const auto& title : titles)
        total += title.second;
    // Everything fits: no chevron. Otherwise the chevron takes its room at the end first.
    const double limit = x + total <= b.maxX() + 0.01 ? b.maxX() : b.maxX() - chevronWidth;
    bool overflowing = false;
    for (const auto& [item, width] : titles) {
        if (!overflowing && x + width <= limit + 0.01) {
            out.slots.push_back({SlotKind::Title, item, {x, b.minY(), width, b.height()}});
            x += width;
        } else {
            overflowing = true;
            out.overflow.push_back(item);
        }
    }
    if (overflowing)
        out.slots.push_back({SlotKind::Overflow,
                             nullptr,
                             {b.maxX() - chevronWidth, b.minY(), chevronWidth, b.height()}});
    return out;
}

std::vector<MenuBarView::Slot> MenuBarView::slots() const {
    return layout().slots;
}

std::vector<MenuItem*> MenuBarView::overflowItems() const {
    return layout().overflow;
}

const MenuBarView::Slot* MenuBarView::slotAt(const std::vector<Slot>& slots, Point point) const {
    for (const Slot& slot : slots)
        if (slot.frame.containsPoint(point))
            return &slot;
    return nullptr;
}

bool MenuBarView::popUp(Menu& menu, const Rect& below) {
    auto keep = sharedView();
    setNeedsDisplay(true);
    // The menu's top-left corner at the slot's bottom-left corner.
    const Point corner{below.minX(), isFlipped() ? below.maxY() : below.minY()};
    const bool chosen = menu.popUpMenuPositioningItem(nullptr, corner, this);
    openItem_ = nullptr;
    iconOpen_ = false;
    overflowOpen_ = false;
    setNeedsDisplay(true);
    return chosen;
}

bool MenuBarView::openMenuOfItem(MenuItem* item) {
    if (!item || !menu_ || item->menu() != menu_.get() || !showsAsTitle(*item))
        return false;
    const Layout current = layout();
    Rect below;
    bool found = false;
    for (const Slot& slot : current.slots) {
        if (slot.item == item || (slot.kind == SlotKind::Overflow && !found)) {
            below = slot.frame;
            found = slot.item == item;
            if (found)
                break;
        }
    }
    if (below.isEmpty())
        return false;
    auto keepItem = item->shared_from_this();
    std::shared_ptr<Menu> submenu = item->submenu();
    openItem_ = item;
    return popUp(*submenu, below);
}

bool MenuBarView::openIconMenu() {
    if (!iconImage_ || !iconMenuProvider_)
        return false;
    std::shared_ptr<Menu> menu = iconMenuProvider_();
    if (!menu)
        return false;
    for (const Slot& slot : layout().slots)
        if (slot.kind == SlotKind::Icon) {
            iconOpen_ = true;
            return popUp(*menu, slot.frame);
        }
    return false;
}

bool MenuBarView::openOverflowMenu() {
    const Layout current = layout();
    if (current.overflow.empty())
        return false;
    Rect below;
    for (const Slot& slot : current.slots)
        if (slot.kind == SlotKind::Overflow)
            below = slot.frame;
    // A list of the hidden titles; the one chosen opens its own menu in the same place, so
    // the submenus keep their one parent item in the menu bar.
    auto list = std::make_shared<Menu>(std::string(kChevron));
    list->setAutoenablesItems(false);
    list->setShowsStateColumn(false);
    list->setFont(font_);
    for (std::size_t i = 0; i < current.overflow.size(); ++i) {
        auto entry = list->addItemWithTitle(current.overflow[i]->title(), {}, {});
        entry->setTag(static_cast<long>(i));
    }
    auto keep = sharedView();
    overflowOpen_ = true;
    setNeedsDisplay(true);
    const Point corner{below.minX(), isFlipped() ? below.maxY() : below.minY()};
    const Point base = convertPointToView(corner, nullptr);
    const Point screen = window() ? window()->convertBaseToScreen(base) : base;
    MenuItem* chosen = list->trackAt(screen);
    const long index = chosen ? chosen->tag() : -1;
    overflowOpen_ = false;
    setNeedsDisplay(true);
    if (index < 0 || index >= static_cast<long>(current.overflow.size()))
        return false;
    MenuItem* item = current.overflow[static_cast<std::size_t>(index)];
    if (!item->submenu())
        return false;
    auto keepItem = item->shared_from_this();
    std::shared_ptr<Menu> submenu = item->submenu();
    openItem_ = item;
    return popUp(*submenu, below);
}

void MenuBarView::mouseDown(const Event& event) {
    const Point point = convertPointFromView(event.locationInWindow(), nullptr);
    const std::vector<Slot> current = slots();
    const Slot* slot = slotAt(current, point);
    if (!slot)
        return;
    switch (slot->kind) {
    case SlotKind::Icon:
        openIconMenu();
        break;
    case SlotKind::Title:
        openMenuOfItem(slot->item);
        break;
    case SlotKind::Overflow:
        openOverflowMenu();
        break;
    }
}

void MenuBarView::rightMouseDown(const Event& event) {
    // A secondary click on the icon opens its menu too, as on a window's icon.
    const Point point = convertPointFromView(event.locationInWindow(), nullptr);
    const std::vector<Slot> current = slots();
    if (const Slot* slot = slotAt(current, point); slot && slot->kind == SlotKind::Icon) {
        openIconMenu();
        return;
    }
    View::rightMouseDown(event);
}

void MenuBarView::drawRect(const Rect& /*dirtyRect*/) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context)
        return;
    const double lineHeight = std::ceil(font_.defaultLineHeightForFont());
    for (const Slot& slot : slots()) {
        const bool open = (slot.kind == SlotKind::Title && slot.item == openItem_ && openItem_) ||
                          (slot.kind == SlotKind::Icon && iconOpen_) ||
                          (slot.kind == SlotKind::Overflow && overflowOpen_);
        if (open) {
            context->setFillColor(Color::alternateSelectedControlColor());
            context->fillRect(slot.frame.insetBy(0, 1));
        }
        if (slot.kind == SlotKind::Icon) {
            const Rect inner = slot.frame.insetBy(kIconInset, kIconInset);
            iconImage_->drawInRect(rectForImageInFrame(iconImage_->size(), inner,
                                                       ImageScaling::ProportionallyUpOrDown,
                                                       ImageAlignment::Center, isFlipped()),
                                   ZeroRect, CompositingOperation::SourceOver, 1.0, true);
            continue;
        }
        const std::string title =
            slot.kind == SlotKind::Overflow ? std::string(kChevron) : slot.item->title();
        const double y = slot.frame.minY() + std::floor((slot.frame.height() - lineHeight) / 2);
        drawInRect(title,
                   {slot.frame.minX() + kTitlePadding, y,
                    slot.frame.width() - 2 * kTitlePadding + 1, lineHeight},
                   titleAttributes(font_, open));
    }
}

} // namespace platform
