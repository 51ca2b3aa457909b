#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>

namespace platform {

namespace {

// The original's timers treat a non-positive interval as this one.
constexpr TimeInterval kMinimumInterval = 0.0001;
// Longest single wait with the system clock; the loop simply waits again afterwards.
constexpr TimeInterval kMaxWait = 60.0;
// Passes in a row that may find new work due at the same instant before the loop gives up on
// draining (a task that keeps re-posting itself would otherwise hold time still for ever).
constexpr int kMaxPassesPerInstant = 10000;

bool containsMode(const std::vector<std::string>& modes, const std::string& mode) {
    return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

std::vector<std::string> modeList(std::initializer_list<RunLoopMode> modes) {
    std::vector<std::string> list;
    for (RunLoopMode mode : modes)
        if (!containsMode(list, std::string(mode)))
            list.emplace_back(mode);
    if (list.empty())
        list.emplace_back(DefaultRunLoopMode);
    return list;
}

} // namespace

std::vector<std::string> commonModes() {
    return {std::string(DefaultRunLoopMode), std::string(ModalPanelRunLoopMode),
            std::string(EventTrackingRunLoopMode)};
}

TimeInterval SystemClock::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Timer::Timer(TimeInterval interval, bool repeats, Callback callback)
    : interval_(interval > 0 ? interval : kMinimumInterval), repeats_(repeats),
      callback_(std::move(callback)) {}

std::shared_ptr<Timer> Timer::timerWithTimeInterval(TimeInterval interval, bool repeats,
                                                    Callback callback) {
    auto timer = std::make_shared<Timer>(interval, repeats, std::move(callback));
    timer->fireDate_ = RunLoop::main().now() + timer->interval_;
    return timer;
}

std::shared_ptr<Timer> Timer::scheduledTimerWithTimeInterval(TimeInterval interval, bool repeats,
                                                             Callback callback) {
    auto timer = timerWithTimeInterval(interval, repeats, std::move(callback));
    RunLoop::main().addTimer(timer);
    return timer;
}

void Timer::invalidate() {
    if (!valid_)
        return;
    valid_ = false;
    // The loop may hold the last reference; keep this timer alive until we are done here.
    auto keepAlive = weak_from_this().lock();
    if (RunLoop* loop = loop_) {
        loop_ = nullptr;
        loop->removeTimer(this);
    }
    // Whatever the callback captured is released now, unless it is running right now.
    if (!firing_)
        callback_ = nullptr;
}

void Timer::fire() {
    if (!valid_)
        return;
    auto keepAlive = weak_from_this().lock();
    const bool wasFiring = firing_;
    firing_ = true;
    if (callback_)
        callback_(*this);
    firing_ = wasFiring;
    if (!repeats_)
        invalidate();
    if (!valid_ && !firing_)
        callback_ = nullptr;
}

struct RunLoop::Impl {
    struct TimerEntry {
        std::shared_ptr<Timer> timer;
        std::vector<std::string> modes;
    };
    struct TaskEntry {
        TimeInterval fireDate;
        std::uint64_t sequence;
        Task task;
        std::vector<std::string> modes;
    };

    std::vector<TimerEntry> timers;
    std::map<TaskId, TaskEntry> tasks;
    TaskId nextTaskId = 1;
    std::uint64_t nextSequence = 1;

    std::mutex postedMutex;
    std::condition_variable postedCondition;
    std::deque<Task> posted;

    bool hasPosted() {
        std::lock_guard lock(postedMutex);
        return !posted.empty();
    }
};

namespace {

// Keeps the mode stack and the running depth right however a pass ends.
class PassScope {
public:
    PassScope(int& depth, std::vector<std::string>& stack, const std::string& mode)
        : depth_(depth), stack_(stack) {
        ++depth_;
        stack_.push_back(mode);
    }
    ~PassScope() {
        --depth_;
        if (!stack_.empty())
            stack_.pop_back();
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    int& depth_;
    std::vector<std::string>& stack_;
};

} // namespace

RunLoop& RunLoop::main() {
    // Never destroyed: timers and tasks of objects torn down by static destruction at exit
    // leave it then.
    static auto* loop = new RunLoop();
    return *loop;
}

void RunLoop::resetMain(std::shared_ptr<Clock> clock) {
    RunLoop& loop = main();
    std::vector<Impl::TimerEntry> timers;
    timers.swap(loop.impl_->timers);
    for (auto& entry : timers) {
        entry.timer->loop_ = nullptr;
        entry.timer->invalidate();
    }
    timers.clear();
    std::map<TaskId, Impl::TaskEntry> tasks;
    tasks.swap(loop.impl_->tasks);
    tasks.clear();
    std::deque<Task> posted;
    {
        std::lock_guard lock(loop.impl_->postedMutex);
        posted.swap(loop.impl_->posted);
    }
    posted.clear();
    loop.source_ = nullptr;
    loop.depth_ = 0;
    loop.modeStack_.clear();
    loop.stopRequested_ = false;
    loop.setClock(std::move(clock));
}

RunLoop::RunLoop(std::shared_ptr<Clock> clock)
    : impl_(std::make_unique<Impl>()),
      clock_(clock ? std::move(clock) : std::make_shared<SystemClock>()) {}

RunLoop::~RunLoop() {
    std::vector<Impl::TimerEntry> timers;
    timers.swap(impl_->timers);
    for (auto& entry : timers) {
        entry.timer->loop_ = nullptr;
        entry.timer->invalidate();
    }
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    clock_ = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

ManualClock* RunLoop::manualClock() const {
    return dynamic_cast<ManualClock*>(clock_.get());
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer,
                       std::initializer_list<RunLoopMode> modes) {
    addTimer(timer, modeList(modes));
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, const std::vector<std::string>& modes) {
    if (!timer || !timer->valid_)
        return;
    if (timer->loop_ && timer->loop_ != this)
        timer->loop_->removeTimer(timer.get());
    std::vector<std::string> list = modes;
    if (list.empty())
        list.emplace_back(DefaultRunLoopMode);
    auto it = std::find_if(impl_->timers.begin(), impl_->timers.end(),
                           [&](const Impl::TimerEntry& e) { return e.timer == timer; });
    if (it != impl_->timers.end()) {
        for (auto& mode : list)
            if (!containsMode(it->modes, mode))
                it->modes.push_back(mode);
        return;
    }
    impl_->timers.push_back({timer, std::move(list)});
    timer->loop_ = this;
    timer->sequence_ = impl_->nextSequence++;
}

void RunLoop::removeTimer(Timer* timer) {
    auto& timers = impl_->timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Impl::TimerEntry& e) { return e.timer.get() == timer; });
    if (it == timers.end())
        return;
    // Drop the reference after the entry is gone, so a destructor cannot see a half-erased
    // list.
    auto keep = std::move(it->timer);
    timers.erase(it);
    if (keep && keep->loop_ == this)
        keep->loop_ = nullptr;
}

RunLoop::TaskId RunLoop::performAfterDelay(TimeInterval delay, Task task,
                                           std::initializer_list<RunLoopMode> modes) {
    const TaskId id = impl_->nextTaskId++;
    const TimeInterval date = now() + (delay > 0 ? delay : 0);
    impl_->tasks.emplace(
        id, Impl::TaskEntry{date, impl_->nextSequence++, std::move(task), modeList(modes)});
    return id;
}

RunLoop::TaskId RunLoop::performInModes(Task task, const std::vector<std::string>& modes) {
    const TaskId id = impl_->nextTaskId++;
    std::vector<std::string> list = modes;
    if (list.empty())
        list.emplace_back(DefaultRunLoopMode);
    impl_->tasks.emplace(id, Impl::TaskEntry{now(), impl_->nextSequence++, std::move(task), list});
    return id;
}

void RunLoop::cancelTask(TaskId id) {
    impl_->tasks.erase(id);
}

void RunLoop::postFromAnyThread(Task task) {
    {
        std::lock_guard lock(impl_->postedMutex);
        impl_->posted.push_back(std::move(task));
    }
    impl_->postedCondition.notify_all();
    if (RunLoopSource* source = source_)
        source->wakeUp();
}

bool RunLoop::firePending(const std::string& mode) {
    bool handled = false;
    std::deque<Task> posted;
    {
        std::lock_guard lock(impl_->postedMutex);
        posted.swap(impl_->posted);
    }
    for (Task& task : posted) {
        if (task)
            task();
        handled = true;
    }

    struct Due {
        TimeInterval date;
        std::uint64_t sequence;
        std::shared_ptr<Timer> timer;
        TaskId task;
    };
    const TimeInterval current = now();
    std::vector<Due> due;
    for (const auto& entry : impl_->timers) {
        const Timer& t = *entry.timer;
        if (t.valid_ && t.fireDate_ <= current && containsMode(entry.modes, mode))
            due.push_back({t.fireDate_, t.sequence_, entry.timer, 0});
    }
    for (const auto& [id, entry] : impl_->tasks)
        if (entry.fireDate <= current && containsMode(entry.modes, mode))
            due.push_back({entry.fireDate, entry.sequence, nullptr, id});
    std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return a.date != b.date ? a.date < b.date : a.sequence < b.sequence;
    });

    for (Due& item : due) {
        if (item.timer) {
            Timer& t = *item.timer;
            // An earlier callback of this pass may have invalidated or moved it.
            if (!t.valid_ || t.loop_ != this || t.fireDate_ > current)
                continue;
            if (t.repeats_) {
                // The next date keeps the period; dates missed while the loop was busy are
                // skipped rather than fired in a burst.
                TimeInterval next = t.fireDate_ + t.interval_;
                if (next <= current) {
                    const double missed = std::floor((current - next) / t.interval_) + 1;
                    next += missed * t.interval_;
                    if (next <= current)
                        next += t.interval_;
                }
                t.fireDate_ = next;
                t.sequence_ = impl_->nextSequence++;
            }
            t.fire();
            handled = true;
        } else {
            auto it = impl_->tasks.find(item.task);
            if (it == impl_->tasks.end())
                continue;
            Task task = std::move(it->second.task);
            impl_->tasks.erase(it);
            if (task)
                task();
            handled = true;
        }
    }
    return handled;
}

std::optional<TimeInterval> RunLoop::nextDueDate(const std::string& mode) const {
    std::optional<TimeInterval> next;
    for (const auto& entry : impl_->timers)
        if (entry.timer->valid_ && containsMode(entry.modes, mode) &&
            (!next || entry.timer->fireDate_ < *next))
            next = entry.timer->fireDate_;
    for (const auto& [id, entry] : impl_->tasks)
        if (containsMode(entry.modes, mode) && (!next || entry.fireDate < *next))
            next = entry.fireDate;
    return next;
}

bool RunLoop::hasWorkIn(const std::string& mode) const {
    return source_ != nullptr || nextDueDate(mode).has_value() || impl_->hasPosted();
}

bool RunLoop::runPass(const std::string& mode, TimeInterval limitDate, bool mayWait,
                      TimeInterval maxWait) {
    PassScope scope(depth_, modeStack_, mode);
    bool handled = firePending(mode);
    if (handled || !mayWait || clock_->isManual())
        return handled;

    TimeInterval wakeAt = limitDate;
    if (auto next = nextDueDate(mode))
        wakeAt = std::min(wakeAt, *next);
    TimeInterval timeout = std::clamp(wakeAt - now(), 0.0, std::max(0.0, maxWait));
    if (std::isnan(timeout))
        timeout = 0;
    if (impl_->hasPosted())
        timeout = 0;
    if (source_) {
        handled = source_->waitAndDispatch(timeout);
    } else if (timeout > 0) {
        std::unique_lock lock(impl_->postedMutex);
        impl_->postedCondition.wait_for(lock, std::chrono::duration<double>(timeout),
                                        [this] { return !impl_->posted.empty(); });
    }
    return firePending(mode) || handled;
}

bool RunLoop::runMode(RunLoopMode mode, TimeInterval limitDate) {
    const std::string name(mode);
    if (!hasWorkIn(name))
        return false;
    runPass(name, limitDate, true, kMaxWait);
    return true;
}

void RunLoop::run() {
    const std::string mode(DefaultRunLoopMode);
    const bool saved = stopRequested_;
    stopRequested_ = false;
    while (!stopRequested_) {
        if (ManualClock* manual = manualClock()) {
            if (runPass(mode, now(), false, 0))
                continue;
            // Nothing due: time jumps to the next timer, and a loop with nothing left to do
            // returns instead of spinning for ever.
            auto next = nextDueDate(mode);
            if (!next)
                break;
            if (*next > manual->now())
                manual->setNow(*next);
        } else {
            runPass(mode, now() + kMaxWait, true, kMaxWait);
        }
    }
    stopRequested_ = saved;
}

void RunLoop::stop() {
    stopRequested_ = true;
    impl_->postedCondition.notify_all();
    if (source_)
        source_->wakeUp();
}

std::string RunLoop::currentMode() const {
    return modeStack_.empty() ? std::string(DefaultRunLoopMode) : modeStack_.back();
}

void RunLoop::runFor(TimeInterval duration, RunLoopMode mode) {
    const std::string name(mode);
    const TimeInterval end = now() + std::max(0.0, duration);
    if (ManualClock* manual = manualClock()) {
        for (;;) {
            int passes = 0;
            while (passes < kMaxPassesPerInstant && runPass(name, end, false, 0))
                ++passes;
            if (passes == kMaxPassesPerInstant)
                break;
            auto next = nextDueDate(name);
            if (!next || *next > end)
                break;
            if (*next > manual->now())
                manual->setNow(*next);
        }
        if (manual->now() < end)
            manual->setNow(end);
        runUntilIdle(mode);
        return;
    }
    while (now() < end)
        runPass(name, end, true, end - now());
}

void RunLoop::runUntilIdle(RunLoopMode mode) {
    const std::string name(mode);
    for (int passes = 0; passes < kMaxPassesPerInstant; ++passes)
        if (!runPass(name, now(), false, 0))
            return;
}

bool RunLoop::runUntil(const std::function<bool()>& done, TimeInterval timeout, RunLoopMode mode) {
    if (done())
        return true;
    const std::string name(mode);
    const TimeInterval end = now() + std::max(0.0, timeout);
    if (ManualClock* manual = manualClock()) {
        for (;;) {
            int passes = 0;
            while (passes < kMaxPassesPerInstant && runPass(name, end, false, 0)) {
                if (done())
                    return true;
                ++passes;
            }
            if (passes == kMaxPassesPerInstant)
                break;
            auto next = nextDueDate(name);
            if (!next || *next > end)
                break;
            if (*next > manual->now())
                manual->setNow(*next);
        }
        if (manual->now() < end)
            manual->setNow(end);
        runUntilIdle(mode);
        return done();
    }
    // Poll the predicate often: what it watches may change on another thread without a post.
    while (!done()) {
        const TimeInterval left = end - now();
        if (left <= 0)
            return false;
        runPass(name, end, true, std::min(left, 0.01));
    }
    return true;
}

std::size_t RunLoop::pendingCount() const {
    std::size_t count = impl_->tasks.size();
    for (const auto& entry : impl_->timers)
        if (entry.timer->valid_)
            ++count;
    std::lock_guard lock(impl_->postedMutex);
    return count + impl_->posted.size();
}

} // namespace platform
