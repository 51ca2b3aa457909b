// The real screen on a virtual X server: signing out through the icon menu and in again
// through the login view, a hundred times, with input sent to the server as a user's would be
// (XTest) while another thread keeps waking the main loop, as the engine's and the signal
// watcher's threads do. Skipped when Xvfb or XTest cannot be had.
#include "app/core/MainWindowMenuBar.h"
#include "app/core/SignInTestSupport.h"
#include "platform/kit/Screen.h"
#include "platform/screen/ScreenSelection.h"
#include "platform/screen/SdlXvfb.h"
#include "platform/screen/XTestInput.h"
#include "platform/screen/X11ErrorHandler.h"
#include "widgets/QXFrameView.h"

#include <atomic>
#include <memory>
#include <thread>

namespace app_test {
namespace {

class SessionCyclesTest : public SignInTest {
protected:
    static void SetUpTestSuite() { server = sdltest::Xvfb::started(why); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        SignInTest::SetUp();
        if (!server)
            GTEST_SKIP() << "No virtual X server: " << why;
        if (!input.open(server->display(), why))
            GTEST_SKIP() << why;
        display.emplace("DISPLAY", server->display().c_str());
        driver.emplace("SDL_VIDEODRIVER", "x11");
        // The network answers at once, so that the cycles take the login view's own delay.
        startOver(bundleWithDemo([](platform::Value& demo) {
            platform::Value latency = demo["latency"];
            for (const char* step : {"login", "logout", "accountEnable", "accountDisable"})
                latency.setObject(step, platform::Value(0.02));
            demo.setObject("latency", std::move(latency));
        }));
        platform::setScreenBackend(nullptr);
        platform::WindowServer::shared().reset();
        platform::RunLoop::resetMain();
        ASSERT_EQ(platform::installScreenBackend(false).name(), "sdl2");
        screen = nullptr;
    }
    void TearDown() override {
        platform::Menu::setTrackingHook({});
        SignInTest::TearDown();
    }

    // Clicks the centre of a rectangle of a view, through the server.
    void clickOn(const platform::View& view, const platform::Rect& rect) {
        const platform::Point base = view.convertPointToView(rect.center(), nullptr);
        clickAt(*view.window(), base);
    }
    void clickAt(const platform::Window& window, platform::Point base) {
        const double height = platform::Screen::mainScreen()->frame().height();
        const platform::Rect frame = window.frame();
        input.click(static_cast<int>(frame.minX() + base.x),
                    static_cast<int>(height - (frame.minY() + base.y)));
    }
    static MainWindowMenuBar* bar() {
        for (const auto& view : window().frameView()->subviews())
            if (auto* found = dynamic_cast<MainWindowMenuBar*>(view.get()))
                return found;
        return nullptr;
    }

    static inline std::unique_ptr<sdltest::Xvfb> server;
    static inline std::string why;
    sdltest::XTestInput input;
    std::optional<foundation_test::ScopedEnv> display;
    std::optional<foundation_test::ScopedEnv> driver;
};

TEST_F(SessionCyclesTest, SignsOutAndInAHundredTimesThroughTheMenusOnARealScreen) {
    constexpr int kCycles = 100;
    launch();
    auto& loop = platform::RunLoop::main();
    ASSERT_TRUE(loop.runUntil([] { return view() == "login"; }, 20)) << view();

    // Another thread wakes the main loop all the time, as the engine's threads do.
    std::atomic<bool> stop{false};
    std::thread waker([&stop] {
        while (!stop) {
            platform::RunLoop::main().postFromAnyThread([] {});
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });

    // The icon menu, while it is open.
    std::weak_ptr<platform::Menu> opened;
    platform::Menu::setTrackingHook(
        [&opened](platform::Menu& menu) { opened = menu.weak_from_this(); });

    enum class Step { signIn, waitForMain, openMenu, chooseLogout, waitForLogin };
    Step step = Step::signIn;
    int cycles = 0;
    double since = loop.now();
    std::string stuck;
    const auto moveTo = [&](Step next) {
        step = next;
        since = loop.now();
    };
    // Each tick looks at the screen and does the next thing a user would; it runs in every
    // mode, so also while the menu tracks the pointer in its own loop.
    auto ticker = platform::Timer::timerWithTimeInterval(0.02, true, [&](platform::Timer&) {
        const auto open = opened.lock();
        if (loop.now() - since > 10 && stuck.empty())
            stuck = "step " + std::to_string(static_cast<int>(step)) + " of cycle " +
                    std::to_string(cycles) + " in view " + view();
        switch (step) {
        case Step::signIn:
            if (view() == "login" && !login().loggingIn() && !engine().started()) {
                login().username()->setStringValue("alice");
                login().password()->setStringValue("wonderland");
                // What typing would tell the view: the fields are complete.
                login().textChanged(nullptr);
                platform::Button* button = login().loginButton();
                clickOn(*button, button->bounds());
                moveTo(Step::waitForMain);
            }
            break;
        case Step::waitForMain:
            if (view() == "login" && !login().loggingIn() && loop.now() - since > 2)
                moveTo(Step::signIn); // the click was lost (the window was not yet mapped)
            if (view() == "mainView" && engine().started() && !(open && open->isTracking()))
                moveTo(Step::openMenu);
            break;
        case Step::openMenu:
            if (loop.now() - since < 0.05)
                break;
            for (const auto& slot : bar()->slots())
                if (slot.kind == platform::MenuBarView::SlotKind::Icon)
                    clickOn(*bar(), slot.frame);
            moveTo(Step::chooseLogout);
            break;
        case Step::chooseLogout:
            if (open && open->isTracking() && open->trackingWindow() &&
                open->trackingWindow()->isVisible() && loop.now() - since > 0.05) {
                // Logout is the menu's last row.
                const platform::Window* menuWindow = open->trackingWindow();
                clickAt(*menuWindow, {menuWindow->frame().width() / 2, 4 + 8});
                moveTo(Step::waitForLogin);
            } else if (!(open && open->isTracking()) && loop.now() - since > 1) {
                moveTo(Step::openMenu); // the menu did not open: click again
            }
            break;
        case Step::waitForLogin:
            if (view() == "login" && !engine().started() && !(open && open->isTracking())) {
                ++cycles;
                moveTo(Step::signIn);
            }
            break;
        }
    });
    loop.addTimer(ticker, platform::commonModes());
    const bool done = loop.runUntil([&] { return cycles >= kCycles || !stuck.empty(); }, 600);
    ticker->invalidate();
    stop = true;
    waker.join();

    EXPECT_TRUE(done && stuck.empty()) << cycles << " cycles; stuck at " << stuck;
    EXPECT_EQ(cycles, kCycles);
    EXPECT_TRUE(platform::X11ErrorHandler::isInstalled());
}

} // namespace
} // namespace app_test
