#include "app/messaging/ChatFixture.h"
#include "app/messaging/IMBroadcastWindowController.h"
#include "platform/kit/TextView.h"

#include <algorithm>

using namespace chat_test;

namespace {

std::string span(const std::string& text, const char* size = "11") {
    return std::string("<span style=\" color: #000000; font-size: ") + size +
           "px\"><font face=\"Arial\">" + text + "</font></span>";
}

TEST(BroadcastMessage, TheInputIsSentEscapedBehindThePrefixWithItsLinksAndLineBreaks) {
    struct Case {
        const char* typed;
        std::string plain;
        std::string html;
    } cases[] = {
        {"a < b > c", "[Broadcast] a &lt; b &gt; c", span("[Broadcast] a &lt; b &gt; c")},
        // The ampersand first, so that the entities stay readable.
        {"Tom & Jerry <3", "[Broadcast] Tom &amp; Jerry &lt;3",
         span("[Broadcast] Tom &amp; Jerry &lt;3")},
        {"   \n ", "", ""},
        {"  hi  ", "[Broadcast]   hi  ", span("[Broadcast]   hi  ")},
        {"one\ntwo\xE2\x80\xA8three", "[Broadcast] one\ntwo\xE2\x80\xA8three",
         span("[Broadcast] one<br>two<br>three")},
        // Every address is linked; a quote cannot leave the attribute.
        {"see http://x.example/?q=it's&x=1 and www.y.example",
         "[Broadcast] see http://x.example/?q=it's&amp;x=1 and www.y.example",
         span("[Broadcast] see ") +
             "<a "
             "href=\"http://x.example/?q=it&apos;s&amp;x=1\">http://x.example/?q=it's&amp;x=1</a>" +
             span(" and ") + "<a href=\"http://www.y.example\">www.y.example</a>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto message =
            IMBroadcastWindowController::composedMessage(platform::AttributedString(c.typed));
        EXPECT_EQ(message.plain, c.plain);
        EXPECT_EQ(message.html, c.html);
    }

    // Typed text keeps its style; the prefix has the broadcast's own font.
    ChatInputModel input;
    auto style = input.style();
    style.bold = true;
    input.setStyle(style);
    input.replace({0, 0}, "Hi");
    const auto styled = IMBroadcastWindowController::composedMessage(input.text());
    EXPECT_EQ(styled.html.rfind(span("[Broadcast] "), 0), 0u) << styled.html;
    EXPECT_NE(styled.html.find("font-weight:bold; font-size: 13px"), std::string::npos)
        << styled.html;
}

TEST(BroadcastMessage, ASearchMatchesTheStartOfTheNameOrOfALaterWordOnly) {
    struct Case {
        const char* text;
        bool matches;
    } cases[] = {{"", true},     {"da", true},   {"DAVE", true},      {"dun", true},
                 {"ave", false}, {"unn", false}, {"dave dunn", true}, {"x", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IMBroadcastWindowController::matchesSearch("Dave Dunn", c.text), c.matches)
            << c.text;
}

class BroadcastWindowTest : public ChatFixture {
protected:
    void TearDown() override {
        IMBroadcastWindowController::closeAll();
        ChatFixture::TearDown();
    }
    static std::vector<std::shared_ptr<OVEntity>> reachableContacts(std::size_t count) {
        std::vector<std::shared_ptr<OVEntity>> out;
        for (const auto& contact : phone()->getContactManager()->allContacts()) {
            if (!contact->imAddresses().empty() && out.size() < count)
                out.push_back(contact);
        }
        return out;
    }
    static void type(IMBroadcastWindowController& window, std::string_view text) {
        window.window()->makeKeyAndOrderFront(nullptr);
        window.inputView()->insertText(text);
        settle();
    }
};

TEST_F(BroadcastWindowTest, RecipientsAreEachContactOnceByTheAddressOfTheKind) {
    const auto dave = contactWith("sip:dave@sip.lumiq.example");
    ASSERT_TRUE(dave);
    auto loose = phone()->getContactManager()->createLogicalEntityWithFields(
        {{"displayName", "Nobody's"}, {"softphone", "sip:loose@sip.lumiq.example"}});

    const auto im = IMBroadcastWindowController::buildRecipientList({dave, loose, dave}, false);
    ASSERT_EQ(im.size(), 1u) << "the contact in no group, and the second Dave, are left out";
    EXPECT_EQ(im[0].contact, dave);
    EXPECT_EQ(im[0].addressWithProtocol,
              dave->getPrimary(OVField::fieldPrimaryTypePresence)
                  ? dave->getPrimary(OVField::fieldPrimaryTypePresence)->valueStr()
                  : dave->imAddresses().front()->valueStr());

    const auto sms = IMBroadcastWindowController::buildRecipientList({dave}, true);
    ASSERT_EQ(sms.size(), 1u);
    EXPECT_EQ(sms[0].address, "+15550100");
    EXPECT_EQ(sms[0].type, BroadcastRecipient::typeMobile);
}

TEST_F(BroadcastWindowTest, ABroadcastToThreeContactsDeliversOneMessageToEach) {
    const auto contacts = reachableContacts(3);
    ASSERT_EQ(contacts.size(), 3u);
    auto window = IMBroadcastWindowController::initWithBroadcast(contacts, false);
    ASSERT_TRUE(window);
    ASSERT_EQ(window->recipients().size(), 3u);
    EXPECT_EQ(window->window()->title(), "Broadcast Instant Message");
    EXPECT_TRUE(window->isInputEditable());
    EXPECT_FALSE(window->isSendEnabled());
    scenario->network()->clearRequests();

    type(*window, "Lunch <now> & then?");
    EXPECT_TRUE(window->isSendEnabled());
    window->sendUserInput();
    pass(1);
    std::vector<std::string> messages;
    for (const auto& request : scenario->network()->requests())
        if (request.starts_with("message "))
            messages.push_back(request);
    ASSERT_EQ(messages.size(), 3u);
    for (const auto& recipient : window->recipients()) {
        const auto expected = "message " + recipient.addressWithProtocol +
                              " [Broadcast] Lunch &lt;now&gt; &amp; then?";
        EXPECT_EQ(std::count(messages.begin(), messages.end(), expected), 1) << expected;
    }
    EXPECT_EQ(window->messenger()->sent().size(), 3u);
    EXPECT_TRUE(std::all_of(window->messenger()->sent().begin(), window->messenger()->sent().end(),
                            [](const auto& sent) { return sent.delivered; }));
    // Nothing is echoed and the input is empty again.
    EXPECT_EQ(window->inputView()->string(), "");
    EXPECT_FALSE(window->isSendEnabled());
    EXPECT_TRUE(controller->imWindowControllers().empty());

    // Blanks send nothing.
    scenario->network()->clearRequests();
    type(*window, "   ");
    window->sendUserInput();
    pass(1);
    EXPECT_TRUE(scenario->network()->requests().empty());
}

TEST_F(BroadcastWindowTest, ThePickerChecksFiltersAndReplacesTheRecipients) {
    const auto dave = contactWith("sip:dave@sip.lumiq.example");
    auto window = IMBroadcastWindowController::initWithBroadcast({dave}, false);
    ASSERT_TRUE(window);
    window->updateRecipients();
    settle();
    ASSERT_TRUE(window->isPickerShown());
    const auto& offered = window->offeredContacts();
    ASSERT_GE(offered.size(), 3u);
    EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end(), [](const auto& a, const auto& b) {
        return a.contact->displayName() < b.contact->displayName();
    }));
    EXPECT_EQ(
        std::count_if(offered.begin(), offered.end(), [](const auto& e) { return e.selected; }), 1);
    EXPECT_FALSE(window->isSelectAllOn());

    // Select all of those shown, then uncheck one: the box clears.
    window->selectAllToggle(true);
    EXPECT_TRUE(window->isSelectAllOn());
    window->setContactSelected(0, false);
    EXPECT_FALSE(window->isSelectAllOn());

    // Cancel keeps the recipients.
    window->pickContactsCancel();
    settle();
    EXPECT_FALSE(window->isPickerShown());
    ASSERT_EQ(window->recipients().size(), 1u);

    // The search hides contacts, but a checked contact hidden by it still becomes a recipient.
    window->updateRecipients();
    settle();
    const std::size_t all = window->shownContacts().size();
    window->setSearchText("dun");
    const auto shown = window->shownContacts();
    ASSERT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), all);
    for (const auto& entry : shown)
        EXPECT_TRUE(
            IMBroadcastWindowController::matchesSearch(entry.contact->displayName(), "dun"));
    window->selectAllToggle(true);
    window->pickContactsSelect();
    settle();
    EXPECT_EQ(window->recipients().size(), shown.size());
    EXPECT_TRUE(std::any_of(window->recipients().begin(), window->recipients().end(),
                            [&](const auto& r) { return r.contact == dave; }));
    EXPECT_EQ(window->messenger()->recipients().size(), window->recipients().size());
}

TEST_F(BroadcastWindowTest, WithoutRecipientsNothingCanBeTypedAndTextMessagesCountDown) {
    auto empty = IMBroadcastWindowController::initWithBroadcast({}, false);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->isInputEditable());
    EXPECT_FALSE(empty->isSendEnabled());

    const auto dave = contactWith("sip:dave@sip.lumiq.example");
    auto sms = IMBroadcastWindowController::initWithBroadcast({dave}, true);
    ASSERT_TRUE(sms);
    EXPECT_EQ(sms->window()->title(), "Broadcast Mobile Text Message [SMS]");
    EXPECT_EQ(sms->titleLabelText(), "Select contacts to send broadcast mobile text message");
    EXPECT_FALSE(sms->window()->showsResizeIndicator());
    const auto minimum = sms->window()->minSize();
    const auto kept = sms->windowWillResize(*sms->window(), platform::Size(900, 900));
    EXPECT_EQ(kept.width, minimum.width);
    EXPECT_EQ(kept.height, minimum.height);
    type(*sms, "Hello");
    EXPECT_EQ(sms->chatStateText(), "Number of characters remaining: 155");
}

TEST_F(BroadcastWindowTest, ClosingTheWindowFreesItsController) {
    std::weak_ptr<IMBroadcastWindowController> gone;
    {
        auto window = IMBroadcastWindowController::initWithBroadcast(reachableContacts(2), false);
        ASSERT_TRUE(window);
        gone = window;
        window->window()->performClose(nullptr);
    }
    settle();
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(IMBroadcastWindowController::openControllers().empty());
}

} // namespace
