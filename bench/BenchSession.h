#pragma once

// The program as the benches run it: headless, on a manual clock (the demo's delays pass at
// once, so the time measured is the program's own work), in settings folders of its own, signed
// in as the demo user through the login view's fields.
#include "app/calls/CallModuleController.h"
#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/core/MainMenu.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"
#include "support/Localization.h"

#include <cstdlib>
#include <filesystem>

namespace bench_session {

// A fresh first start in `folder`: home, data and settings there, a manual clock, the product's
// bundle, and the headless screen.
inline platform::HeadlessScreen& startFresh(const std::filesystem::path& folder) {
    std::filesystem::remove_all(folder);
    setenv("HOME", (folder / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    resetLocalizationCache();
    platform::Image::clearImageCache();
    platform::UserDefaults::resetStandardUserDefaults(folder / "config" / "defaults.plist");
    return platform::HeadlessScreen::install();
}

// Launches from the main menu, types the demo user's credentials and presses Return, then lets
// the sign-in and the engine's start pass. The application controller, or null.
inline AppController* launchAndSignIn(platform::HeadlessScreen& screen) {
    registerMainMenuInterfaceDefinition();
    auto& application = platform::Application::sharedApplication();
    application.loadMainInterfaceDefinition("MainMenu");
    application.finishLaunching();
    auto& loop = platform::RunLoop::main();
    loop.runUntilIdle();
    AppController* controller = AppController::sharedAppController();
    if (!controller || !controller->loginController())
        return controller;
    LoginController& login = *controller->loginController();
    for (auto [field, text] :
         {std::pair{login.username(), "alice"}, std::pair{login.password(), "wonderland"}}) {
        screen.click(*field->window(), field->convertPointToView(field->bounds().center(), nullptr));
        screen.typeText(text);
    }
    screen.key(U'\r');
    loop.runFor(LoginController::kLoginDelay + 2.0);
    loop.runUntilIdle();
    return controller;
}

// Lets go of the application, its controllers and the engine, as between two starts.
inline void releaseControllers() {
    platform::Application::resetSharedApplication();
    SheetsTracker::sharedController().closeAllSheets();
    LoginController::releaseSharedInstance();
    PrimaryModuleController::releaseSharedController();
    FunctionModuleController::releaseSharedController();
    AdvertisementModuleController::releaseSharedController();
    CallModuleController::releaseSharedController();
    DialpadWindowController::releaseSharedController();
    ToolbarController::releaseSharedController();
    StartupService::resetInstance();
    platform::WindowServer::shared().reset();
    platform::Menu::setMainMenu(nullptr);
    platform::setScreenBackend(nullptr);
}

} // namespace bench_session
