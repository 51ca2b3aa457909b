#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class DialpadViewController;
class PhoneStatusService;
class QXAttachWindow;

// The floating dialpad: a small window of its own docked beside the main window (the brand's
// "Dialpad" section says on which side and how far), which slides out from behind it when
// shown and follows it while out. Made on first use; closing it undocks the window and lets
// the shared controller go, so that the next use makes a fresh one.
class DialpadWindowController : public platform::Object {
public:
    DialpadWindowController();
    ~DialpadWindowController() override;
    DialpadWindowController(const DialpadWindowController&) = delete;
    DialpadWindowController& operator=(const DialpadWindowController&) = delete;

    static bool dialpadExist();
    // Made on first use.
    static DialpadWindowController& sharedController();
    static void releaseSharedController();

    QXAttachWindow* window() const { return _myWindow.get(); }
    DialpadViewController* dialpad() const { return _dialpad.get(); }
    // Whether the docked window is out beside the main window.
    bool isVisible() const;
    void showWindow(platform::Object* sender);
    void close();
    // The phone status the dialpad shows: the engine's phone status service.
    std::shared_ptr<PhoneStatusService> phoneStatusService() const { return _phoneStatusService; }

private:
    void awakeFromNib();

    std::shared_ptr<QXAttachWindow> _myWindow;
    std::shared_ptr<DialpadViewController> _dialpad;
    std::shared_ptr<PhoneStatusService> _phoneStatusService;
};
