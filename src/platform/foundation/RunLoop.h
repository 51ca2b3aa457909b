#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Seconds, as a double, like the original's time intervals.
using TimeInterval = double;

// Where the run loop reads the time. Tests install a ManualClock and say how much time passes.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed start.
    virtual TimeInterval now() const = 0;
    // True for a clock that only moves when told (time never passes while the loop waits).
    virtual bool isManual() const { return false; }
};

class SystemClock final : public Clock {
public:
    TimeInterval now() const override;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(TimeInterval start = 0) : now_(start) {}
    TimeInterval now() const override { return now_; }
    bool isManual() const override { return true; }
    void setNow(TimeInterval t) { now_ = t; }
    void advance(TimeInterval dt) { now_ += dt; }

private:
    TimeInterval now_;
};

// Run-loop modes. A timer or posted task fires only while the loop runs in one of its modes.
using RunLoopMode = std::string_view;
inline constexpr RunLoopMode DefaultRunLoopMode = "default";
inline constexpr RunLoopMode ModalPanelRunLoopMode = "modal";
inline constexpr RunLoopMode EventTrackingRunLoopMode = "tracking";
// The three modes together.
std::vector<std::string> commonModes();

class RunLoop;

class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Callback = std::function<void(Timer&)>;

    // A timer scheduled on the main run loop in the default mode, as the original's
    // scheduledTimerWithTimeInterval did. The run loop keeps a valid timer alive.
    static std::shared_ptr<Timer> scheduledTimerWithTimeInterval(TimeInterval interval,
                                                                 bool repeats, Callback callback);
    // A timer not yet scheduled (add it with RunLoop::addTimer); its first fire date is
    // `interval` from now on the main loop's clock.
    static std::shared_ptr<Timer> timerWithTimeInterval(TimeInterval interval, bool repeats,
                                                        Callback callback);

    void invalidate();
    bool isValid() const { return valid_; }
    // Runs the callback now; a non-repeating timer is invalidated by it.
    void fire();
    TimeInterval timeInterval() const { return interval_; }
    bool repeats() const { return repeats_; }
    TimeInterval fireDate() const { return fireDate_; }
    void setFireDate(TimeInterval date) { fireDate_ = date; }

    Timer(TimeInterval interval, bool repeats, Callback callback);

private:
    friend class RunLoop;
    TimeInterval interval_;
    bool repeats_;
    Callback callback_;
    TimeInterval fireDate_ = 0;
    bool valid_ = true;
    std::uint64_t sequence_ = 0;
    // The loop the timer is scheduled on, so that invalidate() can take it out at once.
    RunLoop* loop_ = nullptr;
    bool firing_ = false;
};

// Turns outside input (windows, sockets) into work on the run loop. A screen backend installs
// one so the loop waits on its events and on timers together, without spinning.
class RunLoopSource {
public:
    virtual ~RunLoopSource() = default;
    // Waits at most `timeout` seconds (0: do not wait) for input and handles what arrived.
    // Returns whether anything was handled.
    virtual bool waitAndDispatch(TimeInterval timeout) = 0;
    // Called from any thread to cut a wait short.
    virtual void wakeUp() = 0;
};

// The main thread's loop of timers, posted tasks and input sources. It may run nested: a
// modal alert or a blocking animation runs an inner loop in its own mode.
class RunLoop {
public:
    using Task = std::function<void()>;
    using TaskId = std::uint64_t;

    static RunLoop& main();
    // Puts the main loop back to a fresh state (no timers, tasks or source) with the clock.
    static void resetMain(std::shared_ptr<Clock> clock = std::make_shared<SystemClock>());

    explicit RunLoop(std::shared_ptr<Clock> clock = std::make_shared<SystemClock>());
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    Clock& clock() const { return *clock_; }
    TimeInterval now() const { return clock_->now(); }
    void setClock(std::shared_ptr<Clock> clock);
    // The manual clock in use, or nullptr.
    ManualClock* manualClock() const;

    void addTimer(const std::shared_ptr<Timer>& timer,
                  std::initializer_list<RunLoopMode> modes = {DefaultRunLoopMode});
    void addTimer(const std::shared_ptr<Timer>& timer, const std::vector<std::string>& modes);

    // Runs the task on a later pass of the loop (after `delay` seconds), in the given modes:
    // the original's "perform after delay". Cancel with cancelTask.
    TaskId performAfterDelay(TimeInterval delay, Task task,
                             std::initializer_list<RunLoopMode> modes = {DefaultRunLoopMode});
    TaskId performInModes(Task task, const std::vector<std::string>& modes);
    void cancelTask(TaskId id);
    // From any thread: runs the task on the loop's next pass in any mode. Engine work done on
    // another thread hands its result back this way.
    void postFromAnyThread(Task task);

    // Runs one pass in `mode`: fires due timers, runs due tasks, and otherwise waits for input
    // or the next due time, but not past `limitDate` (an absolute time on the clock). With a
    // manual clock it never waits; time moves only through runFor/advance. Returns false when
    // nothing is scheduled in the mode and there is no source.
    bool runMode(RunLoopMode mode, TimeInterval limitDate);
    // Runs in the default mode until stop() is called.
    void run();
    void stop();
    bool isRunning() const { return depth_ > 0; }
    // The mode of the innermost running pass, or the default mode when not running.
    std::string currentMode() const;

    // Lets `duration` seconds pass in `mode`. With a manual clock the clock moves to each due
    // timer in turn, fires it, and ends exactly `duration` later; with the system clock it runs
    // the loop that long.
    void runFor(TimeInterval duration, RunLoopMode mode = DefaultRunLoopMode);
    // Runs everything that is already due (tasks posted, timers whose date has come) without
    // moving time.
    void runUntilIdle(RunLoopMode mode = DefaultRunLoopMode);
    // Runs in `mode` until the predicate holds or `timeout` seconds have passed on the clock.
    bool runUntil(const std::function<bool()>& done, TimeInterval timeout,
                  RunLoopMode mode = DefaultRunLoopMode);

    void setSource(RunLoopSource* source) { source_ = source; }
    RunLoopSource* source() const { return source_; }

    // Number of valid timers and pending tasks (for tests and diagnostics).
    std::size_t pendingCount() const;

private:
    friend class Timer;
    struct Impl;
    void removeTimer(Timer* timer);
    bool runPass(const std::string& mode, TimeInterval limitDate, bool mayWait,
                 TimeInterval maxWait);
    bool firePending(const std::string& mode);
    bool hasWorkIn(const std::string& mode) const;
    std::optional<TimeInterval> nextDueDate(const std::string& mode) const;
    std::unique_ptr<Impl> impl_;
    std::shared_ptr<Clock> clock_;
    RunLoopSource* source_ = nullptr;
    int depth_ = 0;
    std::vector<std::string> modeStack_;
    bool stopRequested_ = false;
};

} // namespace platform
