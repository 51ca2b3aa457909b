#pragma once

#include "platform/foundation/Value.h"
#include "platform/kit/Cell.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class ActionTarget;
}

// Menu building and clean-up shared by every menu the application makes.
namespace OrvantaExtensions {

// Makes an item with the title, action and key equivalent, gives it the target (not owned) and
// the tag or represented object, adds it at the end of the menu and answers it.
std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action, std::string keyEquivalent);
std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action, std::string keyEquivalent,
                                                     long tag);
std::shared_ptr<platform::MenuItem> addItemWithTitle(platform::Menu& menu, std::string title,
                                                     platform::ActionTarget* target,
                                                     std::string action, std::string keyEquivalent,
                                                     platform::Value representedObject);

// Empties the menu from the front, letting go of each item's represented object before the
// item leaves, so nothing the items carried outlives the menu's contents.
void removeAllItems(platform::Menu& menu);
void setAllMenuItemsToState(platform::Menu& menu, platform::CellStateValue state);
// The first enabled item (as the items stand, without validating), or nullptr.
platform::MenuItem* firstEnabledMenuItem(const platform::Menu& menu);
// Forgets the delegate and ends any tracking at once, for owners about to go away while their
// menu may still be open.
void abruptClose(platform::Menu& menu);

// The original's item initialisers with a target; a missing title becomes "".
std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent);
std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent,
                                                  platform::Value representedObject);
std::shared_ptr<platform::MenuItem> initWithTitle(std::optional<std::string> title,
                                                  platform::ActionTarget* target,
                                                  std::string action, std::string keyEquivalent,
                                                  platform::EventModifierFlags keyMask);

// Compares the titles without regard to case: negative, zero or positive, for sorting items.
int titleCompare(const platform::MenuItem& item, const platform::MenuItem& other);
// The image of the bundle resource with exactly that name (any type), or none.
void setImageWithName(platform::MenuItem& item, std::string_view name);

} // namespace OrvantaExtensions
