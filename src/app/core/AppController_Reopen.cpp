#include "app/core/AppController.h"
#include "app/main_window/MainAppWindow.h"

bool AppController::applicationOpenUntitledFile(platform::Application& /*sender*/) {
    if (_appWindow && !_appWindow->isVisible()) {
        _appWindow->makeKeyAndOrderFront(this);
    }
    return false;
}
