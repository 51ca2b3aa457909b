#include "app/core/MainMenu.h"

#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/kit/InterfaceDefinition.h"

void registerMainMenuInterfaceDefinition() {
    LoginController::registerInterfaceDefinition();
    platform::InterfaceDefinition::registerDefinition(
        "MainMenu", [](platform::InterfaceDefinitionLoad& load) {
            // The controller wakes first: it checks the brand dictionary the window is
            // built from.
            auto controller = load.addTopLevelObject(std::make_shared<AppController>());
            auto window = load.addTopLevelObject(MainAppWindow::makeFromInterfaceDefinition());
            controller->setMainWindow(window.get());
        });
}
