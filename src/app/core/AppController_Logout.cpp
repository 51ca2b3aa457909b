#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/preferences/PrefsWindowController.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "support/Notifications.h"

#include <type_traits>

// Logout and quit as far as the road from launch to the main view needs them: a logout the
// server forces, the teardown both share and the termination request. The confirmation of
// active calls and the relaunch come with the logout and quit commands.

namespace {

bool featureOn(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

template <class Pro>
void stopListening(DelegatingService<Pro>* service, AppController* controller) {
    if constexpr (std::is_convertible_v<AppController*, Pro*>) {
        if (service)
            service->removeDelegate(controller);
    }
}

} // namespace

void AppController::ovssLogoutRequested(StartupService::LogoutReason reason) {
    if (reason == StartupService::reRegistrationFailed || reason == StartupService::serverForced)
        logout(this);
    _logoutReason = reason;
}

void AppController::logout(platform::Object* /*sender*/) {
    if (_e911ProvisioningController)
        _e911ProvisioningController->stopE911Provisioning();
    if (_e911AddressConfirmationController)
        _e911AddressConfirmationController->stopE911AddressConfirmation();
    if (_loggedOut)
        return;
    StartupService::instance().logout(StartupService::user);
}

void AppController::ovssLogoutStarted(StartupService::LogoutReason /*reason*/) {
    _loggedIn = false;
    _loggedOut = false;
    _loginStateChanged = true;
    shutdown();
    if (_appWindow)
        _appWindow->displaySplashScreen();
}

void AppController::ovssLogoutComplete() {
    _loggedIn = false;
    _loggedOut = true;
    _loginStateChanged = true;
    _forceShutDown = false;
    stopListening(_phoneStatusService.get(), this);
    _phoneStatusService.reset();
    stopListening(_phoneService.get(), this);
    setPhoneService(nullptr);
    if (_autoUpdateModel) {
        stopListening(_autoUpdateModel.get(), this);
        _autoUpdateModel.reset();
    }
    // The sign-in road runs again from the engine's ovssInitCompleted.
    initializeEngine();
}

void AppController::shutdown() {
    // Shutting down twice (a quit during a logout's teardown) would post the shutdown and
    // stop the engine twice.
    if (_forceShutDown)
        return;
    auto& sheets = SheetsTracker::sharedController();
    sheets.closeAllSheets();
    platform::NotificationCenter::defaultCenter().postNotificationName(
        ApplicationShutdownNotification, this);
    auto& startup = StartupService::instance();
    if (featureOn("externalResourcesEnabled"))
        if (auto phone = startup.phoneService())
            phone->getCallHistoryService()->setReviewedAll();
    TroubleshootingWindowController::releaseSharedController();
    PrefsWindowController::releaseSharedController();

    if (_loginController)
        _loginController->cancelLogin();
    _loginProfile.reset();
    if (_e911ProvisioningController) {
        _e911ProvisioningController->stopE911Provisioning();
        _e911ProvisioningController->setDelegate(nullptr);
        _e911ProvisioningController = nullptr;
        E911ProvisioningController::releaseInstance();
    }
    if (_e911AddressConfirmationController) {
        _e911AddressConfirmationController->stopE911AddressConfirmation();
        _e911AddressConfirmationController->setDelegate(nullptr);
        _e911AddressConfirmationController = nullptr;
        E911AddressConfirmationController::releaseInstance();
    }
    sheets.closeAllSheets();
    detachToastService();

    if (DialpadWindowController::dialpadExist())
        DialpadWindowController::sharedController().close();
    saveMainWindowSettings();
    _forceShutDown = true;

    releaseEngineServices();
    startup.stop();
    if (_appWindow)
        _appWindow->displaySplashScreen();
}

void AppController::ovssStopped() {
    stopListening(_deskphoneService.get(), this);
    _deskphoneService.reset();
    stopListening(_connectService.get(), this);
    _connectService.reset();
    stopListening(_connectAccountModel.get(), this);
    _connectAccountModel.reset();
    auto& application = platform::Application::sharedApplication();
    if (application.isWaitingForTerminationReply())
        application.replyToApplicationShouldTerminate(true);
}

platform::TerminateReply
AppController::applicationShouldTerminate(platform::Application& /*sender*/) {
    // A sign-in under way must end (or be cancelled) before the application can go.
    if (_loginEnabled && _loginStateChanged && !_loggedIn && !_loggedOut)
        return platform::TerminateReply::Cancel;
    if (_forceShutDown)
        return platform::TerminateReply::Later;
    _appIsTerminating = true;
    const bool started = StartupService::instance().started();
    shutdown();
    // A running engine answers its stop with ovssStopped, which lets the application go.
    return started ? platform::TerminateReply::Later : platform::TerminateReply::Now;
}
