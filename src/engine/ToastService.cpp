#include "engine/ToastService.h"

#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"

#include <algorithm>

std::shared_ptr<OVPresenceData> Toast::presence() const {
    return contact_ ? contact_->defaultPresence() : nullptr;
}

std::shared_ptr<CallInfo> Toast::callInfo() const {
    if (!conversation_ || conversation_->participants().empty()) {
        return nullptr;
    }
    return conversation_->participants().front()->getCallInfo();
}

void Toast::setDevice(DeviceEvent event, std::string device) {
    deviceEvent_ = event;
    switch (event) {
    case DeviceEvent::ringer:
        devices_.ringer = std::move(device);
        break;
    case DeviceEvent::camera:
        devices_.camera = std::move(device);
        break;
    case DeviceEvent::headsetIn:
        devices_.headsetIn = std::move(device);
        break;
    case DeviceEvent::headsetOut:
        devices_.headsetOut = std::move(device);
        break;
    case DeviceEvent::speakerPhoneIn:
        devices_.speakerPhoneIn = std::move(device);
        break;
    case DeviceEvent::speakerPhoneOut:
        devices_.speakerPhoneOut = std::move(device);
        break;
    case DeviceEvent::none:
        break;
    }
}

bool Toast::videoRequestedIncomingCall() const {
    return conversation_ && conversation_->isVideo();
}

bool Toast::canAnswer() const {
    return conversation_ && conversation_->canAnswer();
}

void Toast::answer() {
    if (conversation_) {
        conversation_->answer();
    }
}

void Toast::answerWithAudioOnly() {
    if (conversation_) {
        conversation_->answerWithAudioOnly();
    }
}

void Toast::decline() {
    if (conversation_) {
        conversation_->decline();
    }
}

ToastService::ToastService(std::shared_ptr<EngineContext> context) : context_(std::move(context)) {}

void ToastService::addToast(const std::shared_ptr<Toast>& toast) {
    // Messages, presence and device toasts time out in the interface; only those shown until
    // removed are kept, to be taken back later.
    if (toast->type() == Toast::typeIncomingCall || toast->type() >= Toast::typeAlertList) {
        toasts_.push_back(toast);
    }
    notifyDelegates([&](OVToastServicePro& d) { d.toastAdded(toast); });
}

void ToastService::removeToast(const std::shared_ptr<Toast>& toast) {
    auto it = std::find(toasts_.begin(), toasts_.end(), toast);
    if (it == toasts_.end()) {
        return;
    }
    toasts_.erase(it);
    notifyDelegates([&](OVToastServicePro& d) { d.toastRemoved(toast); });
}

void ToastService::removeToastsOf(const Conversation* conversation) {
    std::vector<std::shared_ptr<Toast>> matching;
    for (const auto& toast : toasts_) {
        if (toast->conversation().get() == conversation) {
            matching.push_back(toast);
        }
    }
    for (const auto& toast : matching) {
        removeToast(toast);
    }
}

void ToastService::removeAll() {
    const auto toasts = toasts_;
    for (const auto& toast : toasts) {
        removeToast(toast);
    }
}
