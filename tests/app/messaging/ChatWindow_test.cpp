#include "app/messaging/ChatFixture.h"
#include "app/messaging/ChatInputView.h"
#include "app/messaging/ChatPaneDivider.h"
#include "app/messaging/ChatSmileys.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "engine/ArchiveService.h"
#include "engine/FileTransferService.h"
#include "platform/kit/Alert.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"

#include <algorithm>
#include <fstream>

using namespace app_test;
using namespace chat_test;

namespace {

constexpr const char* bob = "sip:bob@sip.lumiq.example";
constexpr const char* carol = "sip:carol@sip.lumiq.example";
constexpr const char* dave = "sip:dave@sip.lumiq.example";
constexpr const char* daveChat = "dave@chat.lumiq.example";

class ChatWindowTest : public ChatFixture {
protected:
    static void setting(std::string_view group, std::string_view name, bool on) {
        phone()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub(group)
            ->sub(name)
            ->setBoolSetting(on, true);
    }
    static std::vector<platform::DOMElement> entries(IMWindowController& chat) {
        return chat.webView()->mainFrameDocument().getElementById("paras").children();
    }
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

TEST_F(ChatWindowTest, TheFormattingControlsStyleWhatIsTypedAndTheInputDrawsItsRuns) {
    auto* chat = openChat(carol);
    ASSERT_TRUE(chat);
    auto* input = chat->inputView();
    const auto choose = [&](platform::PopUpButton* pullDown, std::string_view title,
                            std::string_view action) {
        pullDown->selectItemWithTitle(title);
        EXPECT_TRUE(chat->tryToPerform(action, pullDown)) << title;
    };
    chat->tryToPerform("largerFont:", nullptr);
    chat->tryToPerform("largerFont:", nullptr);
    choose(chat->fontButton(), "Verdana", "chooseFont:");
    choose(chat->colorButton(), "Red", "chooseColor:");
    chat->setBold(true);
    input->insertText("big");
    for (int i = 0; i < 20; ++i)
        chat->tryToPerform("smallerFont:", nullptr);
    chat->setBold(false);
    input->insertText(" small");
    choose(chat->smileyButton(), "Winking", "insertSmiley:");
    EXPECT_EQ(input->string(), "big small;-)");
    EXPECT_EQ(
        chat->composedHTML(),
        R"(<span style=" color: #ff0000; font-weight:bold; font-size: 15px">)"
        R"(<font face="Verdana">big</font></span>)"
        R"(<span style=" color: #ff0000; font-size: 8px"><font face="Verdana"> small;-)</font>)"
        R"(</span>)");

    // The input shows the runs as they will be sent.
    const auto& drawn = input->textStorage();
    const auto first = drawn.attributesAtIndex(0);
    ASSERT_TRUE(first.font);
    EXPECT_TRUE(first.font->isBold());
    EXPECT_EQ(first.font->pointSize(), 15);
    EXPECT_EQ(first.foregroundColor, platform::Color::redColor());
    const auto last = drawn.attributesAtIndex(drawn.length() - 1);
    ASSERT_TRUE(last.font);
    EXPECT_FALSE(last.font->isBold());
    EXPECT_EQ(last.font->pointSize(), 8);

    // The smiley pull-down: its face, then every smiley with its picture.
    const auto smileys = chat->smileyButton()->itemArray();
    ASSERT_EQ(smileys.size(), ChatSmileys::all().size() + 1);
    EXPECT_TRUE(smileys[0]->title().empty());
    for (std::size_t i = 1; i < smileys.size(); ++i)
        EXPECT_TRUE(smileys[i]->image()) << smileys[i]->title();
}

TEST_F(ChatWindowTest, DropsOnTheInputInsertTextAndOfferFilesOnlyToAnOnlinePartyOverXMPP) {
    foundation_test::TempDir tmp;
    const auto file = (tmp / "notes.txt").string();
    std::ofstream(file) << "notes";
    const auto folder = tmp.path().string();

    // A smiley's picture dragged out of a transcript comes back as its code.
    auto* sip = openChat(dave);
    ASSERT_TRUE(sip);
    auto* input = dynamic_cast<ChatInputView*>(sip->inputView());
    ASSERT_TRUE(input);
    std::string picture = ChatSmileys::imageURL("Cool");
    ASSERT_FALSE(picture.empty());
    sip->dropText("FILE:" + picture.substr(5));
    sip->dropText(" plain text");
    EXPECT_EQ(input->string(), "8-) plain text");
    EXPECT_FALSE(sip->dropFiles({file})) << "not over XMPP";

    auto transfers = phone()->getFileTransferService();
    auto* xmpp = openChat(daveChat, true);
    ASSERT_TRUE(xmpp);
    ASSERT_NE(xmpp, sip);
    const auto before = transfers->requests().size();
    EXPECT_FALSE(xmpp->dropFiles({folder, file + ".missing"})) << "nothing left to send";
    EXPECT_TRUE(xmpp->dropFiles({folder, file, file + ".missing"}));
    ASSERT_EQ(transfers->requests().size(), before + 1);
    ASSERT_EQ(transfers->requests().back()->items().size(), 1u);
    EXPECT_EQ(transfers->requests().back()->items()[0].source, file);

    scenario->presenceChange(daveChat, OVPresenceStatus::statusOffline);
    pass(0.1);
    EXPECT_FALSE(xmpp->dropFiles({file})) << "Dave is offline";
}

TEST_F(ChatWindowTest, AnOfflinePartyIsNotedBelowTheTranscriptUntilTheyAreBack) {
    scenario->presenceChange(dave, OVPresenceStatus::statusOffline);
    pass(0.1);
    auto* chat = openChat(dave);
    ASSERT_TRUE(chat);
    pass(0.1);
    ASSERT_TRUE(chat->isRemotePartyOffline());
    auto shown = entries(*chat);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().className(), "statusmessage_offline");
    EXPECT_EQ(shown.back().textContent().rfind("Dave Dunn appears to be offline ", 0), 0u)
        << shown.back().textContent();

    // A message while they still look offline leaves the notice.
    scenario->incomingMessage(dave, "Are you there?", "Dave Dunn");
    pass(0.1);
    shown = entries(*chat);
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const auto& e) { return e.className() == "statusmessage_offline"; }),
              1);
}

TEST_F(ChatWindowTest, TheDividerKeepsBothPanesTheirLeastHeight) {
    auto* chat = openChat(carol);
    ASSERT_TRUE(chat);
    const double height = chat->window()->contentView()->bounds().size.height;
    ASSERT_GT(height, 2 * IMWindowController::minimumPaneLength);
    struct Case {
        double dragTo;
        double inputPane;
    };
    const Case cases[] = {
        {150, 150},
        {20, IMWindowController::minimumPaneLength},
        {height - 10, height - IMWindowController::minimumPaneLength},
    };
    for (const auto& c : cases) {
        chat->dragDivider(c.dragTo);
        EXPECT_EQ(chat->inputPaneHeight(), c.inputPane) << c.dragTo;
        EXPECT_EQ(chat->divider()->frame().midY(), c.inputPane) << c.dragTo;
        EXPECT_EQ(chat->webView()->frame().minY(), c.inputPane) << c.dragTo;
    }
    // Resizing keeps the input pane's height.
    chat->dragDivider(150);
    auto frame = chat->window()->frame();
    frame.size.height += 80;
    chat->window()->setFrame(frame, false);
    EXPECT_EQ(chat->inputPaneHeight(), 150);
}

TEST_F(ChatWindowTest, TheTranscriptOffersNoBrowsingAndItsArchiveLinkOpensThisPartysArchive) {
    auto archive = StartupService::instance().phoneService()->getArchiveService();
    const auto when = platform::Date::fromUnixTime(1'700'000'000);
    archive->save("sip:aaron@sip.lumiq.example", "<font>Hi</font>", when);
    archive->save(carol, "<font>Earlier with Carol</font>", when);
    auto* chat = openChat(carol);
    ASSERT_TRUE(chat);
    std::vector<std::shared_ptr<platform::MenuItem>> offered;
    for (long tag = platform::WebMenuItemTagOpenLinkInNewWindow;
         tag <= platform::WebMenuItemTagReload; ++tag) {
        offered.push_back(std::make_shared<platform::MenuItem>("item", "webMenuItem:", ""));
        offered.back()->setTag(tag);
    }
    std::vector<long> kept;
    for (const auto& item : chat->webViewContextMenuItemsForElement(*chat->webView(), {}, offered))
        kept.push_back(item->tag());
    EXPECT_EQ(kept, (std::vector<long>{platform::WebMenuItemTagCopyLinkToClipboard,
                                       platform::WebMenuItemTagCopyImageToClipboard,
                                       platform::WebMenuItemTagCopy}));

    chat->webView()->followLink("view_archive", "");
    settle();
    ASSERT_TRUE(IMArchiveWindowController::sharedIMArchiveWindowControllerExists());
    auto& window = IMArchiveWindowController::sharedIMArchiveWindowController();
    EXPECT_TRUE(window.window()->isVisible());
    const long row = window.contactsTableView().selectedRow();
    ASSERT_TRUE(row >= 0 && row < static_cast<long>(window.contacts().size()));
    EXPECT_EQ(window.contacts()[static_cast<std::size_t>(row)]->address(),
              "carol@sip.lumiq.example");
    EXPECT_NE(window.shownTranscript().find("Earlier with Carol"), std::string::npos);
    IMArchiveWindowController::close();
}

constexpr const char* room = "room@conference.chat.lumiq.example";

TEST_F(ChatWindowTest, AGroupChatShowsWhoComesWritesAndLeavesWithItsTitleCountingThem) {
    scenario->chatInvitation(room, "bob@chat.lumiq.example", "Bob <b>Baker</b>", "Join us");
    pass(0.1);
    ASSERT_EQ(ChatInvitationWindowController::openControllers().size(), 1u);
    auto invitation = ChatInvitationWindowController::openControllers().front();
    EXPECT_EQ(invitation->captionText(),
              "Bob <b>Baker</b> would like to invite you to a Group Chat. If declining enter a "
              "reason:");
    EXPECT_EQ(invitation->inviteMessageText(), "Join us");
    invitation->acceptButton()->performClick(nullptr);
    invitation.reset();
    pass(0.1);
    EXPECT_TRUE(ChatInvitationWindowController::openControllers().empty());
    IMWindowController* chat = nullptr;
    for (const auto& object : controller->imWindowControllers())
        if (auto* c = dynamic_cast<IMWindowController*>(object.get());
            c && c->imSession() && c->imSession()->isGroupChat())
            chat = c;
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->window()->title(), "Group Chat - 1 participant");
    EXPECT_FALSE(chat->window()->toolbar());

    // The demo room: ready, Dave and Erin come in and write, Erin leaves.
    pass(8);
    std::vector<std::pair<std::string, std::string>> shown;
    for (const auto& entry : entries(*chat))
        shown.emplace_back(entry.className(), entry.textContent());
    const auto has = [&](const std::string& className, const std::string& start) {
        return std::any_of(shown.begin(), shown.end(), [&](const auto& e) {
            return e.first == className && e.second.rfind(start, 0) == 0;
        });
    };
    EXPECT_TRUE(has("statusmessagegroupchat_ready", "Group Chat ready!"));
    EXPECT_TRUE(has("statusmessagegroupchat_ready", "Dave Dunn has joined the Group Chat"));
    EXPECT_TRUE(has("statusmessagegroupchat_ready", "Erin Evans has joined the Group Chat"));
    EXPECT_TRUE(has("buddy", "Hello everyone!Dave Dunn"));
    EXPECT_TRUE(has("buddy", "Hi all, I can only stay a minute.Erin Evans"));
    EXPECT_TRUE(has("statusmessagegroupchat_ready", "Erin Evans has left the Group Chat"));
    EXPECT_EQ(chat->window()->title(), "Group Chat - 2 participants");
    EXPECT_EQ(chat->participantTable()->numberOfRows(), 2);

    // What the user writes comes back from the room once, as the user's.
    const auto before = entries(*chat).size();
    chat->inputView()->insertText("Hi both");
    chat->sendUserInput();
    pass(0.5);
    const auto after = entries(*chat);
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(after.back().className(), "user");

    // The participants' menu: a private chat with another, nothing for the user's own row.
    EXPECT_TRUE(chat->participantMenuItems(0).empty());
    const auto items = chat->participantMenuItems(1);
    ASSERT_EQ(items.size(), 1u) << "not the host: no removing";
    EXPECT_EQ(items[0]->title(), "Start Private Conversation");

    // Someone's name is text in the notices, never markup.
    scenario->roomJoined(room, "mallory@chat.lumiq.example", "<img src=x>");
    pass(0.1);
    EXPECT_EQ(entries(*chat).back().textContent(), "<img src=x> has joined the Group Chat");
}

TEST_F(ChatWindowTest, TheRoomsStatusCodesShowAsNoticesOrAskOrCloseTheWindow) {
    scenario->chatInvitation(room, "bob@chat.lumiq.example", "Bob");
    pass(0.1);
    ChatInvitationWindowController::openControllers().front()->accept(nullptr);
    pass(0.5);
    auto* chat = chatWith(room);
    ASSERT_TRUE(chat);
    struct Case {
        int code;
        const char* info;
        const char* notice; // nullptr: none
    };
    const Case cases[] = {
        {0, "", "Group Chat ready!"},
        {1, "Carol", "Can't invite Carol, already a participant."},
        {2, "Carol", "You have invited Carol to the Group Chat"},
        {3, "Carol", "Carol has declined invitation: too busy"},
        {12, "Lunch", "Subject changed"},
        {12, "Anything and Everything", nullptr},
        {13, "", nullptr},
        {14, "", "Error encountered"},
        {15, "", "Group Chat has been closed"},
        {16, "", nullptr},
    };
    for (const auto& c : cases) {
        const auto before = entries(*chat).size();
        scenario->roomStatus(room, c.code, c.info, "too busy");
        pass(0.1);
        const auto now = entries(*chat);
        if (!c.notice) {
            EXPECT_EQ(now.size(), before) << c.code;
            continue;
        }
        ASSERT_EQ(now.size(), before + 1) << c.code;
        EXPECT_EQ(now.back().textContent(), c.notice) << c.code;
    }

    // A refused join asks for a nickname and password; Cancel closes the window.
    scenario->roomStatus(room, 4);
    pass(0.1);
    auto* sheet = chat->window()->attachedSheet();
    ASSERT_TRUE(sheet);
    platform::WindowServer::shared().endSheet(*sheet, 1001);
    pass(0.1);
    EXPECT_FALSE(chatWith(room)) << "closed";

    // A room that cannot be joined says why, then closes.
    phone()->getIMService()->openGroupSession("other@conference.chat.lumiq.example");
    pass(0.1);
    auto* other = chatWith("other@conference.chat.lumiq.example");
    ASSERT_TRUE(other);
    scenario->roomStatus("other@conference.chat.lumiq.example", 6);
    pass(0.1);
    sheet = other->window()->attachedSheet();
    ASSERT_TRUE(sheet);
    platform::WindowServer::shared().endSheet(*sheet, 1000);
    pass(0.1);
    EXPECT_FALSE(chatWith("other@conference.chat.lumiq.example"));
}

TEST_F(ChatWindowTest, AnInvitationDeclinedOrTerminatedAnswersOnceAndFreesItsWindow) {
    scenario->chatInvitation(room, "bob@chat.lumiq.example", "Bob");
    scenario->chatInvitation("r2@conference.other.example", "carol@other.example", "Carol");
    scenario->chatInvitation("r3@conference.chat.lumiq.example", "dave@chat.lumiq.example", "Dave");
    pass(0.1);
    auto open = ChatInvitationWindowController::openControllers();
    ASSERT_EQ(open.size(), 3u);
    std::weak_ptr<ChatInvitationWindowController> declined = open[0];
    auto bobs = open[0]->invitation();
    auto carols = open[1]->invitation();
    auto daves = open[2]->invitation();

    // Declined with the reason typed (an empty one too).
    open[0]->declineField()->setStringValue("");
    open[0]->declineButton()->performClick(nullptr);
    EXPECT_TRUE(bobs->isAnswered());
    EXPECT_EQ(bobs->declineReason(), "");

    // The chat account goes: Dave's invitation came through its server, Carol's did not.
    scenario->accountRemoved("Alice (Chat)");
    pass(0.1);
    EXPECT_TRUE(open[2]->isTerminated());
    EXPECT_EQ(open[2]->captionText(), "Group chat invitation from Dave was terminated");
    EXPECT_TRUE(open[2]->acceptButton()->isHidden());
    EXPECT_FALSE(open[2]->closeButton()->isHidden());
    EXPECT_FALSE(open[1]->isTerminated());
    open[2]->window()->performClose(nullptr);
    EXPECT_FALSE(daves->isAnswered()) << "a terminated invitation is not answered";

    // Closing the window with its own control declines with the text there.
    open[1]->declineField()->setStringValue("Not now");
    open[1]->window()->performClose(nullptr);
    EXPECT_EQ(carols->declineReason(), "Not now");

    const std::weak_ptr<ChatInvitationWindowController> gone = open[1];
    open.clear();
    pass(0.1);
    EXPECT_TRUE(ChatInvitationWindowController::openControllers().empty());
    EXPECT_FALSE(declined.lock()) << "freed";
    EXPECT_FALSE(gone.lock()) << "freed";
}

} // namespace
