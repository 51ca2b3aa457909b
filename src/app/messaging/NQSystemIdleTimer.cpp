#include "app/messaging/NQSystemIdleTimer.h"

#include <utility>

namespace {

// How often the return of an idle user is looked for, in seconds.
constexpr double kReturnCheckInterval = 1.0;

void invalidateTimer(std::shared_ptr<platform::Timer>& timer) {
    if (timer)
        timer->invalidate();
    timer.reset();
}

} // namespace

std::shared_ptr<NQSystemIdleTimer>
NQSystemIdleTimer::initSystemIdleTimerWithTimeInterval(
    double seconds, std::shared_ptr<platform::IdleTimeSource> source) {
    std::shared_ptr<NQSystemIdleTimer> timer(new NQSystemIdleTimer(
        seconds, source ? std::move(source) : platform::IdleTimeSource::system()));
    timer->setIdleTimer(timer->scheduleCheck(seconds, &NQSystemIdleTimer::checkIdleStatus));
    return timer;
}

NQSystemIdleTimer::NQSystemIdleTimer(double seconds,
                                     std::shared_ptr<platform::IdleTimeSource> source)
    : _timeInterval(seconds), _source(std::move(source)) {}

NQSystemIdleTimer::~NQSystemIdleTimer() {
    invalidate();
}

void NQSystemIdleTimer::invalidate() {
    invalidateTimer(_idleTimer);
    invalidateTimer(_returnCheckTimer);
    invalidateTimer(_continuingIdleTimer);
    _delegate = nullptr;
    _valid = false;
}

std::int32_t NQSystemIdleTimer::systemIdleTime() const {
    const std::optional<std::uint64_t> nanoseconds = _source ? _source->idleNanoseconds()
                                                             : std::nullopt;
    if (!nanoseconds)
        return 0;
    return static_cast<std::int32_t>(*nanoseconds >> 30);
}

void NQSystemIdleTimer::setIdleTimer(std::shared_ptr<platform::Timer> timer) {
    _idleTimer = std::move(timer);
}

void NQSystemIdleTimer::setContinuingIdleTimer(std::shared_ptr<platform::Timer> timer) {
    _continuingIdleTimer = std::move(timer);
}

std::shared_ptr<platform::Timer>
NQSystemIdleTimer::scheduleCheck(double seconds, void (NQSystemIdleTimer::*step)()) {
    // The timer holds the watch weakly; while a step runs, it holds it strongly, so a delegate
    // that lets go of the watch from inside a callback does not destroy it under its own feet.
    std::weak_ptr<NQSystemIdleTimer> weak = weak_from_this();
    return platform::Timer::scheduledTimerWithTimeInterval(
        seconds, false, [weak, step](platform::Timer&) {
            if (std::shared_ptr<NQSystemIdleTimer> self = weak.lock())
                ((*self).*step)();
        });
}

void NQSystemIdleTimer::checkIdleStatus() {
    _idleTimer.reset();
    const double remaining = _timeInterval - static_cast<double>(systemIdleTime());
    if (remaining > 0) {
        setIdleTimer(scheduleCheck(remaining, &NQSystemIdleTimer::checkIdleStatus));
        return;
    }
    if (_delegate)
        _delegate->timerBeginsIdling(*this);
    if (!_valid) // invalidated from inside the callback
        return;
    _returnCheckTimer = scheduleCheck(kReturnCheckInterval, &NQSystemIdleTimer::checkIfStillIdle);
    if (_delegate && _delegate->wantsTimerContinuesIdling()) {
        std::weak_ptr<NQSystemIdleTimer> weak = weak_from_this();
        setContinuingIdleTimer(platform::Timer::scheduledTimerWithTimeInterval(
            _timeInterval, true, [weak](platform::Timer& timer) {
                std::shared_ptr<NQSystemIdleTimer> self = weak.lock();
                if (self && self->_delegate)
                    self->_delegate->timerContinuesIdling(timer);
            }));
    }
}

void NQSystemIdleTimer::checkIfStillIdle() {
    _returnCheckTimer.reset();
    if (systemIdleTime() > 1) {
        _returnCheckTimer =
            scheduleCheck(kReturnCheckInterval, &NQSystemIdleTimer::checkIfStillIdle);
        return;
    }
    invalidateTimer(_continuingIdleTimer);
    if (_delegate)
        _delegate->timerFinishedIdling(*this);
    if (!_valid)
        return;
    setIdleTimer(scheduleCheck(_timeInterval, &NQSystemIdleTimer::checkIdleStatus));
}
