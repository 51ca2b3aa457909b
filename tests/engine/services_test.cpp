#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace engine_test;

namespace {

class ServicesTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        recorder = std::make_unique<EngineRecorder>(engine());
    }
    void TearDown() override {
        recorder.reset();
        EngineTest::TearDown();
    }
    void running(std::string_view user = "alice", std::string_view password = "wonderland") {
        startSession(user, password);
        recorder->calls.clear();
    }
    std::shared_ptr<PhoneService> phone() const { return engine().phoneService(); }
    SimulatedNetwork& network() const { return *Scenario().network(); }
    std::vector<std::string>& calls() { return recorder->calls; }
    std::unique_ptr<EngineRecorder> recorder;
};

TEST_F(ServicesTest, AnOutgoingCallRingsThenConnectsThenEnds) {
    EXPECT_EQ(phone()->getConversationService()->audioConversation("sip:dave@x", -1), nullptr)
        << "no call before the session";
    running();
    auto service = phone()->getConversationService();
    auto call = service->audioConversation("sip:dave@sip.lumiq.example", 7);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->connectionStatus(), Conversation::statusConnected);
    EXPECT_EQ(call->entityID(), 7);
    EXPECT_EQ(call->participants().front()->getCallInfo()->accountUsed(), "Alice (SIP)");
    EXPECT_TRUE(calls().empty());
    settle();
    EXPECT_EQ(calls().front(), "conversationAdded:out");
    EXPECT_EQ(service->linesInUse(), 1);

    pass(0.3);
    EXPECT_EQ(call->participants().front()->connectionStatus(), Participant::statusRinging);
    pass(1.0);
    EXPECT_EQ(call->connectionStatus(), Conversation::statusConnected);
    EXPECT_TRUE(call->canHold());

    call->hold();
    settle();
    EXPECT_TRUE(call->isHoldingLocally());
    call->end();
    pass(0.1);
    EXPECT_EQ(calls().back(), "conversationRemoved:4");
    EXPECT_EQ(service->linesInUse(), 0);
    EXPECT_EQ(network().requests().back(), "hangUp call-1");
}

TEST_F(ServicesTest, BusyAndUnansweredPartiesAndTheLineLimit) {
    running();
    auto service = phone()->getConversationService();
    auto busy = service->audioConversation("sip:busy@sip.lumiq.example", -1);
    auto unanswered = service->videoConversation("sip:nobody@sip.lumiq.example", -1);
    pass(5);
    EXPECT_EQ(busy->connectionStatus(), Conversation::statusFailed);
    EXPECT_TRUE(busy->callFailed());
    EXPECT_EQ(busy->participants().front()->connectionStatus(), Participant::statusFailedToConnect);
    EXPECT_EQ(unanswered->connectionStatus(), Conversation::statusConnected);
    EXPECT_TRUE(unanswered->isVideo());

    for (int i = service->linesInUse(); i < ConversationService::maximumLines; ++i) {
        EXPECT_TRUE(service->audioConversation("sip:nobody@sip.lumiq.example", -1));
    }
    EXPECT_FALSE(service->newConversationAllowed());
    EXPECT_EQ(service->audioConversation("sip:dave@sip.lumiq.example", -1), nullptr);
    EXPECT_EQ(service->audioConversation("", -1), nullptr);
}

TEST_F(ServicesTest, AnsweringOrDecliningAnIncomingCallTakesItsToastBack) {
    running();
    Scenario scenario;
    const struct {
        const char* name;
        bool video;
        std::function<void(Toast&)> act;
        int status;
        bool videoAccepted;
    } cases[] = {
        {"answer", false, [](Toast& t) { t.answer(); }, Conversation::statusConnected, false},
        {"answer video", true, [](Toast& t) { t.answer(); }, Conversation::statusConnected, true},
        {"audio only", true, [](Toast& t) { t.answerWithAudioOnly(); },
         Conversation::statusConnected, false},
        {"decline", false, [](Toast& t) { t.decline(); }, Conversation::statusEnded, false},
    };
    for (const auto& c : cases) {
        calls().clear();
        scenario.incomingCall("sip:erin@sip.lumiq.example", "", c.video);
        settle();
        auto toast = recorder->lastToast;
        ASSERT_TRUE(toast) << c.name;
        auto call = toast->conversation();
        c.act(*toast);
        settle();
        EXPECT_EQ(call->connectionStatus(), c.status) << c.name;
        EXPECT_TRUE(recorder->heardAny("toastRemoved:0")) << c.name;
        EXPECT_EQ(recorder->heardAny("ovvsIncomingVideoCallAccepted"), c.videoAccepted) << c.name;
        EXPECT_FALSE(toast->canAnswer()) << c.name;
        EXPECT_TRUE(phone()->getToastService()->toasts().empty()) << c.name;
        call->end();
        pass(1);
    }
}

TEST_F(ServicesTest, ASecondIncomingCallRingsAsWaiting) {
    running();
    Scenario scenario;
    scenario.incomingCall("sip:dave@sip.lumiq.example");
    settle();
    recorder->lastConversation->answer();
    settle();
    scenario.incomingCall("sip:erin@sip.lumiq.example");
    settle();
    EXPECT_EQ(recorder->lastConversation->connectionStatus(), Conversation::statusRingingWaiting);
    EXPECT_TRUE(recorder->lastConversation->canAnswer());
    EXPECT_EQ(phone()->getConversationService()->linesInUse(), 2);
}

TEST_F(ServicesTest, MessagingSessionsOpenOnceAndReportUndeliveredMessages) {
    auto im = phone()->getIMService();
    EXPECT_FALSE(im->newIMAllowed());
    EXPECT_EQ(im->newIMSession("dave@chat.lumiq.example", true, false), nullptr);
    running();
    ASSERT_TRUE(im->newIMAllowed());
    auto session = im->newIMSession("dave@chat.lumiq.example", true, false);
    ASSERT_TRUE(session);
    settle();
    auto again = im->newIMSession("xmpp:dave@chat.lumiq.example", true, false);
    settle();
    EXPECT_EQ(again, session);
    EXPECT_EQ(calls(), (std::vector<std::string>{"imSessionAdded:dave@chat.lumiq.example",
                                                 "existingIMSession:dave@chat.lumiq.example"}));
    EXPECT_EQ(session->delegate(), nullptr);

    struct Window : IMSessionPro {
        std::vector<std::string> failures;
        void imSendMessageFailure(const std::string& text) override { failures.push_back(text); }
    } window;
    session->setDelegate(&window);
    EXPECT_EQ(session->delegate(), &window);
    session->sendMessage("hello", "<b>hello</b>");
    network().setMessageDelivery(false);
    session->sendMessage("lost", "lost");
    pass(1);
    EXPECT_EQ(window.failures, (std::vector<std::string>{"lost"}));
    EXPECT_TRUE(session->messages()[0].delivered);
    EXPECT_FALSE(session->messages()[1].delivered);

    session->end();
    settle();
    EXPECT_EQ(calls().back(), "imSessionRemoved:dave@chat.lumiq.example");
    EXPECT_TRUE(im->sessions().empty());
    session->removeDelegate(&window);
}

TEST_F(ServicesTest, FileTransfersRunThroughTheirStates) {
    running();
    Scenario scenario;
    const auto folder = std::filesystem::temp_directory_path() /
                        ("lumiq-transfer-states-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    struct Window : FileTransferRequestPro {
        std::vector<int> states;
        void fileTransferStateChanged(const std::shared_ptr<FileTransferRequest>& r) override {
            states.push_back(r->state());
        }
    };
    const struct {
        const char* name;
        std::function<void(FileTransferRequest&)> act;
        std::vector<int> states;
    } cases[] = {
        {"accepted", [&](FileTransferRequest& r) { r.accept(folder.string()); }, {3, 4}},
        {"declined", [](FileTransferRequest& r) { r.decline(); }, {7}},
        {"cancelled while waiting", [](FileTransferRequest& r) { r.cancel(); }, {5}},
    };
    for (const auto& c : cases) {
        scenario.fileTransferOffered("dave@chat.lumiq.example", "Dave", {"a.txt", "b.txt"});
        settle();
        auto request = recorder->lastTransfer;
        Window window;
        request->setDelegate(&window);
        c.act(*request);
        pass(2);
        EXPECT_EQ(window.states, c.states) << c.name;
        EXPECT_FALSE(request->isActive()) << c.name;
        request->removeDelegate(&window);
    }

    const auto sent = (folder / "c.txt").string();
    std::ofstream(sent) << "c";
    auto outgoing = phone()->getFileTransferService()->newOutgoingFileTransfer(
        "dave@chat.lumiq.example", "", "Dave", {sent});
    ASSERT_TRUE(outgoing);
    EXPECT_TRUE(outgoing->isActive());
    pass(3);
    EXPECT_TRUE(recorder->heardAny("outgoingFileTransfer:dave@chat.lumiq.example"));
    EXPECT_EQ(outgoing->state(), FileTransferRequest::stateCompleted);
    std::filesystem::remove_all(folder);
}

TEST_F(ServicesTest, AFailedAccountIsRetriedAndADisabledOneStaysDown) {
    running("carol", "singer");
    auto accounts = phone()->getAccountService();
    auto sip = accounts->accountNamed("Carol (SIP)");
    EXPECT_EQ(sip->status(), OVAccount::statusFailed) << "the demo's failing account";
    EXPECT_EQ(sip->sipFailureCode(), 503);
    EXPECT_EQ(phone()->getPhoneStatusService()->status()->value(), 3);
    EXPECT_EQ(
        sip->getSettings()->sub("sipAccount")->sub("account")->sub("accountName")->stringSetting(),
        "Carol (SIP)");

    network().failNextRegistration(sip->accountID(), AccountAnswer{true, {}, 0});
    sip->enable();
    pass(1);
    EXPECT_EQ(sip->status(), OVAccount::statusEnabled);
    EXPECT_EQ(sip->failureCause(), OVAccountFailureCause::failureNone);
    EXPECT_EQ(sip->sipFailureCode(), 0);
    EXPECT_EQ(phone()->getPhoneStatusService()->status()->value(), 4);

    auto chat = accounts->accountNamed("Carol (Chat)");
    chat->disable();
    pass(1);
    EXPECT_TRUE(recorder->heard({"accountStatusChanged:Carol (Chat):disabling",
                                 "accountStatusChanged:Carol (Chat):disabled"}));
    EXPECT_FALSE(chat->toEnable());
    EXPECT_EQ(accounts->defaultAccount(OVAccount::featurePresence), sip);
    EXPECT_EQ(accounts->viewableAccountCount(), 2);
}

TEST_F(ServicesTest, PhoneStatusFollowsTheAccounts) {
    recorder.reset();
    const struct {
        const char* name;
        std::function<void(Scenario&)> play;
        int status;
    } cases[] = {
        {"all enabled", [](Scenario&) {}, 4},
        {"chat only",
         [](Scenario& s) {
             s.accountFails("Alice (SIP)", OVAccountFailureCause::failureCredentials);
             s.accountFails("Alice (Chat)", OVAccountFailureCause::failureNone);
         },
         3},
        {"SIP down by the user",
         [](Scenario&) {
             StartupService::instance()
                 .phoneService()
                 ->getAccountService()
                 ->accountNamed("Alice (SIP)")
                 ->disable();
         },
         7},
        {"everything disabled",
         [](Scenario&) {
             for (const auto& a :
                  StartupService::instance().phoneService()->getAccountService()->accounts()) {
                 a->disable();
             }
         },
         6},
        {"network down", [](Scenario& s) { s.dropNetwork(); }, 8},
    };
    for (const auto& c : cases) {
        StartupService::resetInstance();
        engine().phoneService()->setUserSettingFolder(settingsFolder);
        startSession();
        Scenario scenario;
        c.play(scenario);
        pass(1);
        auto status = phone()->getPhoneStatusService()->status();
        EXPECT_EQ(status->value(), c.status) << c.name;
        status->setValue(-1);
        status->refresh();
        EXPECT_EQ(status->value(), c.status) << c.name << ": refresh reads it again";
    }
}

TEST_F(ServicesTest, OwnPresenceIsPublishedAndAnswered) {
    auto presence = phone()->getPresenceService();
    EXPECT_FALSE(presence->presenceAllowed());
    running();
    EXPECT_TRUE(presence->presenceAllowed());
    auto self = presence->getSelfPresence();
    self->setStatus(OVPresenceStatus::statusBusy);
    self->setMessage("In a meeting");
    EXPECT_EQ(self->status(), OVPresenceStatus::statusBusy);
    EXPECT_FALSE(self->publishedStatus());
    self->publish();
    settle();
    EXPECT_TRUE(calls().empty());
    pass(0.1);
    EXPECT_EQ(calls(), (std::vector<std::string>{"selfPresenceUpdated:1"}));
    EXPECT_EQ(self->publishedStatus(), OVPresenceStatus::statusBusy);
    EXPECT_EQ(self->publishedMessage(), "In a meeting");
    EXPECT_EQ(network().requests().back(), "publish 1 In a meeting");

    engine().logout(OVLogoutReason::user);
    pass(1);
    EXPECT_EQ(self->status(), OVPresenceStatus::statusAvailable) << "a new session starts fresh";
    EXPECT_FALSE(self->publishedStatus());
}

TEST_F(ServicesTest, PhoneServiceOperationsAreAnsweredByTheirCallbacks) {
    initialize("alice");
    settle();
    calls().clear();
    auto p = phone();
    p->muteMic(true);
    p->muteMic(true);
    p->enableSpeaker(true);
    p->setSpeakerVolume(150);
    p->setSpeakerVolume(100);
    EXPECT_TRUE(p->micMuted()) << "the state changes at once";
    EXPECT_EQ(p->speakerVolume(), 100);
    EXPECT_TRUE(calls().empty()) << "the callbacks come later";
    settle();
    EXPECT_EQ(calls(), (std::vector<std::string>{"micMutedChanged:YES", "speakerEnabledChanged:YES",
                                                 "speakerVolumeChanged:100"}));

    EXPECT_EQ(
        p->stringSetting(PhoneService::appSettingsSource, "feature:auto_update:code_server_url"),
        "https://updates.lumiq.example/lumiq");
    EXPECT_EQ(p->stringSetting(PhoneService::appSettingsSource, "missing"), "");
    p->getPreferenceSettings()
        ->sub("preferences")
        ->sub("webBrowser")
        ->sub("url1")
        ->setStringSetting("https://a.example", true);
    EXPECT_EQ(p->stringSetting(PhoneService::userSettingsSource, "preferences/webBrowser/url1"),
              "https://a.example");
    EXPECT_EQ(p->stringSetting(PhoneService::userSettingsSource, "preferences/nothing/here"), "");
    EXPECT_EQ(p->getPreferenceSettings()->sub("preferences")->existingSub("nothing"), nullptr)
        << "reading makes no blocks";

    EXPECT_EQ(p->disclaimerAcceptUrl(),
              "https://e911.lumiq.example/disclaimer/accept?user=$username$");
    EXPECT_EQ(p->resolveUrlMacros(p->disclaimerAcceptUrl()),
              "https://e911.lumiq.example/disclaimer/accept?user=alice");
    EXPECT_FALSE(p->menuShareTwitterUrl().empty());
    p->makeUsTheDefaultPhoneApplication();
    EXPECT_EQ(p->defaultPhoneApplicationRequests(), 1);
}

TEST_F(ServicesTest, ContactMigrationIsAnsweredOnceDone) {
    network().setConfiguration("contactMigrationRequired", true);
    EXPECT_TRUE(phone()->contactMigrationRequired());
    phone()->migrateContacts();
    pass(0.4);
    EXPECT_TRUE(calls().empty());
    pass(0.1);
    EXPECT_EQ(calls(), (std::vector<std::string>{"contactMigrationComplete"}));
    EXPECT_FALSE(phone()->contactMigrationRequired());
}

TEST_F(ServicesTest, TheUpdateRoundFromCheckToInstall) {
    running();
    auto model = OVAutoUpdateModel::create();
    struct Listener : OVAutoUpdateDialogModelPro {
        std::vector<std::string> changes;
        void ovmdPropertyChanged(const std::string& name) override { changes.push_back(name); }
    } menu, window;
    model->setDelegate(&menu);
    EXPECT_FALSE(model->isUpdateAvailable());

    Scenario().updateAvailable("2.1", {"Faster", "Smaller"}, "https://x.example/notes");
    settle();
    EXPECT_TRUE(model->isUpdateAvailable());
    EXPECT_EQ(menu.changes, (std::vector<std::string>{"isUpdateAvailable"}));

    model->checkForUpdates();
    settle();
    auto dialog = std::dynamic_pointer_cast<OVAutoUpdateDialogModel>(recorder->lastShownModel);
    ASSERT_TRUE(dialog);
    dialog->setDelegate(&window);
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::checkingForUpdatesVisualState);
    EXPECT_TRUE(dialog->canCancel());
    EXPECT_FALSE(dialog->canDownloadAndInstall());
    pass(1);
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::updateAvailableVisualState);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->releaseNotesUrl(), "https://x.example/notes");

    ASSERT_TRUE(dialog->canDownloadAndInstall());
    Scenario().failNextDownload();
    dialog->downloadAndInstall();
    settle();
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::downloadingVisualState);
    pass(2);
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::downloadFailedVisualState);
    EXPECT_TRUE(dialog->installFileName().empty());

    dialog->downloadAndInstall();
    pass(2);
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::installingVisualState);
    EXPECT_TRUE(std::filesystem::is_regular_file(dialog->installFileName()))
        << dialog->installFileName();
    EXPECT_EQ(std::filesystem::path(dialog->installFileName()).parent_path().parent_path(),
              settingsFolder);
    EXPECT_EQ(std::count(window.changes.begin(), window.changes.end(), "visualStateName"), 5);

    dialog->close();
    EXPECT_FALSE(dialog->canClose());
    EXPECT_FALSE(dialog->canDownloadAndInstall());
    dialog->removeDelegate(&window);
    model->removeDelegate(&menu);
}

TEST_F(ServicesTest, CancellingACheckDropsItsAnswer) {
    running();
    auto model = OVAutoUpdateModel::create();
    Scenario().updateAvailable("2.1");
    model->checkForUpdates();
    settle();
    auto dialog = std::dynamic_pointer_cast<OVAutoUpdateDialogModel>(recorder->lastShownModel);
    ASSERT_TRUE(dialog);
    dialog->cancel();
    pass(2);
    EXPECT_EQ(dialog->visualStateName(), OVAutoUpdateDialogModel::noUpdateAvailableVisualState);
}

TEST_F(ServicesTest, TheHostedServiceAccountModelSignsInAndOut) {
    running();
    auto model = OVConnectAccountModel::create();
    struct Menu : OVConnectAccountModelPro {
        std::vector<std::string> changes;
        void ovmdConnectAccountPropertyChanged(const std::string& name) override {
            changes.push_back(name);
        }
    } menu;
    model->setDelegate(&menu);
    EXPECT_TRUE(model->showSignIn());
    EXPECT_TRUE(model->showSignUp());
    EXPECT_FALSE(model->showSignOut());

    model->signIn();
    settle();
    auto setup = std::dynamic_pointer_cast<OVConnectServiceSetupModel>(recorder->lastShownModel);
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->visualStateName(), OVConnectServiceSetupModel::signInVisualState);
    setup->submit();
    pass(0.5);
    EXPECT_TRUE(recorder->heard({"ovcsIsSignedIn:YES", "ovcsIsConnected:YES"}));
    EXPECT_TRUE(model->showSignOut());
    EXPECT_EQ(menu.changes, (std::vector<std::string>{"showSignUp", "showSignIn", "showSignOut"}));

    auto connect = phone()->getConnectService();
    connect->fetchWebToken();
    pass(0.2);
    EXPECT_TRUE(recorder->heardAny("ovcsWebTokenChanged"));
    EXPECT_EQ(connect->webToken(), "token-1");
    EXPECT_NE(connect->portalUrlSignedIn().find("%s"), std::string::npos);

    connect->testCall();
    settle();
    EXPECT_TRUE(recorder->heardAny("conversationAdded:out"));

    model->signOut();
    pass(0.5);
    EXPECT_TRUE(recorder->heard({"ovcsIsSignedIn:NO", "ovcsIsConnected:NO"}));
    model->removeDelegate(&menu);
}

TEST_F(ServicesTest, ANoticeTakesOneAnswer) {
    running();
    Scenario().notice(Notification::typeResourceConflict_AnotherInstanceIsOnACall);
    settle();
    auto notice = recorder->lastNotification;
    ASSERT_TRUE(notice);
    notice->no();
    notice->yes();
    notice->makeHasBeenHandled();
    EXPECT_EQ(notice->answer(), Notification::Answer::no);

    Scenario().notice(Notification::typeResourceConflict_AnotherInstanceForcedUsOut);
    settle();
    recorder->lastNotification->makeHasBeenHandled();
    recorder->lastNotification->dismiss();
    EXPECT_FALSE(recorder->lastNotification->answer()) << "handled elsewhere: no answer";
}

TEST_F(ServicesTest, TheDeskphoneConnectsAndCallsFollowIt) {
    running();
    auto deskphone = phone()->getDeskphoneService();
    deskphone->connect();
    settle();
    EXPECT_EQ(deskphone->status(), OVDeskphoneStatus::connecting);
    pass(0.5);
    EXPECT_TRUE(recorder->heard({"ovdsStatusChanged:0", "ovdsStatusChanged:1"}));
    auto conversations = phone()->getConversationService();
    conversations->useDeskphone();
    EXPECT_TRUE(conversations->usingDeskphone());
    deskphone->disconnect();
    pass(0.5);
    EXPECT_EQ(deskphone->status(), OVDeskphoneStatus::disconnected);
    EXPECT_FALSE(conversations->usingDeskphone());
}

TEST_F(ServicesTest, CallbacksReachEveryRegistrantAndARemovedOneHearsNoMore) {
    struct Listener : OVPhoneStatusServicePro {
        Listener(std::vector<std::string>* log, std::string name) : log(log), name(name) {}
        std::vector<std::string>* log;
        std::string name;
        std::function<void()> during;
        void phoneStatusChange(const std::shared_ptr<OVPhoneStatus>& status) override {
            log->push_back(name + std::to_string(status->value()));
            if (during) {
                during();
            }
        }
    };
    std::vector<std::string> log;
    auto service = phone()->getPhoneStatusService();
    Listener toolbar(&log, "toolbar:");
    Listener dialpad(&log, "dialpad:");
    Listener app(&log, "app:");
    // The toolbar, hearing the first change, takes the dialpad away.
    toolbar.during = [&] {
        service->removeDelegate(&dialpad);
        toolbar.during = nullptr;
    };
    service->setDelegate(&toolbar);
    service->setDelegate(&dialpad);
    service->setDelegate(&app);

    startSession();
    EXPECT_EQ(log, (std::vector<std::string>{"toolbar:1", "app:1", "toolbar:2", "app:2",
                                             "toolbar:4", "app:4"}));
    service->removeDelegate(&toolbar);
    service->removeDelegate(&app);
}

TEST_F(ServicesTest, DiagnosticLoggingAndCallHistory) {
    auto logging = phone()->getDiagnosticService()->getDiagnosticLogging();
    EXPECT_FALSE(logging->isLoggingStarted());
    logging->startLogging();
    EXPECT_TRUE(logging->isLoggingStarted());
    logging->stopLogging();
    EXPECT_FALSE(logging->isLoggingStarted());

    running();
    Scenario scenario;
    scenario.incomingCall("sip:zed@x.example");
    scenario.remoteHangsUp("call-1");
    settle();
    auto history = phone()->getCallHistoryService();
    EXPECT_FALSE(history->isReviewedAll());
    history->setReviewedAll();
    EXPECT_TRUE(history->isReviewedAll());
}

} // namespace

TEST_F(ServicesTest, TheWorkgroupSubscriptionAnswersRetriesAndStops) {
    struct Listener : OVWorkgroupServicePro {
        std::vector<std::string> heard;
        void ovgsWorkgroupEndpointAdded(const std::shared_ptr<OVWorkgroupEndpoint>& e) override {
            heard.push_back("added " + e->displayName());
        }
        void ovgsWorkgroupEndpointRemoved(const std::shared_ptr<OVWorkgroupEndpoint>& e) override {
            heard.push_back("removed " + e->displayName());
        }
        void ovgsWorkgroupAccountNotReady() override { heard.push_back("not ready"); }
        void ovgsWorkgroupSubscriptionFailed() override { heard.push_back("failed"); }
        void ovgsWorkgroupSubscriptionAccepted() override { heard.push_back("accepted"); }
    } listener;
    auto service = phone()->getWorkgroupService();
    service->setDelegate(&listener);

    // Without a signed-in calling account there is nothing to subscribe with.
    service->retrySubscription();
    pass(1);
    EXPECT_EQ(listener.heard, std::vector<std::string>{"not ready"});
    EXPECT_EQ(service->state(), WorkgroupService::State::idle);

    running();
    listener.heard.clear();
    service->retrySubscription();
    EXPECT_EQ(service->state(), WorkgroupService::State::subscribing);
    pass(1);
    EXPECT_EQ(listener.heard,
              (std::vector<std::string>{"accepted", "added Carol Chen", "added Dave Dunn"}));
    ASSERT_EQ(service->endpoints().size(), 2u);
    EXPECT_EQ(service->endpoints()[0]->address(), "sip:carol@sip.lumiq.example");

    // A retry starts afresh: the members known are dropped, then listed again.
    listener.heard.clear();
    service->retrySubscription();
    pass(1);
    EXPECT_EQ(listener.heard,
              (std::vector<std::string>{"removed Carol Chen", "removed Dave Dunn", "accepted",
                                        "added Carol Chen", "added Dave Dunn"}));

    // Stopped with an answer on its way: the answer is dropped and the members forgotten.
    listener.heard.clear();
    service->stop();
    service->retrySubscription();
    service->stop();
    pass(1);
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_TRUE(service->endpoints().empty());
    EXPECT_EQ(service->state(), WorkgroupService::State::idle);

    // A server without a workgroup refuses.
    listener.heard.clear();
    network().setConfiguration("workgroup", platform::Value());
    service->retrySubscription();
    pass(1);
    EXPECT_EQ(listener.heard, std::vector<std::string>{"failed"});
    EXPECT_EQ(service->state(), WorkgroupService::State::failed);
    service->removeDelegate(&listener);
}
