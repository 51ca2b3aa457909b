#pragma once

#include "platform/kit/ButtonCell.h"
#include "platform/kit/Responder.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Menu;
class MenuItem;

// The cell of a pop-up or pull-down button: it keeps a menu and shows the selected item (a
// pop-up) or a fixed title, the menu's first item (a pull-down). Items it adds itself send
// the cell's item action, which selects the item and sends the button's action; items with
// actions of their own send those instead.
class PopUpButtonCell : public ButtonCell, public ActionTarget {
public:
    PopUpButtonCell();
    // The original's initTextCell:pullsDown:.
    PopUpButtonCell(std::string title, bool pullsDown);
    ~PopUpButtonCell() override;
    PopUpButtonCell(const PopUpButtonCell&) = delete;
    std::shared_ptr<Cell> copy() const override;

    void setMenu(std::shared_ptr<Menu> menu) override;
    bool pullsDown() const { return pullsDown_; }
    void setPullsDown(bool flag);
    bool autoenablesItems() const;
    void setAutoenablesItems(bool flag);
    // The edge of the button the menu opens from: MaxY (the default) below the button on the
    // screen, MinY above it.
    RectEdge preferredEdge() const { return preferredEdge_; }
    void setPreferredEdge(RectEdge edge) { preferredEdge_ = edge; }
    // Whether choosing an item puts its state mark on (and takes the others' off).
    bool altersStateOfSelectedItem() const { return altersState_; }
    void setAltersStateOfSelectedItem(bool flag);

    void addItemWithTitle(std::string title);
    void addItemsWithTitles(const std::vector<std::string>& titles);
    void insertItemWithTitle(std::string title, long index);
    void removeItemWithTitle(std::string_view title);
    void removeItemAtIndex(long index);
    void removeAllItems();
    std::vector<std::shared_ptr<MenuItem>> itemArray() const;
    long numberOfItems() const;
    long indexOfItem(const MenuItem* item) const;
    long indexOfItemWithTitle(std::string_view title) const;
    long indexOfItemWithTag(long tag) const;
    long indexOfItemWithRepresentedObject(const Value& object) const;
    MenuItem* itemAtIndex(long index) const;
    MenuItem* itemWithTitle(std::string_view title) const;
    MenuItem* lastItem() const;
    std::vector<std::string> itemTitles() const;

    void selectItem(MenuItem* item);
    void selectItemAtIndex(long index);
    void selectItemWithTitle(std::string_view title);
    // False (and nothing changes) when no item has the tag.
    bool selectItemWithTag(long tag);
    MenuItem* selectedItem() const;
    long indexOfSelectedItem() const;
    std::string titleOfSelectedItem() const;
    // Pop-ups show the selected item's title, pull-downs their first item's.
    std::string title() const override;
    void setTitle(std::string title) override;
    void synchronizeTitleAndSelectedItem();

    // Pops the menu up over `frame` of the view and tracks it until it closes; answers whether
    // an item was chosen (its action, or the button's, has then been sent).
    bool performClickWithFrame(const Rect& frame, View* controlView);

    void drawInteriorWithFrame(const Rect& cellFrame, View* controlView) override;
    Rect titleRectForBounds(const Rect& bounds) const override;
    Size cellSizeForBounds(const Rect& bounds) const override;

    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void adoptItem(MenuItem& item);
    Menu& ensureMenu();

    bool pullsDown_ = false;
    RectEdge preferredEdge_ = RectEdge::MaxY;
    bool altersState_ = true;
    std::weak_ptr<MenuItem> selected_;
};

} // namespace platform
