#include "app/troubleshooting/FeedbackWindowController.h"

#include "support/Localization.h"

namespace {

std::unique_ptr<FeedbackWindowController>& sharedInstance() {
    static std::unique_ptr<FeedbackWindowController> controller;
    return controller;
}

} // namespace

FeedbackWindowController& FeedbackWindowController::sharedFeedbackWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<FeedbackWindowController>();
    return *shared;
}

bool FeedbackWindowController::sharedFeedbackWindowControllerExists() {
    return sharedInstance() != nullptr;
}

void FeedbackWindowController::releaseSharedFeedbackWindowController() {
    sharedInstance().reset();
}

FeedbackWindowController::FeedbackWindowController()
    : _window(platform::make<platform::Window>(platform::Rect(0, 0, 420, 320),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.feedback.title", "Send Feedback"));
}

FeedbackWindowController::~FeedbackWindowController() {
    _window->orderOut(nullptr);
}

void FeedbackWindowController::showFeedbackWindow() {
    _window->center();
    _window->makeKeyAndOrderFront(nullptr);
}
