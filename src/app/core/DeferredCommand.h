#pragma once

#include "platform/foundation/Object.h"

#include <memory>
#include <mutex>
#include <string>

namespace platform {
class Timer;
}

// A request from outside (a link opened in another program) that may come before the engine
// has started or while it cannot take a new conversation. The command keeps trying every half
// second, in the run loop's default mode, until it has run; its timer keeps it alive meanwhile,
// so a newer command does not cancel an older one.
class DeferredCommand : public platform::Object,
                        public std::enable_shared_from_this<DeferredCommand> {
public:
    static constexpr double retryInterval = 0.5;

    // Makes the command and schedules its retry timer on the main run loop.
    template <class Command> static std::shared_ptr<Command> initWithTarget(std::string target) {
        auto command = std::make_shared<Command>();
        command->setTarget(std::move(target));
        command->init();
        return command;
    }

    DeferredCommand() = default;
    ~DeferredCommand() override;
    DeferredCommand(const DeferredCommand&) = delete;
    DeferredCommand& operator=(const DeferredCommand&) = delete;

    std::string target() const;
    void setTarget(std::string target);

    // Tries the command; once it has run, the timer goes.
    void timerFired();
    // Whether the action was done (true) or must wait (false). The base has nothing to do.
    virtual bool tryRunCommand() { return true; }
    // Whether the command still waits for its turn.
    bool isWaiting() const;

protected:
    void init();

private:
    mutable std::mutex _targetLock;
    std::string _target;
    // The run loop owns the timer and the timer owns the command, not the other way round.
    std::weak_ptr<platform::Timer> _timer;
};

// An audio call to the target, once the engine has started and allows a new conversation.
class DeferredAudioCall : public DeferredCommand {
public:
    bool tryRunCommand() override;
};

// A video call to the target; the video window comes to the front when it is hidden.
class DeferredVideoCall : public DeferredCommand {
public:
    bool tryRunCommand() override;
};

// A conference call to the target. Links never make one.
class DeferredConferenceCall : public DeferredCommand {
public:
    bool tryRunCommand() override;
};

// A text-message session with the target, once the engine allows a new messaging session.
class DeferredSMS : public DeferredCommand {
public:
    bool tryRunCommand() override;
};
