#include "app/messaging/ChatRoomListWindowController.h"

#include "app/core/AppController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/messaging/IMWindowController.h"
#include "engine/AccountService.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/graphics/Font.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

namespace {

std::unique_ptr<ChatRoomListWindowController>& sharedInstance() {
    static std::unique_ptr<ChatRoomListWindowController> controller;
    return controller;
}

std::shared_ptr<platform::Button> button(const platform::Rect& frame, std::string title,
                                         std::string action, platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action), frame);
}

} // namespace

bool ChatRoomListWindowController::isWindowExist() {
    return sharedInstance() != nullptr;
}

ChatRoomListWindowController& ChatRoomListWindowController::sharedChatRoomListWindowController() {
    auto& shared = sharedInstance();
    if (shared && shared->_window->isMiniaturized()) {
        shared->_window->deminiaturize(nullptr);
        return *shared;
    }
    if (!shared || !shared->_window->isVisible()) {
        shared.reset();
        shared = std::make_unique<ChatRoomListWindowController>();
    }
    return *shared;
}

void ChatRoomListWindowController::releaseSharedChatRoomListWindowController() {
    sharedInstance().reset();
}

ChatRoomListWindowController::ChatRoomListWindowController()
    : _window(platform::make<platform::Window>(
          platform::Rect(0, 0, 420, 360),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.imchat.group_chat.window.title", "Chat Rooms"));
    buildWindow();
    _phoneService = StartupService::instance().phoneService();
    if (_phoneService) {
        _mucListService = _phoneService->getMUCListService();
        _mucListService->setDelegate(this);
        _listening = true;
    }
    _window->center();
}

ChatRoomListWindowController::~ChatRoomListWindowController() {
    stopListening();
    if (auto sheet = _errorSheet) {
        platform::WindowServer::shared().endSheet(*sheet, platform::RunAbortedResponse);
        sheet->orderOut(nullptr);
    }
    _itemsTableView->setDelegate(nullptr);
    _itemsTableView->setDataSource(nullptr);
    _window->orderOut(nullptr);
}

void ChatRoomListWindowController::buildWindow() {
    auto* content = _window->contentView();
    const auto size = content->bounds().size;
    _itemsTableView = platform::make<platform::TableView>(platform::Rect(0, 0, size.width, 300));
    _itemsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "name", QXLS("msg.imchat.group_chat.column.name", "Room"), 150));
    _itemsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "topic", QXLS("msg.imchat.group_chat.column.topic", "Topic"), 190));
    _itemsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "occupants", QXLS("msg.imchat.group_chat.column.occupants", "People"), 60));
    _itemsTableView->setDataSource(this);
    _itemsTableView->setDelegate(this);
    _itemsTableView->setDoubleAction("onJoinButtonPressed:");
    _itemsTableView->setTarget(this);
    _scrollView =
        platform::make<platform::ScrollView>(platform::Rect(0, 44, size.width, size.height - 44));
    _scrollView->setHasVerticalScroller(true);
    _scrollView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _scrollView->setDocumentView(_itemsTableView);
    content->addSubview(_scrollView);
    _joinChatRoomButton =
        button(platform::Rect(size.width - 100, 10, 90, 24),
               QXLS("msg.imchat.group_chat.join_button", "Join"), "onJoinButtonPressed:", this);
    _joinChatRoomButton->setAutoresizingMask(platform::ViewMinXMargin);
    _addToContactsButton = button(platform::Rect(size.width - 250, 10, 140, 24),
                                  QXLS("msg.imchat.group_chat.add_to_contacts", "Add to Contacts"),
                                  "onAddToContactsButtonPressed:", this);
    _addToContactsButton->setAutoresizingMask(platform::ViewMinXMargin);
    for (const auto& b : {_joinChatRoomButton, _addToContactsButton}) {
        b->setEnabled(false);
        content->addSubview(b);
    }
}

void ChatRoomListWindowController::stopListening() {
    if (_mucListService && _listening)
        _mucListService->removeDelegate(this);
    _listening = false;
}

void ChatRoomListWindowController::setAccount(std::shared_ptr<OVAccount> account) {
    _account = std::move(account);
    if (!_mucListService)
        return;
    // A window already shown lists the new account's rooms alone: it listens again and lets
    // the rooms of the last query go.
    _rooms.clear();
    _itemsTableView->reloadData();
    _mucListService->cancel(); // a query still running for the last account
    if (!_listening) {
        _mucListService->setDelegate(this);
        _listening = true;
    }
    if (_account)
        _window->setTitle(QXLS("msg.imchat.group_chat.window.title", "Chat Rooms") + " - " +
                          _account->domain());
    _mucListService->performQuery(_account);
}

void ChatRoomListWindowController::close() {
    _window->orderOut(nullptr);
}

void ChatRoomListWindowController::ovmlsItemsReturned(
    const std::vector<std::shared_ptr<OVMUCRoomItem>>& items) {
    _rooms.insert(_rooms.end(), items.begin(), items.end());
    _itemsTableView->reloadData();
}

void ChatRoomListWindowController::ovmlsQueryCompleted(int /*count*/) {
    stopListening();
    if (!_rooms.empty()) {
        _window->makeKeyAndOrderFront(nullptr);
        return;
    }
    AppController* app = AppController::sharedAppController();
    platform::Window* main = app ? app->mainWindow() : nullptr;
    if (!main) {
        close();
        return;
    }
    auto sheet = platform::make<platform::Panel>(
        platform::Rect(0, 0, 340, 110), platform::TitledWindowMask | platform::DocModalWindowMask);
    sheet->setTitle(QXLS("msg.imchat.group_chat.window.title", "Chat Rooms"));
    sheet->setReleasedWhenClosed(false);
    _errorTextField = platform::make<platform::TextField>(platform::Rect(20, 50, 300, 40));
    _errorTextField->setEditable(false);
    _errorTextField->setBezeled(false);
    _errorTextField->setDrawsBackground(false);
    _errorTextField->setStringValue(
        QXLS("msg.imchat.group_chat.no_chatrooms_found", "No chat rooms found on server"));
    sheet->contentView()->addSubview(_errorTextField);
    sheet->contentView()->addSubview(button(platform::Rect(240, 12, 80, 24),
                                            QXLS("msg.opt.dialog.button.ok", "OK"),
                                            "onDismissErrorSheet:", this));
    _errorSheet = sheet;
    platform::WindowServer::shared().beginSheet(*sheet, *main, [this](int /*returnCode*/) {
        // errorSheetDidEnd: the sheet goes, and the list window with it.
        if (_errorSheet)
            _errorSheet->orderOut(nullptr);
        _errorSheet.reset();
        close();
    });
}

void ChatRoomListWindowController::ovmlsCancelled() {
    stopListening();
}

void ChatRoomListWindowController::onDismissErrorSheet() {
    if (auto sheet = _errorSheet)
        platform::WindowServer::shared().endSheet(*sheet, 0);
}

void ChatRoomListWindowController::onJoinButtonPressed() {
    const auto& selection = _itemsTableView->selectedRowIndexes();
    if (selection.empty())
        return;
    const long row = *selection.begin();
    if (row < 0 || row >= static_cast<long>(_rooms.size()))
        return;
    const std::string roomID = _rooms[static_cast<std::size_t>(row)]->roomID();
    AppController* app = AppController::sharedAppController();
    if (IMWindowController* open =
            app ? app->lookupIMWindowControllerByGroupChatId(roomID) : nullptr) {
        open->window()->makeKeyAndOrderFront(nullptr);
    } else if (_phoneService) {
        // The kept account, if it is still an enabled XMPP account of the session.
        for (const auto& account : _phoneService->getAccountService()->accounts()) {
            if (account->protocol() == OVAccount::XMPPprotocol &&
                account->status() == OVAccount::statusEnabled &&
                account->isEqualToInterface(_account)) {
                _phoneService->getIMService()->openGroupSession(roomID);
                break;
            }
        }
    }
    close();
}

long ChatRoomListWindowController::numberOfRowsInTableView(platform::TableView& /*tableView*/) {
    return static_cast<long>(_rooms.size());
}

platform::Value ChatRoomListWindowController::tableViewObjectValueForTableColumn(
    platform::TableView& /*tableView*/, platform::TableColumn* column, long row) {
    if (!column || row < 0 || row >= static_cast<long>(_rooms.size()))
        return {};
    const auto& room = *_rooms[static_cast<std::size_t>(row)];
    if (column->identifier() == "topic")
        return platform::Value(room.topic());
    if (column->identifier() == "occupants")
        return platform::Value(std::to_string(room.occupants()));
    return platform::Value(room.name());
}

void ChatRoomListWindowController::tableViewSelectionDidChange(
    const platform::Notification& /*notification*/) {
    const bool selected = _itemsTableView->numberOfSelectedRows() > 0;
    _joinChatRoomButton->setEnabled(selected);
    _addToContactsButton->setEnabled(selected);
}

bool ChatRoomListWindowController::respondsToAction(std::string_view action) const {
    return action == "onJoinButtonPressed:" || action == "onAddToContactsButtonPressed:" ||
           action == "onDismissErrorSheet:";
}

bool ChatRoomListWindowController::tryToPerform(std::string_view action, platform::Object*) {
    if (action == "onJoinButtonPressed:")
        onJoinButtonPressed();
    else if (action == "onDismissErrorSheet:")
        onDismissErrorSheet();
    else if (action != "onAddToContactsButtonPressed:") // adding a room has no behaviour yet
        return false;
    return true;
}
