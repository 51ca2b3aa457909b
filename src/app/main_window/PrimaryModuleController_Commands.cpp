#include "app/calls/VideoWindow.h"
#include "app/core/AppController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/PhoneService.h"
#include "engine/PresenceService.h"
#include "engine/StartupService.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "support/PresenceMessageTranslator.h"

void PrimaryModuleController::toggleDialpad(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleDialpad:");
}

void PrimaryModuleController::toggleSpeakerPhone(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleSpeakerPhone:");
}

void PrimaryModuleController::toggleVideo(platform::Object* sender) {
    _performedCommands.emplace_back("toggleVideo:");
    ToolbarController::sharedController().setupToolbarVideoButton();
    VideoWindow& window = VideoWindow::sharedVideoWindow();
    // A button asks for the state it shows; anything else (a menu item) turns the window over.
    const auto* button = dynamic_cast<platform::Button*>(sender);
    const bool show = button ? button->state() == platform::OnState : !window.isVisible();
    if (show) {
        window.orderFront(sender);
        window.makeKeyWindow();
    } else {
        window.close();
    }
    if (AppController* app = AppController::sharedAppController())
        app->updateToolbar();
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
