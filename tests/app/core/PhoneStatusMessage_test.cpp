#include "../AppTestSupport.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/OVConnectService.h"
#include "engine/PhoneService.h"
#include "engine/PhoneStatusService.h"
#include "engine/PresenceService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/kit/WindowServer.h"
#include "support/Notifications.h"

#include <utility>

using namespace app_test;

namespace {

using Link = std::pair<std::string, std::string>;

// One account of a case: its name, whether it is shown to the user, and its state.
struct AccountState {
    std::string name;
    OVAccountStatus status = OVAccountStatus::statusEnabled;
    OVAccountFailureCause cause = OVAccountFailureCause::failureNone;
    int sipFailureCode = 0;
    bool viewable = true;
    OVAccountProtocol protocol = OVAccountProtocol::SIPprotocol;
};

// An application controller on the engine's phone service, its accounts set up by each case.
class PhoneStatusMessageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        PrimaryModuleController::releaseSharedController();
        controller = std::make_unique<AppController>();
        controller->setPhoneService(engine().phoneService());
    }
    void TearDown() override {
        controller.reset();
        PrimaryModuleController::releaseSharedController();
        AppTest::TearDown();
    }

    AccountService& accounts() const { return *engine().phoneService()->getAccountService(); }
    void addAccounts(const std::vector<AccountState>& states) const {
        int id = static_cast<int>(accounts().accounts().size());
        for (const auto& state : states) {
            AccountConfig config;
            config.accountID = ++id;
            config.accountName = state.name;
            config.protocol = state.protocol;
            config.viewable = state.viewable;
            accounts().addAccount(config);
            accounts().accounts().back()->applyStatus(state.status, state.cause,
                                                      state.sipFailureCode);
        }
    }
    // The engine's phone status number, set after the accounts so that it is not recomputed.
    static void setStatus(int value) {
        engine().phoneService()->getPhoneStatusService()->status()->setValue(value);
    }
    static void feature(std::string_view name, bool on) {
        engine().featuresService()->setFeatureAvailable(name, on);
    }
    static const platform::AttributedString& message() {
        return PrimaryModuleController::sharedController().statusMessage();
    }
    static std::vector<Link> links() {
        std::vector<Link> result;
        const auto& text = message();
        for (const auto& run : text.runs()) {
            if (run.attributes.link) {
                result.emplace_back(text.string().substr(run.range.location, run.range.length),
                                    *run.attributes.link);
            }
        }
        return result;
    }

    std::unique_ptr<AppController> controller;
};

TEST_F(PhoneStatusMessageTest, EachPhoneStatusShowsItsMessageFromTheAccountsState) {
    const std::vector<Link> retryOnly{{"\nClick here to retry", "retryAccount"}};
    const std::vector<Link> openAndRetry{
        {"\nClick here to open Account Preferences", "viewAccount"},
        {"\nClick here to retry", "retryAccount"}};
    const struct Case {
        const char* name;
        int status;
        std::vector<AccountState> accounts;
        std::string message;
        std::vector<Link> links;
        std::vector<std::pair<std::string, bool>> features = {};
        bool hostedConnected = false;
        bool hibernating = false;
        std::string conversationText = {};
    } cases[] = {
        {"ready, one account", 4, {{"Office"}}, "Account enabled. The phone is ready.", {}},
        {"ready, two accounts",
         4,
         {{"Office"}, {"Home"}},
         "All accounts are enabled. The phone is ready.",
         {}},
        {"ready, one of two accounts hidden",
         4,
         {{"Office"},
          {"Hidden", OVAccountStatus::statusEnabled, OVAccountFailureCause::failureNone, 0, false}},
         "Account enabled. The phone is ready.",
         {}},
        {"ready without a default account",
         4,
         {{"Office", OVAccountStatus::statusEnabling}},
         "Account is not ready...",
         {}},
        {"enabling",
         1,
         {{"Office", OVAccountStatus::statusEnabling}},
         "Enabling account, please wait...",
         {}},
        {"partially enabled", 2, {}, "Accounts are partially enabled, please wait...", {}},
        {"no SIP account", 7, {}, "There are no SIP accounts enabled, you cannot make a call.", {}},
        {"network down", 8, {}, "Network Down.", {}},
        {"no accounts, settings link",
         0,
         {},
         "No accounts are enabled. To setup an account, go to Preferences > Account settings",
         {{"Account settings", "viewAccount"}},
         {{"show_account_settings_link", true}}},
        {"none enabled, short",
         6,
         {},
         "No accounts are enabled.",
         {},
         {{"show_account_settings_link", false}}},
        {"none enabled while going to sleep",
         6,
         {},
         "No accounts are registered. System is going into sleep mode",
         {},
         {{"show_account_settings_link", true}},
         false,
         true},
        {"no accounts, hosted service connected, nothing else to say", 0, {}, "", {}, {}, true},
        {"no accounts, hosted service connected, conversation service text",
         0,
         {},
         "Conversations are not available",
         {},
         {},
         true,
         false,
         "Conversations are not available"},
        {"unknown status",
         9,
         {{"Office"}},
         "Conversations are not available",
         {},
         {},
         false,
         false,
         "Conversations are not available"},
        {"failed, one account with a server code",
         5,
         {{"Office", OVAccountStatus::statusFailed, OVAccountFailureCause::failureUnknownError,
           503}},
         "Account failed to enable\n\nAccount: Office could not be enabled.\nProblem at server, "
         "error 503. Try again later.\n\nClick here to open Account Preferences\nClick here to "
         "retry",
         openAndRetry,
         {{"account_settings", true}}},
        {"failed, two accounts with causes, one untouched",
         5,
         {{"Office", OVAccountStatus::statusFailed, OVAccountFailureCause::failureCredentials},
          {"Chat", OVAccountStatus::statusFailed, OVAccountFailureCause::failureServerNotFound, 0,
           true, OVAccountProtocol::XMPPprotocol},
          {"Spare", OVAccountStatus::statusDisabled}},
         "All accounts failed to enable\n\nAccount: Office could not be enabled.\nVerify your "
         "user ID, password and/or authorization name.\nAccount: Chat could not be "
         "enabled.\nServer not found. Verify your network data.\n\nClick here to retry",
         retryOnly,
         {{"account_settings", false}}},
        {"partial failure, a cause without its own words",
         3,
         {{"Office"},
          {"Home", OVAccountStatus::statusFailed, OVAccountFailureCause::failureTLSCert}},
         "Accounts partially enabled. Some accounts have failed to be enabled\n\nAccount: Home "
         "could not be enabled.\n\n\nClick here to retry",
         retryOnly,
         {{"account_settings", false}}},
        {"partial failure, connection error",
         3,
         {{"Office"},
          {"Home", OVAccountStatus::statusFailed, OVAccountFailureCause::failureConnectionError}},
         "Accounts partially enabled. Some accounts have failed to be enabled\n\nAccount: Home "
         "could not be enabled.\nVerify your server addresses or contact your administrator."
         "\n\nClick here to retry",
         retryOnly,
         {{"account_settings", false}}},
    };
    for (const auto& c : cases) {
        reset(LUMIQ_RESOURCES_DIR);
        PrimaryModuleController::releaseSharedController();
        controller = std::make_unique<AppController>();
        controller->setPhoneService(engine().phoneService());
        for (const auto& [name, on] : c.features) {
            feature(name, on);
        }
        addAccounts(c.accounts);
        engine().phoneService()->getConnectService()->setConnected(c.hostedConnected);
        controller->setHibernationSuspend(c.hibernating);
        controller->setConversationServiceAvailabilityMessage(c.conversationText);
        setStatus(c.status);

        controller->updatePhoneStatusMessage();
        EXPECT_EQ(message().string(), c.message) << c.name;
        EXPECT_EQ(links(), c.links) << c.name;
        EXPECT_TRUE(logged("Phone Status: " + std::to_string(c.status) + " ")) << c.name;
        if (!message().empty()) {
            for (const auto& run : message().runs()) {
                ASSERT_TRUE(run.attributes.font) << c.name;
                EXPECT_EQ(*run.attributes.font, platform::Font::fontWithName("Lucida Grande", 11))
                    << c.name;
                ASSERT_TRUE(run.attributes.paragraphStyle) << c.name;
                EXPECT_EQ(run.attributes.paragraphStyle->alignment, platform::TextAlignment::Center)
                    << c.name;
            }
        }
    }
}

TEST_F(PhoneStatusMessageTest, TheReadyMessageClearsItselfAfterFiveSecondsUnlessReplaced) {
    addAccounts({{"Office"}, {"Home"}});
    int refreshes = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &refreshes, ContactListRefreshNotification, controller.get(),
        [&](const platform::Notification&) { ++refreshes; });
    setStatus(4);
    controller->updatePhoneStatusMessage();
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(message().string(), "All accounts are enabled. The phone is ready.");
    EXPECT_TRUE(accounts().accounts()[0]->delegates().contains(controller.get()))
        << "the first enabled account reports to the controller";
    EXPECT_FALSE(accounts().accounts()[1]->delegates().contains(controller.get()));
    EXPECT_TRUE(accounts().delegates().contains(controller.get()));

    platform::RunLoop::main().runFor(4.9);
    EXPECT_FALSE(message().empty());
    platform::RunLoop::main().runFor(0.1);
    EXPECT_TRUE(message().empty());
    EXPECT_EQ(controller->hideStatusMessageTimer(), nullptr);

    // A failure within the five seconds stays.
    controller->updatePhoneStatusMessage();
    platform::RunLoop::main().runFor(2);
    accounts().accounts()[1]->applyStatus(OVAccountStatus::statusFailed,
                                          OVAccountFailureCause::failureCredentials);
    setStatus(3);
    controller->updatePhoneStatusMessage();
    EXPECT_EQ(controller->hideStatusMessageTimer(), nullptr);
    platform::RunLoop::main().runFor(10);
    EXPECT_NE(message().string().find("Account: Home could not be enabled."), std::string::npos);
    platform::NotificationCenter::defaultCenter().removeObserver(&refreshes);

    // The controller going away leaves no timer and no delegate behind.
    accounts().accounts()[1]->applyStatus(OVAccountStatus::statusEnabled);
    setStatus(4);
    controller->updatePhoneStatusMessage();
    const std::shared_ptr<platform::Timer> timer = controller->hideStatusMessageTimer();
    ASSERT_TRUE(timer && timer->isValid());
    controller.reset();
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(accounts().delegates().empty());
    EXPECT_TRUE(accounts().accounts()[0]->delegates().empty());
}

TEST_F(PhoneStatusMessageTest, WithNoAccountsThePresenceIsSetToAvailableWhenPresenceIsOn) {
    for (const bool presence : {true, false}) {
        reset(LUMIQ_RESOURCES_DIR);
        controller = std::make_unique<AppController>();
        controller->setPhoneService(engine().phoneService());
        feature("presenceEnabled", presence);
        const auto self = engine().phoneService()->getPresenceService()->getSelfPresence();
        self->setStatus(3);
        self->setMessage("Busy");
        setStatus(0);
        controller->updatePhoneStatusMessage();
        EXPECT_EQ(self->status() == OVPresenceStatus{0}, presence);
        EXPECT_EQ(self->message() == "Available", presence);
    }
}

// Collects the actions that travel the responder chain.
class RecordingTarget : public platform::ActionTarget {
public:
    bool tryToPerform(std::string_view action, platform::Object*) override {
        actions.emplace_back(action);
        return true;
    }
    bool respondsToAction(std::string_view) const override { return true; }
    std::vector<std::string> actions;
};

TEST_F(PhoneStatusMessageTest, TheMessageLinksCarryOutTheirActions) {
    RecordingTarget target;
    platform::WindowServer::shared().setChainTail(
        [&] { return std::vector<platform::ActionTarget*>{&target}; });
    auto& area = PrimaryModuleController::sharedController();
    EXPECT_TRUE(area.statusMessageLinkClicked("viewAccount"));
    EXPECT_TRUE(area.statusMessageLinkClicked("retryAccount"));
    EXPECT_TRUE(area.statusMessageLinkClicked("configureDeskphone"));
    EXPECT_TRUE(area.statusMessageLinkClicked("app:findFriends"));
    EXPECT_TRUE(area.statusMessageLinkClicked("somethingElse"))
        << "a click on any link is handled, even one that does nothing";
    EXPECT_EQ(target.actions,
              (std::vector<std::string>{"openPreferenceAccountTab:", "retryAccounts:",
                                        "openPreferenceDeviceTab:", "findFriends:"}));
    platform::WindowServer::shared().setChainTail({});

    const auto deskphone = engine().phoneService()->getDeskphoneService();
    EXPECT_TRUE(area.statusMessageLinkClicked("retryDeskphone"));
    settle();
    EXPECT_EQ(deskphone->status(), OVDeskphoneStatus::connecting);
}

} // namespace
