#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/kit/Alert.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {
class Window;
}

// Alerts and alert sheets with localised button titles, for the whole application. The
// component library's QXDialogs answers through these, so both show the same dialogs.
namespace OrvantaExtensions {

// The original's did-end selector on its modal delegate: the alert and the code of the button
// that ended it (1000 for the first, 1001 for the second; RunStoppedResponse when ended from
// outside). Whatever the handler captures must outlive the sheet, as the delegate had to.
using AlertDidEndHandler = std::function<void(platform::Alert& alert, int returnCode)>;
// The same with the context the sheet was begun with.
using AlertDidEndContextHandler =
    std::function<void(platform::Alert& alert, int returnCode, const platform::Value& context)>;

// "Yes" and "No", application-modal; true only when "Yes" ended it: "No", Escape, an aborted
// or stopped session all answer false.
bool dialogYesNo(const std::string& message, const std::string& info, platform::AlertStyle style);
// "OK", application-modal; the code of the button (or of how the session ended).
int dialogOK(const std::string& message, const std::string& info, platform::AlertStyle style);

// A sheet with the platform's single default button and no handler. Answers the alert, which
// is not shown when there is no window.
std::shared_ptr<platform::Alert> sheetOK(platform::Window* window, const std::string& message,
                                         const std::string& info, platform::AlertStyle style);
// "OK" then "Cancel" as a sheet that tells `didEnd` how it ended; answers the alert.
std::shared_ptr<platform::Alert> sheetOKCancel(platform::Window* window, AlertDidEndHandler didEnd,
                                               const std::string& message, const std::string& info,
                                               platform::AlertStyle style);
// "Yes" then "No" as a sheet that tells `didEnd` how it ended; answers the alert.
std::shared_ptr<platform::Alert> sheetYesNo(platform::Window* window, AlertDidEndHandler didEnd,
                                            const std::string& message, const std::string& info,
                                            platform::AlertStyle style);

// Begins the alert, as already set up, as a sheet on `window` on a later pass of the main run
// loop, and only while the loop runs in `mode`: a sheet asked for from inside a modal loop or
// a menu waits until the loop it belongs to runs again. The alert and the window are kept
// until then.
void beginSheetModalForWindow(const std::shared_ptr<platform::Alert>& alert,
                              std::shared_ptr<platform::Window> window,
                              AlertDidEndContextHandler didEnd, platform::Value contextInfo,
                              platform::RunLoopMode mode);

} // namespace OrvantaExtensions

// Carries a deferred sheet from the moment it is asked for to the run-loop pass that shows
// it; the posted task owns it, so it lives exactly until showAlert has run.
class AlertSheetPoster {
public:
    AlertSheetPoster(std::shared_ptr<platform::Alert> alert,
                     std::shared_ptr<platform::Window> window,
                     OrvantaExtensions::AlertDidEndContextHandler didEndSelector,
                     platform::Value contextInfo);

    const std::shared_ptr<platform::Alert>& alert() const { return alert_; }
    const std::shared_ptr<platform::Window>& window() const { return window_; }
    const platform::Value& contextInfo() const { return contextInfo_; }

    // Posts showAlert on the main run loop in `mode` only.
    static void post(std::shared_ptr<AlertSheetPoster> poster, platform::RunLoopMode mode);
    // Begins the sheet on the window with the handler and the context.
    void showAlert();

private:
    std::shared_ptr<platform::Alert> alert_;
    std::shared_ptr<platform::Window> window_;
    OrvantaExtensions::AlertDidEndContextHandler didEndSelector_;
    platform::Value contextInfo_;
};
