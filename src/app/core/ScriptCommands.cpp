#include "app/core/ScriptCommands.h"

#include "app/calls/VideoWindow.h"
#include "engine/ConversationService.h"
#include "engine/DialPlanService.h"
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
        setScriptErrorString("no number was given");
        return {};
    }
    const auto phone = StartupService::instance().phoneService();
    const auto resolution = phone->getDialPlanService()->resolve(*number);
    if (!resolution) {
        platform::Logf("Dial command: \"%@\" cannot be dialled: %@", *number, resolution.whyNot);
        setScriptErrorString("\"" + *number + "\" cannot be dialled: " + resolution.whyNot);
        return {};
    }
    const std::string& address = resolution.address;
    const auto service = phone->getConversationService();
    if (video && service->canVideoConversation()) {
        platform::Logf("Dial command: placing a video call to %@", address);
        if (!service->videoConversation(address, bareAddress)) {
            setScriptErrorString("the call to " + address + " could not be placed");
            return {};
        }
        auto& window = VideoWindow::sharedVideoWindow();
        if (!window.isVisible()) {
            window.orderFront(nullptr);
        }
        return platform::Value(scriptCommandResult);
    }
    if (!service->canAudioConversation()) {
        platform::Logf("Dial command: no call can be placed now, %@ is not called", *number);
        setScriptErrorString("no call can be placed now (signed out, unavailable or every line "
                             "busy); " +
                             *number + " is not called");
        return {};
    }
    platform::Logf("Dial command: placing an audio call to %@", address);
    if (!service->audioConversation(address, bareAddress)) {
        setScriptErrorString("the call to " + address + " could not be placed");
        return {};
    }
    return platform::Value(scriptCommandResult);
}

platform::Value EndCallCommand::performDefaultImplementation() {
    const std::string* identifier = directParameter().string();
    if (!identifier || identifier->empty()) {
        platform::Log("End-call command without a call identifier: nothing to end");
        setScriptErrorString("no call was named");
        return {};
    }
    bool found = false;
    // Every matching call is acted on, not only the first.
    for (const auto& conversation : conversationService()->getAllConversations()) {
        if (conversation->callIdentifier() != *identifier) {
            continue;
        }
        found = true;
        if (conversation->connectionStatus() == Conversation::statusRingingIncoming) {
            platform::Logf("End-call command: declining call %@", *identifier);
            conversation->decline();
        } else {
            platform::Logf("End-call command: ending call %@", *identifier);
            conversation->end();
        }
    }
    if (!found) {
        platform::Logf("End-call command: no call %@", *identifier);
        setScriptErrorString("no call has the identifier " + *identifier);
        return {};
    }
    return platform::Value(scriptCommandResult);
}
