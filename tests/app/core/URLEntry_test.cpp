#include "EntryTestSupport.h"
#include "app/core/DeferredCommand.h"
#include "app/core/URLEntry.h"

#include <typeinfo>

using namespace entry_test;

namespace {

using Kind = URLCommand::Kind;

TEST(URLEntryParsing, SchemesCommandsAndTargetsAsTheyCome) {
    const struct {
        std::string url;
        Kind kind;
        std::string target;
    } accepted[] = {
        {"tel:5551234", Kind::audioCall, "5551234"},
        {"tel:+1 (555) 123-4567", Kind::audioCall, "+1 (555) 123-4567"},
        {"sip:alice@example.com", Kind::audioCall, "alice@example.com"},
        // Everything through the first "://" goes.
        {"sip://alice@example.com", Kind::audioCall, "alice@example.com"},
        {"callto:bob", Kind::audioCall, "bob"},
        {"callto://bob", Kind::audioCall, "bob"},
        // A "callto" link without any colon is kept whole.
        {"calltobob", Kind::audioCall, "calltobob"},
        // No decoding and no clean-up: parameters and escapes stay in the target.
        {"sip:%2B15551234", Kind::audioCall, "%2B15551234"},
        {"sip:bob@example.com;transport=tcp", Kind::audioCall, "bob@example.com;transport=tcp"},
        {"tel:123?via=http://example.com", Kind::audioCall, "example.com"},
        {"kelvosip:call?to=5551234", Kind::audioCall, "5551234"},
        {"kelvosip:call?to=bob@example.com&name=Bob%20B", Kind::audioCall,
         "bob@example.com&name=Bob%20B"},
        // "videocall?to=" holds "call?to=": only a prefix test tells them apart.
        {"kelvosip:videocall?to=5551234", Kind::videoCall, "5551234"},
        {"kelvosip:sms?to=+15551234", Kind::sms, "+15551234"},
        {"kelvosip:sms?to=Zoë", Kind::sms, "Zoë"},
    };
    for (const auto& c : accepted) {
        const URLEntryResult result = commandForURL(c.url);
        ASSERT_TRUE(result.command) << c.url << ": " << result.refusal;
        EXPECT_EQ(*result.command, (URLCommand{c.kind, c.target})) << c.url;
        EXPECT_TRUE(result.refusal.empty()) << c.url;
    }
}

TEST(URLEntryParsing, EmptyMalformedAndForeignLinksAreRefusedWithAReason) {
    const struct {
        std::string url;
        std::string reason;
    } refused[] = {
        {"", "empty"},
        {"tel:", "no one"},
        {"sip://", "no one"},
        {"tel:   ", "no one"},
        {"kelvosip:call?to=", "no one"},
        {"kelvosip:videocall?to=", "no one"},
        {"tel:555\n1234", "control characters"},
        // Not cut at the bad byte: refused whole.
        {"tel:555\xA6"
         "1234",
         "not valid UTF-8 (byte 8)"},
        {"sip:bob\xC3", "not valid UTF-8"},
        // What the dial plan could never dial is refused while the sender can be told.
        {"tel:555%ZZ", "cannot be dialled"},
        {"sip:bob%0A@example.com", "control character"},
        {std::string("tel:555\0001234", 12), "control characters"},
        {"kelvosip:", "nothing this program does"},
        {"kelvosip:chat?to=bob", "nothing this program does"},
        {"kelvosip:xcall?to=5551234", "nothing this program does"},
        {"kelvosip:CALL?to=5551234", "nothing this program does"},
        // The schemes are matched with their case.
        {"SIP:alice@example.com", "scheme"},
        {"Tel:5551234", "scheme"},
        {"sips:alice@example.com", "scheme"},
        {"http://example.com/call", "scheme"},
        {"mailto:bob@example.com", "scheme"},
        {"5551234", "scheme"},
    };
    for (const auto& c : refused) {
        const URLEntryResult result = commandForURL(c.url);
        EXPECT_FALSE(result.command) << c.url;
        EXPECT_NE(result.refusal.find(c.reason), std::string::npos)
            << c.url << ": " << result.refusal;
    }
}

class URLEntryTest : public EntryTest {
protected:
    AppController controller;
};

TEST_F(URLEntryTest, ALinkBecomesTheDeferredCommandOfItsKind) {
    const struct {
        const char* url;
        const std::type_info& type;
        const char* target;
    } cases[] = {
        {"tel:5551234", typeid(DeferredAudioCall), "5551234"},
        {"kelvosip:videocall?to=bob", typeid(DeferredVideoCall), "bob"},
        {"kelvosip:sms?to=+15551234", typeid(DeferredSMS), "+15551234"},
    };
    for (const auto& c : cases) {
        controller.getUrl(c.url);
        const auto command = controller.deferredCommand();
        ASSERT_NE(command, nullptr) << c.url;
        const DeferredCommand& made = *command;
        EXPECT_EQ(typeid(made), c.type) << c.url;
        EXPECT_EQ(command->target(), c.target);
        EXPECT_TRUE(command->isWaiting()) << "the engine has not started";
    }
}

TEST_F(URLEntryTest, ALinkBeforeSignInIsCalledOnceTheEngineAllowsIt) {
    controller.getUrl("sip://alice@example.com");
    EXPECT_TRUE(logged("audio call to alice@example.com"));
    pass(3);
    EXPECT_TRUE(conversations().empty());

    startEngineAndAccounts();
    const auto placed = conversations();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.front()->participants().front()->address(), "alice@example.com");
    EXPECT_EQ(placed.front()->entityID(), -1);
    EXPECT_FALSE(placed.front()->isVideo());
}

TEST_F(URLEntryTest, TheDialPlanDecodesALinksTargetWhenItIsCalled) {
    const struct {
        const char* url;
        const char* target;
        const char* address;
    } cases[] = {
        {"tel:%2B15550100", "%2B15550100", "+15550100"},
        {"sip:bob@example.com?subject=hi", "bob@example.com?subject=hi", "bob@example.com"},
        {"tel:+1-416-555-0100;ext=7", "+1-416-555-0100;ext=7", "+14165550100"},
    };
    startEngineAndAccounts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        ASSERT_TRUE(controller.getUrl(c.url).command);
        EXPECT_EQ(controller.deferredCommand()->target(), c.target) << "handed on as it came";
        pass(DeferredCommand::retryInterval * 2);
        const auto placed = conversations();
        ASSERT_FALSE(placed.empty());
        EXPECT_EQ(placed.back()->participants().front()->address(), c.address);
        calls()->endAll();
        settle();
    }
}

TEST_F(URLEntryTest, RefusedLinksAreLoggedAndNeverDialled) {
    startEngineAndAccounts();
    for (const char* url :
         {"", "tel:", "kelvosip:call?to=", "kelvosip:chat?to=bob", "http://example.com", "sip://",
          "tel:555\xA6"
          "1234",
          "tel:5%"}) {
        log.clear();
        const URLEntryResult result = controller.getUrl(url);
        EXPECT_FALSE(result.command) << url;
        EXPECT_TRUE(logged("refused: " + result.refusal)) << url;
        EXPECT_EQ(controller.deferredCommand(), nullptr) << url;
    }
    pass(2);
    EXPECT_TRUE(conversations().empty());
}

TEST_F(URLEntryTest, ANewerLinkDoesNotCancelAnOlderOneStillWaiting) {
    controller.getUrl("tel:111");
    controller.getUrl("kelvosip:call?to=222");
    EXPECT_EQ(controller.deferredCommand()->target(), "222");

    startEngineAndAccounts();
    std::vector<std::string> addresses;
    for (const auto& conversation : conversations()) {
        addresses.push_back(conversation->participants().front()->address());
    }
    std::sort(addresses.begin(), addresses.end());
    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_NE(addresses[0].find("111"), std::string::npos);
    EXPECT_NE(addresses[1].find("222"), std::string::npos);
}

} // namespace
