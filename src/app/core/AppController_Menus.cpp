// The main, context and Dock menus: the dynamic menus rebuilt as they open, validation of every
// item that reaches the controller, the Dock menu, and the menu commands with the register of
// open chat windows.

#include "app/calls/CallModuleController.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AboutPanelController.h"
#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/core/LoginController.h"
#include "app/core/MainMenu.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "app/pab/PabContactOperations.h"
#include "app/preferences/PrefsWindowController.h"
#include "app/troubleshooting/FeedbackWindowController.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "engine/ConversationService.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/OVConnectService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/PhoneStatusService.h"
#include "engine/PresenceService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Control.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kAlwaysOnTopKey = "mainPhone.ui.alwaysOnTop";
// The phone status that still offers the full Dock menu although it disables the phone's
// controls: no SIP account, where messaging and presence still work.
constexpr int kNoSipAccountStatus = 7;

bool engineStarted() {
    return StartupService::instance().started();
}

template <class T> std::shared_ptr<T> representedObjectOf(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !item->representedObject().isObject())
        return nullptr;
    return std::dynamic_pointer_cast<T>(item->representedObject().object());
}

const PresenceMessageTranslator& presenceTranslator() {
    if (featureOn("allow_pab"))
        return PabContactOperations::instance();
    return ContactOperations::instance();
}

// The commands the controller answers, by action name.
using Command = void (AppController::*)(platform::Object*);
struct CommandEntry {
    std::string_view action;
    Command command;
};

constexpr std::array kCommands = {
    CommandEntry{"openPreferencesWindow:", &AppController::openPreferencesWindow},
    CommandEntry{"openTroubleshootingWindow:", &AppController::openTroubleshootingWindow},
    CommandEntry{"openTroubleshootingAudioTab:", &AppController::openTroubleshootingAudioTab},
    CommandEntry{"openTroubleshootingDiagnosticsTab:",
                 &AppController::openTroubleshootingDiagnosticsTab},
    CommandEntry{"openPreferenceDeviceTab:", &AppController::openPreferenceDeviceTab},
    CommandEntry{"openPreferenceAccountTab:", &AppController::openPreferenceAccountTab},
    CommandEntry{"openFeedbackWindow:", &AppController::openFeedbackWindow},
    CommandEntry{"openABoutPanel:", &AppController::openABoutPanel},
    CommandEntry{"openInviteFriendsWindow:", &AppController::openInviteFriendsWindow},
    CommandEntry{"openIMArchiveWindow:", &AppController::openIMArchiveWindow},
    CommandEntry{"openChatRoomListWindow:", &AppController::openChatRoomListWindow},
    CommandEntry{"openWorkgroupWindow:", &AppController::openWorkgroupWindow},
    CommandEntry{"answerIncomingCall:", &AppController::answerIncomingCall},
    CommandEntry{"declineIncomingCall:", &AppController::declineIncomingCall},
    CommandEntry{"placeCall:", &AppController::placeCall},
    CommandEntry{"redial:", &AppController::redial},
    CommandEntry{"hangUpOrEndTransferActiveCall:", &AppController::hangUpOrEndTransferActiveCall},
    CommandEntry{"toggleHoldActiveCall:", &AppController::toggleHoldActiveCall},
    CommandEntry{"performTransferActiveCall:", &AppController::performTransferActiveCall},
    CommandEntry{"toggleMicMute:", &AppController::toggleMicMute},
    CommandEntry{"muteMicFromDock:", &AppController::muteMicFromDock},
    CommandEntry{"endCallFromDock:", &AppController::endCallFromDock},
    CommandEntry{"pullFromMobile:", &AppController::pullFromMobile},
    CommandEntry{"volumeChanged:", &AppController::volumeChanged},
    CommandEntry{"makeTestCall:", &AppController::makeTestCall},
    CommandEntry{"retryAccounts:", &AppController::retryAccounts},
    CommandEntry{"softphoneHelp:", &AppController::softphoneHelp},
    CommandEntry{"launchUrl:", &AppController::launchUrl},
    CommandEntry{"checkForUpdates:", &AppController::checkForUpdates},
    CommandEntry{"alwaysOnTop:", &AppController::alwaysOnTop},
    CommandEntry{"showMainWindow:", &AppController::showMainWindow},
    CommandEntry{"arrangeInFront:", &AppController::arrangeInFront},
    CommandEntry{"logout:", &AppController::logout},
    CommandEntry{"quit:", &AppController::quit},
    CommandEntry{"importContacts:", &AppController::importContacts},
    CommandEntry{"exportContacts:", &AppController::exportContacts},
};

// The toolbar and hub commands that performEventHubAction runs.
constexpr std::array<std::string_view, 14> kEventHubActions = {
    "toggleDialpad:",          "toggleSpeakerPhone:",         "toggleVideo:",
    "toggleDeskphone:",        "voiceMailPressed:",           "missedCallsPressed:",
    "presenceChanged:",        "toggleAnonymousCalling:",     "toggleAutoAnswer:",
    "toggleLettersToNumbers:", "startFocusConference:",       "findFriends:",
    "showToolBarCallback:",    "connectionServiceOperation:",
};

// Window commands the platform's windows answer by themselves in a desktop with a global menu
// bar; here the menu bar lives in the main window, so the controller passes them on to the
// window they concern. They are always enabled, as the windows' own items are.
constexpr std::array<std::string_view, 5> kWindowCommands = {
    "performMiniaturize:", "performZoom:",    "toggleToolbarShown:",
    "showMainWindow:",     "arrangeInFront:",
};

bool isWindowCommand(std::string_view action) {
    return std::find(kWindowCommands.begin(), kWindowCommands.end(), action) !=
           kWindowCommands.end();
}

} // namespace

// The menus the controller is the delegate of, and the share item it keeps; when the controller
// goes the menus forget it and the share item leaves the application menu.
struct AppController::MenuAdoption {
    AppController* controller = nullptr;
    std::vector<std::weak_ptr<platform::Menu>> menus;
    std::weak_ptr<platform::Menu> applicationMenu;
    std::shared_ptr<platform::MenuItem> shareItem;

    ~MenuAdoption() {
        for (const auto& weak : menus)
            if (auto menu = weak.lock(); menu && menu->delegate() == controller)
                menu->setDelegate(nullptr);
        if (auto menu = applicationMenu.lock();
            menu && shareItem && menu->indexOfItem(shareItem.get()) >= 0)
            menu->removeItem(shareItem.get());
        if (shareItem && shareItem->submenu())
            for (const auto& item : shareItem->submenu()->itemArray())
                item->setTarget(nullptr);
    }
};

void AppController::adoptMenus() {
    auto adoption = std::make_shared<MenuAdoption>();
    adoption->controller = this;
    adoption->applicationMenu = _applicationMenu;
    for (const auto& menu : {_viewMenu, _contactMenu, _applicationMenu, _helpMenu,
                             _ibUpdateAvailableMenu, _actionMenu}) {
        if (!menu)
            continue;
        menu->setDelegate(this);
        adoption->menus.push_back(menu);
    }
    if (_menuAdoption && _menuAdoption->shareItem)
        adoption->shareItem = std::move(_menuAdoption->shareItem);
    _menuAdoption = std::move(adoption);

    if (_ibUpdateAvailableMenuItem) {
        _ibUpdateAvailableMenuItem->setTitle(
            QXLS("msg.autoupdate.available", "Update available..."));
        _ibUpdateAvailableMenuItem->setHidden(true);
        // A square as tall as the menu's text.
        if (auto image = platform::Image::imageNamed("DownloadUpdateIcon")) {
            auto icon = image->copy();
            const double side = platform::Font::menuFontOfSize(0).pointSize();
            icon->setSize({side, side});
            _ibUpdateAvailableMenuItem->setImage(icon);
        }
    }
}

platform::MenuItem* AppController::shareMenuItem() const {
    return _menuAdoption ? _menuAdoption->shareItem.get() : nullptr;
}

platform::Window* AppController::mainWnidowAttachedSheet() const {
    return _appWindow ? _appWindow->attachedSheet() : nullptr;
}

// Dynamic menus.

void AppController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu == _applicationMenu.get()) {
        if (_ibConnectServiceMenuItem) {
            platform::MenuItem& item = *_ibConnectServiceMenuItem;
            const auto model = _connectAccountModel;
            if (model && model->showSignUp()) {
                item.setTitle(QXLS("msg.menuitem.register_connect", "Register for Corvane"));
                item.setAction("connectionServiceOperation:");
            } else if (model && model->showSignIn()) {
                item.setTitle(QXLS("msg.menuitem.sign_in_connect", "Sign in to Corvane"));
                item.setAction("connectionServiceOperation:");
            } else if (model && model->showSignOut()) {
                item.setTitle(QXLS("msg.menuitem.sign_out_connect", "Sign out of Corvane"));
                item.setAction("connectionServiceOperation:");
            } else {
                item.setAction({});
            }
        }
        if (featureOn("connectServiceEnabled") && _ibConnectServiceMenuItem) {
            const bool signedIn = _connectAccountModel && _connectAccountModel->showSignOut();
            if (signedIn) {
                if (!_menuAdoption) {
                    _menuAdoption = std::make_shared<MenuAdoption>();
                    _menuAdoption->controller = this;
                }
                if (!_menuAdoption->shareItem) {
                    // The addresses are read once, when the items are made.
                    auto share = std::make_shared<platform::MenuItem>(
                        QXLS("msg.menuitem.share.friends", "Share with Contacts"), "", "");
                    auto submenu = std::make_shared<platform::Menu>("blubber");
                    const auto phone = _phoneService;
                    const struct {
                        const char* key;
                        const char* title;
                        const char* action;
                        std::string url;
                        const char* image;
                    } rows[] = {
                        {"msg.menuitem.share.twitter", "Twitter",
                         "launchUrl:", phone ? phone->menuShareTwitterUrl() : "", "twitterSmall"},
                        {"msg.menuitem.share.facebook", "Facebook",
                         "launchUrl:", phone ? phone->menuShareFacebookUrl() : "", "facebookSmall"},
                        {"msg.menuitem.share.linkedIn", "LinkedIn",
                         "launchUrl:", phone ? phone->menuShareLinkedInUrl() : "", "linkedinSmall"},
                        {"msg.menuitem.share.email", "Email", "openInviteFriendsWindow:", "",
                         "emailSmall"},
                    };
                    for (const auto& row : rows) {
                        auto item = OrvantaExtensions::addItemWithTitle(
                            *submenu, QXLS(row.key, row.title), this, row.action, "",
                            std::string_view(row.action) == "launchUrl:" ? platform::Value(row.url)
                                                                         : platform::Value());
                        OrvantaExtensions::setImageWithName(*item, row.image);
                    }
                    share->setSubmenu(submenu);
                    _menuAdoption->shareItem = share;
                }
                platform::MenuItem* share = _menuAdoption->shareItem.get();
                if (menu.indexOfItem(share) < 0)
                    menu.insertItem(_menuAdoption->shareItem,
                                    menu.indexOfItem(_ibConnectServiceMenuItem.get()) + 1);
            } else if (platform::MenuItem* share = shareMenuItem();
                       share && menu.indexOfItem(share) >= 0) {
                menu.removeItem(share);
            }
        }
        return;
    }

    if (&menu == _contactMenu.get()) {
        OrvantaExtensions::removeAllItems(menu);
        if (_loggedOut || _forceShutDown)
            return;
        // The import and export commands lead the menu; the contact list appends its entries.
        OrvantaExtensions::addItemWithTitle(
            menu, QXLS("msg.menuitem.import_contacts", "Import Contacts..."), nullptr,
            "importContacts:", "");
        OrvantaExtensions::addItemWithTitle(
            menu, QXLS("msg.menuitem.export_contacts", "Export Contacts..."), nullptr,
            "exportContacts:", "");
        platform::NotificationCenter::defaultCenter().postNotificationName(
            MenuUpdateContactList, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(ContextMenu), platform::Value(menu.shared_from_this())}}));
        return;
    }

    if (&menu == _viewMenu.get()) {
        FunctionModuleController::sharedController().appendMenu(menu);
        if (!_chatRoomListMenuItem)
            return;
        platform::MenuItem& item = *_chatRoomListMenuItem;
        std::vector<std::shared_ptr<OVAccount>> accounts;
        if (_accountService)
            for (const auto& account : _accountService->accounts())
                if (account->status() == OVAccount::statusEnabled &&
                    account->protocol() == OVAccount::XMPPprotocol)
                    accounts.push_back(account);
        item.setSubmenu(nullptr);
        if (accounts.empty()) {
            item.setTarget(nullptr);
            item.setAction({});
            item.setRepresentedObject(platform::Value());
        } else if (accounts.size() == 1) {
            item.setTarget(this);
            item.setAction("openChatRoomListWindow:");
            item.setRepresentedObject(platform::Value(accounts.front()));
        } else {
            item.setTarget(this);
            item.setAction("openChatRoomListWindow:");
            item.setRepresentedObject(platform::Value());
            auto submenu = std::make_shared<platform::Menu>("blubber");
            for (const auto& account : accounts)
                OrvantaExtensions::addItemWithTitle(*submenu, account->domain(), this,
                                                    "openChatRoomListWindow:", "",
                                                    platform::Value(account));
            item.setSubmenu(submenu);
        }
        return;
    }

    if (&menu == _helpMenu.get()) {
        if (_ibSendFeedbackMenuItem)
            _ibSendFeedbackMenuItem->setHidden(!featureOn("connectServiceEnabled"));
        if (!_ibCheckUpdateMenuItem)
            return;
        platform::MenuItem& item = *_ibCheckUpdateMenuItem;
        const std::string server =
            _phoneService ? _phoneService->stringSetting(PhoneService::appSettingsSource,
                                                         "feature:auto_update:code_server_url")
                          : std::string();
        // Without an update server there is nothing to check; the feature switch decides
        // otherwise.
        if (server.empty())
            item.setHidden(true);
        if (item.isHidden())
            return;
        if (_autoUpdateModel && _autoUpdateModel->isUpdateAvailable()) {
            item.setTitle(QXLS("msg.autoupdate.available", "Update available..."));
            if (auto image = platform::Image::imageNamed("DownloadUpdateIcon")) {
                auto icon = image->copy();
                icon->setSize({16, 16});
                item.setImage(icon);
            }
        } else {
            item.setTitle(QXLS("msg.autoupdate.check", "Check for updates..."));
            item.setImage(nullptr);
        }
        return;
    }

    if (&menu == _ibUpdateAvailableMenu.get())
        return;

    // The context-dependent menus: what the focused list offers.
    OrvantaExtensions::removeAllItems(menu);
    if (_appWindow)
        _appWindow->addFocusContextualItems(menu);
    if (menu.numberOfItems() == 0)
        OrvantaExtensions::addItemWithTitle(
            menu, QXLS("msg.menuitem.noTarget", "No current target"), this, "", "");
}

void AppController::menuWillOpen(platform::Menu& menu) {
    if (&menu == _ibUpdateAvailableMenu.get() && _ibUpdateAvailableMenuItem &&
        !_ibUpdateAvailableMenuItem->isHidden())
        checkForUpdates(this);
}

void AppController::ovmdPropertyChanged(const std::string& /*propertyName*/) {
    // Other models report to the same delegate; the item only follows the update model.
    if (_ibUpdateAvailableMenuItem && _autoUpdateModel)
        _ibUpdateAvailableMenuItem->setHidden(!_autoUpdateModel->isUpdateAvailable());
}

// Validation.

namespace {

// Whether one of the engine's calls lets the Calls menu's command act; nullopt for other
// actions.
std::optional<bool> callCommandAvailable(std::string_view action,
                                         const std::vector<std::shared_ptr<Conversation>>& calls) {
    const auto any = [&calls](auto&& test) {
        return std::any_of(calls.begin(), calls.end(), test);
    };
    // Placed, connected or held: a call the user is in (a ringing one is answered or declined).
    const auto underWay = [](const std::shared_ptr<Conversation>& call) {
        const int status = call->connectionStatus();
        return call->isLive() &&
               (status == Conversation::statusConnected || status == Conversation::statusHeld);
    };
    if (action == "answerIncomingCall:")
        return any([](const auto& call) { return call->canAnswer(); });
    if (action == "declineIncomingCall:")
        return any([](const auto& call) { return call->isIncoming() && call->isRinging(); });
    if (action == "hangUpOrEndTransferActiveCall:" || action == "toggleMicMute:")
        return any(underWay);
    if (action == "toggleHoldActiveCall:")
        return any([](const auto& call) { return call->canHold() || call->canResume(); });
    if (action == "performTransferActiveCall:")
        return any([](const auto& call) { return call->canBlindTransfer(); });
    return std::nullopt;
}

} // namespace

std::optional<bool> AppController::validateMenuItem(platform::MenuItem& item) {
    const std::string& action = item.action();
    const bool importOrExport =
        action == "chooseImportTypeChange:" || action == "chooseExportTypeChange:";
    if (mainWnidowAttachedSheet())
        return importOrExport;
    const bool started = engineStarted();
    if (isWindowCommand(action))
        return true;
    if (action == "openPreferencesWindow:" || action == "openTroubleshootingWindow:")
        return started;
    if (action == "softphoneHelp:" || action == "openABoutPanel:")
        return true;
    if (action == "checkForUpdates:" || action == "endCallFromDock:")
        return started;
    if (action == "alwaysOnTop:") {
        item.setState(platform::UserDefaults::standardUserDefaults().boolForKey(kAlwaysOnTopKey)
                          ? platform::OnState
                          : platform::OffState);
        return true;
    }
    if (importOrExport)
        return true;
    if (action == "logout:" || action == "openIMArchiveWindow:")
        return started && !_forceShutDown;
    if (action == "pullFromMobile:")
        return started && _conversationService && _conversationService->canPullFromMobile();
    if (action == "quit:")
        return !(_loginController && _loginController->loggingIn()) && !_forceShutDown;
    // The feedback window follows the other window commands (the original enabled it once the
    // engine had started but opened it only while logged out, so it never opened).
    if (action == "openFeedbackWindow:")
        return started && !_forceShutDown;
    // The call commands act on a call: with none there is nothing for them to do.
    if (auto available = callCommandAvailable(
            action, _conversationService ? _conversationService->getAllConversations()
                                         : std::vector<std::shared_ptr<Conversation>>{}))
        return started && *available;
    return started;
}

// The responder chain.

bool AppController::respondsToAction(std::string_view action) const {
    if (isWindowCommand(action))
        return true;
    for (const auto& entry : kCommands)
        if (entry.action == action)
            return true;
    return std::find(kEventHubActions.begin(), kEventHubActions.end(), action) !=
           kEventHubActions.end();
}

bool AppController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "performMiniaturize:" || action == "performZoom:") {
        platform::Window* window = platform::Application::sharedApplication().keyWindow();
        if (!window)
            window = _appWindow;
        if (window && action == "performMiniaturize:")
            window->performMiniaturize(sender);
        else if (window)
            window->zoom(sender);
        return true;
    }
    if (action == "toggleToolbarShown:") {
        if (_appWindow)
            _appWindow->toggleToolbarShown(sender);
        return true;
    }
    for (const auto& entry : kCommands)
        if (entry.action == action) {
            (this->*entry.command)(sender);
            return true;
        }
    return performEventHubAction(action, sender);
}

// The Dock menu.

std::shared_ptr<platform::Menu>
AppController::applicationDockMenu(platform::Application& /*sender*/) {
    const auto statusService = _phoneStatusService;
    const int status =
        statusService && statusService->status() ? statusService->status()->value() : 0;
    const bool full =
        EnabledOnPhoneStatusTransformer().transformedValue(platform::Value(status)).boolValue() ||
        status == kNoSipAccountStatus;
    const bool offersLogout =
        featureOn("loginEnabled") &&
        (!_loginProfile || _loginProfile->type() != LoginProfileItem::NO_LOGIN);

    auto menu = std::make_shared<platform::Menu>();
    const auto addLogout = [&] {
        OrvantaExtensions::addItemWithTitle(*menu, QXLS("msg.contextmenuitem.logout", "Logout"),
                                            this, "logout:", "");
    };
    if (!full) {
        if (_phoneService && offersLogout) {
            addLogout();
            return menu;
        }
        return nullptr;
    }

    // One item for each call, to end it.
    const auto contacts = _phoneService ? _phoneService->getContactManager() : nullptr;
    for (const auto& conversation : CallModuleController::sharedController().conversations()) {
        const int connection = conversation->connectionStatus();
        if (connection == Conversation::statusEnded || connection == Conversation::statusFailed)
            continue;
        std::string name;
        if (!conversation->participants().empty()) {
            const auto& participant = conversation->participants().front();
            const auto matches = contacts ? contacts->lookup("", participant->address(), "")
                                          : std::vector<std::shared_ptr<OVEntity>>{};
            if (matches.empty()) {
                name = participant->addressToDisplay();
            } else if (const auto info = participant->getCallInfo()) {
                const std::string type =
                    ContactAddressStringTransformer()
                        .transformedValue(platform::Value(static_cast<int>(info->addressType())))
                        .stringValue();
                name = matches.front()->displayName() + " [" + type + ": " +
                       participant->addressToDisplay() + "]";
            }
        }
        std::string title;
        if (conversation->isConference())
            title = QXLS("msg.contextmenuitem.end_conference", "End Conference");
        else if (conversation->getRelatedConversation())
            continue;
        else
            title = QXLS("msg.contextmenuitem.end_call", "End Call") + " - " + name;
        OrvantaExtensions::addItemWithTitle(*menu, title, this, "endCallFromDock:", "",
                                            platform::Value(conversation));
    }

    if (_conversationService && !_conversationService->getAllConversations().empty()) {
        const bool muted = _phoneService && _phoneService->micMuted();
        OrvantaExtensions::addItemWithTitle(*menu,
                                            muted ? QXLS("msg.contextmenuitem.unmute", "Unmute")
                                                  : QXLS("msg.contextmenuitem.mute", "Mute"),
                                            this, "muteMicFromDock:", "");
    }

    if (featureOn("presenceEnabled") && _presenceService && _presenceService->presenceAllowed() &&
        !PrimaryModuleController::sharedController().customPresenceSheetVisible()) {
        auto availability = OrvantaExtensions::addItemWithTitle(
            *menu, QXLS("msg.contextmenuitem.availability", "My Availability"), this, "", "");
        auto presenceMenu = std::make_shared<platform::Menu>();
        const auto self = _presenceService->getSelfPresence();
        const std::string selfMessage =
            self ? presenceTranslator().translatePresenceMessage(self->message()) : std::string();
        const auto& source = ToolbarController::sharedController().status().menu();
        for (const auto& item :
             source ? source->itemArray() : std::vector<std::shared_ptr<platform::MenuItem>>{}) {
            if (item->isSeparatorItem()) {
                presenceMenu->addItem(platform::MenuItem::separatorItem());
                continue;
            }
            if (item->isHidden())
                continue;
            // The primary module sets the presence; the controller passes the command on.
            auto copy = OrvantaExtensions::addItemWithTitle(*presenceMenu, item->title(), this,
                                                            "presenceChanged:", "", item->tag());
            if (self && static_cast<long>(self->status()) == item->tag() &&
                selfMessage == item->title())
                copy->setState(platform::OnState);
        }
        availability->setSubmenu(presenceMenu);
    }

    if (offersLogout)
        addLogout();
    return menu;
}

// Window commands.

void AppController::openPreferencesWindow(platform::Object* /*sender*/) {
    if (_loggedOut || _forceShutDown)
        return;
    PrefsWindowController::sharedPreferncesWindowController().showWindow(this);
}

void AppController::openTroubleshootingWindow(platform::Object* /*sender*/) {
    if (_loggedOut || _forceShutDown)
        return;
    TroubleshootingWindowController::sharedTroubleshootingWindowController().showWindow(this);
}

void AppController::openTroubleshootingAudioTab(platform::Object* /*sender*/) {
    if (!engineStarted() || _forceShutDown)
        return;
    auto& troubleshooting =
        TroubleshootingWindowController::sharedTroubleshootingWindowController();
    troubleshooting.showWindow(this);
    troubleshooting.displayViewWithIdentifier("Audio", false);
}

void AppController::openPreferenceDeviceTab(platform::Object* /*sender*/) {
    if (!engineStarted() || _forceShutDown)
        return;
    auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
    preferences.showWindow(this);
    preferences.displayViewWithIdentifier("Devices", false);
}

void AppController::openPreferenceAccountTab(platform::Object* /*sender*/) {
    if (!engineStarted() || _forceShutDown || !featureOn("account_settings"))
        return;
    auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
    preferences.showWindow(this);
    preferences.displayViewWithIdentifier("Accounts", false);
}

void AppController::openFeedbackWindow(platform::Object* /*sender*/) {
    // The original opened it only while logged out, though its item is enabled only once the
    // engine has started; it follows the other window commands instead.
    if (!engineStarted() || _forceShutDown)
        return;
    FeedbackWindowController::sharedFeedbackWindowController().showFeedbackWindow();
}

void AppController::openABoutPanel(platform::Object* /*sender*/) {
    AboutPanelController::sharedInstance().showPanel();
}

void AppController::openInviteFriendsWindow(platform::Object* /*sender*/) {
    ConnectInviteFriendsWindowController::sharedInviteWindowController().showWindow(this);
}

void AppController::openIMArchiveWindow(platform::Object* /*sender*/) {
    IMArchiveWindowController::sharedIMArchiveWindowController().showWindow(this);
}

void AppController::openChatRoomListWindow(platform::Object* sender) {
    // The parent item of the accounts' submenu carries no account and opens nothing.
    if (auto account = representedObjectOf<OVAccount>(sender))
        ChatRoomListWindowController::sharedChatRoomListWindowController().setAccount(
            std::move(account));
}

void AppController::openWorkgroupWindow(platform::Object* /*sender*/) {
    WorkgroupWindowController::sharedController().showWindow(this);
}

// Call and device commands.

void AppController::answerIncomingCall(platform::Object* /*sender*/) {
    CallModuleController::sharedController().answerFirstIncomingCall();
}

void AppController::declineIncomingCall(platform::Object* /*sender*/) {
    CallModuleController::sharedController().declineIncomingCall();
}

void AppController::placeCall(platform::Object* /*sender*/) {
    PrimaryModuleController::sharedController().callParticipant(nullptr);
}

void AppController::redial(platform::Object* /*sender*/) {
    PrimaryModuleController::sharedController().redial(nullptr);
}

void AppController::hangUpOrEndTransferActiveCall(platform::Object* sender) {
    CallModuleController::sharedController().hangUpOrEndTransferActiveCall(sender);
}

void AppController::toggleHoldActiveCall(platform::Object* sender) {
    CallModuleController::sharedController().toggleHoldActiveCall(sender);
}

void AppController::performTransferActiveCall(platform::Object* sender) {
    if (featureOn("transfersEnabled"))
        CallModuleController::sharedController().performTransferActiveCall(sender);
}

void AppController::toggleMicMute(platform::Object* /*sender*/) {
    if (_phoneService)
        _phoneService->muteMic(!_phoneService->micMuted());
}

void AppController::muteMicFromDock(platform::Object* sender) {
    toggleMicMute(sender);
}

void AppController::endCallFromDock(platform::Object* sender) {
    if (auto conversation = representedObjectOf<Conversation>(sender))
        conversation->end();
}

void AppController::pullFromMobile(platform::Object* /*sender*/) {
    if (_conversationService)
        _conversationService->pullFromMobile(
            QXLS("msg.handoff.pull.displayname", "Call Handoff from Mobile"));
}

void AppController::volumeChanged(platform::Object* sender) {
    if (auto* control = dynamic_cast<platform::Control*>(sender); control && _phoneService)
        _phoneService->setSpeakerVolume(control->intValue());
}

void AppController::makeTestCall(platform::Object* /*sender*/) {
    if (_connectService)
        _connectService->testCall();
}

// Other commands.

void AppController::retryAccounts(platform::Object* /*sender*/) {
    if (!engineStarted() || !_accountService)
        return;
    // Enabling reports status changes that may reach the list; walk a copy.
    const auto accounts = _accountService->accounts();
    for (const auto& account : accounts)
        if (account->failureCause() != OVAccountFailureCause::failureNone && account->toEnable())
            account->enable();
}

void AppController::softphoneHelp(platform::Object* /*sender*/) {
    const platform::Value& address = brandDict()["Menus"]["Help"]["online_help_url"];
    if (const std::string* text = address.string())
        openURL(TranslateUrlMacros(std::string_view(*text)));
}

void AppController::launchUrl(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (item && item->representedObject().isString())
        openURL(TranslateUrlMacros(std::string_view(*item->representedObject().string())));
}

void AppController::checkForUpdates(platform::Object* /*sender*/) {
    if (_loggedOut)
        return;
    if (_autoUpdateModel)
        _autoUpdateModel->checkForUpdates();
    if (_ibUpdateAvailableMenu)
        _ibUpdateAvailableMenu->cancelTracking();
}

void AppController::alwaysOnTop(platform::Object* /*sender*/) {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    const bool onTop = !defaults.boolForKey(kAlwaysOnTopKey);
    defaults.setBool(kAlwaysOnTopKey, onTop);
    const platform::WindowLevel level =
        onTop ? platform::FloatingWindowLevel : platform::NormalWindowLevel;
    if (_appWindow)
        _appWindow->setLevel(level);
    if (VideoWindow::videoWindowExist() && engineStarted() &&
        VideoWindow::sharedVideoWindow().isVisible())
        VideoWindow::sharedVideoWindow().setLevel(level);
}

void AppController::showMainWindow(platform::Object* /*sender*/) {
    if (_appWindow)
        _appWindow->makeKeyAndOrderFront(nullptr);
}

void AppController::arrangeInFront(platform::Object* /*sender*/) {
    auto& application = platform::Application::sharedApplication();
    for (platform::Window* window : application.windows())
        if (window != _appWindow && window->isVisible() && !window->isSheet() &&
            window->level() == platform::NormalWindowLevel)
            window->orderFront(nullptr);
    if (_appWindow && _appWindow->isVisible())
        _appWindow->makeKeyAndOrderFront(nullptr);
}

// The register of chat windows.

IMWindowController* AppController::lookupIMWindowControllerByIMSession(
    const std::shared_ptr<IMSession>& session) const {
    if (!session)
        return nullptr;
    for (const auto& object : _imWindowControllers)
        if (auto* controller = dynamic_cast<IMWindowController*>(object.get());
            controller && controller->imSession() &&
            session->isEqualToInterface(controller->imSession()))
            return controller;
    return nullptr;
}

IMWindowController*
AppController::lookupIMWindowControllerByContact(const platform::Object* contact) const {
    if (!contact)
        return nullptr;
    for (const auto& object : _imWindowControllers)
        if (auto* controller = dynamic_cast<IMWindowController*>(object.get());
            controller && controller->contact().get() == contact)
            return controller;
    return nullptr;
}

IMWindowController*
AppController::lookupIMWindowControllerByGroupChatId(std::string_view groupChatId) const {
    for (const auto& object : _imWindowControllers) {
        auto* controller = dynamic_cast<IMWindowController*>(object.get());
        if (!controller || !controller->imSession())
            continue;
        const IMSession& session = *controller->imSession();
        if (session.isGroupChat() && session.groupChatId() == groupChatId)
            return controller;
    }
    return nullptr;
}

platform::Window* AppController::currentKeyIMWindow() const {
    for (const auto& object : _imWindowControllers)
        if (auto* controller = dynamic_cast<IMWindowController*>(object.get());
            controller && controller->window() && controller->window()->isKeyWindow())
            return controller->window();
    return nullptr;
}

bool AppController::shouldOrderIMWindowFront() const {
    if (platform::Window* window = currentKeyIMWindow()) {
        window->makeKeyAndOrderFront(nullptr);
        return false;
    }
    return true;
}

bool AppController::shouldOrderWindowFront() const {
    if (currentKeyIMWindow())
        return false;
    return !(_appWindow && _appWindow->isKeyWindow());
}
