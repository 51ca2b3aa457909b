#include "EntryTestSupport.h"
#include "app/core/DeferredCommand.h"
#include "engine/OVIMService.h"

using namespace entry_test;

namespace {

using DeferredCommandTest = EntryTest;

TEST_F(DeferredCommandTest, RetriesEveryHalfSecondUntilTheEngineAllowsTheCall) {
    std::weak_ptr<DeferredCommand> weak =
        DeferredCommand::initWithTarget<DeferredAudioCall>("5551234");
    ASSERT_FALSE(weak.expired()) << "its timer keeps a waiting command";

    // Before sign-in nothing happens, however long it waits.
    pass(5);
    EXPECT_TRUE(conversations().empty());
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(weak.lock()->isWaiting());

    // The engine starts, but calls are allowed only once its accounts are up.
    startEngine();
    EXPECT_FALSE(calls()->newConversationAllowed());
    std::optional<platform::TimeInterval> allowedAt;
    std::optional<platform::TimeInterval> placedAt;
    for (int step = 0; step < 40 && !placedAt; ++step) {
        pass(0.05);
        if (!allowedAt && calls()->newConversationAllowed()) {
            allowedAt = now();
        }
        if (!conversations().empty()) {
            placedAt = now();
        }
    }
    ASSERT_TRUE(allowedAt);
    ASSERT_TRUE(placedAt);
    EXPECT_LE(*placedAt - *allowedAt, DeferredCommand::retryInterval + 1e-9);

    const auto placed = conversations();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.front()->entityID(), -1) << "a bare address, not a stored contact";
    EXPECT_NE(placed.front()->participants().front()->address().find("5551234"), std::string::npos);
    // Once run, the command lets its timer go and is gone with it.
    EXPECT_TRUE(weak.expired());
    pass(2);
    EXPECT_EQ(conversations().size(), 1u);
}

TEST_F(DeferredCommandTest, TheRetryTimerWaitsWhileTheLoopRunsInAnotherMode) {
    startEngineAndAccounts();
    const auto command = DeferredCommand::initWithTarget<DeferredAudioCall>("5551234");

    pass(2, platform::ModalPanelRunLoopMode);
    pass(2, platform::EventTrackingRunLoopMode);
    EXPECT_TRUE(conversations().empty());
    EXPECT_TRUE(command->isWaiting());

    pass(DeferredCommand::retryInterval);
    EXPECT_EQ(conversations().size(), 1u);
    EXPECT_FALSE(command->isWaiting());
}

TEST_F(DeferredCommandTest, EachKindDoesItsOwnAction) {
    startEngineAndAccounts();

    DeferredCommand::initWithTarget<DeferredVideoCall>("bob@example.com");
    pass(DeferredCommand::retryInterval);
    ASSERT_EQ(conversations().size(), 1u);
    EXPECT_TRUE(conversations().back()->isVideo());
    ASSERT_TRUE(VideoWindow::videoWindowExist());
    EXPECT_TRUE(VideoWindow::sharedVideoWindow().isVisible());

    DeferredCommand::initWithTarget<DeferredConferenceCall>("5550000");
    pass(DeferredCommand::retryInterval);
    ASSERT_EQ(conversations().size(), 2u);
    EXPECT_TRUE(conversations().back()->isConference());

    DeferredCommand::initWithTarget<DeferredSMS>("+15551234");
    pass(DeferredCommand::retryInterval);
    const auto& sessions = engine().phoneService()->getIMService()->sessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(conversations().size(), 2u) << "a text message is no call";

    // The base command has nothing to wait for.
    const auto base = DeferredCommand::initWithTarget<DeferredCommand>("anything");
    pass(DeferredCommand::retryInterval);
    EXPECT_FALSE(base->isWaiting());
}

TEST_F(DeferredCommandTest, ATextMessageWaitsForTheEngineToo) {
    const auto command = DeferredCommand::initWithTarget<DeferredSMS>("+15551234");
    pass(2);
    EXPECT_TRUE(command->isWaiting());
    startEngineAndAccounts();
    pass(DeferredCommand::retryInterval);
    EXPECT_FALSE(command->isWaiting());
    EXPECT_EQ(engine().phoneService()->getIMService()->sessions().size(), 1u);
}

} // namespace
