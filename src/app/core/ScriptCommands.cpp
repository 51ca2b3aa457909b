#include "app/core/ScriptCommands.h"

#include "app/calls/VideoWindow.h"
#include "engine/ConversationService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Log.h"

namespace {

constexpr long long bareAddress = -1;

std::shared_ptr<ConversationService> conversationService() {
    return StartupService::instance().phoneService()->getConversationService();
}

} // namespace

platform::Value DialNumberCommand::performDefaultImplementation() {
    const platform::Value& arguments = evaluatedArguments();
    const platform::Value& callingWith = arguments[callingWithKey];
    const bool video = !callingWith.isNull() && callingWith.integerValue() == callingWithVideo;
    const std::string* number = directParameter().string();
    // An empty number would dial nobody; it counts as no number at all.
    if (!number || number->empty()) {
        platform::Log("Dial command without a number: nothing to call");
        return platform::Value(scriptCommandResult);
    }
    const auto service = conversationService();
    if (video && service->canVideoConversation()) {
        platform::Logf("Dial command: placing a video call to %@", *number);
        service->videoConversation(*number, bareAddress);
        auto& window = VideoWindow::sharedVideoWindow();
        if (!window.isVisible()) {
            window.orderFront(nullptr);
        }
        return platform::Value(scriptCommandResult);
    }
    if (service->canAudioConversation()) {
        platform::Logf("Dial command: placing an audio call to %@", *number);
        service->audioConversation(*number, bareAddress);
    } else {
        platform::Logf("Dial command: no call can be placed now, %@ is not called", *number);
    }
    return platform::Value(scriptCommandResult);
}

platform::Value EndCallCommand::performDefaultImplementation() {
    if (const std::string* identifier = directParameter().string()) {
        // Every matching call is acted on, not only the first.
        for (const auto& conversation : conversationService()->getAllConversations()) {
            if (conversation->callIdentifier() != *identifier) {
                continue;
            }
            if (conversation->connectionStatus() == Conversation::statusRingingIncoming) {
                platform::Logf("End-call command: declining call %@", *identifier);
                conversation->decline();
            } else {
                platform::Logf("End-call command: ending call %@", *identifier);
                conversation->end();
            }
        }
    }
    return platform::Value(scriptCommandResult);
}
