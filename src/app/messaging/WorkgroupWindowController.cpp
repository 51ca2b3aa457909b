#include "app/messaging/WorkgroupWindowController.h"

#include "app/core/SheetsTracker.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "support/Localization.h"

namespace {

std::unique_ptr<WorkgroupWindowController>& sharedInstance() {
    static std::unique_ptr<WorkgroupWindowController> controller;
    return controller;
}

} // namespace

WorkgroupWindowController& WorkgroupWindowController::sharedController() {
    auto& shared = sharedInstance();
    if (shared && shared->_window->isMiniaturized()) {
        shared->_window->deminiaturize(nullptr);
        return *shared;
    }
    if (!shared || !shared->_window->isVisible()) {
        shared.reset();
        shared = std::make_unique<WorkgroupWindowController>();
    }
    return *shared;
}

void WorkgroupWindowController::releaseSharedController() {
    sharedInstance().reset();
}

WorkgroupWindowController::WorkgroupWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 360, 420),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask |
                                                   platform::MiniaturizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.workgroup.title", "Workgroups"));
    _phoneService = StartupService::instance().phoneService();
    if (_phoneService) {
        _workgroupService = _phoneService->getWorkgroupService();
        _workgroupService->setDelegate(this);
        _workgroupService->retrySubscription();
    }
}

WorkgroupWindowController::~WorkgroupWindowController() {
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    if (_workgroupService) {
        _workgroupService->stop();
        _workgroupService->removeDelegate(this);
    }
    _window->orderOut(nullptr);
}

void WorkgroupWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}
