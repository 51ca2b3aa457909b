#pragma once

#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/TabViewItem.h"
#include "platform/kit/View.h"

#include <memory>
#include <string_view>
#include <vector>

namespace platform {

class Event;
class TabView;

// The original's tab view types, with its numbers.
enum class TabViewType : int {
    TopTabsBezelBorder = 0,
    LeftTabsBezelBorder = 1,
    BottomTabsBezelBorder = 2,
    RightTabsBezelBorder = 3,
    NoTabsBezelBorder = 4,
    NoTabsLineBorder = 5,
    NoTabsNoBorder = 6,
};

// What a tab view tells its delegate. Every function is optional; the defaults answer as for
// a delegate that does not implement the message.
class TabViewDelegate {
public:
    virtual ~TabViewDelegate() = default;

    virtual bool tabViewShouldSelectTabViewItem(TabView& /*tabView*/, TabViewItem* /*item*/) {
        return true;
    }
    virtual void tabViewWillSelectTabViewItem(TabView& /*tabView*/, TabViewItem* /*item*/) {}
    virtual void tabViewDidSelectTabViewItem(TabView& /*tabView*/, TabViewItem* /*item*/) {}
    virtual void tabViewDidChangeNumberOfTabViewItems(TabView& /*tabView*/) {}
};

// A stack of pages of which one shows at a time: the selected item's view fills the content
// rectangle and is the tab view's subview while the item is selected. Depending on its type
// the view draws a row of tabs along one edge (a click on a tab selects it), a border, or
// nothing of its own.
class TabView : public View {
public:
    // Index answer for an item the tab view does not hold.
    static constexpr long NotFound = -1;
    // The depth of the tab strip of the tabbed types.
    static constexpr double kTabStripDepth = 24;

    explicit TabView(const Rect& frame = {});
    ~TabView() override;

    TabViewType tabViewType() const { return tabViewType_; }
    virtual void setTabViewType(TabViewType type);
    virtual bool drawsBackground() const { return drawsBackground_; }
    virtual void setDrawsBackground(bool flag);
    bool allowsTruncatedLabels() const { return allowsTruncatedLabels_; }
    void setAllowsTruncatedLabels(bool flag) { allowsTruncatedLabels_ = flag; }
    const Font& font() const { return font_; }
    virtual void setFont(const Font& font);

    // Not owned; whoever sets it clears it before going away.
    TabViewDelegate* delegate() const { return delegate_; }
    void setDelegate(TabViewDelegate* delegate) { delegate_ = delegate; }

    // Items.
    const std::vector<std::shared_ptr<TabViewItem>>& tabViewItems() const { return items_; }
    long numberOfTabViewItems() const { return static_cast<long>(items_.size()); }
    long indexOfTabViewItem(const TabViewItem* item) const;
    // The first item whose identifier equals `identifier` exactly, or NotFound.
    long indexOfTabViewItemWithIdentifier(std::string_view identifier) const;
    // nullptr when the index is out of range.
    TabViewItem* tabViewItemAtIndex(long index) const;
    // The shared pointer the tab view keeps for the item, or an empty one.
    std::shared_ptr<TabViewItem> sharedItem(const TabViewItem* item) const;
    void addTabViewItem(std::shared_ptr<TabViewItem> item);
    // An item already held elsewhere is taken from its tab view first. The first item put
    // into a tab view without a selection becomes selected. The index is clamped to the list.
    virtual void insertTabViewItem(std::shared_ptr<TabViewItem> item, long index);
    // Removing the selected item leaves the tab view without a selection.
    virtual void removeTabViewItem(TabViewItem* item);

    // Selection. Selecting asks the delegate (should, will, did); the old item's view leaves
    // the tab view and the new one's takes the content rectangle.
    TabViewItem* selectedTabViewItem() const { return selected_; }
    virtual void selectTabViewItem(TabViewItem* item);
    void selectTabViewItemAtIndex(long index);
    void selectTabViewItemWithIdentifier(std::string_view identifier);
    void selectFirstTabViewItem(Object* sender);
    void selectLastTabViewItem(Object* sender);
    // These stop at the ends rather than wrap around.
    void selectNextTabViewItem(Object* sender);
    void selectPreviousTabViewItem(Object* sender);

    // The item whose tab is under `point` (view coordinates), or nullptr; never an item for
    // the types without tabs.
    virtual TabViewItem* tabViewItemAtPoint(Point point);
    // Where the selected item's view goes: the bounds less the tab strip and border.
    virtual Rect contentRect() const;
    // The smallest frame that shows the tabs.
    Size minimumSize() const;
    // The tab of the item at `index` for the tabbed types; the zero rectangle otherwise.
    Rect tabRectForItemAtIndex(long index) const;

    void drawRect(const Rect& dirtyRect) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;
    void mouseDown(const Event& event) override;
    void keyDown(const Event& event) override;
    bool acceptsFirstResponder() const override;
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    friend class TabViewItem;
    bool hasTabs() const;
    // The item's view changed while it is selected.
    void itemViewChanged(TabViewItem& item, const std::shared_ptr<View>& oldView);
    void installViewOf(TabViewItem* item);

    TabViewType tabViewType_ = TabViewType::TopTabsBezelBorder;
    bool drawsBackground_ = true;
    bool allowsTruncatedLabels_ = false;
    Font font_;
    TabViewDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<TabViewItem>> items_;
    TabViewItem* selected_ = nullptr;
};

} // namespace platform
