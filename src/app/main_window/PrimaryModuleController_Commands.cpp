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

void PrimaryModuleController::togglAnonymousCalling(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAnonymousCalling:");
}

void PrimaryModuleController::togglAutoAnswer(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAutoAnswer:");
}

void PrimaryModuleController::togglLettersToNumbers(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglLettersToNumbers:");
}

std::shared_ptr<ConversationService> PrimaryModuleController::conversationService() const {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getConversationService() : nullptr;
}
