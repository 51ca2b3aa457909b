#pragma once

#include "app/AppTestSupport.h"
#include "app/calls/CallModuleController.h"
#include "app/core/LoginController.h"
#include "app/core/MainMenu.h"
#include "app/core/SheetsTracker.h"
#include "app/hosted/ConnectVideoController.h"
#include "app/hosted/E911AddressConfirmationController.h"
#include "app/hosted/E911ProvisioningController.h"
#include "app/main_window/AdvertisementModuleController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/preferences/PrefsWindowController.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "engine/Scenario.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace app_test {

// The application launched headless, as main() does it, on the manual clock with the
// simulated engine: tests type into the login view through the headless screen and let the
// engine's delays pass with runFor.
class SignInTest : public AppTest {
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
        platform::Alert::setPresentationHook({});
        for (const auto& observer : observed_)
            platform::NotificationCenter::defaultCenter().removeObserver(observer.get());
        observed_.clear();
        platform::Application::resetSharedApplication();
        SheetsTracker::sharedController().closeAllSheets();
        LoginController::releaseSharedInstance();
        LoginController::setURLOpener(nullptr);
        AppController::setURLOpener(nullptr);
        PrimaryModuleController::releaseSharedController();
        FunctionModuleController::releaseSharedController();
        AdvertisementModuleController::releaseSharedController();
        CallModuleController::releaseSharedController();
        E911ProvisioningController::releaseInstance();
        E911AddressConfirmationController::releaseInstance();
        ConnectVideoController::releaseInstance();
        PrefsWindowController::releaseSharedController();
        TroubleshootingWindowController::releaseSharedController();
    }

    // A fresh application on `bundle`, keeping the defaults file: a restart.
    void startOver(const std::filesystem::path& bundle = LUMIQ_RESOURCES_DIR) {
        dropControllers();
        platform::WindowServer::shared().reset();
        platform::Image::clearImageCache();
        reset(bundle);
        screen = &platform::HeadlessScreen::install();
    }

    // A first start: no defaults, no settings folder. The previous run's unsaved defaults are
    // written before the folder goes, as at its quit, or they would land in the new start.
    void startClean(const std::filesystem::path& bundle = LUMIQ_RESOURCES_DIR) {
        dropControllers();
        platform::UserDefaults::standardUserDefaults().synchronize();
        std::filesystem::remove_all(tmp / "config");
        std::filesystem::remove_all(tmp / "data");
        startOver(bundle);
    }

    // A copy of the product's bundle whose demo data `change` edits.
    std::filesystem::path bundleWithDemo(const std::function<void(platform::Value& demo)>& change) {
        const auto folder = copyBundle(tmp / ("bundle-" + std::to_string(++bundles_)));
        auto demo = platform::Value::readPropertyListFile(folder / "engine" / "demo.plist");
        change(*demo);
        EXPECT_TRUE(demo->writePropertyListFile(folder / "engine" / "demo.plist"));
        return folder;
    }
    // The provisioned configuration of the demo data gets `key` = `value`.
    void useConfiguration(std::string_view key, platform::Value value) {
        startOver(bundleWithDemo([&](platform::Value& demo) {
            platform::Value configuration = demo["configuration"];
            configuration.setObject(std::string(key), std::move(value));
            demo.setObject("configuration", std::move(configuration));
        }));
    }

    static void setFeatures(std::initializer_list<std::pair<const char*, bool>> features) {
        for (const auto& [name, on] : features)
            engine().featuresService()->setFeatureAvailable(name, on);
    }

    // Loads the main menu and launches; the engine initialises and the login view appears.
    MainAppWindow& launch() {
        AppController& controller = loadMainMenu();
        EXPECT_NE(controller.mainWindow(), nullptr);
        app().finishLaunching();
        settle();
        return *controller.mainWindow();
    }

    static AppController& controller() { return *AppController::sharedAppController(); }
    static LoginController& login() { return *controller().loginController(); }
    static MainAppWindow& window() { return *controller().mainWindow(); }
    static std::string view() { return window().currentViewName(); }
    static void runFor(double seconds) { platform::RunLoop::main().runFor(seconds); }

    void click(platform::View& view) {
        const platform::Rect b = view.bounds();
        screen->click(*view.window(), view.convertPointToView(b.center(), nullptr));
    }
    // Replaces the field's text by typing, as a user does after clearing it.
    void typeInto(platform::TextField& field, std::string_view text) {
        field.setStringValue("");
        click(field);
        screen->typeText(text);
    }
    // Types the credentials into the login view and presses Return.
    void signIn(std::string_view user, std::string_view password) {
        typeInto(*login().username(), user);
        typeInto(*login().password(), password);
        screen->key(U'\r');
    }
    // Launches and signs in as the demo user, up to the main view.
    void signInToMainView() {
        launch();
        signIn("alice", "wonderland");
        letTheEngineAnswer();
        runFor(1);
        settle();
        ASSERT_EQ(view(), "mainView");
    }
    // Long enough for the login view's delay, the server's answer and the engine's start.
    static void letTheEngineAnswer() {
        runFor(LoginController::kLoginDelay + 2.0);
        settle();
    }

    // Records the names of the notifications posted, in order, from now on.
    std::vector<std::string>& recordNotifications(std::initializer_list<std::string_view> names) {
        posted_.clear();
        postedInfo_.clear();
        auto record = std::make_shared<int>();
        observed_.push_back(record);
        for (std::string_view name : names)
            platform::NotificationCenter::defaultCenter().addObserver(
                record.get(), name, nullptr, [this](const platform::Notification& n) {
                    posted_.push_back(n.name);
                    postedInfo_.push_back(n.userInfo);
                });
        return posted_;
    }
    const std::vector<platform::Value>& postedUserInfo() const { return postedInfo_; }

    platform::HeadlessScreen* screen = nullptr;

private:
    int bundles_ = 0;
    std::vector<std::shared_ptr<int>> observed_;
    std::vector<std::string> posted_;
    std::vector<platform::Value> postedInfo_;
};

} // namespace app_test
