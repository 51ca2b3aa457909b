#include "app/messaging/IMWindowController.h"

#include "app/core/AppController.h"

IMWindowController::IMWindowController(std::shared_ptr<IMSession> session)
    : _imSession(std::move(session)),
      _window(platform::make<platform::Window>(
          platform::Rect(0, 0, 360, 420),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    if (_imSession) {
        _imSession->setDelegate(this);
        const auto& name = _imSession->remoteDisplayName();
        _window->setTitle(name.empty() ? _imSession->remoteAddress() : name);
    }
    _window->setDelegate(this);
    _window->orderFront(nullptr);
}

IMWindowController::~IMWindowController() {
    if (_imSession) {
        _imSession->removeDelegate(this);
    }
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
}

void IMWindowController::addParticipants(const platform::Value::Array& addresses) {
    for (const auto& address : addresses) {
        if (address.isString()) {
            _invitedParticipants.push_back(*address.string());
        }
    }
}

void IMWindowController::sessionTerminated() {
    ++_sessionTerminatedCount;
}

void IMWindowController::close() {
    _window->close();
}

void IMWindowController::windowWillClose(platform::Window& /*window*/) {
    if (AppController* controller = AppController::sharedAppController()) {
        controller->removeIMWindowController(this);
    }
}
