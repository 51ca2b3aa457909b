#pragma once

#include "engine/OVIMService.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <vector>

// The chat window of one messaging session. So far the window itself and what the application
// core asks of it: the session, the participants to invite into a group chat and the end of
// the session; the transcript and the message entry come with the chat window.
class IMWindowController : public platform::Object,
                           public IMSessionPro,
                           public platform::WindowDelegate {
public:
    // The original's initWithIMSession:: the controller becomes the session's delegate and
    // shows its window.
    explicit IMWindowController(std::shared_ptr<IMSession> session);
    ~IMWindowController() override;
    IMWindowController(const IMWindowController&) = delete;
    IMWindowController& operator=(const IMWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    const std::shared_ptr<IMSession>& imSession() const { return _imSession; }
    // The contact the session is with; none until the chat window looks contacts up.
    std::shared_ptr<platform::Object> contact() const { return nullptr; }

    // Invites the addresses into the window's group chat.
    void addParticipants(const platform::Value::Array& addresses);
    // The session has ended: nothing more can be sent from this window.
    void sessionTerminated();
    // Orders the window out; the application controller then lets the controller go.
    void close();

    // What the window was asked, for the program's tests.
    const std::vector<std::string>& invitedParticipants() const { return _invitedParticipants; }
    int sessionTerminatedCount() const { return _sessionTerminatedCount; }

    void windowWillClose(platform::Window& window) override;

private:
    std::shared_ptr<IMSession> _imSession;
    std::shared_ptr<platform::Window> _window;
    std::vector<std::string> _invitedParticipants;
    int _sessionTerminatedCount = 0;
};
