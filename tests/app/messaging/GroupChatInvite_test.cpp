#include "app/messaging/ChatFixture.h"
#include "platform/kit/Button.h"
#include "platform/kit/DragSession.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextField.h"
#include "support/DraggedItems.h"
#include "support/Notifications.h"

#include <algorithm>

using namespace chat_test;

namespace {

constexpr const char* room = "room@conference.chat.lumiq.example";

// A group chat joined from an invitation, with three contacts reached over chat: Dave and
// Chloe online, Hannah offline; Mei online but reached over SIP.
class GroupChatInviteTest : public ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The demo watches its chat users' presence on the chat server; here only three do.
        for (const auto& contact : phone()->getContactManager()->allContacts())
            contact->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldSoftphone);
        for (const char* jid :
             {"dave@chat.lumiq.example", "chloe@chat.lumiq.example", "hannah@chat.lumiq.example"})
            contactWith(jid)->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
        scenario->chatInvitation(room, "bob@chat.lumiq.example", "Bob");
        pass(0.1);
        ASSERT_EQ(ChatInvitationWindowController::openControllers().size(), 1u);
        ChatInvitationWindowController::openControllers().front()->accept(nullptr);
        pass(1);
        chat = chatWith(room);
        ASSERT_TRUE(chat);
    }
    std::vector<std::string> candidateNames() const {
        std::vector<std::string> names;
        for (const auto& contact : chat->inviteCandidates())
            names.push_back(contact->displayName());
        return names;
    }
    IMWindowController* chat = nullptr;
};

TEST_F(GroupChatInviteTest, OnlyOnlineContactsWithAChatPresenceAddressAreOfferedAndInvited) {
    chat->addParticipant();
    settle();
    ASSERT_TRUE(chat->isPickContactsSheetShown());
    EXPECT_EQ(candidateNames(), (std::vector<std::string>{"Chloe Martin", "Dave Dunn"}));
    EXPECT_FALSE(chat->pickContactsSelectButton()->isEnabled());
    chat->pickContactsTable()->selectRowIndexes({0, 1}, false);
    settle();
    EXPECT_TRUE(chat->pickContactsSelectButton()->isEnabled());
    chat->pickContactsSelect();
    settle();
    ASSERT_TRUE(chat->isInvitationSheetShown());
    EXPECT_EQ(chat->invitationCaption(),
              "You have selected: Chloe Martin, Dave Dunn. Please enter invitation text:");
    EXPECT_EQ(chat->invitationTextField()->stringValue(), "Please join my Group Chat...");
    chat->invitationTextField()->setStringValue("Planning <lunch>");
    chat->chatInvitationOK();
    settle();
    EXPECT_EQ(chat->invitedParticipants(),
              (std::vector<std::string>{"chloe@chat.lumiq.example", "dave@chat.lumiq.example"}));
    EXPECT_EQ(chat->imSession()->invitedAddresses(), chat->invitedParticipants());

    // Handed over directly: the offline contact and the one reached over SIP are left out.
    chat->addParticipants(
        {contactWith("hannah@chat.lumiq.example"), contactWith("sip:mei@sip.lumiq.example")});
    settle();
    EXPECT_FALSE(chat->isInvitationSheetShown());
}

TEST_F(GroupChatInviteTest, ACancelledInvitationInvitesNobodyButKeepsItsTextForTheNextGroupChat) {
    chat->addParticipants({contactWith("dave@chat.lumiq.example")});
    settle();
    ASSERT_TRUE(chat->isInvitationSheetShown());
    chat->invitationTextField()->setStringValue("Come to the retro");
    chat->chatInvitationCancel();
    settle();
    EXPECT_TRUE(chat->invitedParticipants().empty());
    EXPECT_EQ(controller->groupChatInvitationMessage(), "Come to the retro");

    chat->addParticipants({contactWith("chloe@chat.lumiq.example")});
    settle();
    EXPECT_EQ(chat->invitationTextField()->stringValue(), "Come to the retro");
    chat->chatInvitationOK();
    settle();
    EXPECT_EQ(chat->invitedParticipants(), std::vector<std::string>{"chloe@chat.lumiq.example"});
}

using Items = std::vector<std::shared_ptr<platform::Object>>;

// A drag of contacts as the participant list sees it.
class ContactDrag : public platform::DraggingInfo {
public:
    ContactDrag(std::vector<std::string> types, Items items)
        : pasteboard_(platform::Pasteboard::pasteboardWithName("group chat drag")),
          source_(std::make_shared<Source>(std::move(items))) {
        pasteboard_.declareTypes(std::move(types), nullptr);
    }
    platform::Pasteboard& draggingPasteboard() const override { return pasteboard_; }
    platform::Object* draggingSource() const override { return source_.get(); }
    platform::Point draggingLocation() const override { return {}; }
    platform::Window* draggingDestinationWindow() const override { return nullptr; }
    platform::DragOperation draggingSourceOperationMask() const override {
        return platform::DragOperationEvery;
    }
    long draggingSequenceNumber() const override { return 1; }
    const std::shared_ptr<platform::Image>& draggedImage() const override { return image_; }

private:
    struct Source : platform::Object, DraggedItemsSource {
        explicit Source(Items items) : items(std::move(items)) {}
        Items draggedItems() const override { return items; }
        Items items;
    };
    platform::Pasteboard& pasteboard_;
    std::shared_ptr<Source> source_;
    std::shared_ptr<platform::Image> image_;
};

TEST_F(GroupChatInviteTest, ContactsDroppedOnTheParticipantsAreOfferedTheInvitation) {
    auto& table = *chat->participantTable();
    const Items contacts{contactWith("dave@chat.lumiq.example"),
                         contactWith("hannah@chat.lumiq.example")};
    ContactDrag text({"public.utf8-plain-text"}, contacts);
    EXPECT_EQ(chat->tableViewValidateDrop(table, text, 0, platform::TableViewDropOperation::On),
              platform::DragOperationNone);
    EXPECT_FALSE(chat->tableViewAcceptDrop(table, text, 0, platform::TableViewDropOperation::On));

    ContactDrag drag({std::string(QXDragDropContactType)}, contacts);
    EXPECT_EQ(chat->tableViewValidateDrop(table, drag, 0, platform::TableViewDropOperation::On),
              platform::DragOperationGeneric);
    EXPECT_TRUE(chat->tableViewAcceptDrop(table, drag, 0, platform::TableViewDropOperation::On));
    settle();
    ASSERT_TRUE(chat->isInvitationSheetShown());
    EXPECT_EQ(chat->invitationCaption(),
              "You have selected: Dave Dunn. Please enter invitation text:");
    chat->chatInvitationOK();
    settle();
    EXPECT_EQ(chat->invitedParticipants(), std::vector<std::string>{"dave@chat.lumiq.example"});
}

TEST_F(GroupChatInviteTest, TheEndOfTheSessionEndsThePickerAndDisablesAdding) {
    chat->addParticipant();
    settle();
    ASSERT_TRUE(chat->isPickContactsSheetShown());
    chat->sessionTerminated();
    settle();
    EXPECT_FALSE(chat->isPickContactsSheetShown());
    EXPECT_FALSE(chat->addParticipantButton()->isEnabled());
}

} // namespace

namespace {

// The texts of the labels in a view and below it.
void collectTexts(platform::View& view, std::vector<std::string>& out) {
    if (auto* field = dynamic_cast<platform::TextField*>(&view))
        out.push_back(field->stringValue());
    for (const auto& child : view.subviews())
        collectTexts(*child, out);
}

using RoomRefusalTest = ChatFixture;

TEST_F(RoomRefusalTest, ARefusedJoinAsksAgainAndAnUnrecoverableOneClosesAfterSayingWhy) {
    struct Case {
        int code;
        const char* caption;
        bool asksNickname;
    } cases[] = {
        {4, "Valid password required", true},
        {5, "Banned from chat room", false},
        {6, "Chat room not found", false},
        {7, "Can not create chat room", false},
        {8, "Reserved nickname required", true},
        {9, "You must be a member to join chat room", false},
        {10, "Name conflict", true},
        {11, "Maximum users reached for chat room", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const std::string room = "r" + std::to_string(c.code) + "@conference.chat.lumiq.example";
        phone()->getIMService()->openGroupSession(room);
        pass(0.1);
        auto* chat = chatWith(room);
        ASSERT_TRUE(chat);
        scenario->roomStatus(room, c.code);
        pass(0.1);
        auto* sheet = chat->window()->attachedSheet();
        ASSERT_TRUE(sheet);
        std::vector<std::string> texts;
        collectTexts(*sheet->contentView(), texts);
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.caption), texts.end());
        if (c.asksNickname) {
            // Join tries again with the nickname offered; the window stays.
            platform::WindowServer::shared().endSheet(*sheet, 1000);
            pass(0.1);
            EXPECT_EQ(chatWith(room), chat);
            EXPECT_TRUE(chat->window()->isVisible());
            chat->close();
            pass(0.1);
        } else {
            platform::WindowServer::shared().endSheet(*sheet, 1000);
            pass(0.1);
            EXPECT_FALSE(chatWith(room)) << "closed once the reason is read";
        }
    }
}

} // namespace
