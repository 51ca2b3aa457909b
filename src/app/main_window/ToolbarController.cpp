#include "app/main_window/ToolbarController.h"

#include "engine/OVConstants.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "support/PresenceExtensions.h"

#include <memory>

namespace {

std::unique_ptr<ToolbarController>& sharedInstance() {
    static std::unique_ptr<ToolbarController> controller;
    return controller;
}

} // namespace

ToolbarController& ToolbarController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<ToolbarController>();
    }
    return *shared;
}

void ToolbarController::releaseSharedController() {
    sharedInstance().reset();
}

void ToolbarController::updateToolbar() {
    ++updateCount_;
}

platform::PopUpButton& ToolbarController::status() {
    if (!status_) {
        status_ = std::make_shared<platform::PopUpButton>(platform::Rect(0, 0, 160, 22));
        auto menu = std::make_shared<platform::Menu>("status");
        const auto add = [&menu](OVPresenceStatus status, bool hidden) {
            auto item = menu->addItemWithTitle(OrvantaExtensions::string(status), {}, {});
            item->setTag(static_cast<long>(status));
            item->setHidden(hidden);
        };
        add(OVPresenceStatus::statusAvailable, false);
        add(OVPresenceStatus::statusBusy, false);
        add(OVPresenceStatus::statusAway, false);
        // Set by the engine while a call is up, never chosen by the user.
        add(OVPresenceStatus::statusOnThePhone, true);
        add(OVPresenceStatus::statusDoNotDisturb, false);
        menu->addItem(platform::MenuItem::separatorItem());
        add(OVPresenceStatus::statusOffline, false);
        status_->setMenu(menu);
    }
    return *status_;
}
