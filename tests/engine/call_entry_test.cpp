#include "EngineTestSupport.h"
#include "engine/OVCallEntryModel.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <algorithm>

using namespace engine_test;

namespace {

// Hears the call-entry models and the conversation service, as the call entry field does.
class EntryListener : public OVCallEntryModelPro,
                      public OVNumberEntryModelPro,
                      public OVAutoCompleteModelPro,
                      public OVConversationServicePro {
public:
    void ovmdNumberEntryPropertyChanged(const std::string& name) override {
        heard.push_back(name + "=" + entry->numberEntered());
    }
    void ovmdAutoCompleteListCollectionChanged() override { ++listChanges; }
    void ovmdAutoCompletePropertyChanged(const std::string& name) override {
        heard.push_back(name + "=" + (suggestions->getIsAutoCompleteShown() ? "YES" : "NO"));
    }
    void newConversationAllowed(bool allowed) override { allowedReports.push_back(allowed); }

    std::shared_ptr<OVNumberEntryModel> entry;
    std::shared_ptr<OVAutoCompleteModel> suggestions;
    std::vector<std::string> heard;
    std::vector<bool> allowedReports;
    int listChanges = 0;
};

class CallEntryTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        phone()->getConversationService()->setDelegate(&listener);
        startSession();
        model = OVCallEntryModel::create();
        listener.entry = model->getNumberEntryModel();
        listener.suggestions = model->getAutoCompleteModel();
        listener.entry->setDelegate(&listener);
        listener.suggestions->setDelegate(&listener);
        network()->clearRequests();
    }
    void TearDown() override {
        phone()->getConversationService()->removeDelegate(&listener);
        EngineTest::TearDown();
    }

    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static SimulatedNetwork* network() { return Scenario(engine()).network(); }
    static void setDefaultCallAction(long long value) {
        phone()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("defaultCallAction")
            ->setLongSetting(value, true);
    }
    static void addContact(std::string name,
                           std::vector<std::pair<std::string, std::string>> fields) {
        ContactRecord record{std::move(name), std::move(fields), {}, {}};
        const auto added = phone()->getContactManager()->importRecords({record}, false, false);
        ASSERT_EQ(std::get<int>(added), 1);
    }
    static void addHistory(std::string address, std::string display, double started) {
        CallHistoryRecord record;
        record.address = std::move(address);
        record.display = std::move(display);
        record.started = started;
        phone()->getCallHistoryService()->addCall(record);
    }
    std::vector<std::string> listed() const {
        std::vector<std::string> names;
        for (const auto& item : listener.suggestions->getAutoCompleteList())
            names.push_back(item->getSpaceItem()->display() + " <" +
                            item->getSpaceItem()->addressToDisplay() + ">");
        return names;
    }
    std::vector<std::string> calls() const {
        std::vector<std::string> placed;
        for (const auto& request : network()->requests())
            if (request.rfind("call ", 0) == 0 || request.rfind("videoCall ", 0) == 0)
                placed.push_back(request);
        return placed;
    }

    EntryListener listener;
    std::shared_ptr<OVCallEntryModel> model;
};

TEST_F(CallEntryTest, TypedTextIsEchoedOncePerPassAndDialKeysPlayTheirTone) {
    auto& entry = *listener.entry;
    entry.keyIsPressed('5');
    EXPECT_EQ(phone()->getDTMFService()->currentTone(), '5');
    entry.setNumberEntered("5");
    entry.keyIsReleased('5');
    EXPECT_FALSE(phone()->getDTMFService()->isPlayingTone());
    entry.setNumberEntered("55");
    EXPECT_TRUE(listener.heard.empty()) << "the echo comes on the next pass";
    settle();
    EXPECT_EQ(listener.heard, std::vector<std::string>{"NumberEntered=55"});

    listener.heard.clear();
    entry.setNumberEntered("55");
    settle();
    EXPECT_TRUE(listener.heard.empty()) << "an unchanged text is not echoed";
    entry.keyIsPressed('a');
    EXPECT_FALSE(phone()->getDTMFService()->isPlayingTone()) << "letters play no tone";
}

TEST_F(CallEntryTest, SuggestionsComeFromContactsAndHistoryContactsFirst) {
    addContact("Bob Builder",
               {{"softphone", "sip:bob@sip.lumiq.example"}, {"mobile", "+1 555 0101"}});
    addContact("Jim Bolton", {{"work", "+15550199"}});
    addHistory("sip:bobby@elsewhere.example", "Bobby Tables", 100);
    addHistory("sip:robert@elsewhere.example", "Bob Old", 50);
    // A history entry for a contact's address is offered once, as the contact.
    addHistory("sip:bob@sip.lumiq.example", "", 200);
    addHistory("sip:zed@elsewhere.example", "Zed", 300);

    auto& entry = *listener.entry;
    entry.setNumberEntered("b");
    entry.setNumberEntered("bo");
    settle();
    EXPECT_EQ(listener.listChanges, 1) << "one lookup for the burst of keys";
    auto items = listener.suggestions->getAutoCompleteList();
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return a->compare(*b) < 0; });
    std::vector<std::string> sorted;
    for (const auto& item : items)
        sorted.push_back(item->getSpaceItem()->display() + " <" +
                         item->getSpaceItem()->addressToDisplay() + ">");
    EXPECT_EQ(sorted, (std::vector<std::string>{
                          "Bob Builder <+1 555 0101>", "Bob Builder <bob@sip.lumiq.example>",
                          "Jim Bolton <+15550199>", "Bobby Tables <bobby@elsewhere.example>",
                          "Bob Old <robert@elsewhere.example>"}));
    EXPECT_TRUE(listener.suggestions->getIsAutoCompleteShown());

    const struct {
        const char* typed;
        std::vector<std::string> expected;
    } cases[] = {
        {"BOB BU", {"Bob Builder <bob@sip.lumiq.example>", "Bob Builder <+1 555 0101>"}},
        {"1555010", {"Bob Builder <+1 555 0101>", "Dave Dunn <+15550100>"}},
        {"555", {"Bob Builder <+1 555 0101>"}},
        {"bob@sip", {"Bob Builder <bob@sip.lumiq.example>"}},
        {"sip:zed", {"Zed <zed@elsewhere.example>"}},
        {"nobody", {}},
    };
    for (const auto& c : cases) {
        entry.setNumberEntered(c.typed);
        settle();
        auto got = listed();
        auto expected = c.expected;
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << c.typed;
    }
    EXPECT_FALSE(listener.suggestions->getIsAutoCompleteShown());
}

TEST_F(CallEntryTest, ALongHistoryOffersItsMostRecentAddressesEachOnce) {
    // Hundreds of calls under one word: the addresses come newest first, each once however
    // often it was called, with the name of its latest call, and the contact's address is
    // still left to the contact.
    addContact("Ann Acme", {{"softphone", "sip:desk7@acme.example"}});
    std::vector<CallHistoryRecord> calls;
    for (int i = 0; i < 600; ++i) {
        CallHistoryRecord call;
        call.address = "sip:desk" + std::to_string(i % 40) + "@acme.example";
        call.display = "Acme " + std::to_string(i);
        call.started = 1000 + i;
        calls.push_back(call);
    }
    auto& index = phone()->autoCompleteIndex();
    ASSERT_TRUE(index.addCalls(calls));

    listener.entry->setNumberEntered("acme");
    settle();
    const auto got = listed();
    ASSERT_EQ(got.size(), 1u + OVAutoCompleteModel::maximumSuggestions);
    EXPECT_EQ(got[0], "Ann Acme <desk7@acme.example>");
    // The last call went to desk39 (i = 599), the one before to desk38, and so on.
    EXPECT_EQ(got[1], "Acme 599 <desk39@acme.example>");
    EXPECT_EQ(got[2], "Acme 598 <desk38@acme.example>");
    EXPECT_EQ(std::count_if(got.begin(), got.end(),
                            [](const std::string& s) { return s.find("<desk7@") != s.npos; }),
              1);
}

TEST_F(CallEntryTest, ReturnPlacesACallOfTheDefaultKindAndEmptiesTheEntry) {
    const struct {
        long long defaultAction;
        bool videoAllowed;
        const char* request;
    } cases[] = {
        {0, true, "call "},
        {1, true, "videoCall "},
        {1, false, "call "},
        {2, true, "call "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultAction);
        phone()->getConversationService()->endAll();
        network()->clearRequests();
        network()->setConfiguration("allowVideo", platform::Value(c.videoAllowed));
        setDefaultCallAction(c.defaultAction);
        auto& entry = *listener.entry;
        entry.setNumberEntered("sip:erin@sip.lumiq.example");
        entry.specialKeyPressed(OVNumberEntryModel::returnKey);
        settle();
        ASSERT_EQ(calls().size(), 1u);
        EXPECT_EQ(calls().front().rfind(c.request, 0), 0u) << calls().front();
        EXPECT_NE(calls().front().find("sip:erin@sip.lumiq.example"), std::string::npos);
        EXPECT_EQ(model->lastConversation()->isConference(), c.defaultAction == 2);
        EXPECT_EQ(entry.numberEntered(), "");
    }

    // Nothing entered, nothing dialled; a bare name is a user at the calling account's domain.
    network()->clearRequests();
    setDefaultCallAction(0);
    listener.entry->specialKeyPressed(OVNumberEntryModel::returnKey);
    settle();
    EXPECT_TRUE(calls().empty());
    listener.entry->setNumberEntered("frank");
    model->call();
    settle();
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_NE(calls().front().find("sip:frank@sip.lumiq.example"), std::string::npos);
}

TEST_F(CallEntryTest, APickedSuggestionIsWhatIsDialled) {
    addContact("Bob Builder", {{"softphone", "sip:bob@sip.lumiq.example"}});
    auto& entry = *listener.entry;
    entry.setNumberEntered("bui");
    settle();
    ASSERT_EQ(listener.suggestions->getAutoCompleteList().size(), 1u);
    listener.heard.clear();
    listener.suggestions->setAutoCompleteItem(listener.suggestions->getAutoCompleteList().front());
    listener.suggestions->autoCompleteAction();
    settle();
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"IsAutoCompleteShown=NO",
                                                        "ObjectEntered=bob@sip.lumiq.example",
                                                        "NumberEntered=bob@sip.lumiq.example"}));
    ASSERT_NE(entry.objectEntered(), nullptr);
    EXPECT_EQ(entry.objectEntered()->displayName(), "Bob Builder");
    entry.specialKeyPressed(OVNumberEntryModel::returnKey);
    settle();
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_GE(model->lastConversation()->entityID(), 0) << "the call names the contact";
}

TEST_F(CallEntryTest, HistoryKeepsEveryCallAndTheRedialListTheLastAddresses) {
    Scenario scenario(engine());
    scenario.callsTo("sip:busy2@sip.lumiq.example", RemoteAnswer::busy);
    for (const char* address :
         {"sip:a@x.example", "sip:b@x.example", "sip:A@x.example", "sip:busy2@sip.lumiq.example"}) {
        listener.entry->setNumberEntered(address);
        model->audioCall();
        pass(0.5);
    }
    // The busy party failed the call; the others are still connected.
    const auto conversations = phone()->getConversationService()->getAllConversations();
    EXPECT_EQ(std::count_if(conversations.begin(), conversations.end(),
                            [](const auto& c) { return c->isLive(); }),
              3);
    auto suggestions = model->getAutoCompleteModel();
    suggestions->redialShow();
    std::vector<std::string> redial;
    for (const auto& item : suggestions->getRedialList())
        redial.push_back(item->address());
    EXPECT_EQ(redial, (std::vector<std::string>{"sip:busy2@sip.lumiq.example", "sip:A@x.example",
                                                "sip:b@x.example"}))
        << "newest first, one entry an address whatever its case";
    EXPECT_EQ(phone()->getCallHistoryService()->historyItems().size(), 4u);

    // An incoming call nobody answered is kept as missed, and the history outlives the session.
    scenario.incomingCall("sip:caller@x.example", "Carol");
    settle();
    scenario.remoteHangsUp(
        phone()->getConversationService()->getAllConversations().back()->callIdentifier());
    settle();
    const auto items = phone()->getCallHistoryService()->historyItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_TRUE(items.front()->record().incoming);
    EXPECT_TRUE(items.front()->record().missed);
    engine().logout(StartupService::LogoutReason::user);
    pass(1);
    startSession();
    EXPECT_EQ(phone()->getCallHistoryService()->historyItems().size(), 5u);
}

TEST_F(CallEntryTest, NewConversationsAllowedIsReportedOnChangeOnly) {
    // Not while the session starts, then once the calling account is up.
    EXPECT_EQ(listener.allowedReports, (std::vector<bool>{false, true}));
    Scenario(engine()).dropNetwork();
    pass(0.1);
    Scenario(engine()).restoreNetwork();
    pass(1);
    EXPECT_EQ(listener.allowedReports, (std::vector<bool>{false, true, false, true}));
}

// Links hand their target on as it came: the dial plan decodes it, drops what names no one
// (URI headers, a tel link's parameters) and says why when nothing can be dialled.
TEST_F(CallEntryTest, TheDialPlanReadsLinkTargetsAndSaysWhyNothingIsDialled) {
    const auto plan = phone()->getDialPlanService();
    const struct {
        const char* label;
        std::string text;
        const char* dialled;
        const char* reason;
    } cases[] = {
        {"escaped plus", "%2B15550100", "+15550100", ""},
        {"escaped separators", "%28416%29%20555-1234", "4165551234", ""},
        {"tel scheme and separators", "tel:+1-555-0100", "+15550100", ""},
        {"extension", "5550100;ext=12", "5550100", ""},
        {"phone context", "tel:5550100;phone-context=+1-416", "5550100", ""},
        {"headers of an address", "bob@example.com?subject=hi", "bob@example.com", ""},
        {"headers of a SIP URI", "sip:bob@example.com?subject=hi&priority=urgent",
         "sip:bob@example.com", ""},
        {"SIP parameters stay", "sip:bob@example.com;transport=tcp",
         "sip:bob@example.com;transport=tcp", ""},
        {"escaped at sign", "bob%40example.com", "bob@example.com", ""},
        {"escaped name", "Zo%C3%AB", "sip:Zo\xC3\xAB@sip.lumiq.example", ""},
        {"bare name", "frank", "sip:frank@sip.lumiq.example", ""},
        {"escape cut short", "555%2", "", "hexadecimal"},
        {"escape of no hex digits", "%ZZ5550100", "", "hexadecimal"},
        {"escape to a byte that is not UTF-8", "555%A61234", "", "not UTF-8"},
        {"escape to a control character", "555%0A1234", "", "control"},
        {"escaped NUL", "bob%00", "", "control"},
        {"bytes that are not UTF-8",
         "555\xA6"
         "1234",
         "", "not UTF-8"},
        {"control character",
         "555\x01"
         "1234",
         "", "control"},
        {"blank", "   ", "", "no number"},
        {"headers only", "?subject=hi", "", "no number"},
        {"escaped blank", "%20", "", "no number"},
        {"tel link without a number", "tel:alice", "", "no phone number"},
        {"name with blanks", "two words", "", "blanks"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto resolution = plan->resolve(c.text);
        EXPECT_EQ(resolution.address, c.dialled);
        EXPECT_EQ(static_cast<bool>(resolution), *c.dialled != '\0');
        if (*c.reason)
            EXPECT_NE(resolution.whyNot.find(c.reason), std::string::npos) << resolution.whyNot;
        else
            EXPECT_EQ(resolution.whyNot, "");
        EXPECT_EQ(plan->dialString(c.text), c.dialled);
    }
}

TEST(DialPlanService, TypedTextBecomesTheAddressDialled) {
    DialPlanService plan;
    const struct {
        const char* typed;
        const char* dialled;
    } cases[] = {
        {"(416) 555-1234", "4165551234"},
        {" +1 416.555.1234 ", "+14165551234"},
        {"*72#", "*72#"},
        {"sip:bob@x.example", "sip:bob@x.example"},
        {"bob@x.example", "bob@x.example"},
        {"bob", "bob"},
        {"   ", ""},
        {"bo\tb", ""},
        {"two words", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plan.dialString(c.typed), c.dialled) << c.typed;
    EXPECT_FALSE(plan.isNumberCallable("  "));
    EXPECT_TRUE(plan.isNumberCallable("5551234"));
}

} // namespace
