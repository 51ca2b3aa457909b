#include "app/hosted/ConnectInviteFriendsWindowController.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace {

std::shared_ptr<ConnectInviteFriendsWindowController>& sharedInstance() {
    static std::shared_ptr<ConnectInviteFriendsWindowController> controller;
    return controller;
}

} // namespace

void ConnectInviteFriendsWindowController::releaseSharedInviteWindowController() {
    sharedInstance().reset();
}

ConnectInviteFriendsWindowController&
ConnectInviteFriendsWindowController::sharedInviteWindowController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_shared<ConnectInviteFriendsWindowController>();
    }
    return *shared;
}

bool ConnectInviteFriendsWindowController::sharedInviteWindowControllerExists() {
    return sharedInstance() != nullptr;
}

ConnectInviteFriendsWindowController::ConnectInviteFriendsWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 420, 360),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask)) {}

ConnectInviteFriendsWindowController::~ConnectInviteFriendsWindowController() {
    _window->orderOut(nullptr);
}

void ConnectInviteFriendsWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}

void ConnectInviteFriendsWindowController::invite(const std::string& name,
                                                  const std::string& email) {
    const std::pair<std::string, std::string> person(name, email);
    if (std::find(_invitees.begin(), _invitees.end(), person) == _invitees.end()) {
        _invitees.push_back(person);
    }
}

void ConnectInviteFriendsWindowController::close() {
    _window->orderOut(nullptr);
    if (sharedInstance().get() == this) {
        auto self = std::move(sharedInstance());
        platform::RunLoop::main().performInModes([self] {}, platform::commonModes());
    }
}
