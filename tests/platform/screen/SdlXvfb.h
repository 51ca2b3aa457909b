#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

namespace sdltest {

// A virtual X server of our own, 1280 x 800 x 24, on a display number nobody uses.
class Xvfb {
public:
    Xvfb() = default;
    ~Xvfb() { stop(); }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // Starts the server and waits until it takes connections; false with the reason in `why`
    // when it cannot be started.
    bool start(std::string& why);
    // A started server for a test suite, or null with the reason in `why`.
    static std::unique_ptr<Xvfb> started(std::string& why) {
        auto server = std::make_unique<Xvfb>();
        if (!server->start(why))
            server.reset();
        return server;
    }
    void stop();
    bool running() const { return pid_ > 0; }
    // ":N"
    std::string display() const { return ":" + std::to_string(number_); }

private:
    pid_t pid_ = -1;
    int number_ = -1;
};

} // namespace sdltest
