#include "app/messaging/FileTransferWindowController.h"

#include "app/core/AppController.h"

FileTransferWindowController::FileTransferWindowController(
    std::shared_ptr<FileTransferRequest> request)
    : _request(std::move(request)),
      _window(platform::make<platform::Window>(platform::Rect(0, 0, 360, 120),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask |
                                                   platform::MiniaturizableWindowMask)) {
    if (_request) {
        _request->setDelegate(this);
        const auto& name = _request->remotePartDisplayName();
        _window->setTitle(name.empty() ? _request->remoteAddress() : name);
    }
    _window->orderFront(nullptr);
}

FileTransferWindowController::~FileTransferWindowController() {
    if (_request) {
        _request->removeDelegate(this);
    }
    _window->orderOut(nullptr);
}

void FileTransferWindowController::cancel(platform::Object* /*sender*/) {
    if (_request) {
        _request->cancel();
    }
}

void FileTransferWindowController::fileTransferStateChanged(
    const std::shared_ptr<FileTransferRequest>& request) {
    if (_completed || !request || request->isActive()) {
        return;
    }
    _completed = true;
    if (AppController* controller = AppController::sharedAppController()) {
        controller->fileTransferCompleted(request);
    }
}
