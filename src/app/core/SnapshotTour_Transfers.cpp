#include "app/core/AppController.h"
#include "app/core/SnapshotTour.h"
#include "app/messaging/FileTransferWindowController.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "engine/Scenario.h"
#include "platform/kit/TableView.h"

namespace {

platform::TimeInterval now() {
    return platform::RunLoop::main().now();
}

} // namespace

void SnapshotTour::startFileTransfer() {
    Scenario().fileTransferOffered("dave@chat.lumiq.example", "Dave Dunn",
                                   {"holiday-photos.zip", "minutes 2026-12-10.txt", "../plan.pdf"});
    _stage = Stage::waitForFileTransfer;
    _stepStarted = now();
}

bool SnapshotTour::pollFileTransfer() {
    AppController* controller = AppController::sharedAppController();
    FileTransferWindowController* transfer = nullptr;
    for (const auto& object : controller ? controller->fileTransferRequests()
                                         : std::vector<std::shared_ptr<platform::Object>>{})
        if (auto* window = dynamic_cast<FileTransferWindowController*>(object.get()))
            transfer = window;
    if (!transfer || !transfer->request() || !transfer->window()->isVisible() ||
        transfer->fileTable()->numberOfRows() != 3)
        return false;
    if (!snapshot(*transfer->window(), "file-transfer"))
        return true;
    transfer->request()->decline();
    transfer->closeWindow(nullptr);
    Scenario().presenceRequest("gina@chat.lumiq.example", "Gina Green",
                               "Hi, it's Gina from the conference. Add me?", "Alice (Chat)");
    _stage = Stage::waitForPresenceRequest;
    _stepStarted = now();
    return true;
}

bool SnapshotTour::pollPresenceRequest() {
    if (!PresenceRequestWindowController::sharedPresenceRequestWindowControllerExists())
        return false;
    auto& requests = PresenceRequestWindowController::sharedPresenceRequestWindowController();
    if (!requests.request() || !requests.window()->isVisible())
        return false;
    if (!snapshot(*requests.window(), "presence-request"))
        return true;
    requests.ignore(nullptr);
    startVideoCall();
    return true;
}
