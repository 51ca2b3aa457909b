#include "app/calls/ConversationViewController.h"
#include "app/core/AboutPanelController.h"
#include "app/core/AutoUpdateController.h"
#include "app/core/MainWindowMenuBar.h"
#include "app/core/SignInTestSupport.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/main_window/LogoView.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "app/troubleshooting/FeedbackWindowController.h"
#include "engine/AccountService.h"
#include "engine/ConversationService.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/PresenceService.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Workspace.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"
#include "widgets/QXFrameView.h"

#include <cmath>
#include <map>

namespace app_test {
namespace {

using platform::Menu;
using platform::MenuItem;
using platform::Value;

std::vector<std::string> titlesOf(const Menu& menu) {
    std::vector<std::string> titles;
    for (const auto& item : menu.itemArray())
        if (!item->isHidden())
            titles.push_back(item->isSeparatorItem() ? "-" : item->title());
    return titles;
}

// The application signed in on the manual clock, with its menu bar in the main window.
class MenusTest : public SignInTest {
protected:
    void TearDown() override {
        Menu::setTrackingHook({});
        platform::Alert::setPresentationHook({});
        if (AutoUpdateController* update = AutoUpdateController::sharedAutoUpdateController())
            update->close(nullptr);
        settle();
        AboutPanelController::releaseSharedInstance();
        FeedbackWindowController::releaseSharedFeedbackWindowController();
        IMArchiveWindowController::close();
        ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
        WorkgroupWindowController::releaseSharedController();
        ConnectInviteFriendsWindowController::releaseSharedInviteWindowController();
        SignInTest::TearDown();
    }

    void signInAs(std::string_view user, std::string_view password) {
        launch();
        signIn(user, password);
        letTheEngineAnswer();
        ASSERT_EQ(view(), "mainView");
    }

    static MainMenuOutlets menus() { return controller().menuOutlets(); }

    static MainWindowMenuBar* bar() {
        for (const auto& view : window().frameView()->subviews())
            if (auto* found = dynamic_cast<MainWindowMenuBar*>(view.get()))
                return found;
        return nullptr;
    }
    // Every title the bar offers, those behind its chevron included.
    static std::vector<std::string> barTitles() {
        std::vector<std::string> titles;
        for (const auto& slot : bar()->slots())
            if (slot.kind == platform::MenuBarView::SlotKind::Title)
                titles.push_back(slot.item->title());
        for (MenuItem* item : bar()->overflowItems())
            titles.push_back(item->title());
        return titles;
    }

    // Whether the item of that action is enabled, asked along the real responder chain.
    static bool enabled(std::string_view action) {
        MenuItem item("probe", std::string(action), "");
        return menus().appMenu->validateItem(item);
    }

    // Opens a menu of the bar as a click on its title does, and chooses the item titled so
    // (nothing when it is disabled or missing); answers the titles the menu showed.
    static std::vector<std::string> chooseFromBar(std::string_view menuTitle,
                                                  std::string_view itemTitle) {
        std::vector<std::string> shown;
        const std::string wanted(itemTitle);
        Menu::setTrackingHook([&shown, wanted](Menu& menu) {
            shown = titlesOf(menu);
            if (MenuItem* item = menu.itemWithTitle(wanted))
                menu.finishTrackingWithItem(item);
            else
                menu.cancelTracking();
        });
        MenuItem* barItem = menus().appMenu->itemWithTitle(menuTitle);
        EXPECT_NE(barItem, nullptr) << menuTitle;
        if (barItem)
            bar()->openMenuOfItem(barItem);
        Menu::setTrackingHook({});
        return shown;
    }

    // The Dock menu as the bar's icon opens it, choosing the item titled so when given.
    static std::shared_ptr<Menu> dockMenu() { return controller().applicationDockMenu(app()); }
};

TEST_F(MenusTest, TheMenuBarSitsInTheWindowsTopStripLeftOfTheLogo) {
    launch();
    MainWindowMenuBar* menuBar = bar();
    ASSERT_NE(menuBar, nullptr);
    EXPECT_FALSE(menuBar->isHidden());
    const platform::Rect frame = menuBar->frame();
    const platform::Rect host = window().frameView()->bounds();
    EXPECT_EQ(frame.height(), 24) << "the skin's top strip";
    EXPECT_NEAR(frame.maxY(), host.maxY(), 0.01);
    EXPECT_LE(frame.maxX(), window().logoView()->frame().minX());
    // The application menu is titled with the product, then the menus in order; the icon
    // comes first.
    ASSERT_FALSE(menuBar->slots().empty());
    EXPECT_EQ(menuBar->slots().front().kind, platform::MenuBarView::SlotKind::Icon);
    EXPECT_EQ(barTitles(), (std::vector<std::string>{"Lumiq", "Contacts", "Actions", "Calls",
                                                     "View", "Window", "Help"}));

    // It stays in the strip when the window changes height for the main view.
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    EXPECT_NEAR(menuBar->frame().maxY(), window().frameView()->bounds().maxY(), 0.01);
    EXPECT_EQ(menuBar->frame().height(), 24);

    // A real click on the first title opens the application menu; About opens its panel.
    std::string opened;
    Menu::setTrackingHook([&opened](Menu& menu) {
        opened = menu.title();
        menu.finishTrackingWithItem(menu.itemAtIndex(0));
    });
    const auto slots = menuBar->slots();
    screen->click(window(), menuBar->convertPointToView(slots[1].frame.center(), nullptr));
    Menu::setTrackingHook({});
    EXPECT_EQ(opened, "NewApplication");
    ASSERT_NE(AboutPanelController::sharedInstance().panelToDisplay, nullptr);
    EXPECT_TRUE(AboutPanelController::sharedInstance().panelToDisplay->isVisible());
    AboutPanelController::sharedInstance().hidePanel();
}

TEST_F(MenusTest, TheBarLeavesOutTheMenusTheFeatureSwitchesRemove) {
    const struct {
        bool contacts;
        bool actions;
        std::vector<std::string> titles;
    } cases[] = {
        {true, true, {"Lumiq", "Contacts", "Actions", "Calls", "View", "Window", "Help"}},
        {true, false, {"Lumiq", "Contacts", "Calls", "View", "Window", "Help"}},
        {false, true, {"Lumiq", "Calls", "View", "Window", "Help"}},
    };
    for (const auto& c : cases) {
        startClean();
        setFeatures({{"contactsEnabled", c.contacts}, {"actionMenuEnabled", c.actions}});
        launch();
        EXPECT_EQ(barTitles(), c.titles) << c.contacts << c.actions;
    }
}

// Validation by action over the application's states: before sign-in, while signing in,
// signed in, and signed in with a sheet on the main window.
TEST_F(MenusTest, ItemsAreEnabledByActionAndState) {
    enum State { LoginView, SigningIn, SignedIn, Sheet };
    const struct {
        const char* action;
        bool at[4];
    } rows[] = {
        {"openPreferencesWindow:", {false, false, true, false}},
        {"openTroubleshootingWindow:", {false, false, true, false}},
        {"openABoutPanel:", {true, true, true, false}},
        {"softphoneHelp:", {true, true, true, false}},
        {"checkForUpdates:", {false, false, true, false}},
        {"alwaysOnTop:", {true, true, true, false}},
        {"logout:", {false, false, true, false}},
        {"openIMArchiveWindow:", {false, false, true, false}},
        {"quit:", {true, false, true, false}},
        {"openFeedbackWindow:", {false, false, true, false}},
        {"pullFromMobile:", {false, false, false, false}},
        {"toggleDialpad:", {false, false, true, false}},
        {"retryAccounts:", {false, false, true, false}},
        {"performMiniaturize:", {true, true, true, false}},
    };
    const auto check = [&](State state) {
        for (const auto& row : rows)
            EXPECT_EQ(enabled(row.action), row.at[state]) << row.action << " in state " << state;
    };
    launch();
    check(LoginView);
    signIn("alice", "wonderland");
    ASSERT_TRUE(login().loggingIn());
    check(SigningIn);
    letTheEngineAnswer();
    check(SignedIn);

    auto alert = std::make_shared<platform::Alert>();
    alert->setMessageText("Busy");
    alert->beginSheetModalForWindow(window(), [](int) {});
    ASSERT_NE(controller().mainWnidowAttachedSheet(), nullptr);
    check(Sheet);
    // The contact sheets' type menus stay usable under their own sheet.
    for (const char* action : {"chooseImportTypeChange:", "chooseExportTypeChange:"}) {
        MenuItem item("type", action, "");
        EXPECT_EQ(controller().validateMenuItem(item), std::optional<bool>(true)) << action;
    }
    app().endSheet(*alert->window(), 1000);
    EXPECT_TRUE(enabled("logout:"));
}

TEST_F(MenusTest, PullFromMobileFollowsTheConversationService) {
    useConfiguration("pullFromMobile", Value(true));
    signInAs("alice", "wonderland");
    EXPECT_TRUE(enabled("pullFromMobile:"));
    EXPECT_TRUE(app().sendAction("pullFromMobile:", nullptr, nullptr));
    settle();
    const auto calls = engine().phoneService()->getConversationService()->getAllConversations();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls.front()->participants().front()->displayName(), "Call Handoff from Mobile");
}

TEST_F(MenusTest, AlwaysOnTopShowsAndFlipsTheSettingForTheWindow) {
    signInAs("alice", "wonderland");
    const auto& defaults = platform::UserDefaults::standardUserDefaults();
    EXPECT_FALSE(defaults.boolForKey("mainPhone.ui.alwaysOnTop"));
    EXPECT_EQ(window().level(), platform::NormalWindowLevel);

    std::vector<std::string> shown = chooseFromBar("Window", "Always on Top");
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Always on Top"), shown.end());
    EXPECT_TRUE(defaults.boolForKey("mainPhone.ui.alwaysOnTop"));
    EXPECT_EQ(window().level(), platform::FloatingWindowLevel);
    MenuItem* item = nullptr;
    for (const auto& entry : menus().windowMenu->itemArray())
        if (entry->action() == "alwaysOnTop:")
            item = entry.get();
    ASSERT_NE(item, nullptr);
    menus().windowMenu->update();
    EXPECT_EQ(item->state(), platform::OnState) << "the tick follows the setting";

    chooseFromBar("Window", "Always on Top");
    EXPECT_FALSE(defaults.boolForKey("mainPhone.ui.alwaysOnTop"));
    EXPECT_EQ(window().level(), platform::NormalWindowLevel);
    menus().windowMenu->update();
    EXPECT_EQ(item->state(), platform::OffState);
}

// The feedback command was enabled once the engine had started but acted only while logged
// out, so it never acted. It now opens the window whenever its item is enabled.
TEST_F(MenusTest, FeedbackOpensWheneverItsItemIsEnabled) {
    setFeatures({{"connectServiceEnabled", true}});
    launch();
    EXPECT_FALSE(enabled("openFeedbackWindow:"));
    controller().openFeedbackWindow(nullptr);
    EXPECT_FALSE(FeedbackWindowController::sharedFeedbackWindowControllerExists())
        << "nothing before the engine has started";

    signIn("alice", "wonderland");
    letTheEngineAnswer();
    const std::vector<std::string> help = chooseFromBar("Help", "Send Feedback...");
    EXPECT_NE(std::find(help.begin(), help.end(), "Send Feedback..."), help.end());
    ASSERT_TRUE(FeedbackWindowController::sharedFeedbackWindowControllerExists());
    EXPECT_TRUE(FeedbackWindowController::sharedFeedbackWindowController().window()->isVisible());
}

TEST_F(MenusTest, TheHelpMenuShowsFeedbackAndUpdatesByFeatureAndServer) {
    const struct {
        bool connect;
        const char* server;
        bool feedbackShown;
        bool checkShown;
    } cases[] = {
        {false, "https://updates.lumiq.example/lumiq", false, true},
        {true, "https://updates.lumiq.example/lumiq", true, true},
        {true, "", true, false},
    };
    for (const auto& c : cases) {
        startClean(bundleWithDemo([&](Value& demo) {
            Value configuration = demo["configuration"];
            Value settings = configuration["appSettings"];
            settings.setObject("feature:auto_update:code_server_url", Value(c.server));
            configuration.setObject("appSettings", settings);
            demo.setObject("configuration", configuration);
        }));
        setFeatures({{"connectServiceEnabled", c.connect}, {"auto_update_code", true}});
        signInAs("alice", "wonderland");
        const std::vector<std::string> help = chooseFromBar("Help", "");
        const auto has = [&](const char* title) {
            return std::find(help.begin(), help.end(), title) != help.end();
        };
        EXPECT_EQ(has("Send Feedback..."), c.feedbackShown) << c.connect << c.server;
        EXPECT_EQ(has("Check for updates..."), c.checkShown) << c.connect << c.server;
    }
}

TEST_F(MenusTest, AnUpdateOnOfferShowsItsItemAndRetitlesTheCheck) {
    setFeatures({{"auto_update_code", true}});
    signInAs("alice", "wonderland");
    EXPECT_TRUE(menus().ibUpdateAvailableMenuItem->isHidden());
    Scenario().updateAvailable("2.0");
    settle();
    EXPECT_FALSE(menus().ibUpdateAvailableMenuItem->isHidden());
    const std::vector<std::string> help = chooseFromBar("Help", "");
    EXPECT_NE(std::find(help.begin(), help.end(), "Update available..."), help.end());
    ASSERT_NE(menus().ibCheckUpdateMenuItem->image(), nullptr);
    EXPECT_EQ(menus().ibCheckUpdateMenuItem->image()->size(), platform::Size(16, 16));

    // Pointing at the update item starts the check and closes the menu.
    bool tracking = true;
    Menu::setTrackingHook([&](Menu& menu) {
        platform::Window* shown = menu.trackingWindow();
        const double row = std::ceil(menu.font().defaultLineHeightForFont()) + 4;
        double top = 4;
        for (const auto& item : menu.itemArray()) {
            if (item->isHidden())
                continue;
            if (item == menus().ibUpdateAvailableMenuItem)
                break;
            top += item->isSeparatorItem() ? 10 : row;
        }
        platform::WindowServer::shared().postEvent(platform::Event::mouseEvent(
            platform::EventType::MouseMoved,
            {shown->frame().width() / 2, shown->frame().height() - top - row / 2}, 0, shown));
        // Would choose About if the menu stayed open.
        platform::WindowServer::shared().postEvent(platform::Event::mouseEvent(
            platform::EventType::LeftMouseUp,
            {shown->frame().width() / 2, shown->frame().height() - 4 - row / 2}, 0, shown));
    });
    EXPECT_FALSE(bar()->openMenuOfItem(menus().appMenu->itemAtIndex(0)));
    Menu::setTrackingHook({});
    tracking = menus().applicationMenu->isTracking();
    EXPECT_FALSE(tracking);
    runFor(2);
    settle();
    EXPECT_NE(AutoUpdateController::sharedAutoUpdateController(), nullptr) << "the check ran";

    Scenario().noUpdate();
    settle();
    EXPECT_TRUE(menus().ibUpdateAvailableMenuItem->isHidden());
}

TEST_F(MenusTest, TheContactsMenuIsFilledOnlyWhileSignedIn) {
    int asked = 0;
    Menu* passed = nullptr;
    auto observer = std::make_shared<int>();
    platform::NotificationCenter::defaultCenter().addObserver(
        observer.get(), MenuUpdateContactList, nullptr, [&](const platform::Notification& n) {
            ++asked;
            passed = dynamic_cast<Menu*>(n.userInfo[ContextMenu].object().get());
            passed->addItemWithTitle("Dave Dunn", "", "");
        });
    launch();
    // Logged out after a failed sign-in: emptied, nobody asked.
    Scenario().failNextLogin(OVLoginFailureReason::loginFailureServerRejected);
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_TRUE(controller().isLoggedOut());
    controller().menuNeedsUpdate(*menus().contactMenu);
    EXPECT_EQ(menus().contactMenu->numberOfItems(), 0);
    EXPECT_EQ(asked, 0);

    signIn("alice", "wonderland");
    letTheEngineAnswer();
    const std::vector<std::string> shown = chooseFromBar("Contacts", "");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(passed, menus().contactMenu.get());
    // The application's items lead; the contact list's commands follow those of others.
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(shown.begin(), shown.begin() + 3),
              (std::vector<std::string>{"Import Contacts...", "Export Contacts...", "Dave Dunn"}));
    EXPECT_NE(std::find(shown.begin(), shown.end(), "New Group"), shown.end());
    // Opening again rebuilds it rather than adding to it.
    EXPECT_EQ(chooseFromBar("Contacts", "").size(), shown.size());
    platform::NotificationCenter::defaultCenter().removeObserver(observer.get());
}

TEST_F(MenusTest, TheActionsMenuOffersTheFocusedListOrSaysThereIsNoTarget) {
    signInAs("alice", "wonderland");
    const std::vector<std::string> shown = chooseFromBar("Actions", "");
    EXPECT_EQ(shown, std::vector<std::string>{"No current target"});
    EXPECT_FALSE(menus().actionMenu->itemAtIndex(0)->isEnabled());
}

TEST_F(MenusTest, TheChatRoomItemFollowsTheEnabledChatAccounts) {
    // Bob has no chat account, Alice one, Dora two.
    startOver(bundleWithDemo([](Value& demo) {
        Value users = demo["users"];
        Value dora = users[0];
        dora.setObject("username", Value("dora"));
        Value accounts = dora["accounts"];
        Value second = accounts[1];
        second.setObject("accountID", Value(20));
        second.setObject("accountName", Value("Dora (Work chat)"));
        second.setObject("domain", Value("work.lumiq.example"));
        Value first = accounts[1];
        first.setObject("accountID", Value(21));
        first.setObject("accountName", Value("Dora (Chat)"));
        Value sip = accounts[0];
        sip.setObject("accountID", Value(22));
        sip.setObject("accountName", Value("Dora (SIP)"));
        dora.setObject("accounts", Value(Value::Array{sip, first, second}));
        users.mutableArray()->push_back(dora);
        demo.setObject("users", users);
    }));
    const auto bundle = platform::Bundle::mainBundle().bundlePath();
    const struct {
        const char* user;
        std::vector<std::string> domains;
    } cases[] = {
        {"bob", {}},
        {"alice", {"chat.lumiq.example"}},
        {"dora", {"chat.lumiq.example", "work.lumiq.example"}},
    };
    for (const auto& c : cases) {
        startClean(bundle);
        signInAs(c.user, std::string_view(c.user) == "bob" ? "builder" : "wonderland");
        runFor(1);
        settle();
        controller().menuNeedsUpdate(*menus().viewMenu);
        MenuItem& item = *menus().chatRoomListMenuItem;
        SCOPED_TRACE(c.user);
        if (c.domains.empty()) {
            EXPECT_TRUE(item.action().empty());
            EXPECT_FALSE(enabled(item.action()));
            EXPECT_EQ(item.submenu(), nullptr);
            continue;
        }
        EXPECT_EQ(item.action(), "openChatRoomListWindow:");
        EXPECT_EQ(item.target(), &controller());
        if (c.domains.size() == 1) {
            EXPECT_EQ(item.submenu(), nullptr);
            auto account = std::dynamic_pointer_cast<OVAccount>(item.representedObject().object());
            ASSERT_NE(account, nullptr);
            EXPECT_EQ(account->domain(), c.domains[0]);
            controller().openChatRoomListWindow(&item);
            settle(); // the list shows once its rooms are in
            EXPECT_EQ(ChatRoomListWindowController::sharedChatRoomListWindowController().account(),
                      account);
            ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
            continue;
        }
        ASSERT_NE(item.submenu(), nullptr);
        EXPECT_EQ(item.submenu()->title(), "blubber");
        EXPECT_EQ(titlesOf(*item.submenu()), c.domains);
        EXPECT_TRUE(item.representedObject().isNull());
        // The parent item carries no account and opens nothing.
        controller().openChatRoomListWindow(&item);
        EXPECT_FALSE(ChatRoomListWindowController::isWindowExist());
        controller().openChatRoomListWindow(item.submenu()->itemAtIndex(0));
        settle(); // the list shows once its rooms are in
        ASSERT_TRUE(ChatRoomListWindowController::sharedChatRoomListWindowController().account());
        EXPECT_EQ(
            ChatRoomListWindowController::sharedChatRoomListWindowController().account()->domain(),
            "chat.lumiq.example");
        ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
    }
}

TEST_F(MenusTest, TheHostedServiceItemFollowsTheAccountModelWithTheShareItem) {
    setFeatures({{"connectServiceEnabled", true}});
    signInAs("alice", "wonderland");
    runFor(1);
    settle();
    Menu& application = *menus().applicationMenu;
    controller().menuNeedsUpdate(application);
    const MenuItem& connect = *menus().ibConnectServiceMenuItem;
    EXPECT_EQ(connect.title(), "Register for Corvane") << "not signed in: signing up comes first";
    EXPECT_EQ(connect.action(), "connectionServiceOperation:");
    EXPECT_EQ(controller().shareMenuItem(), nullptr) << "made on first need";

    Scenario().hostedServiceSignIn(true);
    runFor(1);
    settle();
    controller().menuNeedsUpdate(application);
    EXPECT_EQ(connect.title(), "Sign out of Corvane");
    MenuItem* share = controller().shareMenuItem();
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(application.indexOfItem(share), application.indexOfItem(&connect) + 1);
    ASSERT_NE(share->submenu(), nullptr);
    EXPECT_EQ(titlesOf(*share->submenu()),
              (std::vector<std::string>{"Twitter", "Facebook", "LinkedIn", "Email"}));
    EXPECT_EQ(share->submenu()->itemAtIndex(0)->representedObject().stringValue(),
              "https://twitter.example/share?text=Lumiq");
    controller().menuNeedsUpdate(application);
    EXPECT_EQ(std::count(application.itemArray().begin(), application.itemArray().end(),
                         share->shared_from_this()),
              1)
        << "inserted once";

    // A share item sends its address to the desktop.
    std::vector<std::string> opened;
    AppController::setURLOpener([&](const std::string& url) { opened.push_back(url); });
    share->submenu()->performActionForItemAtIndex(1);
    EXPECT_EQ(opened,
              std::vector<std::string>{"https://facebook.example/share?u=https://lumiq.example"});

    Scenario().hostedServiceSignIn(false);
    runFor(1);
    settle();
    controller().menuNeedsUpdate(application);
    EXPECT_EQ(application.indexOfItem(share), -1);
    EXPECT_EQ(controller().shareMenuItem(), share) << "kept for later";
}

TEST_F(MenusTest, TheDockMenuFollowsTheState) {
    launch();
    // Not signed in: only Logout, which waits for the engine.
    std::shared_ptr<Menu> menu = dockMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(titlesOf(*menu), std::vector<std::string>{"Logout"});
    EXPECT_EQ(menu->itemAtIndex(0)->target(), &controller());
    EXPECT_EQ(menu->itemAtIndex(0)->keyEquivalent(), "");

    signIn("alice", "wonderland");
    letTheEngineAnswer();
    runFor(1);
    settle();
    EXPECT_EQ(titlesOf(*dockMenu()), (std::vector<std::string>{"My Availability", "Logout"}));

    // A call from a contact: its end item names the contact, the address type and address.
    Scenario().incomingCall("sip:dave@sip.lumiq.example", "Dave");
    runFor(1);
    app().sendAction("answerIncomingCall:", nullptr, nullptr);
    runFor(2);
    settle();
    const auto calls = CallModuleController::sharedController().conversations();
    ASSERT_EQ(calls.size(), 1u);
    const std::string type =
        ContactAddressStringTransformer()
            .transformedValue(Value(static_cast<int>(
                calls.front()->participants().front()->getCallInfo()->addressType())))
            .stringValue();
    menu = dockMenu();
    EXPECT_EQ(titlesOf(*menu), (std::vector<std::string>{"End Call - Dave Dunn [" + type +
                                                             ": dave@sip.lumiq.example]",
                                                         "Mute", "My Availability", "Logout"}));
    EXPECT_EQ(menu->itemAtIndex(0)->representedObject().object(), calls.front());

    // The availability copies the toolbar's presence menu without its hidden items, the own
    // presence ticked, and sends the choice on to the primary module.
    MenuItem* availability = menu->itemWithTitle("My Availability");
    ASSERT_NE(availability->submenu(), nullptr);
    std::vector<std::string> expected;
    for (const auto& item : ToolbarController::sharedController().status().menu()->itemArray())
        if (!item->isHidden())
            expected.push_back(item->isSeparatorItem() ? "-" : item->title());
    EXPECT_EQ(titlesOf(*availability->submenu()), expected);
    const auto self = engine().phoneService()->getPresenceService()->getSelfPresence();
    std::vector<std::string> ticked;
    for (const auto& item : availability->submenu()->itemArray())
        if (item->state() == platform::OnState) {
            ticked.push_back(item->title());
            EXPECT_EQ(item->tag(), static_cast<long>(self->status()));
        }
    EXPECT_EQ(ticked.size(), 1u);

    // Chosen from the bar's icon: Mute mutes, then the end item ends the call.
    Menu::setTrackingHook([](Menu& m) { m.finishTrackingWithItem(m.itemWithTitle("Mute")); });
    EXPECT_TRUE(bar()->openIconMenu());
    EXPECT_TRUE(engine().phoneService()->micMuted());
    EXPECT_NE(dockMenu()->itemWithTitle("Unmute"), nullptr);
    Menu::setTrackingHook([](Menu& m) { m.finishTrackingWithItem(m.itemAtIndex(0)); });
    EXPECT_TRUE(bar()->openIconMenu());
    Menu::setTrackingHook({});
    runFor(1);
    settle();
    EXPECT_FALSE(calls.front()->isLive());

    // The custom-presence sheet takes the availability away.
    PrimaryModuleController::sharedController().setCustomPresenceSheetVisible(true);
    EXPECT_EQ(dockMenu()->itemWithTitle("My Availability"), nullptr);
    PrimaryModuleController::sharedController().setCustomPresenceSheetVisible(false);
}

TEST_F(MenusTest, WithoutSignInOrANetworkThereIsNoDockMenu) {
    setFeatures({{"loginEnabled", false}});
    launch();
    runFor(1);
    settle();
    ASSERT_TRUE(engine().started());
    EXPECT_NE(dockMenu(), nullptr);
    EXPECT_EQ(dockMenu()->itemWithTitle("Logout"), nullptr) << "no sign-in, no Logout";
    Scenario().dropNetwork();
    runFor(1);
    settle();
    EXPECT_EQ(dockMenu(), nullptr);
}

TEST_F(MenusTest, CallCommandsFromTheChainAndTheControlShortcuts) {
    for (bool transfers : {false, true}) {
        startClean();
        setFeatures({{"transfersEnabled", transfers}});
        signInAs("alice", "wonderland");
        runFor(1);
        Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
        runFor(1);
        settle();
        // Control-N answers, Control-T transfers only with the feature.
        screen->key(U'n', platform::ControlKeyMask);
        runFor(2);
        settle();
        const auto calls = CallModuleController::sharedController().conversations();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls.front()->connectionStatus(), Conversation::statusConnected);
        screen->key(U't', platform::ControlKeyMask);
        auto& panel = *CallModuleController::sharedController().panels().front();
        EXPECT_EQ(panel.isTransfering(), transfers) << "the answered panel has the focus";
        panel.cancel(nullptr);
    }
    // Hold through the menu bar, Control-M mutes, Control-E ends.
    chooseFromBar("Calls", "Hold or Resume");
    runFor(1);
    const auto call = CallModuleController::sharedController().conversations().front();
    EXPECT_TRUE(call->isHoldingLocally());
    screen->key(U'm', platform::ControlKeyMask);
    EXPECT_TRUE(engine().phoneService()->micMuted());
    screen->key(U'e', platform::ControlKeyMask);
    runFor(1);
    settle();
    EXPECT_FALSE(call->isLive());
    chooseFromBar("Calls", "Redial");
    EXPECT_EQ(PrimaryModuleController::sharedController().redialRequests(), 1);
}

TEST_F(MenusTest, WindowCommandsOpenOnTheirPanesOnlyWhenTheStateAllows) {
    launch();
    // Logged out: Preferences and Troubleshooting stay shut even when asked directly.
    Scenario().failNextLogin(OVLoginFailureReason::loginFailureServerRejected);
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_TRUE(controller().isLoggedOut());
    controller().openPreferencesWindow(nullptr);
    controller().openTroubleshootingWindow(nullptr);
    controller().openPreferenceDeviceTab(nullptr);
    EXPECT_FALSE(PrefsWindowController::sharedControllerExists());
    EXPECT_FALSE(TroubleshootingWindowController::sharedControllerExists());

    signIn("alice", "wonderland");
    letTheEngineAnswer();
    // The menu's key equivalent reaches the same command.
    screen->key(U',', platform::CommandKeyMask);
    ASSERT_TRUE(PrefsWindowController::sharedControllerExists());
    EXPECT_TRUE(PrefsWindowController::sharedPreferncesWindowController().window()->isVisible());
    for (const auto& [action, pane] : std::vector<std::pair<std::string, std::string>>{
             {"openPreferenceAccountTab:", "Accounts"}, {"openPreferenceDeviceTab:", "Devices"}}) {
        EXPECT_TRUE(app().sendAction(action, nullptr, nullptr));
        auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
        EXPECT_TRUE(preferences.window()->isVisible()) << action;
        EXPECT_EQ(preferences.currentIdentifier(), std::optional<std::string>(pane)) << action;
    }
    EXPECT_TRUE(app().sendAction("openTroubleshootingAudioTab:", nullptr, nullptr));
    EXPECT_EQ(TroubleshootingWindowController::sharedTroubleshootingWindowController()
                  .currentIdentifier(),
              std::optional<std::string>("Audio"));
    chooseFromBar("View", "Message Archive");
    EXPECT_TRUE(IMArchiveWindowController::sharedIMArchiveWindowController().window()->isVisible());

    // The account pane is not offered through its shortcut without its feature.
    PrefsWindowController::releaseSharedController();
    engine().featuresService()->setFeatureAvailable("account_settings", false);
    controller().openPreferenceAccountTab(nullptr);
    EXPECT_FALSE(PrefsWindowController::sharedControllerExists());
}

TEST_F(MenusTest, RetryEnablesTheFailedAccountsTheUserWantsEnabled) {
    signInAs("alice", "wonderland");
    runFor(1);
    settle();
    auto accounts = engine().phoneService()->getAccountService();
    auto sip = accounts->accountNamed("Alice (SIP)");
    auto chat = accounts->accountNamed("Alice (Chat)");
    ASSERT_TRUE(sip && chat);
    chat->disable();
    runFor(1);
    Scenario().accountFails("Alice (SIP)", OVAccountFailureCause::failureServerNotAvailable, 503);
    Scenario().accountFails("Alice (Chat)", OVAccountFailureCause::failureServerNotAvailable, 503);
    runFor(1);
    settle();
    ASSERT_EQ(sip->status(), OVAccount::statusFailed);
    ASSERT_EQ(chat->status(), OVAccount::statusFailed);
    ASSERT_FALSE(chat->toEnable());

    // The status message's retry link sends the same command along the chain.
    EXPECT_TRUE(
        PrimaryModuleController::sharedController().statusMessageLinkClicked("retryAccount"));
    runFor(1);
    settle();
    EXPECT_EQ(sip->status(), OVAccount::statusEnabled);
    EXPECT_EQ(chat->status(), OVAccount::statusFailed) << "the user does not want it enabled";
}

TEST_F(MenusTest, ChatWindowsAreFoundBySessionContactAndRoom) {
    signInAs("alice", "wonderland");
    auto oneToOne = std::make_shared<IMSession>(nullptr, "s1", "room@chat.lumiq.example", "Room",
                                                true, false, false);
    auto group = std::make_shared<IMSession>(nullptr, "s2", "room@chat.lumiq.example", "Room", true,
                                             false, true);
    controller().imSessionAdded(oneToOne);
    controller().imSessionAdded(group);
    ASSERT_EQ(controller().imWindowControllers().size(), 2u);
    auto* first = dynamic_cast<IMWindowController*>(controller().imWindowControllers()[0].get());
    auto* second = dynamic_cast<IMWindowController*>(controller().imWindowControllers()[1].get());

    EXPECT_EQ(controller().lookupIMWindowControllerByIMSession(oneToOne), first);
    EXPECT_EQ(controller().lookupIMWindowControllerByIMSession(group), second);
    EXPECT_EQ(controller().lookupIMWindowControllerByIMSession(nullptr), nullptr);
    // A one-to-one session with the same address is no room.
    EXPECT_EQ(controller().lookupIMWindowControllerByGroupChatId("room@chat.lumiq.example"),
              second);
    EXPECT_EQ(controller().lookupIMWindowControllerByGroupChatId(""), nullptr);
    EXPECT_EQ(controller().lookupIMWindowControllerByContact(nullptr), nullptr);

    // Ordering: a key chat window is brought forward instead of another.
    second->window()->makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(controller().currentKeyIMWindow(), second->window());
    EXPECT_FALSE(controller().shouldOrderWindowFront());
    first->window()->orderFront(nullptr);
    EXPECT_FALSE(controller().shouldOrderIMWindowFront());
    EXPECT_TRUE(second->window()->isKeyWindow());
    window().makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(controller().currentKeyIMWindow(), nullptr);
    EXPECT_TRUE(controller().shouldOrderIMWindowFront());
    EXPECT_FALSE(controller().shouldOrderWindowFront()) << "the main window is key";
}

} // namespace
} // namespace app_test

namespace app_test {
namespace {

TEST_F(MenusTest, CallCommandsAreEnabledOnlyWithACallTheyCanActOn) {
    const std::vector<std::string> actions = {
        "answerIncomingCall:",   "declineIncomingCall:",       "hangUpOrEndTransferActiveCall:",
        "toggleHoldActiveCall:", "performTransferActiveCall:", "toggleMicMute:"};
    const auto enabledNow = [&] {
        std::vector<bool> result;
        for (const auto& action : actions)
            result.push_back(enabled(action));
        return result;
    };
    signInAs("alice", "wonderland");
    runFor(1);
    // Each step does something to the call (the first places it) and names the commands it
    // leaves enabled, in the order above.
    const struct {
        const char* state;
        std::string action;
        std::vector<bool> enabled;
    } steps[] = {
        {"no call", "", {false, false, false, false, false, false}},
        {"ringing", "incoming", {true, true, false, false, false, false}},
        {"connected", "answerIncomingCall:", {false, false, true, true, true, true}},
        {"held", "toggleHoldActiveCall:", {false, false, true, true, true, true}},
        {"ended", "hangUpOrEndTransferActiveCall:", {false, false, false, false, false, false}},
    };
    for (const auto& step : steps) {
        if (step.action == "incoming")
            Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
        else if (!step.action.empty())
            app().sendAction(step.action, nullptr, nullptr);
        runFor(2);
        settle();
        EXPECT_EQ(enabledNow(), step.enabled) << step.state;
    }
}

// Hears which items of a menu light up under the pointer.
struct HighlightRecorder : platform::MenuDelegate {
    void menuWillHighlightItem(Menu& /*menu*/, MenuItem* item) override {
        lit.push_back(item ? item->title() : std::string("-"));
    }
    std::vector<std::string> lit;
};

TEST_F(MenusTest, TheAvailabilitySubmenuLightsUnderThePointerAndTicksTheChosenStatus) {
    signInAs("alice", "wonderland");
    runFor(1);
    settle();
    const auto ticked = [] {
        std::vector<std::string> titles;
        const auto menu = dockMenu();
        MenuItem* availability = menu->itemWithTitle("My Availability");
        for (const auto& item : availability->submenu()->itemArray())
            if (item->state() == platform::OnState)
                titles.push_back(item->title());
        return titles;
    };
    const std::vector<std::string> before = ticked();
    ASSERT_EQ(before.size(), 1u);
    // A status other than the ticked one.
    const auto menu = dockMenu();
    MenuItem* availability = menu->itemWithTitle("My Availability");
    std::string wanted;
    long wantedRow = 0;
    for (const auto& item : availability->submenu()->itemArray()) {
        if (!item->isSeparatorItem() && !item->isHidden() && item->title() != before.front()) {
            wanted = item->title();
            break;
        }
        ++wantedRow;
    }
    ASSERT_FALSE(wanted.empty());

    HighlightRecorder recorder;
    Menu::setTrackingHook([&](Menu& menu) {
        MenuItem* item = menu.itemWithTitle("My Availability");
        ASSERT_NE(item, nullptr);
        item->submenu()->setDelegate(&recorder);
        platform::Window* window = menu.trackingWindow();
        const double row = std::ceil(menu.font().defaultLineHeightForFont()) + 4;
        const platform::Rect frame = window->frame();
        // Over the availability row, then across into its submenu, which opens level with it,
        // down to the wanted status, and a click there.
        const platform::Point over(frame.width() / 2, frame.height() - 4 - row / 2);
        app().postEvent(
            platform::Event::mouseEvent(platform::EventType::MouseMoved, over, 0, window), false);
        double top = 4;
        for (long i = 0; i < wantedRow; ++i)
            top += item->submenu()->itemAtIndex(i)->isSeparatorItem() ? 10 : row;
        const platform::Point status(frame.maxX() + 30, frame.maxY() - top - row / 2);
        for (auto type : {platform::EventType::MouseMoved, platform::EventType::LeftMouseDown,
                          platform::EventType::LeftMouseUp})
            app().postEvent(platform::Event::mouseEvent(type, status, 0, nullptr), false);
    });
    EXPECT_TRUE(bar()->openIconMenu());
    Menu::setTrackingHook({});
    runFor(1);
    settle();

    ASSERT_FALSE(recorder.lit.empty()) << "the submenu lit nothing under the pointer";
    EXPECT_EQ(recorder.lit.back(), wanted);
    EXPECT_EQ(ticked(), std::vector<std::string>{wanted}) << "the new status alone is ticked";
}

TEST_F(MenusTest, AnOpenMenuHoldsUpNeitherTheSignInNorAQuit) {
    launch();
    signIn("alice", "wonderland");
    ASSERT_TRUE(login().loggingIn());
    // The menu stays open while the sign-in's delay, the server and the engine take their
    // time; they all go on in the menu's own loop.
    bool mainViewWhileOpen = false;
    Menu::setTrackingHook([&](Menu& menu) {
        platform::RunLoop::main().runFor(LoginController::kLoginDelay + 2.0,
                                         platform::EventTrackingRunLoopMode);
        mainViewWhileOpen = view() == "mainView" && menu.isTracking();
        menu.cancelTracking();
    });
    EXPECT_FALSE(bar()->openIconMenu());
    EXPECT_TRUE(mainViewWhileOpen);
    ASSERT_EQ(view(), "mainView");

    // A quit (here a signal's) while a menu is open closes the menu and goes through.
    bool closedByQuit = false;
    Menu::setTrackingHook([&](Menu& menu) {
        app().terminateForSignal();
        closedByQuit = !menu.isTracking();
    });
    EXPECT_FALSE(bar()->openIconMenu()) << "nothing chosen";
    Menu::setTrackingHook({});
    EXPECT_TRUE(closedByQuit);
    EXPECT_TRUE(app().isTerminated());
}

} // namespace
} // namespace app_test

namespace app_test {
namespace {

TEST_F(MenusTest, TheHelpItemOpensItsAddressInTheUsersLanguageAndAFailureIsSaid) {
    launch();
    std::vector<std::string> opened;
    AppController::setURLOpener([&](const std::string& url) { opened.push_back(url); });
    controller().softphoneHelp(nullptr);
    AppController::setURLOpener(nullptr);
    const std::string language = TranslateUrlMacros(std::string_view("$language$"));
    ASSERT_FALSE(language.empty());
    EXPECT_EQ(opened, std::vector<std::string>{"https://help.orvanta.example/lumiq/" + language +
                                               "/index.html"});

    // The desktop cannot open it: the user hears why.
    platform::Workspace::sharedWorkspace().setOpenerProgram("/nonexistent/opener");
    std::vector<std::string> said;
    platform::Alert::setPresentationHook([&](platform::Alert& alert) {
        said.push_back(alert.messageText() + " | " + alert.informativeText());
        alert.pressButtonForTesting(0);
    });
    controller().softphoneHelp(nullptr);
    settle();
    platform::Workspace::sharedWorkspace().setOpenerProgram({});
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("could not be opened"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("/index.html"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("/nonexistent/opener is not installed"), std::string::npos) << said[0];
}

} // namespace
} // namespace app_test
