#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/system/IdleTimeSource.h"

#include <cstdint>
#include <memory>

class NQSystemIdleTimer;

// Told when the user has been idle for the timer's interval, while the idleness lasts, and
// when the user is back. Every message is optional.
class NQSystemIdleTimerDelegate {
public:
    virtual ~NQSystemIdleTimerDelegate() = default;
    virtual void timerBeginsIdling(NQSystemIdleTimer& /*timer*/) {}
    // Sent every interval while idleness lasts, with the repeating timer that sends it; only
    // to a delegate that wants it.
    virtual void timerContinuesIdling(platform::Timer& /*timer*/) {}
    virtual bool wantsTimerContinuesIdling() const { return false; }
    virtual void timerFinishedIdling(NQSystemIdleTimer& /*timer*/) {}
};

// Watches how long the desktop has gone without input and tells its delegate when that reaches
// the interval, while it lasts and when the user comes back. It only uses main run-loop
// timers: a one-shot check that fires when the interval would be reached, a 1 s poll while
// idle, and the repeating reminder.
class NQSystemIdleTimer : public std::enable_shared_from_this<NQSystemIdleTimer> {
public:
    // A running timer over the given source (the desktop's own when none is given).
    static std::shared_ptr<NQSystemIdleTimer>
    initSystemIdleTimerWithTimeInterval(double seconds,
                                        std::shared_ptr<platform::IdleTimeSource> source = nullptr);
    ~NQSystemIdleTimer();
    NQSystemIdleTimer(const NQSystemIdleTimer&) = delete;
    NQSystemIdleTimer& operator=(const NQSystemIdleTimer&) = delete;

    void setDelegate(NQSystemIdleTimerDelegate* delegate) { _delegate = delegate; }
    NQSystemIdleTimerDelegate* delegate() const { return _delegate; }
    double timeInterval() const { return _timeInterval; }

    // Stops every timer of the watch, the poll and the reminder of an idle period included,
    // and forgets the delegate: nothing is sent afterwards.
    void invalidate();

    // The idle time in units of 2^30 nanoseconds (close to seconds); 0 when the desktop does
    // not say.
    std::int32_t systemIdleTime() const;

    const std::shared_ptr<platform::Timer>& idleTimer() const { return _idleTimer; }
    void setIdleTimer(std::shared_ptr<platform::Timer> timer);
    const std::shared_ptr<platform::Timer>& continuingIdleTimer() const {
        return _continuingIdleTimer;
    }
    void setContinuingIdleTimer(std::shared_ptr<platform::Timer> timer);

private:
    NQSystemIdleTimer(double seconds, std::shared_ptr<platform::IdleTimeSource> source);
    // A one-shot main-loop timer that runs `step` on this object while it lives.
    std::shared_ptr<platform::Timer> scheduleCheck(double seconds,
                                                   void (NQSystemIdleTimer::*step)());
    void checkIdleStatus();
    void checkIfStillIdle();

    NQSystemIdleTimerDelegate* _delegate = nullptr;
    bool _valid = true;
    double _timeInterval;
    std::shared_ptr<platform::IdleTimeSource> _source;
    std::shared_ptr<platform::Timer> _idleTimer;
    std::shared_ptr<platform::Timer> _continuingIdleTimer;
    // The 1 s poll for the user's return, kept so that invalidate can stop it.
    std::shared_ptr<platform::Timer> _returnCheckTimer;
};
