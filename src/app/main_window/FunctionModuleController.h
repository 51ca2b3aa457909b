#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/View.h"

#include <memory>

class ContactListController;

// The main window's function-tab module (contacts, history, favourites, directory, web tabs).
// So far the view the main window stacks under the brand module name "functional", holding
// the contact list.
class FunctionModuleController : public platform::Object {
public:
    // Made on first use.
    static FunctionModuleController& sharedController();
    static void releaseSharedController();

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();
    FunctionModuleController();
    ~FunctionModuleController() override;

    // Takes the engine's services into use once the engine has started (counted): the
    // contact list is made for the engine's phone service.
    void setup();
    // At shutdown: the contact list saves its settings and leaves the engine.
    void cleanup();
    ContactListController* contactList() const { return _contactList.get(); }
    int setupCount() const { return _setupCount; }
    // Rebuilds the function tabs after the web tab's address changed; counted so far.
    void reloadTabs() { ++_reloadTabsCount; }
    int reloadTabsCount() const { return _reloadTabsCount; }

    // Appends the function tabs' show and hide items to the menu and answers it; the tabs come
    // with the module, so nothing is appended yet.
    platform::Menu& appendMenu(platform::Menu& menu) { return menu; }

private:
    std::shared_ptr<platform::View> _theView;
    std::unique_ptr<ContactListController> _contactList;
    int _reloadTabsCount = 0;
    int _setupCount = 0;
};
