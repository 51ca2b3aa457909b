#pragma once

#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>

class EngineBackend;
class PhoneService;
class StartupService;

// What the services of one engine share: the road by which answers reach the interface, the
// network behind the engine, and the phone service through which one service reaches another.
// Services keep it by shared pointer; once the engine shuts down, nothing queued runs any more.
class EngineContext : public std::enable_shared_from_this<EngineContext> {
public:
    // Runs work on the main run loop after `delay` seconds, in every mode, so that answers also
    // reach an interface that waits in a modal loop. Dropped when the engine has shut down.
    void post(platform::TimeInterval delay, std::function<void()> work);
    void post(std::function<void()> work) { post(0, std::move(work)); }
    // Wraps a completion for the network so that it runs only while this engine lives.
    template <class F> auto guard(F work) {
        std::weak_ptr<EngineContext> weak = weak_from_this();
        return [weak, work = std::move(work)](auto&&... args) {
            auto self = weak.lock();
            if (self && self->alive_) {
                work(std::forward<decltype(args)>(args)...);
            }
        };
    }

    void shutDown() { alive_ = false; }
    bool alive() const { return alive_; }

    // The network; the simulation of the main bundle's demo data unless one was set.
    std::shared_ptr<EngineBackend> backend();
    void setBackend(std::shared_ptr<EngineBackend> backend) { backend_ = std::move(backend); }

    std::shared_ptr<PhoneService> phone() const { return phone_.lock(); }
    void setPhone(const std::shared_ptr<PhoneService>& phone) { phone_ = phone; }
    StartupService* startup() const { return alive_ ? startup_ : nullptr; }
    void setStartup(StartupService* startup) { startup_ = startup; }

    // Whether the engine runs a session (between start and logout or stop).
    bool started() const { return started_; }
    void setStarted(bool started) { started_ = started; }
    // Whether the network is reachable; when not, the phone status is "network down".
    bool networkUp() const { return networkUp_; }
    void setNetworkUp(bool up) { networkUp_ = up; }

private:
    bool alive_ = true;
    bool started_ = false;
    bool networkUp_ = true;
    std::shared_ptr<EngineBackend> backend_;
    std::weak_ptr<PhoneService> phone_;
    StartupService* startup_ = nullptr;
};
