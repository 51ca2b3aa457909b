#include "platform/kit/TabViewItem.h"

#include "platform/graphics/AttributedString.h"
#include "platform/kit/TabView.h"

namespace platform {

namespace {

TextAttributes labelAttributes(const TabView* tabView, bool truncate) {
    TextAttributes attributes;
    attributes.font = tabView ? tabView->font() : Font();
    ParagraphStyle style;
    style.alignment = TextAlignment::Center;
    style.lineBreakMode = truncate ? LineBreakMode::ByTruncatingTail : LineBreakMode::ByClipping;
    attributes.paragraphStyle = style;
    return attributes;
}

} // namespace

TabViewItem::TabViewItem(std::string identifier) : identifier_(std::move(identifier)) {}

TabViewItem::~TabViewItem() = default;

void TabViewItem::setLabel(std::string label) {
    label_ = std::move(label);
    if (tabView_)
        tabView_->setNeedsDisplay(true);
}

void TabViewItem::setView(std::shared_ptr<View> view) {
    if (view == view_)
        return;
    std::shared_ptr<View> old = std::move(view_);
    view_ = std::move(view);
    if (tabView_ && tabView_->selectedTabViewItem() == this)
        tabView_->itemViewChanged(*this, old);
}

TabState TabViewItem::tabState() const {
    return tabView_ && tabView_->selectedTabViewItem() == this ? TabState::Selected
                                                               : TabState::Background;
}

void TabViewItem::drawLabel(bool shouldTruncateLabel, const Rect& labelRect) {
    const TextAttributes attributes = labelAttributes(tabView_, shouldTruncateLabel);
    const Size size = sizeWithAttributes(label_, attributes);
    const Rect line(labelRect.minX(), labelRect.minY() + (labelRect.height() - size.height) * 0.5,
                    labelRect.width(), size.height);
    platform::drawInRect(label_, line, attributes);
}

Size TabViewItem::sizeOfLabel(bool /*computeMin*/) const {
    return sizeWithAttributes(label_, labelAttributes(tabView_, false));
}

std::string TabViewItem::description() const {
    return Object::description() + " identifier " + identifier_ + " label " + label_;
}

} // namespace platform
