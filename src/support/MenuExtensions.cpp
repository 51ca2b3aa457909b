#include "support/MenuExtensions.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace OrvantaExtensions {

std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action,
                                                     std::string keyEquivalent) {
    auto item =
        initWithTitle(std::move(title), target, std::move(action), std::move(keyEquivalent));
    menu.addItem(item);
    return item;
}

std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action, std::string keyEquivalent,
                                                     long tag) {
    auto item =
        initWithTitle(std::move(title), target, std::move(action), std::move(keyEquivalent));
    item->setTag(tag);
    menu.addItem(item);
    return item;
}

std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action, std::string keyEquivalent,
                                                     platform::Value representedObject) {
    auto item =
        initWithTitle(std::move(title), target, std::move(action), std::move(keyEquivalent));
    item->setRepresentedObject(std::move(representedObject));
    menu.addItem(item);
    return item;
}

void removeAllItems(platform::Menu& menu) {
    while (menu.numberOfItems() > 0) {
        if (platform::MenuItem* first = menu.itemAtIndex(0))
            first->setRepresentedObject({});
        menu.removeItemAtIndex(0);
    }
}

void setAllMenuItemsToState(platform::Menu& menu, platform::CellStateValue state) {
    for (const auto& item : menu.itemArray())
        item->setState(state);
}

platform::MenuItem* firstEnabledMenuItem(const platform::Menu& menu) {
    for (const auto& item : menu.itemArray()) {
        if (item->isEnabled())
            return item.get();
    }
    return nullptr;
}

void abruptClose(platform::Menu& menu) {
    menu.setDelegate(nullptr);
    menu.cancelTracking();
}

std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent) {
    auto item = std::make_shared<platform::MenuItem>(std::move(title).value_or(std::string()),
                                                     std::move(action), std::move(keyEquivalent));
    item->setTarget(target);
    return item;
}

std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent,
                                                  platform::Value representedObject) {
    auto item =
        initWithTitle(std::move(title), target, std::move(action), std::move(keyEquivalent));
    item->setRepresentedObject(std::move(representedObject));
    return item;
}

std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent,
                                                  platform::EventModifierFlags keyMask) {
    auto item =
        initWithTitle(std::move(title), target, std::move(action), std::move(keyEquivalent));
    item->setKeyEquivalentModifierMask(keyMask);
    return item;
}

int titleCompare(const platform::MenuItem& item, const platform::MenuItem& other) {
    const std::string& a = item.title();
    const std::string& b = other.title();
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = lower(static_cast<unsigned char>(a[i]));
        const int cb = lower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void setImageWithName(platform::MenuItem& item, std::string_view name) {
    std::shared_ptr<platform::Image> image;
    if (auto path = platform::Bundle::mainBundle().pathForResource(name, {}))
        image = platform::Image::imageWithContentsOfFile(*path);
    item.setImage(std::move(image));
}

} // namespace OrvantaExtensions
