#include "widgets/QXToolBar.h"

#include "platform/kit/ToolbarItem.h"
#include "platform/kit/View.h"

namespace {

constexpr const char* kCustomViewItem = "CustomViewItem";

} // namespace

void RestrictedToolbar::setDisplayMode(platform::ToolbarDisplayMode /*mode*/) {
    Toolbar::setDisplayMode(platform::ToolbarDisplayMode::IconOnly);
}

void RestrictedToolbar::setSizeMode(platform::ToolbarSizeMode /*mode*/) {
    Toolbar::setSizeMode(platform::ToolbarSizeMode::Regular);
}

QXToolBar::QXToolBar(std::shared_ptr<platform::View> view)
    : _toolbar(std::make_shared<RestrictedToolbar>("MainToolbar")), _toolbarView(std::move(view)) {
    _toolbar->setDelegate(this);
    _toolbar->setAllowsUserCustomization(false);
    _toolbar->setSizeMode(platform::ToolbarSizeMode::Regular);
    _toolbar->setDisplayMode(platform::ToolbarDisplayMode::IconOnly);
}

QXToolBar::~QXToolBar() {
    if (_toolbar->delegate() == this)
        _toolbar->setDelegate(nullptr);
}

std::vector<std::string> QXToolBar::toolbarDefaultItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return {kCustomViewItem};
}

std::vector<std::string> QXToolBar::toolbarAllowedItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return {kCustomViewItem};
}

std::vector<std::string>
QXToolBar::toolbarSelectableItemIdentifiers(platform::Toolbar& /*toolbar*/) {
    return {kCustomViewItem};
}

std::shared_ptr<platform::ToolbarItem>
QXToolBar::toolbarItemForItemIdentifier(platform::Toolbar& /*toolbar*/,
                                        const std::string& identifier, bool /*willBeInserted*/) {
    auto item = std::make_shared<platform::ToolbarItem>(identifier);
    if (identifier == kCustomViewItem) {
        item->setLabel("");
        item->setPaletteLabel("");
    }
    item->setView(_toolbarView);
    if (_toolbarView) {
        const platform::Size size = _toolbarView->frame().size;
        item->setMinSize(size);
        item->setMaxSize({10000, size.height});
    }
    return item;
}
