#pragma once

#include "app/AppTestSupport.h"
#include "app/calls/CallModuleController.h"
#include "app/core/LoginController.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"

namespace app_test {

// The application launched headless up to the login view: the main menu makes the controller
// and the main window, the engine initialises on the manual clock and the view appears.
class MainWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        startOver();
    }
    void TearDown() override {
        dropControllers();
        platform::WindowServer::shared().reset();
        platform::setScreenBackend(nullptr);
        AppTest::TearDown();
    }

    void dropControllers() {
        platform::Application::resetSharedApplication();
        LoginController::releaseSharedInstance();
        PrimaryModuleController::releaseSharedController();
        FunctionModuleController::releaseSharedController();
        AdvertisementModuleController::releaseSharedController();
        CallModuleController::releaseSharedController();
        LoginController::setURLOpener(nullptr);
    }

    // A fresh application on `bundle` with the same defaults file, as after a restart.
    void startOver(const std::filesystem::path& bundle = LUMIQ_RESOURCES_DIR) {
        dropControllers();
        platform::WindowServer::shared().reset();
        reset(bundle);
        screen = &platform::HeadlessScreen::install();
    }

    // Loads the main menu and launches; `untilLogin` lets the engine initialise.
    MainAppWindow& launch(bool untilLogin = true) {
        AppController& controller = loadMainMenu();
        MainAppWindow* window = controller.mainWindow();
        EXPECT_NE(window, nullptr);
        app().finishLaunching();
        if (untilLogin)
            settle();
        return *window;
    }

    static AppController& controller() { return *AppController::sharedAppController(); }
    static LoginController& login() { return *controller().loginController(); }
    static platform::UserDefaults& defaults() {
        return platform::UserDefaults::standardUserDefaults();
    }
    static void runFor(double seconds) { platform::RunLoop::main().runFor(seconds); }

    platform::HeadlessScreen* screen = nullptr;
};

} // namespace app_test
