#include "engine/OVContactManager.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Status = OVPresenceStatus;

ContactConfig contact(std::string name, Status status, std::vector<std::string> groups = {"Team"},
                      std::map<std::string, std::string> fields = {}) {
    ContactConfig config;
    config.displayName = std::move(name);
    config.groups = std::move(groups);
    config.fields = std::move(fields);
    config.presenceStatus = status;
    return config;
}

std::vector<std::string> names(const std::vector<std::shared_ptr<OVEntity>>& entities) {
    std::vector<std::string> out;
    for (const auto& e : entities) {
        out.push_back(e->displayName());
    }
    return out;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

class ContactModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager->loadContacts(
            {
                contact("bob", Status::statusBusy),
                contact("Anna Berg", Status::statusOffline, {"Team"},
                        {{"organization", "Zeta"}, {"softphone", "sip:anna@x"}}),
                contact("Carl", Status::statusAvailable, {"Team"},
                        {{"lastName", "Andersson"}, {"firstName", "Carl"}}),
                contact("Dan", Status::statusNone, {"Team"}, {{"organization", "Analytics AB"}}),
                contact("Alice", Status::statusAvailable),
            },
            "Others");
        team = manager->getVeyraRoot()->entitiesAll().front();
    }

    std::vector<std::string> search(std::string pattern) {
        auto session = manager->createSearch({{"displayName", pattern},
                                              {"firstName", pattern},
                                              {"lastName", pattern},
                                              {"organization", pattern}},
                                             {});
        session->setResolveMulticontacts(true);
        session->setEntityType(OVEntity::typePhysicalContact);
        session->start();
        return sorted(names(session->result()->entities()));
    }

    std::shared_ptr<OVContactManager> manager = std::make_shared<OVContactManager>();
    std::shared_ptr<OVEntity> team;
};

TEST_F(ContactModelTest, ShownChildrenFollowHidingAndSortOrders) {
    const std::vector<OVSortDescriptor> byName = {{"displayName", true, true}};
    const std::vector<OVSortDescriptor> byPresence = {{"presenceStatus", true, false},
                                                      {"displayName", true, true}};
    struct Case {
        bool hideOffline;
        std::vector<OVSortDescriptor> order;
        std::vector<std::string> expected;
    } cases[] = {
        {false, {}, {"bob", "Anna Berg", "Carl", "Dan", "Alice"}},
        {false, byName, {"Alice", "Anna Berg", "bob", "Carl", "Dan"}},
        {true, byName, {"Alice", "bob", "Carl"}},
        {false, byPresence, {"Alice", "Carl", "bob", "Anna Berg", "Dan"}},
        {true, byPresence, {"Alice", "Carl", "bob"}},
    };
    for (const auto& c : cases) {
        team->setHideOfflineContacts(c.hideOffline);
        team->setSortDescriptors(c.order);
        EXPECT_EQ(names(team->entities()), c.expected);
        EXPECT_EQ(team->entitiesAll().size(), 5u) << "the whole group is never filtered";
    }
}

TEST_F(ContactModelTest, PresenceAndRenamesReorderTheShownChildren) {
    team->setHideOfflineContacts(true);
    team->setSortDescriptors({{"presenceStatus", true, false}, {"displayName", true, true}});
    ASSERT_EQ(names(team->entities()), (std::vector<std::string>{"Alice", "Carl", "bob"}));

    auto anna = team->entitiesAll()[1];
    anna->defaultPresence()->update(Status::statusAvailable, "Available");
    anna->presenceChanged();
    EXPECT_EQ(names(team->entities()),
              (std::vector<std::string>{"Alice", "Anna Berg", "Carl", "bob"}));

    team->entitiesAll()[4]->setDisplayName("Zoe");
    EXPECT_EQ(names(team->entities()),
              (std::vector<std::string>{"Anna Berg", "Carl", "Zoe", "bob"}));
}

TEST_F(ContactModelTest, SearchMatchesTheStartOfAnyNameFieldWithoutRegardToCase) {
    struct Case {
        std::string pattern;
        std::vector<std::string> expected;
    } cases[] = {
        // Display name, last name and organisation; the offline and presence-less included.
        {"an%", {"Anna Berg", "Carl", "Dan"}},
        {"AN%", {"Anna Berg", "Carl", "Dan"}},
        {"anna b%", {"Anna Berg"}},
        {"carl%", {"Carl"}},
        {"berg%", {}}, // the middle of a name is not its start
        {"x%", {}},
        {"%", {"Alice", "Anna Berg", "Carl", "Dan", "bob"}},
        {"dan", {"Dan"}}, // without "%" the whole value
        {"da", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(search(c.pattern), c.expected) << c.pattern;
    }
}

TEST_F(ContactModelTest, SearchFollowsChangesAndIsNoParentOfItsRows) {
    EXPECT_EQ(search("q%"), std::vector<std::string>{});
    team->entitiesAll()[0]->setDisplayName("Quentin");
    team->entitiesAll()[2]->updateField("organization", "quartz");
    EXPECT_EQ(search("q%"), (std::vector<std::string>{"Carl", "Quentin"}));

    auto session = manager->getContacts();
    session->start();
    EXPECT_EQ(session->result()->entities().size(), 5u);
    for (const auto& row : session->result()->entities()) {
        EXPECT_EQ(names(row->parentEntities()), std::vector<std::string>{"Team"});
    }
    manager->clear();
    EXPECT_EQ(search("%"), std::vector<std::string>{});
}

TEST(ContactModel, TenThousandContactsSearchAndSort) {
    auto manager = std::make_shared<OVContactManager>();
    std::vector<ContactConfig> configs;
    for (int i = 0; i < 10000; ++i) {
        configs.push_back(contact("Contact " + std::to_string(10000 + i),
                                  i % 3 ? Status::statusOffline : Status::statusAvailable,
                                  {"Group " + std::to_string(i % 10)}));
    }
    manager->loadContacts(configs, "Others");
    ASSERT_EQ(manager->allContacts().size(), 10000u);
    auto session = manager->createSearch({{"displayName", "contact 1999%"}}, {});
    session->start();
    EXPECT_EQ(names(session->result()->entities()),
              (std::vector<std::string>{"Contact 19990", "Contact 19991", "Contact 19992",
                                        "Contact 19993", "Contact 19994", "Contact 19995",
                                        "Contact 19996", "Contact 19997", "Contact 19998",
                                        "Contact 19999"}));
    auto group = manager->getVeyraRoot()->entitiesAll().front();
    group->setHideOfflineContacts(true);
    EXPECT_EQ(group->entities().size(), 334u);
}

TEST(ContactModel, FieldTypesAndPrimaryRoles) {
    OVEntity contact(1, OVEntity::typeLogicalContact, "Eve");
    contact.updateField("mobile", "+1555");
    contact.updateField("home", "+1666");
    contact.updateField("jid", "eve@chat");
    EXPECT_TRUE(contact.getFieldByName("mobile")->hasType(OVField::fieldTypeSMS));
    EXPECT_TRUE(contact.getFieldByName("jid")->hasType(OVField::fieldTypeIM));
    EXPECT_FALSE(contact.getFieldByName("home")->hasType(OVField::fieldTypeIM));

    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypeCall)->name(), "mobile");
    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypePresence)->name(), "jid");
    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypeAvatar), nullptr);
    contact.updateField("softphone", "sip:eve@x");
    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypeCall)->name(), "softphone");
    contact.setPrimary(OVField::fieldPrimaryTypeCall, "home");
    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypeCall)->valueStr(), "+1666");
    contact.clearPrimaryFields();
    EXPECT_EQ(contact.getPrimary(OVField::fieldPrimaryTypeCall)->name(), "softphone");
}

} // namespace
