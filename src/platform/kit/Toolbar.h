#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Toolbar;
class ToolbarItem;
class View;
class Window;

// Display and size modes, as the original numbered them.
enum class ToolbarDisplayMode : int { Default = 0, IconAndLabel = 1, IconOnly = 2, LabelOnly = 3 };
enum class ToolbarSizeMode : int { Default = 0, Regular = 1, Small = 2 };

// What a toolbar asks its delegate: which items it shows and how to make them. Every function
// is optional; a delegate that answers no identifiers gives an empty toolbar.
class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    virtual std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar& /*toolbar*/) {
        return {};
    }
    virtual std::vector<std::string> toolbarAllowedItemIdentifiers(Toolbar& /*toolbar*/) {
        return {};
    }
    virtual std::vector<std::string> toolbarSelectableItemIdentifiers(Toolbar& /*toolbar*/) {
        return {};
    }
    // The original's toolbar:itemForItemIdentifier:willBeInsertedIntoToolbar:; nullptr for an
    // identifier it does not know.
    virtual std::shared_ptr<ToolbarItem> toolbarItemForItemIdentifier(Toolbar& /*toolbar*/,
                                                                      const std::string& /*id*/,
                                                                      bool /*willBeInserted*/) {
        return nullptr;
    }
    virtual void toolbarWillAddItem(Toolbar& /*toolbar*/, ToolbarItem& /*item*/) {}
    virtual void toolbarDidRemoveItem(Toolbar& /*toolbar*/, ToolbarItem& /*item*/) {}
};

// A row of items across the top of a window's content area. The items come from the
// delegate's default identifiers the first time anyone needs them (a window showing the
// toolbar, or a call to items()). The window shows the toolbar as a strip laid over the top
// of its root view, as wide as the window, which a hidden toolbar leaves free.
class Toolbar : public Object, public std::enable_shared_from_this<Toolbar> {
public:
    // The original's initWithIdentifier:.
    explicit Toolbar(std::string identifier);
    ~Toolbar() override;
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    // The overridable set-up of the two-phase creation (make<T>(...)).
    virtual void initialize() {}

    const std::string& identifier() const { return identifier_; }
    ToolbarDelegate* delegate() const { return delegate_; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(ToolbarDelegate* delegate);

    const std::vector<std::shared_ptr<ToolbarItem>>& items();
    // The items that fit in the window's width (all of them while not shown).
    std::vector<std::shared_ptr<ToolbarItem>> visibleItems();
    void insertItemWithItemIdentifier(const std::string& identifier, long index);
    void removeItemAtIndex(long index);

    bool isVisible() const { return visible_; }
    virtual void setVisible(bool flag);
    ToolbarDisplayMode displayMode() const { return displayMode_; }
    virtual void setDisplayMode(ToolbarDisplayMode mode);
    ToolbarSizeMode sizeMode() const { return sizeMode_; }
    virtual void setSizeMode(ToolbarSizeMode mode);
    bool allowsUserCustomization() const { return allowsUserCustomization_; }
    void setAllowsUserCustomization(bool flag) { allowsUserCustomization_ = flag; }
    bool autosavesConfiguration() const { return autosavesConfiguration_; }
    void setAutosavesConfiguration(bool flag) { autosavesConfiguration_ = flag; }
    bool showsBaselineSeparator() const { return showsBaselineSeparator_; }
    void setShowsBaselineSeparator(bool flag);
    // Only an identifier the delegate lists as selectable is taken; others clear the choice.
    const std::optional<std::string>& selectedItemIdentifier() const { return selected_; }
    void setSelectedItemIdentifier(std::optional<std::string> identifier);

    // The window showing the toolbar (set by Window::setToolbar), or nullptr.
    Window* window() const;
    void attachToWindow(Window* window);
    // The strip's view while the toolbar is in a window.
    View* toolbarView() const;
    // The strip's height for the display and size modes and the items' views.
    double height();
    // Lays the items out again (after an item's size or view changed).
    void layout();

    std::string description() const override;

private:
    friend class ToolbarItem;
    friend class ToolbarView;
    void loadItemsIfNeeded();
    std::shared_ptr<ToolbarItem> makeItem(const std::string& identifier, bool willBeInserted);
    void itemChanged();
    void updateView();

    std::string identifier_;
    ToolbarDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<ToolbarItem>> items_;
    bool loaded_ = false;
    bool visible_ = true;
    ToolbarDisplayMode displayMode_ = ToolbarDisplayMode::Default;
    ToolbarSizeMode sizeMode_ = ToolbarSizeMode::Default;
    bool allowsUserCustomization_ = false;
    bool autosavesConfiguration_ = false;
    bool showsBaselineSeparator_ = true;
    std::optional<std::string> selected_;
    std::weak_ptr<Window> window_;
    std::shared_ptr<View> view_;
};

} // namespace platform
