#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Application.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using platform::Application;
using platform::Notification;
using platform::TerminateReply;

class Recorder : public platform::ApplicationDelegate {
public:
    std::vector<std::string> calls;
    std::vector<TerminateReply> replies{TerminateReply::Now};
    std::function<void()> whenAskedToTerminate;

    void applicationWillFinishLaunching(const Notification&) override { add("willFinish"); }
    void applicationDidFinishLaunching(const Notification&) override { add("didFinish"); }
    void applicationDidBecomeActive(const Notification&) override { add("didBecomeActive"); }
    void applicationWillResignActive(const Notification&) override { add("willResignActive"); }
    void applicationWillHide(const Notification&) override { add("willHide"); }
    void applicationDidHide(const Notification&) override { add("didHide"); }
    void applicationDidUnhide(const Notification&) override { add("didUnhide"); }
    void applicationWillTerminate(const Notification&) override { add("willTerminate"); }
    TerminateReply applicationShouldTerminate(Application&) override {
        add("shouldTerminate");
        const TerminateReply reply = replies.front();
        if (replies.size() > 1) {
            replies.erase(replies.begin());
        }
        if (auto action = std::exchange(whenAskedToTerminate, nullptr)) {
            action();
        }
        return reply;
    }

private:
    void add(std::string call) { calls.push_back(std::move(call)); }
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        Application::resetSharedApplication();
        app().setDelegate(&delegate);
    }
    void TearDown() override {
        Application::resetSharedApplication();
        platform::RunLoop::resetMain();
    }
    static Application& app() { return Application::sharedApplication(); }
    static void later(std::function<void()> task, platform::RunLoopMode mode) {
        platform::RunLoop::main().performAfterDelay(0, std::move(task), {mode});
    }

    Recorder delegate;
};

TEST_F(ApplicationTest, RunLaunchesThenRunsTheLoopUntilTerminated) {
    later([] { app().terminate(nullptr); }, platform::DefaultRunLoopMode);
    app().run();

    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"willFinish", "didFinish", "didBecomeActive",
                                        "shouldTerminate", "willTerminate"}));
    EXPECT_TRUE(app().isTerminated());
    EXPECT_FALSE(app().isRunning());
    EXPECT_EQ(app().exitStatus(), 0);
}

TEST_F(ApplicationTest, TerminationAnswers) {
    struct Case {
        const char* name;
        std::vector<TerminateReply> replies;
        // Replies handed in while the application waits (in the modal-panel mode).
        std::vector<bool> answers;
        bool terminated;
        int askedTimes;
    };
    const Case cases[] = {
        {"cancel keeps running", {TerminateReply::Cancel}, {}, false, 1},
        {"now quits", {TerminateReply::Now}, {}, true, 1},
        {"later, then yes, quits", {TerminateReply::Later}, {true}, true, 1},
        {"later, then no, keeps running", {TerminateReply::Later}, {false}, false, 1},
    };
    for (const auto& c : cases) {
        SetUp();
        delegate.calls.clear();
        delegate.replies = c.replies;
        for (bool answer : c.answers) {
            later([answer] { app().replyToApplicationShouldTerminate(answer); },
                  platform::ModalPanelRunLoopMode);
        }
        app().terminate(nullptr);

        EXPECT_EQ(app().isTerminated(), c.terminated) << c.name;
        EXPECT_FALSE(app().isWaitingForTerminationReply()) << c.name;
        const auto count = [&](const char* call) {
            return std::count(delegate.calls.begin(), delegate.calls.end(), call);
        };
        EXPECT_EQ(count("shouldTerminate"), c.askedTimes) << c.name;
        EXPECT_EQ(count("willTerminate"), c.terminated ? 1 : 0) << c.name;
    }
}

TEST_F(ApplicationTest, WaitingForTheReplyRunsOnlyModalPanelWork) {
    delegate.replies = {TerminateReply::Later};
    bool defaultWorkRan = false;
    bool modalWorkRan = false;
    later([&] { defaultWorkRan = true; }, platform::DefaultRunLoopMode);
    later([&] { modalWorkRan = true; }, platform::ModalPanelRunLoopMode);
    later([] { app().replyToApplicationShouldTerminate(true); }, platform::ModalPanelRunLoopMode);

    app().terminate(nullptr);

    EXPECT_TRUE(app().isTerminated());
    EXPECT_TRUE(modalWorkRan);
    EXPECT_FALSE(defaultWorkRan);
}

TEST_F(ApplicationTest, AReplyCanComeAfterTheWaitGaveUp) {
    // Under the manual clock the wait ends when nothing is due; the request stays pending
    // and a second request meanwhile is not asked again.
    delegate.replies = {TerminateReply::Later};
    app().terminate(nullptr);
    EXPECT_TRUE(app().isWaitingForTerminationReply());
    app().terminate(nullptr);
    EXPECT_EQ(std::count(delegate.calls.begin(), delegate.calls.end(), "shouldTerminate"), 1);

    app().replyToApplicationShouldTerminate(true);

    EXPECT_TRUE(app().isTerminated());
}

TEST_F(ApplicationTest, ARequestMadeWhileTheDelegateDecidesEndsTheApplicationOnce) {
    // The delegate confirms and asks again from inside its answer; the inner request settles
    // the matter and the outer one must not repeat the ending.
    delegate.replies = {TerminateReply::Later, TerminateReply::Now};
    delegate.whenAskedToTerminate = [] { app().terminate(nullptr); };

    app().terminate(nullptr);

    EXPECT_TRUE(app().isTerminated());
    EXPECT_EQ(std::count(delegate.calls.begin(), delegate.calls.end(), "willTerminate"), 1);
    EXPECT_FALSE(app().isWaitingForTerminationReply());
}

TEST_F(ApplicationTest, HideAndUnhideTellTheDelegateOnce) {
    app().finishLaunching();
    delegate.calls.clear();

    app().hide(nullptr);
    app().hide(nullptr);
    EXPECT_TRUE(app().isHidden());
    EXPECT_FALSE(app().isActive());
    app().unhide(nullptr);
    app().unhide(nullptr);

    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"willResignActive", "willHide", "didHide",
                                                        "didUnhide", "didBecomeActive"}));
    EXPECT_FALSE(app().isHidden());
    EXPECT_TRUE(app().isActive());
}

TEST_F(ApplicationTest, NotificationsReachObserversToo) {
    std::vector<std::string> seen;
    const int owner = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &owner, platform::ApplicationWillTerminateNotification, nullptr,
        [&](const Notification& n) { seen.push_back(n.name); });
    app().terminate(nullptr);
    platform::NotificationCenter::defaultCenter().removeObserver(&owner);
    EXPECT_EQ(seen, (std::vector<std::string>{"ApplicationWillTerminateNotification"}));
}

TEST_F(ApplicationTest, TerminationSignalsBecomeATerminateOnTheMainLoop) {
    platform::RunLoop::resetMain();
    for (int signal : {SIGTERM, SIGINT}) {
        SetUp();
        platform::RunLoop::resetMain();
        app().handleTerminationSignals();
        std::raise(signal);
        EXPECT_FALSE(app().isTerminated()) << "the handler itself must not act";

        const bool ended =
            platform::RunLoop::main().runUntil([] { return app().isTerminated(); }, 5.0);

        EXPECT_TRUE(ended) << signal;
        EXPECT_NE(std::find(delegate.calls.begin(), delegate.calls.end(), "shouldTerminate"),
                  delegate.calls.end());
        app().stopHandlingTerminationSignals();
    }
}

TEST_F(ApplicationTest, QuittingSavesTheDefaultsChangedInTheLastPass) {
    foundation_test::TempDir dir;
    const auto file = dir / "defaults.plist";
    const auto previous = platform::UserDefaults::standardUserDefaults().file();
    platform::UserDefaults::resetStandardUserDefaults(file);
    later(
        [] {
            platform::UserDefaults::standardUserDefaults().setString("quitting", "saved");
            app().terminate(nullptr);
        },
        platform::DefaultRunLoopMode);
    app().run();

    EXPECT_FALSE(platform::UserDefaults::standardUserDefaults().hasUnsavedChanges());
    EXPECT_EQ(platform::UserDefaults(file).stringForKey("quitting"), "saved");
    platform::UserDefaults::resetStandardUserDefaults(previous);
}

} // namespace
