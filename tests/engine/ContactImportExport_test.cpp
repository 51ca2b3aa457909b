#include "EngineTestSupport.h"
#include "engine/ContactFileFormats.h"
#include "engine/OVContactImporterExporter.h"
#include "engine/PhoneService.h"
#include "engine/SimulatedNetwork.h"
#include "platform/foundation/TextEncoding.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using namespace engine_test;
namespace fs = std::filesystem;

namespace {

ContactRecord record(std::string name, std::vector<std::pair<std::string, std::string>> fields,
                     std::vector<std::string> groups = {}) {
    return ContactRecord{std::move(name), std::move(fields), std::move(groups), {}};
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
        {"damaged UTF-8", "Name,Email\nZoë Müller,a@x\n\nB\xC3\x28,b@x\n", 4, "UTF-8"},
        {"cut UTF-16", std::string("\xFF\xFEN\0a\0m", 7), 0, "UTF-16"},
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

// Cards as older phones, mail programs and other systems write them: each gives one contact
// whose name (and, where given, one field) is as the writer meant it.
TEST(ContactFiles, VCardsInEveryCharsetAndLineEndAreReadAsMeant) {
    const auto card = [](std::string version, std::string lines, std::string end = "\n") {
        std::string text = "BEGIN:VCARD" + end + "VERSION:" + version + end;
        std::size_t start = 0;
        while (start < lines.size()) {
            auto stop = lines.find('\n', start);
            text += lines.substr(start, stop - start) + end;
            start = stop == std::string::npos ? lines.size() : stop + 1;
        }
        return text + "END:VCARD" + end;
    };
    const auto utf16 = [](std::string_view ascii, bool bigEndian, bool mark) {
        std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char c : ascii) {
            out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        }
        return out;
    };
    const struct {
        const char* name;
        std::string text;
        std::string displayName;
        std::pair<std::string, std::string> field;
    } cases[] = {
        {"Latin-1 quoted-printable",
         card("2.1", "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\n"
                     "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen M=FCller"),
         "Jürgen Müller",
         {"lastName", "Müller"}},
        {"Windows-1252 quoted-printable",
         card("2.1", "FN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:Ren=E9e =93Ren=94 =80"),
         "Renée “Ren” €",
         {}},
        {"bare QUOTED-PRINTABLE parameter",
         card("2.1", "FN;CHARSET=UTF-8;QUOTED-PRINTABLE:Jos=C3=A9\nTEL;WORK;QUOTED-PRINTABLE:=31"),
         "José",
         {"work", "1"}},
        {"Shift-JIS quoted-printable",
         card("2.1", "FN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=96=BC=96=B3=82=B5"),
         "名無し",
         {}},
        {"8-bit file by the charset it declares",
         card("2.1", "FN:S\xF6ren\nLABEL;CHARSET=ISO-8859-15;QUOTED-PRINTABLE:=A4"),
         "Sören",
         {}},
        {"8-bit file declaring nothing", card("3.0", "FN:S\xF6ren N\xFC\xDF"), "Sören Nüß", {}},
        {"quoted-printable Latin-1 declaring nothing",
         card("2.1", "FN;ENCODING=QUOTED-PRINTABLE:Iksi=F1ski"),
         "Iksiñski",
         {}},
        {"bad bytes in a property not read",
         card("3.0", "FN:Zoë Müller\nX-NOTE:\xFF\xFE\nEMAIL:zoe@example.com"),
         "Zoë Müller",
         {"email", "zoe@example.com"}},
        {"CR CR LF line ends with folds",
         card("3.0", "FN:Ann\n  Lee\nTEL;TYPE=CELL:+1\n 555", "\r\r\n"),
         "Ann Lee",
         {"mobile", "+1555"}},
        {"lone CR inside a value",
         card("3.0", "FN:Ann\nNOTE:one\rtwo\nEMAIL:a@x"),
         "Ann",
         {"email", "a@x"}},
        {"lone CR line ends", card("3.0", "FN:Ann\nEMAIL:a@x", "\r"), "Ann", {"email", "a@x"}},
        {"VERSION:4", card("4", "FN:Ann"), "Ann", {}},
        {"UTF-16LE with a mark", utf16(card("3.0", "FN:Ann"), false, true), "Ann", {}},
        {"UTF-16BE without a mark", utf16(card("3.0", "FN:Ann"), true, false), "Ann", {}},
    };
    for (const auto& c : cases) {
        const auto records = recordsOf(contact_files::parseVCard(c.text));
        ASSERT_EQ(records.size(), 1u) << c.name;
        EXPECT_EQ(records[0].displayName, c.displayName) << c.name;
        if (!c.field.first.empty()) {
            const auto* value = records[0].field(c.field.first);
            EXPECT_EQ(value ? *value : "(none)", c.field.second) << c.name;
        }
        for (const auto& [name, value] : records[0].fields) {
            EXPECT_TRUE(platform::text_encoding::isUtf8(value)) << c.name << ": " << name;
        }
    }
}

// The exports of the common mail programs, and text in 8-bit and 16-bit encodings.
TEST(ContactFiles, CsvExportsOfMailProgramsMapTheirColumns) {
    const struct {
        const char* name;
        std::string text;
        ContactRecord expected;
    } cases[] = {
        {"Thunderbird, one trailing empty field more than the header",
         "First Name,Last Name,Display Name,Primary Email,Secondary Email,Mobile Number,"
         "Pager Number,Web Page 1\r\nAnn,Lee,Ann Lee,a@x,b@x,1,2,w,\r\n",
         ContactRecord{"Ann Lee",
                       {{"firstName", "Ann"},
                        {"lastName", "Lee"},
                        {"email", "a@x"},
                        {"other", "b@x"},
                        {"mobile", "1"},
                        {"pager", "2"},
                        {"web", "w"}},
                       {},
                       {}}},
        {"Google, typed and multi-valued",
         "Name,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,"
         "Phone 2 - Value,Organization 1 - Name,Group Membership\n"
         "Ann,* Home,a@x ::: b@x,Mobile,1,Work Fax,2,Acme,* My Contacts ::: Friends\n",
         ContactRecord{"Ann",
                       {{"email", "a@x"},
                        {"other", "b@x"},
                        {"mobile", "1"},
                        {"fax", "2"},
                        {"organization", "Acme"}},
                       {"My Contacts", "Friends"},
                       {}}},
        {"Outlook, what finds no field is said",
         "First Name,Last Name,E-mail Address,E-mail Display Name,E-mail 2 Address,"
         "Business Phone,Business Phone 2,Primary Phone,Home Phone\n"
         "Ann,Lee,a@x,Ann Lee (a@x),b@x,1,2,3,4\n",
         ContactRecord{"Ann Lee",
                       {{"firstName", "Ann"},
                        {"lastName", "Lee"},
                        {"email", "a@x"},
                        {"other", "b@x"},
                        {"work", "1"},
                        {"home", "4"}},
                       {},
                       {"work 2", "other 3"}}},
        {"only an e-mail column", "Primary Email\na@x\n",
         ContactRecord{"a@x", {{"email", "a@x"}}, {}, {}}},
        {"Shift-JIS", "Name,Email\n\x96\xBC\x96\xB3\x82\xB5,a@x\n",
         ContactRecord{"名無し", {{"email", "a@x"}}, {}, {}}},
        {"Windows-1252 that would pass for Shift-JIS",
         "Name,Email\nRen\xE9"
         "e \x93R\x94,a@x\n",
         ContactRecord{"Renée “R”", {{"email", "a@x"}}, {}, {}}},
        {"UTF-16LE", std::string("\xFF\xFEN\0a\0m\0e\0\n\0A\0n\0n\0\n\0", 20),
         ContactRecord{"Ann", {}, {}, {}}},
    };
    for (const auto& c : cases) {
        const auto records = recordsOf(contact_files::parseCSV(c.text));
        ASSERT_EQ(records.size(), 1u) << c.name;
        EXPECT_EQ(records[0], c.expected) << c.name;
    }
}

TEST(ContactFiles, MalformedVCardIsReportedWithItsLine) {
    // The card reader's errors come through with their lines.
    const auto error = errorOf(contact_files::parseVCard(
        "BEGIN:VCARD\nVERSION:3.0\nFN:Zoe\nEND:VCARD\nBEGIN:VCARD\nFN:Bob\nTEL 1\nEND:VCARD\n"));
    EXPECT_EQ(error.line, 7) << error.description();
    EXPECT_EQ(error.description(), "line 7: the line has no \":\" between name and value");
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
        EXPECT_TRUE(platform::text_encoding::isUtf8(line)) << line;
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
    void ovieProgress(int done, int total) override {
        progress.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
    std::vector<std::string> answers;
    std::vector<std::string> progress;
};

class ContactImportExportTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        startSession();
        // The list holds three of the demo's contacts, so that counts stay small.
        std::vector<ContactRecord> three;
        for (const auto& config : SimulatedNetwork::fromMainBundle()->contactsFor("alice")) {
            if (config.displayName == "Dave Dunn" || config.displayName == "Erin Evans" ||
                config.displayName == "Frank Ford") {
                three.push_back({config.displayName,
                                 {config.fields.begin(), config.fields.end()},
                                 config.groups,
                                 {}});
            }
        }
        ASSERT_EQ(std::get<int>(contacts()->importRecords(three, true, std::nullopt)), 3);
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

TEST_F(ContactImportExportTest, ContactsThatCannotBeKeptAreAFailureNotASuccess) {
    // As at a first sign-in on a full disk: the store cannot be made (here its folder is a
    // file, which stops even root).
    writeFile(tmp / "blocked", "not a folder");
    contacts()->loadSession("alice", {}, "Others", tmp / "blocked" / "engine.sqlite");
    writeFile(tmp / "ten.csv", [] {
        std::string text = "Name,Mobile\n";
        for (int i = 0; i < 10; ++i) {
            text += "Person " + std::to_string(i) + "," + std::to_string(5550100 + i) + "\n";
        }
        return text;
    }());
    for (bool erase : {false, true}) {
        EXPECT_EQ(import(tmp / "ten.csv", CSV, erase), std::vector<std::string>{"failure"});
        EXPECT_NE(importer()->lastError().find("cannot be kept"), std::string::npos)
            << importer()->lastError();
        EXPECT_TRUE(names().empty()) << "nothing shown that would be gone after a restart";
    }

    // Once the store can be made, the same import keeps the contacts.
    fs::remove(tmp / "blocked");
    fs::create_directories(tmp / "blocked");
    EXPECT_EQ(import(tmp / "ten.csv", CSV), std::vector<std::string>{"success:10"});
    contacts()->loadSession("alice", {}, "Others", tmp / "blocked" / "engine.sqlite");
    EXPECT_EQ(names().size(), 10u) << "kept across a restart";
}

TEST_F(ContactImportExportTest, AFolderIsReadWithProgressAndImportedWhole) {
    for (int i = 0; i < 3; ++i) {
        writeFile(tmp / "cards" / (std::to_string(i) + ".vcf"),
                  "BEGIN:VCARD\nFN:Person " + std::to_string(i) + "\nEND:VCARD\n");
    }
    EXPECT_EQ(import(tmp / "cards", VCARD), std::vector<std::string>{"success:3"});
    EXPECT_EQ(recorder.progress, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    EXPECT_EQ(names().size(), 6u);

    writeFile(tmp / "cards" / "3.vcf", "BEGIN:VCARD\nFN:Broken\n");
    recorder.progress.clear();
    EXPECT_EQ(import(tmp / "cards", VCARD, true), std::vector<std::string>{"failure"});
    EXPECT_EQ(recorder.progress, (std::vector<std::string>{"1/4", "2/4", "3/4"}));
    EXPECT_EQ(names().size(), 6u) << "nothing erased, nothing added";
}

TEST_F(ContactImportExportTest, WhatAContactHasNoFieldForIsSaid) {
    writeFile(tmp / "outlook.csv", "Name,E-mail Address,E-mail 2 Address,E-mail 3 Address\n"
                                   "Ann,a@x,b@x,c@x\nBob,d@x,,\n");
    EXPECT_EQ(import(tmp / "outlook.csv", CSV), std::vector<std::string>{"success:2"});
    EXPECT_EQ(importer()->lastNotice(),
              "1 value had no field left and was not imported: Ann: email c@x");
    writeFile(tmp / "plain.csv", "Name,Email\nCid,c@x\n");
    EXPECT_EQ(import(tmp / "plain.csv", CSV), std::vector<std::string>{"success:1"});
    EXPECT_EQ(importer()->lastNotice(), "");
}

// Cards older phones and mail programs write, in Latin-1 or Windows-1252 quoted-printable:
// what is imported is valid text that both export formats write and read back unchanged.
TEST_F(ContactImportExportTest, LatinQuotedPrintableCardsRoundTrip) {
    const struct {
        const char* charset;
        const char* encoded;
        const char* text;
    } cases[] = {
        {"ISO-8859-1", "J=FCrgen M=FCller", "Jürgen Müller"},
        {"ISO-8859-1", "Fran=E7oise L=E9vesque", "Françoise Lévesque"},
        {"iso-8859-1", "=D8rsted =C5se", "Ørsted Åse"},
        {"Windows-1252", "Zo=EB =84Quote=93 =80", "Zoë „Quote“ €"},
        {"windows-1252", "Sm=F8rrebr=F8d=96Caf=E9", "Smørrebrød–Café"},
    };
    for (const auto& c : cases) {
        writeFile(tmp / "in.vcf", std::string("BEGIN:VCARD\r\nVERSION:2.1\r\n") + "FN;CHARSET=" +
                                      c.charset + ";ENCODING=QUOTED-PRINTABLE:" + c.encoded +
                                      "\r\nTEL;CELL:+49 170 1\r\nEND:VCARD\r\n");
        ASSERT_EQ(import(tmp / "in.vcf", VCARD, true), std::vector<std::string>{"success:1"})
            << c.charset << ": " << importer()->lastError();
        const auto imported = contacts()->contactRecords();
        ASSERT_EQ(imported.size(), 1u);
        EXPECT_EQ(imported[0].displayName, c.text) << c.charset;

        fs::remove_all(tmp / "cards");
        fs::create_directories(tmp / "cards");
        EXPECT_EQ(exportTo(tmp / "out.csv", CSV), std::vector<std::string>{"success:1"})
            << importer()->lastError();
        EXPECT_EQ(exportTo(tmp / "cards", VCARD), std::vector<std::string>{"success:1"})
            << importer()->lastError();
        EXPECT_EQ(import(tmp / "out.csv", CSV, true), std::vector<std::string>{"success:1"});
        EXPECT_EQ(contacts()->contactRecords(), imported) << c.charset << " by CSV";
        EXPECT_EQ(import(tmp / "cards", VCARD, true), std::vector<std::string>{"success:1"});
        EXPECT_EQ(contacts()->contactRecords(), imported) << c.charset << " by vCard";
    }
}

// ---- Contact files from the real world -------------------------------------------------------
// The folder of contact files other programs wrote (vCard and CSV from phones, mail and
// address-book programs, gathered beside the project; sources.tsv there says where each comes
// from). The tests that read it are skipped where it is absent.
fs::path contactCorpus() {
    if (const char* given = std::getenv("LUMIQ_CONTACT_CORPUS")) {
        return given;
    }
    for (fs::path dir = LUMIQ_SOURCE_DIR; dir.has_relative_path(); dir = dir.parent_path()) {
        if (fs::is_directory(dir / "shared/corpora/contacts/files")) {
            return dir / "shared/corpora/contacts/files";
        }
    }
    return {};
}

// The corpus files that are damaged on purpose, and why they are refused.
const std::map<std::string, std::string> kRefusedCorpusFiles = {
    {"FolkerKinzel-VCards__Cropped_2_1.vcf", "line 10"},        // cut off inside a value
    {"FolkerKinzel-VCards__Empty.vcf", "empty"},                // a byte-order mark alone
    {"evolution-data-server__libebook_vcard_7.vcf", "outside"}, // no BEGIN:VCARD
    {"evolution-data-server__libebook_vcard_8.vcf", "no END"},  // no END:VCARD
    {"evolution-data-server__libebook_vcard_9.vcf", "line 9"},  // cut off in a line
    {"khard__vcards_unparsable.vcf", "no END"},
    {"comm-central__import_test_unit_resources_csv_no_header.csv", "header"},
    {"comm-central__import_test_unit_resources_tab_comma_mixed.csv", "header"},
};

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(contactCorpus(), code)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int formatOf(const fs::path& file) {
    return file.extension() == ".csv" ? OVContactImporterExporter::formatCSV
                                      : OVContactImporterExporter::formatVCard;
}

ContactParseResult parseCorpusFile(const fs::path& file) {
    auto text = foundation_test::readFile(file);
    return formatOf(file) == OVContactImporterExporter::formatCSV
               ? contact_files::parseCSV(std::move(text))
               : contact_files::parseVCard(std::move(text));
}

TEST(ContactCorpus, NamesNumbersAndAddressesAreWhatTheFilesSay) {
    if (contactCorpus().empty()) {
        GTEST_SKIP() << "no contact corpus beside the project";
    }
    using Fields = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* file;
        std::size_t index; // of the contact in the file
        const char* displayName;
        Fields fields; // each must be there with this value
    } cases[] = {
        {"ez-vcard__ezvcard_io_text_John_Doe_IPHONE.vcf",
         0,
         "Mr. John Richter James Doe Sr.",
         {{"mobile", "905-555-1234"},
          {"home", "905-666-1234"},
          {"work", "905-777-1234"},
          {"fax", "905-888-1234"},
          {"pager", "905-111-1234"},
          {"email", "john.doe@ibm.com"}}},
        {"FolkerKinzel-VCards__MultiAnsiFilterTests_German.vcf",
         0,
         "Sören Täve Nüßlebaum",
         {{"lastName", "Nüßlebaum"}, {"firstName", "Sören"}}},
        {"FolkerKinzel-VCards__MultiAnsiFilterTests_v3Utf16Bom.vcf",
         1,
         "KMS Außenstelle",
         {{"email", "blablö@blub.com"}, {"home", "03443-303776"}, {"other", "03443-333440"}}},
        {"FolkerKinzel-VCards__v2_1.vcf",
         0,
         "Maxl",
         {{"work", "Tel geschäftlich"}, {"email", "privat@folker-kinzel.de"}}},
        {"roundcubemail__src_johndoe.vcf",
         0,
         "John Doë",
         {{"lastName", "Doë"},
          {"work", "+123456789"},
          {"mobile", "+987654321"},
          {"email", "inbox@roundcube.net"}}},
        {"roundcubemail__src_utf-16_sample.vcf", 0, "Ǽgean ĽdaMonté", {{"lastName", "ĽdaMonté"}}},
        {"evolution-data-server__libebook_vcard_5.vcf",
         0,
         "十城目管理大型知座",
         {{"email", "weird@weird.com"}}},
        {"ical4j-vcard__samples_vcard-vCards-SAP.vcf",
         9,
         "Ingrid Spaßlund",
         {{"email", "Ingrid.Spasslund@nikesport.com"}}},
        {"ez-vcard__ezvcard_io_text_John_Doe_ANDROID.vcf",
         5,
         "ÑÑÑÑ",
         {{"mobile", "55556666"}, {"email", "henry@company.com"}}},
        {"comm-central__import_test_unit_resources_shiftjis_addressbook.csv",
         0,
         "名無しの権兵衛",
         {{"firstName", "権兵衛"}, {"email", "名無しの権兵衛@host.invalid"}}},
        {"comm-central__import_test_unit_resources_utf16_addressbook.csv",
         0,
         "John Doe",
         {{"email", "johndoe@host.invalid"}}},
        {"comm-central__import_test_unit_resources_basic_csv_addressbook.csv",
         1,
         "Jane Doe",
         {{"email", "jane@doe.invalid"}}},
        {"roundcubemail__src_Csv2vcard_tb_plain.csv",
         0,
         "Displayname",
         {{"email", "test@domain.tld"},
          {"other", "next@domain.tld"},
          {"mobile", "mobile"},
          {"pager", "pager"},
          {"web", "http://page.com"}}},
        {"roundcubemail__src_Csv2vcard_gmail.csv",
         0,
         "Prefix Firstname Middle Lastname Suffix",
         {{"email", "home@aaa.pl"}, {"mobile", "mobile"}, {"work", "workphone"}}},
    };
    for (const auto& c : cases) {
        const auto records = recordsOf(parseCorpusFile(contactCorpus() / c.file));
        ASSERT_GT(records.size(), c.index) << c.file;
        const auto& contact = records[c.index];
        EXPECT_EQ(contact.displayName, c.displayName) << c.file;
        for (const auto& [name, value] : c.fields) {
            const auto* found = contact.field(name);
            EXPECT_EQ(found ? *found : "(none)", value) << c.file << ": " << name;
        }
    }
}

TEST_F(ContactImportExportTest, EveryCorpusFileImportsAndComesBackFromExportUnchanged) {
    if (contactCorpus().empty()) {
        GTEST_SKIP() << "no contact corpus beside the project";
    }
    const auto comparable = [](std::vector<ContactRecord> records) {
        for (auto& r : records) {
            std::sort(r.fields.begin(), r.fields.end());
        }
        std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
            return std::tie(a.displayName, a.fields) < std::tie(b.displayName, b.fields);
        });
        return records;
    };
    std::size_t imported = 0;
    for (const auto& file : corpusFiles()) {
        const auto name = file.filename().string();
        const auto answers = import(file, formatOf(file), true);
        if (auto refused = kRefusedCorpusFiles.find(name); refused != kRefusedCorpusFiles.end()) {
            EXPECT_EQ(answers, std::vector<std::string>{"failure"}) << name;
            EXPECT_NE(importer()->lastError().find(refused->second), std::string::npos)
                << name << ": " << importer()->lastError();
            continue;
        }
        ASSERT_EQ(answers.size(), 1u) << name;
        EXPECT_EQ(answers[0].rfind("success:", 0), 0u) << name << ": " << importer()->lastError();
        ++imported;
        const auto before = comparable(contacts()->contactRecords());
        for (const auto& record : before) {
            for (const auto& [field, value] : record.fields) {
                EXPECT_TRUE(platform::text_encoding::isUtf8(value)) << name << ": " << field;
            }
        }

        fs::remove_all(tmp / "out");
        fs::create_directories(tmp / "out" / "cards");
        ASSERT_EQ(exportTo(tmp / "out" / "all.csv", CSV).size(), 1u);
        ASSERT_EQ(exportTo(tmp / "out" / "cards", VCARD).size(), 1u);
        EXPECT_EQ(importer()->lastError(), "") << name;
        if (!before.empty()) {
            EXPECT_EQ(import(tmp / "out" / "all.csv", CSV, true).size(), 1u);
            EXPECT_EQ(comparable(contacts()->contactRecords()), before) << name << " by CSV";
            EXPECT_EQ(import(tmp / "out" / "cards", VCARD, true).size(), 1u);
            EXPECT_EQ(comparable(contacts()->contactRecords()), before) << name << " by vCard";
        }
    }
    EXPECT_EQ(imported + kRefusedCorpusFiles.size(), corpusFiles().size());
}

} // namespace
