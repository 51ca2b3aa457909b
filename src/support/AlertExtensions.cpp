#include "support/AlertExtensions.h"

#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

#include <utility>
#include <vector>

namespace OrvantaExtensions {

namespace {

std::shared_ptr<platform::Alert> makeAlert(const std::string& message, const std::string& info,
                                           platform::AlertStyle style) {
    auto alert = platform::Alert::alert();
    alert->setMessageText(message);
    alert->setInformativeText(info);
    alert->setAlertStyle(style);
    return alert;
}

std::string yesTitle() {
    return QXLS("msg.opt.dialog.button.yes", "Yes");
}
std::string noTitle() {
    return QXLS("msg.opt.dialog.button.no", "No");
}
std::string okTitle() {
    return QXLS("msg.opt.dialog.button.ok", "OK");
}
std::string cancelTitle() {
    return QXLS("msg.opt.dialog.button.cancel", "Cancel");
}

void beginSheet(platform::Alert& alert, platform::Window* window, AlertDidEndHandler didEnd) {
    if (!window)
        return;
    // The sheet keeps the alert alive until its completion has run, so a plain pointer is safe.
    platform::Alert* raw = &alert;
    alert.beginSheetModalForWindow(*window, [raw, didEnd = std::move(didEnd)](int code) {
        if (didEnd)
            didEnd(*raw, code);
    });
}

std::shared_ptr<platform::Alert> twoButtonSheet(platform::Window* window, AlertDidEndHandler didEnd,
                                                const std::string& message, const std::string& info,
                                                platform::AlertStyle style, std::string first,
                                                std::string second) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(std::move(first));
    alert->addButtonWithTitle(std::move(second));
    beginSheet(*alert, window, std::move(didEnd));
    return alert;
}

} // namespace

bool dialogYesNo(const std::string& message, const std::string& info, platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(yesTitle());
    alert->addButtonWithTitle(noTitle());
    return alert->runModal() == platform::AlertFirstButtonReturn;
}

int dialogOK(const std::string& message, const std::string& info, platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    alert->addButtonWithTitle(okTitle());
    return alert->runModal();
}

std::shared_ptr<platform::Alert> sheetOK(platform::Window* window, const std::string& message,
                                         const std::string& info, platform::AlertStyle style) {
    auto alert = makeAlert(message, info, style);
    beginSheet(*alert, window, {});
    return alert;
}

std::shared_ptr<platform::Alert> sheetOKCancel(platform::Window* window, AlertDidEndHandler didEnd,
                                               const std::string& message, const std::string& info,
                                               platform::AlertStyle style) {
    return twoButtonSheet(window, std::move(didEnd), message, info, style, okTitle(),
                          cancelTitle());
}

std::shared_ptr<platform::Alert> sheetYesNo(platform::Window* window, AlertDidEndHandler didEnd,
                                            const std::string& message, const std::string& info,
                                            platform::AlertStyle style) {
    return twoButtonSheet(window, std::move(didEnd), message, info, style, yesTitle(), noTitle());
}

void beginSheetModalForWindow(const std::shared_ptr<platform::Alert>& alert,
                              std::shared_ptr<platform::Window> window,
                              AlertDidEndContextHandler didEnd, platform::Value contextInfo,
                              platform::RunLoopMode mode) {
    if (!alert || !window)
        return;
    AlertSheetPoster::post(std::make_shared<AlertSheetPoster>(
                               alert, std::move(window), std::move(didEnd), std::move(contextInfo)),
                           mode);
}

} // namespace OrvantaExtensions

AlertSheetPoster::AlertSheetPoster(std::shared_ptr<platform::Alert> alert,
                                   std::shared_ptr<platform::Window> window,
                                   OrvantaExtensions::AlertDidEndContextHandler didEndSelector,
                                   platform::Value contextInfo)
    : alert_(std::move(alert)), window_(std::move(window)),
      didEndSelector_(std::move(didEndSelector)), contextInfo_(std::move(contextInfo)) {}

void AlertSheetPoster::post(std::shared_ptr<AlertSheetPoster> poster, platform::RunLoopMode mode) {
    if (!poster)
        return;
    platform::RunLoop::main().performInModes([poster = std::move(poster)] { poster->showAlert(); },
                                             std::vector<std::string>{std::string(mode)});
}

void AlertSheetPoster::showAlert() {
    if (!alert_ || !window_)
        return;
    platform::Alert* raw = alert_.get();
    alert_->beginSheetModalForWindow(
        *window_, [raw, didEnd = didEndSelector_, context = contextInfo_](int code) {
            if (didEnd)
                didEnd(*raw, code, context);
        });
}
