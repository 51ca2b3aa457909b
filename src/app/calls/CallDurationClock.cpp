#include "app/calls/CallDurationClock.h"

#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

std::atomic<bool> gVirtualTime{false};

} // namespace

// What the two threads share. The main thread's side (`show`, `shown`) is touched only on the
// main thread; the rest under the lock.
struct CallDurationClock::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    long long pendingSeconds = 0;
    // Main thread only: cleared by stop(), so that a text still on its way is dropped.
    Show show;
};

CallDurationClock::CallDurationClock(Show show)
    : _shared(std::make_shared<Shared>()), _owner(std::this_thread::get_id()),
      _virtual(gVirtualTime.load()) {
    _shared->show = std::move(show);
    _thread = std::thread([this] { run(); });
}

CallDurationClock::~CallDurationClock() {
    stop();
}

void CallDurationClock::setVirtualTime(bool on) {
    gVirtualTime = on;
}

std::string CallDurationClock::textForSeconds(long long seconds) {
    if (seconds < 0)
        seconds = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60,
                  seconds % 60);
    return text;
}

bool CallDurationClock::isRunning() const {
    std::lock_guard lock(_shared->mutex);
    return !_shared->stopping;
}

void CallDurationClock::advance(long long seconds) {
    {
        std::lock_guard lock(_shared->mutex);
        _shared->pendingSeconds += seconds;
    }
    _shared->wake.notify_all();
}

void CallDurationClock::run() {
    // The elapsed seconds belong to this thread alone.
    long long elapsed = 0;
    auto shared = _shared;
    const bool virtualTime = _virtual;
    for (;;) {
        long long passed = 0;
        {
            std::unique_lock lock(shared->mutex);
            auto due = [&] { return shared->stopping || shared->pendingSeconds > 0; };
            if (virtualTime) {
                shared->wake.wait(lock, due);
            } else if (!shared->wake.wait_for(lock, std::chrono::seconds(1), due)) {
                shared->pendingSeconds += 1;
            }
            if (shared->stopping)
                return;
            passed = shared->pendingSeconds;
            shared->pendingSeconds = 0;
        }
        elapsed += passed;
        // Several seconds at once (a slow pass, or virtual time) show as one new text.
        platform::RunLoop::main().postFromAnyThread([shared, text = textForSeconds(elapsed)] {
            if (shared->show)
                shared->show(text);
        });
    }
}

void CallDurationClock::stop() {
    {
        std::lock_guard lock(_shared->mutex);
        _shared->stopping = true;
    }
    _shared->wake.notify_all();
    // The texts already on their way are dropped on the main thread.
    if (std::this_thread::get_id() == _owner) {
        _shared->show = nullptr;
    } else {
        platform::RunLoop::main().postFromAnyThread([shared = _shared] { shared->show = nullptr; });
    }
    if (_thread.joinable()) {
        if (_thread.get_id() == std::this_thread::get_id())
            _thread.detach();
        else
            _thread.join();
    }
}
