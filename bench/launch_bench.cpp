// Launch to the main view, headless, with the simulated engine: the main menu's definition
// loads, the engine initialises, the login view appears, the demo user's credentials go in as
// key events, the engine signs in and starts, and the main view is up with
// "PhoneServiceStarted" posted. The engine's demo delays (the login view's second, the
// server's half second) pass on a manual clock, so the time measured is the program's own
// work. Each iteration is a fresh first start in its own settings folders. The peak resident
// memory of the process is reported as a counter.
#include "app/calls/CallModuleController.h"
#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/core/MainMenu.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
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

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void releaseControllers() {
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

void typeInto(platform::HeadlessScreen& screen, platform::TextField& field, std::string_view text) {
    screen.click(*field.window(), field.convertPointToView(field.bounds().center(), nullptr));
    screen.typeText(text);
}

// One first start from launch to the main view; false when the main view did not come.
bool launchToMainView(const fs::path& folder) {
    fs::remove_all(folder);
    setenv("HOME", (folder / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    resetLocalizationCache();
    platform::Image::clearImageCache();
    platform::UserDefaults::resetStandardUserDefaults(folder / "config" / "defaults.plist");
    platform::HeadlessScreen& screen = platform::HeadlessScreen::install();

    bool started = false;
    int observer = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &observer, "PhoneServiceStarted", nullptr,
        [&](const platform::Notification&) { started = true; });

    registerMainMenuInterfaceDefinition();
    auto& application = platform::Application::sharedApplication();
    application.loadMainInterfaceDefinition("MainMenu");
    application.finishLaunching();
    auto& loop = platform::RunLoop::main();
    loop.runUntilIdle();
    AppController* controller = AppController::sharedAppController();
    if (controller && controller->loginController()) {
        LoginController& login = *controller->loginController();
        typeInto(screen, *login.username(), "alice");
        typeInto(screen, *login.password(), "wonderland");
        screen.key(U'\r');
        loop.runFor(LoginController::kLoginDelay + 2.0);
        loop.runUntilIdle();
    }
    const bool mainView =
        started && controller && controller->mainWindow()->currentViewName() == "mainView";
    platform::NotificationCenter::defaultCenter().removeObserver(&observer);
    releaseControllers();
    return mainView;
}

void BM_LaunchToMainView(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumiq-launch-bench-" + std::to_string(getpid()));
    platform::setLogSink([](std::string_view) {});
    for (auto _ : state) {
        if (!launchToMainView(folder)) {
            state.SkipWithError("the main view did not come up");
            break;
        }
    }
    platform::setLogSink(nullptr);
    fs::remove_all(folder);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_LaunchToMainView)->Unit(benchmark::kMillisecond);

} // namespace
