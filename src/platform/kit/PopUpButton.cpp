#include "platform/kit/PopUpButton.h"

#include "platform/kit/Menu.h"

namespace platform {

PopUpButton::PopUpButton(const Rect& frame, bool pullsDown) : Button(frame) {
    setCell(std::make_shared<PopUpButtonCell>(std::string(), pullsDown));
    Control::setMenu(cell()->menu());
}

PopUpButtonCell* PopUpButton::popUpCell() const {
    return dynamic_cast<PopUpButtonCell*>(cell());
}

const std::shared_ptr<Menu>& PopUpButton::menu() const {
    return cell()->menu();
}

void PopUpButton::setMenu(std::shared_ptr<Menu> menu) {
    Control::setMenu(menu);
    cell()->setMenu(std::move(menu));
    setNeedsDisplay(true);
}

#define CELL_OR(expr, fallback) (popUpCell() ? popUpCell()->expr : fallback)
#define ON_CELL(expr)                                                                              \
    do {                                                                                           \
        if (PopUpButtonCell* c = popUpCell())                                                      \
            c->expr;                                                                               \
        setNeedsDisplay(true);                                                                     \
    } while (false)

bool PopUpButton::pullsDown() const {
    return CELL_OR(pullsDown(), false);
}
void PopUpButton::setPullsDown(bool flag) {
    ON_CELL(setPullsDown(flag));
}
bool PopUpButton::autoenablesItems() const {
    return CELL_OR(autoenablesItems(), true);
}
void PopUpButton::setAutoenablesItems(bool flag) {
    ON_CELL(setAutoenablesItems(flag));
}
RectEdge PopUpButton::preferredEdge() const {
    return CELL_OR(preferredEdge(), RectEdge::MaxY);
}
void PopUpButton::setPreferredEdge(RectEdge edge) {
    ON_CELL(setPreferredEdge(edge));
}
void PopUpButton::addItemWithTitle(std::string title) {
    ON_CELL(addItemWithTitle(std::move(title)));
}
void PopUpButton::addItemsWithTitles(const std::vector<std::string>& titles) {
    ON_CELL(addItemsWithTitles(titles));
}
void PopUpButton::insertItemWithTitle(std::string title, long index) {
    ON_CELL(insertItemWithTitle(std::move(title), index));
}
void PopUpButton::removeItemWithTitle(std::string_view title) {
    ON_CELL(removeItemWithTitle(title));
}
void PopUpButton::removeItemAtIndex(long index) {
    ON_CELL(removeItemAtIndex(index));
}
void PopUpButton::removeAllItems() {
    ON_CELL(removeAllItems());
}
std::vector<std::shared_ptr<MenuItem>> PopUpButton::itemArray() const {
    return CELL_OR(itemArray(), std::vector<std::shared_ptr<MenuItem>>{});
}
long PopUpButton::numberOfItems() const {
    return CELL_OR(numberOfItems(), 0);
}
long PopUpButton::indexOfItem(const MenuItem* item) const {
    return CELL_OR(indexOfItem(item), -1);
}
long PopUpButton::indexOfItemWithTitle(std::string_view title) const {
    return CELL_OR(indexOfItemWithTitle(title), -1);
}
long PopUpButton::indexOfItemWithTag(long tag) const {
    return CELL_OR(indexOfItemWithTag(tag), -1);
}
long PopUpButton::indexOfItemWithRepresentedObject(const Value& object) const {
    return CELL_OR(indexOfItemWithRepresentedObject(object), -1);
}
MenuItem* PopUpButton::itemAtIndex(long index) const {
    return CELL_OR(itemAtIndex(index), nullptr);
}
MenuItem* PopUpButton::itemWithTitle(std::string_view title) const {
    return CELL_OR(itemWithTitle(title), nullptr);
}
MenuItem* PopUpButton::lastItem() const {
    return CELL_OR(lastItem(), nullptr);
}
std::vector<std::string> PopUpButton::itemTitles() const {
    return CELL_OR(itemTitles(), std::vector<std::string>{});
}
void PopUpButton::selectItem(MenuItem* item) {
    ON_CELL(selectItem(item));
}
void PopUpButton::selectItemAtIndex(long index) {
    ON_CELL(selectItemAtIndex(index));
}
void PopUpButton::selectItemWithTitle(std::string_view title) {
    ON_CELL(selectItemWithTitle(title));
}
bool PopUpButton::selectItemWithTag(long tag) {
    const bool found = CELL_OR(selectItemWithTag(tag), false);
    setNeedsDisplay(true);
    return found;
}
MenuItem* PopUpButton::selectedItem() const {
    return CELL_OR(selectedItem(), nullptr);
}
long PopUpButton::indexOfSelectedItem() const {
    return CELL_OR(indexOfSelectedItem(), -1);
}
std::string PopUpButton::titleOfSelectedItem() const {
    return CELL_OR(titleOfSelectedItem(), std::string());
}
void PopUpButton::synchronizeTitleAndSelectedItem() {
    ON_CELL(synchronizeTitleAndSelectedItem());
}

#undef CELL_OR
#undef ON_CELL

void PopUpButton::mouseDown(const Event& /*event*/) {
    performClick(this);
}

void PopUpButton::performClick(Object* /*sender*/) {
    PopUpButtonCell* cell = popUpCell();
    if (!cell || !isEnabled())
        return;
    auto keep = weak_from_this().lock();
    cell->highlight(true, bounds(), this);
    cell->performClickWithFrame(bounds(), this);
    cell->highlight(false, bounds(), this);
}

} // namespace platform
