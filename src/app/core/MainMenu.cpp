#include "app/core/MainMenu.h"

#include "app/core/AppController.h"
#include "platform/kit/InterfaceDefinition.h"

void registerMainMenuInterfaceDefinition() {
    platform::InterfaceDefinition::registerDefinition(
        "MainMenu", [](platform::InterfaceDefinitionLoad& load) {
            load.addTopLevelObject(std::make_shared<AppController>());
        });
}
