#include "app/core/SignInTestSupport.h"
#include "app/main_window/ToolbarController.h"
#include "engine/PhoneService.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "support/Notifications.h"

namespace app_test {
namespace {

using platform::Value;

// What the warning dialog of a phone that cannot start said, and whether the application had
// already gone when it was shown.
struct ShownAlert {
    std::string message;
    std::string information;
    platform::AlertStyle style = platform::AlertStyle::Warning;
    bool terminatedBefore = false;
};

// Answers every application-modal alert with its first button, keeping what it showed.
std::vector<ShownAlert>& answerModalAlertsWithOK() {
    static std::vector<ShownAlert> shown;
    shown.clear();
    platform::Alert::setPresentationHook([](platform::Alert& alert) {
        if (alert.window() && alert.window()->isSheet())
            return;
        shown.push_back({alert.messageText(), alert.informativeText(), alert.alertStyle(),
                         platform::Application::sharedApplication().isTerminated()});
        alert.pressButtonForTesting(0);
    });
    return shown;
}

TEST_F(SignInTest, TypedCredentialsLeadFromTheLoginViewToTheMainView) {
    launch();
    ASSERT_EQ(view(), "login");
    EXPECT_EQ(engine().phoneService()->defaultPhoneApplicationRequests(), 1)
        << "a first run asks to become the default phone application";
    auto& posted = recordNotifications({ApplicationNotification, "PhoneServiceStarted"});

    signIn("alice", "wonderland");
    EXPECT_TRUE(login().loggingIn());
    letTheEngineAnswer();

    EXPECT_TRUE(engine().started());
    EXPECT_EQ(engine().phoneService()->userName(), "alice");
    EXPECT_EQ(view(), "mainView");
    EXPECT_TRUE(window().isVisible());
    ASSERT_EQ(posted, (std::vector<std::string>{std::string(ApplicationNotification),
                                                "PhoneServiceStarted"}));
    EXPECT_TRUE(postedUserInfo()[0][ApplicationReady].boolValue());
    EXPECT_TRUE(controller().isLoggedIn());
    EXPECT_EQ(controller().loginController(), nullptr) << "the login view is discarded";
    EXPECT_EQ(window().indexOfViewNamed("login"), -1);
    EXPECT_EQ(PrimaryModuleController::sharedController().setupCount(), 1);
    EXPECT_TRUE(CallModuleController::sharedController().hasServices());
    EXPECT_EQ(AdvertisementModuleController::sharedController().setupCount(), 1);
    EXPECT_EQ(FunctionModuleController::sharedController().setupCount(), 1);
    EXPECT_EQ(ToolbarController::sharedController().setupCount(), 1);
    EXPECT_EQ(ToolbarController::sharedController().displayName(), "")
        << "the name arrives with userNameUpdated only once the engine runs";

    // The toasts listen from now on: an incoming call shows one.
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob Baker");
    runFor(1.0);
    EXPECT_EQ(controller().toastWindowControllers().size(), 1u);

    // A restart where the window has saved its place is no first run.
    window().saveUserSetting();
    startOver();
    launch();
    EXPECT_EQ(engine().phoneService()->defaultPhoneApplicationRequests(), 0);
}

TEST_F(SignInTest, AFailedSignInShowsTheReasonInTheLoginView) {
    const struct {
        const char* name;
        const char* user;
        const char* password;
        std::optional<std::pair<OVLoginFailureReason, std::string>> scenario;
        std::string shown;
    } cases[] = {
        {"the engine's own message", "alice", "wonderland",
         std::pair{OVLoginFailureReason::loginFailureServerRejected,
                   std::string("Account suspended, call the help desk")},
         "Account suspended, call the help desk"},
        {"wrong password", "alice", "queen", std::nullopt,
         "Your login credentials were rejected by the server."},
        {"unknown user", "mallory", "secret", std::nullopt,
         "Your login credentials were rejected by the server."},
        {"server unreachable", "alice", "wonderland",
         std::pair{OVLoginFailureReason::loginFailureServerUnreachable, std::string()},
         "The login server is not reachable, please try again later."},
        {"no reason given", "alice", "wonderland",
         std::pair{OVLoginFailureReason::loginFailureUnknown, std::string()},
         "An unknown error occured, please try again later"},
    };
    for (const auto& c : cases) {
        startClean();
        launch();
        if (c.scenario)
            Scenario().failNextLogin(c.scenario->first, c.scenario->second);

        signIn(c.user, c.password);
        letTheEngineAnswer();

        EXPECT_EQ(view(), "login") << c.name;
        EXPECT_EQ(login().errorMsg()->stringValue(), c.shown) << c.name;
        EXPECT_FALSE(login().loggingIn()) << c.name;
        EXPECT_TRUE(controller().isLoggedOut()) << c.name;
        EXPECT_FALSE(engine().started()) << c.name;
    }

    // The user corrects the password and gets in.
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    EXPECT_EQ(view(), "mainView");
}

TEST_F(SignInTest, CancellingASignInReturnsToTheLoginView) {
    launch();
    signIn("alice", "wonderland");
    runFor(LoginController::kLoginDelay);
    ASSERT_TRUE(engine().loggingIn()) << "the request is with the server";

    click(*login().loginButton());
    settle();
    runFor(5.0);

    EXPECT_EQ(view(), "login");
    EXPECT_FALSE(login().loggingIn());
    EXPECT_TRUE(controller().isLoggedOut());
    EXPECT_FALSE(controller().isLoggedIn());
    EXPECT_FALSE(engine().started()) << "the cancelled answer never starts the engine";

    screen->key(U'\r');
    letTheEngineAnswer();
    EXPECT_EQ(view(), "mainView") << "the fields kept their text for the next try";
}

TEST_F(SignInTest, OpenSheetsAreClosedBeforeAForcedLogout) {
    launch();
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_EQ(view(), "mainView");

    // Two sheets of two creators, one of which begins another sheet from its end handler
    // (that one belongs to nobody and stays for the login view to carry on without it).
    int creatorA = 0;
    int creatorB = 0;
    std::vector<std::string> ended;
    auto begin = [&](const char* name, const void* creator) {
        auto alert = platform::Alert::alert();
        alert->setMessageText(name);
        std::weak_ptr<platform::Alert> weak = alert;
        alert->beginSheetModalForWindow(window(), [&, name, weak, creator](int code) {
            ended.push_back(std::string(name) + (engine().started() ? " while started" : "") +
                            (code == platform::RunStoppedResponse ? " stopped" : ""));
            if (auto shown = weak.lock())
                SheetsTracker::sharedController().deRegisterSheet(shown->window(), creator);
        });
        SheetsTracker::sharedController().registerSheet(alert->window()->sharedWindow(), creator);
    };
    begin("first", &creatorA);
    ASSERT_NE(window().attachedSheet(), nullptr);
    begin("second", &creatorB);

    Scenario().serverForcedLogout();
    settle();

    EXPECT_EQ(ended, (std::vector<std::string>{"first while started stopped",
                                               "second while started stopped"}))
        << "each sheet ends before the session goes down";
    EXPECT_EQ(window().attachedSheet(), nullptr);
    EXPECT_EQ(SheetsTracker::sharedController().creatorCount(), 0u);
    EXPECT_EQ(controller().logoutReason(), StartupService::serverForced);

    // The engine is initialised again and the sign-in road starts over.
    runFor(2.0);
    settle();
    EXPECT_FALSE(engine().started());
    EXPECT_EQ(view(), "login");
    EXPECT_TRUE(controller().isLoggedOut());
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    EXPECT_EQ(view(), "mainView");
}

TEST_F(SignInTest, QuittingClosesOpenSheetsThenStopsTheEngine) {
    launch();
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_TRUE(engine().started());

    int creator = 0;
    std::vector<std::string> ended;
    auto alert = platform::Alert::alert();
    alert->beginSheetModalForWindow(window(), [&](int code) {
        ended.push_back(std::string(engine().started() ? "while started" : "after the stop") +
                        (code == platform::RunStoppedResponse ? ", stopped" : ""));
    });
    SheetsTracker::sharedController().registerSheet(alert->window()->sharedWindow(), &creator);

    app().terminate(nullptr);

    EXPECT_EQ(ended, std::vector<std::string>{"while started, stopped"});
    EXPECT_TRUE(app().isTerminated()) << "the engine's stop lets the application go";
    EXPECT_EQ(app().exitStatus(), 0);
    EXPECT_FALSE(engine().started());
    EXPECT_TRUE(controller().isForceShutDown());
    EXPECT_EQ(view(), "splash");
}

TEST_F(SignInTest, TheMenusFollowTheFeatureSwitches) {
    using Item = std::shared_ptr<platform::MenuItem> MainMenuOutlets::*;
    const struct {
        const char* feature;
        Item item;
        bool shownWhenOff;
    } rows[] = {
        {"conversationArchiveEnabled", &MainMenuOutlets::imArchiveMenuItem, false},
        {"show_tool_bar", &MainMenuOutlets::toolbarMenuItem, false},
        {"xmppEnabled", &MainMenuOutlets::chatRoomListMenuItem, false},
        {"auto_update_code", &MainMenuOutlets::ibCheckUpdateMenuItem, false},
        // Without sign-in the engine starts at once, and the sign-in callback shows Logout
        // again: no profile of the no-login kind signed in.
        {"loginEnabled", &MainMenuOutlets::ibLogoutMenuItem, true},
        {"n_way_conferencing", &MainMenuOutlets::ibServerConferenceMenuItem, false},
        {"connectServiceEnabled", &MainMenuOutlets::ibConnectServiceMenuItem, false},
    };
    for (bool on : {true, false}) {
        for (const auto& row : rows) {
            startClean();
            setFeatures({{row.feature, on}});
            launch();
            const MainMenuOutlets menus = controller().menuOutlets();
            ASSERT_NE(menus.*row.item, nullptr) << row.feature;
            EXPECT_EQ(!(menus.*row.item)->isHidden(), on || row.shownWhenOff)
                << row.feature << " " << on;
            EXPECT_TRUE(menus.workgroupMenuItem->isHidden()) << "never shown";
        }
    }
}

TEST_F(SignInTest, TheContactsAndActionsMenusLeaveTheMenuBarWithTheirSwitches) {
    const struct {
        bool contacts;
        bool actions;
        bool contactsInBar;
        bool actionsInBar;
    } cases[] = {
        {true, true, true, true},
        {true, false, true, false},
        {false, true, false, false},
        {false, false, false, false},
    };
    for (const auto& c : cases) {
        startClean();
        setFeatures({{"contactsEnabled", c.contacts}, {"actionMenuEnabled", c.actions}});
        launch();
        const MainMenuOutlets menus = controller().menuOutlets();
        platform::Menu* bar = platform::Menu::mainMenu();
        ASSERT_EQ(bar, menus.appMenu.get());
        EXPECT_EQ(bar->indexOfItemWithSubmenu(menus.contactMenu.get()) >= 0, c.contactsInBar);
        EXPECT_EQ(bar->indexOfItemWithSubmenu(menus.actionMenu.get()) >= 0, c.actionsInBar);
        EXPECT_EQ(menus.ibContactMenuItem != nullptr, c.contactsInBar) << "forgotten too";
        EXPECT_EQ(menus.ibActionsMenuItem != nullptr, c.actionsInBar);
    }
}

TEST_F(SignInTest, TheHelpItemsFollowTheBrandAndTheUpdateSwitch) {
    const struct {
        const char* helpURL;
        bool autoUpdate;
        bool helpShown;
        bool separatorShown;
    } cases[] = {
        {"https://help.lumiq.example", false, true, true},
        {"", true, false, true},
        {"", false, false, false},
        {nullptr, false, false, false},
    };
    for (const auto& c : cases) {
        const auto bundle = copyBundle(tmp / "help-bundle");
        auto brand = Value::readPropertyListFile(bundle / "brand.plist");
        Value menus = (*brand)["Menus"];
        Value help = menus["Help"];
        if (c.helpURL)
            help.setObject("online_help_url", Value(c.helpURL));
        else
            help = Value(Value::Dictionary{});
        menus.setObject("Help", help);
        brand->setObject("Menus", menus);
        ASSERT_TRUE(brand->writePropertyListFile(bundle / "brand.plist"));
        startClean(bundle);
        setFeatures({{"auto_update_code", c.autoUpdate}});
        launch();
        const MainMenuOutlets outlets = controller().menuOutlets();
        EXPECT_EQ(!outlets.ibOnlineSupportMenuItem->isHidden(), c.helpShown) << c.helpURL;
        EXPECT_EQ(!outlets.ibHelpSeparatorMenuItem->isHidden(), c.separatorShown) << c.helpURL;
    }
}

TEST_F(SignInTest, WithoutSignInTheSplashLeadsStraightToTheMainView) {
    setFeatures({{"loginEnabled", false}});
    auto& posted = recordNotifications({"PhoneServiceStarted"});
    launch();
    settle();

    EXPECT_EQ(controller().loginController(), nullptr);
    EXPECT_TRUE(engine().started());
    EXPECT_EQ(engine().phoneService()->userName(), "default_user");
    EXPECT_EQ(view(), "mainView");
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_FALSE(controller().menuOutlets().ibLogoutMenuItem->isHidden())
        << "no profile of the no-login kind signed in, so Logout shows again";
}

TEST_F(SignInTest, TheNoLoginProfileHidesLogout) {
    launch();
    platform::PopUpButton& menu = *login().profilesMenu();
    long index = -1;
    for (long i = 0; i < menu.numberOfItems(); ++i) {
        auto profile = std::dynamic_pointer_cast<LoginProfileItem>(
            menu.itemAtIndex(i)->representedObject().object());
        if (profile && profile->type() == LoginProfileItem::NO_LOGIN)
            index = i;
    }
    ASSERT_GE(index, 0);
    menu.selectItemAtIndex(index);
    login().login(nullptr);
    letTheEngineAnswer();

    EXPECT_EQ(view(), "mainView");
    EXPECT_TRUE(controller().menuOutlets().ibLogoutMenuItem->isHidden());
    EXPECT_FALSE(controller().loginEnabled());
}

TEST_F(SignInTest, AnEngineThatCannotInitialiseWarnsThenQuitsWithAFailureStatus) {
    writeFile(tmp / "data" / "Orvanta" / "Lumiq", "a file where the settings folder belongs");
    auto& shown = answerModalAlertsWithOK();
    launch();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "Lumiq could not be started correctly");
    EXPECT_NE(shown[0].information.find("cannot create the folder " +
                                        (tmp / "data" / "Orvanta" / "Lumiq").string()),
              std::string::npos)
        << shown[0].information;
    EXPECT_NE(shown[0].information.find("Lumiq will close now."), std::string::npos);
    EXPECT_EQ(shown[0].style, platform::AlertStyle::Critical);
    EXPECT_FALSE(shown[0].terminatedBefore) << "the warning comes first";
    EXPECT_TRUE(app().isTerminated());
    EXPECT_NE(app().exitStatus(), 0);
}

TEST_F(SignInTest, AnEngineThatCannotStartWarnsThenQuitsWithAFailureStatus) {
    launch();
    auto& shown = answerModalAlertsWithOK();
    Scenario().failNextStart();
    signIn("alice", "wonderland");
    letTheEngineAnswer();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].information, "Lumiq could not be started correctly and will close now.");
    EXPECT_FALSE(shown[0].terminatedBefore);
    EXPECT_TRUE(app().isTerminated());
    EXPECT_NE(app().exitStatus(), 0) << "a failure must not report success";
    EXPECT_FALSE(engine().started());
}

TEST_F(SignInTest, TheEmergencyAddressStepsComeBeforeTheMainView) {
    const struct {
        const char* name;
        bool confirmationDialog;
        bool dashProvisioning;
        bool alwaysLaunch;
        bool provisioned;
        bool confirmed;
        bool accepted;
        const char* lastStep;
        bool mainView;
        std::vector<std::string> opened;
    } cases[] = {
        {"provisioning succeeds", false, true, false, true, true, true, "e911provision", true, {}},
        {"provisioning fails", false, true, false, false, true, true, "e911provision", false, {}},
        {"address confirmed",
         true,
         false,
         false,
         true,
         true,
         true,
         "e911addressConfirmation",
         true,
         {}},
        {"address not confirmed, disclaimer accepted",
         true,
         false,
         false,
         true,
         false,
         true,
         "e911disclaimer",
         true,
         {"https://e911.lumiq.example/disclaimer/accept?user=$username$"}},
        {"disclaimer accepted",
         false,
         false,
         false,
         true,
         true,
         true,
         "e911disclaimer",
         true,
         {"https://e911.lumiq.example/disclaimer/accept?user=$username$"}},
        {"disclaimer declined",
         false,
         false,
         false,
         true,
         true,
         false,
         "e911disclaimer",
         false,
         {"https://e911.lumiq.example/disclaimer/reject?user=$username$"}},
        {"disclaimer declined, launch anyway",
         false,
         false,
         true,
         true,
         true,
         false,
         "e911disclaimer",
         true,
         {"https://e911.lumiq.example/disclaimer/reject?user=$username$"}},
    };
    for (const auto& c : cases) {
        startClean();
        setFeatures({{"e911Enabled", true},
                     {"show_e911_address_confirmation_dialog", c.confirmationDialog},
                     {"use_dash_e911_provisioning", c.dashProvisioning},
                     {"disclaimer_always_launch_app", c.alwaysLaunch}});
        E911ProvisioningController::instance().setSimulatedAnswer(c.provisioned);
        E911AddressConfirmationController::instance().setSimulatedAnswers(c.confirmed, c.accepted);
        std::vector<std::string> opened;
        AppController::setURLOpener([&](const std::string& url) { opened.push_back(url); });
        std::vector<std::string> steps;
        launch();
        signIn("alice", "wonderland");
        // Each step shows its view, then its flow answers on the next pass of the run loop.
        runFor(LoginController::kLoginDelay + 0.5);
        platform::RunLoop::main().runUntil(
            [&] {
                if (app().isTerminated())
                    return true;
                if (steps.empty() || steps.back() != view())
                    steps.push_back(view());
                return view() == "mainView";
            },
            5.0);
        if (!steps.empty() && steps.back() == "mainView")
            steps.pop_back();

        ASSERT_FALSE(steps.empty()) << c.name;
        EXPECT_EQ(steps.back(), c.lastStep) << c.name;
        EXPECT_EQ(view() == "mainView", c.mainView) << c.name;
        EXPECT_EQ(app().isTerminated(), !c.mainView) << c.name;
        EXPECT_EQ(opened, c.opened) << c.name;
        EXPECT_TRUE(controller().e911ProvisioningController() == nullptr ||
                    controller().e911AddressConfirmationController() == nullptr)
            << c.name << ": at most one of the two";
    }
}

TEST_F(SignInTest, ContactsOfAnOlderVersionAreMigratedBeforeTheMainView) {
    for (bool shipsContacts : {true, false}) {
        const auto bundle = bundleWithDemo([](Value& demo) {
            Value configuration = demo["configuration"];
            configuration.setObject("contactMigrationRequired", Value(true));
            demo.setObject("configuration", configuration);
        });
        if (shipsContacts)
            writeFile(bundle / "InternalContacts.csv", "Name,Number\nHelp Desk,100\n");
        startClean(bundle);
        auto& posted = recordNotifications({"PhoneServiceStarted"});
        launch();
        signIn("alice", "wonderland");
        runFor(LoginController::kLoginDelay + 0.6);
        settle();

        EXPECT_EQ(view(), "importing") << shipsContacts;
        EXPECT_TRUE(posted.empty());
        const auto copied = tmp / "data" / "Orvanta" / "Lumiq" / "InternalContacts.csv";
        EXPECT_EQ(std::filesystem::exists(copied), shipsContacts);

        runFor(1.0);
        settle();
        EXPECT_EQ(view(), "mainView") << shipsContacts;
        EXPECT_EQ(posted.size(), 1u);
        EXPECT_FALSE(engine().phoneService()->contactMigrationRequired());
    }
}

TEST_F(SignInTest, TheIntroVideoPlaysBeforeTheEngineStarts) {
    useConfiguration("introVideo", Value(true));
    launch();
    signIn("alice", "wonderland");
    runFor(LoginController::kLoginDelay + 0.6);
    settle();

    EXPECT_EQ(view(), "connectVideo");
    EXPECT_FALSE(engine().started());
    EXPECT_TRUE(ConnectVideoController::instance()->isPlaying());

    runFor(ConnectVideoController::kPlaybackDuration);
    settle();
    EXPECT_TRUE(engine().started());
    EXPECT_EQ(engine().phoneService()->userName(), "alice");
    EXPECT_EQ(view(), "mainView");
    EXPECT_EQ(window().indexOfViewNamed("connectVideo"), -1);
    EXPECT_FALSE(ConnectVideoController::instanceExists());
}

TEST_F(SignInTest, RunningDiagnosticLoggingIsAnnouncedTwoSecondsAfterTheStart) {
    const struct {
        std::size_t button;
        bool troubleshootingShown;
        bool stillLogging;
    } cases[] = {{0, true, true}, {1, false, false}, {2, false, true}};
    for (const auto& c : cases) {
        startClean();
        launch();
        auto logging = engine().phoneService()->getDiagnosticService()->getDiagnosticLogging();
        logging->startLogging();
        auto& posted = recordNotifications({SendDiagnosticLogNotification});
        std::shared_ptr<platform::Alert> notice;
        platform::Alert::setPresentationHook(
            [&](platform::Alert& alert) { notice = alert.shared_from_this(); });
        signIn("alice", "wonderland");
        runFor(LoginController::kLoginDelay + 0.5);
        settle();
        ASSERT_TRUE(engine().started());
        runFor(1.9);
        EXPECT_EQ(window().attachedSheet(), nullptr) << "not before two seconds";
        runFor(0.2);

        ASSERT_NE(notice, nullptr) << c.button;
        EXPECT_EQ(window().attachedSheet(), notice->window());
        EXPECT_EQ(notice->messageText(), "Diagnostic Logging");
        EXPECT_EQ(notice->alertStyle(), platform::AlertStyle::Informational);
        std::vector<std::string> titles;
        for (const auto& button : notice->buttons())
            titles.push_back(button->title());
        EXPECT_EQ(titles,
                  (std::vector<std::string>{"Send Report", "Stop Logging", "Continue Logging"}));
        const auto registered = SheetsTracker::sharedController().sheetsForCreator(&controller());
        ASSERT_EQ(registered.size(), 1u);
        EXPECT_EQ(registered[0].get(), notice->window()) << "registered as the controller's";

        notice->pressButtonForTesting(c.button);
        settle();

        EXPECT_EQ(window().attachedSheet(), nullptr);
        EXPECT_TRUE(SheetsTracker::sharedController().sheetsForCreator(&controller()).empty());
        const bool shown = TroubleshootingWindowController::sharedControllerExists() &&
                           TroubleshootingWindowController::sharedTroubleshootingWindowController()
                               .window()
                               ->isVisible();
        EXPECT_EQ(shown, c.troubleshootingShown) << c.button;
        if (c.troubleshootingShown) {
            auto& troubleshooting =
                TroubleshootingWindowController::sharedTroubleshootingWindowController();
            EXPECT_EQ(troubleshooting.currentIdentifier(), "Diagnostics");
            EXPECT_EQ(troubleshooting.diagnosticLogsSent(), 1) << "the log goes out";
        }
        EXPECT_EQ(posted.size(), c.troubleshootingShown ? 1u : 0u);
        EXPECT_EQ(logging->isLoggingStarted(), c.stillLogging) << c.button;
        platform::Alert::setPresentationHook({});
    }
}

TEST_F(SignInTest, TheUserNameGoesToTheToolbarOrTheTitle) {
    for (bool presence : {true, false}) {
        startClean();
        setFeatures({{"presenceEnabled", presence}});
        launch();
        engine().phoneService()->updateUserName("early");
        EXPECT_EQ(ToolbarController::sharedController().displayName(), "")
            << "nothing before the engine runs";
        signIn("alice", "wonderland");
        letTheEngineAnswer();
        engine().phoneService()->updateUserName("Alice Archer");
        if (presence) {
            EXPECT_EQ(ToolbarController::sharedController().displayName(), "Alice Archer");
            EXPECT_EQ(window().title(), "Lumiq");
        } else {
            EXPECT_EQ(ToolbarController::sharedController().displayName(), "");
            EXPECT_EQ(window().title(), "Lumiq - Alice Archer");
        }
    }
}

} // namespace
} // namespace app_test
