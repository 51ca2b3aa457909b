#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <algorithm>

using namespace engine_test;

namespace {

class StartupRoadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        recorder = std::make_unique<EngineRecorder>(engine());
    }
    void TearDown() override {
        recorder.reset();
        EngineTest::TearDown();
    }
    std::vector<std::string>& calls() { return recorder->calls; }
    void initialized() {
        initialize();
        settle();
        calls().clear();
    }
    std::unique_ptr<EngineRecorder> recorder;
};

TEST_F(StartupRoadTest, TheDemoProfilesCarryEveryFieldTheSignInViewReads) {
    const auto profiles = engine().loginProfiles();
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_EQ(profiles[0]->type(), LoginProfileItem::BUILTIN);
    EXPECT_EQ(profiles[0]->profileID(), 1);
    EXPECT_EQ(profiles[0]->data(), "https://provisioning.lumiq.example/config");
    EXPECT_EQ(profiles[0]->autoLoginTimeout(), 3);
    EXPECT_TRUE(profiles[0]->askUsername());
    EXPECT_TRUE(profiles[0]->requiresPassword());
    EXPECT_FALSE(profiles[0]->askAuthName());
    EXPECT_EQ(profiles[1]->type(), LoginProfileItem::MANUAL);
    EXPECT_TRUE(profiles[1]->askAuthName());
    EXPECT_FALSE(profiles[1]->requiresAuthName());
    EXPECT_EQ(profiles[1]->autoLoginTimeout(), -1) << "no automatic sign-in unless provisioned";
    EXPECT_EQ(profiles[2]->type(), LoginProfileItem::NO_LOGIN);
    EXPECT_FALSE(profiles[2]->askUsername());
    EXPECT_FALSE(profiles[2]->requiresPassword());
    EXPECT_EQ(engine().loginProfiles(), profiles) << "the same objects until read again";
}

TEST_F(StartupRoadTest, AnEngineSettingChoosesWhichProfileTypesAreOffered) {
    auto types =
        engine().phoneService()->getPreferenceSettings()->sub("login")->sub("profileTypes");
    types->setValue(platform::Value(platform::Value::Array{"NO_LOGIN", "MANUAL"}), true);
    initialize();
    settle();
    const auto profiles = engine().loginProfiles();
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0]->type(), LoginProfileItem::MANUAL);
    EXPECT_EQ(profiles[1]->type(), LoginProfileItem::NO_LOGIN);

    types->setValue(platform::Value(platform::Value::Array{}), true);
    initialize();
    settle();
    EXPECT_TRUE(engine().loginProfiles().empty()) << "an empty list offers nothing";
}

TEST_F(StartupRoadTest, SignInIsAnsweredAfterTheServersDelay) {
    initialized();
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("Alice", "wonderland"));
    EXPECT_TRUE(engine().loggingIn());
    settle();
    EXPECT_EQ(calls(), (std::vector<std::string>{"LoginStarted"}));
    pass(0.4);
    EXPECT_EQ(calls(), (std::vector<std::string>{"LoginStarted"})) << "the server takes 0.5 s";
    pass(0.1);
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"LoginStarted", "userNameUpdated", "LoginSucceeded:alice"}))
        << "the server's spelling of the name";
    EXPECT_EQ(engine().phoneService()->userName(), "alice");
    EXPECT_FALSE(engine().loggingIn());
}

TEST_F(StartupRoadTest, SignInFailuresCarryTheServersReason) {
    const struct {
        const char* name;
        LoginProfileItem::Type profile;
        std::string server;
        std::string user;
        std::string password;
        std::string expected;
    } cases[] = {
        {"wrong password", LoginProfileItem::BUILTIN, "", "alice", "nope", "LoginFailed:rejected"},
        {"unknown user", LoginProfileItem::BUILTIN, "", "mallory", "x", "LoginFailed:rejected"},
        {"empty fields", LoginProfileItem::BUILTIN, "", "", "", "LoginFailed:rejected"},
        {"unreachable manual server", LoginProfileItem::MANUAL, "sip://nowhere.example:5060/x",
         "alice", "wonderland", "LoginFailed:unreachable"},
        {"reachable manual server with port", LoginProfileItem::MANUAL,
         "sip://sip.lumiq.example:5060/path", "alice", "wonderland", "LoginSucceeded:alice"},
        {"no login needs no credentials", LoginProfileItem::NO_LOGIN, "", "", "",
         "LoginSucceeded:"},
    };
    for (const auto& c : cases) {
        initialized();
        auto profile = profileOfType(c.profile);
        ASSERT_TRUE(profile) << c.name;
        if (!c.server.empty()) {
            profile->setData(c.server);
        }
        engine().login(profile, credentials(c.user, c.password));
        pass(1);
        EXPECT_EQ(calls().front(), "LoginStarted") << c.name;
        EXPECT_EQ(calls().back(), c.expected) << c.name;
    }
}

TEST_F(StartupRoadTest, TheScenarioDecidesTheNextAnswerWhateverTheCredentials) {
    Scenario scenario;
    initialized();
    scenario.failNextLogin(OVLoginFailureReason::loginFailureServerUnreachable, "Try later");
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "wonderland"));
    pass(1);
    EXPECT_EQ(calls().back(), "LoginFailed:unreachable:Try later");

    const auto before = engine().loginProfiles();
    scenario.updateProfileOnNextLogin("Your profile was updated");
    engine().login(before.front(), credentials("alice", "wonderland"));
    pass(1);
    EXPECT_EQ(calls().back(), "LoginProfileUpdated:Your profile was updated");
    EXPECT_FALSE(engine().loggingIn()) << "a profile update ends the sign-in";
    const auto after = engine().loginProfiles();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(after.front(), before.front()) << "the profiles are read again";

    engine().login(after.front(), credentials("alice", "wonderland"));
    pass(1);
    EXPECT_EQ(calls().back(), "LoginSucceeded:alice") << "the override lasts one sign-in";
}

TEST_F(StartupRoadTest, ACancelledOrStoppedSignInNeverAnswers) {
    initialized();
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "wonderland"));
    settle();
    engine().cancelLogin();
    engine().cancelLogin();
    pass(2);
    EXPECT_EQ(calls(), (std::vector<std::string>{"LoginStarted", "LoginCancelled"}));

    calls().clear();
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "wonderland"));
    settle();
    engine().stop();
    pass(2);
    EXPECT_EQ(calls(), (std::vector<std::string>{"LoginStarted", "Stopped"}));

    calls().clear();
    engine().cancelLogin();
    pass(1);
    EXPECT_TRUE(calls().empty()) << "nothing to cancel, nothing answered";
}

TEST_F(StartupRoadTest, ASecondSignInReplacesTheFirst) {
    initialized();
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "nope"));
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("bob", "builder"));
    pass(1);
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"LoginStarted", "userNameUpdated", "LoginSucceeded:bob"}));
}

TEST_F(StartupRoadTest, SignInBeforeInitialisationFails) {
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "wonderland"));
    pass(1);
    EXPECT_EQ(calls(), (std::vector<std::string>{"LoginStarted", "LoginFailed:unknown:The "
                                                                 "engine is not initialised."}));
}

TEST_F(StartupRoadTest, StartBringsTheAccountsUpAndLogoutTakesThemDown) {
    initialized();
    engine().start("alice");
    settle();
    EXPECT_TRUE(engine().started());
    EXPECT_EQ(calls().front(), "StartCompleted") << "the session comes after the answer";
    EXPECT_TRUE(recorder->heard({"StartCompleted", "accountAdded:Alice (SIP)",
                                 "accountAdded:Alice (Chat)", "voiceMailUpdate:2"}));
    pass(0.1);
    EXPECT_TRUE(recorder->heard({"accountStatusChanged:Alice (SIP):enabling", "phoneStatusChange:1",
                                 "accountStatusChanged:Alice (Chat):enabling"}));
    const auto phone = engine().phoneService();
    EXPECT_EQ(phone->getPhoneStatusService()->status()->value(), 1);
    EXPECT_FALSE(phone->getConversationService()->newConversationAllowed());

    pass(0.4);
    EXPECT_TRUE(
        recorder->heard({"accountStatusChanged:Alice (SIP):enabled", "phoneStatusChange:2",
                         "ovsaAvailabilityChanged:available", "presenceInitialized",
                         "accountStatusChanged:Alice (Chat):enabled", "phoneStatusChange:4"}))
        << recorder->log();
    EXPECT_EQ(phone->getPhoneStatusService()->status()->value(), 4);
    EXPECT_TRUE(phone->getConversationService()->newConversationAllowed());
    EXPECT_TRUE(phone->getPresenceService()->presenceAllowed());
    EXPECT_EQ(phone->getAccountService()->defaultAccount(OVAccount::featureCall)->accountName(),
              "Alice (SIP)");
    EXPECT_EQ(phone->getContactManager()->allContacts().size(),
              SimulatedNetwork::fromMainBundle()->contactsFor("alice").size());

    calls().clear();
    engine().logout(OVLogoutReason::user);
    settle();
    EXPECT_FALSE(engine().started());
    EXPECT_TRUE(recorder->heard({"LogoutStarted:user", "accountStatusChanged:Alice (SIP):shutdown",
                                 "phoneStatusChange:0", "accountRemoved:Alice (SIP)",
                                 "accountRemoved:Alice (Chat)"}))
        << recorder->log();
    EXPECT_EQ(std::count_if(calls().begin(), calls().end(),
                            [](const auto& c) { return c.rfind("phoneStatusChange", 0) == 0; }),
              1)
        << "the status falls straight to 0";
    EXPECT_FALSE(recorder->heardAny("LogoutComplete")) << "the server has not let go yet";
    pass(0.3);
    EXPECT_EQ(calls().back(), "LogoutComplete");
    EXPECT_TRUE(phone->getAccountService()->accounts().empty());
    EXPECT_TRUE(phone->getContactManager()->allContacts().empty());
    EXPECT_FALSE(engine().initialized()) << "the engine waits to be initialised again";

    calls().clear();
    engine().start("alice");
    settle();
    EXPECT_EQ(calls(), (std::vector<std::string>{"StartFailed"}));
}

TEST_F(StartupRoadTest, TheWholeRoadTwiceAndThenStop) {
    for (const char* user : {"alice", "bob"}) {
        initialize();
        settle();
        engine().login(profileOfType(LoginProfileItem::BUILTIN),
                       credentials(user, user == std::string("alice") ? "wonderland" : "builder"));
        pass(1);
        engine().start(user);
        pass(1);
        engine().logout(OVLogoutReason::user);
        pass(1);
    }
    initialize();
    settle();
    engine().stop();
    settle();
    EXPECT_TRUE(
        recorder->heard({"InitCompleted", "LoginStarted", "LoginSucceeded:alice", "StartCompleted",
                         "LogoutStarted:user", "LogoutComplete", "InitCompleted", "LoginStarted",
                         "LoginSucceeded:bob", "StartCompleted", "LogoutStarted:user",
                         "LogoutComplete", "InitCompleted", "Stopped"}))
        << recorder->log();
    EXPECT_FALSE(engine().store().isOpen());
}

TEST_F(StartupRoadTest, StartWithoutSignInUsesTheAccountsOfASessionWithoutLogin) {
    initialized();
    engine().start("default_user");
    pass(1);
    const auto accounts = engine().phoneService()->getAccountService()->accounts();
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts.front()->accountName(), "Local (SIP)");
    EXPECT_EQ(engine().phoneService()->getPhoneStatusService()->status()->value(), 4);

    calls().clear();
    engine().start("default_user");
    pass(1);
    EXPECT_EQ(calls(), (std::vector<std::string>{"StartCompleted"}))
        << "a second start changes nothing";
}

TEST_F(StartupRoadTest, AStopDuringTheSessionEndsItAndClosesTheStore) {
    startSession();
    calls().clear();
    engine().stop();
    settle();
    EXPECT_EQ(calls().back(), "Stopped");
    EXPECT_TRUE(recorder->heardAny("accountRemoved:Alice (SIP)"));
    EXPECT_FALSE(engine().started());
    EXPECT_FALSE(engine().store().isOpen());
    pass(2);
    EXPECT_EQ(calls().back(), "Stopped") << "nothing arrives after the stop";
}

TEST_F(StartupRoadTest, WithoutReadableDemoDataNobodyCanSignIn) {
    writeFile(tmp / "broken.plist", "not a property list");
    EXPECT_EQ(SimulatedNetwork::fromFile(tmp / "broken.plist"), nullptr);
    EXPECT_EQ(SimulatedNetwork::fromFile(tmp / "missing.plist"), nullptr);

    engine().setBackend(std::make_shared<SimulatedNetwork>());
    EXPECT_TRUE(engine().loginProfiles().empty());
    initialized();
    engine().login(std::make_shared<LoginProfileItem>(1, "Any", LoginProfileItem::MANUAL),
                   credentials("alice", "wonderland"));
    pass(1);
    EXPECT_EQ(calls().back(), "LoginFailed:rejected");
    engine().start("alice");
    pass(1);
    EXPECT_TRUE(engine().phoneService()->getAccountService()->accounts().empty());
    EXPECT_EQ(engine().phoneService()->getPhoneStatusService()->status()->value(), 0);
}

TEST_F(StartupRoadTest, TheIntroVideoPlaysOncePerNameWhenProvisioned) {
    initialized();
    EXPECT_FALSE(engine().playIntroVideo("alice"));
    Scenario scenario;
    scenario.network()->setConfiguration("introVideo", true);
    EXPECT_TRUE(engine().playIntroVideo("alice"));
    EXPECT_FALSE(engine().playIntroVideo("alice"));
    EXPECT_TRUE(engine().playIntroVideo("bob"));
}

TEST_F(StartupRoadTest, AnEngineDroppedMidSignInAnswersNothingMore) {
    initialized();
    engine().login(profileOfType(LoginProfileItem::BUILTIN), credentials("alice", "wonderland"));
    settle();
    recorder.reset();
    StartupService::resetInstance();
    EngineRecorder fresh(engine());
    pass(2);
    EXPECT_TRUE(fresh.calls.empty()) << fresh.log();
}

} // namespace
