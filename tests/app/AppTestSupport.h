#pragma once

#include "app/core/AppController.h"
#include "app/core/FilePasswordStore.h"
#include "app/core/MainMenu.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/LoginProfileItem.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Application.h"
#include "platform/system/BITHockeyManager.h"
#include "support/Localization.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace app_test {

using foundation_test::ScopedEnv;
using foundation_test::TempDir;
using foundation_test::writeFile;

// A copy of the product's bundle in `folder`, for tests that change its files.
inline std::filesystem::path copyBundle(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy(LUMIQ_RESOURCES_DIR, folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    return folder;
}

// The application launched the way main() does it, headless, on a manual clock, with home,
// settings and defaults in a temporary folder.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override { reset(LUMIQ_RESOURCES_DIR); }
    void TearDown() override {
        platform::Application::resetSharedApplication();
        // Saved while the temporary folder is still there, not later into a folder gone.
        platform::UserDefaults::standardUserDefaults().synchronize();
        PasswordStore::setShared(nullptr);
        StartupService::resetInstance();
        DialpadWindowController::releaseSharedController();
        ToolbarController::releaseSharedController();
        platform::BITHockeyManager::resetSharedHockeyManager();
        platform::setLogSink(nullptr);
        platform::setCurrentLocaleIdentifier("");
        resetLocalizationCache();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        platform::RunLoop::resetMain();
    }

    // Starts over with a fresh application, engine and controllers on `bundle`.
    void reset(const std::filesystem::path& bundle) {
        platform::Application::resetSharedApplication();
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        platform::Bundle::setMainBundlePath(bundle);
        resetLocalizationCache();
        StartupService::resetInstance();
        DialpadWindowController::releaseSharedController();
        ToolbarController::releaseSharedController();
        platform::BITHockeyManager::resetSharedHockeyManager();
        platform::UserDefaults::resetStandardUserDefaults(tmp / "config" / "defaults.plist");
        // Never the desktop's real secret store: a file in the temporary settings folder.
        PasswordStore::setShared(std::make_unique<FilePasswordStore>());
        log.clear();
        platform::setLogSink([this](std::string_view line) { log.emplace_back(line); });
    }

    // Loads the main menu as main() does; the controller is the application's delegate.
    AppController& loadMainMenu() {
        registerMainMenuInterfaceDefinition();
        EXPECT_TRUE(app().loadMainInterfaceDefinition("MainMenu"));
        AppController* controller = AppController::sharedAppController();
        EXPECT_NE(controller, nullptr);
        return *controller;
    }

    static platform::Application& app() { return platform::Application::sharedApplication(); }
    static StartupService& engine() { return StartupService::instance(); }
    static void settle() { platform::RunLoop::main().runUntilIdle(); }

    // The engine initialised with its settings in the temporary folder, without the interface.
    void initializeDemoEngine(std::vector<std::string> groups = {"Friends", "Family", "Work"},
                              std::string addedGroup = "Added Contacts") {
        engine().phoneService()->setUserSettingFolder(tmp / "settings");
        engine().intialize(std::nullopt, std::move(groups), "Others", std::move(addedGroup));
        settle();
    }
    // The initialised engine signed in as the demo user and started, each answer let through.
    static void signInDemoUser() {
        std::shared_ptr<LoginProfileItem> builtIn;
        for (const auto& profile : engine().loginProfiles())
            if (profile->type() == LoginProfileItem::BUILTIN)
                builtIn = profile;
        ASSERT_TRUE(builtIn);
        engine().login(builtIn,
                       platform::Value(platform::Value::Dictionary{{"username", "alice"},
                                                                   {"displayname", ""},
                                                                   {"authname", ""},
                                                                   {"password", "wonderland"}}));
        platform::RunLoop::main().runFor(1);
        settle();
        engine().start("alice");
        platform::RunLoop::main().runFor(1);
        settle();
        ASSERT_TRUE(engine().started());
    }
    bool logged(std::string_view text) const {
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }

    TempDir tmp;
    ScopedEnv home{"HOME", (tmp / "home").string()};
    ScopedEnv dataHome{"XDG_DATA_HOME", (tmp / "data").string()};
    ScopedEnv configHome{"XDG_CONFIG_HOME", (tmp / "config").string()};
    std::vector<std::string> log;
};

} // namespace app_test
