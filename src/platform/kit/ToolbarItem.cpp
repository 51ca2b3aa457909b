#include "platform/kit/ToolbarItem.h"

#include "platform/kit/Toolbar.h"
#include "platform/kit/View.h"
#include "platform/kit/WindowServer.h"

namespace platform {

ToolbarItem::ToolbarItem(std::string identifier) : identifier_(std::move(identifier)) {}

void ToolbarItem::changed() {
    if (toolbar_)
        toolbar_->itemChanged();
}

void ToolbarItem::setLabel(std::string label) {
    label_ = std::move(label);
    changed();
}

void ToolbarItem::setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
    changed();
}

void ToolbarItem::setEnabled(bool flag) {
    enabled_ = flag;
    changed();
}

void ToolbarItem::setView(std::shared_ptr<View> view) {
    if (view_ && toolbar_)
        view_->removeFromSuperview();
    view_ = std::move(view);
    changed();
}

void ToolbarItem::setMinSize(Size size) {
    minSize_ = size;
    changed();
}

void ToolbarItem::setMaxSize(Size size) {
    maxSize_ = size;
    changed();
}

void ToolbarItem::performAction() {
    if (!enabled_ || action_.empty())
        return;
    auto keep = weak_from_this().lock();
    WindowServer::shared().sendAction(action_, target_, this);
}

bool ToolbarItem::isStandardItem() const {
    return identifier_ == ToolbarSeparatorItemIdentifier ||
           identifier_ == ToolbarSpaceItemIdentifier ||
           identifier_ == ToolbarFlexibleSpaceItemIdentifier;
}

std::string ToolbarItem::description() const {
    return "<ToolbarItem " + identifier_ + " \"" + label_ + "\">";
}

} // namespace platform
