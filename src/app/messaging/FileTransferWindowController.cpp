#include "app/messaging/FileTransferWindowController.h"

#include "app/core/AppController.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"

#include <cstdio>

namespace {

constexpr double windowWidth = 420;
constexpr double windowHeight = 280;
constexpr double buttonWidth = 92;

// Where the next transfer window goes; each new one moves it on.
platform::Point& cascadePoint() {
    static platform::Point point;
    return point;
}

std::shared_ptr<platform::Button> button(std::string title, std::string action,
                                         platform::ActionTarget* target) {
    auto made = platform::Button::buttonWithTitle(std::move(title), target, std::move(action),
                                                  platform::Rect(0, 12, buttonWidth, 28));
    made->setAutoresizingMask(platform::ViewMinXMargin);
    return made;
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    char text[32];
    const double kib = static_cast<double>(bytes) / 1024.0;
    if (kib < 1024)
        std::snprintf(text, sizeof text, "%.1f KB", kib);
    else
        std::snprintf(text, sizeof text, "%.1f MB", kib / 1024.0);
    return text;
}

} // namespace

FileTransferWindowController::FileTransferWindowController(
    std::shared_ptr<FileTransferRequest> request)
    : _request(std::move(request)),
      _window(platform::make<platform::Window>(
          platform::Rect(0, 0, windowWidth, windowHeight),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setMinSize(platform::Size(360, 220));
    buildWindow();
    _window->setDelegate(this);
    if (_request)
        _request->setDelegate(this);
    visualUpdate();
    cascadePoint() = _window->cascadeTopLeftFromPoint(cascadePoint());
    _window->orderFront(nullptr);
}

FileTransferWindowController::~FileTransferWindowController() {
    if (_request)
        _request->removeDelegate(this);
    if (auto panel = _folderPanel) {
        platform::WindowServer::shared().endSheet(*panel, platform::RunAbortedResponse);
        panel->orderOut(nullptr);
    }
    _fileTable->setDataSource(nullptr);
    for (const auto& b :
         {_acceptButton, _declineButton, _cancelButton, _openButton, _closeButton, _closeWhenDone})
        b->setTarget(nullptr);
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
}

void FileTransferWindowController::buildWindow() {
    auto* content = _window->contentView();
    _messageText = platform::TextField::labelWithString(
        "", platform::Rect(16, windowHeight - 44, windowWidth - 32, 32));
    _messageText->cell()->setWraps(true);
    _messageText->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);

    _fileTable = platform::make<platform::TableView>(platform::Rect(0, 0, windowWidth - 32, 140));
    _fileTable->addTableColumn(platform::TableColumn::readOnlyColumn(
        "name", QXLS("msg.file_transfer.column.name", "File"), windowWidth - 150));
    _fileTable->addTableColumn(platform::TableColumn::readOnlyColumn(
        "size", QXLS("msg.file_transfer.column.size", "Size"), 90));
    _fileTable->setDataSource(this);
    _scrollView = platform::make<platform::ScrollView>(
        platform::Rect(16, 104, windowWidth - 32, windowHeight - 156));
    _scrollView->setHasVerticalScroller(true);
    _scrollView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _scrollView->setDocumentView(_fileTable);

    _progress =
        platform::make<platform::ProgressIndicator>(platform::Rect(16, 80, windowWidth - 32, 14));
    _progress->setIndeterminate(false);
    _progress->setMinValue(0);
    _progress->setMaxValue(1);
    _progress->setAutoresizingMask(platform::ViewWidthSizable);

    _closeWhenDone = platform::make<platform::Button>(platform::Rect(16, 50, 260, 22));
    _closeWhenDone->setButtonType(platform::SwitchButton);
    _closeWhenDone->setTitle(
        QXLS("msg.file_transfer.close_when_done", "Close this window when done"));

    _acceptButton = button(QXLS("msg.file_transfer.button.accept", "Accept"), "save:", this);
    _declineButton = button(QXLS("msg.file_transfer.button.decline", "Decline"), "decline:", this);
    _cancelButton = button(QXLS("msg.file_transfer.button.cancel", "Cancel"), "cancel:", this);
    _openButton = button(QXLS("msg.file_transfer.button.open", "Show Files"), "open:", this);
    _closeButton = button(QXLS("msg.opt.dialog.button.close", "Close"), "closeWindow:", this);

    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _messageText, _scrollView, _progress, _closeWhenDone, _acceptButton, _declineButton,
             _cancelButton, _openButton, _closeButton})
        content->addSubview(view);
}

std::string FileTransferWindowController::title() const {
    if (!_request)
        return {};
    const std::string lead = _request->isIncoming()
                                 ? QXLS("msg.file_transfer.receive_title", "File transfer from: ")
                                 : QXLS("msg.file_transfer.send_title", "Send files to: ");
    return platform::formatString("%@ %@", lead, _request->remotePartDisplayName());
}

std::string FileTransferWindowController::messageText() const {
    return _messageText->stringValue();
}

void FileTransferWindowController::placeButtons(const std::vector<platform::Button*>& shown) {
    for (auto* b : {_acceptButton.get(), _declineButton.get(), _cancelButton.get(),
                    _openButton.get(), _closeButton.get()})
        b->setHidden(std::find(shown.begin(), shown.end(), b) == shown.end());
    // The first of them at the right edge, the others to its left.
    const double right = _window->contentView()->bounds().size.width - 16;
    double x = right;
    for (auto* b : shown) {
        x -= buttonWidth;
        b->setFrameOrigin(platform::Point(x, 12));
        x -= 8;
    }
}

void FileTransferWindowController::visualUpdate() {
    if (_closed)
        return;
    const int state = _request ? _request->state() : 0;
    const bool incoming = _request && _request->isIncoming();
    const std::string remote = _request ? _request->remotePartDisplayName() : std::string();
    if (state == FileTransferRequest::stateCompleted &&
        _closeWhenDone->state() == platform::OnState) {
        _window->close();
        return;
    }
    std::string message;
    bool alarming = false;
    std::vector<platform::Button*> shown;
    switch (state) {
    case FileTransferRequest::stateWaitingForRemote:
        message = QXLS("msg.file_transfer.negotiating", "Waiting for remote party to accept");
        shown = {_cancelButton.get()};
        break;
    case FileTransferRequest::stateWaitingForUser:
        message = platform::formatString(
            QXLS("msg.file_transfer.accepting", "Accept the following files from %@?"), remote);
        shown = {_acceptButton.get(), _declineButton.get()};
        break;
    case FileTransferRequest::stateTransferring:
        message = platform::formatString(
            "%@ %@",
            incoming ? QXLS("msg.file_transfer.receiving", "Receiving files from ")
                     : QXLS("msg.file_transfer.sending", "Sending files to "),
            remote);
        shown = {_cancelButton.get()};
        break;
    case FileTransferRequest::stateCompleted:
        message = incoming ? QXLS("msg.file_transfer.finished_receive",
                                  "You have received the following files")
                           : QXLS("msg.file_transfer.finished_send", "File transfer completed");
        shown = {_closeButton.get()};
        if (incoming)
            shown.push_back(_openButton.get());
        break;
    case FileTransferRequest::stateCancelled:
        message = QXLS("msg.file_transfer.cancelled", "The file transfer has been canceled");
        alarming = true;
        shown = {_closeButton.get()};
        break;
    case FileTransferRequest::stateFailed:
        message = QXLS("msg.file_transfer.failed", "Failed to transfer file");
        alarming = true;
        shown = {_closeButton.get()};
        break;
    default:
        shown = {_closeButton.get()};
        break;
    }
    if (alarming) {
        platform::TextAttributes red;
        red.foregroundColor = platform::Color::redColor();
        red.link = "";
        _messageText->setAttributedStringValue(platform::AttributedString(message, red));
    } else {
        _messageText->setStringValue(message);
    }
    placeButtons(shown);
    _window->setTitle(title());
    const bool moving = state == FileTransferRequest::stateTransferring ||
                        state == FileTransferRequest::stateCompleted;
    _progress->setHidden(!moving);
    _progress->setDoubleValue(_request ? _request->progress() : 0);
    _fileTable->reloadData();
}

void FileTransferWindowController::fileTransferStateChanged(
    const std::shared_ptr<FileTransferRequest>& /*request*/) {
    visualUpdate();
}

void FileTransferWindowController::totalProgressUpdated(
    const std::shared_ptr<FileTransferRequest>& /*request*/) {
    visualUpdate();
}

void FileTransferWindowController::decline(platform::Object* /*sender*/) {
    if (_request)
        _request->decline();
}

void FileTransferWindowController::cancel(platform::Object* /*sender*/) {
    if (_request)
        _request->cancel();
}

void FileTransferWindowController::open(platform::Object* /*sender*/) {
    if (!_savedPath.empty())
        OrvantaExtensions::openInFinder(_savedPath);
}

void FileTransferWindowController::closeWindow(platform::Object* /*sender*/) {
    _window->close();
}

bool FileTransferWindowController::windowShouldClose(platform::Window& /*sender*/) {
    const int state = _request ? _request->state() : 0;
    if (!_request || !_request->isActive())
        return true;
    std::weak_ptr<FileTransferWindowController> weak = weak_from_this();
    OrvantaExtensions::sheetYesNo(
        _window.get(),
        [weak, state](platform::Alert&, int returnCode) {
            auto self = weak.lock();
            if (!self || returnCode != platform::AlertFirstButtonReturn)
                return;
            if (self->_request) {
                if (state == FileTransferRequest::stateWaitingForUser)
                    self->_request->decline();
                else
                    self->_request->cancel();
            }
            // The sheet leaves first; then the window goes.
            platform::RunLoop::main().performAfterDelay(0, [weak] {
                if (auto controller = weak.lock())
                    controller->_window->close();
            });
        },
        QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
        QXLS("msg.opt.dialog.message.file_transfer_in_progress",
             "File transfer in progress. Do you want to cancel it now?"),
        platform::AlertStyle::Warning);
    return false;
}

void FileTransferWindowController::windowWillClose(platform::Window& /*window*/) {
    if (_closed)
        return;
    _closed = true;
    if (auto* sheet = _window->attachedSheet())
        platform::WindowServer::shared().endSheet(*sheet, platform::AlertSecondButtonReturn);
    auto request = _request;
    if (request) {
        if (AppController* controller = AppController::sharedAppController())
            controller->fileTransferCompleted(request);
        request->removeDelegate(this);
    }
    _request.reset();
}

long FileTransferWindowController::numberOfRowsInTableView(platform::TableView& /*tableView*/) {
    return _request ? static_cast<long>(_request->items().size()) : 0;
}

platform::Value FileTransferWindowController::tableViewObjectValueForTableColumn(
    platform::TableView& /*tableView*/, platform::TableColumn* column, long row) {
    if (!_request || !column || row < 0 || row >= static_cast<long>(_request->items().size()))
        return {};
    const auto& item = _request->items()[static_cast<std::size_t>(row)];
    if (column->identifier() == "size")
        return platform::Value(sizeText(item.size));
    return platform::Value(item.name);
}

bool FileTransferWindowController::respondsToAction(std::string_view action) const {
    return action == "save:" || action == "decline:" || action == "cancel:" || action == "open:" ||
           action == "closeWindow:";
}

bool FileTransferWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "save:")
        save(sender);
    else if (action == "decline:")
        decline(sender);
    else if (action == "cancel:")
        cancel(sender);
    else if (action == "open:")
        open(sender);
    else if (action == "closeWindow:")
        closeWindow(sender);
    else
        return false;
    return true;
}
