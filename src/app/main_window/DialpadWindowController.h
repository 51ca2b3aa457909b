#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class PhoneStatusService;

// The floating dialpad window. Only what the application core calls of it so far: whether it
// exists, and showing, closing and asking whether it is visible.
class DialpadWindowController : public platform::Object {
public:
    static bool dialpadExist();
    // Made on first use.
    static DialpadWindowController& sharedController();
    static void releaseSharedController();

    bool isVisible() const { return visible_; }
    void showWindow(platform::Object* sender);
    void close();
    // The phone status the dialpad shows: the engine's phone status service.
    std::shared_ptr<PhoneStatusService> phoneStatusService() const;

private:
    bool visible_ = false;
};
