#pragma once

#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The workgroup window. So far the window itself; its content comes with the messaging
// windows.
class WorkgroupWindowController : public platform::Object {
public:
    // Made on first use.
    static WorkgroupWindowController& sharedController();
    static void releaseSharedController();

    WorkgroupWindowController();
    ~WorkgroupWindowController() override;
    WorkgroupWindowController(const WorkgroupWindowController&) = delete;
    WorkgroupWindowController& operator=(const WorkgroupWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    void showWindow(platform::Object* sender);

private:
    std::shared_ptr<platform::Window> _window;
};
