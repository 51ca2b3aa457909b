#include "app/core/DeferredCommand.h"

#include "app/calls/VideoWindow.h"
#include "engine/ConversationService.h"
#include "engine/DialPlanService.h"
#include "engine/OVIMService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace {

// The conversation service when the engine has started and a call may be placed now.
std::shared_ptr<ConversationService> conversationServiceAllowingACall() {
    auto& engine = StartupService::instance();
    if (!engine.started()) {
        return nullptr;
    }
    auto service = engine.phoneService()->getConversationService();
    return service && service->newConversationAllowed() ? service : nullptr;
}

// Entity id of a call to a bare address rather than a stored contact.
constexpr long long bareAddress = -1;

// What the engine's dial plan makes of a link's target; "" (logged with the reason) when it
// dials nothing.
std::string dialledAddress(const std::string& target) {
    const auto resolution =
        StartupService::instance().phoneService()->getDialPlanService()->resolve(target);
    if (!resolution) {
        platform::Logf("No call is placed to \"%@\": %@", target, resolution.whyNot);
    }
    return resolution.address;
}

} // namespace

DeferredCommand::~DeferredCommand() {
    if (auto timer = _timer.lock()) {
        timer->invalidate();
    }
}

std::string DeferredCommand::target() const {
    std::lock_guard lock(_targetLock);
    return _target;
}

void DeferredCommand::setTarget(std::string target) {
    std::lock_guard lock(_targetLock);
    _target = std::move(target);
}

void DeferredCommand::init() {
    // The timer holds the command; the command only watches its timer.
    auto self = shared_from_this();
    auto timer = platform::Timer::scheduledTimerWithTimeInterval(
        retryInterval, true, [self](platform::Timer&) { self->timerFired(); });
    _timer = timer;
}

void DeferredCommand::timerFired() {
    if (!tryRunCommand()) {
        return;
    }
    if (auto timer = _timer.lock()) {
        timer->invalidate();
    }
    _timer.reset();
}

bool DeferredCommand::isWaiting() const {
    const auto timer = _timer.lock();
    return timer && timer->isValid();
}

bool DeferredAudioCall::tryRunCommand() {
    const auto service = conversationServiceAllowingACall();
    if (!service) {
        return false;
    }
    const std::string address = dialledAddress(target());
    if (address.empty()) {
        return true;
    }
    platform::Logf("Placing an audio call to %@", address);
    service->audioConversation(address, bareAddress);
    return true;
}

bool DeferredVideoCall::tryRunCommand() {
    const auto service = conversationServiceAllowingACall();
    if (!service) {
        return false;
    }
    const std::string address = dialledAddress(target());
    if (address.empty()) {
        return true;
    }
    platform::Logf("Placing a video call to %@", address);
    service->videoConversation(address, bareAddress);
    auto& window = VideoWindow::sharedVideoWindow();
    if (!window.isVisible()) {
        window.orderFront(nullptr);
    }
    return true;
}

bool DeferredConferenceCall::tryRunCommand() {
    const auto service = conversationServiceAllowingACall();
    if (!service) {
        return false;
    }
    const std::string address = dialledAddress(target());
    if (address.empty()) {
        return true;
    }
    platform::Logf("Placing a conference call to %@", address);
    service->conferenceConversation(address, bareAddress);
    return true;
}

bool DeferredSMS::tryRunCommand() {
    auto& engine = StartupService::instance();
    if (!engine.started()) {
        return false;
    }
    const auto service = engine.phoneService()->getIMService();
    if (!service || !service->newIMAllowed()) {
        return false;
    }
    platform::Logf("Opening a text-message session with %@", target());
    service->newIMSession(target(), false, true);
    return true;
}
