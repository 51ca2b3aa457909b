#pragma once

#include "engine/MUCListService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TableView.h"
#include "platform/kit/Window.h"

#include <memory>
#include <vector>

class OVAccount;
class PhoneService;

namespace platform {
class Button;
class ScrollView;
class TextField;
} // namespace platform

// The chat rooms of an XMPP account's server, to join one. Each account handed over starts a
// query; the window shows once the rooms are in, or a sheet on the main window says there are
// none. A window still shown takes the next account's query: it listens again and shows that
// server's rooms alone.
class ChatRoomListWindowController : public platform::Object,
                                     public OVMUCListServicePro,
                                     public platform::TableViewDataSource,
                                     public platform::TableViewDelegate,
                                     public platform::ActionTarget {
public:
    static bool isWindowExist();
    // The shown (or miniaturised, then restored) window's controller, else a new one.
    static ChatRoomListWindowController& sharedChatRoomListWindowController();
    static void releaseSharedChatRoomListWindowController();

    ChatRoomListWindowController();
    ~ChatRoomListWindowController() override;
    ChatRoomListWindowController(const ChatRoomListWindowController&) = delete;
    ChatRoomListWindowController& operator=(const ChatRoomListWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // Keeps the account (replacing the one before) and queries its rooms.
    void setAccount(std::shared_ptr<OVAccount> account);
    const std::shared_ptr<OVAccount>& account() const { return _account; }
    const std::vector<std::shared_ptr<OVMUCRoomItem>>& rooms() const { return _rooms; }
    platform::TableView& itemsTableView() const { return *_itemsTableView; }
    platform::Button& joinChatRoomButton() const { return *_joinChatRoomButton; }
    platform::Button& addToContactsButton() const { return *_addToContactsButton; }
    // The no-rooms sheet while it shows.
    platform::Window* errorSheet() const { return _errorSheet.get(); }
    void close();

    // Joins the first selected room, or brings its open chat forward; then closes.
    void onJoinButtonPressed();
    void onDismissErrorSheet();

    void ovmlsItemsReturned(const std::vector<std::shared_ptr<OVMUCRoomItem>>& items) override;
    void ovmlsQueryCompleted(int count) override;
    void ovmlsCancelled() override;

    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;
    void tableViewSelectionDidChange(const platform::Notification& notification) override;
    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;

private:
    void buildWindow();
    void stopListening();

    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<MUCListService> _mucListService;
    std::shared_ptr<OVAccount> _account;
    std::vector<std::shared_ptr<OVMUCRoomItem>> _rooms;
    bool _listening = false;
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::ScrollView> _scrollView;
    std::shared_ptr<platform::TableView> _itemsTableView;
    std::shared_ptr<platform::Button> _joinChatRoomButton;
    std::shared_ptr<platform::Button> _addToContactsButton;
    std::shared_ptr<platform::Window> _errorSheet;
    std::shared_ptr<platform::TextField> _errorTextField;
};
