#include "app/core/SheetsTracker.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::make;
using platform::Panel;
using platform::Rect;
using platform::Window;
using platform::WindowServer;

// Windows on an empty window server, sheets begun the way controllers begin them: registered
// right after they begin, deregistered by their own end handler.
class SheetsTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        platform::Application::resetSharedApplication();
        WindowServer::shared().reset();
    }
    void TearDown() override {
        tracker.reset();
        WindowServer::shared().reset();
        platform::Application::resetSharedApplication();
        platform::RunLoop::resetMain();
    }

    std::shared_ptr<Window> makeParent() {
        auto parent = make<Window>(Rect(100, 100, 400, 300), platform::TitledWindowMask);
        parent->orderFront(nullptr);
        parents.push_back(parent);
        return parent;
    }
    template <class W = Panel> std::shared_ptr<W> makeSheet() {
        return make<W>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    }
    // Begins the sheet on a fresh parent and registers it for the creator; its end handler
    // writes the code down and deregisters it, as every caller's handler does.
    void begin(const std::shared_ptr<Window>& sheet, const void* creator, std::string name) {
        auto parent = makeParent();
        platform::Application::sharedApplication().beginSheet(
            *sheet, *parent,
            [this, register_ = tracker.get(), sheet = sheet.get(), creator, name](int code) {
                ended.push_back(name + ":" + std::to_string(code));
                register_->deRegisterSheet(sheet, creator);
            });
        tracker->registerSheet(sheet, creator);
    }

    std::unique_ptr<SheetsTracker> tracker = std::make_unique<SheetsTracker>();
    std::vector<std::shared_ptr<Window>> parents;
    std::vector<std::string> ended;
    int creatorA = 0;
    int creatorB = 0;
};

const std::string stopped = std::to_string(platform::RunStoppedResponse);

TEST_F(SheetsTrackerTest, ClosingACreatorsSheetsEndsEachEvenThoughTheirHandlersDeregister) {
    const auto first = makeSheet();
    const auto second = makeSheet();
    const auto third = makeSheet();
    const auto others = makeSheet();
    begin(first, &creatorA, "first");
    begin(second, &creatorA, "second");
    begin(third, &creatorA, "third");
    begin(others, &creatorB, "others");
    ASSERT_EQ(tracker->sheetsForCreator(&creatorA).size(), 3u);

    tracker->closeSheetsForCreator(&creatorA);

    EXPECT_EQ(ended, (std::vector<std::string>{"first:" + stopped, "second:" + stopped,
                                               "third:" + stopped}));
    for (const auto& sheet : {first, second, third}) {
        EXPECT_FALSE(sheet->isSheet());
        EXPECT_FALSE(sheet->isVisible()) << "panels are ordered out";
    }
    EXPECT_FALSE(tracker->hasCreator(&creatorA));
    EXPECT_TRUE(others->isSheet()) << "another creator's sheet stays";
    EXPECT_EQ(tracker->sheetsForCreator(&creatorB).size(), 1u);

    // A creator that registered nothing changes nothing.
    tracker->closeSheetsForCreator(&creatorA);
    EXPECT_EQ(tracker->creatorCount(), 1u);
    EXPECT_EQ(ended.size(), 3u);
}

TEST_F(SheetsTrackerTest, ASheetRegisteredTwiceIsEndedTwiceAndDeregisteredAtOnce) {
    const auto sheet = makeSheet();
    begin(sheet, &creatorA, "sheet");
    tracker->registerSheet(sheet, &creatorA);
    EXPECT_EQ(tracker->sheetsForCreator(&creatorA).size(), 2u);

    tracker->deRegisterSheet(sheet.get(), &creatorA);
    EXPECT_TRUE(tracker->sheetsForCreator(&creatorA).empty());
    EXPECT_TRUE(tracker->hasCreator(&creatorA)) << "an emptied list stays";
    // Unknown creators and sheets are ignored.
    tracker->deRegisterSheet(sheet.get(), &creatorB);
    EXPECT_FALSE(tracker->hasCreator(&creatorB));

    // Ending it twice: the second end finds no attached sheet and does nothing.
    tracker->registerSheet(sheet, &creatorA);
    tracker->registerSheet(sheet, &creatorA);
    tracker->closeSheetsForCreator(&creatorA);
    EXPECT_EQ(ended, std::vector<std::string>{"sheet:" + stopped});
    EXPECT_FALSE(tracker->hasCreator(&creatorA));
}

TEST_F(SheetsTrackerTest, CloseAllSheetsEmptiesTheRegisterAndLeavesNonPanelsOrderedIn) {
    const auto panel = makeSheet();
    const auto window = makeSheet<Window>();
    begin(panel, &creatorA, "panel");
    begin(window, &creatorB, "window");

    tracker->closeAllSheets();

    EXPECT_EQ(ended.size(), 2u);
    EXPECT_EQ(tracker->creatorCount(), 0u);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(window->isSheet());
    EXPECT_TRUE(window->isVisible()) << "only panels are ordered out";

    // A later registration starts a new list.
    const auto next = makeSheet();
    begin(next, &creatorA, "next");
    EXPECT_EQ(tracker->sheetsForCreator(&creatorA), SheetsTracker::Sheets{next});
}

TEST_F(SheetsTrackerTest, ASheetBegunByAnEndHandlerWhileClosingStaysRegistered) {
    const auto sheet = makeSheet();
    const auto followUp = makeSheet();
    auto parent = makeParent();
    auto otherParent = makeParent();
    platform::Application::sharedApplication().beginSheet(*sheet, *parent, [&](int) {
        tracker->deRegisterSheet(sheet.get(), &creatorA);
        platform::Application::sharedApplication().beginSheet(*followUp, *otherParent);
        tracker->registerSheet(followUp, &creatorA);
    });
    tracker->registerSheet(sheet, &creatorA);

    tracker->closeSheetsForCreator(&creatorA);

    EXPECT_EQ(otherParent->attachedSheet(), followUp.get());
    EXPECT_EQ(tracker->sheetsForCreator(&creatorA), SheetsTracker::Sheets{followUp})
        << "a sheet that is open must stay closable";
    tracker->closeAllSheets();
    EXPECT_EQ(otherParent->attachedSheet(), nullptr);
}

TEST_F(SheetsTrackerTest, TheRegisterKeepsItsSheetsAliveAndEndsThemWhenItGoes) {
    std::weak_ptr<Window> weak;
    {
        const auto sheet = makeSheet();
        weak = sheet;
        begin(sheet, &creatorA, "kept");
    }
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(weak.lock()->isSheet());

    tracker.reset();
    EXPECT_EQ(ended, std::vector<std::string>{"kept:" + stopped});
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(&SheetsTracker::sharedController(), &SheetsTracker::sharedController());
}

} // namespace
