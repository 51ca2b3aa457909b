#include "app/main_window/ToolbarController.h"

#include "app/contacts/ContactOperations.h"
#include "app/core/Features.h"
#include "app/pab/PabContactOperations.h"
#include "engine/OVConstants.h"
#include "engine/PhoneService.h"
#include "engine/SettingBlock.h"
#include "support/Localization.h"
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
        status_->setMenu(std::make_shared<platform::Menu>("status"));
        updatePresenceMenuItems();
    }
    return *status_;
}

std::shared_ptr<platform::MenuItem>
ToolbarController::createPresenceMenuItemWithTitle(const std::string& title, int status,
                                                   long tag) {
    auto item = std::make_shared<platform::MenuItem>(title, "presenceChanged:", "");
    item->setTag(tag);
    if (status >= 0)
        item->setImage(OrvantaExtensions::image(static_cast<OVPresenceStatus>(status)));
    return item;
}

void ToolbarController::sweepPresenceMenuItems() {
    if (status_)
        status_->menu()->removeAllItems();
    for (auto* item : {&availableMenuItem_, &idleAwayMenuItem_, &busyMenuItem_,
                       &dndStatusMenuItem_, &onPhoneMenuItem_, &notAvailableForCallStatusMenuItem_,
                       &offlineMenuItem_, &separatorMenuItem_, &setCustomStatusMenuItem_,
                       &onVacationMenuItem_, &outToLunchMenuItem_})
        item->reset();
}

void ToolbarController::updatePresenceMenuItems() {
    platform::Menu& menu = *status().menu();
    const int option = featureOn("allow_pab") ? 2 : 1;
    if (option != presenceMenuOption_)
        sweepPresenceMenuItems();
    presenceMenuOption_ = option;
    const PresenceMessageTranslator& words =
        option == 2 ? static_cast<const PresenceMessageTranslator&>(PabContactOperations::instance())
                    : ContactOperations::instance();
    const auto add = [&](std::shared_ptr<platform::MenuItem>& item, std::string_view word,
                         OVPresenceStatus status) {
        if (!item) {
            item = createPresenceMenuItemWithTitle(words.translatePresenceMessage(word),
                                                   static_cast<int>(status),
                                                   static_cast<long>(status));
            menu.addItem(item);
        }
    };
    using S = OVPresenceStatus;
    if (option == 1) {
        add(availableMenuItem_, "Available", S::statusAvailable);
        add(busyMenuItem_, "Busy", S::statusBusy);
        add(idleAwayMenuItem_, "Away", S::statusAway);
        add(onPhoneMenuItem_, "On the phone", S::statusOnThePhone);
        if (featureOn("dnd_presence"))
            add(dndStatusMenuItem_, "Do not disturb", S::statusDoNotDisturb);
        if (featureOn("not_available_for_calls_presence"))
            add(notAvailableForCallStatusMenuItem_, "Not available for calls",
                S::statusNotAvailableForCalls);
        add(offlineMenuItem_, "Offline", S::statusOffline);
        if (!separatorMenuItem_) {
            separatorMenuItem_ = platform::MenuItem::separatorItem();
            menu.addItem(separatorMenuItem_);
        }
        if (!setCustomStatusMenuItem_) {
            setCustomStatusMenuItem_ = createPresenceMenuItemWithTitle(
                QXLS("msg.presence.status.setcustomstatus", "Set custom status..."), -1, 99);
            menu.addItem(setCustomStatusMenuItem_);
        }
    } else {
        add(availableMenuItem_, "Connected", S::statusAvailable);
        add(idleAwayMenuItem_, "Away", S::statusAway);
        add(outToLunchMenuItem_, "Out To Lunch", S::statusAway);
        add(busyMenuItem_, "Busy", S::statusBusy);
        add(onVacationMenuItem_, "On Vacation", S::statusBusy);
        if (featureOn("dnd_presence"))
            add(dndStatusMenuItem_, "Do not disturb", S::statusDoNotDisturb);
        add(offlineMenuItem_, "Offline", S::statusOffline);
    }
    if (!featureOn("connectServiceEnabled"))
        return;
    const auto phone = StartupService::instance().phoneService();
    const auto settings = phone ? phone->getPreferenceSettings() : nullptr;
    const long visibility =
        settings ? static_cast<long>(settings->sub("presenceVisibility")->longSetting()) : 0;
    const auto show = [](const std::shared_ptr<platform::MenuItem>& item, bool shown) {
        if (item)
            item->setHidden(!shown);
    };
    const auto& items = menu.itemArray();
    // The pop-up's last item is the custom status once the primary module has made it.
    std::shared_ptr<platform::MenuItem> last;
    if (setCustomStatusMenuItem_ && !items.empty() && items.back() != setCustomStatusMenuItem_)
        last = items.back();
    if (visibility == 0) {
        for (const auto* item : {&availableMenuItem_, &busyMenuItem_, &idleAwayMenuItem_,
                                 &onPhoneMenuItem_})
            show(*item, true);
        show(notAvailableForCallStatusMenuItem_, featureOn("not_available_for_calls_presence"));
        show(dndStatusMenuItem_, featureOn("dnd_presence"));
        show(separatorMenuItem_, true);
        show(setCustomStatusMenuItem_, true);
        show(last, true);
    } else {
        show(availableMenuItem_, visibility != 2);
        for (const auto* item : {&busyMenuItem_, &idleAwayMenuItem_, &onPhoneMenuItem_,
                                 &notAvailableForCallStatusMenuItem_, &dndStatusMenuItem_,
                                 &separatorMenuItem_, &setCustomStatusMenuItem_})
            show(*item, false);
        show(last, false);
    }
}
