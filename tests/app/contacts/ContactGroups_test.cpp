#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/FunctionModuleController.h"
#include "engine/ConversationService.h"
#include "engine/FileTransferService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/OVNumberEntryModel.h"
#include "platform/foundation/TestSupport.h"
#include "platform/kit/Button.h"
#include "platform/kit/DragSession.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"

using namespace app_test;

namespace {

// The demo user's Contacts tab with a known list: Work holds Anna and Carl, Friends holds Bob
// and Dave, Family holds Frank (also in Friends).
class ContactGroupsTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
        if (HasFatalFailure())
            return;
        ASSERT_NE(list(), nullptr);
        std::vector<ContactRecord> records;
        for (const auto& [name, user, groups] :
             std::vector<std::tuple<std::string, std::string, std::vector<std::string>>>{
                 {"Anna Berg", "anna", {"Work"}},
                 {"Carl Mohr", "carl", {"Work"}},
                 {"Bob Stone", "bob", {"Friends"}},
                 {"Dave Dunn", "dave", {"Friends"}},
                 {"Frank Ford", "frank", {"Family", "Friends"}}}) {
            ContactRecord record;
            record.displayName = name;
            record.fields = {{"softphone", "sip:" + user + "@sip.lumiq.example"}};
            record.groups = groups;
            records.push_back(record);
        }
        ASSERT_EQ(std::get<int>(manager()->importRecords(records, true, true)), 5);
        runFor(0.05);
        settle();
    }

    static ContactListController* list() {
        return FunctionModuleController::sharedController().contactList();
    }
    static std::shared_ptr<OVContactManager> manager() {
        return engine().phoneService()->getContactManager();
    }
    static QXOutlineView& outline() { return list()->contactOutlineView(); }
    static std::shared_ptr<OVEntity> group(std::string_view name) {
        for (const auto& g : manager()->getVeyraRoot()->entitiesAll())
            if (g->displayName() == name)
                return g;
        return nullptr;
    }
    static std::shared_ptr<OVEntity> contact(std::string_view name) {
        for (const auto& c : manager()->allContacts())
            if (c->displayName() == name)
                return c;
        return nullptr;
    }
    // The groups with their contacts, sorted: "Work: Anna Berg, Carl Mohr".
    static std::vector<std::string> groups() {
        std::vector<std::string> out;
        for (const auto& g : manager()->getVeyraRoot()->entitiesAll()) {
            std::vector<std::string> names;
            for (const auto& c : g->entitiesAll())
                names.push_back(c->displayName());
            std::sort(names.begin(), names.end());
            std::string line = g->displayName() + ":";
            for (std::size_t i = 0; i < names.size(); ++i)
                line += (i ? ", " : " ") + names[i];
            out.push_back(line);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    static bool hasGroup(std::string_view line) {
        const auto all = groups();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
    // The row of a contact under a group (or of the group itself with an empty contact).
    static long rowOf(std::string_view groupName, std::string_view contactName = {}) {
        for (long row = 0; row < outline().numberOfRows(); ++row) {
            const auto item = outline().itemAtRow(row);
            if (auto g = std::dynamic_pointer_cast<OVEntity>(item)) {
                if (contactName.empty() && g->displayName() == groupName)
                    return row;
            } else if (auto r = std::dynamic_pointer_cast<ContactWithGroup>(item)) {
                if (r->contact()->displayName() == contactName &&
                    r->group()->displayName() == groupName)
                    return row;
            }
        }
        return -1;
    }
    // The centre of a row in the main window's base coordinates.
    static platform::Point rowPoint(long row) {
        return outline().convertPointToView(outline().rectOfRow(row).center(), nullptr);
    }
    void dragRow(long from, platform::Point to) {
        ASSERT_GE(from, 0);
        outline().scrollRowToVisible(from);
        settle();
        // One step: a short first move inside the list would select rows instead.
        screen->drag(window(), rowPoint(from), to, 1);
        settle();
    }
    // A drag of list rows dropped at a row's centre, through the outline's own drop handling:
    // the list writes the drag, the outline finds the target under the point and asks the list.
    struct OutlineDrag : platform::DraggingInfo {
        platform::Pasteboard& pasteboard = platform::Pasteboard::pasteboardWithName("list drag");
        platform::Point location;
        std::shared_ptr<platform::Image> image;
        platform::Pasteboard& draggingPasteboard() const override { return pasteboard; }
        platform::Object* draggingSource() const override { return &outline(); }
        platform::Point draggingLocation() const override { return location; }
        platform::Window* draggingDestinationWindow() const override { return &window(); }
        platform::DragOperation draggingSourceOperationMask() const override {
            return platform::DragOperationEvery;
        }
        long draggingSequenceNumber() const override { return 3; }
        const std::shared_ptr<platform::Image>& draggedImage() const override { return image; }
    };
    void dragRowOntoRow(long from, long to) {
        ASSERT_GE(from, 0);
        ASSERT_GE(to, 0);
        OutlineDrag drag;
        ASSERT_TRUE(
            list()->outlineViewWriteItems(outline(), {outline().itemAtRow(from)}, drag.pasteboard));
        drag.location = rowPoint(to);
        if (outline().draggingEntered(drag) != platform::DragOperationNone &&
            outline().performDragOperation(drag))
            outline().concludeDragOperation(drag);
        else
            outline().draggingExited(&drag);
        settle();
    }
    void restart() {
        startOver();
        platform::UserDefaults::standardUserDefaults().setBool("login.remember.autosignin", false);
        signInToMainView();
        runFor(0.05);
        settle();
    }
    // The list's current sheet on the main window, or nullptr.
    static platform::Window* attachedSheet() { return window().attachedSheet(); }
};

TEST_F(ContactGroupsTest, NewGroupSheetProposesAFreeNameAndRefusesDuplicates) {
    ASSERT_TRUE(manager()->createGroup("New Group"));
    ASSERT_TRUE(manager()->createGroup("new group 2"));
    list()->contextFilterShowGroups(); // the flat view: creating switches back to the tree
    ASSERT_FALSE(list()->isTreeViewMode());
    list()->contextNewGroup();
    settle();
    ASSERT_EQ(attachedSheet(), &list()->newGroupPanel());
    EXPECT_EQ(list()->newGroupTextField().stringValue(), "New Group 3");
    EXPECT_TRUE(list()->newGroupOKButton().isEnabled());
    EXPECT_TRUE(list()->newGroupWarningTextField().isHidden());

    struct Case {
        const char* typed;
        bool valid;
    } cases[] = {
        {"wORK", false},        // another case of an existing group
        {"   ", false},         // blanks only
        {" Friends \n", false}, // trimmed, it is a group's name
        {"Team", true},         {"  Team  ", true},
    };
    for (const auto& c : cases) {
        typeInto(list()->newGroupTextField(), c.typed);
        settle();
        EXPECT_EQ(list()->newGroupOKButton().isEnabled(), c.valid) << c.typed;
        EXPECT_EQ(list()->newGroupWarningTextField().isHidden(), c.valid) << c.typed;
        if (!c.valid)
            EXPECT_EQ(list()->newGroupWarningTextField().stringValue(),
                      "Empty or duplicate group names are not allowed");
    }
    click(list()->newGroupOKButton());
    settle();
    runFor(0.05);
    settle();
    EXPECT_EQ(attachedSheet(), nullptr);
    EXPECT_TRUE(list()->isTreeViewMode());
    EXPECT_TRUE(hasGroup("Team:"));
    EXPECT_GE(rowOf("Team"), 0) << "the new group shows in the tree";

    // Cancel makes nothing.
    const auto before = groups();
    list()->contextNewGroup();
    settle();
    click(*dynamic_cast<platform::View*>(
        list()->newGroupPanel().contentView()->subviews().back().get()));
    settle();
    EXPECT_EQ(groups(), before);
}

TEST_F(ContactGroupsTest, GroupsAreRenamedInPlaceAndChangesSurviveARestart) {
    // Renaming through the outline's field editor, as the menu's Rename starts it.
    ASSERT_TRUE(manager()->createGroup("Empty"));
    runFor(0.05);
    settle();
    {
        platform::MenuItem item("Rename", "renameItems:", "");
        item.setRepresentedObject(
            platform::Value(std::static_pointer_cast<platform::Object>(group("Work"))));
        ASSERT_TRUE(ContactOperations::instance().tryToPerform("renameItems:", &item));
    }
    settle();
    EXPECT_EQ(list()->editingItem(), group("Work"));
    ASSERT_GE(outline().editedRow(), 0);
    screen->typeText("Office");
    screen->key(U'\r');
    settle();
    runFor(0.05);
    settle();
    EXPECT_EQ(list()->editingItem(), nullptr);
    EXPECT_TRUE(hasGroup("Office: Anna Berg, Carl Mohr"));
    EXPECT_FALSE(hasGroup("Work: Anna Berg, Carl Mohr"));

    // Names that are ignored: empty, the same, another group's.
    struct Case {
        const char* typed;
    } ignored[] = {{"  \n "}, {"Office"}, {"Friends"}};
    for (const auto& c : ignored) {
        list()->contextRenameGroup(group("Office"));
        ASSERT_GE(outline().editedRow(), 0) << c.typed;
        list()->outlineViewSetObjectValue(outline(), platform::Value(std::string(c.typed)),
                                          outline().tableColumns().front().get(), group("Office"));
        outline().abortEditing();
        runFor(0.05);
        EXPECT_TRUE(hasGroup("Office: Anna Berg, Carl Mohr")) << c.typed;
        EXPECT_TRUE(hasGroup("Friends: Bob Stone, Dave Dunn, Frank Ford")) << c.typed;
    }
    // A line end inside the name becomes a space.
    list()->outlineViewSetObjectValue(outline(), platform::Value(std::string("Big\nOffice")),
                                      outline().tableColumns().front().get(), group("Office"));
    runFor(0.05);
    EXPECT_TRUE(hasGroup("Big Office: Anna Berg, Carl Mohr"));

    // Bob moves to Family; the emptied and the renamed groups come back after a restart.
    ASSERT_FALSE(
        manager()->moveContacts({contact("Bob Stone")}, group("Friends"), group("Family")));
    ASSERT_FALSE(manager()->moveContacts({contact("Anna Berg"), contact("Carl Mohr")},
                                         group("Big Office"), group("Family")));
    // The demo's provisioned groups that nobody touched and that hold nobody are not kept.
    auto before = groups();
    std::erase_if(before, [](const std::string& g) { return g == "Sales:" || g == "Support:"; });
    ASSERT_TRUE(hasGroup("Big Office:"));
    ASSERT_TRUE(hasGroup("Empty:"));
    restart();
    runFor(0.05);
    EXPECT_EQ(groups(), before);

    // A deleted group stays deleted.
    group("Empty")->deleteCommand();
    EXPECT_FALSE(hasGroup("Empty:"));
    restart();
    EXPECT_FALSE(hasGroup("Empty:"));
    EXPECT_TRUE(hasGroup("Big Office:"));
}

TEST_F(ContactGroupsTest, ContactsDraggedOntoAGroupMoveThere) {
    // Anna from Work onto Friends, by the mouse.
    dragRowOntoRow(rowOf("Work", "Anna Berg"), rowOf("Friends"));
    runFor(0.05);
    settle();
    EXPECT_TRUE(hasGroup("Work: Carl Mohr"));
    EXPECT_TRUE(hasGroup("Friends: Anna Berg, Bob Stone, Dave Dunn, Frank Ford"));

    // Rows from two groups at once, onto Family: each leaves its own group; a contact already
    // in Family (Frank) only leaves the other one.
    const auto item = [](long row) { return outline().itemAtRow(row); };
    list()->setDraggedItems({item(rowOf("Work", "Carl Mohr")), item(rowOf("Friends", "Bob Stone")),
                             item(rowOf("Friends", "Frank Ford"))});
    struct SelfDrag : platform::DraggingInfo {
        platform::Pasteboard& pasteboard = platform::Pasteboard::pasteboardWithName("groups drag");
        std::shared_ptr<platform::Image> image;
        platform::Pasteboard& draggingPasteboard() const override { return pasteboard; }
        platform::Object* draggingSource() const override { return &outline(); }
        platform::Point draggingLocation() const override { return {}; }
        platform::Window* draggingDestinationWindow() const override { return nullptr; }
        platform::DragOperation draggingSourceOperationMask() const override {
            return platform::DragOperationEvery;
        }
        long draggingSequenceNumber() const override { return 1; }
        const std::shared_ptr<platform::Image>& draggedImage() const override { return image; }
    } drag;
    drag.pasteboard.declareTypes({std::string(QXDragDropContactType)}, nullptr);
    EXPECT_EQ(list()->outlineViewValidateDrop(outline(), drag, group("Family"), -1),
              platform::DragOperationGeneric);
    EXPECT_TRUE(list()->outlineViewAcceptDrop(outline(), drag, group("Family"), -1));
    runFor(0.05);
    EXPECT_TRUE(hasGroup("Family: Bob Stone, Carl Mohr, Frank Ford"));
    EXPECT_TRUE(hasGroup("Work:"));
    EXPECT_TRUE(hasGroup("Friends: Anna Berg, Dave Dunn"));
    EXPECT_TRUE(outline().selectedRowIndexes().empty());

    // A group cannot be dragged.
    auto& pasteboard = platform::Pasteboard::pasteboardWithName("groups drag 2");
    EXPECT_FALSE(list()->outlineViewWriteItems(outline(), {group("Work")}, pasteboard));
}

TEST_F(ContactGroupsTest, AContactDroppedOnAnotherAsksToCombineThem) {
    setFeatures({{"contactMergingEnabled", true}});
    dragRowOntoRow(rowOf("Friends", "Bob Stone"), rowOf("Friends", "Dave Dunn"));
    ASSERT_NE(list()->combineAlert(), nullptr);
    EXPECT_EQ(list()->combineAlert()->messageText(), "Combine Contacts");
    EXPECT_EQ(list()->combineAlert()->informativeText(), "Do you want to combine these contacts?");
    const auto count = manager()->allContacts().size();
    list()->combineAlert()->pressButtonForTesting(1); // No
    settle();
    EXPECT_EQ(manager()->allContacts().size(), count);

    dragRowOntoRow(rowOf("Friends", "Bob Stone"), rowOf("Friends", "Dave Dunn"));
    ASSERT_NE(list()->combineAlert(), nullptr);
    list()->combineAlert()->pressButtonForTesting(0); // Yes
    settle();
    EXPECT_EQ(manager()->allContacts().size(), count - 1);
    const auto merged = contact("Bob Stone") ? contact("Bob Stone") : contact("Dave Dunn");
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->entitiesAll().size(), 2u);
    EXPECT_NE(ContactEditorController::findControllerForContact(merged), nullptr)
        << "the combined contact opens in the editor";

    // An address-book contact does not count: one other contact asks nothing.
    contact("Anna Berg")->setProviderProtocol(OVProviderProtocol::protocolMacAddressBook);
    dragRowOntoRow(rowOf("Work", "Anna Berg"), rowOf("Work", "Carl Mohr"));
    EXPECT_EQ(list()->combineAlert(), nullptr);

    // With merging off the drop is refused.
    setFeatures({{"contactMergingEnabled", false}});
    const auto before = groups();
    dragRowOntoRow(rowOf("Work", "Carl Mohr"), rowOf("Family", "Frank Ford"));
    EXPECT_EQ(list()->combineAlert(), nullptr);
    EXPECT_EQ(groups(), before);
}

TEST_F(ContactGroupsTest, FilesDroppedOnAContactAreSentAndRefusedOnAGroup) {
    // Dave chats at his XMPP address and is online.
    const auto dave = contact("Dave Dunn");
    dave->updateField(std::string(OVField::fieldJidAddr), "dave@xmpp.lumiq.example");
    dave->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    dave->defaultPresence()->update(OVPresenceStatus::statusAvailable, "");
    runFor(0.05);
    settle();
    foundation_test::TempDir folder;
    const auto file = (folder / "notes.txt").string();
    foundation_test::writeFile(file, "x");

    struct FileDrag : platform::DraggingInfo {
        platform::Pasteboard& pasteboard = platform::Pasteboard::pasteboardWithName("files drag");
        std::shared_ptr<platform::Image> image;
        platform::Pasteboard& draggingPasteboard() const override { return pasteboard; }
        platform::Object* draggingSource() const override { return nullptr; }
        platform::Point draggingLocation() const override { return {}; }
        platform::Window* draggingDestinationWindow() const override { return nullptr; }
        platform::DragOperation draggingSourceOperationMask() const override {
            return platform::DragOperationEvery;
        }
        long draggingSequenceNumber() const override { return 2; }
        const std::shared_ptr<platform::Image>& draggedImage() const override { return image; }
    } drag;
    drag.pasteboard.declareTypes({std::string(ContactListController::kFileNamesPboardType)},
                                 nullptr);
    drag.pasteboard.setStringForType(file, ContactListController::kFileNamesPboardType);

    const auto daveRow = outline().itemAtRow(rowOf("Friends", "Dave Dunn"));
    setFeatures({{"groupChatEnabled", true}});
    EXPECT_EQ(list()->outlineViewValidateDrop(outline(), drag, group("Friends"), -1),
              platform::DragOperationNone)
        << "not onto a group";
    const auto transfers = engine().phoneService()->getFileTransferService();
    const auto before = transfers->requests().size();
    EXPECT_TRUE(list()->outlineViewAcceptDrop(outline(), drag, daveRow, -1));
    EXPECT_EQ(transfers->requests().size(), before + 1) << "the file goes to Dave";
    EXPECT_TRUE(list()->outlineViewAcceptDrop(outline(), drag, group("Friends"), -1));
    EXPECT_EQ(transfers->requests().size(), before + 1) << "a group takes no files";

    // Without group chat the list takes no files at all.
    setFeatures({{"groupChatEnabled", false}});
    EXPECT_EQ(list()->outlineViewValidateDrop(outline(), drag, daveRow, -1),
              platform::DragOperationNone);
}

TEST_F(ContactGroupsTest, MenusFollowTheSelectionAndTheListState) {
    // The Contacts menu: the list's commands after the application's own.
    auto menu = std::make_shared<platform::Menu>("Contacts");
    list()->contactMenuNeedsUpdate(*menu);
    std::vector<std::string> titles;
    for (const auto& item : menu->itemArray())
        titles.push_back(item->isSeparatorItem() ? "-" : item->title());
    ASSERT_GE(titles.size(), 6u);
    EXPECT_EQ(titles[0], "New Group");
    EXPECT_EQ(titles[1], "Add Contact");
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Show Groups"), titles.end());
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Collapse All Groups"), titles.end());
    EXPECT_EQ(std::find(titles.begin(), titles.end(), "Expand All Groups"), titles.end())
        << "every group is open";
    const auto showGroups = menu->itemAtIndex(menu->indexOfItemWithTitle("Show Groups"));
    EXPECT_EQ(showGroups->state(), platform::OnState);
    // Its items act on the list.
    list()->tryToPerform(showGroups->action(), showGroups);
    EXPECT_FALSE(list()->isTreeViewMode());
    list()->contextFilterShowGroups();

    // The Actions menu acts on the selection: one contact's menu differs from two contacts',
    // and no block leaves a separator at the top.
    const auto titlesOf = [](const platform::Menu& m) {
        std::vector<std::string> out;
        for (const auto& item : m.itemArray())
            out.push_back(item->isSeparatorItem() ? "-" : item->title());
        return out;
    };
    const long bob = rowOf("Friends", "Bob Stone");
    const long dave = rowOf("Friends", "Dave Dunn");
    auto actions = std::make_shared<platform::Menu>("Actions");
    outline().selectRowIndexes({bob}, false);
    list()->remoteMenuNeedsUpdate(*actions);
    const auto single = titlesOf(*actions);
    outline().selectRowIndexes({bob, dave}, false);
    list()->remoteMenuNeedsUpdate(*actions);
    const auto both = titlesOf(*actions);
    ASSERT_FALSE(single.empty());
    ASSERT_FALSE(both.empty());
    EXPECT_NE(single.front(), "-");
    EXPECT_NE(both.front(), "-");
    EXPECT_NE(single, both);
    // Nothing selected: empty. With a sheet on the main window: empty.
    outline().deselectAll(nullptr);
    list()->remoteMenuNeedsUpdate(*actions);
    EXPECT_EQ(actions->numberOfItems(), 0);
    outline().selectRowIndexes({bob}, false);
    list()->contextNewGroup();
    settle();
    list()->remoteMenuNeedsUpdate(*actions);
    EXPECT_EQ(actions->numberOfItems(), 0);
    list()->contactMenuNeedsUpdate(*menu);
    list()->newGroupCancel();
    settle();
    // The context menu without a row under the mouse stays empty.
    if (outline().mouseOverRow() < 0) {
        list()->menuNeedsUpdate(*list()->contextMenu());
        EXPECT_EQ(list()->contextMenu()->numberOfItems(), 0);
    }
}

TEST_F(ContactGroupsTest, AContactDraggedOntoACallPanelBecomesItsTarget) {
    setFeatures({{"transfersEnabled", true}});
    Scenario().callsTo("sip:erin@sip.lumiq.example", RemoteAnswer::answers);
    auto call = engine().phoneService()->getConversationService()->audioConversation(
        "sip:erin@sip.lumiq.example", -1);
    runFor(1.5);
    settle();
    ASSERT_TRUE(call && call->wasConnected());
    auto& panel = *CallModuleController::sharedController().panels().at(0);
    panel.conversationModel()->transferBegin();
    settle();
    auto& view = *panel.conversationView();
    dragRow(rowOf("Work", "Anna Berg"), view.convertPointToView(view.bounds().center(), nullptr));
    const auto entered = panel.numberEntryModel()->objectEntered();
    ASSERT_NE(entered, nullptr);
    EXPECT_EQ(entered->address(), "sip:anna@sip.lumiq.example");
}

TEST_F(ContactGroupsTest, GroupChatInvitationKeepsItsTextAndStartsTheRoom) {
    platform::Value::Array addresses{platform::Value(std::string("dave@xmpp.lumiq.example")),
                                     platform::Value(std::string("erin@xmpp.lumiq.example"))};
    platform::Value::Array names{platform::Value(std::string("Dave Dunn")),
                                 platform::Value(std::string("Erin Evans"))};
    const auto ask = [&] {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            ContextGroupChat, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(GroupChatAddresses), platform::Value(addresses)},
                {std::string(GroupChatDisplayName), platform::Value(names)}}));
        settle();
    };
    controller().setGroupChatInvitationMessage("");
    ask();
    ASSERT_EQ(attachedSheet(), &list()->chatInvitationSheet());
    EXPECT_EQ(list()->chatInvitationCaptionTextField().stringValue(),
              "You have selected: Dave Dunn, Erin Evans. Please enter invitation text:");
    EXPECT_EQ(list()->chatInvitationTextField().stringValue(), "Please join my Group Chat...");
    // Cancelling keeps the edited text for next time and starts nothing.
    const auto im = engine().phoneService()->getIMService();
    const auto sessions = im->sessions().size();
    list()->chatInvitationTextField().setStringValue("Stand-up in five");
    list()->chatInvitationCancel();
    settle();
    EXPECT_EQ(attachedSheet(), nullptr);
    EXPECT_EQ(controller().groupChatInvitationMessage(), "Stand-up in five");
    EXPECT_EQ(im->sessions().size(), sessions);

    ask();
    EXPECT_EQ(list()->chatInvitationTextField().stringValue(), "Stand-up in five");
    list()->chatInvitationOK();
    settle();
    ASSERT_EQ(im->sessions().size(), sessions + 1);
    const auto room = im->sessions().back();
    EXPECT_TRUE(room->isGroupChat());
    EXPECT_EQ(room->invitedAddresses(),
              (std::vector<std::string>{"dave@xmpp.lumiq.example", "erin@xmpp.lumiq.example"}));
}

} // namespace
