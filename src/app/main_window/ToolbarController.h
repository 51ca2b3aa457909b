#pragma once

#include "platform/foundation/Object.h"

// The main window's toolbar strip. Only what the application core calls of it so far; its
// buttons come with the main window.
class ToolbarController : public platform::Object {
public:
    static ToolbarController& sharedController();
    static void releaseSharedController();

    // Recomputes every toolbar button's visibility, state and badge.
    void updateToolbar();
    int updateCount() const { return updateCount_; }

private:
    int updateCount_ = 0;
};
