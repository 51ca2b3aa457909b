#include "app/contacts/ContactAddressRules.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/FunctionModuleController.h"
#include "engine/OVContactManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Screen.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace app_test;

namespace {

const std::string kDomainMissing =
    "Softphone format invalid. Address must include domain, please re-enter.";
const std::string kUserMissing =
    "Softphone format invalid. Address must include user id, please re-enter.";
const std::string kJidDomainMissing =
    "Instant Message format invalid. Address must include domain, please re-enter.";
const std::string kJidUserMissing =
    "Instant Message format invalid. Address must include user id, please re-enter.";
const std::string kEmail = "Email format invalid, please re-enter.";

} // namespace

TEST(ContactAddressRules, AddressesAreCheckedByKindWithLettersOfEveryScript) {
    struct Case {
        std::string_view kind;
        std::string value;
        std::string message; // "" when valid
    } cases[] = {
        {OVField::fieldSoftphone, "bob@sip.example.com", ""},
        {OVField::fieldSoftphone, "sips:bob@sip.example.com", ""},
        {OVField::fieldSoftphone, "SIP:bob@sip.example.com", ""},
        {OVField::fieldSoftphone, "+15550100@sip.example.com", ""},
        {OVField::fieldSoftphone, "zoë@exämple.de", ""},
        {OVField::fieldSoftphone, "łukasz@przykład.pl", ""},
        {OVField::fieldSoftphone, "山田@例え.jp", ""},
        {OVField::fieldSoftphone, "bob", kDomainMissing},
        {OVField::fieldSoftphone, "@sip.example.com", kUserMissing},
        {OVField::fieldSoftphone, "bob smith@sip.example.com", kUserMissing},
        {OVField::fieldJidAddr, "zoë@chat.exämple.de", ""},
        {OVField::fieldJidAddr, "+bob@chat.example.com", kJidUserMissing},
        {OVField::fieldJidAddr, "bob", kJidDomainMissing},
        {OVField::fieldEmailAddr, "ann.o'neil@example.com", ""},
        {OVField::fieldEmailAddr, "Łukasz@przykład.pl", ""},
        {OVField::fieldEmailAddr, "ann smith@example.com", kEmail},
        {OVField::fieldEmailAddr, "ann@", kEmail},
        {OVField::fieldEmailAddr, "ann@example.", kEmail},
        // Numbers and other kinds are taken as typed.
        {OVField::fieldHomeNum, "call me", ""},
    };
    for (const auto& c : cases) {
        const auto message = contact_rules::validationMessage(c.kind, c.value);
        EXPECT_EQ(message.value_or(""), c.message.empty() ? "" : c.value + " : " + c.message)
            << c.kind << " " << c.value;
    }
}

TEST(ContactAddressRules, TrimmingCompletingAndStoringAddresses) {
    EXPECT_EQ(contact_rules::trimmed(" \tZoë Ångström-Łukasz\u00a0\n"), "Zoë Ångström-Łukasz");
    EXPECT_EQ(contact_rules::trimmed("\u3000山田 太郎\u2028"), "山田 太郎");
    EXPECT_EQ(contact_rules::trimmed(" \u00a0 "), "");

    struct Completion {
        std::string_view kind;
        const char* shown;
        const char* previous;
        const char* domain;
        const char* value;
    } completions[] = {
        {OVField::fieldSoftphone, "bob", "", "sip.example.com", "bob@sip.example.com"},
        {OVField::fieldSoftphone, " bob ", "sip:old@other.example", "sip.example.com",
         "bob@other.example"},
        {OVField::fieldSoftphone, "bob", "", "", "bob"},
        {OVField::fieldSoftphone, "bob@mine.example", "", "sip.example.com", "bob@mine.example"},
        {OVField::fieldJidAddr, "bob", "", "chat.example.com", "bob@chat.example.com"},
        {OVField::fieldMobileNum, "555 0100", "", "sip.example.com", "555 0100"},
    };
    for (const auto& c : completions)
        EXPECT_EQ(contact_rules::completedValue(c.kind, c.shown, c.previous, c.domain), c.value)
            << c.shown;

    // "sip:" goes in front only of an address without a scheme of its own.
    struct Stored {
        const char* value;
        const char* stored;
    } stored[] = {{"bob@x.example", "sip:bob@x.example"},
                  {"sip:bob@x.example", "sip:bob@x.example"},
                  {"SIP:bob@x.example", "SIP:bob@x.example"},
                  {"sips:bob@x.example", "sips:bob@x.example"}};
    for (const auto& c : stored)
        EXPECT_EQ(contact_rules::softphoneStoredValue(c.value), c.stored);

    EXPECT_EQ(contact_rules::userPart("sip:bob@sip.example.com:5060"), "bob");
    EXPECT_EQ(contact_rules::userPart("bob:5060"), "bob");
    EXPECT_EQ(contact_rules::userPart("bob@other.example"), "bob");
}

namespace {

// The editor over the demo user's list, signed in with both accounts up.
class ContactEditorTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
    }
    void TearDown() override {
        ContactEditorController::cleanup();
        SignInTest::TearDown();
    }
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
    static ContactEditorController& editor() {
        const auto& open = ContactEditorController::openControllers();
        EXPECT_FALSE(open.empty());
        return *open.back();
    }
    static ContactContentController& source(std::size_t i = 0) { return *editor().sources().at(i); }
    // The sheet on the editor's window, as "caption | text".
    static std::string sheet() {
        if (ContactEditorController::openControllers().empty())
            return "";
        platform::Alert* alert = editor().shownAlert();
        if (!alert ||
            editor().window().attachedSheet() != static_cast<platform::Window*>(alert->window()))
            return "";
        return alert->messageText() + " | " + alert->informativeText();
    }
    void press(std::size_t button) {
        platform::Alert* alert = editor().shownAlert();
        ASSERT_NE(alert, nullptr);
        alert->pressButtonForTesting(button);
        settle();
    }
    // Adds an address the way the user does: kind chosen, value typed, Add clicked.
    void addAddress(std::string_view kind, std::string_view value) {
        auto& s = source();
        const auto& choices = s.addressChoices();
        const auto at = std::find(choices.begin(), choices.end(), kind);
        ASSERT_NE(at, choices.end()) << kind;
        s.addressTypePopup().selectItemAtIndex(at - choices.begin());
        typeInto(s.addressField(), value);
        click(s.addButton());
        settle();
    }
    // A new start of the program, signed in again by hand.
    void restart() {
        startOver();
        platform::UserDefaults::standardUserDefaults().setBool("login.remember.autosignin", false);
        signInToMainView();
    }
    static std::vector<std::string> addressesOf(const OVEntity& contact) {
        std::vector<std::string> out;
        for (const auto& field : contact.addresses())
            out.push_back(field->name() + "=" + field->valueStr());
        std::sort(out.begin(), out.end());
        return out;
    }
    // Whether the contact list shows a row of that name.
    static bool listShows(const std::string& name) {
        auto* list = FunctionModuleController::sharedController().contactList();
        if (!list)
            return false;
        auto& outline = list->contactOutlineView();
        auto* column = outline.tableColumns().front().get();
        for (long row = 0; row < outline.numberOfRows(); ++row) {
            const auto item = outline.itemAtRow(row);
            if (list->outlineViewObjectValueForTableColumn(outline, column, item).stringValue() ==
                name)
                return true;
        }
        return false;
    }
    static std::vector<std::string> groupsOf(const OVEntity& contact) {
        std::vector<std::string> out;
        for (const auto& parent : contact.parentEntities())
            out.push_back(parent->displayName());
        std::sort(out.begin(), out.end());
        return out;
    }
};

} // namespace

TEST_F(ContactEditorTest, ANewContactIsTypedInSavedWithOKAndKeptOverARestart) {
    auto& posted = recordNotifications({ContactAddNewNotification});
    ContactOperations::instance().addNewContactToGroup(
        platform::Value(std::static_pointer_cast<platform::Object>(find("Family"))));
    settle();
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    EXPECT_TRUE(editor().window().isVisible());
    EXPECT_EQ(editor().groupsPopup().itemAtIndex(0)->title(), "Family");

    typeInto(source().firstNameField(), "Zoë");
    typeInto(source().lastNameField(), "Ångström-Łukasz");
    addAddress(OVField::fieldMobileNum, "+15550111");
    addAddress(OVField::fieldWorkNum, "+15550122");
    addAddress(OVField::fieldSoftphone, "zoe");
    ASSERT_EQ(source().rows().size(), 3u);
    // The softphone address got the account's domain and is the one presence is watched on.
    EXPECT_EQ(source().rows()[2]->addressValue, "zoe@sip.lumiq.example");
    EXPECT_EQ(editor().defaultPresencePopup().titleOfSelectedItem(), "zoe@sip.lumiq.example");
    // The first callable address is the default for calls, the last mobile for text messages.
    EXPECT_EQ(editor().defaultCallPopup().titleOfSelectedItem(), "+15550111");
    EXPECT_EQ(editor().defaultSMSPopup().titleOfSelectedItem(), "+15550111");

    click(editor().okButton());
    settle();
    EXPECT_TRUE(ContactEditorController::openControllers().empty());
    EXPECT_EQ(posted.size(), 1u);
    const auto expected = std::vector<std::string>{
        "mobile=+15550111", "softphone=sip:zoe@sip.lumiq.example", "work=+15550122"};
    auto zoe = find("Zoë Ångström-Łukasz");
    ASSERT_NE(zoe, nullptr);
    EXPECT_EQ(addressesOf(*zoe), expected);
    EXPECT_EQ(groupsOf(*zoe), std::vector<std::string>{"Family"});
    EXPECT_EQ(zoe->getPrimary(OVField::fieldPrimaryTypeCall)->name(), OVField::fieldMobileNum);
    runFor(0.05);
    settle();
    EXPECT_TRUE(listShows("Zoë Ångström-Łukasz"));

    restart();
    zoe = find("Zoë Ångström-Łukasz");
    ASSERT_NE(zoe, nullptr);
    EXPECT_EQ(addressesOf(*zoe), expected);
    EXPECT_EQ(groupsOf(*zoe), std::vector<std::string>{"Family"});
    EXPECT_EQ(zoe->getFieldByName(OVField::fieldFirstName)->valueStr(), "Zoë");
    runFor(0.05);
    settle();
    EXPECT_TRUE(listShows("Zoë Ångström-Łukasz"));
}

TEST_F(ContactEditorTest, CancelAsksOnlyWhenSomethingChanged) {
    const auto dave = find("Dave Dunn");
    ContactOperations::instance().editContact(dave);
    settle();
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    // Asking again brings the same editor forward.
    ContactOperations::instance().editContact(dave);
    EXPECT_EQ(ContactEditorController::openControllers().size(), 1u);
    EXPECT_EQ(source().displayNameField().stringValue(), "Dave Dunn");

    click(editor().cancelButton());
    settle();
    EXPECT_TRUE(ContactEditorController::openControllers().empty()) << "nothing changed";

    ContactOperations::instance().editContact(dave);
    settle();
    typeInto(source().displayNameField(), "David Dunn");
    click(editor().cancelButton());
    settle();
    EXPECT_EQ(sheet(), "Discard Changes | This contact was changed. Do you want to close it "
                       "without saving the changes?");
    press(1); // No: the editor stays with what was typed.
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    EXPECT_EQ(source().displayNameField().stringValue(), "David Dunn");
    click(editor().cancelButton());
    settle();
    press(0); // Yes
    EXPECT_TRUE(ContactEditorController::openControllers().empty());
    EXPECT_EQ(dave->displayName(), "Dave Dunn");
}

TEST_F(ContactEditorTest, OKRefusesInvalidOrEmptyContactsAndKeepsTheInput) {
    const struct {
        std::string_view kind;
        const char* value;
        const char* sheet;
    } cases[] = {
        {OVField::fieldJidAddr, "+zoe@chat.lumiq.example",
         "Warning | +zoe@chat.lumiq.example : Instant Message format invalid. Address must "
         "include user id, please re-enter."},
        {OVField::fieldEmailAddr, "zoe at example.com",
         "Warning | zoe at example.com : Email format invalid, please re-enter."},
        {OVField::fieldSoftphone, "@sip.lumiq.example",
         "Warning | @sip.lumiq.example : Softphone format invalid. Address must include user "
         "id, please re-enter."},
    };
    const auto before = manager()->allContacts().size();
    for (const auto& c : cases) {
        ContactOperations::instance().addNewContactToGroup(
            platform::Value(std::static_pointer_cast<platform::Object>(find("Work"))));
        settle();
        typeInto(source().displayNameField(), "Zoë");
        addAddress(c.kind, c.value);
        click(editor().okButton());
        settle();
        EXPECT_EQ(sheet(), c.sheet);
        press(0);
        EXPECT_EQ(source().rows().size(), 1u);
        ContactEditorController::cleanup();
        settle();
    }
    // Only blanks: nothing to save.
    ContactOperations::instance().addNewContactToGroup(
        platform::Value(std::static_pointer_cast<platform::Object>(find("Work"))));
    settle();
    typeInto(source().displayNameField(), "   ");
    click(editor().okButton());
    settle();
    EXPECT_EQ(sheet(), "Warning | Cannot save empty contact");
    EXPECT_EQ(manager()->allContacts().size(), before);
}

TEST_F(ContactEditorTest, GroupsMoveTheContactAndTheLastGroupStays) {
    const auto dave = find("Dave Dunn");
    const auto before = groupsOf(*dave);
    ASSERT_EQ(before.size(), 1u);
    ContactOperations::instance().editContact(dave);
    settle();
    auto& groups = editor().groupsPopup();
    const auto choose = [&](const std::string& name) {
        auto* item = groups.itemWithTitle(name);
        ASSERT_NE(item, nullptr) << name;
        editor().tryToPerform(item->action(), item);
    };
    choose(before[0]); // the only group: stays ticked
    EXPECT_EQ(editor().selectedGroups(), before);
    const std::string other = before[0] == "Family" ? "Work" : "Family";
    choose(other);
    choose(before[0]);
    EXPECT_EQ(editor().selectedGroups(), std::vector<std::string>{other});
    EXPECT_EQ(groups.itemAtIndex(0)->title(), other);
    click(editor().okButton());
    settle();
    EXPECT_EQ(groupsOf(*dave), std::vector<std::string>{other});

    restart();
    ASSERT_NE(find("Dave Dunn"), nullptr);
    EXPECT_EQ(groupsOf(*find("Dave Dunn")), std::vector<std::string>{other});
}

namespace {

std::vector<std::string> titlesOf(platform::PopUpButton& popUp) {
    std::vector<std::string> out;
    for (const auto& item : popUp.itemArray())
        out.push_back(item->title());
    return out;
}

} // namespace

TEST_F(ContactEditorTest, AMarkedSourceLeavesTheContactWhenSavedAndTheMarkCanBeTakenBack) {
    const auto merged = manager()->mergeContacts({find("Erin Evans"), find("Frank Ford")});
    ASSERT_NE(merged, nullptr);
    ContactOperations::instance().editContact(merged);
    settle();
    ASSERT_EQ(editor().sources().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(source(i).removeButton().isHidden()) << i;
        EXPECT_TRUE(source(i).splitButton().isHidden()) << i;
        EXPECT_FALSE(source(i).showMarkedArea()) << i;
    }
    const std::vector<std::string> both{"sip:erin@sip.lumiq.example",
                                        "sip:frank@sip.lumiq.example"};
    EXPECT_EQ(titlesOf(editor().defaultCallPopup()), both);

    click(source(1).removeButton());
    settle();
    EXPECT_TRUE(source(1).markedDelete());
    EXPECT_TRUE(source(1).showMarkedArea());
    EXPECT_EQ(source(1).markedText().stringValue(), "Marked For Deletion");
    EXPECT_EQ(source(1).markedText().font().pointSize(), 26);
    // A marked source offers neither its addresses nor its name.
    EXPECT_EQ(titlesOf(editor().defaultCallPopup()),
              std::vector<std::string>{"sip:erin@sip.lumiq.example"});
    EXPECT_EQ(titlesOf(editor().displayAsPopup()), std::vector<std::string>{"Erin Evans"});

    click(source(1).cancelMarkButton());
    settle();
    EXPECT_FALSE(source(1).markedDelete());
    EXPECT_FALSE(source(1).showMarkedArea());
    EXPECT_EQ(titlesOf(editor().defaultCallPopup()), both);

    click(source(1).removeButton());
    settle();
    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    const std::vector<std::string> erinOnly{"jid=erin@chat.lumiq.example",
                                            "softphone=sip:erin@sip.lumiq.example"};
    EXPECT_EQ(addressesOf(*merged), erinOnly);
    EXPECT_EQ(merged->entitiesAll().size(), 1u);
    EXPECT_EQ(find("Frank Ford"), nullptr);

    restart();
    const auto erin = find("Erin Evans");
    ASSERT_NE(erin, nullptr);
    EXPECT_EQ(addressesOf(*erin), erinOnly);
    EXPECT_EQ(find("Frank Ford"), nullptr);
}

TEST_F(ContactEditorTest, ASourceMarkedForSplittingSplitsTheWholeContact) {
    const auto merged =
        manager()->mergeContacts({find("Dave Dunn"), find("Erin Evans"), find("Frank Ford")});
    ASSERT_NE(merged, nullptr);
    ContactOperations::instance().editContact(merged);
    settle();
    ASSERT_EQ(editor().sources().size(), 3u);
    source(2).tryToPerform("split:", nullptr);
    EXPECT_TRUE(source(2).markedSplit());
    EXPECT_EQ(source(2).markedText().stringValue(), "Marked For Split");
    EXPECT_FALSE(source(2).removeButton().isHidden() && !source(2).showMarkedArea());
    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    for (const char* name : {"Dave Dunn", "Erin Evans", "Frank Ford"}) {
        ASSERT_NE(find(name), nullptr) << name;
        EXPECT_TRUE(find(name)->entitiesAll().empty()) << name;
    }
    restart();
    for (const char* name : {"Dave Dunn", "Erin Evans", "Frank Ford"}) {
        ASSERT_NE(find(name), nullptr) << name;
        EXPECT_EQ(find(name)->addresses().empty(), false) << name;
    }
}

TEST_F(ContactEditorTest, SourcesBroughtInAreMergedOnOKRemovedAtOnceOrLeftAloneWhenEmptied) {
    const auto dave = find("Dave Dunn");
    const auto erin = find("Erin Evans");
    const auto erinAddresses = addressesOf(*erin);
    const auto daveAddresses = addressesOf(*dave);

    // Brought in and removed again: it goes at once and nothing of it changes.
    ContactOperations::instance().editContact(dave);
    settle();
    editor().addContact(erin);
    settle();
    ASSERT_EQ(editor().sources().size(), 2u);
    EXPECT_TRUE(source(1).isNew());
    EXPECT_TRUE(editor().isContactAdded(erin));
    // The contact's own single source is deleted from the list, not from here.
    EXPECT_TRUE(source(0).removeButton().isHidden());
    click(source(1).removeButton());
    settle();
    EXPECT_EQ(editor().sources().size(), 1u);
    EXPECT_FALSE(editor().isContactAdded(erin));
    click(editor().okButton());
    settle();
    EXPECT_EQ(addressesOf(*dave), daveAddresses);
    ASSERT_NE(find("Erin Evans"), nullptr);
    EXPECT_EQ(addressesOf(*find("Erin Evans")), erinAddresses);

    // Brought in and emptied row by row: the other contact is not deleted.
    ContactOperations::instance().editContact(dave);
    settle();
    editor().addContact(erin);
    settle();
    while (!source(1).rows().empty())
        click(*source(1).removeButtonOf(source(1).rows().front()));
    for (auto* field :
         {&source(1).firstNameField(), &source(1).lastNameField(), &source(1).displayNameField()})
        field->setStringValue("");
    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    ASSERT_NE(find("Erin Evans"), nullptr);
    EXPECT_EQ(addressesOf(*find("Erin Evans")), erinAddresses);
    EXPECT_TRUE(dave->entitiesAll().empty());

    // Brought in and kept: merged into the contact, which keeps its name.
    ContactOperations::instance().editContact(dave);
    settle();
    editor().addContact(erin);
    settle();
    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    auto merged = find("Dave Dunn");
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->entitiesAll().size(), 2u);
    EXPECT_EQ(find("Erin Evans"), nullptr);
    restart();
    merged = find("Dave Dunn");
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->entitiesAll().size(), 2u);
    EXPECT_EQ(find("Erin Evans"), nullptr);
}

namespace {

std::shared_ptr<platform::Image> pictureOf(const OVEntity& contact) {
    const auto field = contact.getPrimary(OVField::fieldPrimaryTypeAvatar);
    if (!field)
        return nullptr;
    const auto& bytes = field->valueStr();
    return platform::Image::imageWithData(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

} // namespace

TEST_F(ContactEditorTest, APictureIsChosenInASheetScaledDownAndKeptOverARestart) {
    const auto dir = std::filesystem::path(std::getenv("HOME")) / "pictures";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "broken.png") << "not a picture";
    auto wide = std::make_shared<platform::Image>(platform::Size(300, 150));
    wide->lockFocus();
    platform::Color::redColor().setFill();
    platform::RectFill(platform::Rect(0, 0, 300, 150));
    wide->unlockFocus();
    ASSERT_TRUE(wide->writePNG(dir / "wide.png"));
    std::filesystem::copy_file(std::filesystem::path(LUMIQ_SOURCE_DIR) /
                                   "tests/fixtures/red_blue_60x40.jpg",
                               dir / "small.jpeg");

    const auto dave = find("Dave Dunn");
    ContactOperations::instance().editContact(dave);
    settle();
    EXPECT_TRUE(source().avatar().empty());
    EXPECT_FALSE(source().resetAvatarButton().isEnabled());
    const auto choose = [&](const std::filesystem::path& file) {
        click(source().avatarButton());
        settle();
        platform::OpenPanel* panel = source().avatarPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(editor().window().attachedSheet(), panel);
        EXPECT_EQ(panel->message(), "Select Image File");
        EXPECT_EQ(panel->okButton()->title(), "Select");
        EXPECT_EQ(panel->allowedFileTypes(), (std::vector<std::string>{"png", "jpg", "jpeg"}));
        typeInto(*panel->pathField(), file.string());
        click(*panel->okButton());
        settle();
        EXPECT_EQ(source().avatarPanel(), nullptr);
    };

    // Not a picture: said so, nothing changes.
    choose(dir / "broken.png");
    EXPECT_EQ(sheet(), "Picture Not Changed | broken.png cannot be read as a picture. Choose a "
                       "PNG or JPEG file.");
    press(0);
    EXPECT_TRUE(source().avatar().empty());

    // A picture is scaled to fit the small square, never enlarged.
    const struct {
        const char* file;
        platform::Size size;
    } pictures[] = {{"wide.png", {96, 48}}, {"small.jpeg", {60, 40}}};
    for (const auto& p : pictures) {
        choose(dir / p.file);
        const auto image = source().avatarImage();
        ASSERT_NE(image, nullptr) << p.file;
        EXPECT_EQ(image->size(), p.size) << p.file;
        EXPECT_TRUE(source().resetAvatarButton().isEnabled());
        EXPECT_EQ(source().avatarButton().toolTip(), p.file);
        EXPECT_EQ(editor().defaultAvatar(), &source());
    }
    // The sources' pictures are offered for the contact's picture (after an empty item).
    ASSERT_EQ(editor().avatarMenu().numberOfItems(), 2);
    EXPECT_EQ(editor().avatarMenu().itemAtIndex(1)->image()->size(), platform::Size(64, 64));

    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    ASSERT_NE(pictureOf(*dave), nullptr);
    EXPECT_EQ(pictureOf(*dave)->size(), platform::Size(60, 40));

    restart();
    ASSERT_NE(find("Dave Dunn"), nullptr);
    const auto kept = pictureOf(*find("Dave Dunn"));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->size(), platform::Size(60, 40));

    // Taken away again.
    ContactOperations::instance().editContact(find("Dave Dunn"));
    settle();
    EXPECT_FALSE(source().avatar().empty());
    click(source().resetAvatarButton());
    settle();
    EXPECT_TRUE(source().avatar().empty());
    EXPECT_FALSE(source().resetAvatarButton().isEnabled());
    click(editor().okButton());
    settle();
    EXPECT_EQ(pictureOf(*find("Dave Dunn")), nullptr);
}

TEST_F(ContactEditorTest, AChatAddressBecomesARosterSourceWatchedThroughItsCheckBox) {
    ContactOperations::instance().addNewContactToGroup(
        platform::Value(std::static_pointer_cast<platform::Object>(find("Family"))));
    settle();
    typeInto(source().displayNameField(), "Zoë");
    addAddress(OVField::fieldSoftphone, "zoe");
    // A source of the user's own list: the pop-up, no check box, no button yet.
    EXPECT_FALSE(source().presencePopup().isHidden());
    EXPECT_TRUE(source().presenceCheckBox().isHidden());
    EXPECT_TRUE(source().presenceTextField().isHidden());
    EXPECT_TRUE(source().createContactButton().isHidden());
    addAddress(OVField::fieldJidAddr, "zoe");
    EXPECT_EQ(source().jidPresenceAddress()->addressValue, "zoe@chat.lumiq.example");
    EXPECT_FALSE(source().createContactButton().isHidden());

    click(source().createContactButton());
    settle();
    EXPECT_EQ(editor().window().attachedSheet(), &source().introSheet());
    typeInto(source().introTextView(), "Hi, it's Alice");
    click(source().introContinueButton());
    settle();
    EXPECT_EQ(editor().window().attachedSheet(), nullptr);
    EXPECT_EQ(source().introTextView().stringValue(), "") << "emptied for the next time";
    ASSERT_EQ(editor().sources().size(), 2u);
    // The address moved into a roster source of its own.
    EXPECT_EQ(source(0).rows().size(), 1u);
    EXPECT_TRUE(source(0).createContactButton().isHidden());
    auto& roster = source(1);
    EXPECT_TRUE(roster.isNew());
    EXPECT_EQ(roster.kindLabel().stringValue(), "XMPP");
    EXPECT_TRUE(roster.isReadOnly());
    EXPECT_TRUE(roster.presencePopup().isHidden());
    EXPECT_FALSE(roster.presenceCheckBox().isHidden());
    EXPECT_TRUE(roster.presenceCheckBox().isEnabled()) << "Alice's chat account serves it";
    EXPECT_EQ(roster.presenceTextField().stringValue(), "zoe@chat.lumiq.example");
    EXPECT_TRUE(roster.createContactButton().isHidden());
    EXPECT_NE(roster.presenceCheckBox().state(), platform::OffState);
    EXPECT_EQ(titlesOf(editor().defaultPresencePopup()),
              (std::vector<std::string>{"zoe@sip.lumiq.example", "zoe@chat.lumiq.example"}));

    // Unticked: the roster address is no presence address any more.
    click(roster.presenceCheckBox());
    settle();
    EXPECT_EQ(roster.presenceCheckBox().state(), platform::OffState);
    EXPECT_EQ(titlesOf(editor().defaultPresencePopup()),
              std::vector<std::string>{"zoe@sip.lumiq.example"});

    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    auto zoe = find("Zoë");
    ASSERT_NE(zoe, nullptr);
    EXPECT_EQ(zoe->entitiesAll().size(), 2u);
    const std::vector<std::string> expected{"jid=zoe@chat.lumiq.example",
                                            "softphone=sip:zoe@sip.lumiq.example"};
    EXPECT_EQ(addressesOf(*zoe), expected);
    EXPECT_EQ(groupsOf(*zoe), std::vector<std::string>{"Family"});
    restart();
    zoe = find("Zoë");
    ASSERT_NE(zoe, nullptr);
    EXPECT_EQ(addressesOf(*zoe), expected);
    EXPECT_EQ(groupsOf(*zoe), std::vector<std::string>{"Family"});
}

TEST_F(ContactEditorTest, AChatAddressOfAnotherContactOffersToMergeThatContact) {
    const auto erin = find("Erin Evans");
    const auto erinAddresses = addressesOf(*erin);
    ContactOperations::instance().addNewContactToGroup(
        platform::Value(std::static_pointer_cast<platform::Object>(find("Work"))));
    settle();
    typeInto(source().displayNameField(), "E. Evans");
    addAddress(OVField::fieldMobileNum, "+15550177");
    addAddress(OVField::fieldJidAddr, "erin@chat.lumiq.example");
    const auto ask = [&] {
        click(source().createContactButton());
        settle();
        click(source().introContinueButton());
        settle();
        EXPECT_EQ(sheet(), "Merge Contacts | A contact already exist with "
                           "erin@chat.lumiq.example! Do you want to merge the existing "
                           "contact with this one?");
    };
    ask();
    press(1); // No: nothing moves.
    EXPECT_EQ(editor().sources().size(), 1u);
    EXPECT_EQ(source().rows().size(), 2u);
    ask();
    press(0); // Yes: her sources come in and the address leaves the typed one.
    ASSERT_EQ(editor().sources().size(), 2u);
    EXPECT_EQ(source(0).rows().size(), 1u);
    EXPECT_EQ(source(1).entity(), erin);
    EXPECT_TRUE(source(1).isNew());
    // Added sources show at the bottom of the stack.
    EXPECT_DOUBLE_EQ(editor().scrolledFromTop(),
                     editor().addressScrollView().documentView()->frame().size.height -
                         editor().addressScrollView().documentVisibleRect().size.height);

    click(editor().okButton());
    settle();
    ASSERT_TRUE(ContactEditorController::openControllers().empty()) << sheet();
    auto merged = find("E. Evans");
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->entitiesAll().size(), 2u);
    EXPECT_EQ(find("Erin Evans"), nullptr);
    auto all = erinAddresses;
    all.push_back("mobile=+15550177");
    std::sort(all.begin(), all.end());
    EXPECT_EQ(addressesOf(*merged), all);
}

TEST_F(ContactEditorTest, ManySourcesScrollInsideAWindowThatShowsTwoOfThem) {
    const auto merged =
        manager()->mergeContacts({find("Dave Dunn"), find("Erin Evans"), find("Frank Ford")});
    ASSERT_NE(merged, nullptr);
    ContactOperations::instance().editContact(merged);
    settle();
    ASSERT_EQ(editor().sources().size(), 3u);
    auto& scroll = editor().addressScrollView();
    const double stack = scroll.documentView()->frame().size.height;
    EXPECT_DOUBLE_EQ(scroll.frame().size.height, stack / 3 * 2);
    EXPECT_EQ(editor().scrolledFromTop(), 0) << "opens on the first source";
    EXPECT_LT(scroll.frame().size.height, stack);
    // The window stays on the screen.
    ASSERT_NE(platform::Screen::mainScreen(), nullptr);
    const auto frame = editor().window().frame();
    const auto screen = platform::Screen::mainScreen()->visibleFrame();
    EXPECT_GE(frame.origin.y, screen.origin.y);
    EXPECT_LE(frame.origin.y + frame.size.height, screen.origin.y + screen.size.height);
    editor().scrollToBottom();
    EXPECT_DOUBLE_EQ(editor().scrolledFromTop(), stack - scroll.documentVisibleRect().size.height);
}

TEST_F(ContactEditorTest, WithTheConnectServiceNoSourceShowsAPresenceSection) {
    setFeatures({{"connectServiceEnabled", true}});
    ContactOperations::instance().editContact(find("Dave Dunn"));
    settle();
    ASSERT_TRUE(editor().createXmppContact("Dave", "dave.dunn@chat.lumiq.example", "Hello"));
    ASSERT_EQ(editor().sources().size(), 2u);
    EXPECT_EQ(source(1).kindLabel().stringValue(), "XMPP");
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(source(i).presenceLabel().isHidden()) << i;
        EXPECT_TRUE(source(i).presencePopup().isHidden()) << i;
        EXPECT_TRUE(source(i).presenceCheckBox().isHidden()) << i;
        EXPECT_TRUE(source(i).presenceTextField().isHidden()) << i;
    }
}
