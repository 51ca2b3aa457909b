#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

class OVAccount;

// The list of an XMPP account's chat rooms. So far the window and the account it lists: the
// query's results come with the messaging windows.
class ChatRoomListWindowController : public platform::Object {
public:
    static bool isWindowExist();
    // Made on first use.
    static ChatRoomListWindowController& sharedChatRoomListWindowController();
    static void releaseSharedChatRoomListWindowController();

    ChatRoomListWindowController();
    ~ChatRoomListWindowController() override;
    ChatRoomListWindowController(const ChatRoomListWindowController&) = delete;
    ChatRoomListWindowController& operator=(const ChatRoomListWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // Keeps the account (replacing the one before), starts the query of its rooms and shows
    // the window.
    void setAccount(std::shared_ptr<OVAccount> account);
    const std::shared_ptr<OVAccount>& account() const { return _account; }
    // How many queries were started.
    int queryCount() const { return _queryCount; }
    void close();

private:
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<OVAccount> _account;
    int _queryCount = 0;
};
