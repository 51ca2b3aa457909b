#include "app/contacts/ContactAddressRules.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/SignInTestSupport.h"
#include "engine/OVContactManager.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"

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

    restart();
    zoe = find("Zoë Ångström-Łukasz");
    ASSERT_NE(zoe, nullptr);
    EXPECT_EQ(addressesOf(*zoe), expected);
    EXPECT_EQ(groupsOf(*zoe), std::vector<std::string>{"Family"});
    EXPECT_EQ(zoe->getFieldByName(OVField::fieldFirstName)->valueStr(), "Zoë");
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
