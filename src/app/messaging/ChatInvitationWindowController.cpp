#include "app/messaging/ChatInvitationWindowController.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<ChatInvitationWindowController>>& openList() {
    static std::vector<std::shared_ptr<ChatInvitationWindowController>> controllers;
    return controllers;
}

} // namespace

std::shared_ptr<ChatInvitationWindowController>
ChatInvitationWindowController::initWithChatInvitation(std::shared_ptr<ChatInvitation> invitation) {
    auto controller =
        std::make_shared<ChatInvitationWindowController>(Key(), std::move(invitation));
    openList().push_back(controller);
    controller->_window->orderFront(nullptr);
    return controller;
}

const std::vector<std::shared_ptr<ChatInvitationWindowController>>&
ChatInvitationWindowController::openControllers() {
    return openList();
}

void ChatInvitationWindowController::closeAll() {
    auto controllers = std::move(openList());
    openList().clear();
}

ChatInvitationWindowController::ChatInvitationWindowController(
    Key /*key*/, std::shared_ptr<ChatInvitation> invitation)
    : _invitation(std::move(invitation)),
      _window(platform::make<platform::Window>(platform::Rect(0, 0, 320, 140),
                                               platform::TitledWindowMask)) {
    if (_invitation) {
        const auto& name = _invitation->remoteDisplayName();
        _window->setTitle(name.empty() ? _invitation->remoteAddress() : name);
    }
}

ChatInvitationWindowController::~ChatInvitationWindowController() {
    _window->orderOut(nullptr);
}

void ChatInvitationWindowController::accept(platform::Object* /*sender*/) {
    if (_invitation) {
        _invitation->accept();
    }
    finish();
}

void ChatInvitationWindowController::decline(platform::Object* /*sender*/) {
    if (_invitation) {
        _invitation->decline("");
    }
    finish();
}

void ChatInvitationWindowController::finish() {
    _window->orderOut(nullptr);
    auto& list = openList();
    const auto it = std::find(list.begin(), list.end(), shared_from_this());
    if (it == list.end()) {
        return;
    }
    // The answer comes from the window's own button: the controller goes on the next pass.
    auto self = std::move(*it);
    list.erase(it);
    platform::RunLoop::main().performInModes([self] {}, platform::commonModes());
}
