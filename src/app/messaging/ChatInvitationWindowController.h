#pragma once

#include "engine/OVIMService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <vector>

// The window that asks the user into a group chat. It keeps itself alive while its window is
// up: the one who made it does not hold it. So far the window and the two answers; the
// invitation's text and buttons come with the chat windows.
class ChatInvitationWindowController
    : public platform::Object,
      public std::enable_shared_from_this<ChatInvitationWindowController> {
    struct Key {
        explicit Key() = default;
    };

public:
    // The original's initWithChatInvitation:: shows the invitation and keeps the controller
    // among the open ones until it is answered.
    static std::shared_ptr<ChatInvitationWindowController>
    initWithChatInvitation(std::shared_ptr<ChatInvitation> invitation);
    // The controllers whose invitation is on screen, oldest first.
    static const std::vector<std::shared_ptr<ChatInvitationWindowController>>& openControllers();
    // Closes every open invitation without answering it (shutdown, tests).
    static void closeAll();

    ChatInvitationWindowController(Key key, std::shared_ptr<ChatInvitation> invitation);
    ~ChatInvitationWindowController() override;
    ChatInvitationWindowController(const ChatInvitationWindowController&) = delete;
    ChatInvitationWindowController& operator=(const ChatInvitationWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    const std::shared_ptr<ChatInvitation>& invitation() const { return _invitation; }

    // The user's answers: joining the room or declining; either closes the window.
    void accept(platform::Object* sender);
    void decline(platform::Object* sender);

private:
    void finish();
    std::shared_ptr<ChatInvitation> _invitation;
    std::shared_ptr<platform::Window> _window;
};
