#include "app/messaging/NQSystemIdleTimer.h"
#include "app/messaging/FakeIdleTime.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using platform::ManualClock;
using platform::RunLoop;

using app_test::FakeIdleTime;

class Recorder : public NQSystemIdleTimerDelegate {
public:
    explicit Recorder(bool reminders = false) : reminders_(reminders) {}
    void timerBeginsIdling(NQSystemIdleTimer&) override {
        events.push_back("begins");
        if (onBegins)
            onBegins();
    }
    void timerContinuesIdling(platform::Timer&) override { events.push_back("continues"); }
    bool wantsTimerContinuesIdling() const override { return reminders_; }
    void timerFinishedIdling(NQSystemIdleTimer&) override { events.push_back("finished"); }

    std::vector<std::string> events;
    std::function<void()> onBegins;

private:
    bool reminders_;
};

class IdleTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<ManualClock>(1000.0);
        RunLoop::resetMain(clock);
        source = std::make_shared<FakeIdleTime>();
    }
    void TearDown() override { RunLoop::resetMain(); }
    std::shared_ptr<NQSystemIdleTimer> start(double interval, Recorder& delegate) {
        auto timer = NQSystemIdleTimer::initSystemIdleTimerWithTimeInterval(interval, source);
        timer->setDelegate(&delegate);
        return timer;
    }
    void pass(double seconds) { RunLoop::main().runFor(seconds); }

    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeIdleTime> source;
};

TEST_F(IdleTimerTest, TheNextCheckFallsWhenTheIntervalWouldBeReached) {
    Recorder delegate;
    const auto timer = start(300, delegate);
    source->units = 100;
    pass(300);
    ASSERT_TRUE(timer->idleTimer());
    EXPECT_DOUBLE_EQ(timer->idleTimer()->fireDate(), clock->now() + 200);
    EXPECT_TRUE(delegate.events.empty());

    // Exactly reaching the interval counts as idle.
    source->units = 300;
    pass(200);
    EXPECT_EQ(delegate.events, (std::vector<std::string>{"begins"}));
}

TEST_F(IdleTimerTest, IdlenessEndsOnlyWhenTheIdleTimeFallsToOne) {
    struct Case {
        std::int32_t idleAtReturnCheck;
        bool finished;
    };
    for (const Case c : {Case{2, false}, Case{1, true}, Case{0, true}}) {
        SCOPED_TRACE(c.idleAtReturnCheck);
        Recorder delegate;
        source->units = 60;
        const auto timer = start(60, delegate);
        pass(60);
        ASSERT_EQ(delegate.events, (std::vector<std::string>{"begins"}));
        source->units = c.idleAtReturnCheck;
        pass(1);
        EXPECT_EQ(delegate.events.back() == "finished", c.finished);
        if (c.finished) {
            ASSERT_TRUE(timer->idleTimer()) << "back to watching";
            EXPECT_DOUBLE_EQ(timer->idleTimer()->fireDate(), clock->now() + 60);
        }
        timer->invalidate();
    }
}

TEST_F(IdleTimerTest, RemindersGoOnlyToADelegateThatWantsThemAndStopOnReturn) {
    for (const bool wants : {false, true}) {
        SCOPED_TRACE(wants);
        Recorder delegate(wants);
        source->units = 1000;
        const auto timer = start(10, delegate);
        pass(10);
        source->units = 1000 + 25;
        pass(25);
        EXPECT_EQ(timer->continuingIdleTimer() != nullptr, wants);
        const std::vector<std::string> whileIdle =
            wants ? std::vector<std::string>{"begins", "continues", "continues"}
                  : std::vector<std::string>{"begins"};
        EXPECT_EQ(delegate.events, whileIdle);

        source->units = 0;
        pass(1);
        EXPECT_EQ(delegate.events.back(), "finished");
        EXPECT_EQ(timer->continuingIdleTimer(), nullptr);
        const auto count = delegate.events.size();
        pass(9);
        EXPECT_EQ(delegate.events.size(), count) << "no reminder after the return";
        timer->invalidate();
    }
}

TEST_F(IdleTimerTest, ADesktopThatGivesNoIdleTimeNeverMakesTheUserIdle) {
    Recorder delegate(true);
    source->units.reset();
    const auto timer = start(5, delegate);
    EXPECT_EQ(timer->systemIdleTime(), 0);
    pass(60);
    EXPECT_TRUE(delegate.events.empty());
}

TEST_F(IdleTimerTest, InvalidatingStopsEveryTimerAndForgetsTheDelegate) {
    Recorder delegate(true);
    source->units = 1000;
    const auto timer = start(10, delegate);
    pass(10);
    ASSERT_EQ(delegate.events, (std::vector<std::string>{"begins"}));
    ASSERT_TRUE(timer->continuingIdleTimer());

    timer->invalidate();
    EXPECT_EQ(timer->delegate(), nullptr);
    EXPECT_EQ(timer->idleTimer(), nullptr);
    EXPECT_EQ(timer->continuingIdleTimer(), nullptr);
    source->units = 0;
    pass(100);
    EXPECT_EQ(delegate.events, (std::vector<std::string>{"begins"}))
        << "neither the return poll nor the reminder runs on";
}

TEST_F(IdleTimerTest, ADelegateMayReplaceTheTimerFromInsideItsCallback) {
    Recorder delegate(true);
    source->units = 1000;
    std::shared_ptr<NQSystemIdleTimer> timer = start(10, delegate);
    delegate.onBegins = [&] {
        // The owner lets go of the running timer and starts another, as a presence
        // controller restarting its watch does.
        timer->invalidate();
        timer = start(20, delegate);
    };
    pass(10);
    ASSERT_EQ(delegate.events, (std::vector<std::string>{"begins"}));
    delegate.onBegins = nullptr;
    pass(20);
    EXPECT_EQ(delegate.events, (std::vector<std::string>{"begins", "begins"}))
        << "only the new timer reports";
}

} // namespace
