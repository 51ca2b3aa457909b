#include "app/core/AppController.h"
#include "app/main_window/MainAppWindow.h"

bool AppController::applicationOpenUntitledFile(platform::Application& /*sender*/) {
    if (_appWindow && !_appWindow->isVisible()) {
        _appWindow->makeKeyAndOrderFront(this);
    }
    return false;
}

void AppController::showRunningInstance() {
    auto& application = platform::Application::sharedApplication();
    application.unhide(this);
    application.activateIgnoringOtherApps(true);
    if (applicationShouldOpenUntitledFile(application))
        applicationOpenUntitledFile(application);
    // A visible window behind other programs' comes to the front as well.
    if (_appWindow)
        _appWindow->makeKeyAndOrderFront(this);
}
