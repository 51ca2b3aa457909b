#include "EngineTestSupport.h"
#include "engine/ContactFileFormats.h"
#include "engine/OVContactImporterExporter.h"
#include "engine/PhoneService.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace engine_test;
namespace fs = std::filesystem;

namespace {

ContactRecord record(std::string name, std::vector<std::pair<std::string, std::string>> fields,
                     std::vector<std::string> groups = {}) {
    return ContactRecord{std::move(name), std::move(fields), std::move(groups)};
}

// Contacts whose text tries every escape of both formats.
std::vector<ContactRecord> trickyRecords() {
    return {
        record("Zoë Müller",
               {{"firstName", "Zoë"},
                {"lastName", "Müller"},
                {"softphone", "sip:zoe@sip.example"},
                {"mobile", "+49 170 1234567"}},
               {"Friends"}),
        record("山田 太郎 🎉",
               {{"firstName", "太郎"},
                {"lastName", "山田"},
                {"jid", "taro@chat.example"},
                {"email", "taro@example.jp"}},
               {"Work", "日本"}),
        record("Smith, \"Bob\"; Jr.\\",
               {{"organization", "Acme; Tools, Inc."},
                {"work", "+1 (555) 0100"},
                {"softphone", "1234"},
                {"other", "line one\nline two"}},
               {"A;B", "C,D"}),
        record("Plain", {{"home", "5550000"},
                         {"fax", "5550001"},
                         {"pager", "5550002"},
                         {"web", "https://example.org/a,b"}}),
    };
}

// Parsing as a table: either the records or the error's line and a word of its message.
struct Malformed {
    const char* name;
    std::string text;
    int line;
    const char* says;
};

ContactFileError errorOf(const ContactParseResult& result) {
    const auto* error = std::get_if<ContactFileError>(&result);
    return error ? *error : ContactFileError{-1, "no error"};
}

std::vector<ContactRecord> recordsOf(const ContactParseResult& result) {
    const auto* records = std::get_if<std::vector<ContactRecord>>(&result);
    if (!records) {
        ADD_FAILURE() << std::get<ContactFileError>(result).description();
        return {};
    }
    return *records;
}

TEST(ContactFiles, CsvReadsQuotedFieldsLineBreaksBomAndAliases) {
    const std::string text = "\xEF\xBB\xBF"
                             "Full Name,E-mail Address,\"Mobile\",Unknown,Groups\r\n"
                             "\"Doe, Jane\",jane@example.com,+1 555,x,Work;Friends\r\n"
                             "\r\n"
                             "\"Say \"\"hi\"\"\",,,,\n"
                             "\"Two\r\nlines\",a@b.c\n"
                             ",,,ignored,\n";
    const auto records = recordsOf(contact_files::parseCSV(text));
    ASSERT_EQ(records.size(), 3u) << "blank rows and rows without data are skipped";
    EXPECT_EQ(records[0], record("Doe, Jane", {{"email", "jane@example.com"}, {"mobile", "+1 555"}},
                                 {"Work", "Friends"}));
    EXPECT_EQ(records[1].displayName, "Say \"hi\"");
    EXPECT_EQ(records[2].displayName, "Two\nlines");

    const auto semicolons = recordsOf(contact_files::parseCSV("Name;Email\nAnn;ann@x\n"));
    ASSERT_EQ(semicolons.size(), 1u) << "the header's delimiter is found";
    EXPECT_EQ(semicolons[0], record("Ann", {{"email", "ann@x"}}));

    const auto fallback = recordsOf(contact_files::parseCSV("First Name,Last Name\nAnn,Lee\n"));
    ASSERT_EQ(fallback.size(), 1u);
    EXPECT_EQ(fallback[0].displayName, "Ann Lee") << "a missing name is made of its parts";
}

TEST(ContactFiles, MalformedCsvIsReportedWithItsLine) {
    const std::vector<Malformed> cases = {
        {"unclosed quote", "Name,Email\nAnn,a@x\n\"Bob,b@x\nCid,c@x\n", 3, "never closed"},
        {"quote inside a field", "Name,Email\nAnn,a@x\nB\"ob,b@x\n", 3, "quote"},
        {"text after a closing quote", "Name,Email\nAnn,a@x\nCid,c@x\n\"Bob\"x,b@x\n", 4,
         "closing quote"},
        {"too many fields", "Name,Email\nAnn,a@x\nBob,b@x,extra\n", 3, "3 fields"},
        {"bad UTF-8", "Name,Email\nAnn,a@x\n\nB\xC3\x28,b@x\n", 4, "UTF-8"},
        {"UTF-16", std::string("\xFF\xFEN\0a\0", 6), 1, "UTF-16"},
        {"no known column", "Foo,Bar\n1,2\n", 1, "header"},
        {"empty", "", 0, "empty"},
    };
    for (const auto& c : cases) {
        const auto error = errorOf(contact_files::parseCSV(c.text));
        EXPECT_EQ(error.line, c.line) << c.name << ": " << error.description();
        EXPECT_NE(error.message.find(c.says), std::string::npos) << c.name << ": " << error.message;
    }
}

TEST(ContactFiles, VCardReadsEveryVersionsSpelling) {
    const std::string text =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jos\xC3\r\n \xA9 Smith\r\nN:Smith;Jos\xC3\xA9;;;\r\n"
        "TEL;TYPE=WORK,VOICE:+1 555 1\r\nTEL;TYPE=cell:+1 555 2\r\nTEL:+1 555 3\r\n"
        "item1.EMAIL;TYPE=INTERNET:jose@example.com\r\nIMPP:xmpp:jose@chat\r\n"
        "IMPP:sip:jose@sip\r\nCATEGORIES:Work,A\\,B\r\nNOTE:ignored\\, really\r\n"
        "END:VCARD\r\n"
        "\r\n"
        "BEGIN:VCARD\nVERSION:4.0\nFN:Ann\\nLee\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+44\n"
        "TEL;TYPE=home;TYPE=fax:+45\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BC=\nller;J=\n"
        "=C3=BCrgen\nTEL;CELL:0170\nEND:VCARD\n";
    const auto records = recordsOf(contact_files::parseVCard(text));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], record("José Smith",
                                 {{"lastName", "Smith"},
                                  {"firstName", "José"},
                                  {"work", "+1 555 1"},
                                  {"mobile", "+1 555 2"},
                                  {"other", "+1 555 3"},
                                  {"email", "jose@example.com"},
                                  {"jid", "jose@chat"},
                                  {"softphone", "sip:jose@sip"}},
                                 {"Work", "A,B"}));
    EXPECT_EQ(records[1], record("Ann\nLee", {{"mobile", "+44"}, {"fax", "+45"}}));
    EXPECT_EQ(records[2],
              record("Jürgen Müller",
                     {{"lastName", "Müller"}, {"firstName", "Jürgen"}, {"mobile", "0170"}}))
        << "2.1 quoted-printable with soft line breaks";
}

TEST(ContactFiles, MalformedVCardIsReportedWithItsLine) {
    const std::string good = "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nEND:VCARD\n"; // lines 1-4
    const std::vector<Malformed> cases = {
        {"no END", good + "BEGIN:VCARD\nFN:Bob\nTEL:1\n", 5, "END:VCARD"},
        {"no colon", good + "BEGIN:VCARD\nFN:Bob\nTEL 1\nEND:VCARD\n", 7, ":"},
        {"outside a card", good + "FN:Stray\n", 5, "outside"},
        {"card inside a card", good + "BEGIN:VCARD\nFN:Bob\nBEGIN:VCARD\nEND:VCARD\n", 7, "line 5"},
        {"unknown version", good + "BEGIN:VCARD\nVERSION:9.9\nEND:VCARD\n", 6, "9.9"},
        {"bad UTF-8 after a fold", good + "BEGIN:VCARD\nFN:B\n o\xFF\nEND:VCARD\n", 7, "UTF-8"},
        {"not a vCard", "hello\n", 1, ":"},
    };
    for (const auto& c : cases) {
        const auto error = errorOf(contact_files::parseVCard(c.text));
        EXPECT_EQ(error.line, c.line) << c.name << ": " << error.description();
        EXPECT_NE(error.message.find(c.says), std::string::npos) << c.name << ": " << error.message;
    }
}

// The fields in name order: each format writes them in an order of its own.
std::vector<ContactRecord> sorted(std::vector<ContactRecord> records) {
    for (auto& r : records) {
        std::sort(r.fields.begin(), r.fields.end());
    }
    return records;
}

TEST(ContactFiles, BothFormatsGiveBackWhatTheyWrote) {
    const auto records = sorted(trickyRecords());
    EXPECT_EQ(sorted(recordsOf(contact_files::parseCSV(contact_files::writeCSV(records)))),
              records);
    for (const auto& contact : records) {
        const std::string card = contact_files::writeVCard(contact);
        EXPECT_EQ(sorted(recordsOf(contact_files::parseVCard(card))),
                  std::vector<ContactRecord>{contact})
            << card;
    }
}

TEST(ContactFiles, VCardLinesAreFoldedAt75OctetsBetweenCharacters) {
    std::string longName;
    for (int i = 0; i < 40; ++i) {
        longName += "é日🎉";
    }
    const auto contact = record(longName, {{"email", std::string(200, 'a') + "@example.com"}});
    const std::string card = contact_files::writeVCard(contact);
    std::size_t start = 0;
    while (start < card.size()) {
        const auto end = card.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        const std::string line = card.substr(start, end - start);
        EXPECT_LE(line.size(), 75u);
        // A fold never cuts a character: each line is valid UTF-8 by itself.
        std::string copy = line;
        EXPECT_FALSE(contact_files::prepareText(copy).has_value()) << line;
        start = end + 2;
    }
    EXPECT_EQ(recordsOf(contact_files::parseVCard(card)), std::vector<ContactRecord>{contact});
}

TEST(ContactFiles, FileNamesOfCardsAreSafe) {
    EXPECT_EQ(contact_files::vCardFileName(record("Ann/Lee", {})), "Ann_Lee.vcf");
    EXPECT_EQ(contact_files::vCardFileName(record("..", {})), "contact.vcf");
    EXPECT_EQ(contact_files::vCardFileName(record("山田 🎉", {})), "山田 🎉.vcf");
}

// Hears the importer-exporter's answers.
class ImportRecorder : public OVContactImporterExporterPro {
public:
    void ovieSuccess(int count) override { answers.push_back("success:" + std::to_string(count)); }
    void ovieFailure() override { answers.push_back("failure"); }
    std::vector<std::string> answers;
};

class ContactImportExportTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        startSession();
        attach();
    }
    void TearDown() override {
        importer()->removeDelegate(&recorder);
        EngineTest::TearDown();
    }
    void attach() { importer()->setDelegate(&recorder); }
    static std::shared_ptr<OVContactImporterExporter> importer() {
        return engine().phoneService()->getContactImporterExporter();
    }
    static std::shared_ptr<OVContactManager> contacts() {
        return engine().phoneService()->getContactManager();
    }
    static std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const auto& contact : contacts()->allContacts()) {
            result.push_back(contact->displayName());
        }
        return result;
    }
    // Runs the request and answers what the delegate heard.
    std::vector<std::string> answered() {
        recorder.answers.clear();
        settle();
        return recorder.answers;
    }
    std::vector<std::string> import(const fs::path& file, int format, bool erase = false,
                                    bool forceOn = false, bool forceOff = false) {
        importer()->doImport(format, file.string(), "", forceOn, forceOff, erase);
        return answered();
    }
    std::vector<std::string> exportTo(const fs::path& path, int format) {
        importer()->doExport(format, path.string());
        return answered();
    }
    // Signs out and in again on the same settings folder, as after a restart.
    void restart() {
        importer()->removeDelegate(&recorder);
        StartupService::resetInstance();
        engine().phoneService()->setUserSettingFolder(settingsFolder);
        startSession();
        attach();
    }

    static constexpr int CSV = OVContactImporterExporter::formatCSV;
    static constexpr int VCARD = OVContactImporterExporter::formatVCard;
    ImportRecorder recorder;
};

// In the order of their groups: Friends (Dave, Frank), then Work (Erin).
const std::vector<std::string> kDemo = {"Dave Dunn", "Frank Ford", "Erin Evans"};

TEST_F(ContactImportExportTest, ImportedContactsJoinTheListAndOutliveARestart) {
    ASSERT_EQ(names(), kDemo);
    writeFile(tmp / "in.csv", contact_files::writeCSV(trickyRecords()));
    importer()->doImport(CSV, (tmp / "in.csv").string(), "", false, false, false);
    EXPECT_TRUE(recorder.answers.empty()) << "the answer comes later, through the main loop";
    EXPECT_EQ(answered(), std::vector<std::string>{"success:4"});
    EXPECT_EQ(importer()->lastError(), "");
    EXPECT_EQ(names().size(), 7u);
    const auto tokyo = contacts()->lookup("", "taro@chat.example", "");
    ASSERT_EQ(tokyo.size(), 1u);
    EXPECT_EQ(tokyo[0]->displayName(), "山田 太郎 🎉");
    std::vector<std::string> groups;
    for (const auto& group : tokyo[0]->parentEntities()) {
        groups.push_back(group->displayName());
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Work", "日本"}));

    restart();
    EXPECT_EQ(names().size(), 7u) << "the store keeps them";
    EXPECT_EQ(sorted(contacts()->contactRecords()).back(), sorted(trickyRecords()).back());

    EXPECT_EQ(import(tmp / "in.csv", CSV), std::vector<std::string>{"success:0"})
        << "contacts already there are not added twice";
    EXPECT_EQ(names().size(), 7u);
}

TEST_F(ContactImportExportTest, ExportThenImportGivesBackEveryContactInBothFormats) {
    writeFile(tmp / "in.vcf", [] {
        std::string cards;
        for (const auto& contact : trickyRecords()) {
            cards += contact_files::writeVCard(contact);
        }
        return cards;
    }());
    ASSERT_EQ(import(tmp / "in.vcf", VCARD), std::vector<std::string>{"success:4"});
    const auto before = contacts()->contactRecords();
    ASSERT_EQ(before.size(), 7u);

    EXPECT_EQ(exportTo(tmp / "out.csv", CSV), std::vector<std::string>{"success:7"});
    fs::create_directories(tmp / "cards");
    EXPECT_EQ(exportTo(tmp / "cards", VCARD), std::vector<std::string>{"success:7"});
    EXPECT_TRUE(fs::exists(tmp / "cards" / "山田 太郎 🎉.vcf"));
    EXPECT_TRUE(fs::exists(tmp / "cards" / "Zoë Müller.vcf"));

    EXPECT_EQ(import(tmp / "out.csv", CSV, true), std::vector<std::string>{"success:7"});
    EXPECT_EQ(contacts()->contactRecords(), before) << "CSV round trip";
    EXPECT_EQ(import(tmp / "cards", VCARD, true), std::vector<std::string>{"success:7"});
    auto fromCards = contacts()->contactRecords();
    auto expected = before;
    const auto byName = [](const auto& a, const auto& b) { return a.displayName < b.displayName; };
    std::sort(fromCards.begin(), fromCards.end(), byName);
    std::sort(expected.begin(), expected.end(), byName);
    EXPECT_EQ(fromCards, expected) << "vCard round trip (the folder is read in name order)";
}

TEST_F(ContactImportExportTest, AMalformedFileImportsNothingAndSaysWhere) {
    const auto store = contacts()->contactRecords();
    writeFile(tmp / "bad.csv", "Name,Email\nAnn,a@x\nBob,b@x\nCid,c@x\n\"Dan,d@x\nEve,e@x\n");
    for (bool erase : {false, true}) {
        EXPECT_EQ(import(tmp / "bad.csv", CSV, erase), std::vector<std::string>{"failure"});
        EXPECT_EQ(importer()->lastError(), "bad.csv, line 5: the quoted field that begins here "
                                           "is never closed");
        EXPECT_EQ(contacts()->contactRecords(), store) << "nothing imported, nothing erased";
    }
    restart();
    EXPECT_EQ(contacts()->contactRecords(), store) << "nor in the store";

    // A folder of cards is read whole before any is imported.
    writeFile(tmp / "cards" / "a.vcf", "BEGIN:VCARD\nFN:Ann\nEND:VCARD\n");
    writeFile(tmp / "cards" / "b.vcf", "BEGIN:VCARD\nFN:Bob\n");
    EXPECT_EQ(import(tmp / "cards", VCARD), std::vector<std::string>{"failure"});
    EXPECT_EQ(importer()->lastError(), "b.vcf, line 1: the card that begins here has no END:VCARD");
    EXPECT_EQ(names(), kDemo);
}

TEST_F(ContactImportExportTest, EraseExistingReplacesTheListAndTellsTheListeners) {
    struct Listener : OVContactManagerPro {
        void ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& c) override {
            events.push_back("added:" + std::to_string(c.size()));
        }
        void ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& c) override {
            events.push_back("removed:" + std::to_string(c.size()));
        }
        std::vector<std::string> events;
    } listener;
    contacts()->setDelegate(&listener);
    writeFile(tmp / "two.csv", "Name,Mobile\nAnn,1\nBob,2\n");
    EXPECT_EQ(import(tmp / "two.csv", CSV, true), std::vector<std::string>{"success:2"});
    EXPECT_EQ(names(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(listener.events, (std::vector<std::string>{"removed:3", "added:2"}));
    contacts()->removeDelegate(&listener);

    writeFile(tmp / "one.csv", "Name,Mobile\nCid,3\n");
    EXPECT_EQ(import(tmp / "one.csv", CSV, false), std::vector<std::string>{"success:1"});
    EXPECT_EQ(names(), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    restart();
    EXPECT_EQ(names(), (std::vector<std::string>{"Ann", "Bob", "Cid"}))
        << "the demo contacts do not come back once erased";
}

TEST_F(ContactImportExportTest, PresenceSubscriptionFollowsTheOptions) {
    writeFile(tmp / "p.csv", "Name,IM Address\nAnn,ann@chat\n");
    writeFile(tmp / "q.csv", "Name,IM Address\nBob,bob@chat\n");
    writeFile(tmp / "r.csv", "Name,Organization\nCid,Acme\n");
    ASSERT_EQ(import(tmp / "p.csv", CSV, false, false, true),
              std::vector<std::string>{"success:1"});
    ASSERT_EQ(import(tmp / "q.csv", CSV, false, true, true), std::vector<std::string>{"success:1"});
    ASSERT_EQ(import(tmp / "r.csv", CSV), std::vector<std::string>{"success:1"});
    const auto subscribed = [&](std::string_view name) {
        for (const auto& contact : contacts()->allContacts()) {
            if (contact->displayName() == name) {
                return contacts()->presenceSubscription(*contact);
            }
        }
        return false;
    };
    EXPECT_FALSE(subscribed("Ann")) << "forced off";
    EXPECT_TRUE(subscribed("Bob")) << "forced on wins";
    EXPECT_FALSE(subscribed("Cid")) << "nothing to watch";
    EXPECT_TRUE(subscribed("Dave Dunn"));
    restart();
    EXPECT_FALSE(subscribed("Ann"));
    EXPECT_TRUE(subscribed("Bob"));
}

TEST_F(ContactImportExportTest, RequestsThatCannotBeDoneFailOnceWithAReason) {
    fs::create_directories(tmp / "folder");
    writeFile(tmp / "existing.csv", "old contents");
    const struct {
        const char* name;
        std::function<void()> request;
        const char* says;
    } cases[] = {
        {"missing file",
         [&] { importer()->doImport(CSV, (tmp / "nope.csv").string(), "", 0, 0, 0); },
         "does not exist"},
        {"address book", [&] { importer()->doImport(3, (tmp / "x").string(), "", 0, 0, 0); },
         "address book"},
        {"CSV into a folder", [&] { importer()->doExport(CSV, (tmp / "folder").string()); },
         "is a folder"},
        {"CSV into a missing folder",
         [&] { importer()->doExport(CSV, (tmp / "gone" / "x.csv").string()); }, "does not exist"},
        {"cards into a missing folder",
         [&] { importer()->doExport(VCARD, (tmp / "gone").string()); }, "does not exist"},
    };
    for (const auto& c : cases) {
        c.request();
        EXPECT_EQ(answered(), std::vector<std::string>{"failure"}) << c.name;
        EXPECT_NE(importer()->lastError().find(c.says), std::string::npos)
            << c.name << ": " << importer()->lastError();
    }
    EXPECT_EQ(exportTo(tmp / "existing.csv", CSV), std::vector<std::string>{"success:3"});
    EXPECT_EQ(foundation_test::readFile(tmp / "existing.csv").rfind("Display Name,", 0), 0u)
        << "an existing file is replaced whole";

    engine().logout(StartupService::LogoutReason::user);
    pass(2);
    EXPECT_EQ(import(tmp / "existing.csv", CSV), std::vector<std::string>{"failure"});
    EXPECT_NE(importer()->lastError().find("signed in"), std::string::npos);
}

} // namespace
