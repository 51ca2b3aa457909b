#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class ActionTarget;
class Image;
class Toolbar;
class View;

// The platform's identifiers of the standard items.
inline constexpr std::string_view ToolbarSeparatorItemIdentifier = "NSToolbarSeparatorItem";
inline constexpr std::string_view ToolbarSpaceItemIdentifier = "NSToolbarSpaceItem";
inline constexpr std::string_view ToolbarFlexibleSpaceItemIdentifier = "NSToolbarFlexibleSpaceItem";

// One entry of a toolbar: an image with a label that sends an action (to its target, or
// along the responder chain), or a view of the caller's that the toolbar sizes between the
// item's minimum and maximum size.
class ToolbarItem : public Object, public std::enable_shared_from_this<ToolbarItem> {
public:
    // The original's initWithItemIdentifier:.
    explicit ToolbarItem(std::string identifier);

    const std::string& itemIdentifier() const { return identifier_; }
    // The toolbar holding the item, or nullptr.
    Toolbar* toolbar() const { return toolbar_; }

    const std::string& label() const { return label_; }
    void setLabel(std::string label);
    const std::string& paletteLabel() const { return paletteLabel_; }
    void setPaletteLabel(std::string label) { paletteLabel_ = std::move(label); }
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip) { toolTip_ = std::move(toolTip); }
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image);
    ActionTarget* target() const { return target_; }
    void setTarget(ActionTarget* target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool flag);

    const std::shared_ptr<View>& view() const { return view_; }
    void setView(std::shared_ptr<View> view);
    Size minSize() const { return minSize_; }
    void setMinSize(Size size);
    Size maxSize() const { return maxSize_; }
    void setMaxSize(Size size);

    // Sends the action as a click on the item does.
    void performAction();
    bool isStandardItem() const;

    std::string description() const override;

private:
    friend class Toolbar;
    void changed();

    std::string identifier_;
    Toolbar* toolbar_ = nullptr;
    std::string label_;
    std::string paletteLabel_;
    std::string toolTip_;
    long tag_ = 0;
    std::shared_ptr<Image> image_;
    ActionTarget* target_ = nullptr;
    std::string action_;
    bool enabled_ = true;
    std::shared_ptr<View> view_;
    Size minSize_;
    Size maxSize_;
};

} // namespace platform
