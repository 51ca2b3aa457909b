#pragma once

#include "engine/OVIMService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Control.h"
#include "platform/kit/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Button;
class TextField;
} // namespace platform

// The window that asks the user into a group chat: who invites, their message, and a reason
// to decline (pre-filled). It keeps itself alive while its window is up: the one who made it
// does not hold it. When the account that received the invitation goes away the window says
// the invitation was terminated and offers only Close, which answers nothing.
class ChatInvitationWindowController
    : public platform::Object,
      public platform::WindowDelegate,
      public platform::ActionTarget,
      public std::enable_shared_from_this<ChatInvitationWindowController> {
    struct Key {
        explicit Key() = default;
    };

public:
    static constexpr std::string_view invalidatedNotification = "GroupChatSessionsInvalidated";

    // The original's initWithChatInvitation:: shows the invitation in front and keeps the
    // controller among the open ones until the window goes.
    static std::shared_ptr<ChatInvitationWindowController>
    initWithChatInvitation(std::shared_ptr<ChatInvitation> invitation);
    // The controllers whose window is up, oldest first.
    static const std::vector<std::shared_ptr<ChatInvitationWindowController>>& openControllers();
    // Closes every open invitation without answering it (shutdown, tests).
    static void closeAll();

    ChatInvitationWindowController(Key key, std::shared_ptr<ChatInvitation> invitation);
    ~ChatInvitationWindowController() override;
    ChatInvitationWindowController(const ChatInvitationWindowController&) = delete;
    ChatInvitationWindowController& operator=(const ChatInvitationWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // nullptr once the invitation was terminated.
    const std::shared_ptr<ChatInvitation>& invitation() const { return _invitation; }
    std::string captionText() const;
    std::string inviteMessageText() const;
    platform::TextField* declineField() const { return _declineMessage.get(); }
    bool isTerminated() const { return _terminated; }
    platform::Button* acceptButton() const { return _acceptButton.get(); }
    platform::Button* declineButton() const { return _declineButton.get(); }
    platform::Button* closeButton() const { return _closeButton.get(); }

    // The user's answers: joining the room, or declining with the reason typed; either orders
    // the window out and lets the controller go.
    void accept(platform::Object* sender);
    void decline(platform::Object* sender);
    // The terminated notice's Close.
    void close(platform::Object* sender);
    // An account went away: the invitation ends when it came through the account's server.
    void invalidated(const std::string& accountDomain);

    // The window's close control: a pending invitation is declined with the reason typed.
    void windowWillClose(platform::Window& window) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void stopObserving();
    void finish();
    std::shared_ptr<ChatInvitation> _invitation;
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TextField> _standardInviteMessage;
    std::shared_ptr<platform::TextField> _userInviteMessage;
    std::shared_ptr<platform::TextField> _declineMessage;
    std::shared_ptr<platform::Button> _acceptButton;
    std::shared_ptr<platform::Button> _declineButton;
    std::shared_ptr<platform::Button> _closeButton;
    bool _terminated = false;
    bool _finished = false;
};
