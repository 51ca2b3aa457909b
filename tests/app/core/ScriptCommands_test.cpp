#include "EntryTestSupport.h"
#include "app/core/EntryRequests.h"
#include "app/core/ScriptCommands.h"

using namespace entry_test;

namespace {

using platform::Value;

Value arguments(std::optional<std::int64_t> callingWith) {
    Value result(Value::Dictionary{});
    if (callingWith) {
        result.setObject(callingWithKey, *callingWith);
    }
    return result;
}

// A command's answer and its script error.
struct Outcome {
    Value result;
    std::string error;
};

class ScriptCommandsTest : public EntryTest {
protected:
    static Outcome dial(Value number, std::optional<std::int64_t> callingWith = std::nullopt) {
        DialNumberCommand command(std::move(number), arguments(callingWith));
        Value result = command.performDefaultImplementation();
        return {std::move(result), command.scriptErrorString()};
    }
    static Outcome endCall(Value identifier) {
        EndCallCommand command(std::move(identifier), Value(Value::Dictionary{}));
        Value result = command.performDefaultImplementation();
        return {std::move(result), command.scriptErrorString()};
    }
    static SimulatedNetwork& network() { return *Scenario().network(); }
};

TEST_F(ScriptCommandsTest, DialPlacesAVideoCallOnlyWhenAskedAndPossible) {
    startEngineAndAccounts();
    const struct {
        const char* name;
        std::optional<std::int64_t> callingWith;
        bool videoAllowed;
        bool expectVideo;
    } cases[] = {
        {"no argument", std::nullopt, true, false},
        {"'CTvi' asks for video", fourCharCode("CTvi"), true, true},
        {"another code", fourCharCode("CTau"), true, false},
        {"video asked but not possible", fourCharCode("CTvi"), false, false},
    };
    for (const auto& c : cases) {
        network().setConfiguration("allowVideo", c.videoAllowed);
        VideoWindow::sharedVideoWindowRelease();

        const Outcome outcome = dial("5551234", c.callingWith);
        EXPECT_EQ(outcome.result, Value("Fix Me")) << c.name;
        EXPECT_EQ(outcome.error, "") << c.name;

        const auto placed = conversations();
        ASSERT_EQ(placed.size(), 1u) << c.name;
        EXPECT_EQ(placed.front()->isVideo(), c.expectVideo) << c.name;
        EXPECT_EQ(placed.front()->entityID(), -1) << c.name;
        EXPECT_EQ(VideoWindow::videoWindowExist() && VideoWindow::sharedVideoWindow().isVisible(),
                  c.expectVideo)
            << c.name;
        calls()->endAll();
        settle();
    }
}

TEST_F(ScriptCommandsTest, DialSaysWhyWhenItPlacesNoCall) {
    // Before the engine has started, the command acts at once and so does nothing.
    const Outcome early = dial("5551234");
    EXPECT_TRUE(early.result.isNull());
    EXPECT_NE(early.error.find("no call can be placed now"), std::string::npos) << early.error;
    EXPECT_TRUE(logged("no call can be placed now"));

    startEngineAndAccounts();
    const struct {
        Value number;
        const char* reason;
    } cases[] = {
        {Value(), "no number"},
        {Value(""), "no number"},
        {Value("555%ZZ"), "cannot be dialled"},
        {Value("two words"), "cannot be dialled"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = dial(c.number);
        EXPECT_TRUE(outcome.result.isNull()) << c.number.description();
        EXPECT_NE(outcome.error.find(c.reason), std::string::npos)
            << c.number.description() << ": " << outcome.error;
    }
    pass(2);
    EXPECT_TRUE(conversations().empty());

    // The number goes through the dial plan.
    EXPECT_EQ(dial("%2B1 (555) 010-0100").error, "");
    ASSERT_EQ(conversations().size(), 1u);
    EXPECT_EQ(conversations().front()->participants().front()->address(), "+15550100100");
}

TEST_F(ScriptCommandsTest, EndCallEndsTheMatchingActiveCallOnly) {
    startEngineAndAccounts();
    const auto outgoing = calls()->audioConversation("5551234", -1);
    ASSERT_NE(outgoing, nullptr);
    Scenario().remoteAnswers(outgoing->callIdentifier());
    pass(2);
    ASSERT_EQ(outgoing->connectionStatus(), Conversation::statusConnected);

    // Identifiers that match nothing, and no identifier at all, change nothing and say so.
    const Outcome unknown = endCall("call-that-never-was");
    EXPECT_TRUE(unknown.result.isNull());
    EXPECT_NE(unknown.error.find("no call has the identifier call-that-never-was"),
              std::string::npos)
        << unknown.error;
    EXPECT_NE(endCall(Value()).error.find("no call was named"), std::string::npos);
    pass(1);
    EXPECT_TRUE(outgoing->isLive());

    // Ending hangs up at once and the call is over after the hang-up's delay.
    const Outcome ended = endCall(outgoing->callIdentifier());
    EXPECT_EQ(ended.result, Value("Fix Me"));
    EXPECT_EQ(ended.error, "");
    settle();
    EXPECT_TRUE(outgoing->isLive());
    pass(1);
    EXPECT_FALSE(outgoing->isLive());
}

TEST_F(ScriptCommandsTest, EndCallDeclinesTheOnlyRingingCall) {
    startEngineAndAccounts();
    Scenario().incomingCall("sip:carol@example.com", "Carol");
    pass(1);
    ASSERT_EQ(conversations().size(), 1u);
    const auto ringing = conversations().front();
    ASSERT_EQ(ringing->connectionStatus(), Conversation::statusRingingIncoming);

    // Declining ends the call on the engine's next pass; ending it would wait for the hang-up.
    EXPECT_EQ(endCall(ringing->callIdentifier()).result, Value("Fix Me"));
    settle();
    EXPECT_FALSE(ringing->isLive());
    const auto& requests = network().requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "hangUp " + ringing->callIdentifier()),
              requests.end());
}

TEST_F(ScriptCommandsTest, TheApplicationsOwnAnswers) {
    AppController controller;
    EXPECT_EQ(controller.handleTestScriptCommand(nullptr), Value("got it"));
    EXPECT_TRUE(controller.applicationDelegateHandlesKey(platform::Application::sharedApplication(),
                                                         "anyKey"));
    EXPECT_TRUE(
        controller.applicationShouldOpenUntitledFile(platform::Application::sharedApplication()));
}

TEST_F(ScriptCommandsTest, RequestsFromTheCommandLine) {
    const struct {
        std::vector<std::string> arguments;
        std::optional<Value> request;
        bool error;
    } cases[] = {
        {{}, std::nullopt, false},
        {{"sip:bob@example.com"}, entry::requestForURL("sip:bob@example.com"), false},
        {{"--dial", "5551234"}, entry::requestForDial("5551234", false), false},
        {{"--dial", "5551234", "--video"}, entry::requestForDial("5551234", true), false},
        {{"--video", "--dial", "5551234"}, entry::requestForDial("5551234", true), false},
        {{"--end-call", "call-1"}, entry::requestForEndCall("call-1"), false},
        {{"--end-call"}, entry::requestForEndCall(std::nullopt), false},
        {{"--dial"}, std::nullopt, true},
        {{"--video"}, std::nullopt, true},
        {{"--dial", "1", "tel:2"}, std::nullopt, true},
        {{"tel:1", "tel:2"}, std::nullopt, true},
        {{"--frobnicate"}, std::nullopt, true},
        // Requests travel as property lists of text: bytes that are not UTF-8 are refused,
        // not cut short.
        {{"tel:555\xA6"
          "1234"},
         std::nullopt,
         true},
        {{"--dial", "555\xA6"
                    "1234"},
         std::nullopt,
         true},
        {{"--end-call", "call-\xFF"}, std::nullopt, true},
    };
    for (const auto& c : cases) {
        const auto parsed = entry::requestFromArguments(c.arguments);
        const std::string name = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(!parsed.error.empty(), c.error) << name << ": " << parsed.error;
        EXPECT_EQ(parsed.request, c.request) << name;
    }
    EXPECT_EQ(entry::requestForDial("1", true)["arguments"][callingWithKey].integerValue(),
              0x43547669);
}

TEST_F(ScriptCommandsTest, HandedOverRequestsReachTheCommandsAndAnswer) {
    startEngineAndAccounts();
    AppController controller;
    EXPECT_EQ(controller.handleEntryRequest(entry::requestForDial("5551234", false))["result"],
              Value("Fix Me"));
    EXPECT_EQ(conversations().size(), 1u);
    const auto id = conversations().front()->callIdentifier();
    EXPECT_EQ(controller.handleEntryRequest(entry::requestForEndCall(id))["result"],
              Value("Fix Me"));
    // A command that did nothing is refused with its reason, which the sender reports.
    const Value notEnded = controller.handleEntryRequest(entry::requestForEndCall("call-99"));
    EXPECT_TRUE(notEnded["result"].isNull());
    EXPECT_NE(notEnded["refused"].stringValue().find("call-99"), std::string::npos);
    EXPECT_NE(controller.handleEntryRequest(entry::requestForDial("", false))["refused"]
                  .stringValue()
                  .find("no number"),
              std::string::npos);
    EXPECT_EQ(controller.handleEntryRequest(entry::requestForURL("tel:5550000"))["result"],
              Value("accepted"));
    EXPECT_NE(controller.handleEntryRequest(entry::requestForURL("tel:"))["refused"].stringValue(),
              "");
    Value test;
    test.setObject("command", entry::testCommand);
    EXPECT_EQ(controller.handleEntryRequest(test)["result"], Value("got it"));
    Value unknown;
    unknown.setObject("command", "FormatDiskCommand");
    EXPECT_EQ(controller.handleEntryRequest(unknown)["refused"], Value("unknown command"));
    EXPECT_EQ(controller.handleEntryRequest(Value(Value::Dictionary{}))["refused"],
              Value("unknown request"));
}

} // namespace
