#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The message archive window. So far the window itself: the archive's lists come with the
// messaging windows.
class IMArchiveWindowController : public platform::Object {
public:
    // Made on first use.
    static IMArchiveWindowController& sharedIMArchiveWindowController();
    static bool sharedIMArchiveWindowControllerExists();
    // Closes the window when it exists and lets the shared controller go.
    static void close();

    IMArchiveWindowController();
    ~IMArchiveWindowController() override;
    IMArchiveWindowController(const IMArchiveWindowController&) = delete;
    IMArchiveWindowController& operator=(const IMArchiveWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    void showWindow(platform::Object* sender);

private:
    std::shared_ptr<platform::Window> _window;
};
