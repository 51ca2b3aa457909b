#include "app/AppTestSupport.h"
#include "app/core/SheetsTracker.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "engine/ArchiveService.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/kit/Workspace.h"

using namespace app_test;

namespace {

constexpr const char* dave = "dave@chat.lumiq.example";
constexpr const char* erin = "erin@chat.lumiq.example";
constexpr const char* frank = "frank@chat.lumiq.example";

std::shared_ptr<ArchiveService> archive() {
    return StartupService::instance().phoneService()->getArchiveService();
}

std::vector<std::string> names(const IMArchiveWindowController& window) {
    std::vector<std::string> out;
    for (const auto& contact : window.contacts())
        out.push_back(contact->address());
    return out;
}

// A signed-in engine with archived conversations with three parties, on the manual clock.
class ArchiveWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        signInDemoUser();
        if (HasFatalFailure())
            return;
        features(true, true, false);
        const auto when = platform::Date::fromUnixTime(1'700'000'000);
        daveHello = archive()->save(dave, "<font>Hello World</font>", when);
        daveAgain = archive()->save(
            dave, "<font color=\"#112233\">Well, hello again. HELLO!</font> <a href=\"x\">more</a>",
            when, ArchiveItem::textMessage);
        archive()->save(erin, "<font>Colour of the tram</font>", when);
        archive()->save(frank, "<font>Frank's note</font>", when);
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        IMArchiveWindowController::close();
        settle();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }
    static void features(bool im, bool sms, bool groups) {
        auto service = StartupService::instance().featuresService();
        service->setFeatureAvailable("instantMessagingEnabled", im);
        service->setFeatureAvailable("textMessagingEnabled", sms);
        service->setFeatureAvailable("groupChatEnabled", groups);
    }
    static IMArchiveWindowController& open() {
        auto& window = IMArchiveWindowController::sharedIMArchiveWindowController();
        window.showWindow(nullptr);
        settle();
        return window;
    }
    static void type(IMArchiveWindowController& window, const std::string& text) {
        window.filterTextField().setStringValue(text);
        window.filterTextChanged();
        settle();
    }
    static std::vector<std::string> highlights(IMArchiveWindowController& window) {
        std::vector<std::string> out;
        for (const auto& span :
             window.chatWebView().mainFrameDocument().getElementsByTagName("span")) {
            if (span.getAttribute("style") == "background: #ffff00;")
                out.push_back(span.textContent());
        }
        return out;
    }

    std::shared_ptr<ArchiveItem> daveHello;
    std::shared_ptr<ArchiveItem> daveAgain;
};

TEST_F(ArchiveWindowTest, OpensOnTheFirstPartyAndItsFirstConversationAndSearchesWithHighlights) {
    auto& window = open();
    EXPECT_EQ(names(window), (std::vector<std::string>{dave, erin, frank}));
    EXPECT_EQ(window.contactsTableView().selectedRow(), 0);
    ASSERT_EQ(window.items().size(), 2u);
    EXPECT_EQ(window.itemsTableView().selectedRow(), 0);
    EXPECT_NE(window.shownTranscript().find("Hello World"), std::string::npos);
    EXPECT_TRUE(highlights(window).empty());

    // The search runs in the engine; the shown transcript marks every match, as typed.
    type(window, "  hello ");
    ASSERT_EQ(window.items().size(), 2u);
    EXPECT_EQ(highlights(window), std::vector<std::string>{"hello"});
    window.itemsTableView().selectRow(1, false);
    settle();
    EXPECT_EQ(highlights(window), (std::vector<std::string>{"hello", "hello"}));
    EXPECT_NE(window.shownTranscript().find("Well, "), std::string::npos)
        << "the text between matches stays as it was";
    EXPECT_NE(window.shownTranscript().find("more"), std::string::npos)
        << "only font elements are rebuilt";

    type(window, "112233"); // only inside markup
    EXPECT_TRUE(window.items().empty());
    EXPECT_EQ(window.shownTranscript().find("Hello"), std::string::npos);

    // The type menu narrows by kind; its items carry their codes.
    type(window, "");
    ASSERT_FALSE(window.filterBoxHidden());
    EXPECT_EQ(window.filterTypeField().itemTitles(),
              (std::vector<std::string>{"All", "Instant Message", "Mobile Text Message"}));
    window.filterByType(4);
    settle();
    ASSERT_EQ(window.items().size(), 1u);
    EXPECT_EQ(window.items().front()->itemID(), daveAgain->itemID());

    // Another party's list.
    window.filterByType(0);
    window.contactsTableView().selectRow(1, false);
    settle();
    ASSERT_EQ(window.items().size(), 1u);
    EXPECT_NE(window.shownTranscript().find("tram"), std::string::npos);
}

TEST_F(ArchiveWindowTest, HighlightingKeepsTheTextAndMarksEveryMatchIgnoringCase) {
    const struct {
        std::string text, filter, html;
    } cases[] = {
        {"Hello world", "hello",
         "<span style=\"background: #ffff00;\">hello</span><span> world</span>"},
        {"say HELLO", "hello",
         "<span>say </span><span style=\"background: #ffff00;\">hello</span>"},
        {"ÉTÉ été", "été",
         "<span style=\"background: #ffff00;\">été</span><span> </span>"
         "<span style=\"background: #ffff00;\">été</span>"},
        {"a <b> & c", "&",
         "<span>a &lt;b&gt; </span><span style=\"background: #ffff00;\">&amp;"
         "</span><span> c</span>"},
        {"nothing", "zzz", "<span>nothing</span>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IMArchiveWindowController::highlightedHTML(c.text, c.filter), c.html) << c.text;
}

TEST_F(ArchiveWindowTest, DeletingTakesTheLastSelectedConversationAtOnceAndAPartyAfterAsking) {
    auto& window = open();
    window.itemsTableView().selectRowIndexes({0, 1}, false);
    window.itemsTableView().selectRow(1, true); // the last selected
    settle();
    window.deleteSelection(window.itemsTableView());
    settle();
    ASSERT_EQ(window.items().size(), 1u);
    EXPECT_EQ(window.items().front()->itemID(), daveHello->itemID());
    EXPECT_EQ(archive()->itemsFor(dave).size(), 1u);
    EXPECT_EQ(window.itemsTableView().selectedRow(), 0);

    // The last party: asked first; No keeps it, Yes removes it and row 0 is selected.
    window.contactsTableView().selectRow(2, false);
    settle();
    window.deleteSelection(window.contactsTableView());
    platform::Window* sheet = window.window()->attachedSheet();
    ASSERT_TRUE(sheet);
    platform::WindowServer::shared().endSheet(*sheet, platform::AlertFirstButtonReturn + 1);
    settle();
    EXPECT_EQ(names(window).size(), 3u);
    window.deleteSelection(window.contactsTableView());
    sheet = window.window()->attachedSheet();
    ASSERT_TRUE(sheet);
    platform::WindowServer::shared().endSheet(*sheet, platform::AlertFirstButtonReturn);
    settle();
    EXPECT_EQ(names(window), (std::vector<std::string>{dave, erin}));
    EXPECT_EQ(window.contactsTableView().selectedRow(), 0);
    EXPECT_FALSE(archive()->inArchive(frank));
}

TEST_F(ArchiveWindowTest, EngineChangesWhileTheUserSelectsKeepTheSelectionOnItsParty) {
    auto& window = open();
    window.contactsTableView().selectRow(2, false); // frank
    settle();
    // Another window deletes erin's archive; a new party arrives; frank stays selected.
    archive()->archiveContacts()[1]->remove();
    archive()->save("gina@chat.lumiq.example", "<font>new</font>", platform::Date::now());
    settle();
    EXPECT_EQ(names(window), (std::vector<std::string>{dave, frank, "gina@chat.lumiq.example"}));
    EXPECT_EQ(window.contactsTableView().selectedRow(), 1);
    ASSERT_EQ(window.items().size(), 1u);

    // A conversation archived with the shown party joins its list.
    archive()->save(frank, "<font>later</font>", platform::Date::now());
    EXPECT_EQ(window.items().size(), 2u);

    // A filter answered after its party went shows nothing of it.
    type(window, "note");
    archive()->archiveContacts()[1]->remove();
    settle();
    EXPECT_TRUE(window.items().empty());
    EXPECT_EQ(window.contactsTableView().selectedRow(), -1);
}

TEST_F(ArchiveWindowTest, AContactAskedForBeforeTheListArrivesIsSelectedWhenItDoes) {
    auto contact = std::make_shared<OVEntity>(77, OVEntity::typeLogicalContact, "Erin");
    contact->updateField(std::string(OVField::fieldJidAddr), erin);
    auto& window = IMArchiveWindowController::sharedIMArchiveWindowController();
    window.showChatsFor(contact);
    EXPECT_TRUE(window.contacts().empty());
    window.showWindow(nullptr);
    settle();
    EXPECT_EQ(window.contactsTableView().selectedRow(), 1);
    EXPECT_NE(window.shownTranscript().find("tram"), std::string::npos);

    window.showChatsForAddress(std::string("xmpp:") + frank);
    settle();
    EXPECT_EQ(window.contactsTableView().selectedRow(), 2);

    // The same by address, as a chat window's archive link asks a window just made.
    IMArchiveWindowController::close();
    auto& fresh = IMArchiveWindowController::sharedIMArchiveWindowController();
    fresh.showWindow(nullptr);
    fresh.showChatsForAddress(erin);
    EXPECT_TRUE(fresh.contacts().empty());
    settle();
    EXPECT_EQ(fresh.contactsTableView().selectedRow(), 1);
    EXPECT_NE(fresh.shownTranscript().find("tram"), std::string::npos);
}

TEST_F(ArchiveWindowTest, TheTypeMenuAndColumnFollowTheMessagingFeatures) {
    IMArchiveWindowController::close();
    features(true, false, false);
    auto& imOnly = open();
    EXPECT_TRUE(imOnly.filterBoxHidden());
    EXPECT_TRUE(imOnly.itemsTableView().tableColumnWithIdentifier("type"));
    IMArchiveWindowController::close();

    features(false, true, true);
    auto& noIM = open();
    EXPECT_FALSE(noIM.filterBoxHidden());
    EXPECT_EQ(noIM.filterTypeField().itemTitles(),
              (std::vector<std::string>{"All", "Mobile Text Message", "Group Chat"}));
    EXPECT_FALSE(noIM.itemsTableView().tableColumnWithIdentifier("type"));

    // A link in a transcript is not followed in the window (the opener is a stand-in).
    platform::Workspace::sharedWorkspace().setOpenerProgram("/nonexistent/opener");
    platform::WebNavigationAction click;
    click.navigationType = platform::WebNavigationType::LinkClicked;
    click.url = "https://example.com/";
    EXPECT_EQ(noIM.webViewDecidePolicyForNavigationAction(noIM.chatWebView(), click),
              platform::WebPolicyDecision::Ignore);
    click.navigationType = platform::WebNavigationType::Other;
    EXPECT_EQ(noIM.webViewDecidePolicyForNavigationAction(noIM.chatWebView(), click),
              platform::WebPolicyDecision::Use);
    platform::Workspace::sharedWorkspace().setOpenerProgram({});
}

} // namespace
