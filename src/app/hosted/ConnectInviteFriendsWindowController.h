#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The hosted service's invite-friends window. So far the window alone; its page comes with
// the hosted-service windows.
class ConnectInviteFriendsWindowController : public platform::Object {
public:
    // Made on first use.
    static ConnectInviteFriendsWindowController& sharedInviteWindowController();
    static bool sharedInviteWindowControllerExists();
    // Drops the shared controller at once (shutdown, tests).
    static void releaseSharedInviteWindowController();

    ConnectInviteFriendsWindowController();
    ~ConnectInviteFriendsWindowController() override;
    ConnectInviteFriendsWindowController(const ConnectInviteFriendsWindowController&) = delete;
    ConnectInviteFriendsWindowController&
    operator=(const ConnectInviteFriendsWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    void showWindow(platform::Object* sender);
    // Orders the window out and ends the shared controller on the next run-loop pass.
    void close();

private:
    std::shared_ptr<platform::Window> _window;
};
