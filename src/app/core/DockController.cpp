#include "app/core/DockController.h"

#include "app/core/AppController.h"
#include "engine/OVConstants.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/ValueTransformer.h"
#include "platform/kit/Window.h"
#include "support/ValueTransformers.h"

#include <algorithm>

namespace {

constexpr unsigned maximumCount = 99;

unsigned cumulativeTotal = 0;

std::unique_ptr<DockController>& sharedHolder() {
    // The main loop holds the controller's timer, so it must be made first and go last.
    platform::RunLoop::main();
    static std::unique_ptr<DockController> controller;
    return controller;
}

std::function<platform::Window*()>& mainWindowLookup() {
    static std::function<platform::Window*()> lookup;
    return lookup;
}

platform::TextAttributes badgeAttributes(double fontSize,
                                         const std::optional<platform::Color>& color) {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName(DockIconBadge::fontName, fontSize);
    if (color) {
        attributes.foregroundColor = *color;
    }
    return attributes;
}

} // namespace

// ---- DockIconBadge ------------------------------------------------------------------------

DockIconBadge::DockIconBadge() = default;

DockIconBadge::DockIconBadge(int type, unsigned count, std::optional<platform::Color> fillColor,
                             std::optional<platform::Color> textColor)
    : _type(type), _fillColor(fillColor), _textColor(textColor) {
    setCount(count);
}

DockIconBadge::~DockIconBadge() {
    cumulativeTotal -= std::min(cumulativeTotal, _count);
}

void DockIconBadge::setCount(unsigned count) {
    cumulativeTotal = cumulativeTotal - std::min(cumulativeTotal, _count) + count;
    _count = count;
}

unsigned DockIconBadge::cumulativeTotalCount() {
    return cumulativeTotal;
}

DockIconBadge::Layout DockIconBadge::layout(platform::Size iconSize, bool useTotalCount) const {
    Layout result;
    const unsigned shown = useTotalCount ? cumulativeTotal : _count;
    result.text = platform::formatString("%i", static_cast<int>(shown));
    result.fontSize = iconSize.width * fontScale;
    result.textSize =
        platform::sizeWithAttributes(result.text, badgeAttributes(result.fontSize, _textColor));
    const double d = std::max(result.textSize.width, result.textSize.height) + discPadding;
    result.disc =
        platform::Rect(iconSize.width - d - cornerInset, iconSize.height - d - cornerInset, d, d);
    result.textOrigin =
        platform::Point(result.disc.minX() + d / 2 - result.textSize.width / 2,
                        result.disc.minY() + d / 2 - result.textSize.height / 2 + textRise);
    return result;
}

void DockIconBadge::drawBadge(platform::Size iconSize, bool useTotalCount) const {
    const Layout place = layout(iconSize, useTotalCount);
    auto disc = platform::BezierPath::bezierPathWithOvalInRect(place.disc);
    if (_fillColor) {
        _fillColor->setFill();
        disc.fill();
    }
    if (_textColor) {
        _textColor->setStroke();
        disc.setLineWidth(strokeWidth);
        disc.stroke();
    }
    platform::drawAtPoint(place.text, place.textOrigin,
                          badgeAttributes(place.fontSize, _textColor));
}

// ---- DockController -----------------------------------------------------------------------

DockController& DockController::sharedDockController() {
    auto& holder = sharedHolder();
    if (!holder) {
        holder = std::make_unique<DockController>(Key{});
    }
    return *holder;
}

bool DockController::sharedDockControllerExists() {
    return sharedHolder() != nullptr;
}

void DockController::releaseSharedDockController() {
    sharedHolder().reset();
}

void DockController::setMainWindowLookup(std::function<platform::Window*()> lookup) {
    mainWindowLookup() = std::move(lookup);
}

DockController::DockController(Key /*key*/)
    : _missedCallBadge(std::make_shared<DockIconBadge>(DockIconBadge::typeMissedCalls, 0,
                                                       platform::Color::redColor(),
                                                       platform::Color::whiteColor())),
      _missedImBadge(std::make_shared<DockIconBadge>(DockIconBadge::typeUnreadMessages, 0,
                                                     platform::Color::redColor(),
                                                     platform::Color::whiteColor())),
      _voicemailBadge(std::make_shared<DockIconBadge>(DockIconBadge::typeVoicemail, 0,
                                                      platform::Color::redColor(),
                                                      platform::Color::whiteColor())) {
    _updateTimer = platform::Timer::scheduledTimerWithTimeInterval(
        updateInterval, true, [this](platform::Timer&) { updateIcon(); });
}

DockController::~DockController() {
    if (_updateTimer) {
        _updateTimer->invalidate();
    }
    _activeBadges.clear();
}

DockIconBadge* DockController::badgeOfType(int type) const {
    switch (type) {
    case DockIconBadge::typeMissedCalls:
        return _missedCallBadge.get();
    case DockIconBadge::typeUnreadMessages:
        return _missedImBadge.get();
    case DockIconBadge::typeVoicemail:
        return _voicemailBadge.get();
    default:
        return nullptr;
    }
}

void DockController::setBadge(int type, unsigned count) {
    DockIconBadge* badge = badgeOfType(type);
    if (!badge) {
        return;
    }
    if (type == DockIconBadge::typeUnreadMessages) {
        // Messaging windows report one message at a time: 1 for a new one, 0 for one read.
        if (count == 1) {
            badge->setCount(std::min(badge->count() + 1, maximumCount));
        } else if (count == 0 && badge->count() > 0) {
            badge->setCount(badge->count() - 1);
        }
    } else {
        badge->setCount(std::min(count, maximumCount));
    }

    auto it = std::find_if(_activeBadges.begin(), _activeBadges.end(),
                           [&](const auto& active) { return active.get() == badge; });
    if (badge->count() > 0 && it == _activeBadges.end()) {
        const auto& owner = type == DockIconBadge::typeMissedCalls      ? _missedCallBadge
                            : type == DockIconBadge::typeUnreadMessages ? _missedImBadge
                                                                        : _voicemailBadge;
        _activeBadges.push_back(owner);
    } else if (badge->count() == 0 && it != _activeBadges.end()) {
        _activeBadges.erase(it);
    }
}

void DockController::setMode(std::string_view mode) {
    _mode = std::string(mode);
}

platform::Window* DockController::mainWindow() {
    return mainWindowLookup() ? mainWindowLookup()()
                              : platform::Application::sharedApplication().mainWindow();
}

void DockController::applicationAlert() {
    auto& application = platform::Application::sharedApplication();
    platform::Window* mainWindow = DockController::mainWindow();
    if (application.isActive() && mainWindow && !mainWindow->isVisible()) {
        mainWindow->orderFront(nullptr);
    }
    application.requestUserAttention(platform::RequestUserAttentionType::InformationalRequest);
}

std::shared_ptr<platform::Image> DockController::overlayImage(std::string_view mode) const {
    if (mode == AM_onCallMuted) {
        return platform::Image::imageNamed("mute_mic_3");
    }
    OVPresenceStatus status;
    if (mode == AM_offline) {
        status = OVPresenceStatus::statusOffline;
    } else if (mode == AM_away) {
        status = OVPresenceStatus::statusAway;
    } else if (mode == AM_busy) {
        status = OVPresenceStatus::statusBusy;
    } else if (mode == AM_dnd) {
        status = OVPresenceStatus::statusDoNotDisturb;
    } else if (mode == AM_onCall) {
        status = OVPresenceStatus::statusOnThePhone;
    } else {
        return nullptr;
    }
    if (!_dockIconTransformer) {
        AppController* appController = AppController::sharedAppController();
        _dockIconTransformer = std::make_shared<PresenceStatusDockIconTransformer>(
            appController ? appController->brandDict() : platform::Value());
    }
    return platform::imageFromValue(
        _dockIconTransformer->transformedValue(platform::Value(static_cast<int>(status))));
}

platform::Rect DockController::overlayRect(platform::Size iconSize) {
    const double side = iconSize.width / 2;
    return platform::Rect(iconSize.width / 4, (iconSize.height - side) / 2, side, side);
}

void DockController::updateIcon() {
    auto& application = platform::Application::sharedApplication();
    auto icon = application.dockTile().standardApplicationIcon()->copy();
    const platform::Size size = icon->size();
    icon->lockFocus();

    if (auto overlay = overlayImage(_mode)) {
        overlay->drawInRect(overlayRect(size), platform::Rect(),
                            platform::CompositingOperation::SourceOver, 1.0);
    }

    if (!_activeBadges.empty()) {
        bool draw = true;
        if (_missedImBadge->count() > 0) {
            // Unread messages make the badge blink: it shows on every other redraw.
            draw = _showBlinkingBadge;
            _showBlinkingBadge = !_showBlinkingBadge;
        }
        if (draw) {
            _activeBadges.front()->drawBadge(size, true);
        }
        std::rotate(_activeBadges.begin(), _activeBadges.begin() + 1, _activeBadges.end());
    }

    icon->unlockFocus();
    application.setApplicationIconImage(std::move(icon));
}
