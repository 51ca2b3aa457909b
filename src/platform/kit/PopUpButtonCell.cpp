#include "platform/kit/PopUpButtonCell.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Control.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr std::string_view kItemAction = "_popUpItemAction:";
constexpr double kArrowWidth = 18;

} // namespace

PopUpButtonCell::PopUpButtonCell() : PopUpButtonCell(std::string(), false) {}

PopUpButtonCell::PopUpButtonCell(std::string title, bool pullsDown)
    : ButtonCell(std::string()), pullsDown_(pullsDown) {
    setAlignment(TextAlignment::Natural);
    Cell::setMenu(std::make_shared<Menu>(title));
    if (!title.empty())
        addItemWithTitle(std::move(title));
}

PopUpButtonCell::~PopUpButtonCell() {
    if (menu())
        for (const auto& item : menu()->itemArray())
            if (item->target() == this)
                item->setTarget(nullptr);
}

std::shared_ptr<Cell> PopUpButtonCell::copy() const {
    auto cell = std::make_shared<PopUpButtonCell>(std::string(), pullsDown_);
    cell->setMenu(menu());
    cell->preferredEdge_ = preferredEdge_;
    cell->altersState_ = altersState_;
    cell->selected_ = selected_;
    cell->setFont(font());
    cell->setEnabled(isEnabled());
    cell->setTarget(target());
    cell->setAction(action());
    cell->setTag(tag());
    return cell;
}

Menu& PopUpButtonCell::ensureMenu() {
    if (!menu())
        Cell::setMenu(std::make_shared<Menu>());
    return *menu();
}

void PopUpButtonCell::setMenu(std::shared_ptr<Menu> menu) {
    Cell::setMenu(std::move(menu));
    selected_.reset();
    if (!pullsDown_ && this->menu() && this->menu()->numberOfItems() > 0)
        selectItemAtIndex(0);
    redrawControl();
}

void PopUpButtonCell::setPullsDown(bool flag) {
    pullsDown_ = flag;
    redrawControl();
}

bool PopUpButtonCell::autoenablesItems() const {
    return !menu() || menu()->autoenablesItems();
}

void PopUpButtonCell::setAutoenablesItems(bool flag) {
    ensureMenu().setAutoenablesItems(flag);
}

void PopUpButtonCell::setAltersStateOfSelectedItem(bool flag) {
    altersState_ = flag;
    if (MenuItem* item = selectedItem())
        item->setState(flag ? OnState : OffState);
}

void PopUpButtonCell::adoptItem(MenuItem& item) {
    item.setAction(std::string(kItemAction));
    item.setTarget(this);
}

void PopUpButtonCell::addItemWithTitle(std::string title) {
    insertItemWithTitle(std::move(title), numberOfItems());
}

void PopUpButtonCell::addItemsWithTitles(const std::vector<std::string>& titles) {
    for (const auto& title : titles)
        addItemWithTitle(title);
}

void PopUpButtonCell::insertItemWithTitle(std::string title, long index) {
    Menu& menu = ensureMenu();
    // Titles are unique in a pop-up: an item with the same title makes way.
    removeItemWithTitle(title);
    auto item = menu.insertItemWithTitle(std::move(title), "", "", index);
    adoptItem(*item);
    if (!pullsDown_ && !selectedItem())
        selectItem(item.get());
    redrawControl();
}

void PopUpButtonCell::removeItemWithTitle(std::string_view title) {
    removeItemAtIndex(indexOfItemWithTitle(title));
}

void PopUpButtonCell::removeItemAtIndex(long index) {
    if (!menu() || !menu()->itemAtIndex(index))
        return;
    const bool wasSelected = menu()->itemAtIndex(index) == selectedItem();
    menu()->removeItemAtIndex(index);
    if (wasSelected) {
        selected_.reset();
        if (!pullsDown_ && numberOfItems() > 0)
            selectItemAtIndex(std::min(index, numberOfItems() - 1));
    }
    redrawControl();
}

void PopUpButtonCell::removeAllItems() {
    if (menu())
        menu()->removeAllItems();
    selected_.reset();
    redrawControl();
}

std::vector<std::shared_ptr<MenuItem>> PopUpButtonCell::itemArray() const {
    return menu() ? menu()->itemArray() : std::vector<std::shared_ptr<MenuItem>>{};
}

long PopUpButtonCell::numberOfItems() const {
    return menu() ? menu()->numberOfItems() : 0;
}

long PopUpButtonCell::indexOfItem(const MenuItem* item) const {
    return menu() ? menu()->indexOfItem(item) : -1;
}

long PopUpButtonCell::indexOfItemWithTitle(std::string_view title) const {
    return menu() ? menu()->indexOfItemWithTitle(title) : -1;
}

long PopUpButtonCell::indexOfItemWithTag(long tag) const {
    return menu() ? menu()->indexOfItemWithTag(tag) : -1;
}

long PopUpButtonCell::indexOfItemWithRepresentedObject(const Value& object) const {
    return menu() ? menu()->indexOfItemWithRepresentedObject(object) : -1;
}

MenuItem* PopUpButtonCell::itemAtIndex(long index) const {
    return menu() ? menu()->itemAtIndex(index) : nullptr;
}

MenuItem* PopUpButtonCell::itemWithTitle(std::string_view title) const {
    return menu() ? menu()->itemWithTitle(title) : nullptr;
}

MenuItem* PopUpButtonCell::lastItem() const {
    return itemAtIndex(numberOfItems() - 1);
}

std::vector<std::string> PopUpButtonCell::itemTitles() const {
    std::vector<std::string> titles;
    for (const auto& item : itemArray())
        titles.push_back(item->title());
    return titles;
}

void PopUpButtonCell::selectItem(MenuItem* item) {
    if (item && indexOfItem(item) < 0)
        return;
    if (altersState_)
        if (MenuItem* old = selectedItem())
            old->setState(OffState);
    selected_ = item ? item->weak_from_this() : std::weak_ptr<MenuItem>();
    if (item && altersState_)
        item->setState(OnState);
    redrawControl();
}

void PopUpButtonCell::selectItemAtIndex(long index) {
    selectItem(itemAtIndex(index));
}

void PopUpButtonCell::selectItemWithTitle(std::string_view title) {
    selectItem(itemWithTitle(title));
}

bool PopUpButtonCell::selectItemWithTag(long tag) {
    MenuItem* item = itemAtIndex(indexOfItemWithTag(tag));
    if (!item)
        return false;
    selectItem(item);
    return true;
}

MenuItem* PopUpButtonCell::selectedItem() const {
    auto item = selected_.lock();
    if (!item || !menu() || item->menu() != menu().get())
        return nullptr;
    return item.get();
}

long PopUpButtonCell::indexOfSelectedItem() const {
    return indexOfItem(selectedItem());
}

std::string PopUpButtonCell::titleOfSelectedItem() const {
    MenuItem* item = selectedItem();
    return item ? item->title() : std::string();
}

std::string PopUpButtonCell::title() const {
    if (pullsDown_) {
        MenuItem* first = itemAtIndex(0);
        return first ? first->title() : std::string();
    }
    return titleOfSelectedItem();
}

void PopUpButtonCell::setTitle(std::string title) {
    // The original picks the item of that title, adding one when there is none.
    if (pullsDown_) {
        if (MenuItem* first = itemAtIndex(0))
            first->setTitle(std::move(title));
        else
            addItemWithTitle(std::move(title));
    } else if (MenuItem* item = itemWithTitle(title)) {
        selectItem(item);
    } else {
        addItemWithTitle(title);
        selectItemWithTitle(title);
    }
    redrawControl();
}

void PopUpButtonCell::synchronizeTitleAndSelectedItem() {
    redrawControl();
}

bool PopUpButtonCell::performClickWithFrame(const Rect& frame, View* controlView) {
    if (!menu() || numberOfItems() == 0 || !isEnabled())
        return false;
    auto keepMenu = menu();
    auto keepView = controlView ? controlView->weak_from_this().lock() : nullptr;
    Menu& menu = *keepMenu;
    const double oldWidth = menu.minimumWidth();
    menu.setMinimumWidth(std::max(oldWidth, frame.width()));

    // A pull-down's first item is its title and does not show in the menu.
    std::shared_ptr<MenuItem> titleItem;
    bool titleWasHidden = false;
    if (pullsDown_ && menu.numberOfItems() > 0) {
        titleItem = menu.itemArray().front();
        titleWasHidden = titleItem->isHidden();
        titleItem->setHidden(true);
    }

    // Where the menu's top-left corner goes, in the view's coordinates.
    const bool flipped = controlView && controlView->isFlipped();
    Point corner;
    MenuItem* positioning = nullptr;
    if (pullsDown_) {
        const bool below = preferredEdge_ != RectEdge::MinY;
        const double belowY = flipped ? frame.maxY() : frame.minY();
        corner = {frame.minX(), below ? belowY : (flipped ? frame.minY() : frame.maxY())};
        if (!below)
            corner.y += flipped ? -menu.size().height : menu.size().height;
    } else {
        corner = {frame.minX(), flipped ? frame.minY() : frame.maxY()};
        positioning = selectedItem();
    }
    Point screen = corner;
    if (controlView) {
        const Point base = controlView->convertPointToView(corner, nullptr);
        screen = controlView->window() ? controlView->window()->convertBaseToScreen(base) : base;
    }
    if (positioning) {
        // Put the selected item's row over the button.
        const double rowHeight = std::ceil(menu.font().defaultLineHeightForFont()) + 4;
        double top = 4;
        for (const auto& item : menu.itemArray()) {
            if (item.get() == positioning)
                break;
            if (!item->isHidden())
                top += item->isSeparatorItem() ? 10 : rowHeight;
        }
        screen.y += top - std::max(0.0, (rowHeight - frame.height()) / 2);
    }

    MenuItem* chosen = menu.trackAt(screen, positioning);
    std::shared_ptr<MenuItem> keepChosen = chosen ? chosen->shared_from_this() : nullptr;
    if (titleItem)
        titleItem->setHidden(titleWasHidden);
    menu.setMinimumWidth(oldWidth);
    if (!chosen)
        return false;
    if (Menu* owner = chosen->menu())
        owner->performActionForItemAtIndex(owner->indexOfItem(chosen));
    return true;
}

bool PopUpButtonCell::respondsToAction(std::string_view action) const {
    return action == kItemAction;
}

bool PopUpButtonCell::tryToPerform(std::string_view action, Object* sender) {
    if (action != kItemAction)
        return false;
    auto* item = dynamic_cast<MenuItem*>(sender);
    if (!pullsDown_ && item)
        selectItem(item);
    if (auto* control = dynamic_cast<Control*>(controlView()))
        control->sendAction(this->action(), target());
    return true;
}

Rect PopUpButtonCell::titleRectForBounds(const Rect& bounds) const {
    Rect r = ButtonCell::titleRectForBounds(bounds);
    r.size.width = std::max(0.0, r.width() - kArrowWidth);
    return r;
}

Size PopUpButtonCell::cellSizeForBounds(const Rect& bounds) const {
    double width = 0;
    TextAttributes attributes = textAttributes();
    for (const auto& item : itemArray())
        width = std::max(width, sizeWithAttributes(item->title(), attributes).width);
    Size size = ButtonCell::cellSizeForBounds(bounds);
    size.width = std::max(size.width, std::ceil(width) + 40);
    return size;
}

void PopUpButtonCell::drawInteriorWithFrame(const Rect& cellFrame, View* controlView) {
    const Rect content = isBordered() ? cellFrame.insetBy(6, 2) : cellFrame;
    const Rect titleRect = titleRectForBounds(cellFrame);
    const std::string text = title();
    TextAttributes attributes = textAttributes();
    if (!text.empty())
        drawTitle(AttributedString(text, attributes), titleRect, controlView);
    drawTitle(AttributedString("\u25BE", attributes),
              {content.maxX() - kArrowWidth + 4, content.minY(), kArrowWidth - 4, content.height()},
              controlView);
}

} // namespace platform
