#include "engine/ArchiveService.h"
#include "platform/foundation/RunLoop.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Listener : OVArchiveServicePro, OVArchiveContactPro {
    std::vector<std::string> heard;
    void onArchiveContactAdded(const std::shared_ptr<ArchiveContact>& c) override {
        heard.push_back("contactAdded:" + c->address());
    }
    void onArchiveContactRemoved(const std::shared_ptr<ArchiveContact>& c) override {
        heard.push_back("contactRemoved:" + c->address());
    }
    void onArchiveContactAllUpdated() override { heard.push_back("contactsAll"); }
    void onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& i) override {
        heard.push_back("itemAdded:" + std::to_string(i->itemID()));
    }
    void onArchiveItemRemoved(const std::shared_ptr<ArchiveItem>& i) override {
        heard.push_back("itemRemoved:" + std::to_string(i->itemID()));
    }
    void onArchiveItemAllUpdated() override { heard.push_back("itemsAll"); }
};

class ArchiveServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("lumiq-archive-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / "engine.sqlite";
        archive = std::make_shared<ArchiveService>();
        ASSERT_FALSE(archive->open(file, "alice"));
    }
    void TearDown() override {
        archive.reset();
        fs::remove_all(folder);
    }
    std::vector<long long> ids(const std::vector<std::shared_ptr<ArchiveItem>>& items) const {
        std::vector<long long> out;
        for (const auto& item : items)
            out.push_back(item->itemID());
        return out;
    }
    void settle() { platform::RunLoop::main().runUntilIdle(); }

    fs::path folder;
    fs::path file;
    std::shared_ptr<ArchiveService> archive;
};

TEST_F(ArchiveServiceTest, SearchFindsWordsOfTheTextFoldedForCaseAndAccentsNeverMarkup) {
    const platform::Date when = platform::Date::fromUnixTime(1'700'000'000);
    const long long hello =
        archive->save("sip:Dave@example.com", "<font>Hello World, see you</font>", when)->itemID();
    const long long cafe =
        archive
            ->save("dave@example.com", "<font face=\"Serif\">Caf&#233; or Café au LAIT?</font>",
                   when)
            ->itemID();
    const long long link = archive
                               ->save("erin@example.com",
                                      "<font>Meet at <a href=\"http://tram.example/x\">the "
                                      "station</a> &amp; wait</font><!-- hidden note -->",
                                      when, ArchiveItem::textMessage)
                               ->itemID();
    const long long styled =
        archive
            ->save("erin@example.com",
                   "<span style=\"color: red\">plain</span><style>p { margin: 0 }</style>", when,
                   ArchiveItem::groupChat)
            ->itemID();

    struct Case {
        std::string text;
        std::vector<long long> found;
    };
    const std::vector<Case> cases = {
        {"hello", {hello}},
        {"HeLLo", {hello}},                   // case
        {"cafe", {cafe}},                     // accents folded on both sides
        {"CAFÉ lait", {cafe}},                // several words, in any order of the text
        {"world hello", {hello}},             // several words, order does not matter
        {"hello station", {}},                // every word must be in one transcript
        {"stat", {link}},                     // a word matches the words it begins
        {"tram", {}},                         // only inside an attribute
        {"font", {}},                         // a tag name
        {"color", {}},                        // a style attribute
        {"margin", {}},                       // a style sheet
        {"hidden", {}},                       // a comment
        {"wait", {link}},                     // after a decoded reference
        {"\"hello\" OR", {}},                 // query syntax is typed text
        {"   ", {hello, cafe, link, styled}}, // no word: everything
    };
    for (const auto& c : cases)
        EXPECT_EQ(ids(archive->search(c.text)), c.found) << "searching for '" << c.text << "'";

    EXPECT_EQ(ids(archive->search("", "DAVE@example.com")), (std::vector<long long>{hello, cafe}));
    EXPECT_EQ(ids(archive->search("plain", "erin@example.com", 3)), std::vector<long long>{styled})
        << "filter code 3 is group chats";
    EXPECT_EQ(ids(archive->search("", "erin@example.com", 4)), std::vector<long long>{link})
        << "filter code 4 is text messages";
    EXPECT_TRUE(archive->search("", "erin@example.com", 2).empty());
}

TEST_F(ArchiveServiceTest, DeletingSurvivesARestartAndLeavesNoWordsBehind) {
    const platform::Date when = platform::Date::fromUnixTime(1'700'000'000);
    archive->save("dave@example.com", "<font>first apple</font>", when);
    const auto second = archive->save("dave@example.com", "<font>second apple</font>", when);
    archive->save("erin@example.com", "<font>erin's apple</font>", when);
    archive->save("frank@example.com", "<font>frank's pear</font>", when);
    archive->queryContacts();
    settle();
    ASSERT_EQ(archive->archiveContacts().size(), 3u);

    second->remove();
    archive->archiveContacts()[1]->remove(); // erin, by name
    ASSERT_EQ(archive->archiveContacts().size(), 2u);

    // Another owner's archive is not touched.
    archive->open(file, "bob");
    archive->save("erin@example.com", "<font>bob's apple</font>", when);

    archive = std::make_shared<ArchiveService>();
    ASSERT_FALSE(archive->open(file, "alice"));
    EXPECT_EQ(archive->itemsFor("dave@example.com").size(), 1u);
    EXPECT_TRUE(archive->itemsFor("erin@example.com").empty());
    EXPECT_FALSE(archive->inArchive("erin@example.com"));
    EXPECT_EQ(archive->search("apple").size(), 1u);
    EXPECT_EQ(archive->search("second").size(), 0u);
    archive->queryContacts();
    settle();
    std::vector<std::string> addresses;
    for (const auto& contact : archive->archiveContacts())
        addresses.push_back(contact->address());
    EXPECT_EQ(addresses, (std::vector<std::string>{"dave@example.com", "frank@example.com"}));
    ASSERT_FALSE(archive->open(file, "bob"));
    EXPECT_EQ(archive->search("apple").size(), 1u);
    archive.reset();

    // Every transcript kept has its words, and no words are left of a deleted one.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    auto count = [&](const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        const int n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        return n;
    };
    EXPECT_EQ(count("SELECT count(*) FROM message_archive"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM message_archive_words"), 3);
    sqlite3_close(db);
}

TEST_F(ArchiveServiceTest, ListenersHearPartiesAndFiltersOnALaterPassTheNewestFilterWins) {
    const platform::Date when = platform::Date::fromUnixTime(1'700'000'000);
    archive->setNameResolver(
        [](const std::string& address) { return address == "erin@example.com" ? "Erin" : ""; });
    const auto one = archive->save("dave@example.com", "<font>one lemon</font>", when);
    const auto two = archive->save("dave@example.com", "<font>two lemons</font>", when);
    Listener listener;
    archive->setDelegate(&listener);
    archive->queryContacts();
    EXPECT_TRUE(listener.heard.empty()) << "answers come on a later pass";
    settle();
    EXPECT_EQ(listener.heard, std::vector<std::string>{"contactsAll"});

    auto dave = archive->archiveContacts().front();
    dave->setDelegate(&listener);
    dave->filterForItemsOfType(0, "two");
    dave->filterForItemsOfType(0, "lemon");
    settle();
    EXPECT_EQ(listener.heard.back(), "itemsAll");
    EXPECT_EQ(std::count(listener.heard.begin(), listener.heard.end(), "itemsAll"), 1)
        << "the superseded filter is not answered";
    EXPECT_EQ(ids(dave->archiveItems()), (std::vector<long long>{one->itemID(), two->itemID()}));

    listener.heard.clear();
    const auto three = archive->save("dave@example.com", "<font>three</font>", when);
    archive->save("erin@example.com", "<font>hi</font>", when);
    EXPECT_EQ(archive->archiveContacts().back()->nameToDisplay(), "Erin");
    one->remove();
    EXPECT_EQ(ids(dave->archiveItems()), std::vector<long long>{two->itemID()});
    dave->removeDelegate(&listener);
    two->remove();
    three->remove();
    EXPECT_EQ(listener.heard,
              (std::vector<std::string>{"itemAdded:" + std::to_string(three->itemID()),
                                        "itemAdded:" + std::to_string(three->itemID()),
                                        "itemAdded:" + std::to_string(three->itemID() + 1),
                                        "contactAdded:erin@example.com",
                                        "itemRemoved:" + std::to_string(one->itemID()),
                                        "contactRemoved:dave@example.com"}));

    // A filter of a party removed before the answer comes is not answered.
    auto erin = archive->archiveContacts().front();
    erin->setDelegate(&listener);
    listener.heard.clear();
    erin->filterForItemsOfType(0, "");
    erin->remove();
    settle();
    EXPECT_EQ(listener.heard, std::vector<std::string>{"contactRemoved:erin@example.com"});
    archive->removeDelegate(&listener);
}

TEST_F(ArchiveServiceTest, AnArchiveWrittenBeforeWordsWereKeptIsIndexedWhenOpened) {
    archive.reset();
    fs::remove(file);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE message_archive (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "owner TEXT NOT NULL, address TEXT NOT NULL, content TEXT NOT NULL, "
                           "saved REAL NOT NULL);"
                           "INSERT INTO message_archive (owner, address, content, saved) VALUES "
                           "('alice', 'dave@example.com', '<font>old news</font>', 0);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    archive = std::make_shared<ArchiveService>();
    ASSERT_FALSE(archive->open(file, "alice"));
    ASSERT_EQ(archive->search("news").size(), 1u);
    EXPECT_EQ(archive->search("news").front()->type(), ArchiveItem::instantMessage);
    archive->save("dave@example.com", "<font>new news</font>", platform::Date::now());
    EXPECT_EQ(archive->search("news").size(), 2u);
}

} // namespace
