#pragma once

#include <memory>

namespace platform {
class Menu;
class MenuItem;
} // namespace platform

// The menus and items of the main menu that the application controller adjusts: shown or
// hidden by feature switches once the engine has initialised, removed from the menu bar, or
// rebuilt when they open. The main menu's interface definition hands them over.
struct MainMenuOutlets {
    std::shared_ptr<platform::Menu> appMenu;
    std::shared_ptr<platform::Menu> applicationMenu;
    std::shared_ptr<platform::Menu> viewMenu;
    std::shared_ptr<platform::Menu> windowMenu;
    std::shared_ptr<platform::Menu> actionMenu;
    std::shared_ptr<platform::Menu> contactMenu;
    std::shared_ptr<platform::Menu> helpMenu;
    std::shared_ptr<platform::Menu> ibUpdateAvailableMenu;
    std::shared_ptr<platform::MenuItem> toolbarMenuItem;
    std::shared_ptr<platform::MenuItem> imArchiveMenuItem;
    std::shared_ptr<platform::MenuItem> chatRoomListMenuItem;
    std::shared_ptr<platform::MenuItem> workgroupMenuItem;
    std::shared_ptr<platform::MenuItem> ibCheckUpdateMenuItem;
    std::shared_ptr<platform::MenuItem> ibOnlineSupportMenuItem;
    std::shared_ptr<platform::MenuItem> ibHelpSeparatorMenuItem;
    std::shared_ptr<platform::MenuItem> ibLogoutMenuItem;
    std::shared_ptr<platform::MenuItem> ibConnectServiceMenuItem;
    std::shared_ptr<platform::MenuItem> ibServerConferenceMenuItem;
    std::shared_ptr<platform::MenuItem> ibContactMenuItem;
    std::shared_ptr<platform::MenuItem> ibActionsMenuItem;
    std::shared_ptr<platform::MenuItem> ibQuitMenuItem;
    std::shared_ptr<platform::MenuItem> ibUpdateAvailableMenuItem;
    std::shared_ptr<platform::MenuItem> ibSendFeedbackMenuItem;
};

// Builds the menu bar of the main menu's interface definition: the application, Contacts,
// Actions, Calls, View, Window and Help menus with the items the controller adjusts. The titles
// that name the product carry "NewApplication", which the main window replaces.
MainMenuOutlets makeMainMenu();

// Registers the main menu's interface definition, "MainMenu": it makes the application
// controller, the menu bar and the main window. Call once before the application loads it.
void registerMainMenuInterfaceDefinition();
