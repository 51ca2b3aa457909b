#pragma once

#include "platform/foundation/Object.h"
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

    // The presence pop-up button, made on first use: its menu offers the own presence
    // statuses, each item's tag the status number (an item the product does not offer is
    // hidden). Its items come from the brand with the toolbar's buttons.
    platform::PopUpButton& status();

    // The toolbar strip, an outlet set by the interface definition "ToolbarView".
    const std::shared_ptr<platform::View>& theView() const { return theView_; }
    void setTheView(std::shared_ptr<platform::View> view) { theView_ = std::move(view); }

private:
    int updateCount_ = 0;
    int setupCount_ = 0;
    std::string displayName_;
    std::shared_ptr<platform::View> theView_;
    std::shared_ptr<platform::PopUpButton> status_;
};
