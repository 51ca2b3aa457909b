#include "app/main_window/FunctionModuleController.h"

#include "app/contacts/ContactListController.h"
#include "engine/StartupService.h"

namespace {

std::unique_ptr<FunctionModuleController>& sharedInstance() {
    static std::unique_ptr<FunctionModuleController> controller;
    return controller;
}

} // namespace

FunctionModuleController& FunctionModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<FunctionModuleController>();
    return *shared;
}

void FunctionModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> FunctionModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 260));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}

FunctionModuleController::FunctionModuleController() = default;
FunctionModuleController::~FunctionModuleController() = default;

void FunctionModuleController::setup() {
    ++_setupCount;
    auto phone = StartupService::instance().phoneService();
    if (!phone) {
        return;
    }
    if (_contactList) {
        _contactList->view()->removeFromSuperview();
        _contactList.reset();
    }
    _contactList = std::make_unique<ContactListController>(phone);
    const auto view = theView();
    _contactList->view()->setFrame(view->bounds());
    view->addSubview(_contactList->view());
}

void FunctionModuleController::cleanup() {
    if (_contactList) {
        _contactList->cleanup();
    }
}
