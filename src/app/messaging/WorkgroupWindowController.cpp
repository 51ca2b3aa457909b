#include "app/messaging/WorkgroupWindowController.h"

#include "support/Localization.h"

namespace {

std::unique_ptr<WorkgroupWindowController>& sharedInstance() {
    static std::unique_ptr<WorkgroupWindowController> controller;
    return controller;
}

} // namespace

WorkgroupWindowController& WorkgroupWindowController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<WorkgroupWindowController>();
    return *shared;
}

void WorkgroupWindowController::releaseSharedController() {
    sharedInstance().reset();
}

WorkgroupWindowController::WorkgroupWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 360, 420),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.workgroup.title", "Workgroups"));
}

WorkgroupWindowController::~WorkgroupWindowController() {
    _window->orderOut(nullptr);
}

void WorkgroupWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}
