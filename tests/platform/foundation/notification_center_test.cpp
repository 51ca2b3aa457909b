#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

using platform::Notification;
using platform::NotificationCenter;
using platform::Object;
using platform::Value;

namespace {

class NotificationCenterTest : public ::testing::Test {
protected:
    NotificationCenter center;
    std::vector<std::string> log;
    Object senderA;
    Object senderB;
    int ownerA = 0;
    int ownerB = 0;
    int ownerC = 0;

    NotificationCenter::Handler recorder(std::string tag) {
        return [this, tag](const Notification& n) { log.push_back(tag + ":" + n.name); };
    }
};

TEST_F(NotificationCenterTest, NameAndObjectFiltersSelectObservers) {
    center.addObserver(&ownerA, "Ping", nullptr, recorder("any-sender"));
    center.addObserver(&ownerA, "Ping", &senderA, recorder("from-A"));
    center.addObserver(&ownerB, "", nullptr, recorder("everything"));
    center.addObserver(&ownerB, "", &senderB, recorder("all-from-B"));

    center.postNotificationName("Ping", &senderA);
    center.postNotificationName("Ping", &senderB);
    center.postNotificationName("Pong");
    EXPECT_EQ(log, (std::vector<std::string>{"any-sender:Ping", "from-A:Ping", "everything:Ping",
                                             "any-sender:Ping", "everything:Ping",
                                             "all-from-B:Ping", "everything:Pong"}));
}

TEST_F(NotificationCenterTest, DeliversTheObjectAndUserInfo) {
    Notification seen;
    center.addObserver(&ownerA, "Level", nullptr, [&](const Notification& n) { seen = n; });
    Value info;
    info.setObject("EntryPercent", Value(42));
    center.postNotificationName("Level", &senderA, info);
    EXPECT_EQ(seen.name, "Level");
    EXPECT_EQ(seen.object, &senderA);
    EXPECT_EQ(seen.userInfo["EntryPercent"].intValue(), 42);
}

TEST_F(NotificationCenterTest, ObserverRemovedDuringDeliveryReceivesNothingMore) {
    center.addObserver(&ownerA, "Go", nullptr, [&](const Notification&) {
        log.push_back("A");
        center.removeObserver(&ownerB);
    });
    center.addObserver(&ownerB, "Go", nullptr, recorder("B"));
    center.addObserver(&ownerB, "", nullptr, recorder("B-all"));
    center.addObserver(&ownerC, "Go", nullptr, recorder("C"));
    center.postNotificationName("Go");
    EXPECT_EQ(log, (std::vector<std::string>{"A", "C:Go"}));
    EXPECT_EQ(center.observerCount(), 2u);
}

TEST_F(NotificationCenterTest, ObserverMayRemoveItselfAndAddOthersDuringDelivery) {
    center.addObserver(&ownerA, "Go", nullptr, [&](const Notification&) {
        log.push_back("once");
        center.removeObserver(&ownerA);
        // Added during delivery: hears the next post, not this one.
        center.addObserver(&ownerB, "Go", nullptr, recorder("late"));
    });
    center.postNotificationName("Go");
    center.postNotificationName("Go");
    EXPECT_EQ(log, (std::vector<std::string>{"once", "late:Go"}));
}

TEST_F(NotificationCenterTest, NestedPostsDuringDeliveryAreSafe) {
    center.addObserver(&ownerA, "Outer", nullptr, [&](const Notification&) {
        log.push_back("outer");
        center.postNotificationName("Inner");
    });
    center.addObserver(&ownerB, "Inner", nullptr, [&](const Notification&) {
        log.push_back("inner");
        center.removeObserver(&ownerA);
    });
    center.postNotificationName("Outer");
    center.postNotificationName("Outer");
    EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(NotificationCenterTest, NarrowRemovalKeepsTheOwnersOtherObservations) {
    center.addObserver(&ownerA, "One", nullptr, recorder("one"));
    center.addObserver(&ownerA, "Two", nullptr, recorder("two"));
    center.addObserver(&ownerA, "Two", &senderA, recorder("two-A"));
    center.addObserver(&ownerB, "Two", nullptr, recorder("B-two"));
    center.removeObserver(&ownerA, "Two", &senderA);
    center.postNotificationName("Two", &senderA);
    EXPECT_EQ(log, (std::vector<std::string>{"two:Two", "B-two:Two"}));
    log.clear();
    center.removeObserver(&ownerA, "Two", nullptr);
    center.postNotificationName("Two", &senderA);
    center.postNotificationName("One");
    EXPECT_EQ(log, (std::vector<std::string>{"B-two:Two", "one:One"}));
    center.removeObserver(&ownerA, "", nullptr);
    EXPECT_EQ(center.observerCount(), 1u);
}

TEST(NotificationCenterDefault, IsOneSharedCentre) {
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

} // namespace
