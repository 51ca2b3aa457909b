#include "app/core/AppController.h"
#include "app/core/DeferredCommand.h"
#include "app/core/EntryRequests.h"
#include "app/core/ScriptCommands.h"
#include "app/core/StateReport.h"
#include "app/core/URLEntry.h"
#include "engine/Scenario.h"
#include "platform/foundation/Log.h"

namespace {

platform::Value answer(std::string_view key, std::string_view text) {
    platform::Value reply;
    reply.setObject(key, text);
    return reply;
}

// The command's answer, or its script error as the refusal the sender reports.
platform::Value scriptAnswer(ScriptCommand& command) {
    const platform::Value result = command.performDefaultImplementation();
    if (!command.scriptErrorString().empty()) {
        return answer("refused", command.scriptErrorString());
    }
    return answer("result", result.stringValue());
}

std::shared_ptr<DeferredCommand> makeCommand(const URLCommand& command) {
    switch (command.kind) {
    case URLCommand::Kind::audioCall:
        return DeferredCommand::initWithTarget<DeferredAudioCall>(command.target);
    case URLCommand::Kind::videoCall:
        return DeferredCommand::initWithTarget<DeferredVideoCall>(command.target);
    case URLCommand::Kind::sms:
        return DeferredCommand::initWithTarget<DeferredSMS>(command.target);
    }
    return nullptr;
}

} // namespace

URLEntryResult AppController::getUrl(std::string_view url) {
    URLEntryResult result = commandForURL(url);
    if (!result.command) {
        platform::Logf("Link \"%@\" refused: %@", std::string(url), result.refusal);
        return result;
    }
    platform::Logf("Link \"%@\": %@ to %@ once the engine allows it", std::string(url),
                   std::string(describeURLCommandKind(result.command->kind)),
                   result.command->target);
    // An older command still waiting keeps its own timer and runs when it can.
    setDeferredCommand(makeCommand(*result.command));
    return result;
}

platform::Value AppController::handleEntryRequest(const platform::Value& request) {
    const std::string* event = request["event"].string();
    if (event && *event == entry::reportStateEvent) {
        platform::Value reply;
        reply.setObject("result", state_report::currentState());
        return reply;
    }
    if (event && *event == entry::demoNetworkEvent) {
        return demoNetworkEvent(request);
    }
    showRunningInstance();
    if (event && *event == entry::showEvent) {
        platform::Log("Another start of the program asked for this one: shown");
        return answer("result", "shown");
    }
    if (event && *event == entry::getURLEvent) {
        const std::string* url = request["url"].string();
        const URLEntryResult result = getUrl(url ? *url : std::string_view{});
        return result.command ? answer("result", "accepted") : answer("refused", result.refusal);
    }
    const std::string* name = request["command"].string();
    if (!name) {
        platform::Log("A request from another start of the program asked for nothing known");
        return answer("refused", "unknown request");
    }
    const platform::Value& arguments = request["arguments"];
    if (*name == entry::dialNumberCommand) {
        DialNumberCommand command(request["directParameter"], arguments);
        return scriptAnswer(command);
    }
    if (*name == entry::endCallCommand) {
        EndCallCommand command(request["directParameter"], arguments);
        return scriptAnswer(command);
    }
    if (*name == entry::testCommand) {
        return answer("result", handleTestScriptCommand(nullptr).stringValue());
    }
    platform::Logf("A request from another start of the program named the unknown command %@",
                   *name);
    return answer("refused", "unknown command");
}

platform::Value AppController::demoNetworkEvent(const platform::Value& request) {
    const std::string* operation = request["operation"].string();
    const std::string* address = request["address"].string();
    if (!operation || *operation != "incomingCall" || !address || address->empty()) {
        return answer("refused", "unknown demo network event");
    }
    Scenario scenario;
    if (!scenario.network()) {
        return answer("refused", "the engine does not run on the demo network");
    }
    const std::string* name = request["displayName"].string();
    platform::Logf("The demo network rings this phone from %@", *address);
    scenario.incomingCall(*address, name ? *name : std::string());
    return answer("result", "ringing");
}

platform::Value AppController::handleTestScriptCommand(ScriptCommand* /*command*/) {
    return platform::Value("got it");
}

bool AppController::applicationDelegateHandlesKey(platform::Application& /*sender*/,
                                                  std::string_view /*key*/) {
    return true;
}

bool AppController::applicationShouldOpenUntitledFile(platform::Application& /*sender*/) {
    return true;
}
