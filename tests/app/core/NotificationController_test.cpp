#include "app/core/NotificationController.h"
#include "app/core/SheetsTracker.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::Alert;
using platform::Rect;
using platform::RunLoop;
using platform::Window;
using Answer = Notification::Answer;

// A main window on an empty window server, a manual clock, and every alert that is shown.
class NoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        platform::Application::resetSharedApplication();
        platform::WindowServer::shared().reset();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
        resetLocalizationCache();
        window = platform::make<Window>(Rect(100, 100, 400, 300), platform::TitledWindowMask);
        window->orderFront(nullptr);
        Alert::setPresentationHook(
            [this](Alert& alert) { shown.push_back(alert.shared_from_this()); });
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        Alert::setPresentationHook({});
        shown.clear();
        window.reset();
        StartupService::resetInstance();
        platform::WindowServer::shared().reset();
        platform::Application::resetSharedApplication();
        RunLoop::resetMain();
    }

    static NotificationController& controller() {
        return NotificationController::sharedController();
    }
    static std::shared_ptr<Notification> notice(Notification::Type type, std::string extra = {}) {
        return std::make_shared<Notification>(type, std::move(extra));
    }
    // The sheet on the window now, if it is an alert.
    Alert* sheet() const {
        if (shown.empty() || window->attachedSheet() != shown.back()->window()) {
            return nullptr;
        }
        return shown.back().get();
    }
    static std::vector<std::string> titles(const Alert& alert) {
        std::vector<std::string> result;
        for (const auto& button : alert.buttons()) {
            result.push_back(button->title());
        }
        return result;
    }

    std::shared_ptr<Window> window;
    std::vector<std::shared_ptr<Alert>> shown;
};

TEST_F(NoticeTest, EachKindOfNoticeShowsItsSheetAndTheButtonPressedAnswersIt) {
    const std::string title = "Login information:";
    const struct {
        const char* name;
        Notification::Type type;
        std::string extra;
        std::string message;
        std::string information;
        std::vector<std::string> buttons;
        platform::AlertStyle style;
        std::size_t pressed;
        std::optional<Answer> answer;
    } cases[] = {
        {"another instance was forced out",
         Notification::typeResourceConflict_AnotherInstanceWasForcedOut,
         "",
         title,
         "Ready to Call. Another instance of your Sidekin was automatically logged out.",
         {"Okay"},
         platform::AlertStyle::Warning,
         0,
         Answer::dismiss},
        {"another instance forced us out",
         Notification::typeResourceConflict_AnotherInstanceForcedUsOut,
         "",
         "You have been logged out by another instance of your Sidekin.",
         "",
         {"Okay"},
         platform::AlertStyle::Warning,
         0,
         Answer::dismiss},
        {"on a call: Yes",
         Notification::typeResourceConflict_AnotherInstanceIsOnACall,
         "",
         title,
         "Another instance of your Sidekin is on a phone call. Would you like to log out that "
         "other instance and terminate the call?",
         {"Yes", "No"},
         platform::AlertStyle::Warning,
         0,
         Answer::yes},
        {"on a call: No",
         Notification::typeResourceConflict_AnotherInstanceIsOnACall,
         "",
         title,
         "Another instance of your Sidekin is on a phone call. Would you like to log out that "
         "other instance and terminate the call?",
         {"Yes", "No"},
         platform::AlertStyle::Warning,
         1,
         Answer::no},
        {"emergency call",
         Notification::typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall,
         "",
         title,
         "Cannot log in at this time. Another instance of your Sidekin is on an emergency phone "
         "call.",
         {"Okay"},
         platform::AlertStyle::Critical,
         0,
         Answer::dismiss},
        {"network forced us out",
         Notification::typeConfigUpdate_ForcedOut,
         "Your administrator changed your settings.",
         "You have been logged out:",
         "Your administrator changed your settings.",
         {"Okay"},
         platform::AlertStyle::Warning,
         0,
         std::nullopt},
        {"network forced us out, no reason given",
         Notification::typeConfigUpdate_ForcedOut,
         "",
         "You have been logged out:",
         "You have been logged out by the Calverra network.",
         {"Okay"},
         platform::AlertStyle::Warning,
         0,
         std::nullopt},
    };
    for (const auto& c : cases) {
        auto n = notice(c.type, c.extra);
        controller().doNotificationForWindow(n, window.get());
        Alert* alert = sheet();
        ASSERT_NE(alert, nullptr) << c.name;
        EXPECT_EQ(alert->messageText(), c.message) << c.name;
        EXPECT_EQ(alert->informativeText(), c.information) << c.name;
        EXPECT_EQ(titles(*alert), c.buttons) << c.name;
        EXPECT_EQ(alert->alertStyle(), c.style) << c.name;
        EXPECT_EQ(SheetsTracker::sharedController().sheetsForCreator(&controller()).size(), 1u)
            << c.name;

        alert->pressButtonForTesting(c.pressed);
        EXPECT_EQ(n->answer(), c.answer) << c.name;
        EXPECT_TRUE(n->hasBeenHandled()) << c.name;
        EXPECT_EQ(window->attachedSheet(), nullptr) << c.name;
        EXPECT_FALSE(alert->window()->isVisible()) << c.name;
        EXPECT_TRUE(SheetsTracker::sharedController().sheetsForCreator(&controller()).empty())
            << c.name;
    }
}

// The road from the engine: a notice the network sends reaches the controller through the
// notification service, and the answer lands on the engine's own notice object.
class EngineNotices : public OVNotificationServicePro {
public:
    explicit EngineNotices(Window& window) : window_(window) {}
    void ovnsNewNotification(const std::shared_ptr<Notification>& notification) override {
        received.push_back(notification);
        NotificationController::sharedController().doNotificationForWindow(notification, &window_);
    }
    std::vector<std::shared_ptr<Notification>> received;

private:
    Window& window_;
};

TEST_F(NoticeTest, TheAnswerToAnEngineNoticeReachesTheEngine) {
    for (const auto& [button, answer] : {std::pair{0u, Answer::yes}, std::pair{1u, Answer::no}}) {
        StartupService::resetInstance();
        auto service = StartupService::instance().phoneService()->getNotificationService();
        EngineNotices delegate(*window);
        service->setDelegate(&delegate);

        Scenario().notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(delegate.received.size(), 1u);
        ASSERT_NE(sheet(), nullptr);
        sheet()->pressButtonForTesting(button);
        EXPECT_EQ(delegate.received[0]->answer(), answer);
        EXPECT_TRUE(delegate.received[0]->hasBeenHandled());
        service->removeDelegate(&delegate);
    }
}

TEST_F(NoticeTest, ANoticeWaitsBehindAModalWindowAndIsShownWithinHalfASecondOfItsEnd) {
    // A sheet of someone else is open and will be closed before the notice shows.
    auto other = platform::make<Window>(Rect(0, 0, 300, 200), platform::TitledWindowMask);
    other->orderFront(nullptr);
    auto otherSheet = Alert::alert();
    otherSheet->addButtonWithTitle("OK");
    std::optional<int> otherCode;
    otherSheet->beginSheetModalForWindow(*other, [&](int code) { otherCode = code; });
    int creator = 0;
    SheetsTracker::sharedController().registerSheet(otherSheet->window()->sharedWindow(), &creator);
    shown.clear();

    auto dialog = platform::make<platform::Panel>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    auto n = notice(Notification::typeResourceConflict_AnotherInstanceForcedUsOut);
    RunLoop& loop = RunLoop::main();
    std::vector<bool> sheetWhileModal;
    loop.performAfterDelay(0.3, [&] { controller().doNotificationForWindow(n, window.get()); },
                           {platform::ModalPanelRunLoopMode});
    for (double at : {0.9, 1.4, 1.9}) {
        loop.performAfterDelay(
            at, [&] { sheetWhileModal.push_back(window->attachedSheet() != nullptr); },
            {platform::ModalPanelRunLoopMode});
    }
    loop.performAfterDelay(2.0, [] { platform::Application::sharedApplication().stopModal(); },
                           {platform::ModalPanelRunLoopMode});
    platform::Application::sharedApplication().runModalForWindow(*dialog);

    EXPECT_EQ(sheetWhileModal, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(otherCode);
    // Still queued right after the modal loop, shown on the retry's next firing.
    EXPECT_EQ(window->attachedSheet(), nullptr);
    loop.runFor(NotificationController::retryInterval);
    ASSERT_NE(sheet(), nullptr);
    EXPECT_EQ(otherCode, platform::RunStoppedResponse) << "open sheets are closed first";
    EXPECT_EQ(other->attachedSheet(), nullptr);
}

TEST_F(NoticeTest, TheRetryRepeatsEveryHalfSecondWhileAModalWindowIsOpen) {
    auto dialog = platform::make<platform::Panel>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    auto& server = platform::WindowServer::shared();
    const auto session = server.beginModalSessionForWindow(*dialog);
    auto n = notice(Notification::typeResourceConflict_AnotherInstanceWasForcedOut);
    controller().doNotificationForWindow(n, window.get());
    // Each firing finds the modal window and schedules the next one, half a second later.
    for (int retry = 0; retry < 4; ++retry) {
        EXPECT_EQ(RunLoop::main().pendingCount(), 1u) << retry;
        RunLoop::main().runFor(NotificationController::retryInterval);
        EXPECT_EQ(window->attachedSheet(), nullptr) << retry;
    }
    server.endModalSession(session);
    RunLoop::main().runFor(0.49);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    RunLoop::main().runFor(0.01);
    EXPECT_NE(sheet(), nullptr);
}

TEST_F(NoticeTest, HandledNoticesAreNeitherShownNorAnsweredAgain) {
    // Handled before it arrives.
    auto early = notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    early->makeHasBeenHandled();
    controller().doNotificationForWindow(early, window.get());
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // Handled while it waits behind a modal window.
    auto dialog = platform::make<platform::Panel>(Rect(0, 0, 200, 100), platform::TitledWindowMask);
    auto& server = platform::WindowServer::shared();
    const auto session = server.beginModalSessionForWindow(*dialog);
    auto queued = notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    controller().doNotificationForWindow(queued, window.get());
    queued->makeHasBeenHandled();
    server.endModalSession(session);
    RunLoop::main().runFor(1.0);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_EQ(RunLoop::main().pendingCount(), 0u) << "no retry is left";

    // Handled while its sheet is up: the button press gives no answer.
    auto shownNotice = notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    controller().doNotificationForWindow(shownNotice, window.get());
    ASSERT_NE(sheet(), nullptr);
    shownNotice->makeHasBeenHandled();
    sheet()->pressButtonForTesting(0);
    EXPECT_FALSE(shownNotice->answer());
}

TEST_F(NoticeTest, ASheetEndedFromOutsideGivesNoAnswerButHandlesTheNotice) {
    // A second notice for the same window closes the first one's sheet before it shows.
    auto first = notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    controller().doNotificationForWindow(first, window.get());
    Alert* firstSheet = sheet();
    ASSERT_NE(firstSheet, nullptr);
    auto second = notice(Notification::typeConfigUpdate_ForcedOut);
    controller().doNotificationForWindow(second, window.get());
    EXPECT_FALSE(first->answer());
    EXPECT_TRUE(first->hasBeenHandled());
    EXPECT_FALSE(firstSheet->window()->isVisible());
    ASSERT_NE(sheet(), nullptr);
    EXPECT_EQ(sheet()->messageText(), "You have been logged out:");

    // Logout or quit closes every sheet.
    SheetsTracker::sharedController().closeAllSheets();
    EXPECT_TRUE(second->hasBeenHandled());
    EXPECT_FALSE(second->answer());
    EXPECT_EQ(window->attachedSheet(), nullptr);
}

TEST_F(NoticeTest, ANoticeOfAnUnknownKindShowsNothing) {
    auto n = notice(Notification::Type::typeOther);
    controller().doNotificationForWindow(n, window.get());
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_FALSE(n->hasBeenHandled());
}

} // namespace
