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
