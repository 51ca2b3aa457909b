#include "platform/kit/Screen.h"

#include "platform/kit/ScreenBackend.h"

#include <algorithm>
#include <memory>

namespace platform {

namespace {

// Without a backend the kit behaves as on the headless screen: one 1440 x 900 display with a
// 22-point strip at the top kept free, as a menu bar would.
std::vector<ScreenDescription> defaultScreens() {
    return {{Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 878), 1.0}};
}

std::vector<std::unique_ptr<Screen>>& screenList() {
    static std::vector<std::unique_ptr<Screen>> list;
    return list;
}

void loadScreens() {
    auto descriptions = screenBackend() ? screenBackend()->screens() : defaultScreens();
    auto& list = screenList();
    // Screens are updated in place where the count stays, so pointers held elsewhere live on.
    if (list.size() == descriptions.size()) {
        for (std::size_t i = 0; i < list.size(); ++i)
            *list[i] = Screen(descriptions[i].frame, descriptions[i].visibleFrame,
                              descriptions[i].backingScaleFactor);
        return;
    }
    list.clear();
    for (const auto& d : descriptions)
        list.push_back(std::make_unique<Screen>(d.frame, d.visibleFrame, d.backingScaleFactor));
}

} // namespace

void screensChanged() {
    loadScreens();
}

Screen* Screen::mainScreen() {
    if (screenList().empty())
        loadScreens();
    return screenList().empty() ? nullptr : screenList().front().get();
}

std::vector<Screen*> Screen::screens() {
    if (screenList().empty())
        loadScreens();
    std::vector<Screen*> out;
    for (const auto& s : screenList())
        out.push_back(s.get());
    return out;
}

Screen* screenForRect(const Rect& rect) {
    Screen* best = nullptr;
    double bestArea = 0;
    for (Screen* s : Screen::screens()) {
        const Rect overlap = s->frame().intersection(rect);
        const double area = overlap.width() * overlap.height();
        if (area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best ? best : Screen::mainScreen();
}

Rect fitRectInVisibleFrame(const Rect& rect, const Rect& visible) {
    if (visible.width() <= 0 || visible.height() <= 0)
        return rect;
    Rect fitted = rect;
    if (fitted.width() > visible.width())
        fitted.size.width = visible.width();
    if (fitted.height() > visible.height()) {
        fitted.origin.y = rect.maxY() - visible.height();
        fitted.size.height = visible.height();
    }
    fitted.origin.x = std::clamp(fitted.minX(), visible.minX(), visible.maxX() - fitted.width());
    fitted.origin.y = std::clamp(fitted.minY(), visible.minY(), visible.maxY() - fitted.height());
    return fitted;
}

} // namespace platform
