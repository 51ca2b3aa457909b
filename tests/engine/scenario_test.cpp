#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <functional>

using namespace engine_test;

namespace {

// Each event of the other side, played on a running session of the demo user: nothing is
// heard before the run loop turns, then the callbacks the interface relies on, in order.
TEST_F(EngineTest, EveryScenarioRaisesTheCallbacksOfTheRealEngine) {
    using Check = std::function<void(PhoneService&, EngineRecorder&)>;
    const struct {
        const char* name;
        std::function<void(Scenario&)> play;
        platform::TimeInterval wait;
        std::vector<std::string> expected;
        Check check;
    } cases[] = {
        {"server-forced logout",
         [](Scenario& s) { s.serverForcedLogout(); },
         0,
         {"LogoutRequested:serverForced"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_FALSE(r.heardAny("LogoutStarted:serverForced"))
                 << "the interface decides to log out";
         }},
        {"re-registration failed",
         [](Scenario& s) { s.serverForcedLogout(OVLogoutReason::reRegistrationFailed); },
         0,
         {"LogoutRequested:reRegistrationFailed"},
         {}},
        {"dropped network",
         [](Scenario& s) { s.dropNetwork(); },
         0,
         {"networkStatusChanged:NO", "phoneStatusChange:8", "ovsaAvailabilityChanged:4",
          "accountStatusChanged:Alice (SIP):disabled"},
         [](PhoneService& phone, EngineRecorder&) {
             EXPECT_EQ(phone.getPhoneStatusService()->status()->value(), 8);
             EXPECT_FALSE(phone.getConversationService()->newConversationAllowed());
         }},
        {"network back",
         [](Scenario& s) {
             s.dropNetwork();
             s.restoreNetwork();
         },
         1,
         {"networkStatusChanged:NO", "networkStatusChanged:YES",
          "accountStatusChanged:Alice (SIP):enabling", "ovsaAvailabilityChanged:available",
          "phoneStatusChange:4"},
         [](PhoneService& phone, EngineRecorder&) {
             EXPECT_EQ(phone.getPhoneStatusService()->status()->value(), 4);
         }},
        {"an account failing",
         [](Scenario& s) {
             s.accountFails("Alice (SIP)", OVAccountFailureCause::failureServerNotAvailable, 503);
         },
         0,
         {"accountStatusChanged:Alice (SIP):failed", "phoneStatusChange:3",
          "ovsaAvailabilityChanged:3"},
         [](PhoneService& phone, EngineRecorder&) {
             auto account = phone.getAccountService()->accountNamed("Alice (SIP)");
             EXPECT_EQ(account->failureCause(), OVAccountFailureCause::failureServerNotAvailable);
             EXPECT_EQ(account->sipFailureCode(), 503);
             EXPECT_TRUE(account->toEnable()) << "a retry will enable it";
         }},
        {"every account failing",
         [](Scenario& s) {
             s.accountFails("Alice (SIP)", OVAccountFailureCause::failureCredentials);
             s.accountFails("Alice (Chat)", OVAccountFailureCause::failureConnectionError);
         },
         0,
         {"phoneStatusChange:3", "phoneStatusChange:5"},
         {}},
        {"the only SIP account failing leaves no way to call",
         [](Scenario& s) { s.accountFails("Alice (SIP)", OVAccountFailureCause::failureTLSCert); },
         0,
         {"phoneStatusChange:3"},
         [](PhoneService& phone, EngineRecorder&) {
             EXPECT_EQ(phone.getAccountService()->defaultAccount(OVAccount::featureCall), nullptr);
             EXPECT_NE(phone.getAccountService()->defaultAccount(OVAccount::featurePresence),
                       nullptr);
         }},
        {"incoming call",
         [](Scenario& s) { s.incomingCall("sip:dave@sip.lumiq.example"); },
         0,
         {"conversationAdded:in", "toastAdded:0"},
         [](PhoneService& phone, EngineRecorder& r) {
             ASSERT_TRUE(r.lastConversation);
             EXPECT_EQ(r.lastConversation->connectionStatus(), Conversation::statusRingingIncoming);
             EXPECT_EQ(phone.getConversationService()->linesInUse(), 1);
             const auto remote = r.lastConversation->participants().front();
             EXPECT_EQ(remote->displayName(), "Dave Dunn") << "found among the contacts";
             EXPECT_EQ(remote->addressToDisplay(), "dave@sip.lumiq.example");
             EXPECT_EQ(r.lastToast->contact()->displayName(), "Dave Dunn");
             EXPECT_TRUE(r.lastToast->canAnswer());
             EXPECT_FALSE(r.lastToast->videoRequestedIncomingCall());
         }},
        {"incoming call given up by the caller",
         [](Scenario& s) {
             s.incomingCall("sip:zed@elsewhere.example", "Zed");
             s.remoteHangsUp("call-1");
         },
         0,
         {"conversationAdded:in", "toastAdded:0", "toastRemoved:0", "conversationRemoved:4"},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_EQ(phone.getConversationService()->linesInUse(), 0);
             EXPECT_EQ(phone.getCallHistoryService()->unreviewedMissedCalls(), 1);
             EXPECT_EQ(r.lastConversation->participants().front()->displayName(), "Zed");
         }},
        {"incoming video call",
         [](Scenario& s) { s.incomingCall("sip:erin@sip.lumiq.example", "", true); },
         0,
         {"conversationAdded:in", "toastAdded:0"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_TRUE(r.lastToast->videoRequestedIncomingCall());
             EXPECT_TRUE(r.lastToast->canAnswerWithAudioOnly());
         }},
        {"incoming message opens a session once",
         [](Scenario& s) {
             s.incomingMessage("dave@chat.lumiq.example", "hi");
             s.incomingMessage("xmpp:dave@chat.lumiq.example", "there");
         },
         0,
         {"imSessionAdded:dave@chat.lumiq.example", "toastAdded:1", "toastAdded:1"},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_EQ(phone.getIMService()->sessions().size(), 1u);
             EXPECT_EQ(r.lastSession->messages().size(), 2u);
             EXPECT_EQ(r.lastSession->remoteDisplayName(), "Dave Dunn");
             EXPECT_EQ(r.lastToast->imSession(), r.lastSession);
             EXPECT_FALSE(r.lastToast->imSession()->host());
         }},
        {"chat invitation",
         [](Scenario& s) {
             s.chatInvitation("room@conference.lumiq.example", "dave@chat.lumiq.example", "Dave",
                              "Join us");
         },
         0,
         {"newChatInvitation:room@conference.lumiq.example"},
         [](PhoneService&, EngineRecorder& r) {
             ASSERT_TRUE(r.lastInvitation);
             EXPECT_EQ(r.lastInvitation->invitationMsg(), "Join us");
             r.lastInvitation->accept();
             settle();
             EXPECT_TRUE(r.heardAny("imSessionAdded:room@conference.lumiq.example"));
             EXPECT_TRUE(r.lastSession->isGroupChat());
             EXPECT_EQ(r.lastSession->groupChatId(), "room@conference.lumiq.example");
         }},
        {"a contact going offline",
         [](Scenario& s) {
             s.presenceChange("sip:dave@sip.lumiq.example", OVPresenceStatus::statusOffline);
         },
         0,
         {"presenceUpdated:sip:dave@sip.lumiq.example:7", "toastAdded:3"},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_EQ(r.lastToast->contact()->presenceStatus(), 7);
             EXPECT_TRUE(phone.getTonePlayer()->playedTones().empty())
                 << "the interface decides about sounds";
         }},
        {"a contact coming online, then changing only its note",
         [](Scenario& s) {
             s.presenceChange("erin@chat.lumiq.example", OVPresenceStatus::statusAvailable);
             s.presenceChange("erin@chat.lumiq.example", OVPresenceStatus::statusBusy, "Meeting");
         },
         0,
         {"presenceUpdated:erin@chat.lumiq.example:0", "toastAdded:2",
          "presenceUpdated:erin@chat.lumiq.example:1"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "toastAdded:2"), 1);
             EXPECT_EQ(r.lastToast->presence()->message(), "Meeting");
         }},
        {"presence request",
         [](Scenario& s) {
             s.presenceRequest("gina@chat.lumiq.example", "Gina", "Add me", "Alice (Chat)");
         },
         0,
         {"presenceRequest:gina@chat.lumiq.example"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_EQ(r.lastPresenceRequest->accountProtocol(), OVAccount::XMPPprotocol);
             EXPECT_EQ(r.lastPresenceRequest->accountName(), "Alice (Chat)");
             r.lastPresenceRequest->accept();
             r.lastPresenceRequest->block();
             EXPECT_EQ(r.lastPresenceRequest->answer(), PresenceRequest::Answer::accepted);
         }},
        {"alert-list notice",
         [](Scenario& s) { s.alertListNotice("sip:frank@sip.lumiq.example"); },
         0,
         {"toastAdded:5"},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_EQ(r.lastToast->contact()->displayName(), "Frank Ford");
             EXPECT_EQ(phone.getToastService()->toasts().size(), 1u) << "kept until removed";
         }},
        {"other notice, then withdrawn with the alert-list notice",
         [](Scenario& s) {
             s.incomingCall("sip:dave@sip.lumiq.example");
             s.alertListNotice("sip:frank@sip.lumiq.example");
             s.otherNotice("Conference starts in 5 minutes");
             s.withdrawNotices();
         },
         0,
         {"toastAdded:0", "toastAdded:5", "toastAdded:6", "toastRemoved:5", "toastRemoved:6"},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_FALSE(r.heardAny("toastRemoved:0")) << "a ringing call keeps its toast";
             EXPECT_EQ(phone.getToastService()->toasts().size(), 1u);
         }},
        {"engine notice",
         [](Scenario& s) {
             s.notice(Notification::typeConfigUpdate_ForcedOut, "New configuration");
         },
         0,
         {"ovnsNewNotification:New configuration"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_EQ(r.lastNotification->getType(), Notification::typeConfigUpdate_ForcedOut);
             EXPECT_FALSE(r.lastNotification->hasBeenHandled());
         }},
        {"voicemail",
         [](Scenario& s) {
             s.voiceMail(5);
             s.voiceMail(5);
         },
         0,
         {"voiceMailUpdate:5", "voiceMailUpdate:5"},
         {}},
        {"device change",
         [](Scenario& s) { s.deviceChange(Toast::DeviceEvent::headsetIn, "USB Headset"); },
         0,
         {"mediaDevicesChanged", "toastAdded:4"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_EQ(r.lastToast->deviceEvent(), Toast::DeviceEvent::headsetIn);
             EXPECT_EQ(r.lastToast->display(), "USB Headset");
         }},
        {"audio levels, reported only while asked for",
         [](Scenario& s) { s.audioLevels(30, 60); },
         0,
         {},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_TRUE(r.calls.empty());
             phone.enableReportingAudioDeviceLevels(true);
             Scenario().audioLevels(130, -5);
             settle();
             EXPECT_EQ(r.calls, (std::vector<std::string>{"speakerOutputLevelChanged:100",
                                                          "microphoneInputLevelChanged:0"}));
         }},
        {"file offered",
         [](Scenario& s) {
             s.fileTransferOffered("dave@chat.lumiq.example", "Dave", {"notes.txt"});
         },
         0,
         {"incomingFileTransfer:dave@chat.lumiq.example"},
         [](PhoneService&, EngineRecorder& r) {
             EXPECT_EQ(r.lastTransfer->state(), FileTransferRequest::stateWaitingForUser);
             EXPECT_TRUE(r.lastTransfer->isIncoming());
         }},
        {"mandatory update",
         [](Scenario& s) { s.updateAvailable("2.0", {"Faster"}, "https://x.example/2.0", true); },
         0,
         {"ovmdWindowServiceOnShow:mandatoryUpdate"},
         [](PhoneService&, EngineRecorder& r) {
             auto dialog = std::dynamic_pointer_cast<OVAutoUpdateDialogModel>(r.lastShownModel);
             ASSERT_TRUE(dialog);
             EXPECT_TRUE(dialog->isModal());
             EXPECT_EQ(dialog->newAppVersion(), "2.0");
             EXPECT_EQ(dialog->releaseNotes(), (std::vector<std::string>{"Faster"}));
         }},
        {"optional update is only announced",
         [](Scenario& s) { s.updateAvailable("2.0"); },
         0,
         {},
         [](PhoneService& phone, EngineRecorder& r) {
             EXPECT_TRUE(phone.autoUpdater()->isUpdateAvailable());
             EXPECT_FALSE(r.lastShownModel);
         }},
        {"hosted-service sign-in and connection loss",
         [](Scenario& s) {
             s.hostedServiceSignIn(true);
             s.hostedServiceConnection(false);
         },
         0,
         {"ovcsIsSignedIn:YES", "ovcsIsConnected:YES", "ovcsIsConnected:NO"},
         [](PhoneService& phone, EngineRecorder&) {
             EXPECT_TRUE(phone.getConnectService()->isSignedIn());
             EXPECT_FALSE(phone.getConnectService()->isConnected());
         }},
        {"hibernation",
         [](Scenario& s) { s.hibernate(); },
         0,
         {"HibernationSuspend", "accountStatusChanged:Alice (SIP):disabled", "phoneStatusChange:6"},
         [](PhoneService&, EngineRecorder&) {
             EXPECT_TRUE(StartupService::instance().hibernating());
         }},
        {"waking up",
         [](Scenario& s) {
             s.hibernate();
             s.wake();
         },
         1,
         {"HibernationSuspend", "HibernationResume", "accountStatusChanged:Alice (SIP):enabled",
          "phoneStatusChange:4"},
         {}},
        {"deskphone",
         [](Scenario& s) { s.deskphoneStatus(OVDeskphoneStatus::failed); },
         0,
         {"ovdsStatusChanged:4"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartupService::resetInstance();
        engine().phoneService()->setUserSettingFolder(settingsFolder);
        EngineRecorder recorder(engine());
        startSession();
        recorder.calls.clear();
        recorder.lastShownModel.reset();
        Scenario scenario;

        c.play(scenario);
        EXPECT_TRUE(recorder.calls.empty()) << "events arrive through the run loop";
        pass(c.wait);

        EXPECT_TRUE(recorder.heard(c.expected)) << recorder.log();
        if (c.check) {
            c.check(*engine().phoneService(), recorder);
        }
    }
}

TEST_F(EngineTest, EventsForAStoppedSessionAreDropped) {
    EngineRecorder recorder(engine());
    initialize();
    settle();
    recorder.calls.clear();
    Scenario scenario;
    scenario.incomingCall("sip:dave@sip.lumiq.example");
    scenario.incomingMessage("dave@chat.lumiq.example", "hi");
    scenario.presenceChange("dave@chat.lumiq.example", OVPresenceStatus::statusBusy);
    scenario.serverForcedLogout();
    scenario.voiceMail(3);
    pass(1);
    EXPECT_TRUE(recorder.calls.empty()) << recorder.log();
}

TEST_F(EngineTest, AScenarioOnAnotherBackendStillSendsEvents) {
    engine().setBackend(std::make_shared<SimulatedNetwork>());
    Scenario scenario;
    EXPECT_NE(scenario.network(), nullptr);
    EngineRecorder recorder(engine());
    scenario.notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    settle();
    EXPECT_TRUE(recorder.heardAny("ovnsNewNotification:"));
}

} // namespace
