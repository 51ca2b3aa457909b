#include "platform/screen/ScreenSelection.h"

#include "platform/foundation/Log.h"
#include "platform/screen/HeadlessScreen.h"
#include "platform/screen/SdlScreenBackend.h"

#include <cstdlib>
#include <string>

namespace platform {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool displayNamedInEnvironment() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

ScreenBackend& installScreenBackend(bool headless) {
    if (!headless && displayNamedInEnvironment()) {
        std::string error;
        if (auto backend = SdlScreenBackend::create(&error)) {
            ScreenBackend& ref = *backend;
            setScreenBackend(std::move(backend));
            return ref;
        }
        Log("No window can be opened on the display (" + error + "); running headless");
    }
    return HeadlessScreen::install();
}

} // namespace platform
