#include "platform/screen/X11ErrorHandler.h"

#include "platform/foundation/Log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

// Xlib last: its macros (None, Bool, Status) must not reach the other headers.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace platform {

namespace {

XErrorHandler previousHandler = nullptr;
std::atomic<std::uint64_t> ignored{0};

// Errors that only say the window or drawable named in the request has gone: the request
// crossed its destruction and there is nothing left to act on. A focus request on a window
// that was just unmapped fails the same way with BadMatch.
bool concernsAGoneWindow(const XErrorEvent& event) {
    if (event.error_code == BadWindow || event.error_code == BadDrawable)
        return true;
    return event.error_code == BadMatch && event.request_code == X_SetInputFocus;
}

std::string describe(Display* display, const XErrorEvent& event) {
    char text[160] = {};
    XGetErrorText(display, event.error_code, text, sizeof text);
    char line[320];
    std::snprintf(line, sizeof line, "%s (error %d, request %d.%d, resource 0x%lx)", text,
                  static_cast<int>(event.error_code), static_cast<int>(event.request_code),
                  static_cast<int>(event.minor_code), event.resourceid);
    return line;
}

int onError(Display* display, XErrorEvent* event) {
    if (event && concernsAGoneWindow(*event)) {
        ++ignored;
        Log("X error on a window that no longer exists, ignored: " + describe(display, *event));
        return 0;
    }
    if (event)
        Log("X error: " + describe(display, *event));
    return previousHandler ? previousHandler(display, event) : 0;
}

[[noreturn]] int onConnectionLost(Display* /*display*/) {
    // Destructors would talk to the dead connection (and Xlib may not be called again), so
    // the process ends here with a failure status, as Xlib's own handler would.
    Log("FATAL ERROR: the connection to the X display was lost");
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

void X11ErrorHandler::install() {
    // SDL puts back the handler it found when its video ends and installs its own again when
    // it starts: ours goes on top of whatever is there now, each time.
    const XErrorHandler current = XSetErrorHandler(onError);
    if (current != onError)
        previousHandler = current;
    XSetIOErrorHandler(onConnectionLost);
}

bool X11ErrorHandler::isInstalled() {
    const XErrorHandler current = XSetErrorHandler(onError);
    XSetErrorHandler(current);
    return current == onError;
}

std::uint64_t X11ErrorHandler::ignoredErrorCount() {
    return ignored.load();
}

} // namespace platform
