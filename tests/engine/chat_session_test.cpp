#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/ArchiveService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

using namespace engine_test;

namespace {

// Writes down what a chat window would hear.
struct ChatWindow : IMSessionPro {
    std::vector<std::string> heard;
    void imMessageReceivedPlain(const std::string& plain, const std::string& rich, platform::Date,
                                bool firstOne, const std::shared_ptr<ChatParticipant>&) override {
        heard.push_back("message:" + plain + "|" + rich + (firstOne ? "|first" : ""));
    }
    void remoteChatStateUpdate(int state) override {
        heard.push_back("typing:" + std::to_string(state));
    }
    void imRemoteNotSupportHTML() override { heard.push_back("plainOnly"); }
    void archiveItemAdded(const std::shared_ptr<ArchiveItem>& item) override {
        heard.push_back("archive:" + item->content());
    }
};

class ChatSessionTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        recorder = std::make_unique<EngineRecorder>(engine());
        startSession("alice", "wonderland");
        network().setMessageReplies({});
    }
    void TearDown() override {
        recorder.reset();
        EngineTest::TearDown();
    }
    std::shared_ptr<PhoneService> phone() const { return engine().phoneService(); }
    SimulatedNetwork& network() const { return *Scenario().network(); }
    std::shared_ptr<IMSession> open(const std::string& address, ChatWindow& window) {
        auto session = phone()->getIMService()->newIMSession(address, true, false);
        session->setDelegate(&window);
        settle();
        return session;
    }
    std::unique_ptr<EngineRecorder> recorder;
};

TEST_F(ChatSessionTest, TheDemosPartiesTypeThenAnswerEveryDeliveredMessage) {
    network().setMessageReplies({"Sure :-)", "Bye"});
    ChatWindow window;
    auto session = open("dave@chat.lumiq.example", window);
    session->sendMessage("a<b", "<span>a&lt;b</span>");
    EXPECT_EQ(session->messages().back().html, "<span>a&lt;b</span>");
    pass(0.9);
    EXPECT_EQ(window.heard, (std::vector<std::string>{"typing:1"}));
    pass(2);
    EXPECT_EQ(window.heard.back(), "message:Sure :-)|Sure :-)|first");

    network().setMessageDelivery(false);
    session->sendMessage("lost", "lost");
    pass(3);
    EXPECT_EQ(window.heard.size(), 2u) << "nobody answers a message that did not arrive";
    session->removeDelegate(&window);
}

TEST_F(ChatSessionTest, RichAndPlainMessagesTypingAndPlainTextPeersReachTheWindow) {
    ChatWindow window;
    auto session = open("dave@chat.lumiq.example", window);
    Scenario scenario;
    scenario.remoteTyping("dave@chat.lumiq.example", 1);
    scenario.incomingRichMessage("dave@chat.lumiq.example", "bold", "<b>bold</b>");
    scenario.incomingMessage("dave@chat.lumiq.example", "1 < 2 & \"3\"\nfour");
    scenario.remotePlainTextOnly("dave@chat.lumiq.example");
    settle();
    EXPECT_EQ(window.heard, (std::vector<std::string>{
                                "typing:1", "message:bold|<b>bold</b>|first",
                                "message:1 < 2 & \"3\"\nfour|1 &lt; 2 &amp; &quot;3&quot;<br/>four",
                                "plainOnly"}));
    session->removeDelegate(&window);
}

TEST_F(ChatSessionTest, TypingStatesAndTheTextMessageCounter) {
    ChatWindow window;
    auto chat = open("dave@chat.lumiq.example", window);
    ASSERT_TRUE(chat->chatState());
    chat->chatState()->composing();
    chat->chatState()->composing();
    chat->chatState()->paused();
    EXPECT_EQ(chat->chatState()->told(), (std::vector<ChatState::State>{ChatState::State::composing,
                                                                        ChatState::State::paused}));
    EXPECT_EQ(chat->textLeft(""), -1);

    auto sms = phone()->getIMService()->newIMSession("+15550100", false, true);
    ASSERT_TRUE(sms);
    EXPECT_FALSE(sms->chatState());
    EXPECT_EQ(sms->textLeft(""), 160);
    EXPECT_EQ(sms->textLeft("h\xC3\xA9llo"), 155) << "characters, not bytes";
    EXPECT_EQ(sms->textLeft(std::string(200, 'x')), 0);
    settle();
    chat->removeDelegate(&window);
}

TEST_F(ChatSessionTest, ASavedTranscriptIsKeptPerUserAndPartyAndAnnouncedToTheNextChat) {
    ChatWindow first;
    auto session = open("Dave@chat.lumiq.example", first);
    EXPECT_TRUE(first.heard.empty()) << "nothing archived yet";
    session->save("<font>one</font>");
    session->save("");
    session->removeDelegate(&first);
    session->end();
    settle();

    auto archive = phone()->getArchiveService();
    ASSERT_EQ(archive->itemsFor("xmpp:dave@chat.lumiq.example").size(), 1u);
    EXPECT_TRUE(archive->itemsFor("erin@chat.lumiq.example").empty());

    ChatWindow second;
    auto again = open("dave@chat.lumiq.example", second);
    EXPECT_EQ(second.heard, (std::vector<std::string>{"archive:<font>one</font>"}));
    again->removeDelegate(&second);

    // The store is the engine's database: another user does not see it.
    EXPECT_TRUE(archive->isOpen());
    archive->open(archive->isOpen() ? std::optional<std::filesystem::path>(engine().store().file())
                                    : std::nullopt,
                  "bob");
    EXPECT_TRUE(archive->itemsFor("dave@chat.lumiq.example").empty());
}

} // namespace
