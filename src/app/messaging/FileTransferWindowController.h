#pragma once

#include "engine/FileTransferService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Control.h"
#include "platform/kit/TableView.h"
#include "platform/kit/Window.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Button;
class OpenPanel;
class ProgressIndicator;
class ScrollView;
class TextField;
} // namespace platform

// The window of one file transfer, offered by another party or to one: the files, the state
// in words and the buttons that fit it (accept or decline an offer, cancel a running transfer,
// show the received files, close). It follows the request and, when it closes, tells the
// application controller (fileTransferCompleted), which lets it go.
//
// Accepting asks for a folder, starting in the transfer folder of the settings (the user's
// download folder unless set). A read-only folder is refused. When files of the offered names
// are already there, the user confirms each of them before anything happens; a single "No"
// goes back to the folder choice with every file left alone. Confirmed files are replaced only
// once the transfer is complete.
class FileTransferWindowController
    : public platform::Object,
      public FileTransferRequestPro,
      public platform::WindowDelegate,
      public platform::ActionTarget,
      public platform::TableViewDataSource,
      public std::enable_shared_from_this<FileTransferWindowController> {
public:
    // Becomes the request's delegate and shows the window, each one cascading from the last.
    explicit FileTransferWindowController(std::shared_ptr<FileTransferRequest> request);
    ~FileTransferWindowController() override;
    FileTransferWindowController(const FileTransferWindowController&) = delete;
    FileTransferWindowController& operator=(const FileTransferWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // nullptr once the window has closed.
    const std::shared_ptr<FileTransferRequest>& request() const { return _request; }

    // The buttons' actions. save: asks for the folder and accepts the offer into it.
    void save(platform::Object* sender);
    void decline(platform::Object* sender);
    void cancel(platform::Object* sender);
    // Shows the folder the files were saved into in the desktop's file manager.
    void open(platform::Object* sender);
    void closeWindow(platform::Object* sender);
    // Redraws the window for the request's state.
    void visualUpdate();

    // The folder a chooser starts in: the "fileTransferLocation" setting, or the user's
    // download folder when it is empty or "%USER_HOME_FOLDER%" (in any case); made when
    // missing.
    static std::filesystem::path transferFolder();

    // What the window shows.
    std::string messageText() const;
    platform::TextField* messageField() const { return _messageText.get(); }
    platform::Button* acceptButton() const { return _acceptButton.get(); }
    platform::Button* declineButton() const { return _declineButton.get(); }
    platform::Button* cancelButton() const { return _cancelButton.get(); }
    platform::Button* openButton() const { return _openButton.get(); }
    platform::Button* closeButton() const { return _closeButton.get(); }
    platform::Button* closeWhenDoneCheckBox() const { return _closeWhenDone.get(); }
    platform::TableView* fileTable() const { return _fileTable.get(); }
    platform::ProgressIndicator* progressIndicator() const { return _progress.get(); }
    // The folder chosen for received files ("" until one was chosen).
    const std::string& savedPath() const { return _savedPath; }
    // The folder chooser while it is up.
    platform::OpenPanel* folderPanel() const { return _folderPanel.get(); }

    void fileTransferStateChanged(const std::shared_ptr<FileTransferRequest>& request) override;
    void totalProgressUpdated(const std::shared_ptr<FileTransferRequest>& request) override;

    bool windowShouldClose(platform::Window& sender) override;
    void windowWillClose(platform::Window& window) override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    long numberOfRowsInTableView(platform::TableView& tableView) override;
    platform::Value tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn* column,
                                                       long row) override;

private:
    void buildWindow();
    void placeButtons(const std::vector<platform::Button*>& shown);
    std::string title() const;
    // Accepting, step by step.
    void chooseFolder(const std::filesystem::path& start);
    void folderChosen(const std::filesystem::path& folder);
    // The offered files already present in the folder, by their names there.
    std::vector<std::string> clashesIn(const std::filesystem::path& folder) const;

    std::shared_ptr<FileTransferRequest> _request;
    std::shared_ptr<platform::Window> _window;
    std::shared_ptr<platform::TextField> _messageText;
    std::shared_ptr<platform::ScrollView> _scrollView;
    std::shared_ptr<platform::TableView> _fileTable;
    std::shared_ptr<platform::ProgressIndicator> _progress;
    std::shared_ptr<platform::Button> _closeWhenDone;
    std::shared_ptr<platform::Button> _acceptButton;
    std::shared_ptr<platform::Button> _declineButton;
    std::shared_ptr<platform::Button> _cancelButton;
    std::shared_ptr<platform::Button> _openButton;
    std::shared_ptr<platform::Button> _closeButton;
    std::shared_ptr<platform::OpenPanel> _folderPanel;
    std::string _savedPath;
    bool _closed = false;
};
