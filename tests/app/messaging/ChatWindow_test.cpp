#include "app/AppTestSupport.h"
#include "app/core/DockController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/messaging/IMWindowController.h"
#include "engine/ArchiveService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>

using namespace app_test;

namespace {

constexpr const char* bob = "sip:bob@sip.lumiq.example";
constexpr const char* carol = "sip:carol@sip.lumiq.example";

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

// A signed-in, started engine and an application controller that opens chat windows for the
// engine's sessions, on the manual clock; the other parties do not answer unless told.
class ChatWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        signInDemoUser();
        if (HasFatalFailure())
            return;
        scenario.emplace();
        scenario->network()->setMessageReplies({});
        controller = std::make_unique<AppController>();
        app().setDelegate(controller.get());
        window = MainAppWindow::makeFromInterfaceDefinition();
        window->awake();
        controller->setMainWindow(window.get());
        window->displayMain();
        controller->attachEventHubServices();
        pass(2);
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        settle();
        controller.reset();
        DockController::releaseSharedDockController();
        PrimaryModuleController::releaseSharedController();
        FunctionModuleController::releaseSharedController();
        settle();
        window.reset();
        scenario.reset();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }

    static void pass(double seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static void settle() { platform::RunLoop::main().runUntilIdle(); }
    static void setting(std::string_view group, std::string_view name, bool on) {
        phone()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub(group)
            ->sub(name)
            ->setBoolSetting(on, true);
    }
    IMWindowController* chatWith(std::string_view address) const {
        for (const auto& object : controller->imWindowControllers()) {
            auto* chat = dynamic_cast<IMWindowController*>(object.get());
            if (chat && chat->imSession() &&
                OVEntity::sameAddress(chat->imSession()->remoteAddress(), std::string(address))) {
                return chat;
            }
        }
        return nullptr;
    }
    IMWindowController* openChat(std::string_view address) {
        phone()->getIMService()->newIMSession(std::string(address), false, false);
        pass(0.1);
        return chatWith(address);
    }
    static std::vector<platform::DOMElement> entries(IMWindowController& chat) {
        return chat.webView()->mainFrameDocument().getElementById("paras").children();
    }

    std::optional<Scenario> scenario;
    std::unique_ptr<AppController> controller;
    std::shared_ptr<MainAppWindow> window;
};

TEST_F(ChatWindowTest, AMessageFromBobOpensBehindTheKeyChatWithOneBadgeAndShowsAsText) {
    setting("alerts", "enableSounds", true);
    auto* carolChat = openChat(carol);
    ASSERT_TRUE(carolChat);
    EXPECT_TRUE(carolChat->window()->isKeyWindow()) << "a chat the user opens comes forward";

    scenario->incomingMessage(bob, "Hello <b>there</b> & :-)", "Bob <i>Baker</i>");
    pass(0.1);
    auto* bobChat = chatWith(bob);
    ASSERT_TRUE(bobChat);
    EXPECT_TRUE(carolChat->window()->isKeyWindow()) << "the new chat does not take the focus";
    const auto ordered = platform::WindowServer::shared().orderedWindows();
    const auto at = [&](platform::Window* w) {
        return std::find(ordered.begin(), ordered.end(), w) - ordered.begin();
    };
    EXPECT_EQ(at(bobChat->window()), at(carolChat->window()) + 1) << "just behind the key chat";
    EXPECT_EQ(bobChat->window()->title(), "Chat with Bob <i>Baker</i>");

    scenario->incomingMessage(bob, "Still there?", "Bob <i>Baker</i>");
    pass(0.1);
    auto& dock = DockController::sharedDockController();
    EXPECT_EQ(dock.missedImBadge().count(), 1u) << "one badge however many messages";
    EXPECT_EQ(phone()->getTonePlayer()->playedTones().size(), 2u);

    const auto shown = entries(*bobChat);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].className(), "buddy");
    EXPECT_NE(shown[0].textContent().find("Hello <b>there</b> &"), std::string::npos)
        << "plain text stays text";
    auto& doc = bobChat->webView()->mainFrameDocument();
    EXPECT_EQ(doc.evaluateXPath("//div[@class='buddy']//img").size(), 1u) << "the smiley";
    EXPECT_TRUE(doc.getElementsByTagName("i").empty()) << "the sender's name is no markup";
    EXPECT_EQ(doc.evaluateXPath("//div[@class='username_buddy']").front().textContent(),
              "Bob <i>Baker</i> \xC2\xA0");
    EXPECT_EQ(bobChat->chatStateText().rfind("Last message received: ", 0), 0u);

    bobChat->window()->makeKeyAndOrderFront(nullptr);
    pass(0.6);
    EXPECT_FALSE(bobChat->isUnreadBadgeShown());
    EXPECT_EQ(dock.missedImBadge().count(), 0u);
}

TEST_F(ChatWindowTest, RichTextTypedIsSentAsPlainTextAndExactHTMLByTheEnterRule) {
    auto* chat = openChat(carol);
    ASSERT_TRUE(chat);
    auto session = chat->imSession();
    auto* input = chat->inputView();
    struct Case {
        bool enterSends;
        const char* command;
        bool sends;
    };
    const Case cases[] = {
        {true, "insertNewline:", true},
        {true, "insertLineBreak:", false},
        {false, "insertNewline:", false},
        {false, "insertLineBreak:", true},
    };
    for (const auto& c : cases) {
        setting("application", "enterAction", c.enterSends);
        const auto before = session->messages().size();
        input->insertText("x");
        input->doCommandBySelector(c.command);
        EXPECT_EQ(session->messages().size(), before + (c.sends ? 1 : 0)) << c.command;
        EXPECT_EQ(input->string(), c.sends ? "" : "x\n") << c.command;
        input->setString("");
        input->didChangeText();
    }

    setting("application", "enterAction", true);
    chat->setBold(true);
    input->insertText("Hi <you>");
    chat->setBold(false);
    input->insertText("\n& see www.example.com\n\n");
    EXPECT_TRUE(chat->isSendEnabled());
    input->doCommandBySelector("insertNewline:");
    ASSERT_FALSE(session->messages().empty());
    const auto& sent = session->messages().back();
    EXPECT_EQ(sent.text, "Hi <you>\n& see www.example.com");
    EXPECT_EQ(sent.html, R"(<span style=" color: #000000; font-weight:bold; font-size: 13px">)"
                         R"(<font face="Arial">Hi &lt;you&gt;</font></span>)"
                         R"(<span style=" color: #000000; font-size: 13px"><font face="Arial">)"
                         R"(<br/>&amp; see </font></span><a href='http://www.example.com'>)"
                         R"(<span style=" color: #000000; font-size: 13px"><font face="Arial">)"
                         R"(www.example.com</font></span></a>)");
    EXPECT_TRUE(input->string().empty());
    EXPECT_FALSE(chat->isSendEnabled());
    const auto shown = entries(*chat);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().className(), "user");

    // Blanks alone send nothing but are cleared.
    const auto count = session->messages().size();
    input->insertText(" \n ");
    chat->sendUserInput();
    EXPECT_EQ(session->messages().size(), count);
    EXPECT_TRUE(input->string().empty());
}

TEST_F(ChatWindowTest, TypingIsToldAndPausesAfterTenSeconds) {
    auto* chat = openChat(carol);
    ASSERT_TRUE(chat);
    auto state = chat->imSession()->chatState();
    ASSERT_TRUE(state);
    chat->inputView()->insertText("h");
    EXPECT_EQ(state->state(), ChatState::State::composing);
    pass(9.5);
    EXPECT_EQ(state->state(), ChatState::State::composing);
    pass(1);
    EXPECT_EQ(state->state(), ChatState::State::paused);
    chat->inputView()->selectAll(nullptr);
    chat->inputView()->insertText("");
    EXPECT_EQ(state->state(), ChatState::State::active);

    scenario->remoteTyping(carol, 1);
    settle();
    EXPECT_EQ(chat->chatStateText(), chat->remoteDisplayName() + " is typing");
}

TEST_F(ChatWindowTest, TheEndOfASessionArchivesItsTranscriptOnlyWithAMessageInIt) {
    auto archive = phone()->getArchiveService();
    auto* quiet = openChat(carol);
    ASSERT_TRUE(quiet);
    quiet->imSession()->end();
    pass(0.1);
    EXPECT_EQ(quiet->imSession(), nullptr);
    EXPECT_TRUE(archive->itemsFor(carol).empty());
    EXPECT_FALSE(quiet->inputView()->isEditable());

    scenario->incomingMessage(bob, "Hi", "Bob");
    pass(0.1);
    auto* talk = chatWith(bob);
    ASSERT_TRUE(talk);
    talk->inputView()->insertText("Hello Bob");
    talk->sendUserInput();
    talk->imSession()->end();
    pass(0.1);
    const auto items = archive->itemsFor(bob);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_NE(items[0]->content().find("<font face=\"Arial\">Hello Bob</font>"), std::string::npos);
    EXPECT_EQ(entries(*talk).back().className(), "warning_message");

    // The next chat with the party shows it above its messages.
    scenario->incomingMessage(bob, "Me again", "Bob");
    pass(0.1);
    // The ended window has no session any more, so this is the new one.
    auto* next = chatWith(bob);
    ASSERT_TRUE(next);
    ASSERT_NE(next, talk);
    const auto shown = entries(*next);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].getAttribute("id"), "archive_div");
    EXPECT_NE(shown[0].textContent().find("Hello Bob"), std::string::npos);
}

} // namespace
