#pragma once

#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class Image;
class Menu;
class MenuItem;

// An application's menu bar drawn as a strip of titles inside a window, for desktops that have
// no global menu bar. It shows the visible items of its menu that hold a submenu, left to
// right; a click on a title pops that submenu up below it with the menu's own tracking (so the
// submenu's delegate, validation and actions behave as from a real menu bar). Titles that do
// not fit are gathered behind a chevron at the right end, whose menu names them; choosing one
// opens its submenu there.
//
// An optional icon at the left end opens another menu (the window's icon menu), which the
// view asks for each time it opens.
class MenuBarView : public View {
public:
    explicit MenuBarView(const Rect& frame = {});
    ~MenuBarView() override;

    const std::shared_ptr<Menu>& menu() const { return menu_; }
    void setMenu(std::shared_ptr<Menu> menu);

    const Font& font() const { return font_; }
    void setFont(const Font& font);

    // The icon at the left end; none when null.
    const std::shared_ptr<Image>& iconImage() const { return iconImage_; }
    void setIconImage(std::shared_ptr<Image> image);
    // Answers the icon's menu when it opens; a null answer opens nothing.
    using MenuProvider = std::function<std::shared_ptr<Menu>()>;
    void setIconMenuProvider(MenuProvider provider) { iconMenuProvider_ = std::move(provider); }

    // What the strip shows now, left to right, in the view's coordinates.
    enum class SlotKind { Icon, Title, Overflow };
    struct Slot {
        SlotKind kind;
        MenuItem* item; // the menu-bar item of a title, else nullptr
        Rect frame;
    };
    std::vector<Slot> slots() const;
    // The menu-bar items behind the chevron, in menu order.
    std::vector<MenuItem*> overflowItems() const;

    // Opens the submenu of a menu-bar item below its title (or below the chevron when the
    // title is behind it) and tracks it until it closes; answers whether an item was chosen.
    bool openMenuOfItem(MenuItem* item);
    bool openIconMenu();
    bool openOverflowMenu();
    // The menu-bar item whose menu is open now, or nullptr.
    MenuItem* openItem() const { return openItem_; }

    void drawRect(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void rightMouseDown(const Event& event) override;
    bool acceptsFirstMouse(const Event* /*event*/) override { return true; }

private:
    struct Layout;
    Layout layout() const;
    bool popUp(Menu& menu, const Rect& below);
    // The slot under a point of the view, or nullptr.
    const Slot* slotAt(const std::vector<Slot>& slots, Point point) const;

    std::shared_ptr<Menu> menu_;
    Font font_;
    std::shared_ptr<Image> iconImage_;
    MenuProvider iconMenuProvider_;
    MenuItem* openItem_ = nullptr;
    bool iconOpen_ = false;
    bool overflowOpen_ = false;
};

} // namespace platform
