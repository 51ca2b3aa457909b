#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/View.h"

#include <memory>

// The main window's function-tab module (contacts, history, favourites, directory, web tabs).
// So far only the view the main window stacks under the brand module name "functional".
class FunctionModuleController : public platform::Object {
public:
    // Made on first use.
    static FunctionModuleController& sharedController();
    static void releaseSharedController();

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    // Takes the engine's services into use once the engine has started; counted so far.
    void setup() { ++_setupCount; }
    int setupCount() const { return _setupCount; }
    // Rebuilds the function tabs after the web tab's address changed; counted so far.
    void reloadTabs() { ++_reloadTabsCount; }
    int reloadTabsCount() const { return _reloadTabsCount; }

    // Appends the function tabs' show and hide items to the menu and answers it; the tabs come
    // with the module, so nothing is appended yet.
    platform::Menu& appendMenu(platform::Menu& menu) { return menu; }

private:
    std::shared_ptr<platform::View> _theView;
    int _reloadTabsCount = 0;
    int _setupCount = 0;
};
