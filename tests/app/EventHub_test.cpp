#include "AppTestSupport.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AutoUpdateController.h"
#include "app/core/DockController.h"
#include "app/core/SheetsTracker.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/hosted/ConnectServiceWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/messaging/ChatInvitationWindowController.h"
#include "app/messaging/FileTransferWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/OVWindowService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Screen.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/WindowServer.h"
#include "support/Notifications.h"

#include <functional>
#include <optional>

using namespace app_test;

namespace {

constexpr const char* bob = "sip:bob@sip.lumiq.example";
constexpr const char* carol = "sip:carol@sip.lumiq.example";

// The notifications posted under the names a test listens to, in order.
class PostedNotifications {
public:
    explicit PostedNotifications(std::initializer_list<std::string_view> names) {
        for (auto name : names) {
            platform::NotificationCenter::defaultCenter().addObserver(
                this, name, nullptr,
                [this](const platform::Notification& n) { posted.push_back(n); });
        }
    }
    ~PostedNotifications() { platform::NotificationCenter::defaultCenter().removeObserver(this); }
    PostedNotifications(const PostedNotifications&) = delete;
    PostedNotifications& operator=(const PostedNotifications&) = delete;

    std::vector<platform::Notification> named(std::string_view name) const {
        std::vector<platform::Notification> result;
        for (const auto& n : posted) {
            if (n.name == name) {
                result.push_back(n);
            }
        }
        return result;
    }

    std::vector<platform::Notification> posted;
};

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}
PrimaryModuleController& primary() {
    return PrimaryModuleController::sharedController();
}
std::string statusMessage() {
    return primary().statusMessage().string();
}

// A signed-in, started engine with alice's two accounts enabled, an application controller
// that is the application's delegate and listens to the hub's services, and its main window
// showing the main view, on the manual clock.
class EventHubTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine();
        feature("connectServiceEnabled", true);
        signInDemoUser();
        if (HasFatalFailure())
            return;
        scenario.emplace();

        controller = std::make_unique<AppController>();
        app().setDelegate(controller.get());
        window = MainAppWindow::makeFromInterfaceDefinition();
        window->awake();
        controller->setMainWindow(window.get());
        window->displayMain();
        controller->attachEventHubServices();
        pass(2);
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        if (AutoUpdateController* update = AutoUpdateController::sharedAutoUpdateController()) {
            update->close(nullptr);
        }
        settle();
        controller.reset();
        ChatInvitationWindowController::closeAll();
        PresenceRequestWindowController::releaseSharedPresenceRequestWindowController();
        ConnectServiceWindowController::releaseSharedController();
        ConnectInviteFriendsWindowController::releaseSharedInviteWindowController();
        VideoWindow::sharedVideoWindowRelease();
        DockController::releaseSharedDockController();
        PrimaryModuleController::releaseSharedController();
        FunctionModuleController::releaseSharedController();
        settle();
        window.reset();
        scenario.reset();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }

public:
    static void pass(double seconds) {
        platform::RunLoop::main().runFor(seconds);
        idle();
    }
    static void idle() { platform::RunLoop::main().runUntilIdle(); }
    static void feature(std::string_view name, bool on) {
        StartupService::instance().featuresService()->setFeatureAvailable(name, on);
    }
    IMWindowController* chatWindow(std::size_t index) const {
        const auto& controllers = controller->imWindowControllers();
        return index < controllers.size()
                   ? dynamic_cast<IMWindowController*>(controllers[index].get())
                   : nullptr;
    }
    std::shared_ptr<OVAccount> account(std::string_view name) const {
        return phone()->getAccountService()->accountNamed(name);
    }
    std::string webBrowserURL() const {
        return phone()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("webBrowser")
            ->sub("url1")
            ->stringSetting();
    }

    std::optional<Scenario> scenario;
    std::unique_ptr<AppController> controller;
    std::shared_ptr<MainAppWindow> window;
};

// One engine event: how the test makes the engine raise it, and what its handler must have
// done afterwards.
struct EventCase {
    const char* name;
    std::function<void(EventHubTest&)> raise;
    std::function<void(EventHubTest&, const PostedNotifications&)> expect;
};

class EngineEventReachesItsHandler : public EventHubTest,
                                     public ::testing::WithParamInterface<EventCase> {};

const EventCase eventCases[] = {
    {"MessageFromANewPartyOpensAChatWindow",
     [](EventHubTest& t) { t.scenario->incomingMessage(bob, "Hello", "Bob Baker"); },
     [](EventHubTest& t, const PostedNotifications&) {
         ASSERT_EQ(t.controller->imWindowControllers().size(), 1u);
         ASSERT_EQ(t.controller->imSessions().size(), 1u);
         auto* chat = t.chatWindow(0);
         ASSERT_NE(chat, nullptr);
         EXPECT_EQ(chat->imSession()->remoteAddress(), bob);
         EXPECT_TRUE(chat->window()->isVisible());
         EXPECT_EQ(chat->window()->title(), "Chat with Bob Baker");
     }},
    {"ChatEndedByTheOtherPartyTellsItsWindow",
     [](EventHubTest& t) {
         t.scenario->incomingMessage(bob, "Bye", "Bob Baker");
         EventHubTest::idle();
         t.scenario->chatEnded(bob);
     },
     [](EventHubTest& t, const PostedNotifications&) {
         EXPECT_TRUE(t.controller->imSessions().empty());
         ASSERT_NE(t.chatWindow(0), nullptr);
         // A visible window hears it twice, as the original told it.
         EXPECT_EQ(t.chatWindow(0)->sessionTerminatedCount(), 2);
         EXPECT_TRUE(t.chatWindow(0)->window()->isVisible());
     }},
    {"OpeningAChatThatIsOpenBringsItsWindowForward",
     [](EventHubTest& t) {
         t.scenario->incomingMessage(bob, "Hello", "Bob Baker");
         EventHubTest::idle();
         t.window->makeKeyAndOrderFront(nullptr);
         phone()->getIMService()->newIMSession(bob, true, false);
     },
     [](EventHubTest& t, const PostedNotifications&) {
         ASSERT_EQ(t.controller->imWindowControllers().size(), 1u);
         EXPECT_TRUE(t.chatWindow(0)->window()->isKeyWindow());
     }},
    {"ChatInvitationIsShown",
     [](EventHubTest& t) {
         t.scenario->chatInvitation("room@chat.lumiq.example", bob, "Bob Baker", "Join us");
     },
     [](EventHubTest&, const PostedNotifications&) {
         const auto& open = ChatInvitationWindowController::openControllers();
         ASSERT_EQ(open.size(), 1u);
         EXPECT_EQ(open[0]->invitation()->roomAddress(), "room@chat.lumiq.example");
         EXPECT_TRUE(open[0]->window()->isVisible());
     }},
    {"PresenceRequestIsShown",
     [](EventHubTest& t) { t.scenario->presenceRequest(carol, "Carol Cole", "Let me see"); },
     [](EventHubTest& t, const PostedNotifications&) {
         auto& window = PresenceRequestWindowController::sharedPresenceRequestWindowController();
         ASSERT_NE(window.request(), nullptr);
         EXPECT_EQ(window.request()->address(), carol);
         EXPECT_TRUE(window.window()->isVisible());
         EXPECT_EQ(t.controller->waitingPresenceRequestCount(), 0u);
     }},
    {"OwnPresencePublishedSetsTheDockModeAndThePresenceControl",
     [](EventHubTest&) {
         const auto self = phone()->getPresenceService()->getSelfPresence();
         self->setStatus(OVPresenceStatus::statusBusy);
         self->setMessage("In a meeting");
         self->publish();
     },
     [](EventHubTest& t, const PostedNotifications&) {
         EXPECT_EQ(DockController::sharedDockController().mode(), AM_busy);
         EXPECT_EQ(primary().selfPresence(), phone()->getPresenceService()->getSelfPresence());
         EXPECT_EQ(t.controller->selfPresenceMessage(), "In a meeting");
     }},
    {"ChatAccountFailingInvalidatesGroupChats",
     [](EventHubTest& t) {
         t.scenario->accountFails("Alice (Chat)", OVAccountFailureCause::failureCredentials);
     },
     [](EventHubTest& t, const PostedNotifications& posted) {
         const auto invalidated = posted.named("GroupChatSessionsInvalidated");
         ASSERT_EQ(invalidated.size(), 1u);
         EXPECT_EQ(invalidated[0].object, t.account("Alice (Chat)").get());
         ASSERT_NE(primary().accountInUseTextField(), nullptr);
         EXPECT_EQ(primary().accountInUseTextField()->stringValue(), "")
             << "one call account: no account-for-calls line";
         EXPECT_NE(statusMessage().find("Accounts partially enabled"), std::string::npos)
             << statusMessage();
     }},
    {"ChatAccountWithdrawnInvalidatesGroupChats",
     [](EventHubTest& t) { t.scenario->accountRemoved("Alice (Chat)"); },
     [](EventHubTest& t, const PostedNotifications& posted) {
         EXPECT_EQ(t.account("Alice (Chat)"), nullptr);
         // Once as it shuts down, once as it goes.
         EXPECT_EQ(posted.named("GroupChatSessionsInvalidated").size(), 2u);
     }},
    {"VoiceMailCountIsPosted", [](EventHubTest& t) { t.scenario->voiceMail(5); },
     [](EventHubTest&, const PostedNotifications& posted) {
         const auto counts = posted.named(VoiceMailCountNotification);
         ASSERT_EQ(counts.size(), 1u);
         EXPECT_EQ(counts[0].userInfo[VoiceMailCount].intValue(), 5);
     }},
    {"NetworkDropShowsThePhoneStatusAndKeepsTheServiceMessage",
     [](EventHubTest& t) { t.scenario->dropNetwork(); },
     [](EventHubTest& t, const PostedNotifications&) {
         EXPECT_EQ(statusMessage(), "Network Down.");
         EXPECT_EQ(t.controller->conversationServiceAvailabilityMessage(),
                   "There is a network problem");
     }},
    {"AudioLevelsArePostedAsPercent",
     [](EventHubTest& t) {
         phone()->enableReportingAudioDeviceLevels(true);
         t.scenario->audioLevels(40, 70);
     },
     [](EventHubTest&, const PostedNotifications& posted) {
         const auto speaker = posted.named(UpdateSpeakerOutputLevelNotification);
         const auto mic = posted.named(UpdateMicOutputLevelNotification);
         ASSERT_EQ(speaker.size(), 1u);
         ASSERT_EQ(mic.size(), 1u);
         EXPECT_EQ(speaker[0].userInfo["percent"].intValue(), 40);
         EXPECT_EQ(mic[0].userInfo["percent"].intValue(), 70);
     }},
    {"OfferedFilesOpenATransferWindow",
     [](EventHubTest& t) { t.scenario->fileTransferOffered(bob, "Bob Baker", {"notes.txt"}); },
     [](EventHubTest& t, const PostedNotifications&) {
         ASSERT_EQ(t.controller->fileTransferRequests().size(), 1u);
         auto* transfer = dynamic_cast<FileTransferWindowController*>(
             t.controller->fileTransferRequests()[0].get());
         ASSERT_NE(transfer, nullptr);
         EXPECT_TRUE(transfer->request()->isIncoming());
         EXPECT_EQ(transfer->request()->delegate(), transfer);
         EXPECT_TRUE(transfer->window()->isVisible());
     }},
    {"EngineNoticeBecomesASheetOnTheMainWindow",
     [](EventHubTest& t) {
         t.scenario->notice(Notification::typeResourceConflict_AnotherInstanceWasForcedOut);
     },
     [](EventHubTest& t, const PostedNotifications&) {
         EXPECT_NE(t.window->attachedSheet(), nullptr);
     }},
    {"DeskphoneStatusIsShownUnderTheCallEntry",
     [](EventHubTest& t) { t.scenario->deskphoneStatus(OVDeskphoneStatus::connecting); },
     [](EventHubTest&, const PostedNotifications&) {
         EXPECT_EQ(statusMessage(), "Connecting to Deskphone, please wait...");
     }},
    {"HostedServiceConnectedFetchesTheWebTokenForTheWebTab",
     [](EventHubTest& t) { t.scenario->hostedServiceConnection(true); },
     [](EventHubTest& t, const PostedNotifications&) {
         const auto token = phone()->getConnectService()->webToken();
         ASSERT_FALSE(token.empty());
         EXPECT_EQ(t.webBrowserURL(), "https://portal.lumiq.example/home?token=" + token);
         EXPECT_EQ(FunctionModuleController::sharedController().reloadTabsCount(), 1);
     }},
    {"HostedServiceSignInClearsTheBypass",
     [](EventHubTest& t) {
         phone()->getConnectService()->setByPassConnectAccountForCall(true);
         t.scenario->hostedServiceSignIn(true);
     },
     [](EventHubTest&, const PostedNotifications&) {
         EXPECT_FALSE(phone()->getConnectService()->byPassConnectAccountForCall());
     }},
    {"HostedServiceSetUpRequestOpensItsWindow",
     [](EventHubTest& t) { t.controller->connectionServiceOperation(nullptr); },
     [](EventHubTest&, const PostedNotifications&) {
         auto* window = ConnectServiceWindowController::sharedController();
         ASSERT_NE(window, nullptr);
         ASSERT_NE(window->model(), nullptr);
         EXPECT_EQ(window->model()->visualStateName(), "signIn");
         EXPECT_TRUE(window->window()->isVisible());
     }},
    {"UpdateCheckOpensTheUpdateWindow",
     [](EventHubTest& t) {
         t.scenario->updateAvailable("9.9", {"Faster"});
         EventHubTest::idle();
         OVAutoUpdateModel::create()->checkForUpdates();
     },
     [](EventHubTest&, const PostedNotifications&) {
         auto* update = AutoUpdateController::sharedAutoUpdateController();
         ASSERT_NE(update, nullptr);
         EXPECT_EQ(update->model()->visualStateName(),
                   OVAutoUpdateDialogModel::updateAvailableVisualState);
     }},
    {"RemoteVideoRequestOpensTheVideoWindow",
     [](EventHubTest& t) {
         // The other party adds video to the call being talked on.
         t.scenario->incomingCall(bob, "Bob Baker");
         EventHubTest::idle();
         const auto calls = phone()->getConversationService()->getAllConversations();
         ASSERT_EQ(calls.size(), 1u);
         calls[0]->answer();
         EventHubTest::idle();
         t.scenario->remoteVideoRequest();
     },
     [](EventHubTest&, const PostedNotifications&) {
         ASSERT_TRUE(VideoWindow::videoWindowExist());
         EXPECT_TRUE(VideoWindow::sharedVideoWindow().isVisible());
     }},
    {"AnsweredVideoCallOpensTheVideoWindow",
     [](EventHubTest& t) {
         t.scenario->incomingCall(bob, "Bob Baker", true);
         EventHubTest::idle();
         const auto calls = phone()->getConversationService()->getAllConversations();
         ASSERT_EQ(calls.size(), 1u);
         calls[0]->answer();
     },
     [](EventHubTest&, const PostedNotifications&) {
         ASSERT_TRUE(VideoWindow::videoWindowExist());
         EXPECT_TRUE(VideoWindow::sharedVideoWindow().isVisible());
     }},
    {"MutedMicrophoneShowsInTheDock", [](EventHubTest&) { phone()->muteMic(true); },
     [](EventHubTest&, const PostedNotifications&) {
         EXPECT_EQ(DockController::sharedDockController().mode(), AM_onCallMuted);
     }},
    {"SpeakerChangeUpdatesTheToolbar", [](EventHubTest&) { phone()->enableSpeaker(true); },
     [](EventHubTest&, const PostedNotifications&) {
         EXPECT_GE(ToolbarController::sharedController().updateCount(), 1);
     }},
};

TEST_P(EngineEventReachesItsHandler, AndIsHandled) {
    const EventCase& c = GetParam();
    ToolbarController::releaseSharedController();
    PostedNotifications posted{"GroupChatSessionsInvalidated", VoiceMailCountNotification,
                               UpdateSpeakerOutputLevelNotification,
                               UpdateMicOutputLevelNotification};
    c.raise(*this);
    pass(2);
    c.expect(*this, posted);
}

INSTANTIATE_TEST_SUITE_P(Events, EngineEventReachesItsHandler, ::testing::ValuesIn(eventCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The first chat window opens in the middle of the screen, and the first after all were
// closed starts there again.
TEST_F(EventHubTest, ChatWindowsCascadeAndStartOverOnceAllAreClosed) {
    scenario->incomingMessage(bob, "One", "Bob Baker");
    scenario->incomingMessage(carol, "Two", "Carol Cole");
    idle();
    ASSERT_EQ(controller->imWindowControllers().size(), 2u);
    const platform::Rect first = chatWindow(0)->window()->frame();
    const platform::Rect second = chatWindow(1)->window()->frame();
    // The first in the middle of the screen (not at its corner), the next cascaded from it:
    ASSERT_TRUE(chatWindow(0)->window()->screen());
    EXPECT_NEAR(first.midX(), chatWindow(0)->window()->screen()->visibleFrame().midX(), 1.0);
    // Cascaded: right of the first, and lower unless the screen has no room below.
    EXPECT_EQ(second.minX(), first.minX() + 20);
    EXPECT_TRUE(second.maxY() == first.maxY() - 20 || second.minY() == first.minY());

    chatWindow(1)->close();
    chatWindow(0)->close();
    idle();
    EXPECT_TRUE(controller->imWindowControllers().empty());

    scenario->incomingMessage("sip:dave@sip.lumiq.example", "Three", "Dave");
    idle();
    ASSERT_EQ(controller->imWindowControllers().size(), 1u);
    const platform::Rect third = chatWindow(0)->window()->frame();
    EXPECT_EQ(third.minX(), first.minX());
    EXPECT_EQ(third.maxY(), first.maxY());
}

TEST_F(EventHubTest, GroupChatTakesTheParticipantsWaitingForIt) {
    // Contacts reached over chat: one handed over as the contact, one by its chat address.
    const auto manager = phone()->getContactManager();
    const auto dave = manager->lookup("", "dave@chat.lumiq.example", "").front();
    const auto chloe = manager->lookup("", "chloe@chat.lumiq.example", "").front();
    for (const auto& contact : {dave, chloe})
        contact->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    controller->setParticipantsToAdd(
        {platform::Value(std::static_pointer_cast<platform::Object>(dave)),
         platform::Value("chloe@chat.lumiq.example")});
    scenario->incomingMessage("sip:dave@sip.lumiq.example", "A one-to-one chat", "Dave");
    idle();
    EXPECT_TRUE(chatWindow(0)->invitedParticipants().empty());
    EXPECT_EQ(controller->participantsToAdd().size(), 2u);

    scenario->chatInvitation("room@chat.lumiq.example", bob, "Bob Baker");
    idle();
    ChatInvitationWindowController::openControllers().front()->accept(nullptr);
    pass(1);
    ASSERT_EQ(controller->imWindowControllers().size(), 2u);
    EXPECT_TRUE(controller->participantsToAdd().empty());
    EXPECT_TRUE(ChatInvitationWindowController::openControllers().empty());
    // They are invited once the invitation text is confirmed.
    auto* group = chatWindow(1);
    ASSERT_TRUE(group->isInvitationSheetShown());
    EXPECT_TRUE(group->invitedParticipants().empty());
    group->chatInvitationOK();
    idle();
    EXPECT_EQ(group->invitedParticipants(),
              (std::vector<std::string>{"dave@chat.lumiq.example", "chloe@chat.lumiq.example"}));
}

TEST_F(EventHubTest, ChatEndedWhileSignedInToAnUnreachableHostedServiceClosesItsWindow) {
    scenario->hostedServiceSignIn(true);
    scenario->incomingMessage(bob, "Hello", "Bob Baker");
    idle();
    phone()->getConnectService()->setConnected(false);
    scenario->chatEnded(bob);
    idle();
    EXPECT_TRUE(controller->imSessions().empty());
    EXPECT_TRUE(controller->imWindowControllers().empty());
}

// Requests that come while one is shown wait; each answer brings the oldest waiting one, and
// the window closes when none is left.
TEST_F(EventHubTest, PresenceRequestsWaitAndAreShownOldestFirst) {
    for (const char* who : {carol, bob, "sip:dave@sip.lumiq.example"}) {
        scenario->presenceRequest(who, "", "May I?");
    }
    idle();
    auto& window = PresenceRequestWindowController::sharedPresenceRequestWindowController();
    const auto first = window.request();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->address(), carol);
    EXPECT_EQ(controller->waitingPresenceRequestCount(), 2u);

    window.allow(nullptr);
    const auto second = window.request();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->address(), bob);
    EXPECT_EQ(controller->waitingPresenceRequestCount(), 1u);

    window.ignore(nullptr);
    const auto third = window.request();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->address(), "sip:dave@sip.lumiq.example");

    window.block(nullptr);
    EXPECT_FALSE(window.window()->isVisible());
    EXPECT_EQ(controller->nextPresenceRequest(), nullptr);
    EXPECT_EQ(first->answer(), PresenceRequest::Answer::accepted);
    EXPECT_EQ(second->answer(), PresenceRequest::Answer::ignored);
    EXPECT_EQ(third->answer(), PresenceRequest::Answer::blocked);

    // A request after the window closed is shown at once again.
    scenario->presenceRequest(bob, "Bob Baker");
    idle();
    EXPECT_TRUE(window.window()->isVisible());
    EXPECT_EQ(controller->waitingPresenceRequestCount(), 0u);
}

// A changed count brings a hidden toolbar back after half a second; an unchanged one is posted
// again but leaves the toolbar alone.
TEST_F(EventHubTest, VoiceMailCountBringsAHiddenToolbarBack) {
    const auto toolbar = window->toolbar();
    ASSERT_NE(toolbar, nullptr);
    ASSERT_TRUE(toolbar->isVisible());
    PostedNotifications posted{VoiceMailCountNotification};

    window->toggleToolbarShown(nullptr);
    ASSERT_FALSE(toolbar->isVisible());
    scenario->voiceMail(3);
    pass(0.4);
    EXPECT_FALSE(toolbar->isVisible());
    pass(0.2);
    EXPECT_TRUE(toolbar->isVisible());

    window->toggleToolbarShown(nullptr);
    scenario->voiceMail(3);
    pass(1);
    EXPECT_FALSE(toolbar->isVisible()) << "an unchanged count leaves the toolbar hidden";
    const auto counts = posted.named(VoiceMailCountNotification);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[1].userInfo[VoiceMailCount].intValue(), 3);

    // Two changes in quick succession show it once; it does not flip back out.
    scenario->voiceMail(4);
    idle();
    scenario->voiceMail(5);
    pass(1);
    EXPECT_TRUE(toolbar->isVisible());

    feature("show_voicemail_count", false);
    scenario->voiceMail(6);
    pass(1);
    EXPECT_EQ(posted.named(VoiceMailCountNotification).size(), 4u);
}

TEST_F(EventHubTest, DeskphoneMessagesAndWhichOnesClearThemselves) {
    const struct {
        OVDeskphoneStatus status;
        std::string text;
        bool clearsAfterSevenSeconds;
        std::vector<std::pair<std::string, std::string>> links;
    } cases[] = {
        {OVDeskphoneStatus::connecting, "Connecting to Deskphone, please wait...", false, {}},
        {OVDeskphoneStatus::connected, "Deskphone connected", true, {}},
        {OVDeskphoneStatus::disconnecting, "Disconnecting Deskphone, please wait...", false, {}},
        {OVDeskphoneStatus::disconnected, "Deskphone disconnected", true, {}},
        {OVDeskphoneStatus::failed,
         "Cannot make or receive calls at this time\nFailed to connect to Deskphone"
         "\n\nClick here to retry\nClick here to configure",
         false,
         {{"\n\nClick here to retry", "retryDeskphone"},
          {"\nClick here to configure", "configureDeskphone"}}},
        {OVDeskphoneStatus::other, "", false, {}},
    };
    for (const auto& c : cases) {
        primary().setStatusMessage(platform::AttributedString("an older message"));
        controller->ovdsStatusChanged(c.status);
        const auto& message = primary().statusMessage();
        EXPECT_EQ(message.string(), c.text);
        std::vector<std::pair<std::string, std::string>> links;
        for (const auto& run : message.runs()) {
            if (run.attributes.link) {
                links.emplace_back(message.string().substr(run.range.location, run.range.length),
                                   *run.attributes.link);
            }
        }
        EXPECT_EQ(links, c.links) << c.text;
        if (!message.empty()) {
            const auto& run = message.runs().front();
            ASSERT_TRUE(run.attributes.font);
            EXPECT_EQ(run.attributes.font->pointSize(), 11);
            ASSERT_TRUE(run.attributes.paragraphStyle);
            EXPECT_EQ(run.attributes.paragraphStyle->alignment, platform::TextAlignment::Center);
        }
        pass(6.9);
        EXPECT_EQ(statusMessage(), c.text) << c.text;
        pass(0.2);
        EXPECT_EQ(statusMessage(), c.clearsAfterSevenSeconds ? "" : c.text) << c.text;
    }
    // A new status stops the pending clear of the one before.
    controller->ovdsStatusChanged(OVDeskphoneStatus::connected);
    pass(3);
    controller->ovdsStatusChanged(OVDeskphoneStatus::connecting);
    pass(5);
    EXPECT_EQ(statusMessage(), "Connecting to Deskphone, please wait...");
}

TEST_F(EventHubTest, ConversationServiceAvailabilityBecomesTheKeptMessage) {
    scenario->dropNetwork();
    idle();
    EXPECT_EQ(controller->conversationServiceAvailabilityMessage(), "There is a network problem");
    scenario->restoreNetwork();
    idle();
    EXPECT_EQ(controller->conversationServiceAvailabilityMessage(), "Registering account...");
    pass(2);
    EXPECT_EQ(controller->conversationServiceAvailabilityMessage(), "Ready to Call");

    feature("show_ready_to_call_status_message", false);
    scenario->dropNetwork();
    idle();
    scenario->restoreNetwork();
    pass(2);
    EXPECT_EQ(controller->conversationServiceAvailabilityMessage(), "");
}

TEST_F(EventHubTest, WebTokenFillsEveryTokenMarkOfEitherCase) {
    scenario->network()->setConfiguration(
        "portalUrlSignedIn", platform::Value("https://portal.lumiq.example/%S/home?token=%s&x=%d"));
    scenario->hostedServiceConnection(true);
    pass(1);
    const auto token = phone()->getConnectService()->webToken();
    ASSERT_FALSE(token.empty());
    EXPECT_EQ(webBrowserURL(),
              "https://portal.lumiq.example/" + token + "/home?token=" + token + "&x=%d");
}

TEST_F(EventHubTest, HostedServiceConnectedRestoresTheStoredOwnPresence) {
    const struct {
        const char* name;
        std::optional<std::string> storedMessage;
        bool remoteSynchronization;
        bool published;
    } cases[] = {
        {"stored message", "Busy", false, true},
        {"the server keeps presence in step", "Busy", true, false},
        {"nothing stored", std::nullopt, false, false},
    };
    for (const auto& c : cases) {
        auto& defaults = platform::UserDefaults::standardUserDefaults();
        defaults.setInteger("mainPhone.presence.status", 1);
        if (c.storedMessage) {
            defaults.setString("mainPhone.presence.message", *c.storedMessage);
        } else {
            defaults.removeObjectForKey("mainPhone.presence.message");
        }
        feature("remote_presence_synchronization", c.remoteSynchronization);
        const auto self = phone()->getPresenceService()->getSelfPresence();
        self->reset();
        scenario->hostedServiceConnection(true);
        pass(1);
        if (c.published) {
            EXPECT_EQ(self->publishedStatus(), OVPresenceStatus::statusBusy) << c.name;
            EXPECT_EQ(self->publishedMessage(),
                      ContactOperations::instance().translatePresenceMessageReverse("Busy"))
                << c.name;
        } else {
            EXPECT_EQ(self->publishedStatus(), std::nullopt) << c.name;
        }
        scenario->hostedServiceConnection(false);
        pass(1);
    }
}

TEST_F(EventHubTest, HostedServiceLostPointsTheWebTabAtThePortalAndClosesItsWindows) {
    scenario->hostedServiceConnection(true);
    pass(1);
    ConnectServiceWindowController::initSharedController(nullptr)->showWindow(nullptr);
    ConnectInviteFriendsWindowController::sharedInviteWindowController().showWindow(nullptr);

    scenario->hostedServiceConnection(false);
    pass(1);
    EXPECT_EQ(webBrowserURL(), "https://portal.lumiq.example/");
    EXPECT_EQ(FunctionModuleController::sharedController().reloadTabsCount(), 2);
    EXPECT_EQ(ConnectServiceWindowController::sharedController(), nullptr);
    EXPECT_FALSE(ConnectInviteFriendsWindowController::sharedInviteWindowControllerExists());
}

// The hosted-service command signs out from the menu, closing the chat windows; from the
// toolbar it only ever signs in or up.
TEST_F(EventHubTest, HostedServiceCommandSignsOutOnlyFromTheMenu) {
    scenario->hostedServiceSignIn(true);
    scenario->incomingMessage(bob, "Hello", "Bob Baker");
    pass(1);
    ASSERT_TRUE(phone()->getConnectService()->isSignedIn());

    controller->connectionServiceOperation(&ToolbarController::sharedController());
    pass(1);
    EXPECT_TRUE(phone()->getConnectService()->isSignedIn());
    EXPECT_EQ(controller->imWindowControllers().size(), 1u);

    EXPECT_TRUE(controller->performEventHubAction("connectionServiceOperation:", nullptr));
    pass(1);
    EXPECT_FALSE(phone()->getConnectService()->isSignedIn());
    EXPECT_TRUE(controller->imWindowControllers().empty());
}

TEST_F(EventHubTest, TransferWindowsComeForwardAndGoWhenClosed) {
    auto request =
        phone()->getFileTransferService()->newOutgoingFileTransfer(bob, "", "Bob Baker", {"a.txt"});
    ASSERT_NE(request, nullptr);
    idle();
    ASSERT_EQ(controller->fileTransferRequests().size(), 1u);
    auto* transfer =
        dynamic_cast<FileTransferWindowController*>(controller->fileTransferRequests()[0].get());
    ASSERT_NE(transfer, nullptr);
    EXPECT_TRUE(transfer->window()->isKeyWindow());

    scenario->fileTransferOffered(carol, "Carol Cole", {"b.txt"});
    idle();
    ASSERT_EQ(controller->fileTransferRequests().size(), 2u);

    transfer->cancel(nullptr);
    pass(1);
    ASSERT_EQ(controller->fileTransferRequests().size(), 2u) << "the window tells how it ended";
    EXPECT_EQ(transfer->request()->state(), FileTransferRequest::stateCancelled);
    transfer->closeWindow(nullptr);
    idle();
    ASSERT_EQ(controller->fileTransferRequests().size(), 1u);
    auto* remaining =
        dynamic_cast<FileTransferWindowController*>(controller->fileTransferRequests()[0].get());
    EXPECT_EQ(remaining->request()->remoteAddress(), carol);
}

TEST_F(EventHubTest, MenuCommandsReachThePrimaryModuleUnderItsSpelling) {
    const std::pair<const char*, const char*> commands[] = {
        {"toggleDialpad:", "toggleDialpad:"},
        {"toggleSpeakerPhone:", "toggleSpeakerPhone:"},
        {"toggleVideo:", "toggleVideo:"},
        {"toggleDeskphone:", "toggleDeskphone:"},
        {"voiceMailPressed:", "voiceMailPressed:"},
        {"missedCallsPressed:", "missedCallsPressed:"},
        {"presenceChanged:", "presenceChanged:"},
        {"toggleAnonymousCalling:", "togglAnonymousCalling:"},
        {"toggleAutoAnswer:", "togglAutoAnswer:"},
        {"toggleLettersToNumbers:", "togglLettersToNumbers:"},
    };
    std::vector<std::string> expected;
    for (const auto& [action, received] : commands) {
        EXPECT_TRUE(controller->performEventHubAction(action, nullptr)) << action;
        expected.emplace_back(received);
    }
    EXPECT_EQ(primary().performedCommands(), expected);
    EXPECT_FALSE(controller->performEventHubAction("logout:", nullptr));

    EXPECT_TRUE(controller->performEventHubAction("startFocusConference:", nullptr));
    idle();
    EXPECT_EQ(phone()->getConversationService()->getAllConversations().size(), 1u);

    const auto toolbar = window->toolbar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(controller->performEventHubAction("showToolBarCallback:", nullptr));
    EXPECT_FALSE(toolbar->isVisible());
}

TEST_F(EventHubTest, DetachingLetsEveryServiceGo) {
    controller->detachEventHubServices();
    PostedNotifications posted{VoiceMailCountNotification};
    scenario->voiceMail(7);
    scenario->incomingMessage(bob, "Anyone there?");
    scenario->deskphoneStatus(OVDeskphoneStatus::connecting);
    pass(1);
    EXPECT_TRUE(posted.posted.empty());
    EXPECT_TRUE(controller->imWindowControllers().empty());
    EXPECT_EQ(controller->phoneService(), nullptr);
    EXPECT_EQ(controller->presenceService(), nullptr);
}

} // namespace
