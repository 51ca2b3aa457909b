#include "app/messaging/ChatFixture.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "engine/AccountService.h"
#include "engine/OVIMService.h"
#include "platform/kit/Button.h"

using namespace app_test;
using namespace chat_test;
using platform::Value;

namespace {

Value rooms(std::initializer_list<const char*> ids) {
    Value::Array list;
    for (const char* id : ids)
        list.push_back(Value(Value::Dictionary{{"roomID", Value(std::string(id))},
                                               {"name", Value(std::string(id).substr(0, 5))},
                                               {"occupants", Value(3)}}));
    return Value(std::move(list));
}

// A signed-in session with its main window, two chat servers with rooms and one without.
class ChatRoomListTest : public ChatFixture {
protected:
    void prepareScenario(Scenario& made) override {
        Value::Array many;
        for (int i = 0; i < 45; ++i)
            many.push_back(Value(Value::Dictionary{
                {"roomID", Value("room" + std::to_string(i) + "@rooms.chat.lumiq.example")}}));
        made.network()->setConfiguration(
            "chatRooms", Value(Value::Dictionary{
                             {"chat.lumiq.example", Value(std::move(many))},
                             {"work.lumiq.example", rooms({"plans@rooms.work.lumiq.example",
                                                           "lunch@rooms.work.lumiq.example"})}}));
    }
    double startupSeconds() const override { return 0; }
    void SetUp() override {
        ChatFixture::SetUp();
        if (HasFatalFailure())
            return;
        for (const auto& account : phone()->getAccountService()->accounts())
            if (account->protocol() == OVAccount::XMPPprotocol)
                chat = account;
        ASSERT_TRUE(chat);
        phone()->getAccountService()->addAccount(
            AccountConfig{90, "Work chat", OVAccountProtocol::XMPPprotocol, "alice",
                          "work.lumiq.example", false, true, ""});
        phone()->getAccountService()->addAccount(
            AccountConfig{91, "Quiet chat", OVAccountProtocol::XMPPprotocol, "alice",
                          "quiet.lumiq.example", false, true, ""});
        for (const auto& account : phone()->getAccountService()->accounts()) {
            if (account->domain() == "work.lumiq.example")
                work = account;
            if (account->domain() == "quiet.lumiq.example")
                quiet = account;
        }
        ASSERT_TRUE(work && quiet);
    }
    void TearDown() override {
        ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
        ChatFixture::TearDown();
    }
    static ChatRoomListWindowController& list() {
        return ChatRoomListWindowController::sharedChatRoomListWindowController();
    }
    static std::vector<std::string> ids(const ChatRoomListWindowController& list) {
        std::vector<std::string> out;
        for (const auto& room : list.rooms())
            out.push_back(room->roomID());
        return out;
    }
    std::size_t groupSessions() const {
        const auto& sessions = phone()->getIMService()->sessions();
        return static_cast<std::size_t>(std::count_if(
            sessions.begin(), sessions.end(), [](const auto& s) { return s->isGroupChat(); }));
    }

    std::shared_ptr<OVAccount> chat, work, quiet;
};

TEST_F(ChatRoomListTest,
       TheWindowShowsOnceEveryBatchIsInAndAShownWindowAsksAgainForAnotherAccount) {
    auto& first = list();
    first.setAccount(chat);
    EXPECT_FALSE(first.window()->isVisible()) << "not before the query completes";
    settle();
    EXPECT_EQ(list().rooms().size(), 45u) << "three batches";
    EXPECT_TRUE(list().window()->isVisible());
    EXPECT_FALSE(list().joinChatRoomButton().isEnabled());
    list().itemsTableView().selectRow(0, false);
    EXPECT_TRUE(list().joinChatRoomButton().isEnabled());
    EXPECT_TRUE(list().addToContactsButton().isEnabled());

    // The same, still shown window is handed the work account: that server's rooms alone.
    auto* shown = &list();
    list().setAccount(work);
    EXPECT_EQ(&list(), shown);
    EXPECT_TRUE(list().rooms().empty());
    EXPECT_FALSE(list().joinChatRoomButton().isEnabled());
    settle();
    EXPECT_EQ(ids(list()), (std::vector<std::string>{"plans@rooms.work.lumiq.example",
                                                     "lunch@rooms.work.lumiq.example"}));
    EXPECT_EQ(list().account(), work);

    // A closed window is replaced by a new one.
    list().close();
    EXPECT_TRUE(list().rooms().empty());
    EXPECT_EQ(list().account(), nullptr);

    // Handed another account before the first query completes: only the last one's rooms.
    auto& again = list();
    again.setAccount(chat);
    again.setAccount(work);
    settle();
    EXPECT_EQ(again.rooms().size(), 2u);
    EXPECT_TRUE(again.window()->isVisible());
}

TEST_F(ChatRoomListTest, AServerWithoutRoomsSaysSoOnTheMainWindowAndTheListCloses) {
    auto& quietList = list(); // hidden: the next request would make another
    quietList.setAccount(quiet);
    settle();
    EXPECT_FALSE(quietList.window()->isVisible());
    platform::Window* sheet = quietList.errorSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(window->attachedSheet(), sheet);
    EXPECT_EQ(sheet->title(), "Chat Rooms");
    quietList.onDismissErrorSheet();
    settle();
    EXPECT_FALSE(quietList.errorSheet());
    EXPECT_EQ(window->attachedSheet(), nullptr);
}

TEST_F(ChatRoomListTest, JoiningOpensTheRoomOnceThroughAnEnabledAccountAndClosesTheList) {
    auto& rooms = list();
    rooms.setAccount(chat);
    settle();
    rooms.onJoinButtonPressed();
    EXPECT_TRUE(rooms.window()->isVisible()) << "nothing selected: nothing happens";

    // The account went away: nothing starts, the window still closes.
    rooms.itemsTableView().selectRow(1, false);
    chat->disable();
    platform::RunLoop::main().runFor(1);
    settle();
    ASSERT_NE(chat->status(), OVAccount::statusEnabled);
    rooms.onJoinButtonPressed();
    settle();
    EXPECT_EQ(groupSessions(), 0u);
    EXPECT_FALSE(rooms.window()->isVisible());
}

TEST_F(ChatRoomListTest, JoiningARoomWhoseChatIsOpenBringsItForwardAndAsksTheEngineNothing) {
    list().setAccount(chat);
    settle();
    list().itemsTableView().selectRow(1, false);
    list().onJoinButtonPressed();
    settle();
    ASSERT_EQ(groupSessions(), 1u);
    ASSERT_TRUE(
        controller->lookupIMWindowControllerByGroupChatId("room1@rooms.chat.lumiq.example"));

    list().setAccount(chat);
    settle();
    list().itemsTableView().selectRow(1, false);
    int existing = 0;
    struct Counter : OVIMServicePro {
        int* count;
        void existingIMSession(const std::shared_ptr<IMSession>&) override { ++*count; }
    } counter;
    counter.count = &existing;
    phone()->getIMService()->setDelegate(&counter);
    list().onJoinButtonPressed();
    settle();
    phone()->getIMService()->removeDelegate(&counter);
    EXPECT_EQ(existing, 0) << "the engine is not asked again";
    EXPECT_EQ(groupSessions(), 1u);
    EXPECT_TRUE(controller->lookupIMWindowControllerByGroupChatId("room1@rooms.chat.lumiq.example")
                    ->window()
                    ->isKeyWindow());
}

} // namespace
