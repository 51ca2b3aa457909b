#pragma once

#include "platform/kit/Alert.h"
#include "support/AlertExtensions.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {
class Window;
}

// Modal alerts and alert sheets with localised button titles. They are the application's own
// alert helpers (support/AlertExtensions.h), so both show the same dialogs.
class QXDialogs {
public:
    // The original's did-end selector: the alert and the button's code.
    using DidEndHandler = OrvantaExtensions::AlertDidEndHandler;

    // "Yes" and "No"; true only when the first button ended it.
    static bool dialogYesNo(const std::string& message, const std::string& info,
                            platform::AlertStyle style);
    // "OK"; the code of the button.
    static int dialogOK(const std::string& message, const std::string& info,
                        platform::AlertStyle style);
    // A sheet with the platform's single default button and no end handler; answers the alert
    // (not shown when there is no window).
    static std::shared_ptr<platform::Alert> sheetOK(platform::Window* window,
                                                    const std::string& message,
                                                    const std::string& info,
                                                    platform::AlertStyle style);
    // A sheet with "OK" and "Cancel" that tells `didEndSelector` how it ended (1000 for OK,
    // 1001 for Cancel); answers the alert.
    static std::shared_ptr<platform::Alert>
    sheetOKCancel(platform::Window* window, DidEndHandler didEndSelector,
                  const std::string& message, const std::string& info, platform::AlertStyle style);
};
