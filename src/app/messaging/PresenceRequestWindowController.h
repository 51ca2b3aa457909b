#pragma once

#include "engine/PresenceService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The one window that asks the user whether another party may see their presence. It shows
// one request at a time; once that is answered it takes the next waiting request from the
// application controller (nextPresenceRequest) and closes when none is left. So far the
// window and the three answers; its text and buttons come with the messaging windows.
class PresenceRequestWindowController : public platform::Object {
public:
    // Made on first use.
    static PresenceRequestWindowController& sharedPresenceRequestWindowController();
    static bool sharedPresenceRequestWindowControllerExists();
    static void releaseSharedPresenceRequestWindowController();

    PresenceRequestWindowController();
    ~PresenceRequestWindowController() override;
    PresenceRequestWindowController(const PresenceRequestWindowController&) = delete;
    PresenceRequestWindowController& operator=(const PresenceRequestWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // Shows the request in the window and brings the window forward.
    void showPresenceRequest(std::shared_ptr<PresenceRequest> request);
    const std::shared_ptr<PresenceRequest>& request() const { return _request; }
    int shownCount() const { return _shownCount; }

    // The user's answers to the request shown.
    void accept(platform::Object* sender);
    void ignore(platform::Object* sender);
    void block(platform::Object* sender);

private:
    void showNext();
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<PresenceRequest> _request;
    int _shownCount = 0;
};
