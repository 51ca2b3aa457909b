#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/AttributedString.h"
#include "platform/kit/Cell.h"
#include "platform/kit/Event.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class ActionTarget;
class Image;
class Menu;
class View;

// One entry of a menu: a title with an action (the original's selector name) and an optional
// target (not owned; without one the action travels the responder chain), a key equivalent
// with its modifier mask, a state mark, a submenu, and a represented object. Items are
// shared: a menu keeps its items, an item knows the menu it is in (not owned).
class MenuItem : public Object, public std::enable_shared_from_this<MenuItem> {
public:
    MenuItem();
    // The original's initWithTitle:action:keyEquivalent:.
    MenuItem(std::string title, std::string action, std::string keyEquivalent);
    static std::shared_ptr<MenuItem> separatorItem();

    bool isSeparatorItem() const { return separator_; }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    // An attributed title replaces the plain one in drawing; setting a plain title drops it.
    const std::optional<AttributedString>& attributedTitle() const { return attributedTitle_; }
    void setAttributedTitle(std::optional<AttributedString> title);

    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }
    ActionTarget* target() const { return target_; }
    void setTarget(ActionTarget* target) { target_ = target; }

    // The key equivalent: characters (an upper-case letter implies Shift, as with the
    // original) and the modifier mask, Command by default.
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
    EventModifierFlags keyEquivalentModifierMask() const { return keyMask_; }
    void setKeyEquivalentModifierMask(EventModifierFlags mask) { keyMask_ = mask; }
    // Whether a key-down event is this item's key equivalent.
    bool matchesKeyEquivalent(const Event& event) const;

    CellStateValue state() const { return state_; }
    void setState(CellStateValue state);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool flag);
    bool isHidden() const { return hidden_; }
    void setHidden(bool flag);
    // Hidden, or in a submenu whose parent item is hidden.
    bool isHiddenOrHasHiddenAncestor() const;
    bool isHighlighted() const;
    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image);
    long indentationLevel() const { return indentationLevel_; }
    // 0 to 15, as the original allowed.
    void setIndentationLevel(long level);
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip) { toolTip_ = std::move(toolTip); }
    // Anything the owner wants to keep with the item: a property-list value or an object.
    const Value& representedObject() const { return representedObject_; }
    void setRepresentedObject(Value object) { representedObject_ = std::move(object); }
    bool isAlternate() const { return alternate_; }
    void setAlternate(bool flag) { alternate_ = flag; }

    const std::shared_ptr<Menu>& submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> submenu);
    bool hasSubmenu() const { return submenu_ != nullptr; }
    // The item whose submenu holds this item, or nullptr.
    MenuItem* parentItem() const;
    // The menu holding this item, or nullptr.
    Menu* menu() const { return menu_; }

    std::string description() const override;

private:
    friend class Menu;
    void changed();

    std::string title_;
    std::optional<AttributedString> attributedTitle_;
    long tag_ = 0;
    std::string action_;
    ActionTarget* target_ = nullptr;
    std::string keyEquivalent_;
    EventModifierFlags keyMask_ = CommandKeyMask;
    CellStateValue state_ = OffState;
    bool enabled_ = true;
    bool hidden_ = false;
    bool separator_ = false;
    bool alternate_ = false;
    std::shared_ptr<Image> image_;
    long indentationLevel_ = 0;
    std::string toolTip_;
    Value representedObject_;
    std::shared_ptr<Menu> submenu_;
    Menu* menu_ = nullptr;
};

} // namespace platform
