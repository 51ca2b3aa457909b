#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class DialpadViewController;
class PhoneStatusService;

// The floating dialpad: made on first use, it shows its pad when shown; closing it lets the
// shared controller go, so that the next use makes a fresh one.
class DialpadWindowController : public platform::Object {
public:
    static bool dialpadExist();
    // Made on first use.
    static DialpadWindowController& sharedController();
    static void releaseSharedController();

    bool isVisible() const { return visible_; }
    DialpadViewController* dialpad() const { return dialpad_.get(); }
    void showWindow(platform::Object* sender);
    void close();
    // The phone status the dialpad shows: the engine's phone status service.
    std::shared_ptr<PhoneStatusService> phoneStatusService() const;

private:
    bool visible_ = false;
    std::shared_ptr<DialpadViewController> dialpad_;
};
