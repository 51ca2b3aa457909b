#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/MenuItem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ActionTarget;
class Event;
class Menu;
class View;
class Window;

// What a menu tells its delegate. Every function is optional.
class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    // Before the menu opens, so that the delegate can rebuild its items.
    virtual void menuNeedsUpdate(Menu& /*menu*/) {}
    virtual void menuWillOpen(Menu& /*menu*/) {}
    virtual void menuDidClose(Menu& /*menu*/) {}
    virtual void menuWillHighlightItem(Menu& /*menu*/, MenuItem* /*item*/) {}
};

// Posted with the menu as object; the user info holds "MenuItemIndex".
inline constexpr std::string_view MenuWillSendActionNotification =
    "NSMenuWillSendActionNotification";
inline constexpr std::string_view MenuDidSendActionNotification = "NSMenuDidSendActionNotification";

// An ordered list of menu items. Menus are shared (a submenu is kept by its parent item, a
// pop-up button keeps its menu); items are kept by the menu.
//
// Validation: with autoenablesItems (the default), update() enables each item whose action
// someone answers, asking that someone's validateMenuItem: the item's target when it has one,
// else the first responder along the chain that answers the action. Items without an action
// are enabled only when they hold a submenu.
//
// A menu pops up as a window of its own at the pop-up menu level and tracks the mouse and
// the keyboard in a nested run loop in the event-tracking mode until an item is chosen or the
// tracking is cancelled (a click outside, Escape, cancelTracking, or no more input under a
// test's manual clock); the chosen item's action is sent after the menu has closed.
class Menu : public Object, public std::enable_shared_from_this<Menu> {
public:
    explicit Menu(std::string title = {});
    ~Menu() override;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    const std::vector<std::shared_ptr<MenuItem>>& itemArray() const { return items_; }
    long numberOfItems() const { return static_cast<long>(items_.size()); }
    // An item that is in another menu is taken out of it first.
    void addItem(std::shared_ptr<MenuItem> item);
    void insertItem(std::shared_ptr<MenuItem> item, long index);
    std::shared_ptr<MenuItem> addItemWithTitle(std::string title, std::string action,
                                               std::string keyEquivalent);
    std::shared_ptr<MenuItem> insertItemWithTitle(std::string title, std::string action,
                                                  std::string keyEquivalent, long index);
    void removeItem(MenuItem* item);
    void removeItemAtIndex(long index);
    void removeAllItems();

    // -1 when not found.
    long indexOfItem(const MenuItem* item) const;
    long indexOfItemWithTitle(std::string_view title) const;
    long indexOfItemWithTag(long tag) const;
    long indexOfItemWithRepresentedObject(const Value& object) const;
    long indexOfItemWithSubmenu(const Menu* submenu) const;
    long indexOfItemWithTarget(const ActionTarget* target, std::string_view action) const;
    // nullptr when out of range or not found.
    MenuItem* itemAtIndex(long index) const;
    // Whether the item shows in the menu as it is open, or opens next: not hidden, and an
    // alternate item only while the modifier keys it names were held as the menu opened, in
    // place of the item before it.
    static bool showsItem(const MenuItem& item);
    MenuItem* itemWithTitle(std::string_view title) const;
    MenuItem* itemWithTag(long tag) const;

    void setSubmenu(std::shared_ptr<Menu> submenu, MenuItem* item);
    // The menu whose item holds this one as submenu, or nullptr.
    Menu* supermenu() const { return supermenu_; }

    MenuDelegate* delegate() const { return delegate_; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(MenuDelegate* delegate) { delegate_ = delegate; }

    bool autoenablesItems() const { return autoenablesItems_; }
    void setAutoenablesItems(bool flag) { autoenablesItems_ = flag; }
    // Validates every item now (when autoenablesItems is on), submenus included.
    void update();
    // Whether the item would be enabled by validation (the item is not changed).
    bool validateItem(MenuItem& item) const;

    // Finds a visible item, here or in a submenu, whose key equivalent the event is; when it
    // is enabled (after validation) performs it and answers true.
    bool performKeyEquivalent(const Event& event);
    // Sends the item's action to its target, or along the responder chain, with the item as
    // sender, telling observers before and after.
    void performActionForItemAtIndex(long index);

    // Pops the menu up with `item` (or the menu's top-left corner when null) at `location` in
    // `view` (screen coordinates when the view is null); answers whether an item was chosen.
    bool popUpMenuPositioningItem(MenuItem* item, Point location, View* view);
    // Pops the menu up at the event's location for a context click in `view`.
    static void popUpContextMenu(const std::shared_ptr<Menu>& menu, const Event& event, View* view);
    // The pop-up without sending anything: the menu's top-left corner at `topLeft` in screen
    // coordinates; answers the chosen item, or nullptr when tracking was cancelled.
    MenuItem* trackAt(Point topLeft, MenuItem* initiallyHighlighted = nullptr);
    // Ends tracking with nothing chosen.
    void cancelTracking();
    // Ends every menu's tracking with nothing chosen (the application is quitting).
    static void cancelAllTracking();
    void cancelTrackingWithoutAnimation() { cancelTracking(); }
    // Ends tracking as a click on `item` would (disabled, hidden and separator items are
    // ignored); tests and keyboard navigation use it.
    void finishTrackingWithItem(MenuItem* item);
    bool isTracking() const;
    MenuItem* highlightedItem() const;
    // The window showing the menu while it is open, or nullptr.
    Window* trackingWindow() const;
    // Where the item's row lies in the tracking window's base coordinates while the menu is
    // open; nullopt when it is closed or the item shows no row.
    std::optional<Rect> frameOfItemAtIndex(long index) const;
    // The menus on the screen now, outermost first (submenus after their menu).
    static std::vector<Menu*> trackingMenus();

    // Appearance.
    const Font& font() const { return font_; }
    void setFont(const Font& font) { font_ = font; }
    double minimumWidth() const { return minimumWidth_; }
    void setMinimumWidth(double width) { minimumWidth_ = width; }
    bool showsStateColumn() const { return showsStateColumn_; }
    void setShowsStateColumn(bool flag) { showsStateColumn_ = flag; }
    // The size the menu takes when it pops up.
    Size size() const;

    // The application's menu bar menu: its key equivalents are offered after the key window's
    // views have passed on a Command or Control key.
    static Menu* mainMenu();
    static void setMainMenu(std::shared_ptr<Menu> menu);

    // Tests: called once a pop-up menu is on the screen and before it reads any input, with
    // the menu; the hook may post events, call finishTrackingWithItem or cancelTracking.
    using TrackingHook = std::function<void(Menu&)>;
    static void setTrackingHook(TrackingHook hook);

    std::string description() const override;

private:
    friend class MenuItem;
    struct Tracking;
    void itemChanged(MenuItem& item);
    void adopt(const std::shared_ptr<MenuItem>& item);

    std::string title_;
    std::vector<std::shared_ptr<MenuItem>> items_;
    Menu* supermenu_ = nullptr;
    MenuDelegate* delegate_ = nullptr;
    bool autoenablesItems_ = true;
    Font font_ = Font::menuFontOfSize(0);
    double minimumWidth_ = 0;
    bool showsStateColumn_ = true;
    std::shared_ptr<Tracking> tracking_;
};

} // namespace platform
