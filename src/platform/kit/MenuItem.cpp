#include "platform/kit/MenuItem.h"

#include "platform/kit/Menu.h"

#include <algorithm>

namespace platform {

MenuItem::MenuItem() = default;

MenuItem::MenuItem(std::string title, std::string action, std::string keyEquivalent)
    : title_(std::move(title)), action_(std::move(action)),
      keyEquivalent_(std::move(keyEquivalent)) {}

std::shared_ptr<MenuItem> MenuItem::separatorItem() {
    auto item = std::make_shared<MenuItem>();
    item->separator_ = true;
    item->enabled_ = false;
    return item;
}

void MenuItem::changed() {
    if (menu_)
        menu_->itemChanged(*this);
}

void MenuItem::setTitle(std::string title) {
    title_ = std::move(title);
    attributedTitle_.reset();
    changed();
}

void MenuItem::setAttributedTitle(std::optional<AttributedString> title) {
    if (title)
        title_ = title->string();
    attributedTitle_ = std::move(title);
    changed();
}

bool MenuItem::matchesKeyEquivalent(const Event& event) const {
    return keyEquivalentMatchesEvent(keyEquivalent_, keyMask_, event);
}

void MenuItem::setState(CellStateValue state) {
    state_ = state == MixedState ? MixedState : state == OffState ? OffState : OnState;
    changed();
}

void MenuItem::setEnabled(bool flag) {
    if (enabled_ == flag)
        return;
    enabled_ = flag;
    changed();
}

void MenuItem::setHidden(bool flag) {
    if (hidden_ == flag)
        return;
    hidden_ = flag;
    changed();
}

bool MenuItem::isHiddenOrHasHiddenAncestor() const {
    for (const MenuItem* item = this; item; item = item->parentItem())
        if (item->hidden_)
            return true;
    return false;
}

bool MenuItem::isHighlighted() const {
    return menu_ && menu_->highlightedItem() == this;
}

void MenuItem::setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
    changed();
}

void MenuItem::setIndentationLevel(long level) {
    indentationLevel_ = std::clamp(level, 0L, 15L);
    changed();
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> submenu) {
    if (submenu_ && submenu_->supermenu_ == menu_)
        submenu_->supermenu_ = nullptr;
    submenu_ = std::move(submenu);
    if (submenu_)
        submenu_->supermenu_ = menu_;
    changed();
}

MenuItem* MenuItem::parentItem() const {
    if (!menu_ || !menu_->supermenu())
        return nullptr;
    const long index = menu_->supermenu()->indexOfItemWithSubmenu(menu_);
    return menu_->supermenu()->itemAtIndex(index);
}

std::string MenuItem::description() const {
    if (separator_)
        return "<MenuItem separator>";
    return "<MenuItem \"" + title_ + "\" " + action_ + ">";
}

} // namespace platform
