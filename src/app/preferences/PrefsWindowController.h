#pragma once

#include "widgets/QXPrefWindowController.h"

#include <string>
#include <string_view>

// The preferences window: a pane window whose panes the feature switches choose. Only the
// frame of it so far: the panes are placeholders until the preference panes are built, but
// the window opens, switches to a pane by its identifier and is closed and released at
// shutdown as the rest of the program expects.
class PrefsWindowController : public QXPrefWindowController {
public:
    // The shared controller, made on first use (spelled so by its callers).
    static PrefsWindowController& sharedPreferncesWindowController();
    static bool sharedControllerExists();
    // Closes the window and lets the shared controller go.
    static void releaseSharedController();

    static std::string_view nibName() { return QXPrefWindowController::nibName(); }
    std::string windowNibName() const override { return std::string(nibName()); }

    // Horizontal resizing on; the panes, each when its feature switch allows it.
    void setupToolbar() override;
    void close();
};
