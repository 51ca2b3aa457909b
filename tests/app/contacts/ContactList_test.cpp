#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/FunctionModuleController.h"
#include "engine/OVContactManager.h"
#include "engine/PresenceService.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"

using namespace app_test;

namespace {

// The Contacts tab of the demo user, its list replaced by a few contacts of known names and
// presence: three of the demo's (the network reports Dave available, Frank away and Erin
// offline) and four more.
class ContactListTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
        if (HasFatalFailure())
            return;
        ASSERT_NE(list(), nullptr);
        auto manager = phone()->getContactManager();
        std::vector<ContactRecord> records;
        for (const auto& [name, groups] :
             std::vector<std::pair<std::string, std::vector<std::string>>>{
                 {"Dave Dunn", {"Friends"}},
                 {"Erin Evans", {"Work"}},
                 {"Frank Ford", {"Family", "Friends"}}}) {
            ContactRecord record;
            record.displayName = name;
            std::string user = name.substr(0, name.find(' '));
            for (auto& c : user)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            record.fields = {{"softphone", "sip:" + user + "@sip.lumiq.example"}};
            record.groups = groups;
            records.push_back(record);
        }
        for (const auto& [name, org, group] :
             std::vector<std::tuple<std::string, std::string, std::string>>{
                 {"Anna Berg", "Zeta", "Work"},
                 {"Carl Mohr", "Analytics AB", "Work"},
                 {"Bob Stone", "", "Friends"},
                 {"andy", "", "Friends"}}) {
            ContactRecord record;
            record.displayName = name;
            std::string user = name.substr(0, name.find(' '));
            for (auto& c : user)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            record.fields = {{"softphone", "sip:" + user + "@x.example"}};
            if (!org.empty())
                record.fields.emplace_back("organization", org);
            record.groups = {group};
            records.push_back(record);
        }
        ASSERT_EQ(std::get<int>(manager->importRecords(records, true, true)), 7);
        presence("sip:bob@x.example", OVPresenceStatus::statusAvailable);
        runFor(0.05);
        settle();
    }

    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static ContactListController* list() {
        return FunctionModuleController::sharedController().contactList();
    }
    static void presence(const std::string& address, OVPresenceStatus status) {
        phone()->getPresenceService()->contactPresenceChanged(address, status, "");
    }
    // The rows as the outline shows them: groups as "[label]", contacts indented by level.
    static std::vector<std::string> rows() {
        auto& outline = list()->contactOutlineView();
        std::vector<std::string> out;
        auto* column = outline.tableColumns().front().get();
        for (long row = 0; row < outline.numberOfRows(); ++row) {
            const auto item = outline.itemAtRow(row);
            const auto label =
                list()->outlineViewObjectValueForTableColumn(outline, column, item).stringValue();
            if (std::dynamic_pointer_cast<OVEntity>(item))
                out.push_back("[" + label + "]");
            else
                out.push_back(
                    std::string(static_cast<std::size_t>(outline.levelForRow(row)) * 2, ' ') +
                    label);
        }
        return out;
    }
    using Rows = std::vector<std::string>;
};

TEST_F(ContactListTest, TreeFlatAndFilteredAsYouType) {
    // The tree: groups by name, their contacts by name without regard to case, all open.
    EXPECT_TRUE(list()->isTreeViewMode());
    const Rows tree = rows();
    // A contact in two groups shows in both.
    // The demo's other groups stay, empty, until the next sign-in.
    EXPECT_EQ(tree, (Rows{"[Family (1)]", "  Frank Ford", "[Friends (4)]", "  andy", "  Bob Stone",
                          "  Dave Dunn", "  Frank Ford", "[Sales (0)]", "[Support (0)]",
                          "[Work (3)]", "  Anna Berg", "  Carl Mohr", "  Erin Evans"}));
    const auto work = std::find(tree.begin(), tree.end(), "[Work (3)]");
    ASSERT_NE(work, tree.end());

    // Collapsing Work is remembered across a rebuild.
    auto& outline = list()->contactOutlineView();
    outline.collapseItem(outline.itemAtRow(work - tree.begin()));
    list()->updateContactList();
    list()->synchronizeExpandCollapse();
    const Rows collapsed = rows();
    EXPECT_EQ(std::count(collapsed.begin(), collapsed.end(), "  Anna Berg"), 0);

    // Typing "an": a flat list of every contact whose name, first or last name or
    // organisation starts so, offline ones included; the groups are gone.
    auto& filter = list()->filterTextBox();
    click(filter);
    screen->typeText("a");
    settle();
    screen->typeText("n");
    settle();
    EXPECT_EQ(list()->filterString(), "an");
    EXPECT_EQ(rows(), (Rows{"andy", "Anna Berg", "Carl Mohr"}));

    // Clearing it brings back the tree with Work still closed.
    filter.setStringValue("");
    list()->filterChanged();
    const Rows back = rows();
    EXPECT_NE(std::find(back.begin(), back.end(), "[Work (3)]"), back.end());
    EXPECT_EQ(std::count(back.begin(), back.end(), "  Anna Berg"), 0);
    EXPECT_EQ(std::count(back.begin(), back.end(), "  Bob Stone"), 1);

    // The flat view sorted by presence: the available one first, then by name.
    list()->contextFilterShowGroups();
    list()->contextFilterSortByStatus();
    const Rows flat = rows();
    ASSERT_FALSE(flat.empty());
    EXPECT_EQ(std::count_if(flat.begin(), flat.end(),
                            [](const std::string& r) { return r.front() == '['; }),
              0);
    EXPECT_EQ(flat.front(), "Bob Stone");
    EXPECT_EQ(std::count(flat.begin(), flat.end(), "Anna Berg"), 1);

    // Hiding offline contacts leaves only those online.
    list()->contextFilterShowOffline();
    for (const auto& row : rows()) {
        EXPECT_TRUE(row == "Bob Stone" || row == "Dave Dunn" || row == "Frank Ford") << row;
    }
}

TEST_F(ContactListTest, HiddenOfflineContactsShowInTheGroupCounts) {
    list()->contextFilterShowOffline();
    const Rows tree = rows();
    EXPECT_NE(std::find(tree.begin(), tree.end(), "[Friends (3/4)]"), tree.end())
        << ::testing::PrintToString(tree);
    EXPECT_NE(std::find(tree.begin(), tree.end(), "[Work (0/3)]"), tree.end());
}

TEST_F(ContactListTest, ABurstOfPresenceChangesCostsOneRebuildAndOneNotification) {
    auto& posted =
        recordNotifications({ContactChangedNotification, ContactPresenceChangedNotification});
    struct Case {
        bool hideOffline;
        int rebuilds;
        int redraws;
    } cases[] = {
        {false, 0, 1}, // offline shown, sorted by name: the rows stay, one redraw
        {true, 1, 0},  // offline hidden: rows come and go, one rebuild
    };
    for (const auto& c : cases) {
        if (c.hideOffline != !list()->showOfflineContacts())
            list()->contextFilterShowOffline();
        runFor(0.05);
        posted.clear();
        const int rebuilds = list()->rebuildCount();
        const int redraws = list()->redrawCount();
        for (int i = 0; i < 500; ++i)
            presence("sip:anna@x.example",
                     i % 2 ? OVPresenceStatus::statusAvailable : OVPresenceStatus::statusBusy);
        EXPECT_EQ(list()->rebuildCount(), rebuilds) << "nothing before the timer";
        runFor(0.05);
        EXPECT_EQ(list()->rebuildCount() - rebuilds, c.rebuilds) << c.hideOffline;
        EXPECT_EQ(list()->redrawCount() - redraws, c.redraws) << c.hideOffline;
        EXPECT_EQ(posted,
                  std::vector<std::string>{std::string(ContactPresenceChangedNotification)});
    }
}

TEST_F(ContactListTest, PropertyChangesRedrawOnceAndACollectionChangeMakesItOneRebuild) {
    auto& posted = recordNotifications({ContactChangedNotification});
    auto anna = phone()->getContactManager()->lookup("", "sip:anna@x.example", "").front();
    const int rebuilds = list()->rebuildCount();
    const int redraws = list()->redrawCount();
    anna->setDisplayName("Anna B.");
    runFor(0.005);
    anna->setDisplayName("Anna Berg");
    runFor(0.05);
    EXPECT_EQ(list()->redrawCount() - redraws, 1);
    EXPECT_EQ(list()->rebuildCount(), rebuilds);
    EXPECT_TRUE(posted.empty());

    anna->setDisplayName("Anna C.");
    anna->updateField("organization", "Omega");
    anna->updateField("home", "+15550199"); // a new field: the collection changed
    runFor(0.05);
    EXPECT_EQ(list()->rebuildCount() - rebuilds, 1);
    EXPECT_EQ(list()->redrawCount() - redraws, 1);
    EXPECT_EQ(posted, std::vector<std::string>{std::string(ContactChangedNotification)});
}

} // namespace
