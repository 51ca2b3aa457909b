#include "app/contacts/ContactImportWindowController.h"
#include "app/core/ContactImportExportController.h"
#include "app/core/SignInTestSupport.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/TestSupport.h"
#include "platform/kit/Button.h"
#include "platform/kit/TableColumn.h"
#include "platform/system/AddressBook.h"

#include <fstream>

using namespace app_test;

namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A card as CardDAV sync tools keep them, one a file.
std::string card(const std::string& first, const std::string& last, int n) {
    const std::string number = std::to_string(1000 + n);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\n"
           "FN:" +
           first + " " + last +
           "\r\n"
           "N:" +
           last + ";" + first +
           ";;;\r\n"
           "TEL;TYPE=CELL:+1 555 01" +
           number +
           "\r\n"
           "TEL;TYPE=WORK,VOICE:+1 555 02" +
           number +
           "\r\n"
           "TEL;TYPE=HOME:+1 555 03" +
           number +
           "\r\n"
           "EMAIL;TYPE=INTERNET,WORK:p" +
           number +
           "@work.example\r\n"
           "EMAIL;TYPE=INTERNET,HOME:p" +
           number +
           "@home.example\r\n"
           "ADR;TYPE=HOME:;;" +
           number +
           " Main St;Springfield;;12345;USA\r\n"
           "ADR;TYPE=WORK:;;1 Office Rd;Shelbyville;;54321;USA\r\n"
           "END:VCARD\r\n";
}

class AddressBookImportTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
    }
    void TearDown() override {
        if (auto* open = ContactImportWindowController::instance())
            open->cancel();
        runFor(0.01);
        SignInTest::TearDown();
    }
    static std::shared_ptr<OVContactManager> manager() {
        return engine().phoneService()->getContactManager();
    }
    static std::shared_ptr<OVEntity> group(std::string_view name) {
        for (const auto& g : manager()->getVeyraRoot()->entitiesAll())
            if (g->displayName() == name)
                return g;
        return nullptr;
    }
    static std::shared_ptr<ContactImportWindowController> open(const std::filesystem::path& folder,
                                                               bool erase) {
        return ContactImportWindowController::initWithParams(
            erase, 1, platform::AddressBook::vCardFolder(folder));
    }
    static std::string result() {
        auto* alert = controller().contactImportExportController().resultAlert();
        return alert ? alert->messageText() : "";
    }
    static void checkRow(ContactImportWindowController& w, long row, bool on) {
        auto* column = w.contactTableView().tableColumnWithIdentifier("select");
        w.tableViewSetObjectValue(w.contactTableView(), platform::Value(on ? 1L : 0L), column, row);
    }
};

TEST_F(AddressBookImportTest, FiveHundredPeopleOfAVCardFolderBecomeContactsAndBadCardsAreNamed) {
    foundation_test::TempDir folder;
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Anna", "Berg"}, {"Иван", "Петров"},   {"Σοφία", "Παπαδοπούλου"},
        {"美咲", "佐藤"}, {"فاطمة", "الزهراء"}, {"Zoë", "Ångström"}};
    for (int i = 0; i < 500; ++i) {
        const auto& [first, last] = names[static_cast<std::size_t>(i) % names.size()];
        char file[32];
        std::snprintf(file, sizeof file, "%04d.vcf", i);
        writeFile(folder / file, card(first, last + " " + std::to_string(i), i));
    }
    writeFile(folder / "broken.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Half\r\n");
    writeFile(folder / "empty.vcf", "");
    writeFile(folder / "notes.txt", "not a card");

    auto window = open(folder.path(), true);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ContactImportWindowController::isMacAddressBookImportRunning());
    ASSERT_EQ(window->people().size(), 500u);
    ASSERT_EQ(window->skipped().size(), 2u);
    EXPECT_EQ(window->skipped()[0].rfind("broken.vcf: ", 0), 0u) << window->skipped()[0];
    EXPECT_EQ(window->skipped()[1].rfind("empty.vcf: ", 0), 0u) << window->skipped()[1];
    const auto& person = window->people()[1];
    EXPECT_EQ(person.firstName, "Иван");
    ASSERT_EQ(person.phones.size(), 3u);
    EXPECT_EQ(person.phones[0].first, "mobile");
    EXPECT_EQ(person.phones[1].first, "work");
    EXPECT_EQ(person.emails.size(), 2u);
    EXPECT_EQ(window->contactTableView().numberOfRows(), 500);
    EXPECT_TRUE(window->importButton().isEnabled());

    window->tryToPerform("Import:", nullptr);
    settle();
    runFor(0.05);
    settle();
    EXPECT_FALSE(ContactImportWindowController::isMacAddressBookImportRunning());
    EXPECT_EQ(ContactImportWindowController::instance(), nullptr);
    EXPECT_EQ(result(), "Contact Import Succeeded!");
    const auto imported = group("Imported Contacts");
    ASSERT_NE(imported, nullptr);
    ASSERT_EQ(imported->entitiesAll().size(), 500u);
    EXPECT_EQ(manager()->allContacts().size(), 500u) << "the old contacts were replaced";
    std::shared_ptr<OVEntity> ivan;
    for (const auto& c : imported->entitiesAll())
        if (c->displayName() == "Иван, Петров 1")
            ivan = c;
    ASSERT_NE(ivan, nullptr);
    EXPECT_EQ(ivan->getFieldByName(OVField::fieldMobileNum)->valueStr(), "+1 555 011001");
    EXPECT_EQ(ivan->getFieldByName(OVField::fieldWorkNum)->valueStr(), "+1 555 021001");
    EXPECT_EQ(ivan->getFieldByName(OVField::fieldHomeNum)->valueStr(), "+1 555 031001");
    EXPECT_EQ(ivan->getFieldByName(OVField::fieldEmailAddr)->valueStr(), "p1001@work.example");
}

TEST_F(AddressBookImportTest, RowLabelsAndImportedNamesFollowWhatThePersonHas) {
    using P = platform::AddressBookPerson;
    struct Case {
        P person;
        std::string label;
        std::string displayName; // "-" when nothing is imported
    } cases[] = {
        {P{"Ann", "Lee", " Annie ", "Acme", {{"mobile", "1"}}, {}}, "Ann Lee, Annie", "Annie"},
        {P{"Ann", "Lee", "", "Acme", {{"mobile", "1"}}, {}}, "Ann Lee", "Ann, Lee"},
        {P{"Ann", "", "Annie", "", {{"mobile", "1"}}, {}}, "Ann, Annie", "Annie"},
        {P{"", "Lee", "Annie", "", {{"mobile", "1"}}, {}}, "Lee, Annie", "Annie"},
        {P{"", "", "", "Acme", {{"work", "2"}}, {}}, "Acme", "Acme"},
        {P{"", "", "", "", {{"home", "+1555"}}, {}}, "Not set (+1555)", ""},
        {P{"", "", "", "", {}, {{"work", "a@b.example"}}}, "Not set (a@b.example)", ""},
        {P{"Ann", "", "", "", {}, {}}, "Ann", "Ann"},
        {P{}, "Not set", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContactImportWindowController::labelForPerson(c.person), c.label);
        const auto record =
            ContactImportWindowController::recordForPerson(c.person, "Imported Contacts", false);
        EXPECT_EQ(record ? record->displayName : "-", c.displayName) << c.label;
    }
    // Labels choose the field: faxes share one, a pager without its feature is another
    // address, the custom labels are the softphone and chat addresses.
    P labelled{"A",
               "B",
               "",
               "",
               {{"homeFax", "1"},
                {"pager", "2"},
                {"softphone", "sip:a@x"},
                {"jid", "a@chat.x"},
                {"assistant", "3"}},
               {}};
    auto record = ContactImportWindowController::recordForPerson(labelled, "G", false);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record->field(OVField::fieldFaxNum), "1");
    EXPECT_EQ(*record->field(OVField::fieldOtherAddress), "2");
    EXPECT_EQ(*record->field(OVField::fieldSoftphone), "sip:a@x");
    EXPECT_EQ(*record->field(OVField::fieldJidAddr), "a@chat.x");
    EXPECT_EQ(ContactImportWindowController::recordForPerson(labelled, "G", true)
                  ->field(OVField::fieldPagerNum)
                  ->size(),
              1u);
}

TEST_F(AddressBookImportTest, CheckingRowsOneWindowAtATimeAndTwoRunsShareTheGroup) {
    foundation_test::TempDir folder;
    writeFile(folder / "a.vcf", card("Ada", "One", 1));
    writeFile(folder / "b.vcf", card("Bea", "Two", 2));
    auto window = open(folder.path(), false);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(open(folder.path(), false), nullptr) << "the open window comes forward instead";

    checkRow(*window, 0, false);
    EXPECT_EQ(window->selectAllButton().state(), platform::OffState);
    EXPECT_TRUE(window->importButton().isEnabled());
    checkRow(*window, 1, false);
    EXPECT_FALSE(window->importButton().isEnabled());
    checkRow(*window, 1, true);
    EXPECT_TRUE(window->importButton().isEnabled());
    window->selectAllButton().setState(platform::OnState);
    window->tryToPerform("selectAllToggle:", nullptr);
    EXPECT_EQ(window->selection(), (std::vector<bool>{true, true}));

    const auto before = manager()->allContacts().size();
    checkRow(*window, 0, false);
    window->tryToPerform("Import:", nullptr);
    settle();
    ASSERT_NE(group("Imported Contacts"), nullptr);
    EXPECT_EQ(group("Imported Contacts")->entitiesAll().size(), 1u);
    EXPECT_EQ(manager()->allContacts().size(), before + 1) << "nothing replaced";

    writeFile(folder / "a.vcf", card("Cleo", "Three", 3));
    window = open(folder.path(), false);
    ASSERT_NE(window, nullptr) << "a closed window does not block the next";
    checkRow(*window, 1, false);
    window->tryToPerform("Import:", nullptr);
    settle();
    EXPECT_EQ(group("Imported Contacts")->entitiesAll().size(), 2u);
}

TEST_F(AddressBookImportTest, AFailedImportErasesNothingSaysSoAndClosesTheWindow) {
    foundation_test::TempDir folder;
    writeFile(folder / "a.vcf", card("Ada", "One", 1));
    const auto before = manager()->allContacts().size();
    ASSERT_GT(before, 0u);
    // The personal address book is on but has no account: nothing may be erased first.
    setFeatures({{"allow_pab", true}});
    auto window = open(folder.path(), true);
    ASSERT_NE(window, nullptr);
    window->tryToPerform("Import:", nullptr);
    settle();
    EXPECT_EQ(manager()->allContacts().size(), before);
    EXPECT_EQ(result(), "Contact Import Failed!");
    EXPECT_FALSE(ContactImportWindowController::isMacAddressBookImportRunning());
    EXPECT_EQ(ContactImportWindowController::instance(), nullptr);
    EXPECT_FALSE(window->window()->isVisible());

    // The next request opens a fresh window.
    setFeatures({{"allow_pab", false}});
    EXPECT_NE(open(folder.path(), true), nullptr);

    // A folder that is not there: the window says so and lists nobody.
    ContactImportWindowController::instance()->cancel();
    runFor(0.01);
    auto missing = open(folder / "missing", false);
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->people().empty());
    ASSERT_EQ(missing->skipped().size(), 1u);
    EXPECT_NE(missing->skipped()[0].find("does not exist"), std::string::npos);
    EXPECT_FALSE(missing->importButton().isEnabled());
}

} // namespace
