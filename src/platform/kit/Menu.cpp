#include "platform/kit/Menu.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Control.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Screen.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr double kPadding = 4;
constexpr double kSeparatorHeight = 10;
constexpr double kStateColumn = 20;
constexpr double kImageWidth = 20;
constexpr double kIndentStep = 10;
constexpr double kArrowWidth = 16;
constexpr double kRightPadding = 12;
// A release this soon after the menu opened ends the click that opened it, not the menu.
constexpr TimeInterval kClickToOpenTime = 0.5;

Menu::TrackingHook& trackingHook() {
    static Menu::TrackingHook hook;
    return hook;
}

// The trackings under way, innermost last: a quit ends them all.
std::vector<std::weak_ptr<void>>& activeTrackings() {
    static std::vector<std::weak_ptr<void>> trackings;
    return trackings;
}

std::shared_ptr<Menu>& mainMenuSlot() {
    static std::shared_ptr<Menu> menu;
    return menu;
}

double rowHeight(const Menu& menu) {
    return std::ceil(menu.font().defaultLineHeightForFont()) + 4;
}

// The modifier keys held when the menu opened: they choose between an item and its alternate.
EventModifierFlags& openingModifiers() {
    static EventModifierFlags flags = 0;
    return flags;
}

bool alternateChosen(const MenuItem& alternate) {
    const EventModifierFlags mask = alternate.keyEquivalentModifierMask();
    return mask != 0 && (openingModifiers() & mask) == mask;
}

// An alternate shows in place of the item before it while its modifier keys are held.
bool isVisible(const MenuItem& item) {
    if (item.isHidden())
        return false;
    if (item.isAlternate())
        return alternateChosen(item);
    const Menu* menu = item.menu();
    if (!menu)
        return true;
    const long index = menu->indexOfItem(&item);
    const MenuItem* next = index >= 0 ? menu->itemAtIndex(index + 1) : nullptr;
    return !(next && next->isAlternate() && !next->isHidden() && alternateChosen(*next));
}

bool isSelectable(const MenuItem& item) {
    return !item.isSeparatorItem() && isVisible(item) && item.isEnabled();
}

// How a key equivalent reads in a menu on a Linux desktop ("Ctrl+Shift+N").
std::string keyEquivalentLabel(const MenuItem& item) {
    std::string key = item.keyEquivalent();
    if (key.empty())
        return {};
    EventModifierFlags mask = item.keyEquivalentModifierMask();
    if (key.size() == 1 && std::isupper(static_cast<unsigned char>(key[0])))
        mask |= ShiftKeyMask;
    std::string label;
    if (mask & (CommandKeyMask | ControlKeyMask))
        label += "Ctrl+";
    if (mask & AlternateKeyMask)
        label += "Alt+";
    if (mask & ShiftKeyMask)
        label += "Shift+";
    if (key == "\r")
        return label + "Return";
    if (key == "\x1b")
        return label + "Esc";
    if (key == "\x7f" || key == "\b")
        return label + "Backspace";
    if (key == " ")
        return label + "Space";
    if (key.size() == 1)
        key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return label + key;
}

TextAttributes titleAttributes(const Menu& menu, const MenuItem& item, bool highlighted) {
    TextAttributes attributes;
    attributes.font = menu.font();
    attributes.foregroundColor = !item.isEnabled() ? Color::disabledControlTextColor()
                                 : highlighted     ? Color::whiteColor()
                                                   : Color::controlTextColor();
    ParagraphStyle style;
    style.lineBreakMode = LineBreakMode::ByClipping;
    attributes.paragraphStyle = style;
    return attributes;
}

double contentLeft(const Menu& menu, const MenuItem& item) {
    return (menu.showsStateColumn() ? kStateColumn : 8) + item.indentationLevel() * kIndentStep +
           (item.image() ? kImageWidth : 0);
}

// The rows of a menu from its top: the visible items and their heights.
struct Row {
    long index;
    double top;
    double height;
};

std::vector<Row> rowsOf(const Menu& menu) {
    std::vector<Row> rows;
    double y = kPadding;
    const double height = rowHeight(menu);
    for (long i = 0; i < menu.numberOfItems(); ++i) {
        const MenuItem& item = *menu.itemAtIndex(i);
        if (!isVisible(item))
            continue;
        const double h = item.isSeparatorItem() ? kSeparatorHeight : height;
        rows.push_back({i, y, h});
        y += h;
    }
    return rows;
}

// The menu drawn as rows, flipped so that rows go down from the top.
class MenuView : public View {
public:
    MenuView(Menu& menu, const Rect& frame) : View(frame), menu_(menu) {}

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }

    long highlighted() const { return highlighted_; }
    void setHighlighted(long index) {
        if (index == highlighted_)
            return;
        highlighted_ = index;
        setNeedsDisplay(true);
    }

    // The item index under a point of the view, or -1.
    long itemAt(Point p) const {
        for (const Row& row : rowsOf(menu_))
            if (p.y >= row.top && p.y < row.top + row.height && p.x >= 0 && p.x < bounds().width())
                return row.index;
        return -1;
    }

    double topOf(long index) const {
        for (const Row& row : rowsOf(menu_))
            if (row.index == index)
                return row.top;
        return kPadding;
    }

    void drawRect(const Rect& /*dirty*/) override {
        GraphicsContext* context = GraphicsContext::currentContext();
        if (!context)
            return;
        const Rect b = bounds();
        context->setFillColor(Color::colorWithCalibratedWhite(0.97, 1));
        context->fillRect(b);
        for (const Row& row : rowsOf(menu_)) {
            const MenuItem& item = *menu_.itemAtIndex(row.index);
            const Rect r{0, row.top, b.width(), row.height};
            if (item.isSeparatorItem()) {
                context->setFillColor(Color::colorWithCalibratedWhite(0.8, 1));
                context->fillRect({8, std::floor(r.midY()), b.width() - 16, 1});
                continue;
            }
            const bool lit = row.index == highlighted_ && item.isEnabled();
            if (lit) {
                context->setFillColor(Color::alternateSelectedControlColor());
                context->fillRect(r);
            }
            const TextAttributes attributes = titleAttributes(menu_, item, lit);
            const double textTop = r.minY() + 2;
            const double textHeight = r.height() - 4;
            if (menu_.showsStateColumn() && item.state() != OffState)
                drawInRect(item.state() == OnState ? "\u2713" : "\u2013",
                           {4, textTop, kStateColumn - 4, textHeight}, attributes);
            double x = contentLeft(menu_, item);
            if (item.image()) {
                const Size size = item.image()->size();
                const Rect slot{x - kImageWidth, r.minY(), kImageWidth - 4, r.height()};
                item.image()->drawInRect(
                    rectForImageInFrame(size, slot.insetBy(0, 2), ImageScaling::ProportionallyDown,
                                        ImageAlignment::Center, true),
                    ZeroRect, CompositingOperation::SourceOver, item.isEnabled() ? 1.0 : 0.5, true);
            }
            const double right = b.width() - kRightPadding - (item.hasSubmenu() ? kArrowWidth : 0);
            if (item.attributedTitle())
                item.attributedTitle()->drawInRect({x, textTop, right - x, textHeight});
            else
                drawInRect(item.title(), {x, textTop, right - x, textHeight}, attributes);
            if (const std::string label = keyEquivalentLabel(item); !label.empty()) {
                const Size size = sizeWithAttributes(label, attributes);
                drawInRect(label, {right - size.width, textTop, size.width + 1, textHeight},
                           attributes);
            }
            if (item.hasSubmenu())
                drawInRect(
                    "\u25B8",
                    {b.width() - kRightPadding - kArrowWidth + 4, textTop, kArrowWidth, textHeight},
                    attributes);
        }
        context->setFillColor(Color::colorWithCalibratedWhite(0.6, 1));
        FrameRect(b);
    }

private:
    Menu& menu_;
    long highlighted_ = -1;
};

} // namespace

struct Menu::Tracking {
    struct Level {
        Menu* menu;
        std::shared_ptr<Panel> window;
        std::shared_ptr<MenuView> view;
    };
    std::vector<Level> levels;
    bool done = false;
    MenuItem* chosen = nullptr;
    TimeInterval openedAt = 0;
    bool pointerEntered = false;

    Level* levelOf(const Menu* menu) {
        for (auto& level : levels)
            if (level.menu == menu)
                return &level;
        return nullptr;
    }
};

Menu::Menu(std::string title) : title_(std::move(title)) {}

Menu::~Menu() {
    for (const auto& item : items_) {
        if (item->menu_ == this)
            item->menu_ = nullptr;
        if (item->submenu_ && item->submenu_->supermenu_ == this)
            item->submenu_->supermenu_ = nullptr;
    }
}

void Menu::adopt(const std::shared_ptr<MenuItem>& item) {
    if (item->menu_ && item->menu_ != this)
        item->menu_->removeItem(item.get());
    item->menu_ = this;
    if (item->submenu_)
        item->submenu_->supermenu_ = this;
}

void Menu::addItem(std::shared_ptr<MenuItem> item) {
    if (!item)
        return;
    insertItem(std::move(item), numberOfItems());
}

void Menu::insertItem(std::shared_ptr<MenuItem> item, long index) {
    if (!item || index < 0)
        return;
    if (item->menu_ == this)
        removeItem(item.get());
    adopt(item);
    index = std::min(index, numberOfItems());
    items_.insert(items_.begin() + index, std::move(item));
}

std::shared_ptr<MenuItem> Menu::addItemWithTitle(std::string title, std::string action,
                                                 std::string keyEquivalent) {
    return insertItemWithTitle(std::move(title), std::move(action), std::move(keyEquivalent),
                               numberOfItems());
}

std::shared_ptr<MenuItem> Menu::insertItemWithTitle(std::string title, std::string action,
                                                    std::string keyEquivalent, long index) {
    auto item =
        std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
    insertItem(item, index);
    return item;
}

void Menu::removeItem(MenuItem* item) {
    removeItemAtIndex(indexOfItem(item));
}

void Menu::removeItemAtIndex(long index) {
    if (index < 0 || index >= numberOfItems())
        return;
    std::shared_ptr<MenuItem> item = items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
    if (item->menu_ == this)
        item->menu_ = nullptr;
    if (item->submenu_ && item->submenu_->supermenu_ == this)
        item->submenu_->supermenu_ = nullptr;
    if (tracking_)
        if (auto* level = tracking_->levelOf(this)) {
            level->view->setHighlighted(-1);
            level->view->setNeedsDisplay(true);
        }
}

void Menu::removeAllItems() {
    while (!items_.empty())
        removeItemAtIndex(numberOfItems() - 1);
}

long Menu::indexOfItem(const MenuItem* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<long>(i);
    return -1;
}

long Menu::indexOfItemWithTitle(std::string_view title) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i]->isSeparatorItem() && items_[i]->title() == title)
            return static_cast<long>(i);
    return -1;
}

long Menu::indexOfItemWithTag(long tag) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->tag() == tag)
            return static_cast<long>(i);
    return -1;
}

long Menu::indexOfItemWithRepresentedObject(const Value& object) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Value& held = items_[i]->representedObject();
        if (held.isObject() && object.isObject() ? held.object() == object.object()
                                                 : held == object)
            return static_cast<long>(i);
    }
    return -1;
}

long Menu::indexOfItemWithSubmenu(const Menu* submenu) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->submenu().get() == submenu)
            return static_cast<long>(i);
    return -1;
}

long Menu::indexOfItemWithTarget(const ActionTarget* target, std::string_view action) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->target() == target && (action.empty() || items_[i]->action() == action))
            return static_cast<long>(i);
    return -1;
}

bool Menu::showsItem(const MenuItem& item) {
    return isVisible(item);
}

MenuItem* Menu::itemAtIndex(long index) const {
    if (index < 0 || index >= numberOfItems())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

MenuItem* Menu::itemWithTitle(std::string_view title) const {
    return itemAtIndex(indexOfItemWithTitle(title));
}

MenuItem* Menu::itemWithTag(long tag) const {
    return itemAtIndex(indexOfItemWithTag(tag));
}

void Menu::setSubmenu(std::shared_ptr<Menu> submenu, MenuItem* item) {
    if (item)
        item->setSubmenu(std::move(submenu));
}

void Menu::itemChanged(MenuItem& /*item*/) {
    if (tracking_)
        if (auto* level = tracking_->levelOf(this))
            level->view->setNeedsDisplay(true);
}

bool Menu::validateItem(MenuItem& item) const {
    if (item.isSeparatorItem())
        return false;
    if (item.action().empty())
        return item.hasSubmenu();
    ActionTarget* target = WindowServer::shared().targetForAction(item.action(), item.target());
    if (!target)
        return false;
    return target->validateMenuItem(item).value_or(true);
}

void Menu::update() {
    auto keep = weak_from_this().lock();
    // Validation may change the list (a validator that rebuilds it); walk a copy.
    const auto items = items_;
    for (const auto& item : items) {
        if (autoenablesItems_ && !item->isSeparatorItem())
            item->setEnabled(validateItem(*item));
        if (item->submenu())
            item->submenu()->update();
    }
}

bool Menu::performKeyEquivalent(const Event& event) {
    auto keep = weak_from_this().lock();
    const auto items = items_;
    for (const auto& item : items) {
        if (item->isHidden() || item->isSeparatorItem())
            continue;
        if (item->submenu()) {
            if (item->submenu()->performKeyEquivalent(event))
                return true;
            continue;
        }
        if (!item->matchesKeyEquivalent(event))
            continue;
        if (autoenablesItems_)
            item->setEnabled(validateItem(*item));
        if (!item->isEnabled())
            return false;
        performActionForItemAtIndex(indexOfItem(item.get()));
        return true;
    }
    return false;
}

void Menu::performActionForItemAtIndex(long index) {
    MenuItem* item = itemAtIndex(index);
    if (!item)
        return;
    auto keepItem = item->shared_from_this();
    auto keep = weak_from_this().lock();
    Value info;
    info.setObject("MenuItemIndex", Value(index));
    NotificationCenter::defaultCenter().postNotificationName(MenuWillSendActionNotification, this,
                                                             info);
    if (!item->action().empty())
        WindowServer::shared().sendAction(item->action(), item->target(), item);
    NotificationCenter::defaultCenter().postNotificationName(MenuDidSendActionNotification, this,
                                                             info);
}

Size Menu::size() const {
    double width = minimumWidth_;
    for (const auto& item : items_) {
        if (!isVisible(*item) || item->isSeparatorItem())
            continue;
        const TextAttributes attributes = titleAttributes(*this, *item, false);
        const double title = item->attributedTitle()
                                 ? item->attributedTitle()->size().width
                                 : sizeWithAttributes(item->title(), attributes).width;
        const std::string label = keyEquivalentLabel(*item);
        const double key = label.empty() ? 0 : sizeWithAttributes(label, attributes).width + 24;
        width =
            std::max(width, std::ceil(contentLeft(*this, *item) + title + key +
                                      (item->hasSubmenu() ? kArrowWidth : 0) + kRightPadding + 8));
    }
    double height = 2 * kPadding;
    for (const Row& row : rowsOf(*this))
        height += row.height;
    return {std::max(width, 40.0), height};
}

Menu* Menu::mainMenu() {
    return mainMenuSlot().get();
}

void Menu::setMainMenu(std::shared_ptr<Menu> menu) {
    mainMenuSlot() = std::move(menu);
    WindowServer::shared().setMenuKeyEquivalentHandler([](const Event& event) {
        auto menu = mainMenuSlot();
        return menu && menu->performKeyEquivalent(event);
    });
}

void Menu::setTrackingHook(TrackingHook hook) {
    trackingHook() = std::move(hook);
}

bool Menu::isTracking() const {
    return tracking_ && !tracking_->done;
}

MenuItem* Menu::highlightedItem() const {
    if (!tracking_)
        return nullptr;
    for (const auto& level : tracking_->levels)
        if (level.menu == this)
            return itemAtIndex(level.view->highlighted());
    return nullptr;
}

Window* Menu::trackingWindow() const {
    if (!tracking_)
        return nullptr;
    for (const auto& level : tracking_->levels)
        if (level.menu == this)
            return level.window.get();
    return nullptr;
}

std::optional<Rect> Menu::frameOfItemAtIndex(long index) const {
    if (!tracking_)
        return std::nullopt;
    for (const auto& level : tracking_->levels) {
        if (level.menu != this)
            continue;
        for (const Row& row : rowsOf(*this))
            if (row.index == index)
                return level.view->convertRectToView(
                    Rect{0, row.top, level.view->bounds().width(), row.height}, nullptr);
    }
    return std::nullopt;
}

std::vector<Menu*> Menu::trackingMenus() {
    std::vector<Menu*> menus;
    for (const auto& entry : activeTrackings())
        if (auto live = std::static_pointer_cast<Tracking>(entry.lock()); live && !live->done)
            for (const auto& level : live->levels)
                menus.push_back(level.menu);
    return menus;
}

void Menu::cancelTracking() {
    if (tracking_) {
        tracking_->done = true;
        tracking_->chosen = nullptr;
    }
}

void Menu::cancelAllTracking() {
    const auto trackings = activeTrackings();
    for (const auto& entry : trackings)
        if (auto live = std::static_pointer_cast<Tracking>(entry.lock())) {
            live->done = true;
            live->chosen = nullptr;
        }
}

void Menu::finishTrackingWithItem(MenuItem* item) {
    if (!tracking_ || !item || !isSelectable(*item) || item->hasSubmenu() ||
        item->isHiddenOrHasHiddenAncestor() || !item->menu() || !tracking_->levelOf(item->menu()))
        return;
    tracking_->chosen = item;
    tracking_->done = true;
}

namespace {

// Keeps a rectangle on the screen that holds its top-left corner.
Rect onScreen(Rect frame) {
    Screen* screen = screenForRect({frame.minX(), frame.maxY() - 1, 1, 1});
    if (!screen)
        return frame;
    return fitRectInVisibleFrame(frame, screen->visibleFrame());
}

} // namespace

MenuItem* Menu::trackAt(Point topLeft, MenuItem* initiallyHighlighted) {
    if (tracking_)
        return nullptr;
    auto keep = weak_from_this().lock();
    const Event* event = Application::sharedApplication().currentEvent();
    openingModifiers() = event ? event->modifierFlags() : 0;
    auto tracking = std::make_shared<Tracking>();
    tracking->openedAt = RunLoop::main().now();
    activeTrackings().push_back(tracking);
    struct Unregister {
        Tracking* tracking;
        ~Unregister() {
            std::erase_if(activeTrackings(), [this](const std::weak_ptr<void>& entry) {
                auto live = entry.lock();
                return !live || live.get() == tracking;
            });
        }
    } unregister{tracking.get()};

    // Opens `menu` with its top-left corner at `corner` as the next level.
    const auto open = [&tracking](Menu& menu, Point corner) {
        // The menu counts as tracked from here on, so that its delegate can end the tracking
        // (cancelTracking) while it is about to open.
        menu.tracking_ = tracking;
        if (menu.delegate_)
            menu.delegate_->menuNeedsUpdate(menu);
        menu.update();
        if (menu.delegate_)
            menu.delegate_->menuWillOpen(menu);
        const Size size = menu.size();
        const Rect frame = onScreen({corner.x, corner.y - size.height, size.width, size.height});
        auto window = make<Panel>(frame, BorderlessWindowMask);
        window->setLevel(PopUpMenuWindowLevel);
        window->setHasShadow(true);
        window->setReleasedWhenClosed(false);
        auto view = std::make_shared<MenuView>(menu, Rect({}, size));
        window->setContentView(view);
        menu.tracking_ = tracking;
        tracking->levels.push_back({&menu, window, view});
        window->orderFront(nullptr);
    };
    const auto closeFrom = [&tracking](std::size_t depth) {
        while (tracking->levels.size() > depth) {
            Tracking::Level level = tracking->levels.back();
            tracking->levels.pop_back();
            level.window->orderOut(nullptr);
            if (level.menu->delegate_)
                level.menu->delegate_->menuDidClose(*level.menu);
            level.menu->tracking_.reset();
        }
    };
    const auto openSubmenuOf = [&](std::size_t depth, long index) {
        Tracking::Level& level = tracking->levels[depth];
        MenuItem* item = level.menu->itemAtIndex(index);
        closeFrom(depth + 1);
        if (!item || !item->submenu() || !item->isEnabled() || item->submenu()->tracking_)
            return;
        const Rect frame = level.window->frame();
        const double rowTop = level.view->topOf(index);
        open(*item->submenu(), {frame.maxX() - 2, frame.maxY() - rowTop + kPadding});
    };
    const auto selectableIndex = [](Menu& menu, long from, int step) {
        for (long i = from + step; i >= 0 && i < menu.numberOfItems(); i += step)
            if (isSelectable(*menu.itemAtIndex(i)))
                return i;
        return -1L;
    };

    open(*this, topLeft);
    if (initiallyHighlighted && initiallyHighlighted->menu() == this &&
        isSelectable(*initiallyHighlighted))
        tracking->levels.front().view->setHighlighted(indexOfItem(initiallyHighlighted));
    if (trackingHook())
        trackingHook()(*this);

    constexpr EventMask mask = LeftMouseDownMask | LeftMouseUpMask | LeftMouseDraggedMask |
                               RightMouseDownMask | RightMouseUpMask | RightMouseDraggedMask |
                               OtherMouseDownMask | OtherMouseUpMask | MouseMovedMask | KeyDownMask;
    while (!tracking->done) {
        // An inner loop of its own: timers, engine answers and a quit keep running meanwhile,
        // and a cancel from any of them ends the wait at once.
        auto event = nextEventForTracking(mask, EventTrackingRunLoopMode,
                                          [&tracking] { return tracking->done; });
        if (!event)
            break;
        if (tracking->done)
            break;
        Point screen = event->locationInWindow();
        if (Window* window = event->window())
            screen = window->convertBaseToScreen(screen);
        // The deepest open level under the pointer.
        std::optional<std::size_t> at;
        for (std::size_t d = tracking->levels.size(); d-- > 0;)
            if (tracking->levels[d].window->frame().containsPoint(screen)) {
                at = d;
                break;
            }
        long row = -1;
        if (at) {
            Tracking::Level& level = tracking->levels[*at];
            row = level.view->itemAt(level.view->convertPointFromView(
                level.window->convertScreenToBase(screen), nullptr));
        }
        const auto hover = [&] {
            if (!at) {
                // Outside every menu the deepest level drops its highlight; the levels above
                // keep theirs, which lead to it.
                Tracking::Level& deepest = tracking->levels.back();
                deepest.view->setHighlighted(-1);
                return;
            }
            tracking->pointerEntered = true;
            Tracking::Level& level = tracking->levels[*at];
            MenuItem* item = level.menu->itemAtIndex(row);
            const long lit = item && isSelectable(*item) ? row : -1;
            if (lit != level.view->highlighted() && level.menu->delegate_)
                level.menu->delegate_->menuWillHighlightItem(*level.menu,
                                                             level.menu->itemAtIndex(lit));
            level.view->setHighlighted(lit);
            if (item && item->submenu() && lit >= 0)
                openSubmenuOf(*at, row);
            else
                closeFrom(*at + 1);
        };
        switch (event->type()) {
        case EventType::MouseMoved:
        case EventType::LeftMouseDragged:
        case EventType::RightMouseDragged:
            hover();
            break;
        case EventType::LeftMouseDown:
        case EventType::RightMouseDown:
        case EventType::OtherMouseDown:
            if (!at) {
                tracking->done = true;
                break;
            }
            hover();
            break;
        case EventType::LeftMouseUp:
        case EventType::RightMouseUp:
        case EventType::OtherMouseUp: {
            // The release of the click that opened the menu keeps it open, also where the menu
            // lies under the pointer (a pop-up opens over its button): nothing was pressed,
            // moved over or dragged in it yet.
            const bool openingClick = !tracking->pointerEntered &&
                                      RunLoop::main().now() - tracking->openedAt < kClickToOpenTime;
            if (openingClick)
                break;
            if (!at) {
                tracking->done = true;
                break;
            }
            MenuItem* item = tracking->levels[*at].menu->itemAtIndex(row);
            if (item && isSelectable(*item) && !item->hasSubmenu()) {
                tracking->chosen = item;
                tracking->done = true;
            }
            break;
        }
        case EventType::KeyDown: {
            Tracking::Level& level = tracking->levels.back();
            const std::size_t depth = tracking->levels.size() - 1;
            const char32_t c = firstCodePoint(event->charactersIgnoringModifiers().empty()
                                                  ? event->characters()
                                                  : event->charactersIgnoringModifiers());
            const long lit = level.view->highlighted();
            if (c == EscapeCharacter) {
                tracking->done = true;
            } else if (c == UpArrowFunctionKey || c == DownArrowFunctionKey) {
                const int step = c == UpArrowFunctionKey ? -1 : 1;
                const long start = lit >= 0 ? lit : (step > 0 ? -1 : level.menu->numberOfItems());
                const long next = selectableIndex(*level.menu, start, step);
                if (next >= 0)
                    level.view->setHighlighted(next);
            } else if (c == RightArrowFunctionKey) {
                if (lit >= 0) {
                    openSubmenuOf(depth, lit);
                    if (tracking->levels.size() > depth + 1) {
                        Tracking::Level& sub = tracking->levels.back();
                        sub.view->setHighlighted(selectableIndex(*sub.menu, -1, 1));
                    }
                }
            } else if (c == LeftArrowFunctionKey) {
                if (depth > 0)
                    closeFrom(depth);
            } else if (c == CarriageReturnCharacter || c == EnterCharacter || c == ' ') {
                MenuItem* item = level.menu->itemAtIndex(lit);
                if (item && item->hasSubmenu())
                    openSubmenuOf(depth, lit);
                else if (item && isSelectable(*item)) {
                    tracking->chosen = item;
                    tracking->done = true;
                }
            }
            break;
        }
        default:
            break;
        }
    }
    MenuItem* chosen = tracking->chosen;
    std::shared_ptr<MenuItem> keepChosen = chosen ? chosen->shared_from_this() : nullptr;
    closeFrom(0);
    return chosen;
}

bool Menu::popUpMenuPositioningItem(MenuItem* item, Point location, View* view) {
    auto keep = weak_from_this().lock();
    Point screen = location;
    if (view) {
        const Point base = view->convertPointToView(location, nullptr);
        screen = view->window() ? view->window()->convertBaseToScreen(base) : base;
    }
    if (item && item->menu() == this) {
        const auto rows = rowsOf(*this);
        for (const Row& row : rows)
            if (row.index == indexOfItem(item))
                screen.y += row.top;
    }
    MenuItem* chosen = trackAt(screen, item);
    if (!chosen)
        return false;
    auto keepChosen = chosen->shared_from_this();
    if (Menu* owner = chosen->menu())
        owner->performActionForItemAtIndex(owner->indexOfItem(chosen));
    return true;
}

void Menu::popUpContextMenu(const std::shared_ptr<Menu>& menu, const Event& event, View* view) {
    if (!menu)
        return;
    if (view)
        menu->popUpMenuPositioningItem(nullptr, pointInView(event, *view), view);
    else
        menu->popUpMenuPositioningItem(nullptr, event.locationInWindow(), nullptr);
}

std::string Menu::description() const {
    return "<Menu \"" + title_ + "\" " + std::to_string(items_.size()) + " items>";
}

} // namespace platform
