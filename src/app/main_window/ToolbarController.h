#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/View.h"

#include <memory>
#include <string>

// The main window's toolbar strip. Only what the application core calls of it so far; its
// buttons come with the main window.
class ToolbarController : public platform::Object {
public:
    static ToolbarController& sharedController();
    static void releaseSharedController();

    // Recomputes every toolbar button's visibility, state and badge.
    void updateToolbar();
    int updateCount() const { return updateCount_; }
    // Builds the toolbar's buttons once the engine has started; counted so far.
    void setupToolbar() { ++setupCount_; }
    int setupCount() const { return setupCount_; }
    // The user's name shown in the toolbar when presence is on.
    void setDisplayName(std::string name) { displayName_ = std::move(name); }
    const std::string& displayName() const { return displayName_; }

    // The presence pop-up button, made on first use with its presence menu: the own presence
    // statuses, each item's tag the status number, and "Set custom status..." (tag 99).
    platform::PopUpButton& status();
    platform::Menu* presenceMenu() { return status().menu().get(); }
    // (Re)builds the presence menu: the generic statuses, or those of the personal address
    // book with its feature; items are made once, and the menu is emptied first when the kind
    // changed. With the hosted service, its "presenceVisibility" setting hides items.
    void updatePresenceMenuItems();
    // 0 nothing built yet, 1 the generic menu, 2 the personal address book's.
    int presenceMenuOption() const { return presenceMenuOption_; }
    // The away item, retitled "Idle" while the user is idle; null until built.
    platform::MenuItem* idleAwayMenuItem() const { return idleAwayMenuItem_.get(); }
    // The "Set custom status..." item; null until built.
    platform::MenuItem* setCustomStatusMenuItem() const { return setCustomStatusMenuItem_.get(); }

    // The toolbar strip, an outlet set by the interface definition "ToolbarView".
    const std::shared_ptr<platform::View>& theView() const { return theView_; }
    void setTheView(std::shared_ptr<platform::View> view) { theView_ = std::move(view); }

private:
    std::shared_ptr<platform::MenuItem> createPresenceMenuItemWithTitle(const std::string& title,
                                                                        int status, long tag);
    void sweepPresenceMenuItems();

    int updateCount_ = 0;
    int setupCount_ = 0;
    std::string displayName_;
    std::shared_ptr<platform::View> theView_;
    std::shared_ptr<platform::PopUpButton> status_;
    int presenceMenuOption_ = 0;
    std::shared_ptr<platform::MenuItem> availableMenuItem_, idleAwayMenuItem_, busyMenuItem_,
        dndStatusMenuItem_, onPhoneMenuItem_, notAvailableForCallStatusMenuItem_, offlineMenuItem_,
        separatorMenuItem_, setCustomStatusMenuItem_, onVacationMenuItem_, outToLunchMenuItem_;
};
