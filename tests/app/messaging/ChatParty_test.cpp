#include "app/calls/VideoWindow.h"
#include "app/messaging/ChatFixture.h"
#include "app/messaging/ChatTranscript.h"
#include "engine/ConversationService.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/ValueTransformer.h"
#include "platform/web/WebView.h"
#include "support/ValueTransformers.h"

#include <algorithm>

using namespace chat_test;

namespace {

constexpr const char* dave = "sip:dave@sip.lumiq.example";

class ChatPartyTest : public ChatFixture {
protected:
    static std::vector<std::string> titles(const platform::Menu& menu) {
        std::vector<std::string> out;
        for (const auto& item : menu.itemArray())
            out.push_back(item->isSeparatorItem() ? "-" : item->title());
        return out;
    }
    static std::string lastEntryClass(IMWindowController& chat) {
        const auto shown = chat.webView()->mainFrameDocument().getElementById("paras").children();
        return shown.empty() ? std::string() : shown.back().className();
    }
};

TEST_F(ChatPartyTest, ABurstOfContactChangesRedrawsTheHeaderOnceAfterTheLastOne) {
    auto* chat = openChat(dave);
    ASSERT_TRUE(chat);
    const auto contact = chat->contact();
    ASSERT_TRUE(contact);
    const int drawn = chat->headerRefreshCount();

    // Every callback restarts the wait, so a steady trickle never redraws.
    for (int i = 0; i < 5; ++i) {
        contact->notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldPropertyChanged(); });
        contact->notifyObservers([](OVEntityObserver& o) { o.ovetOnPropertyChanged(); });
        pass(0.05);
    }
    EXPECT_EQ(chat->headerRefreshCount(), drawn);
    EXPECT_TRUE(chat->isContactUpdatePending());

    contact->setDisplayName("David Dunn");
    contact->notifyObservers([](OVEntityObserver& o) { o.ovetOnPropertyChanged(); });
    pass(0.09);
    EXPECT_EQ(chat->headerRefreshCount(), drawn);
    EXPECT_EQ(chat->window()->title(), "Chat with Dave Dunn");
    pass(0.02);
    EXPECT_EQ(chat->headerRefreshCount(), drawn + 1);
    EXPECT_FALSE(chat->isContactUpdatePending());
    EXPECT_EQ(chat->window()->title(), "Chat with David Dunn");
    EXPECT_EQ(chat->remoteDisplayName(), "David Dunn");
    pass(1);
    EXPECT_EQ(chat->headerRefreshCount(), drawn + 1);
}

TEST_F(ChatPartyTest, AddContactIsOfferedOnlyForAnAddressNoContactHolds) {
    auto manager = phone()->getContactManager();
    auto group = manager->getVeyraRoot()->entitiesAll().front();
    for (const char* name : {"Twin One", "Twin Two"}) {
        auto twin = manager->createLogicalEntityWithFields(
            {{"displayName", name}, {"softphone", "sip:twin@sip.lumiq.example"}});
        group->addEntity(twin);
    }
    struct Case {
        const char* address;
        bool offered;
        bool avatar;
    };
    for (const Case& c : {Case{dave, false, true}, Case{"sip:yuri@sip.lumiq.example", true, false},
                          Case{"sip:twin@sip.lumiq.example", false, true}}) {
        SCOPED_TRACE(c.address);
        auto* chat = openChat(c.address);
        ASSERT_TRUE(chat);
        EXPECT_EQ(!chat->addContactButton()->isHidden(), c.offered);
        EXPECT_EQ(!chat->avatarView()->isHidden(), c.avatar);
    }
}

TEST_F(ChatPartyTest, AddContactOpensAnEditorOnceWithTheAddressOfTheChatsKind) {
    auto* sip = openChat("sip:yuri@sip.lumiq.example");
    ASSERT_TRUE(sip);
    sip->addContact();
    settle();
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    auto added = ContactEditorController::openControllers().front()->contact();
    ASSERT_TRUE(added);
    ASSERT_TRUE(added->getFieldByName(OVField::fieldSoftphone));
    EXPECT_EQ(added->getFieldByName(OVField::fieldSoftphone)->valueStr(), "yuri@sip.lumiq.example");

    // The editor holding the address comes forward instead of a second one.
    sip->addContact();
    settle();
    EXPECT_EQ(ContactEditorController::openControllers().size(), 1u);

    // A text message's number loses what follows "@".
    scenario->incomingMessage("+15559876@sms.lumiq.example", "Hi", "", true);
    pass(0.1);
    auto* sms = chatWith("+15559876@sms.lumiq.example");
    ASSERT_TRUE(sms);
    ASSERT_FALSE(sms->addContactButton()->isHidden());
    sms->addContact();
    settle();
    ASSERT_EQ(ContactEditorController::openControllers().size(), 2u);
    auto mobile = ContactEditorController::openControllers().back()->contact();
    ASSERT_TRUE(mobile && mobile->getFieldByName(OVField::fieldMobileNum));
    EXPECT_EQ(mobile->getFieldByName(OVField::fieldMobileNum)->valueStr(), "+15559876");
}

TEST_F(ChatPartyTest, ThePartyGoingOfflineIsNotedAndTheirReturnShowsTheLastMessageTime) {
    platform::ValueTransformer::setValueTransformer(
        std::make_shared<PresenceStatusIconTransformer>(controller->brandDict()),
        "PresenceStatusIconTransformer");
    auto* chat = openChat(dave);
    ASSERT_TRUE(chat);
    pass(0.1);
    scenario->incomingMessage(dave, "Back soon", "Dave Dunn");
    pass(0.1);
    const std::string received = chat->chatStateText();
    ASSERT_FALSE(received.empty());
    const auto onlineImage = chat->presenceImageView()->image();
    ASSERT_TRUE(onlineImage);

    scenario->presenceChange(dave, OVPresenceStatus::statusOffline);
    pass(0.2);
    EXPECT_EQ(chat->presenceStatus(), OVPresenceStatus::statusOffline);
    EXPECT_EQ(lastEntryClass(*chat), "statusmessage_offline");
    EXPECT_EQ(chat->chatStateText(), "");
    EXPECT_NE(chat->presenceImageView()->image(), onlineImage);

    scenario->presenceChange(dave, OVPresenceStatus::statusAvailable);
    pass(0.2);
    EXPECT_EQ(chat->presenceStatus(), OVPresenceStatus::statusAvailable);
    EXPECT_NE(lastEntryClass(*chat), "statusmessage_offline");
    EXPECT_EQ(chat->chatStateText(), received);
}

TEST_F(ChatPartyTest, TheOptionMenuOffersTheContactsItemsOrCallsForAnUnknownAddress) {
    auto* known = openChat(dave);
    ASSERT_TRUE(known);
    known->menuNeedsUpdate(*known->optionMenu());
    const auto withContact = titles(*known->optionMenu());
    EXPECT_NE(std::find(withContact.begin(), withContact.end(), "Call"), withContact.end());
    EXPECT_NE(std::find(withContact.begin(), withContact.end(), "View/Edit Profile"),
              withContact.end());
    EXPECT_FALSE(known->optionMenu()->autoenablesItems());

    auto* stranger = openChat("sip:yuri@sip.lumiq.example");
    ASSERT_TRUE(stranger);
    stranger->menuNeedsUpdate(*stranger->optionMenu());
    const auto unknown = titles(*stranger->optionMenu());
    ASSERT_FALSE(unknown.empty());
    EXPECT_EQ(unknown.front(), "");
    EXPECT_NE(std::find(unknown.begin(), unknown.end(), "Call"), unknown.end());

    auto* xmpp = openChat("yuri@chat.lumiq.example", true);
    ASSERT_TRUE(xmpp);
    xmpp->menuNeedsUpdate(*xmpp->optionMenu());
    EXPECT_TRUE(xmpp->optionMenu()->itemArray().empty());
}

TEST_F(ChatPartyTest, CallsFromTheWindowReachTheContactsCallAddressOrTheAddressGiven) {
    auto* chat = openChat(dave);
    ASSERT_TRUE(chat);
    auto conversations = phone()->getConversationService();
    chat->addPartyToCall(platform::Value("sip:nobody@sip.lumiq.example"));
    settle();
    EXPECT_TRUE(conversations->getAllConversations().empty()) << "no call to add to";

    chat->callParty(platform::Value(std::static_pointer_cast<platform::Object>(chat->contact())),
                    false);
    pass(0.1);
    ASSERT_EQ(conversations->getAllConversations().size(), 1u);
    const auto& requests = scenario->network()->requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const std::string& r) {
        return r.starts_with("call ") && r.find("dave@sip.lumiq.example") != std::string::npos;
    }));

    chat->callParty(platform::Value("sip:yuri@sip.lumiq.example"), true);
    pass(0.1);
    EXPECT_TRUE(VideoWindow::sharedVideoWindow().isVisible());
    VideoWindow::sharedVideoWindow().orderOut(nullptr);
}

} // namespace
