#include "EngineTestSupport.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"

#include <gtest/gtest.h>

using namespace engine_test;

namespace {

class ContactStoreTest : public EngineTest {
protected:
    static std::shared_ptr<OVContactManager> manager() {
        return engine().phoneService()->getContactManager();
    }
    static std::shared_ptr<OVEntity> contactNamed(std::string_view name) {
        for (const auto& contact : manager()->allContacts()) {
            if (contact->displayName() == name) {
                return contact;
            }
        }
        return nullptr;
    }
    static std::pair<OVPresenceStatus, std::string> presenceOf(std::string_view name) {
        const auto contact = contactNamed(name);
        if (!contact) {
            ADD_FAILURE() << "no contact " << name;
            return {};
        }
        return {contact->defaultPresence()->status(), contact->defaultPresence()->message()};
    }
};

} // namespace

TEST_F(ContactStoreTest, TheDemoContactsTakeTurnsThroughTheirPresenceCycles) {
    startSession();
    // A few dozen contacts, online and offline.
    EXPECT_GE(manager()->allContacts().size(), 30u);
    using P = std::pair<OVPresenceStatus, std::string>;
    EXPECT_EQ(presenceOf("Grace Hall"), (P{OVPresenceStatus::statusAvailable, ""}));
    EXPECT_EQ(presenceOf("Henry Irwin"), (P{OVPresenceStatus::statusBusy, "In a meeting"}));

    // Every 4 s the next contact with a cycle moves one step; those without one stay.
    pass(4.05);
    EXPECT_EQ(presenceOf("Grace Hall"), (P{OVPresenceStatus::statusOnThePhone, "On the phone"}));
    EXPECT_EQ(presenceOf("Henry Irwin"), (P{OVPresenceStatus::statusBusy, "In a meeting"}));
    pass(4);
    EXPECT_EQ(presenceOf("Henry Irwin"), (P{OVPresenceStatus::statusAvailable, "Available"}));
    EXPECT_EQ(presenceOf("Dave Dunn"), (P{OVPresenceStatus::statusAvailable, "Available"}));
    EXPECT_EQ(presenceOf("Lars Nilsson").first, OVPresenceStatus::statusOffline);

    // Signed out, nothing more is reported, and a new session starts its turns afresh.
    engine().logout(OVLogoutReason::user);
    pass(20);
    EXPECT_TRUE(manager()->allContacts().empty());
    startSession();
    EXPECT_EQ(presenceOf("Grace Hall").first, OVPresenceStatus::statusAvailable);
    pass(3.05);
    EXPECT_EQ(presenceOf("Grace Hall").first, OVPresenceStatus::statusOnThePhone);
}

namespace {

// The field values of a contact, as "name=value", in field order, metadata left out.
std::vector<std::string> addressesOf(const std::shared_ptr<OVEntity>& contact) {
    std::vector<std::string> out;
    for (const auto& field : contact->addresses()) {
        out.push_back(field->name() + "=" + field->valueStr());
    }
    return out;
}

} // namespace

TEST_F(ContactStoreTest, MergeSplitDeleteFavouritesAndBlocksAreKeptByTheStore) {
    startSession();
    auto dave = contactNamed("Dave Dunn");
    auto erin = contactNamed("Erin Evans");
    ASSERT_TRUE(dave && erin);
    const auto before = manager()->allContacts().size();

    // A contact given twice is one: no merge of fewer than two distinct contacts.
    EXPECT_EQ(manager()->mergeContacts({dave, dave}), nullptr);
    EXPECT_TRUE(dave->entitiesAll().empty());

    const auto merged = manager()->mergeContacts({dave, erin});
    ASSERT_EQ(merged, dave);
    EXPECT_EQ(dave->entitiesAll().size(), 2u) << "one source each";
    EXPECT_EQ(contactNamed("Erin Evans"), nullptr);
    EXPECT_EQ(manager()->allContacts().size(), before - 1);
    const auto mergedAddresses = addressesOf(dave);
    EXPECT_NE(std::find(mergedAddresses.begin(), mergedAddresses.end(),
                        "softphone=sip:erin@sip.lumiq.example"),
              mergedAddresses.end());
    // In Dave's group and in Erin's.
    std::vector<std::string> groups;
    for (const auto& parent : dave->parentEntities())
        groups.push_back(parent->displayName());
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups, (std::vector<std::string>{"Friends", "Work"}));

    auto frank = contactNamed("Frank Ford");
    frank->setFavourite(true);
    frank->updateField(std::string(OVField::fieldAlertEnabled),
                       std::string(OVField::fieldValueTrue), OVField::fieldTypeMetaData);
    frank->setPrimary(OVField::fieldPrimaryTypeCall, OVField::fieldSoftphone);
    frank->saveCommand();
    engine().phoneService()->getPrivacyService()->blockAddresses({"sip:frank@sip.lumiq.example"},
                                                                 OVAccountProtocol::SIPprotocol);
    EXPECT_EQ(frank->getFieldByName(OVField::fieldBlockState)->valueStr(), OVField::stateBlocked);
    contactNamed("Grace Hall")->deleteCommand();
    EXPECT_EQ(contactNamed("Grace Hall"), nullptr);

    // A restart reads it all back from the store.
    engine().logout(OVLogoutReason::user);
    pass(1);
    startSession();
    dave = contactNamed("Dave Dunn");
    ASSERT_NE(dave, nullptr);
    EXPECT_EQ(dave->entitiesAll().size(), 2u);
    EXPECT_EQ(addressesOf(dave), mergedAddresses);
    EXPECT_EQ(contactNamed("Erin Evans"), nullptr);
    EXPECT_EQ(contactNamed("Grace Hall"), nullptr);
    frank = contactNamed("Frank Ford");
    EXPECT_TRUE(frank->favourite());
    EXPECT_EQ(frank->getFieldByName(OVField::fieldAlertEnabled)->valueStr(),
              OVField::fieldValueTrue);
    EXPECT_EQ(frank->getFieldByName(OVField::fieldBlockState)->valueStr(), OVField::stateBlocked);
    EXPECT_TRUE(frank->primaryFields().count(OVField::fieldPrimaryTypeCall));

    // Split: Erin is herself again, also after a restart.
    manager()->splitContact(dave);
    EXPECT_TRUE(dave->entitiesAll().empty());
    ASSERT_NE(contactNamed("Erin Evans"), nullptr);
    EXPECT_EQ(addressesOf(contactNamed("Erin Evans")),
              (std::vector<std::string>{"jid=erin@chat.lumiq.example",
                                        "softphone=sip:erin@sip.lumiq.example"}));
    engine().phoneService()->getPrivacyService()->unblockAddresses({"SIP:Frank@sip.lumiq.example"},
                                                                   OVAccountProtocol::SIPprotocol);
    engine().logout(OVLogoutReason::user);
    pass(1);
    startSession();
    EXPECT_TRUE(contactNamed("Dave Dunn")->entitiesAll().empty());
    ASSERT_NE(contactNamed("Erin Evans"), nullptr);
    EXPECT_EQ(contactNamed("Frank Ford")->getFieldByName(OVField::fieldBlockState), nullptr);
    EXPECT_EQ(manager()->allContacts().size(), before - 1);
}

TEST_F(ContactStoreTest, DeletingAGroupTakesItsContactsAndASourceLeavesTheRest) {
    startSession();
    const auto groupNamed = [](std::string_view name) -> std::shared_ptr<OVEntity> {
        for (const auto& group : manager()->getVeyraRoot()->entitiesAll())
            if (group->displayName() == name)
                return group;
        return nullptr;
    };
    const auto family = groupNamed("Family");
    ASSERT_NE(family, nullptr);
    // Frank is in Family and Friends: he goes with the group, from both.
    manager()->deleteContacts({family});
    EXPECT_EQ(groupNamed("Family"), nullptr);
    EXPECT_EQ(contactNamed("Frank Ford"), nullptr);
    EXPECT_EQ(contactNamed("Gabriel Silva"), nullptr);

    // A merged contact losing one source keeps the other, in the store too.
    auto merged = manager()->mergeContacts({contactNamed("Mei Lin"), contactNamed("Lars Nilsson")});
    ASSERT_NE(merged, nullptr);
    merged->entitiesAll().front()->deleteCommand();
    EXPECT_TRUE(contactNamed("Mei Lin") == merged);
    EXPECT_EQ(merged->entitiesAll().size(), 1u);
    EXPECT_EQ(addressesOf(merged),
              (std::vector<std::string>{"softphone=sip:lars@sip.lumiq.example"}));
    engine().logout(OVLogoutReason::user);
    pass(1);
    startSession();
    EXPECT_EQ(contactNamed("Frank Ford"), nullptr);
    EXPECT_EQ(contactNamed("Gabriel Silva"), nullptr);
    const auto kept = contactNamed("Mei Lin");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(addressesOf(kept),
              (std::vector<std::string>{"softphone=sip:lars@sip.lumiq.example"}));
}
