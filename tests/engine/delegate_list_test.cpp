#include "engine/DelegateList.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Listener {
    std::string name;
    std::vector<std::string>* log;
    std::function<void()> onCall;
    void called() {
        log->push_back(name);
        if (onCall) {
            onCall();
        }
    }
};

struct Fixture {
    std::vector<std::string> log;
    Listener a{"a", &log, {}};
    Listener b{"b", &log, {}};
    Listener c{"c", &log, {}};
    DelegateList<Listener> list;
    void deliver() {
        list.forEach([](Listener& l) { l.called(); });
    }
};

TEST(DelegateList, DeliversInRegistrationOrderAndIgnoresSecondRegistration) {
    Fixture f;
    f.list.add(&f.b);
    f.list.add(&f.a);
    f.list.add(&f.b);
    f.list.add(nullptr);
    f.deliver();
    EXPECT_EQ(f.log, (std::vector<std::string>{"b", "a"}));
}

TEST(DelegateList, RemovingOneLeavesTheOthers) {
    Fixture f;
    f.list.add(&f.a);
    f.list.add(&f.b);
    f.list.add(&f.c);
    f.list.remove(&f.b);
    f.list.remove(&f.b);
    f.deliver();
    EXPECT_EQ(f.log, (std::vector<std::string>{"a", "c"}));
}

TEST(DelegateList, ChangesDuringADelivery) {
    struct Case {
        const char* name;
        std::function<void(Fixture&)> duringA;
        std::vector<std::string> firstDelivery;
        std::vector<std::string> secondDelivery;
    };
    const Case cases[] = {
        {"a later delegate removed hears nothing more",
         [](Fixture& f) { f.list.remove(&f.c); },
         {"a", "b"},
         {"a", "b"}},
        {"the delegate removing itself finishes its own call",
         [](Fixture& f) { f.list.remove(&f.a); },
         {"a", "b", "c"},
         {"b", "c"}},
        {"a delegate added during a delivery hears the next one",
         [](Fixture& f) { f.list.add(&f.c); },
         {"a", "b"},
         {"a", "b", "c"}},
    };
    for (const auto& test : cases) {
        Fixture f;
        f.list.add(&f.a);
        f.list.add(&f.b);
        if (std::string(test.name).find("added") == std::string::npos) {
            f.list.add(&f.c);
        }
        bool once = true;
        f.a.onCall = [&] {
            if (once) {
                once = false;
                test.duringA(f);
            }
        };
        f.deliver();
        EXPECT_EQ(f.log, test.firstDelivery) << test.name;
        f.log.clear();
        f.deliver();
        EXPECT_EQ(f.log, test.secondDelivery) << test.name;
    }
}

} // namespace
