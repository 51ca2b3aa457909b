#include "AppTestSupport.h"
#include "app/calls/ToastWindowController.h"
#include "app/core/DockController.h"
#include "app/core/ToastSlots.h"
#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/Scenario.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"
#include "support/Notifications.h"
#include "widgets/QXImageButton.h"
#include "widgets/QXToolWindow.h"

using namespace app_test;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

TEST(ToastPlacement, SlotsStackDownFromTheTopRightCornerInColumns) {
    const Rect screen(0, 0, 1440, 900);
    const Size toast(300, 60);
    const struct {
        const char* name;
        int slot;
        std::optional<Size> window;
        Rect screen;
        Point anchor;
    } cases[] = {
        {"first slot: 10 in from the right, 30 down", 0, toast, screen, {1430, 870}},
        {"a pitch of 65 per row", 1, toast, screen, {1430, 805}},
        {"last row of the first column", 11, toast, screen, {1430, 155}},
        {"12 rows a column: the second column", 12, toast, screen, {1125, 870}},
        {"second column, second row", 13, toast, screen, {1125, 805}},
        {"third column starts at 24 (it used to land on slot 12)", 24, toast, screen, {820, 870}},
        {"the last slot", 49, toast, screen, {210, 805}},
        {"a screen beside the main one", 0, toast, Rect(1440, 100, 1280, 800), {2710, 870}},
        {"no window: a pitch of 5", 2, std::nullopt, screen, {1430, 860}},
        {"no screen: one row a column, nothing divided by zero", 3, toast, Rect(), {-925, -30}},
        {"a toast taller than half the screen: one row",
         1,
         Size(300, 60),
         Rect(0, 0, 1440, 100),
         {1125, 70}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toast_slots::anchorForSlot(c.slot, c.window, c.screen), c.anchor) << c.name;
    }
    EXPECT_EQ(toast_slots::rowsPerColumn(900, 65), 12);
    EXPECT_EQ(toast_slots::rowsPerColumn(0, 65), 1);
    EXPECT_EQ(toast_slots::rowsPerColumn(100, 65), 1);
}

TEST(ToastPlacement, NoTwoOfTheFiftySlotsOverlap) {
    for (const Size toast : {Size(300, 60), Size(260, 70), Size(200, 400)}) {
        std::vector<Rect> frames;
        for (int slot = 0; slot < 50; ++slot) {
            const Point a = toast_slots::anchorForSlot(slot, toast, Rect(0, 0, 1440, 900));
            frames.push_back(
                Rect(a.x - toast.width, a.y - toast.height, toast.width, toast.height));
        }
        for (std::size_t i = 0; i < frames.size(); ++i) {
            for (std::size_t j = i + 1; j < frames.size(); ++j) {
                EXPECT_FALSE(frames[i].intersects(frames[j]))
                    << "slots " << i << " and " << j << " for height " << toast.height;
            }
        }
    }
}

TEST(ToastPlacement, TheFirstFreeSlotIsTheLowest) {
    std::vector<bool> slots(50, true);
    EXPECT_EQ(toast_slots::firstFreeSlot(slots), std::nullopt);
    slots[31] = false;
    slots[7] = false;
    EXPECT_EQ(toast_slots::firstFreeSlot(slots), 7);
}

// An application controller listening to a signed-in engine's toasts, on the headless
// 1440 x 900 screen, with every alert setting on.
class ToastTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        initializeDemoEngine();
        signInDemoUser();
        if (HasFatalFailure())
            return;
        scenario_.emplace();

        controller = std::make_unique<AppController>();
        controller->attachToastService(phone()->getToastService(),
                                       phone()->getPhoneStatusService());
        for (const char* name : {"enableAlerts", "enableIncomingCallAlert", "enableNewImAlert",
                                 "enableOnlineAlert", "enableOfflineAlert", "enableSounds"}) {
            setAlert(name, true);
        }
        phone()->getTonePlayer()->clearPlayedTones();
    }
    void TearDown() override {
        controller.reset();
        scenario_.reset();
        DockController::releaseSharedDockController();
        DockController::setMainWindowLookup({});
        AppTest::TearDown();
    }

    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static void pass(double seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static void setAlert(std::string_view name, bool on) {
        phone()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("alerts")
            ->sub(name)
            ->setBoolSetting(on, true);
    }
    std::size_t shown() const { return controller->toastWindowControllers().size(); }
    int takenSlots() const {
        const auto& slots = controller->toastSlots();
        return static_cast<int>(std::count(slots.begin(), slots.end(), true));
    }
    const ToastWindowController& toast(std::size_t i) const {
        return *controller->toastWindowControllers().at(i);
    }
    // `count` notices shown until removed, each let through the run loop.
    void notices(int count) {
        for (int i = 0; i < count; ++i) {
            scenario().otherNotice("notice " + std::to_string(i));
        }
        settle();
    }

    Scenario& scenario() { return *scenario_; }

    std::optional<Scenario> scenario_;
    std::unique_ptr<AppController> controller;
};

TEST_F(ToastTest, ANoticeIsShownInTheFirstSlotAtTheTopRightOfTheScreen) {
    notices(1);
    ASSERT_EQ(shown(), 1u);
    EXPECT_EQ(toast(0).slot(), 0);
    EXPECT_TRUE(controller->toastSlots()[0]);
    EXPECT_EQ(toast(0).title(), "notice 0");

    QXToolWindow* window = toast(0).window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->type(), QXToolWindow::toastType());
    EXPECT_TRUE(window->hasShadow());
    EXPECT_EQ(window->frame().maxX(), 1430);
    EXPECT_EQ(window->frame().maxY(), 870);
}

TEST_F(ToastTest, TheFiftyFirstToastWaitsForASlotAndTakesTheFirstOneFreed) {
    notices(51);
    ASSERT_EQ(shown(), 50u);
    EXPECT_EQ(takenSlots(), 50);
    ASSERT_EQ(controller->waitingToasts().size(), 1u);
    for (const auto& c : controller->toastWindowControllers()) {
        EXPECT_GE(c->slot(), 0) << "no toast without a slot";
    }

    // Shown toasts never overlap, across every column break.
    std::vector<Rect> frames;
    for (const auto& c : controller->toastWindowControllers()) {
        frames.push_back(c->window()->frame());
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            EXPECT_FALSE(frames[i].intersects(frames[j])) << i << " and " << j;
        }
    }

    // The engine takes the toast of slot 17 back: the waiting one takes that slot.
    const auto waiting = controller->waitingToasts().front();
    const auto taken = toast(17).toast();
    QXToolWindow* closedWindow = toast(17).window();
    phone()->getToastService()->removeToast(taken);
    EXPECT_TRUE(controller->waitingToasts().empty());
    ASSERT_EQ(shown(), 50u);
    EXPECT_EQ(controller->toastWindowControllers().back()->toast(), waiting);
    EXPECT_EQ(controller->toastWindowControllers().back()->slot(), 17);
    EXPECT_EQ(controller->toastWindowControllers().back()->window()->frame(), frames[17]);
    EXPECT_EQ(takenSlots(), 50);
    (void)closedWindow;

    // Without anyone waiting, a removal just frees the slot.
    phone()->getToastService()->removeToast(toast(0).toast());
    EXPECT_FALSE(controller->toastSlots()[0]);
    EXPECT_EQ(takenSlots(), 49);
}

TEST_F(ToastTest, AToastClosedFromItsWindowFreesItsSlot) {
    notices(51);
    const auto waiting = controller->waitingToasts().front();

    // A contact list's change closes it (close: with nil) just as a click would.
    auto closing = controller->toastWindowControllers().at(3);
    closing->close(nullptr);
    EXPECT_EQ(closing->toast(), nullptr) << "detached from the engine's toast";
    ASSERT_EQ(shown(), 50u);
    EXPECT_EQ(controller->toastWindowControllers().back()->toast(), waiting);
    EXPECT_EQ(controller->toastWindowControllers().back()->slot(), 3);

    // Its window fades and goes.
    EXPECT_TRUE(closing->window()->isVisible());
    pass(ToastWindowController::fadeDuration + 0.1);
    EXPECT_FALSE(closing->window()->isVisible());

    // An engine toast taken back while it waited is never shown.
    scenario().otherNotice("late");
    settle();
    ASSERT_EQ(controller->waitingToasts().size(), 1u);
    phone()->getToastService()->removeToast(controller->waitingToasts().front());
    EXPECT_TRUE(controller->waitingToasts().empty());
    EXPECT_EQ(shown(), 50u);
}

TEST_F(ToastTest, TimedToastsHideThemselvesAndFreeTheirSlot) {
    const struct {
        const char* name;
        std::function<void(Scenario&)> raise;
        double seconds;
        bool devicesNotice;
    } cases[] = {
        {"message", [](Scenario& s) { s.incomingMessage("dave@chat.lumiq.example", "hi"); }, 5,
         false},
        {"online",
         [](Scenario& s) {
             s.presenceChange("erin@chat.lumiq.example", OVPresenceStatus::statusAvailable);
         },
         3, false},
        {"offline",
         [](Scenario& s) {
             s.presenceChange("dave@chat.lumiq.example", OVPresenceStatus::statusOffline);
         },
         3, false},
        {"device", [](Scenario& s) { s.deviceChange(Toast::DeviceEvent::headsetIn, "Headset"); }, 5,
         true},
    };
    int devicesNotices = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        this, MediaDevicesChangedNotification, nullptr,
        [&](const platform::Notification&) { ++devicesNotices; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.raise(scenario());
        settle();
        ASSERT_EQ(shown(), 1u);
        const int before = devicesNotices;
        pass(c.seconds - 0.1);
        EXPECT_EQ(shown(), 1u);
        pass(0.1);
        EXPECT_EQ(shown(), 0u);
        EXPECT_EQ(takenSlots(), 0);
        EXPECT_EQ(devicesNotices - before, c.devicesNotice ? 1 : 0);
    }
    platform::NotificationCenter::defaultCenter().removeObserver(this);

    // A toast shown until removed has no timer.
    scenario().alertListNotice("dave@chat.lumiq.example");
    settle();
    pass(60);
    EXPECT_EQ(shown(), 1u);
}

TEST_F(ToastTest, SomeToastsTakeOverTheOneAlreadyShown) {
    // A second device toast takes the first one's slot and closes it.
    notices(1);
    scenario().deviceChange(Toast::DeviceEvent::headsetIn, "Headset");
    settle();
    const auto firstDevice = controller->toastWindowControllers().back();
    EXPECT_EQ(firstDevice->slot(), 1);
    scenario().deviceChange(Toast::DeviceEvent::headsetOut, "Headset");
    settle();
    ASSERT_EQ(shown(), 2u);
    EXPECT_EQ(toast(1).slot(), 1);
    EXPECT_NE(toast(1).toast(), firstDevice->toast());
    EXPECT_FALSE(firstDevice->window()->isVisible());
    EXPECT_TRUE(controller->toastSlots()[1]) << "the slot stays with the new toast";

    // So does a second alert-list notice for the same contact, but not one for another.
    scenario().alertListNotice("dave@chat.lumiq.example");
    settle();
    const int daveSlot = controller->toastWindowControllers().back()->slot();
    scenario().alertListNotice("dave@chat.lumiq.example");
    scenario().alertListNotice("erin@chat.lumiq.example");
    settle();
    ASSERT_EQ(shown(), 4u);
    EXPECT_EQ(toast(2).slot(), daveSlot);
    EXPECT_EQ(toast(3).slot(), 3);

    // A second offline toast of the same contact shows nothing and plays nothing.
    scenario().presenceChange("dave@chat.lumiq.example", OVPresenceStatus::statusOffline);
    settle();
    ASSERT_EQ(shown(), 5u);
    EXPECT_EQ(phone()->getTonePlayer()->playedTones().size(), 1u);
    const auto firstOffline = controller->toastWindowControllers().back()->toast();
    controller->toastAdded(std::make_shared<Toast>(*firstOffline));
    EXPECT_EQ(shown(), 5u);
    EXPECT_EQ(phone()->getTonePlayer()->playedTones().size(), 1u);
}

TEST_F(ToastTest, TheAlertSettingsDecideWhatIsShownAndHeard) {
    const auto incomingCall = [](Scenario& s) { s.incomingCall("sip:bob@sip.lumiq.example"); };
    const auto online = [](Scenario& s) {
        s.presenceChange("erin@chat.lumiq.example", OVPresenceStatus::statusAvailable);
    };
    const auto message = [](Scenario& s) { s.incomingMessage("dave@chat.lumiq.example", "hello"); };
    const struct {
        const char* name;
        std::vector<std::pair<const char*, bool>> settings;
        std::function<void(Scenario&)> raise;
        bool toastShown;
        std::vector<TonePlayer::ToneType> tones;
        bool dockAlert;
    } cases[] = {
        {"incoming call", {}, incomingCall, true, {}, true},
        {"alerts off: the Dock still alerts",
         {{"enableAlerts", false}},
         incomingCall,
         false,
         {},
         true},
        {"incoming-call alert off",
         {{"enableIncomingCallAlert", false}},
         incomingCall,
         false,
         {},
         true},
        {"online with sound", {}, online, true, {TonePlayer::contactOnlineType}, false},
        {"online sound off", {{"disableOnlineSound", true}}, online, true, {}, false},
        {"sounds off", {{"enableSounds", false}}, online, true, {}, false},
        {"online alert off: only the sound",
         {{"enableOnlineAlert", false}},
         online,
         false,
         {TonePlayer::contactOnlineType},
         false},
        {"alerts off: only the sound",
         {{"enableAlerts", false}},
         online,
         false,
         {TonePlayer::contactOnlineType},
         false},
        {"message while in the background", {}, message, true, {}, false},
        {"message alert off", {{"enableNewImAlert", false}}, message, false, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (const auto& [name, on] : c.settings) {
            setAlert(name, on);
        }
        c.raise(scenario());
        settle();
        EXPECT_EQ(shown(), c.toastShown ? 1u : 0u);
        EXPECT_EQ(phone()->getTonePlayer()->playedTones(), c.tones);
        EXPECT_EQ(app().dockTile().attentionRequests().size(), c.dockAlert ? 1u : 0u);
    }
}

TEST_F(ToastTest, AMessageShowsNoToastWhileTheMainWindowIsInFront) {
    auto window =
        platform::make<platform::Window>(Rect(100, 100, 300, 400), platform::TitledWindowMask);
    DockController::setMainWindowLookup([&] { return window.get(); });
    window->orderFront(nullptr);
    app().activateIgnoringOtherApps(true);

    scenario().incomingMessage("dave@chat.lumiq.example", "hello");
    settle();
    EXPECT_EQ(shown(), 0u);

    window->orderOut(nullptr);
    scenario().incomingMessage("dave@chat.lumiq.example", "again");
    settle();
    EXPECT_EQ(shown(), 1u);
}

TEST_F(ToastTest, ToastsOfContactsThatLeftTheirGroupCloseOnUpdate) {
    scenario().alertListNotice("dave@chat.lumiq.example");
    scenario().alertListNotice("erin@chat.lumiq.example");
    scenario().otherNotice("no contact");
    settle();
    ASSERT_EQ(shown(), 3u);

    const auto dave = toast(0).toast()->contact();
    ASSERT_TRUE(dave);
    for (const auto& group : dave->parentEntities()) {
        group->removeEntity(dave);
    }
    controller->updateToasts();
    ASSERT_EQ(shown(), 2u);
    EXPECT_EQ(toast(0).toast()->contact()->displayName(), "Erin Evans");
    EXPECT_EQ(toast(1).toast()->contact(), nullptr);
    EXPECT_FALSE(controller->toastSlots()[0]);
}

TEST_F(ToastTest, DetachingClosesEveryToastAndStopsListening) {
    notices(51);
    scenario().deviceChange(Toast::DeviceEvent::camera, "Camera");
    settle();
    controller->detachToastService();
    EXPECT_EQ(shown(), 0u);
    EXPECT_TRUE(controller->waitingToasts().empty());
    EXPECT_EQ(takenSlots(), 0);
    notices(1);
    pass(10);
    EXPECT_EQ(shown(), 0u);
}

// Which call buttons a ringing toast shows, by what the caller asks and whether the call can
// still be answered.
TEST_F(ToastTest, ACallToastShowsTheAnswerButtonsTheCallAllows) {
    struct Case {
        bool video;
        bool answerable;
        bool answer, videoButton, audioOnly, decline;
    };
    for (const Case c :
         {Case{false, true, true, false, false, true}, Case{true, true, false, true, true, true},
          Case{false, false, false, false, false, false}}) {
        SCOPED_TRACE(testing::Message() << "video " << c.video << " answerable " << c.answerable);
        if (c.answerable)
            scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob", c.video);
        else
            scenario().otherNotice("a notice is no call");
        pass(1);
        ASSERT_EQ(shown(), 1u);
        const auto& o = toast(0).outlets();
        EXPECT_EQ(!o.answer->isHidden(), c.answer);
        EXPECT_EQ(!o.video->isHidden(), c.videoButton);
        EXPECT_EQ(!o.answerWithAudioOnly->isHidden(), c.audioOnly);
        EXPECT_EQ(!o.decline->isHidden(), c.decline);
        if (c.answerable) {
            // The shown answer buttons close up from the left; decline keeps to the right.
            if (c.video) {
                EXPECT_EQ(o.video->frame().minX(), 0);
                EXPECT_EQ(o.answerWithAudioOnly->frame().minX(), o.video->frame().maxX() + 5);
            } else {
                EXPECT_LE(o.answer->frame().minX(), 5);
            }
            EXPECT_GT(o.decline->frame().minX(),
                      (c.video ? o.answerWithAudioOnly : o.answer)->frame().maxX());
            EXPECT_EQ(toast(0).message(), "Incoming Call");
            EXPECT_EQ(o.addressText->isHidden(), false);
        }
        phone()->getToastService()->removeAll();
        for (const auto& conversation : phone()->getConversationService()->getAllConversations())
            conversation->decline();
        pass(2);
        ASSERT_EQ(shown(), 0u);
    }
}

TEST_F(ToastTest, TheToastsButtonsAnswerAndDeclineTheCall) {
    const auto conversations = phone()->getConversationService();
    scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob", true);
    pass(1);
    ASSERT_EQ(shown(), 1u);
    ASSERT_EQ(conversations->getAllConversations().size(), 1u);
    const auto call = conversations->getAllConversations().front();
    // A click on the audio-only button of a video call answers it without video.
    toast(0).outlets().answerWithAudioOnly->performClick(nullptr);
    pass(1);
    EXPECT_TRUE(call->isLive());
    EXPECT_FALSE(call->canAnswer());
    EXPECT_EQ(shown(), 0u) << "the engine takes the toast back once the call is answered";
    call->end();
    pass(2);

    scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol");
    pass(1);
    ASSERT_EQ(shown(), 1u);
    const auto second = conversations->getAllConversations().front();
    toast(0).outlets().decline->performClick(nullptr);
    pass(2);
    EXPECT_FALSE(second->isLive());
    EXPECT_EQ(shown(), 0u);
}

TEST_F(ToastTest, EachKindFillsItsOwnLines) {
    scenario().deviceChange(Toast::DeviceEvent::headsetOut, "USB Headset");
    pass(0.5);
    ASSERT_EQ(shown(), 1u);
    EXPECT_EQ(toast(0).message(), "Device change notification");
    EXPECT_EQ(toast(0).outlets().headsetText->stringValue(), "USB Headset/Input not set");
    EXPECT_EQ(toast(0).outlets().speakerphoneText->stringValue(), "Output not set/Input not set");
    pass(6);
    ASSERT_EQ(shown(), 0u) << "a device toast goes after five seconds";

    // A caption that names no one twice: an address equal to the name is not shown.
    scenario().otherNotice("same");
    pass(0.5);
    ASSERT_EQ(shown(), 1u);
    EXPECT_EQ(toast(0).title(), "same");
    EXPECT_EQ(toast(0).outlets().accountUsedText->isHidden(),
              std::count_if(phone()->getAccountService()->accounts().begin(),
                            phone()->getAccountService()->accounts().end(), [](const auto& a) {
                                return a->status() == OVAccount::statusEnabled &&
                                       a->isFeatureEnabled(OVAccountFeature::featureCall);
                            }) < 2);
    EXPECT_TRUE(toast(0).outlets().avatar->isHidden()) << "no contact, no picture";
    EXPECT_EQ(toast(0).outlets().displayNameText->frame().minX(),
              toast(0).outlets().avatar->frame().minX())
        << "the name takes the picture's place";
}

TEST_F(ToastTest, KeepingAContactOnTheAlertListMarksItsEntries) {
    scenario().alertListNotice("sip:dave@sip.lumiq.example");
    pass(0.5);
    ASSERT_EQ(shown(), 1u);
    const auto dave = toast(0).contact();
    ASSERT_TRUE(dave);
    ASSERT_TRUE(dave->hasParentEntities());
    EXPECT_NE(toast(0).message().find("Alert List Notification: "), std::string::npos);
    platform::Button& keep = *toast(0).outlets().keepOnAlertList;
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        keep.setState(on ? platform::OnState : platform::OffState);
        const_cast<ToastWindowController&>(toast(0)).keepOnAlertList(&keep);
        for (const char* name : {"alertEnabled", "alertIsPersistent"}) {
            const auto field = dave->getFieldByName(name);
            ASSERT_TRUE(field);
            EXPECT_EQ(field->valueStr(), on ? "true" : "false");
        }
    }
    // Closing the toast keeps the choice.
    keep.setState(platform::OnState);
    toast(0).outlets().close->performClick(nullptr);
    pass(2);
    EXPECT_EQ(shown(), 0u);
    EXPECT_EQ(dave->getFieldByName("alertIsPersistent")->valueStr(), "true");
}

} // namespace
