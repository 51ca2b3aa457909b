#include "app/main_window/PrimaryModuleController.h"

void PrimaryModuleController::callParticipant(platform::Object* /*participant*/) {
    ++_callRequests;
}

void PrimaryModuleController::redial(platform::Object* /*sender*/) {
    ++_redialRequests;
}
