#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/LoginProfileItem.h"

void AppController::startSignIn() {
    if (!_appWindow)
        return;
    auto& startup = StartupService::instance();
    if (startup.featuresService()->featureAvailable("loginEnabled")) {
        _loginController = LoginController::instance();
        _loginController->initializeWithWindow(*_appWindow);
        const auto profile = _loginController->loginProfile();
        _loginEnabled = !(profile && profile->type() == LoginProfileItem::NO_LOGIN);
    } else {
        _appWindow->displaySplashScreen();
        ovssLoginSucceeded("");
    }
}

void AppController::saveMainWindowSettings() {
    if (_appWindow)
        _appWindow->saveUserSetting();
}
