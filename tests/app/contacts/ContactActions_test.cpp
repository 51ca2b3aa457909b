#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/SignInTestSupport.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/messaging/FileTransferWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMBroadcastWindowController.h"
#include "engine/FileTransferService.h"
#include "engine/OVContactManager.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "platform/foundation/TestSupport.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"

using namespace app_test;

namespace {

// What the contact actions do with the demo user's list, signed in with both accounts up.
class ContactActionsTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
    }

    static ContactOperations& operations() { return ContactOperations::instance(); }
    static std::shared_ptr<OVContactManager> manager() {
        return engine().phoneService()->getContactManager();
    }
    static std::shared_ptr<OVEntity> find(std::string_view name) {
        for (const auto& c : manager()->allContacts())
            if (c->displayName() == name)
                return c;
        for (const auto& g : manager()->getVeyraRoot()->entitiesAll())
            if (g->displayName() == name)
                return g;
        return nullptr;
    }
    static platform::Value value(const std::shared_ptr<OVEntity>& entity) {
        return platform::Value(std::static_pointer_cast<platform::Object>(entity));
    }
    // Runs the action as its menu item does.
    static void perform(std::string_view action, platform::Value object) {
        platform::MenuItem item("item", std::string(action), "");
        item.setRepresentedObject(std::move(object));
        ASSERT_TRUE(operations().tryToPerform(action, &item)) << action;
        settle();
    }
    // The alert the operations show on the main window, as "caption | text".
    std::string sheet() const {
        platform::Alert* alert = operations().shownAlert();
        if (!alert || window().attachedSheet() != static_cast<platform::Window*>(alert->window()))
            return "";
        return alert->messageText() + " | " + alert->informativeText();
    }
    void answer(std::size_t button) {
        platform::Alert* alert = operations().shownAlert();
        ASSERT_NE(alert, nullptr);
        alert->pressButtonForTesting(button);
        settle();
    }
};

} // namespace

TEST_F(ContactActionsTest, DeletingAsksWithTheRightWordsAndOnlyYesDeletes) {
    const auto dave = find("Dave Dunn");
    const auto erin = find("Erin Evans");
    const auto frank = find("Frank Ford");
    const auto family = find("Family");
    const auto work = find("Work");
    struct Case {
        ContactSelection items;
        bool fromFavourites;
        std::string sheet;
    } cases[] = {
        {{dave}, false, "Delete Contact | Are you sure you want to delete this contact?"},
        {{frank},
         false,
         "Delete Contact | Are you sure you want to delete this contact from all groups?"},
        {{frank},
         true,
         "Delete Contact | This contact will also be deleted from your contact list. To delete "
         "only from Favorites, use Remove From Favorites. Are you sure you want to delete this "
         "contact?"},
        {{family}, false, "Delete Groups and Contacts | Delete the group and all its contacts?"},
        {{dave, erin}, false, "Delete Contacts | Are you sure you want to delete these contacts?"},
        {{family, work},
         false,
         "Delete Groups and Contacts | Delete the groups and all their contacts?"},
        {{dave, family},
         false,
         "Delete Groups and Contacts | Delete all highlighted contacts, groups and all its "
         "contacts?"},
    };
    const auto count = manager()->allContacts().size();
    for (const auto& c : cases) {
        operations().deleteEntities(c.items, c.fromFavourites);
        settle();
        EXPECT_EQ(sheet(), c.sheet);
        answer(1); // No
        EXPECT_EQ(manager()->allContacts().size(), count);
    }
    operations().deleteEntities({dave, erin}, false);
    settle();
    answer(0); // Yes
    EXPECT_EQ(find("Dave Dunn"), nullptr);
    EXPECT_EQ(find("Erin Evans"), nullptr);

    // Empty groups go at once, without a question.
    manager()->deleteContacts(family->entitiesAll());
    operations().deleteEntities({family}, false);
    settle();
    EXPECT_EQ(sheet(), "");
    EXPECT_EQ(find("Family"), nullptr);
}

TEST_F(ContactActionsTest, MergeDeduplicatesBeforeItClearsPrimaryFields) {
    engine().featuresService()->setFeatureAvailable("contactMergingEnabled", true);
    const auto dave = find("Dave Dunn");
    const auto erin = find("Erin Evans");
    dave->setPrimary(OVField::fieldPrimaryTypeCall, OVField::fieldMobileNum);

    // Dave selected twice (two rows) is one contact: nothing merges, nothing is cleared.
    perform("mergeItems:", platform::Value(platform::Value::Array{value(dave), value(dave)}));
    EXPECT_TRUE(dave->entitiesAll().empty());
    EXPECT_EQ(dave->getPrimary(OVField::fieldPrimaryTypeCall)->name(), OVField::fieldMobileNum);

    erin->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    perform("mergeItems:",
            platform::Value(platform::Value::Array{value(dave), value(dave), value(erin)}));
    EXPECT_EQ(dave->entitiesAll().size(), 2u);
    EXPECT_EQ(find("Erin Evans"), nullptr);
    // The first keeps its choice; the merged contact opens in the editor, a view per source.
    EXPECT_EQ(dave->getPrimary(OVField::fieldPrimaryTypeCall)->name(), OVField::fieldMobileNum);
    EXPECT_TRUE(erin->primaryFields().empty());
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    EXPECT_EQ(ContactEditorController::openControllers()[0]->contact(), dave);
    EXPECT_EQ(ContactEditorController::openControllers()[0]->sources().size(), 2u);
    ContactEditorController::cleanup();

    // Split waits for the menu to close.
    perform("splitItems:", value(dave));
    EXPECT_EQ(dave->entitiesAll().size(), 2u);
    runFor(0.25);
    EXPECT_TRUE(dave->entitiesAll().empty());
    EXPECT_NE(find("Erin Evans"), nullptr);
}

TEST_F(ContactActionsTest, FavouritesAlertListAndBlocking) {
    const auto family = find("Family");
    perform("addToFav:", value(family));
    for (const auto& member : family->entitiesAll())
        EXPECT_TRUE(member->favourite()) << member->displayName();
    perform("removeFromFav:", value(find("Frank Ford")));
    EXPECT_FALSE(find("Frank Ford")->favourite());

    // Only contacts whose presence address has a chat account of its kind join the alert list.
    perform("addToAlertList:", value(family));
    for (const auto& member : family->entitiesAll())
        EXPECT_EQ(member->getFieldByName(OVField::fieldAlertEnabled)->valueStr(), "true");
    perform("removeFromAlertList:", value(find("Frank Ford")));
    EXPECT_EQ(find("Frank Ford")->getFieldByName(OVField::fieldAlertEnabled)->valueStr(), "false");
    EXPECT_EQ(find("Frank Ford")->getFieldByName(OVField::fieldAlertIsPersistent)->valueStr(),
              "false");

    auto& posted = recordNotifications({PrivacyChangedNotification});
    const auto dave = find("Dave Dunn");
    perform("block:", value(dave));
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_EQ(dave->getFieldByName(OVField::fieldBlockState)->valueStr(), OVField::stateBlocked);
    perform("unblock:", value(dave));
    EXPECT_EQ(posted.size(), 2u);
    EXPECT_EQ(dave->getFieldByName(OVField::fieldBlockState)->valueStr(), OVField::stateNotBlocked);
    // A group is no person to block.
    perform("block:", value(family));
    EXPECT_EQ(posted.size(), 2u);
}

TEST_F(ContactActionsTest, WindowsNotBuiltYetSaySoInsteadOfDoingNothing) {
    engine().featuresService()->setFeatureAvailable("allow_im_broadcast", true);
    const auto dave = find("Dave Dunn");
    struct Case {
        const char* action;
        platform::Value object;
        const char* what;
    } cases[] = {
        {"showCallHistory:", value(dave), "The call history"},
    };
    for (const auto& c : cases) {
        perform(c.action, c.object);
        EXPECT_EQ(sheet(), std::string(c.what) + " is not available yet. | ") << c.action;
        answer(0);
    }
    // A wrong kind of object does nothing at all.
    perform("showCallHistory:", platform::Value("sip:dave@sip.lumiq.example"));
    EXPECT_EQ(sheet(), "");

    // The archive exists: it opens on the contact's chats, without a word.
    perform("viewIMArchive:", value(dave));
    EXPECT_EQ(sheet(), "");
    ASSERT_TRUE(IMArchiveWindowController::sharedIMArchiveWindowControllerExists());
    EXPECT_TRUE(IMArchiveWindowController::sharedIMArchiveWindowController().window()->isVisible());
    IMArchiveWindowController::close();
    // A broadcast opens its window for the group's reachable contacts, and says nothing.
    perform("broadcastIM:", value(find("Family")));
    EXPECT_EQ(sheet(), "");
    ASSERT_EQ(IMBroadcastWindowController::openControllers().size(), 1u);
    EXPECT_FALSE(IMBroadcastWindowController::openControllers().front()->recipients().empty());
    IMBroadcastWindowController::closeAll();
    // New groups are made by the contact list's sheet now.
    perform("newGroup:", {});
    auto* list = ContactListController::sharedController();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(window().attachedSheet(), &list->newGroupPanel());
    list->newGroupCancel();
    settle();

    // The editor: the contact in it, or a new contact for the group.
    perform("editContactAction:", value(dave));
    perform("addNewContactToGroup:", value(find("Family")));
    const auto& editors = ContactEditorController::openControllers();
    ASSERT_EQ(editors.size(), 2u);
    EXPECT_EQ(editors[0]->contact(), dave);
    EXPECT_TRUE(editors[1]->isNewContact());
    EXPECT_EQ(editors[1]->selectedGroups(), std::vector<std::string>{"Family"});
    ContactEditorController::cleanup();
}

TEST_F(ContactActionsTest, InvitationsListEachPersonOnceWithTheirFirstEmail) {
    const auto isabel = find("Isabel Jones");
    const auto dave = find("Dave Dunn");
    perform("inviteFriend:", value(isabel));
    perform("inviteFriends:", platform::Value(platform::Value::Array{value(isabel), value(dave)}));
    auto& invite = ConnectInviteFriendsWindowController::sharedInviteWindowController();
    EXPECT_TRUE(invite.window()->isVisible());
    using Row = std::pair<std::string, std::string>;
    EXPECT_EQ(invite.invitees(),
              (std::vector<Row>{{"Isabel Jones", "isabel@mail.lumiq.example"}, {"Dave Dunn", ""}}));
    ConnectInviteFriendsWindowController::releaseSharedInviteWindowController();
}

TEST_F(ContactActionsTest, FilesGoToAnOnlineChatAddressAndNoMoreThanTheEngineSends) {
    const auto dave = find("Dave Dunn");
    dave->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    foundation_test::TempDir folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 11; ++i) {
        paths.push_back((folder / ("file" + std::to_string(i) + ".txt")).string());
        foundation_test::writeFile(paths.back(), "x");
    }
    const auto transfers = engine().phoneService()->getFileTransferService();
    const auto before = transfers->requests().size();
    operations().sendFiles(paths, dave);
    settle();
    EXPECT_EQ(sheet(), "Warning | Sorry, you can only send a maximum of 10 files at once.");
    answer(0);
    EXPECT_EQ(transfers->requests().size(), before);

    // Folders and missing files are left out; folders alone send nothing.
    operations().sendFiles({folder.path().string(), (folder / "missing").string()}, dave);
    EXPECT_EQ(transfers->requests().size(), before);
    operations().sendFiles({paths[0], folder.path().string()}, dave);
    ASSERT_EQ(transfers->requests().size(), before + 1);
    // Offline: nothing.
    operations().sendFiles({paths[0]}, find("Erin Evans"));
    EXPECT_EQ(transfers->requests().size(), before + 1);
}

// "Send Files..." on a contact: the file chosen in the panel goes out in a transfer window of
// its own, and the other side receives its bytes.
TEST_F(ContactActionsTest, SendFileOpensATransferWindowAndTheFileArrives) {
    const auto dave = find("Dave Dunn");
    dave->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    foundation_test::TempDir folder;
    const auto file = folder / "agenda.txt";
    foundation_test::writeFile(file, "1. files\n2. presence\n");
    perform("sendFilesXMPP:", value(dave));
    auto* panel = dynamic_cast<platform::OpenPanel*>(window().attachedSheet());
    ASSERT_NE(panel, nullptr) << "the file chooser is up on the main window";
    panel->setDirectory(folder.path());
    panel->pathField()->setStringValue("agenda.txt");
    panel->tryToPerform("pathEntered:", panel->pathField());
    settle();

    AppController* controller = AppController::sharedAppController();
    ASSERT_NE(controller, nullptr);
    ASSERT_EQ(controller->fileTransferRequests().size(), 1u);
    auto* transfer =
        dynamic_cast<FileTransferWindowController*>(controller->fileTransferRequests()[0].get());
    ASSERT_NE(transfer, nullptr);
    EXPECT_TRUE(transfer->window()->isVisible());
    EXPECT_EQ(transfer->messageText(), "Waiting for remote party to accept");
    runFor(3);
    EXPECT_EQ(transfer->messageText(), "File transfer completed");
    const auto& delivered = Scenario().network()->deliveredFiles();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].address, "dave@chat.lumiq.example");
    EXPECT_EQ(delivered[0].name, "agenda.txt");
    EXPECT_EQ(delivered[0].content, "1. files\n2. presence\n");
    transfer->closeWindow(nullptr);
    settle();
    EXPECT_TRUE(controller->fileTransferRequests().empty());
}
