#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <string>

namespace platform {

class TabView;
class View;

enum class TabState { Selected = 0, Background = 1, Pressed = 2 };

// One page of a tab view: an identifier, the label its tab shows and the view shown while the
// page is selected. Items are shared: the tab view keeps every item it holds, and callers may
// keep them too (an item removed from a tab view lives on with its view).
class TabViewItem : public Object, public std::enable_shared_from_this<TabViewItem> {
public:
    // The original's initWithIdentifier:; make<TabViewItem>(identifier) runs initialize().
    explicit TabViewItem(std::string identifier = {});
    ~TabViewItem() override;

    // The overridable set-up of the two-phase creation; awake() runs after an interface
    // definition has set the outlets.
    virtual void initialize() {}
    virtual void awake() {}

    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    const std::string& label() const { return label_; }
    void setLabel(std::string label);
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip) { toolTip_ = std::move(toolTip); }

    // The page's view. Replacing the view of the selected item swaps it in the tab view.
    const std::shared_ptr<View>& view() const { return view_; }
    void setView(std::shared_ptr<View> view);

    // The tab view holding the item, or nullptr. Not owned.
    TabView* tabView() const { return tabView_; }
    // Selected while it is its tab view's selected item, background otherwise.
    TabState tabState() const;

    // Draws the label text in `labelRect` of the current context, centred, in the tab view's
    // font; with `shouldTruncateLabel` a label too long for the rectangle is cut at its tail.
    virtual void drawLabel(bool shouldTruncateLabel, const Rect& labelRect);
    // The size of the label text in the tab view's font.
    virtual Size sizeOfLabel(bool computeMin) const;

    std::string description() const override;

private:
    friend class TabView;
    std::string identifier_;
    std::string label_;
    std::string toolTip_;
    std::shared_ptr<View> view_;
    TabView* tabView_ = nullptr;
};

} // namespace platform
