#pragma once

#include "platform/kit/Button.h"
#include "platform/kit/PopUpButtonCell.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A button that opens a menu: a pop-up (the chosen item becomes the button's title) or a
// pull-down (a fixed title and commands). A mouse down opens the menu at once.
class PopUpButton : public Button {
public:
    explicit PopUpButton(const Rect& frame = {}, bool pullsDown = false);

    PopUpButtonCell* popUpCell() const;

    const std::shared_ptr<Menu>& menu() const;
    void setMenu(std::shared_ptr<Menu> menu) override;
    bool pullsDown() const;
    void setPullsDown(bool flag);
    bool autoenablesItems() const;
    void setAutoenablesItems(bool flag);
    RectEdge preferredEdge() const;
    void setPreferredEdge(RectEdge edge);

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
    bool selectItemWithTag(long tag);
    MenuItem* selectedItem() const;
    long indexOfSelectedItem() const;
    std::string titleOfSelectedItem() const;
    void synchronizeTitleAndSelectedItem();

    void mouseDown(const Event& event) override;
    // Opens the menu as a click would.
    void performClick(Object* sender) override;
};

} // namespace platform
