#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The hosted service's invite-friends window. So far the window and its list of people to
// invite; its page comes with the hosted-service windows.
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
    // Puts the person on the invite list; a person listed already with the same name and
    // address is not listed again.
    void invite(const std::string& name, const std::string& email);
    // The invite list as rows of name and e-mail address.
    const std::vector<std::pair<std::string, std::string>>& invitees() const { return _invitees; }
    // Orders the window out and ends the shared controller on the next run-loop pass.
    void close();

private:
    std::shared_ptr<platform::Window> _window;
    std::vector<std::pair<std::string, std::string>> _invitees;
};
