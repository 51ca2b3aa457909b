#include "app/calls/CallModuleController.h"

#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"

namespace {

std::unique_ptr<CallModuleController>& sharedInstance() {
    static std::unique_ptr<CallModuleController> controller;
    return controller;
}

} // namespace

CallModuleController& CallModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<CallModuleController>();
    return *shared;
}

void CallModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> CallModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 60));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}

std::vector<std::shared_ptr<Conversation>> CallModuleController::conversations() const {
    const auto phone = StartupService::instance().phoneService();
    const auto service = phone ? phone->getConversationService() : nullptr;
    return service ? service->getAllConversations() : std::vector<std::shared_ptr<Conversation>>{};
}

void CallModuleController::answerFirstIncomingCall() {
    const auto calls = conversations();
    for (int status : {Conversation::statusRingingIncoming, Conversation::statusRingingWaiting})
        for (const auto& call : calls)
            if (call->connectionStatus() == status) {
                call->answer();
                return;
            }
}

void CallModuleController::declineIncomingCall() {
    for (const auto& call : conversations())
        if (call->isIncoming() && call->isRinging()) {
            call->decline();
            return;
        }
}

std::shared_ptr<Conversation> CallModuleController::activeCall() const {
    for (const auto& call : conversations()) {
        const int status = call->connectionStatus();
        if (status == Conversation::statusConnected || status == Conversation::statusHeld ||
            status == Conversation::statusDialing)
            return call;
    }
    return nullptr;
}

void CallModuleController::hangUpOrEndTransferActiveCall(platform::Object* /*sender*/) {
    if (const auto call = activeCall())
        call->end();
}

void CallModuleController::toggleHoldActiveCall(platform::Object* /*sender*/) {
    if (const auto call = activeCall(); call && (call->canHold() || call->canResume()))
        call->toggleHoldResume();
}

void CallModuleController::performTransferActiveCall(platform::Object* /*sender*/) {
    if (activeCall())
        ++_transferRequests;
}
