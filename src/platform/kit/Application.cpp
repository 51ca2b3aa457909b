#include "platform/kit/Application.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Menu.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// Never destroyed: an exit() from anywhere (Xlib's fatal-error handler, a fatal start-up
// error) runs static destructors in an order nobody chose, and the application's objects
// would then be torn down after the services they use. main() lets it go itself.
std::unique_ptr<Application>& sharedHolder() {
    static auto* application = new std::unique_ptr<Application>();
    return *application;
}

// The write end of the signal pipe; the handler may only touch lock-free atomics.
std::atomic<int> signalWriteFd{-1};

extern "C" void onTerminationSignal(int signo) {
    const int savedErrno = errno;
    const int fd = signalWriteFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signo);
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

// A self-pipe: the signal handler writes the signal's number, a small thread reads it and
// hands a terminate() to the main run loop. A zero byte tells the thread to end.
struct Application::SignalWatcher {
    int fds[2] = {-1, -1};
    std::thread thread;
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
    bool installed = false;

    bool start() {
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        thread = std::thread([readFd = fds[0]] {
            for (;;) {
                unsigned char byte = 0;
                const auto n = ::read(readFd, &byte, 1);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0 || byte == 0) {
                    return;
                }
                RunLoop::main().postFromAnyThread(
                    [] { Application::sharedApplication().terminateForSignal(); });
            }
        });
        signalWriteFd.store(fds[1]);
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &previousInt);
        sigaction(SIGTERM, &action, &previousTerm);
        installed = true;
        return true;
    }

    ~SignalWatcher() {
        if (installed) {
            sigaction(SIGINT, &previousInt, nullptr);
            sigaction(SIGTERM, &previousTerm, nullptr);
        }
        signalWriteFd.store(-1);
        if (thread.joinable()) {
            const unsigned char quit = 0;
            [[maybe_unused]] const auto written = ::write(fds[1], &quit, 1);
            thread.join();
        }
        for (int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
};

Application& Application::sharedApplication() {
    auto& holder = sharedHolder();
    if (!holder) {
        holder = std::make_unique<Application>();
    }
    return *holder;
}

void Application::resetSharedApplication() {
    // Moved out first, so that objects torn down with it that ask for the shared application
    // get a fresh one instead of the one being destroyed.
    auto old = std::move(sharedHolder());
    old.reset();
}

Application::Application() = default;

Application::~Application() {
    stopHandlingTerminationSignals();
    releaseTopLevelObjects();
}

bool Application::loadMainInterfaceDefinition(std::string_view name) {
    auto objects = InterfaceDefinition::load(name, this);
    if (!objects) {
        return false;
    }
    topLevelObjects_.insert(topLevelObjects_.end(), objects->begin(), objects->end());
    return true;
}

void Application::releaseTopLevelObjects() {
    auto objects = std::move(topLevelObjects_);
    topLevelObjects_.clear();
    objects.clear();
}

void Application::post(std::string_view name,
                       void (ApplicationDelegate::*function)(const Notification&)) {
    const Notification notification{std::string(name), this, {}};
    if (delegate_) {
        (delegate_->*function)(notification);
    }
    NotificationCenter::defaultCenter().postNotification(notification);
}

void Application::finishLaunching() {
    if (launched_) {
        return;
    }
    launched_ = true;
    post(ApplicationWillFinishLaunchingNotification,
         &ApplicationDelegate::applicationWillFinishLaunching);
    post(ApplicationDidFinishLaunchingNotification,
         &ApplicationDelegate::applicationDidFinishLaunching);
    activateIgnoringOtherApps(true);
}

void Application::run() {
    finishLaunching();
    running_ = true;
    stopRequested_ = false;
    auto& loop = RunLoop::main();
    while (!terminated_ && !stopRequested_) {
        loop.run();
        // Under a test's manual clock the loop returns once nothing is due in its mode.
        if (loop.manualClock()) {
            break;
        }
    }
    running_ = false;
}

void Application::stop(Object* /*sender*/) {
    stopRequested_ = true;
    RunLoop::main().stop();
}

void Application::terminate(Object* /*sender*/) {
    if (terminated_ || awaitingReply_) {
        return;
    }
    // An open menu's tracking loop would hold the quit (and its wait for the delegate) up
    // until the user closed the menu.
    Menu::cancelAllTracking();
    const TerminateReply reply =
        delegate_ ? delegate_->applicationShouldTerminate(*this) : TerminateReply::Now;
    // The delegate may itself have asked to terminate again and settled it.
    if (terminated_ || awaitingReply_) {
        return;
    }
    switch (reply) {
    case TerminateReply::Cancel:
        return;
    case TerminateReply::Now:
        finishTermination();
        return;
    case TerminateReply::Later:
        break;
    }

    awaitingReply_ = true;
    auto& loop = RunLoop::main();
    while (awaitingReply_ && !terminated_) {
        const bool answered = loop.runUntil([this] { return !awaitingReply_ || terminated_; },
                                            3600.0, ModalPanelRunLoopMode);
        // Under a test's manual clock nothing can answer once nothing is due in the mode;
        // the reply may still come later from outside the wait.
        if (!answered && loop.manualClock()) {
            return;
        }
    }
    // A stop requested from inside the wait may have ended only the wait's own loop.
    if (terminated_) {
        loop.stop();
    }
}

void Application::terminateForSignal() {
    const bool saved = terminatingForSignal_;
    terminatingForSignal_ = true;
    if (awaitingReply_ && !terminated_ && delegate_) {
        // A quit already waits for its answer (the user's confirmation, say): a signal cannot
        // wait for the user, so the delegate is asked again. Later leaves the answer to the
        // wait under way.
        if (delegate_->applicationShouldTerminate(*this) == TerminateReply::Now)
            finishTermination();
    } else {
        terminate(nullptr);
    }
    terminatingForSignal_ = saved;
}

void Application::replyToApplicationShouldTerminate(bool shouldTerminate) {
    if (!awaitingReply_) {
        return;
    }
    awaitingReply_ = false;
    if (shouldTerminate) {
        finishTermination();
    }
}

void Application::finishTermination() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    awaitingReply_ = false;
    post(ApplicationWillTerminateNotification, &ApplicationDelegate::applicationWillTerminate);
    // Changes wait for the next pass of the loop, which is not coming.
    UserDefaults::standardUserDefaults().synchronize();
    RunLoop::main().stop();
}

void Application::hide(Object* /*sender*/) {
    if (hidden_) {
        return;
    }
    deactivate();
    post(ApplicationWillHideNotification, &ApplicationDelegate::applicationWillHide);
    hidden_ = true;
    post(ApplicationDidHideNotification, &ApplicationDelegate::applicationDidHide);
}

void Application::unhide(Object* /*sender*/) {
    if (!hidden_) {
        return;
    }
    post(ApplicationWillUnhideNotification, &ApplicationDelegate::applicationWillUnhide);
    hidden_ = false;
    post(ApplicationDidUnhideNotification, &ApplicationDelegate::applicationDidUnhide);
    activateIgnoringOtherApps(true);
}

void Application::activateIgnoringOtherApps(bool /*flag*/) {
    if (active_) {
        return;
    }
    post(ApplicationWillBecomeActiveNotification,
         &ApplicationDelegate::applicationWillBecomeActive);
    active_ = true;
    post(ApplicationDidBecomeActiveNotification, &ApplicationDelegate::applicationDidBecomeActive);
}

void Application::deactivate() {
    if (!active_) {
        return;
    }
    post(ApplicationWillResignActiveNotification,
         &ApplicationDelegate::applicationWillResignActive);
    active_ = false;
    post(ApplicationDidResignActiveNotification, &ApplicationDelegate::applicationDidResignActive);
}

void Application::handleTerminationSignals() {
    if (signalWatcher_) {
        return;
    }
    auto watcher = std::make_unique<SignalWatcher>();
    if (!watcher->start()) {
        Log("Termination signals cannot be watched: no pipe");
        return;
    }
    signalWatcher_ = std::move(watcher);
}

void Application::stopHandlingTerminationSignals() {
    signalWatcher_.reset();
}

DockTile& Application::dockTile() {
    if (!dockTile_)
        dockTile_ = std::make_unique<DockTile>();
    return *dockTile_;
}

std::shared_ptr<Image> Application::applicationIconImage() const {
    if (!dockTile_)
        dockTile_ = std::make_unique<DockTile>();
    return dockTile_->applicationIconImage();
}

void Application::setApplicationIconImage(std::shared_ptr<Image> image) {
    dockTile().setApplicationIconImage(std::move(image));
}

int Application::requestUserAttention(RequestUserAttentionType type) {
    return dockTile().requestUserAttention(type);
}

void Application::cancelUserAttentionRequest(int request) {
    dockTile().cancelUserAttentionRequest(request);
}

} // namespace platform
