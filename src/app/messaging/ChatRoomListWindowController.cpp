#include "app/messaging/ChatRoomListWindowController.h"

#include "engine/AccountService.h"
#include "support/Localization.h"

namespace {

std::unique_ptr<ChatRoomListWindowController>& sharedInstance() {
    static std::unique_ptr<ChatRoomListWindowController> controller;
    return controller;
}

} // namespace

bool ChatRoomListWindowController::isWindowExist() {
    return sharedInstance() != nullptr;
}

ChatRoomListWindowController& ChatRoomListWindowController::sharedChatRoomListWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<ChatRoomListWindowController>();
    return *shared;
}

void ChatRoomListWindowController::releaseSharedChatRoomListWindowController() {
    sharedInstance().reset();
}

ChatRoomListWindowController::ChatRoomListWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 360, 420),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask |
                                                   platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
}

ChatRoomListWindowController::~ChatRoomListWindowController() {
    _window->orderOut(nullptr);
}

void ChatRoomListWindowController::setAccount(std::shared_ptr<OVAccount> account) {
    _account = std::move(account);
    if (!_account)
        return;
    ++_queryCount;
    _window->setTitle(QXLS("msg.chatroomlist.title", "Chat Rooms") + " - " + _account->domain());
    _window->makeKeyAndOrderFront(nullptr);
}

void ChatRoomListWindowController::close() {
    _window->orderOut(nullptr);
}
