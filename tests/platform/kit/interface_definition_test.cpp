#include "platform/foundation/Log.h"
#include "platform/kit/InterfaceDefinition.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using platform::InterfaceDefinition;
using platform::InterfaceDefinitionLoad;

struct Part : platform::Object, platform::Awakable {
    Part(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    void awake() override {
        log.push_back(name + (outlet ? " sees " + outlet->name : std::string(" alone")));
    }
    std::string name;
    std::vector<std::string>& log;
    Part* outlet = nullptr;
};

// Not Awakable, but has awake() of its own, as views and windows do.
struct Plain : platform::Object {
    explicit Plain(std::vector<std::string>& log) : log(log) {}
    void awake() { log.push_back("plain"); }
    std::vector<std::string>& log;
};

TEST(InterfaceDefinition, ObjectsWakeInOrderOnceEveryOutletIsSet) {
    std::vector<std::string> log;
    platform::Object owner;
    platform::Object* seenOwner = nullptr;
    InterfaceDefinition::registerDefinition("Test", [&](InterfaceDefinitionLoad& load) {
        seenOwner = load.owner();
        auto controller = load.addTopLevelObject(std::make_shared<Part>("controller", log));
        auto window = load.addTopLevelObject(std::make_shared<Part>("window", log));
        load.addTopLevelObject(std::make_shared<Plain>(log));
        // The outlet is set after both exist; awake must still see it.
        controller->outlet = window.get();
        EXPECT_TRUE(log.empty()) << "nothing wakes while the builder runs";
    });

    auto objects = InterfaceDefinition::load("Test", &owner);
    InterfaceDefinition::unregisterDefinition("Test");

    ASSERT_TRUE(objects);
    EXPECT_EQ(objects->size(), 3u);
    EXPECT_EQ(seenOwner, &owner);
    EXPECT_EQ(log, (std::vector<std::string>{"controller sees window", "window alone", "plain"}));
}

TEST(InterfaceDefinition, AnUnknownNameFailsWithALogLine) {
    std::vector<std::string> lines;
    platform::setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    auto objects = InterfaceDefinition::load("NoSuchDefinition", nullptr);
    platform::setLogSink(nullptr);

    EXPECT_FALSE(objects);
    EXPECT_FALSE(InterfaceDefinition::isRegistered("NoSuchDefinition"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("NoSuchDefinition"), std::string::npos);
}

} // namespace
