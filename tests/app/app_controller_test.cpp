#include "AppTestSupport.h"
#include "platform/foundation/FileManager.h"

using namespace app_test;
namespace fs = std::filesystem;

namespace {

TEST_F(AppTest, ConstructionLeavesEveryToastSlotFreeAndListensToTheEngine) {
    {
        AppController controller;
        EXPECT_EQ(controller.toastSlots(), std::vector<bool>(50, false));
        EXPECT_TRUE(engine().delegates().contains(&controller));
        EXPECT_EQ(controller.logoutReason(), StartupService::LogoutReason::user);
        EXPECT_FALSE(controller.isAppTerminating());
    }
    EXPECT_TRUE(engine().delegates().empty());
}

TEST_F(AppTest, TheMainMenuMakesTheControllerTheApplicationsDelegateWithItsBrand) {
    AppController& controller = loadMainMenu();
    EXPECT_EQ(app().delegate(), &controller);
    EXPECT_EQ(controller.brandDict()["MainWindowFrame"]["Modules"].count(), 4u);
    EXPECT_EQ(controller.brandDict()["PresenceIconSet"]["dock"].intValue(), 3);
    EXPECT_TRUE(controller.brandDict()["HockeyappIdentifier"].isString());
}

TEST_F(AppTest, LaunchInitialisesTheEngineWithTheLastUserAndTheLocalisedGroups) {
    const struct {
        const char* name;
        std::optional<std::string> lastUser;
    } cases[] = {
        {"first launch: no user name", std::nullopt},
        {"a remembered user", "alice"},
        {"a user name not remembered", ""},
    };
    for (const auto& c : cases) {
        reset(LUMIQ_RESOURCES_DIR);
        platform::setCurrentLocaleIdentifier("fr_CA");
        if (c.lastUser) {
            platform::UserDefaults::standardUserDefaults().setString("login.last_value.username",
                                                                     *c.lastUser);
        }
        AppController& controller = loadMainMenu();

        controller.applicationWillFinishLaunching({});
        ASSERT_TRUE(engine().initializeArguments()) << c.name;
        const auto& arguments = *engine().initializeArguments();
        EXPECT_EQ(arguments.userName, c.lastUser) << c.name;
        EXPECT_EQ(arguments.defaultGroups, (std::vector<std::string>{"Friends", "Family", "Work"}));
        EXPECT_EQ(arguments.upgroupedGrouopName, "Others");
        EXPECT_EQ(arguments.addedFriendsGrouopName, "Added Contacts");
        EXPECT_EQ(engine().culture(), "fr_CA") << "the platform's identifier first";

        controller.applicationDidFinishLaunching({});
        EXPECT_EQ(engine().culture(), "fr-CA") << "then the address form";

        EXPECT_FALSE(logged("Engine initialisation completed")) << "the engine answers later";
        settle();
        EXPECT_TRUE(logged("Engine initialisation completed")) << c.name;
        EXPECT_TRUE(fs::exists(tmp / "data" / "Orvanta" / "Lumiq" / EngineStore::fileName));
    }
}

TEST_F(AppTest, AnEngineThatCannotOpenItsStoreEndsTheApplicationWithAFailureStatus) {
    writeFile(tmp / "data" / "Orvanta" / "Lumiq", "a file where the settings folder belongs");
    loadMainMenu();
    app().finishLaunching();
    settle();

    EXPECT_TRUE(logged("Engine initialisation failed"));
    EXPECT_TRUE(app().isTerminated());
    EXPECT_NE(app().exitStatus(), 0);
}

TEST(SettingsFolderMove, CopiesTheOldFolderOnlyWhenTheNewOneIsMissing) {
    struct Case {
        const char* name;
        bool oldExists;
        enum { Missing, Folder, File } newPath;
        bool copied;
    };
    const Case cases[] = {
        {"only the old folder exists", true, Case::Missing, true},
        {"the new folder exists", true, Case::Folder, false},
        {"the new path is a plain file", true, Case::File, false},
        {"neither exists", false, Case::Missing, false},
    };
    for (const auto& c : cases) {
        TempDir tmp;
        const fs::path oldFolder = tmp / "config/Orvanta/Lumiq";
        const fs::path newFolder = tmp / "data/Orvanta/Lumiq";
        if (c.oldExists) {
            writeFile(oldFolder / "engine.sqlite", "old store");
            writeFile(oldFolder / "logs/today.log", "old log");
        }
        if (c.newPath == Case::Folder) {
            writeFile(newFolder / "engine.sqlite", "new store");
        } else if (c.newPath == Case::File) {
            writeFile(newFolder, "plain file");
        }

        AppController::moveSettingsFolder(oldFolder, newFolder);

        EXPECT_EQ(fs::exists(newFolder / "logs/today.log"), c.copied) << c.name;
        if (c.copied) {
            EXPECT_EQ(foundation_test::readFile(newFolder / "engine.sqlite"), "old store");
        }
        if (c.newPath == Case::Folder) {
            EXPECT_EQ(foundation_test::readFile(newFolder / "engine.sqlite"), "new store");
        }
        if (c.newPath == Case::File) {
            EXPECT_EQ(foundation_test::readFile(newFolder), "plain file") << c.name;
        }
        if (c.newPath == Case::Missing && !c.oldExists) {
            EXPECT_FALSE(fs::exists(newFolder)) << c.name;
        }
        EXPECT_EQ(fs::exists(oldFolder / "engine.sqlite"), c.oldExists) << "the old one stays";
    }
}

TEST_F(AppTest, LaunchMovesTheSettingsFolderOfAnOlderVersion) {
    writeFile(tmp / "config" / "Orvanta" / "Lumiq" / "accounts.xml", "<accounts/>");
    AppController& controller = loadMainMenu();
    controller.applicationWillFinishLaunching({});
    EXPECT_EQ(foundation_test::readFile(tmp / "data" / "Orvanta" / "Lumiq" / "accounts.xml"),
              "<accounts/>");
    EXPECT_TRUE(fs::exists(tmp / "config" / "Orvanta" / "Lumiq" / "accounts.xml"));
}

TEST_F(AppTest, TheCrashReporterStartsOnlyWithItsFeatureAndAnIdentifier) {
    const struct {
        const char* name;
        bool feature;
        std::optional<platform::Value> identifier;
        bool started;
    } cases[] = {
        {"feature and identifier", true, platform::Value("a1b2c3"), true},
        {"no feature", false, platform::Value("a1b2c3"), false},
        {"empty identifier", true, platform::Value(""), false},
        {"absent identifier", true, std::nullopt, false},
        {"identifier that is not a string", true, platform::Value(7), false},
    };
    for (const auto& c : cases) {
        const fs::path bundle = copyBundle(tmp / ("bundle-" + std::string(c.name)));
        auto brand = platform::Value::readPropertyListFile(bundle / "brand.plist");
        ASSERT_TRUE(brand);
        brand->removeObjectForKey("HockeyappIdentifier");
        if (c.identifier) {
            brand->setObject("HockeyappIdentifier", *c.identifier);
        }
        ASSERT_TRUE(brand->writePropertyListFile(bundle / "brand.plist"));
        reset(bundle);
        engine().featuresService()->setFeatureAvailable("hockeyappCcrashReportingEnabled",
                                                        c.feature);
        AppController& controller = loadMainMenu();

        app().finishLaunching();

        const auto& manager = platform::BITHockeyManager::sharedHockeyManager();
        EXPECT_EQ(manager.isStarted(), c.started) << c.name;
        if (c.started) {
            EXPECT_EQ(manager.calls(),
                      (std::vector<std::string>{
                          "configureWithIdentifier", "setExceptionInterceptionEnabled",
                          "setLoggingEnabled", "setAskUserDetails", "startManager"}));
            EXPECT_EQ(manager.identifier(), "a1b2c3");
            EXPECT_EQ(manager.companyName(), "Orvanta");
            EXPECT_EQ(manager.crashReportManagerDelegate(),
                      static_cast<platform::BITCrashReportManagerDelegate*>(&controller));
            EXPECT_TRUE(manager.exceptionInterceptionEnabled());
            EXPECT_FALSE(manager.loggingEnabled());
            EXPECT_TRUE(manager.askUserDetails());
        } else {
            EXPECT_TRUE(manager.calls().empty()) << c.name;
        }
    }
}

TEST_F(AppTest, GoingToTheBackgroundStopsAKeyToneOnlyOnceTheEngineHasStarted) {
    for (bool started : {false, true}) {
        reset(LUMIQ_RESOURCES_DIR);
        loadMainMenu();
        app().finishLaunching();
        settle();
        if (started) {
            engine().start("alice");
            settle();
        }
        auto dtmf = engine().phoneService()->getDTMFService();
        dtmf->startTone('5');

        app().deactivate();

        EXPECT_EQ(dtmf->isPlayingTone(), !started) << (started ? "started" : "not started");
    }
}

TEST_F(AppTest, TheDialpadIsHiddenWithTheApplicationAndComesBack) {
    const struct {
        const char* name;
        bool dialpadExists;
        bool visible;
        bool terminating;
        bool shownAfterUnhide;
    } cases[] = {
        {"visible dialpad", true, true, false, true},
        {"dialpad closed", true, false, false, false},
        {"no dialpad", false, false, false, false},
        {"visible dialpad while quitting", true, true, true, false},
    };
    for (const auto& c : cases) {
        reset(LUMIQ_RESOURCES_DIR);
        AppController& controller = loadMainMenu();
        app().finishLaunching();
        if (c.dialpadExists) {
            auto& dialpad = DialpadWindowController::sharedController();
            if (c.visible) {
                dialpad.showWindow(nullptr);
            }
        }
        auto expanded = engine()
                            .phoneService()
                            ->getPreferenceSettings()
                            ->sub("preferences")
                            ->sub("application")
                            ->sub("dialpadExpanded");
        expanded->setBoolSetting(!c.visible, true);

        app().hide(nullptr);

        EXPECT_EQ(controller.dialPadVisibleBeforeHide(), c.visible) << c.name;
        if (c.dialpadExists) {
            EXPECT_FALSE(DialpadWindowController::sharedController().isVisible()) << c.name;
            EXPECT_EQ(expanded->boolSetting(), c.visible) << c.name;
            EXPECT_FALSE(expanded->hasPendingChanges()) << "committed";
        } else {
            EXPECT_FALSE(DialpadWindowController::dialpadExist()) << "not made by hiding";
        }

        controller.setAppShouldBeTerminating(c.terminating);
        app().unhide(nullptr);

        EXPECT_EQ(DialpadWindowController::dialpadExist() &&
                      DialpadWindowController::sharedController().isVisible(),
                  c.shownAfterUnhide)
            << c.name;
        EXPECT_EQ(ToolbarController::sharedController().updateCount(), c.shownAfterUnhide ? 1 : 0)
            << c.name;
    }
}

} // namespace
