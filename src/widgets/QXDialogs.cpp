#include "widgets/QXDialogs.h"

#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

namespace {

std::shared_ptr<platform::Alert> makeAlert(const std::string& message, const std::string& info,
                                           platform::AlertStyle style) {
    auto alert = platform::Alert::alert();
    alert->setMessageText(message);
    alert->setInformativeText(info);
    alert->setAlertStyle(style);
    return alert;
}

} // namespace

bool QXDialogs::dialogYesNo(const std::string& message, const std::string& info,
                            platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.yes", "Yes"));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.no", "No"));
    return alert->runModal() == platform::AlertFirstButtonReturn;
}

int QXDialogs::dialogOK(const std::string& message, const std::string& info,
                        platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    return alert->runModal();
}

std::shared_ptr<platform::Alert> QXDialogs::sheetOK(platform::Window* window,
                                                    const std::string& message,
                                                    const std::string& info,
                                                    platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    if (window)
        alert->beginSheetModalForWindow(*window);
    return alert;
}

std::shared_ptr<platform::Alert> QXDialogs::sheetOKCancel(platform::Window* window,
                                                          DidEndHandler didEndSelector,
                                                          const std::string& message,
                                                          const std::string& info,
                                                          platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    if (window) {
        platform::Alert* raw = alert.get();
        alert->beginSheetModalForWindow(*window,
                                        [raw, didEnd = std::move(didEndSelector)](int code) {
                                            if (didEnd)
                                                didEnd(*raw, code);
                                        });
    }
    return alert;
}
