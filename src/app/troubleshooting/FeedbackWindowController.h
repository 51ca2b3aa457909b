#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The window in which the user writes feedback about the product. So far the window itself:
// its form comes with the troubleshooting windows.
class FeedbackWindowController : public platform::Object {
public:
    // Made on first use.
    static FeedbackWindowController& sharedFeedbackWindowController();
    static bool sharedFeedbackWindowControllerExists();
    static void releaseSharedFeedbackWindowController();

    FeedbackWindowController();
    ~FeedbackWindowController() override;
    FeedbackWindowController(const FeedbackWindowController&) = delete;
    FeedbackWindowController& operator=(const FeedbackWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    // Centres the window on the screen and brings it to the front.
    void showFeedbackWindow();

private:
    std::shared_ptr<platform::Window> _window;
};
