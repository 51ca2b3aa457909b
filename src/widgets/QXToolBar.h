#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Toolbar.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class View;
}

// A toolbar that stays icon-only and regular-sized whatever it is asked.
class RestrictedToolbar : public platform::Toolbar {
public:
    using Toolbar::Toolbar;

    void setDisplayMode(platform::ToolbarDisplayMode mode) override;
    void setSizeMode(platform::ToolbarSizeMode mode) override;
};

// A toolbar that hosts one view of the caller's as its only item ("CustomViewItem"): the
// content views of skinned windows put their tool strip in the window's toolbar this way.
class QXToolBar : public platform::Object, public platform::ToolbarDelegate {
public:
    // The original's initWithView:: a RestrictedToolbar "MainToolbar", not customisable,
    // regular size, icons only, with this object as its delegate.
    explicit QXToolBar(std::shared_ptr<platform::View> view);
    ~QXToolBar() override;
    QXToolBar(const QXToolBar&) = delete;
    QXToolBar& operator=(const QXToolBar&) = delete;

    const std::shared_ptr<RestrictedToolbar>& nativeToolbar() const { return _toolbar; }
    const std::shared_ptr<platform::View>& toolbarView() const { return _toolbarView; }

    std::vector<std::string> toolbarDefaultItemIdentifiers(platform::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(platform::Toolbar& toolbar) override;
    std::vector<std::string> toolbarSelectableItemIdentifiers(platform::Toolbar& toolbar) override;
    std::shared_ptr<platform::ToolbarItem>
    toolbarItemForItemIdentifier(platform::Toolbar& toolbar, const std::string& identifier,
                                 bool willBeInserted) override;

private:
    std::shared_ptr<RestrictedToolbar> _toolbar;
    std::shared_ptr<platform::View> _toolbarView;
};
