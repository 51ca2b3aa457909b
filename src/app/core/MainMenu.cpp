#include "app/core/MainMenu.h"

#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/core/MainWindowMenuBar.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "support/Localization.h"

#include <string>

namespace {

using platform::Menu;
using platform::MenuItem;

std::shared_ptr<MenuItem> addItem(Menu& menu, std::string title, std::string action,
                                  std::string keyEquivalent = {}) {
    auto item =
        std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
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
    addItem(application, QXLS("msg.menu.about", "About NewApplication"), "openABoutPanel:");
    m.ibUpdateAvailableMenuItem = addItem(application, "Update available...", {});
    m.ibUpdateAvailableMenu = std::make_shared<Menu>("Update available...");
    application.setSubmenu(m.ibUpdateAvailableMenu, m.ibUpdateAvailableMenuItem.get());
    addSeparator(application);
    addItem(application, QXLS("msg.menu.preferences", "Preferences..."),
            "openPreferencesWindow:", ",");
    // Titled by the hosted service's state each time the menu opens; the share item follows it.
    m.ibConnectServiceMenuItem = addItem(application, "Sign In...", "connectionServiceOperation:");
    addSeparator(application);
    addItem(application, QXLS("msg.menu.hide", "Hide NewApplication"), "hide:", "h");
    addSeparator(application);
    m.ibLogoutMenuItem = addItem(application, QXLS("msg.menu.logout", "Logout"), "logout:");
    m.ibQuitMenuItem =
        addItem(application, QXLS("msg.menu.quit", "Quit NewApplication"), "quit:", "q");

    // Rebuilt as it opens: the import and export commands and the contact list's entries.
    m.contactMenu = addMenu(bar, QXLS("msg.menu.contacts", "Contacts"), &m.ibContactMenuItem);
    addItem(*m.contactMenu, QXLS("msg.menuitem.import_contacts", "Import Contacts..."),
            "importContacts:");
    addItem(*m.contactMenu, QXLS("msg.menuitem.export_contacts", "Export Contacts..."),
            "exportContacts:");

    // Rebuilt as it opens from the focused list's entries.
    m.actionMenu = addMenu(bar, QXLS("msg.menu.actions", "Actions"), &m.ibActionsMenuItem);

    // The call commands; the main window's Control shortcuts send the same actions.
    auto calls = addMenu(bar, QXLS("msg.menu.calls", "Calls"));
    addItem(*calls, QXLS("msg.menu.answer", "Answer"), "answerIncomingCall:");
    addItem(*calls, QXLS("msg.menu.decline", "Decline"), "declineIncomingCall:");
    addItem(*calls, QXLS("msg.menu.end_call", "End Call"), "hangUpOrEndTransferActiveCall:");
    addItem(*calls, QXLS("msg.menu.hold", "Hold or Resume"), "toggleHoldActiveCall:");
    addItem(*calls, QXLS("msg.menu.transfer", "Transfer"), "performTransferActiveCall:");
    addSeparator(*calls);
    addItem(*calls, QXLS("msg.menu.place_call", "Call"), "placeCall:");
    addItem(*calls, QXLS("msg.menu.redial", "Redial"), "redial:");
    addItem(*calls, QXLS("msg.menu.mute", "Mute Microphone"), "toggleMicMute:");
    addItem(*calls, QXLS("msg.menu.pull_from_mobile", "Pull Call from Mobile"), "pullFromMobile:");
    addSeparator(*calls);
    m.ibServerConferenceMenuItem =
        addItem(*calls, QXLS("msg.menu.conference", "Start Conference"), "startFocusConference:");

    m.viewMenu = addMenu(bar, QXLS("msg.menu.view", "View"));
    m.toolbarMenuItem = addItem(*m.viewMenu, QXLS("msg.menu.toolbar", "Show or Hide Toolbar"),
                                "toggleToolbarShown:");
    m.imArchiveMenuItem =
        addItem(*m.viewMenu, QXLS("msg.menu.archive", "Message Archive"), "openIMArchiveWindow:");
    m.chatRoomListMenuItem =
        addItem(*m.viewMenu, QXLS("msg.menu.chat_rooms", "Chat Rooms"), "openChatRoomListWindow:");
    m.workgroupMenuItem =
        addItem(*m.viewMenu, QXLS("msg.menu.workgroups", "Workgroups"), "openWorkgroupWindow:");

    m.windowMenu = addMenu(bar, QXLS("msg.menu.window", "Window"));
    addItem(*m.windowMenu, QXLS("msg.menu.minimize", "Minimize"), "performMiniaturize:", "m");
    addItem(*m.windowMenu, QXLS("msg.menu.zoom", "Zoom"), "performZoom:");
    addItem(*m.windowMenu, QXLS("msg.menu.always_on_top", "Always on Top"), "alwaysOnTop:");
    addSeparator(*m.windowMenu);
    addItem(*m.windowMenu, QXLS("msg.menu.main_window", "Main Window"), "showMainWindow:");
    addItem(*m.windowMenu, QXLS("msg.menu.bring_all_to_front", "Bring All to Front"),
            "arrangeInFront:");

    m.helpMenu = addMenu(bar, QXLS("msg.menu.help", "Help"));
    m.ibOnlineSupportMenuItem = addItem(
        *m.helpMenu, QXLS("msg.menu.online_help", "NewApplication Help"), "softphoneHelp:", "?");
    m.ibCheckUpdateMenuItem = addItem(
        *m.helpMenu, QXLS("msg.autoupdate.check", "Check for updates..."), "checkForUpdates:");
    m.ibHelpSeparatorMenuItem = addSeparator(*m.helpMenu);
    addItem(*m.helpMenu, QXLS("msg.menu.troubleshooting", "Troubleshooting..."),
            "openTroubleshootingWindow:");
    m.ibSendFeedbackMenuItem =
        addItem(*m.helpMenu, QXLS("msg.menu.feedback", "Send Feedback..."), "openFeedbackWindow:");
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
            controller->adoptMenus();
            auto window = load.addTopLevelObject(MainAppWindow::makeFromInterfaceDefinition());
            controller->setMainWindow(window.get());
            // Linux has no global menu bar: the window shows it in its top strip. It wakes
            // after the window, once the strip and the logo are in place.
            load.addTopLevelObject(
                std::make_shared<MainWindowMenuBar>(menus.appMenu, window.get()));
        });
}
