#include "app/AppTestSupport.h"
#include "app/preferences/PrefsWindowController.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/HeadlessScreen.h"
#include "support/Notifications.h"

namespace app_test {
namespace {

// The preferences and troubleshooting windows on the headless screen, with the engine's
// feature switches set by each case.
class PaneWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::HeadlessScreen::install();
    }
    void TearDown() override {
        PrefsWindowController::releaseSharedController();
        TroubleshootingWindowController::releaseSharedController();
        platform::WindowServer::shared().reset();
        platform::setScreenBackend(nullptr);
        AppTest::TearDown();
    }
    static void setFeatures(std::initializer_list<std::pair<const char*, bool>> features) {
        for (const auto& [name, on] : features)
            engine().featuresService()->setFeatureAvailable(name, on);
    }
};

TEST_F(PaneWindowTest, TheFeatureSwitchesChooseThePanes) {
    const struct {
        bool video;
        bool logging;
        bool accounts;
        bool transfers;
        std::vector<std::string> troubleshooting;
        std::vector<std::string> preferences;
    } cases[] = {
        {true,
         true,
         true,
         true,
         {"Audio", "Video", "Devices", "Diagnostics"},
         {"Accounts", "Devices", "QuickTransfer", "Advanced"}},
        {false, false, false, false, {"Audio", "Devices"}, {"Devices", "Advanced"}},
    };
    for (const auto& c : cases) {
        setFeatures({{"allow_video", c.video},
                     {"loggingEnabled", c.logging},
                     {"account_settings", c.accounts},
                     {"transfersEnabled", c.transfers}});
        auto& troubleshooting =
            TroubleshootingWindowController::sharedTroubleshootingWindowController();
        troubleshooting.showWindow(nullptr);
        EXPECT_EQ(troubleshooting.prefIdentifiers(), c.troubleshooting);
        EXPECT_TRUE(troubleshooting.window()->isVisible());
        EXPECT_EQ(troubleshooting.window()->title(), "Troubleshooting - Audio");

        auto& preferences = PrefsWindowController::sharedPreferncesWindowController();
        preferences.showWindow(nullptr);
        EXPECT_EQ(preferences.prefIdentifiers(), c.preferences);
        EXPECT_TRUE(preferences.horizontalResize());

        TroubleshootingWindowController::releaseSharedController();
        PrefsWindowController::releaseSharedController();
    }
}

TEST_F(PaneWindowTest, OpenedOnAPaneAndClosedWithItsSheet) {
    auto& troubleshooting =
        TroubleshootingWindowController::sharedTroubleshootingWindowController();
    troubleshooting.showWindow(nullptr);
    troubleshooting.displayViewWithIdentifier("Diagnostics", false);
    EXPECT_EQ(troubleshooting.currentIdentifier(), "Diagnostics");
    platform::Window* window = troubleshooting.window();

    auto sheet =
        platform::make<platform::Window>(platform::Rect(0, 0, 200, 80), platform::TitledWindowMask);
    int ended = 0;
    platform::WindowServer::shared().beginSheet(*sheet, *window, [&](int code) {
        EXPECT_EQ(code, 0);
        ++ended;
    });
    troubleshooting.close();
    EXPECT_EQ(ended, 1) << "the attached sheet ends with 0";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // Unknown identifiers change nothing; the log goes out whenever it is asked for.
    troubleshooting.showWindow(nullptr);
    const auto shown = troubleshooting.currentIdentifier();
    troubleshooting.displayViewWithIdentifier("Nothing", false);
    EXPECT_EQ(troubleshooting.currentIdentifier(), shown);
    platform::NotificationCenter::defaultCenter().postNotificationName(
        SendDiagnosticLogNotification);
    EXPECT_EQ(troubleshooting.diagnosticLogsSent(), 1);
}

TEST_F(PaneWindowTest, EscapeAndCtrlWCloseThemAndPaneChangesPrintNothing) {
    using platform::Event;
    using platform::EventType;
    const struct {
        const char* name;
        QXPrefWindowController& (*controller)();
    } windows[] = {
        {"troubleshooting",
         []() -> QXPrefWindowController& {
             return TroubleshootingWindowController::sharedTroubleshootingWindowController();
         }},
        {"preferences",
         []() -> QXPrefWindowController& {
             return PrefsWindowController::sharedPreferncesWindowController();
         }},
    };
    const struct {
        const char* name;
        Event event;
    } keys[] = {
        {"Escape", Event::keyEvent(EventType::KeyDown, "\x1b", 0, nullptr)},
        // The desktop screen gives Ctrl the Command flag.
        {"Ctrl+W", Event::keyEvent(EventType::KeyDown, "w", platform::CommandKeyMask, nullptr)},
    };
    auto& server = platform::WindowServer::shared();
    for (const auto& w : windows) {
        for (const auto& k : keys) {
            QXPrefWindowController& controller = w.controller();
            testing::internal::CaptureStderr();
            controller.showWindow(nullptr);
            for (const auto& identifier : controller.prefIdentifiers())
                controller.displayViewWithIdentifier(identifier, false);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << w.name;
            platform::Window* window = controller.window();
            ASSERT_TRUE(window->isVisible());
            ASSERT_EQ(server.keyWindow(), window);
            server.postEvent(k.event);
            server.dispatchPendingEvents();
            EXPECT_FALSE(window->isVisible()) << w.name << ", " << k.name;
        }
    }
}

} // namespace
} // namespace app_test
