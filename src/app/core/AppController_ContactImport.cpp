#include "app/core/AppController.h"
#include "app/core/ContactImportExportController.h"

ContactImportExportController& AppController::contactImportExportController() {
    if (!_contactImportExportController) {
        _contactImportExportController = std::make_shared<ContactImportExportController>(*this);
    }
    return *_contactImportExportController;
}

void AppController::importContacts(platform::Object* sender) {
    contactImportExportController().importContacts(sender);
}

void AppController::exportContacts(platform::Object* sender) {
    contactImportExportController().exportContacts(sender);
}
