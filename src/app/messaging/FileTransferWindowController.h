#pragma once

#include "engine/FileTransferService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The window of one file transfer, offered by another party or to one. It listens to the
// request and, when the transfer has ended, tells the application controller
// (fileTransferCompleted), which lets it go. So far the window and cancelling; the file list
// and progress come with the messaging windows.
class FileTransferWindowController : public platform::Object, public FileTransferRequestPro {
public:
    // The original's initWithFileTransferRequest:: the controller becomes the request's
    // delegate.
    explicit FileTransferWindowController(std::shared_ptr<FileTransferRequest> request);
    ~FileTransferWindowController() override;
    FileTransferWindowController(const FileTransferWindowController&) = delete;
    FileTransferWindowController& operator=(const FileTransferWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    const std::shared_ptr<FileTransferRequest>& request() const { return _request; }
    // Cancels the transfer; its end is reported as any other.
    void cancel(platform::Object* sender);

    void fileTransferStateChanged(const std::shared_ptr<FileTransferRequest>& request) override;

private:
    std::shared_ptr<FileTransferRequest> _request;
    std::shared_ptr<platform::Window> _window;
    bool _completed = false;
};
