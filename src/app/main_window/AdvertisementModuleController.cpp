#include "app/main_window/AdvertisementModuleController.h"

namespace {

std::unique_ptr<AdvertisementModuleController>& sharedInstance() {
    static std::unique_ptr<AdvertisementModuleController> controller;
    return controller;
}

} // namespace

AdvertisementModuleController& AdvertisementModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<AdvertisementModuleController>();
    return *shared;
}

void AdvertisementModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> AdvertisementModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 50));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}
