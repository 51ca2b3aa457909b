#pragma once

#include "app/AppTestSupport.h"
#include "app/calls/CallModuleController.h"
#include "app/core/LoginController.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"

#include <functional>

namespace app_test {

// Hears the engine's sign-in answers, as the application controller will.
class SignInRecorder : public OVStartupServicePro {
public:
    SignInRecorder() { StartupService::instance().setDelegate(this); }
    ~SignInRecorder() override { StartupService::instance().removeDelegate(this); }
    SignInRecorder(const SignInRecorder&) = delete;
    SignInRecorder& operator=(const SignInRecorder&) = delete;

    void ovssLoginStarted() override { ++started; }
    void ovssLoginSucceeded(const std::string& userName) override { succeeded.push_back(userName); }
    void ovssLoginFailed(StartupService::LoginFailureReason reason,
                         const std::string& message) override {
        failed.push_back(message);
        rejected = static_cast<int>(reason);
    }
    int rejected = -1;

    int started = 0;
    std::vector<std::string> succeeded;
    std::vector<std::string> failed;
};

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
        platform::Menu::setMainMenu(nullptr);
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

    // A fresh application on `bundle`, keeping the defaults file: a restart.
    void startOver(const std::filesystem::path& bundle = LUMIQ_RESOURCES_DIR) {
        dropControllers();
        platform::WindowServer::shared().reset();
        platform::Image::clearImageCache();
        reset(bundle);
        screen = &platform::HeadlessScreen::install();
    }

    // A copy of the product's bundle whose brand dictionary and demo data `change` edits.
    std::filesystem::path
    bundleWith(const std::function<void(platform::Value& brand, platform::Value& demo)>& change) {
        const auto folder = copyBundle(tmp / ("bundle-" + std::to_string(++bundles_)));
        auto brand = platform::Value::readPropertyListFile(folder / "brand.plist");
        auto demo = platform::Value::readPropertyListFile(folder / "engine" / "demo.plist");
        change(*brand, *demo);
        EXPECT_TRUE(brand->writePropertyListFile(folder / "brand.plist"));
        EXPECT_TRUE(demo->writePropertyListFile(folder / "engine" / "demo.plist"));
        return folder;
    }
    // Restarts on a bundle whose engine offers `profiles`.
    void useProfiles(platform::Value::Array profiles) {
        startOver(bundleWith([&](platform::Value&, platform::Value& demo) {
            demo.setObject("loginProfiles", platform::Value(profiles));
        }));
    }
    static platform::Value
    profile(int profileID, std::string_view type,
            std::initializer_list<std::pair<const char*, platform::Value>> more = {}) {
        platform::Value entry;
        entry.setObject("profileID", platform::Value(profileID));
        entry.setObject("type", platform::Value(type));
        entry.setObject("name", platform::Value("Profile " + std::to_string(profileID)));
        for (const auto& [key, value] : more)
            entry.setObject(key, value);
        return entry;
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
    static MainAppWindow& window() { return *controller().mainWindow(); }
    static platform::UserDefaults& defaults() {
        return platform::UserDefaults::standardUserDefaults();
    }
    static void runFor(double seconds) { platform::RunLoop::main().runFor(seconds); }

    // Input through the headless screen, at the middle of a view.
    void click(platform::View& view) {
        const platform::Rect b = view.bounds();
        screen->click(*view.window(), view.convertPointToView(b.center(), nullptr));
    }
    void typeInto(platform::TextField& field, std::string_view text) {
        click(field);
        screen->typeText(text);
    }

    platform::HeadlessScreen* screen = nullptr;

private:
    int bundles_ = 0;
};

} // namespace app_test
