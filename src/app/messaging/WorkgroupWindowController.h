#pragma once

#include "engine/WorkgroupService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

class PhoneService;

// The workgroup window. It keeps the subscription to the workgroup server alive while it
// exists: made, it subscribes again; released, it stops the subscription. The server's news
// changes nothing in it yet.
class WorkgroupWindowController : public platform::Object, public OVWorkgroupServicePro {
public:
    // The miniaturised (then restored) or shown window's controller; otherwise the old one is
    // let go and a new one made.
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
    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<WorkgroupService> _workgroupService;
};
