#include "app/main_window/PrimaryModuleController.h"
#include "engine/PhoneService.h"
#include "engine/PresenceService.h"
#include "engine/StartupService.h"
#include "platform/kit/MenuItem.h"
#include "support/PresenceMessageTranslator.h"

void PrimaryModuleController::toggleDialpad(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleDialpad:");
}

void PrimaryModuleController::toggleSpeakerPhone(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleSpeakerPhone:");
}

void PrimaryModuleController::toggleVideo(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleVideo:");
}

void PrimaryModuleController::toggleDeskphone(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleDeskphone:");
}

void PrimaryModuleController::voiceMailPressed(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("voiceMailPressed:");
}

void PrimaryModuleController::missedCallsPressed(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("missedCallsPressed:");
}

void PrimaryModuleController::presenceChanged(platform::Object* sender) {
    _performedCommands.emplace_back("presenceChanged:");
    // The chosen item's tag is the status and its title the (translated) message; the own
    // presence is published, so that the menus tick the new status, not the old one.
    const auto* item = dynamic_cast<const platform::MenuItem*>(sender);
    const auto presence = StartupService::instance().phoneService()->getPresenceService();
    const auto self = presence ? presence->getSelfPresence() : nullptr;
    // Tags past the engine's statuses (the custom status) are for the full status flow.
    const long tag = item ? item->tag() : -1;
    if (tag < 0 || tag > static_cast<long>(OVPresenceStatus::statusNone) || !self ||
        !presence->presenceAllowed())
        return;
    self->setStatus(static_cast<int>(tag));
    self->setMessage(translatePresenceMessageReverse(item->title()));
    self->publish();
}

void PrimaryModuleController::togglAnonymousCalling(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAnonymousCalling:");
}

void PrimaryModuleController::togglAutoAnswer(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAutoAnswer:");
}

void PrimaryModuleController::togglLettersToNumbers(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglLettersToNumbers:");
}

void PrimaryModuleController::selfPresenceChanged(const std::shared_ptr<OVSelfPresence>& presence) {
    _selfPresence = presence;
}

std::shared_ptr<ConversationService> PrimaryModuleController::conversationService() const {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getConversationService() : nullptr;
}
