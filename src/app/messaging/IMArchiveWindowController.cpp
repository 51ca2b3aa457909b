#include "app/messaging/IMArchiveWindowController.h"

#include "support/Localization.h"

namespace {

std::unique_ptr<IMArchiveWindowController>& sharedInstance() {
    static std::unique_ptr<IMArchiveWindowController> controller;
    return controller;
}

} // namespace

IMArchiveWindowController& IMArchiveWindowController::sharedIMArchiveWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<IMArchiveWindowController>();
    return *shared;
}

bool IMArchiveWindowController::sharedIMArchiveWindowControllerExists() {
    return sharedInstance() != nullptr;
}

void IMArchiveWindowController::close() {
    sharedInstance().reset();
}

IMArchiveWindowController::IMArchiveWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 560, 400),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask |
                                                   platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.imarchive.title", "Message Archive"));
}

IMArchiveWindowController::~IMArchiveWindowController() {
    _window->orderOut(nullptr);
}

void IMArchiveWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}
