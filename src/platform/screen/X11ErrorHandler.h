#pragma once

#include <cstdint>

namespace platform {

// The program's own X error handlers, installed over SDL's once its video has started.
// An error about a window or drawable that no longer exists (a request that crossed the
// window's destruction, such as a wake-up sent to a menu just closed) is logged and the
// program goes on; any other error goes to the handler that was there before (SDL's, which
// ends the process as Xlib's default does). Losing the display connection is logged and ends
// the process at once, without running destructors that would talk to the dead connection.
class X11ErrorHandler {
public:
    // Installs the handlers over the ones in place (SDL's), once its video has started.
    static void install();
    // Whether ours is the error handler in place.
    static bool isInstalled();
    // How many errors were logged and let go since the start (for tests and diagnostics).
    static std::uint64_t ignoredErrorCount();
};

} // namespace platform
