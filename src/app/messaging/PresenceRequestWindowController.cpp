#include "app/messaging/PresenceRequestWindowController.h"

#include "app/core/AppController.h"

namespace {

std::unique_ptr<PresenceRequestWindowController>& sharedInstance() {
    static std::unique_ptr<PresenceRequestWindowController> controller;
    return controller;
}

} // namespace

PresenceRequestWindowController&
PresenceRequestWindowController::sharedPresenceRequestWindowController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<PresenceRequestWindowController>();
    }
    return *shared;
}

bool PresenceRequestWindowController::sharedPresenceRequestWindowControllerExists() {
    return sharedInstance() != nullptr;
}

void PresenceRequestWindowController::releaseSharedPresenceRequestWindowController() {
    sharedInstance().reset();
}

PresenceRequestWindowController::PresenceRequestWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 360, 160),
                                               platform::TitledWindowMask)) {}

PresenceRequestWindowController::~PresenceRequestWindowController() {
    _window->orderOut(nullptr);
}

void PresenceRequestWindowController::showPresenceRequest(
    std::shared_ptr<PresenceRequest> request) {
    _request = std::move(request);
    if (!_request) {
        return;
    }
    ++_shownCount;
    const auto& name = _request->displayName();
    _window->setTitle(name.empty() ? _request->addressToDisplay() : name);
    _window->makeKeyAndOrderFront(nullptr);
}

void PresenceRequestWindowController::accept(platform::Object* /*sender*/) {
    if (_request) {
        _request->accept();
    }
    showNext();
}

void PresenceRequestWindowController::ignore(platform::Object* /*sender*/) {
    if (_request) {
        _request->ignore();
    }
    showNext();
}

void PresenceRequestWindowController::block(platform::Object* /*sender*/) {
    if (_request) {
        _request->block();
    }
    showNext();
}

void PresenceRequestWindowController::showNext() {
    AppController* controller = AppController::sharedAppController();
    auto next = controller ? controller->nextPresenceRequest() : nullptr;
    if (next) {
        showPresenceRequest(std::move(next));
    } else {
        _request.reset();
        _window->close();
    }
}
