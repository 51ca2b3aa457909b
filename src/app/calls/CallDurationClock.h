#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The running clock of a call's duration. It counts seconds on a thread of its own and hands
// each new text ("hh:mm:ss", hours not wrapped at 24) to the main thread, where `show` runs;
// `show` never runs off the main thread nor after stop(). stop() may be called from either
// thread and more than once; the thread ends at once.
class CallDurationClock {
public:
    using Show = std::function<void(const std::string& text)>;

    explicit CallDurationClock(Show show);
    ~CallDurationClock();
    CallDurationClock(const CallDurationClock&) = delete;
    CallDurationClock& operator=(const CallDurationClock&) = delete;

    void stop();
    bool isRunning() const;

    // The clock's text after so many whole seconds.
    static std::string textForSeconds(long long seconds);

    // Tests: clocks made from now on count only the seconds given to advance(), not real ones.
    static void setVirtualTime(bool on);
    // With virtual time: lets that many seconds pass on this clock's thread.
    void advance(long long seconds);

private:
    struct Shared;
    void run();

    std::shared_ptr<Shared> _shared;
    std::thread _thread;
    // The thread that made the clock: the interface thread.
    std::thread::id _owner;
    bool _virtual;
};
