#include "app/core/MainMenu.h"

#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"

#include <string>

namespace {

using platform::Menu;
using platform::MenuItem;

std::shared_ptr<MenuItem> addItem(Menu& menu, std::string title, std::string action,
                                  std::string keyEquivalent = {}) {
    auto item = std::make_shared<MenuItem>(std::move(title), std::move(action),
                                           std::move(keyEquivalent));
    menu.addItem(item);
    return item;
}

std::shared_ptr<MenuItem> addSeparator(Menu& menu) {
    auto item = MenuItem::separatorItem();
    menu.addItem(item);
    return item;
}

// A menu-bar item holding a new menu of that title.
std::shared_ptr<Menu> addMenu(Menu& bar, const std::string& title,
                              std::shared_ptr<MenuItem>* holder = nullptr) {
    auto menu = std::make_shared<Menu>(title);
    auto item = addItem(bar, title, {});
    bar.setSubmenu(menu, item.get());
    if (holder)
        *holder = item;
    return menu;
}

} // namespace

MainMenuOutlets makeMainMenu() {
    MainMenuOutlets m;
    m.appMenu = std::make_shared<Menu>("MainMenu");
    Menu& bar = *m.appMenu;

    m.applicationMenu = addMenu(bar, "NewApplication");
    Menu& application = *m.applicationMenu;
    addItem(application, "About NewApplication", "openABoutPanel:");
    m.ibUpdateAvailableMenuItem = addItem(application, "Update available...", {});
    m.ibUpdateAvailableMenu = std::make_shared<Menu>("Update available...");
    application.setSubmenu(m.ibUpdateAvailableMenu, m.ibUpdateAvailableMenuItem.get());
    addSeparator(application);
    addItem(application, "Preferences...", "openPreferencesWindow:", ",");
    m.ibConnectServiceMenuItem = addItem(application, "Sign In...", "connectionServiceOperation:");
    addSeparator(application);
    addItem(application, "Hide NewApplication", "hide:", "h");
    addSeparator(application);
    m.ibLogoutMenuItem = addItem(application, "Logout", "logout:");
    m.ibQuitMenuItem = addItem(application, "Quit NewApplication", "quit:", "q");

    m.contactMenu = addMenu(bar, "Contacts", &m.ibContactMenuItem);
    addItem(*m.contactMenu, "Import Contacts...", "importContacts:");
    addItem(*m.contactMenu, "Export Contacts...", "exportContacts:");

    m.actionMenu = addMenu(bar, "Actions", &m.ibActionsMenuItem);
    addItem(*m.actionMenu, "Answer", "answerIncomingCall:");
    addItem(*m.actionMenu, "Decline", "declineIncomingCall:");
    addItem(*m.actionMenu, "End Call", "hangUpOrEndTransferActiveCall:");
    addItem(*m.actionMenu, "Hold", "toggleHoldActiveCall:");
    addItem(*m.actionMenu, "Transfer", "performTransferActiveCall:");
    m.ibServerConferenceMenuItem =
        addItem(*m.actionMenu, "Start Conference", "startFocusConference:");

    m.viewMenu = addMenu(bar, "View");
    m.toolbarMenuItem = addItem(*m.viewMenu, "Show Toolbar", "toggleToolbarShown:");
    m.imArchiveMenuItem = addItem(*m.viewMenu, "Message Archive", "openIMArchiveWindow:");
    m.chatRoomListMenuItem = addItem(*m.viewMenu, "Chat Rooms", "openChatRoomListWindow:");
    m.workgroupMenuItem = addItem(*m.viewMenu, "Workgroups", "openWorkgroupWindow:");

    m.windowMenu = addMenu(bar, "Window");
    addItem(*m.windowMenu, "Minimize", "performMiniaturize:", "m");

    m.helpMenu = addMenu(bar, "Help");
    m.ibOnlineSupportMenuItem = addItem(*m.helpMenu, "NewApplication Help", "softphoneHelp:", "?");
    m.ibCheckUpdateMenuItem = addItem(*m.helpMenu, "Check for Updates...", "checkForUpdates:");
    m.ibHelpSeparatorMenuItem = addSeparator(*m.helpMenu);
    addItem(*m.helpMenu, "Troubleshooting...", "openTroubleshootingWindow:");
    m.ibSendFeedbackMenuItem = addItem(*m.helpMenu, "Send Feedback...", "openFeedbackWindow:");
    return m;
}

void registerMainMenuInterfaceDefinition() {
    LoginController::registerInterfaceDefinition();
    platform::InterfaceDefinition::registerDefinition(
        "MainMenu", [](platform::InterfaceDefinitionLoad& load) {
            // The controller wakes first: it checks the brand dictionary the window is
            // built from. The menu bar is in place before the window wakes, since the window
            // puts the product's name into its titles.
            auto controller = load.addTopLevelObject(std::make_shared<AppController>());
            MainMenuOutlets menus = makeMainMenu();
            platform::Menu::setMainMenu(menus.appMenu);
            controller->setMenuOutlets(menus);
            auto window = load.addTopLevelObject(MainAppWindow::makeFromInterfaceDefinition());
            controller->setMainWindow(window.get());
        });
}
