#include "widgets/QXDialogs.h"

#include <utility>

bool QXDialogs::dialogYesNo(const std::string& message, const std::string& info,
                            platform::AlertStyle style) {
    return OrvantaExtensions::dialogYesNo(message, info, style);
}

int QXDialogs::dialogOK(const std::string& message, const std::string& info,
                        platform::AlertStyle style) {
    return OrvantaExtensions::dialogOK(message, info, style);
}

std::shared_ptr<platform::Alert> QXDialogs::sheetOK(platform::Window* window,
                                                    const std::string& message,
                                                    const std::string& info,
                                                    platform::AlertStyle style) {
    return OrvantaExtensions::sheetOK(window, message, info, style);
}

std::shared_ptr<platform::Alert> QXDialogs::sheetOKCancel(platform::Window* window,
                                                          DidEndHandler didEndSelector,
                                                          const std::string& message,
                                                          const std::string& info,
                                                          platform::AlertStyle style) {
    return OrvantaExtensions::sheetOKCancel(window, std::move(didEndSelector), message, info,
                                            style);
}
