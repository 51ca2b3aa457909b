#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using platform::ManualClock;
using platform::RunLoop;
using platform::Timer;

namespace {

constexpr platform::RunLoopMode kModal = platform::ModalPanelRunLoopMode;
constexpr platform::RunLoopMode kDefault = platform::DefaultRunLoopMode;

struct Fired {
    std::string what;
    double at;
    bool operator==(const Fired&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fired& f) {
    return out << f.what << "@" << f.at;
}

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<ManualClock>(100.0);
        RunLoop::resetMain(clock);
    }
    void TearDown() override { RunLoop::resetMain(); }

    RunLoop& loop() { return RunLoop::main(); }
    void record(const std::string& what) { fired.push_back({what, clock->now() - 100.0}); }
    std::shared_ptr<Timer> timer(double interval, bool repeats, std::string name,
                                 std::initializer_list<platform::RunLoopMode> modes = {kDefault}) {
        auto t =
            Timer::timerWithTimeInterval(interval, repeats, [this, name](Timer&) { record(name); });
        loop().addTimer(t, modes);
        return t;
    }

    std::shared_ptr<ManualClock> clock;
    std::vector<Fired> fired;
};

TEST_F(RunLoopTest, TimersAndTasksFireInDueOrderWithTheClockAtTheirDate) {
    timer(0.3, false, "c");
    timer(0.1, false, "a");
    loop().performAfterDelay(0.15, [this] { record("task"); });
    timer(0.2, false, "tie-timer");
    loop().performAfterDelay(0.2, [this] { record("tie-task"); });
    loop().runFor(1.0);
    const std::vector<Fired> expected = {
        {"a", 0.1}, {"task", 0.15}, {"tie-timer", 0.2}, {"tie-task", 0.2}, {"c", 0.3}};
    ASSERT_EQ(fired.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(fired[i].what, expected[i].what);
        EXPECT_NEAR(fired[i].at, expected[i].at, 1e-9);
    }
    EXPECT_DOUBLE_EQ(clock->now(), 101.0);
    EXPECT_EQ(loop().pendingCount(), 0u);
}

TEST_F(RunLoopTest, RunForEndsExactlyAtItsDurationAndLeavesLaterTimersPending) {
    auto later = timer(5.0, false, "later");
    loop().runFor(0.75);
    EXPECT_DOUBLE_EQ(clock->now(), 100.75);
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(later->isValid());
    loop().runFor(4.25);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_DOUBLE_EQ(fired[0].at, 5.0);
    EXPECT_FALSE(later->isValid());
}

TEST_F(RunLoopTest, RepeatingTimerKeepsItsPeriodOverALongRun) {
    std::vector<double> times;
    auto t = Timer::timerWithTimeInterval(0.25, true, [&](Timer&) {
        times.push_back(clock->now() - 100.0);
        // A slow callback must not push the following dates back.
        clock->advance(0.1);
    });
    loop().addTimer(t);
    loop().runFor(60.0);
    ASSERT_EQ(times.size(), 240u);
    for (std::size_t i = 0; i < times.size(); ++i)
        ASSERT_NEAR(times[i], 0.25 * static_cast<double>(i + 1), 1e-6) << "firing " << i;
    EXPECT_TRUE(t->isValid());
    EXPECT_NEAR(t->fireDate(), 100.0 + 60.25, 1e-6);
}

TEST_F(RunLoopTest, RepeatingTimerSkipsPeriodsMissedWhileTheLoopWasBusy) {
    int count = 0;
    auto t = Timer::timerWithTimeInterval(1.0, true, [&](Timer&) { ++count; });
    loop().addTimer(t);
    clock->advance(3.5);
    loop().runUntilIdle();
    EXPECT_EQ(count, 1);
    EXPECT_DOUBLE_EQ(t->fireDate(), 104.0);
    loop().runFor(0.4);
    EXPECT_EQ(count, 1);
    loop().runFor(0.1);
    EXPECT_EQ(count, 2);
    // Late by less than a period: the next date still keeps to the period's grid.
    clock->advance(1.3);
    loop().runUntilIdle();
    EXPECT_EQ(count, 3);
    EXPECT_DOUBLE_EQ(t->fireDate(), 106.0);
}

TEST_F(RunLoopTest, InvalidatedTimersNeverFireAndAreReleased) {
    auto t = timer(0.5, false, "never");
    std::weak_ptr<Timer> weak = t;
    t->invalidate();
    t.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(loop().pendingCount(), 0u);
    loop().runFor(1.0);
    EXPECT_TRUE(fired.empty());
}

TEST_F(RunLoopTest, TimerInvalidatedByAnEarlierCallbackOfTheSamePassNeverFires) {
    std::shared_ptr<Timer> victim;
    auto killer = Timer::timerWithTimeInterval(1.0, false, [&](Timer&) {
        record("killer");
        victim->invalidate();
    });
    loop().addTimer(killer);
    victim = timer(1.0, false, "victim");
    auto task = loop().performAfterDelay(1.0, [this] { record("task"); });
    loop().performAfterDelay(0.5, [&] { loop().cancelTask(task); });
    loop().runFor(2.0);
    EXPECT_EQ(fired, (std::vector<Fired>{{"killer", 1.0}}));
}

TEST_F(RunLoopTest, RepeatingTimerCanInvalidateItselfFromItsCallback) {
    int count = 0;
    std::weak_ptr<Timer> weak;
    {
        auto t = Timer::scheduledTimerWithTimeInterval(0.2, true, [&](Timer& self) {
            if (++count == 3)
                self.invalidate();
        });
        weak = t;
    }
    // Only the run loop holds it now.
    EXPECT_FALSE(weak.expired());
    loop().runFor(5.0);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(weak.expired());
}

TEST_F(RunLoopTest, ScheduledTimersUseTheMainLoopsDefaultMode) {
    int count = 0;
    Timer::scheduledTimerWithTimeInterval(0.5, false, [&](Timer&) { ++count; });
    loop().runFor(1.0, kModal);
    EXPECT_EQ(count, 0);
    loop().runFor(0.0);
    EXPECT_EQ(count, 1);
}

TEST_F(RunLoopTest, DefaultModeTimerWaitsOutANestedModalRun) {
    timer(1.0, false, "default");
    timer(1.0, false, "common", {kDefault, kModal, platform::EventTrackingRunLoopMode});
    std::string modeInside;
    auto modalTimer = Timer::timerWithTimeInterval(1.5, false, [&](Timer&) {
        record("modal");
        modeInside = loop().currentMode();
    });
    loop().addTimer(modalTimer, {kModal});
    loop().performAfterDelay(0.5, [&] {
        record("open-modal");
        loop().runFor(2.0, kModal);
        record("close-modal");
    });
    loop().runFor(0.5);
    const std::vector<Fired> expected = {{"open-modal", 0.5},
                                         {"common", 1.0},
                                         {"modal", 1.5},
                                         {"close-modal", 2.5},
                                         {"default", 2.5}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(modeInside, "modal");
    EXPECT_EQ(loop().currentMode(), "default");
    EXPECT_FALSE(loop().isRunning());
}

TEST_F(RunLoopTest, TasksRunOnlyInTheirModes) {
    loop().performAfterDelay(0.1, [this] { record("modal-task"); }, {kModal});
    loop().performInModes([this] { record("now-any"); }, platform::commonModes());
    loop().runFor(1.0);
    EXPECT_EQ(fired, (std::vector<Fired>{{"now-any", 0.0}}));
    loop().runFor(0.0, kModal);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1].what, "modal-task");
}

TEST_F(RunLoopTest, PerformAfterDelayCanBeCancelled) {
    auto keep = loop().performAfterDelay(0.5, [this] { record("kept"); });
    auto drop = loop().performAfterDelay(0.5, [this] { record("dropped"); });
    EXPECT_NE(keep, drop);
    loop().cancelTask(drop);
    loop().cancelTask(9999);
    EXPECT_EQ(loop().pendingCount(), 1u);
    loop().runFor(1.0);
    EXPECT_EQ(fired, (std::vector<Fired>{{"kept", 0.5}}));
    loop().cancelTask(keep);
}

TEST_F(RunLoopTest, TaskScheduledFromACallbackRunsOnALaterPassNotInline) {
    std::vector<std::string> order;
    loop().performAfterDelay(0, [&] {
        order.push_back("first");
        loop().performAfterDelay(0, [&] { order.push_back("deferred"); });
        order.push_back("first-end");
    });
    loop().runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"first", "first-end", "deferred"}));
    EXPECT_DOUBLE_EQ(clock->now(), 100.0);
}

TEST_F(RunLoopTest, PostFromAnotherThreadRunsOnTheLoopThread) {
    const auto loopThread = std::this_thread::get_id();
    std::thread::id ranOn;
    int total = 0;
    std::thread worker([&] {
        for (int i = 1; i <= 100; ++i)
            loop().postFromAnyThread([&, i] {
                total += i;
                ranOn = std::this_thread::get_id();
            });
    });
    worker.join();
    loop().runUntilIdle(kModal);
    EXPECT_EQ(total, 5050);
    EXPECT_EQ(ranOn, loopThread);
}

TEST_F(RunLoopTest, RunStopsWhenAskedAndWhenNothingIsLeft) {
    int count = 0;
    Timer::scheduledTimerWithTimeInterval(1.0, true, [&](Timer&) {
        if (++count == 3)
            loop().stop();
    });
    loop().run();
    EXPECT_EQ(count, 3);
    EXPECT_DOUBLE_EQ(clock->now(), 103.0);
    RunLoop::resetMain(clock);
    loop().performAfterDelay(2.0, [this] { record("last"); });
    loop().run();
    EXPECT_EQ(fired, (std::vector<Fired>{{"last", 5.0}}));
}

TEST_F(RunLoopTest, RunUntilStopsTheClockWhenThePredicateHolds) {
    bool done = false;
    loop().performAfterDelay(1.5, [&] { done = true; });
    timer(3.0, false, "after");
    EXPECT_TRUE(loop().runUntil([&] { return done; }, 10.0));
    EXPECT_DOUBLE_EQ(clock->now(), 101.5);
    EXPECT_TRUE(fired.empty());
    EXPECT_FALSE(loop().runUntil([] { return false; }, 2.0));
    EXPECT_DOUBLE_EQ(clock->now(), 103.5);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(RunLoopTest, RunModeAnswersWhetherAnythingCouldRun) {
    EXPECT_FALSE(loop().runMode(kDefault, clock->now() + 1));
    timer(0.5, false, "x", {kModal});
    EXPECT_FALSE(loop().runMode(kDefault, clock->now() + 1));
    EXPECT_TRUE(loop().runMode(kModal, clock->now() + 1));
    EXPECT_TRUE(fired.empty()); // the manual clock does not move by itself
}

TEST_F(RunLoopTest, ResetMainForgetsEverything) {
    auto t = timer(0.5, true, "old");
    loop().performAfterDelay(0.5, [this] { record("old-task"); });
    loop().postFromAnyThread([this] { record("old-post"); });
    auto fresh = std::make_shared<ManualClock>(0);
    RunLoop::resetMain(fresh);
    EXPECT_FALSE(t->isValid());
    EXPECT_EQ(loop().pendingCount(), 0u);
    EXPECT_EQ(loop().manualClock(), fresh.get());
    loop().runFor(2.0);
    EXPECT_TRUE(fired.empty());
}

TEST_F(RunLoopTest, TimerMovedToAnotherLoopLeavesTheFirst) {
    RunLoop other(clock);
    auto t = timer(0.5, false, "moved");
    other.addTimer(t);
    EXPECT_EQ(loop().pendingCount(), 0u);
    loop().runFor(1.0);
    EXPECT_TRUE(fired.empty());
    other.runUntilIdle();
    EXPECT_EQ(fired.size(), 1u);
}

class FakeSource : public platform::RunLoopSource {
public:
    bool waitAndDispatch(platform::TimeInterval timeout) override {
        timeouts.push_back(timeout);
        std::unique_lock lock(mutex);
        condition.wait_for(lock, std::chrono::duration<double>(timeout), [&] { return woken; });
        woken = false;
        return false;
    }
    void wakeUp() override {
        {
            std::lock_guard lock(mutex);
            woken = true;
        }
        ++wakeUps;
        condition.notify_all();
    }
    std::vector<double> timeouts;
    std::atomic<int> wakeUps{0};
    std::mutex mutex;
    std::condition_variable condition;
    bool woken = false;
};

class SystemClockRunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::resetMain(); }
    void TearDown() override { RunLoop::resetMain(); }
    RunLoop& loop() { return RunLoop::main(); }
};

TEST_F(SystemClockRunLoopTest, RunForReallyWaitsAndFiresTimersOnTime) {
    int count = 0;
    Timer::scheduledTimerWithTimeInterval(0.02, true, [&](Timer&) { ++count; });
    const auto start = std::chrono::steady_clock::now();
    loop().runFor(0.11);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(elapsed, 0.11);
    EXPECT_LT(elapsed, 2.0);
    EXPECT_GE(count, 3);
    EXPECT_LE(count, 6);
}

TEST_F(SystemClockRunLoopTest, PostFromAnotherThreadWakesAWaitingLoop) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop().postFromAnyThread([&] { done = true; });
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(loop().runUntil([&] { return done.load(); }, 5.0));
    worker.join();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
}

TEST_F(SystemClockRunLoopTest, SourceWaitsNoLongerThanTheNextTimerAndIsWokenByPosts) {
    FakeSource source;
    loop().setSource(&source);
    bool fired = false;
    Timer::scheduledTimerWithTimeInterval(0.05, false, [&](Timer&) { fired = true; });
    EXPECT_TRUE(loop().runUntil([&] { return fired; }, 5.0));
    ASSERT_FALSE(source.timeouts.empty());
    for (double timeout : source.timeouts)
        EXPECT_LE(timeout, 0.05 + 1e-9);

    bool posted = false;
    std::thread worker([&] { loop().postFromAnyThread([&] { posted = true; }); });
    worker.join();
    EXPECT_GE(source.wakeUps.load(), 1);
    EXPECT_TRUE(loop().runMode(kDefault, loop().now() + 1.0));
    EXPECT_TRUE(posted);
    loop().setSource(nullptr);
}

} // namespace
