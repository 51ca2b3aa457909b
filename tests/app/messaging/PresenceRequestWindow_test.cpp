#include "app/AppTestSupport.h"
#include "app/core/AppController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "platform/kit/Button.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"

#include <optional>

using namespace app_test;

namespace {

const std::string gina = "gina@chat.lumiq.example";
const std::string hal = "sip:hal@sip.lumiq.example";
const std::string ivy = "ivy@chat.lumiq.example";
const std::string dave = "dave@chat.lumiq.example";
constexpr const char* chatAccount = "Alice (Chat)";
constexpr const char* sipAccount = "Alice (SIP)";

// A signed-in engine whose requests reach an application controller, with the main window up.
class PresenceRequestWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends", "Family", "Work"});
        signInDemoUser();
        if (HasFatalFailure())
            return;
        controller = std::make_unique<AppController>();
        app().setDelegate(controller.get());
        mainWindow = MainAppWindow::makeFromInterfaceDefinition();
        mainWindow->awake();
        controller->setMainWindow(mainWindow.get());
        mainWindow->displayMain();
        controller->attachEventHubServices();
        pass(2);
    }
    void TearDown() override {
        PresenceRequestWindowController::releaseSharedPresenceRequestWindowController();
        settle();
        controller.reset();
        mainWindow.reset();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }
    static void pass(double seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static PresenceRequestWindowController& window() {
        return PresenceRequestWindowController::sharedPresenceRequestWindowController();
    }
    static std::shared_ptr<OVContactManager> contacts() {
        return engine().phoneService()->getContactManager();
    }
    static std::vector<std::shared_ptr<OVEntity>> holding(const std::string& address) {
        return contacts()->lookup("", address, "");
    }
    static std::vector<std::string> groupsOf(const std::shared_ptr<OVEntity>& contact) {
        std::vector<std::string> names;
        for (const auto& parent : contact->parentEntities())
            names.push_back(parent->displayName());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::unique_ptr<AppController> controller;
    std::shared_ptr<MainAppWindow> mainWindow;
};

// Several requests at once: the first is shown, the others wait and come one after another,
// oldest first, whatever the answer; allowing keeps the person among the contacts, in the
// group chosen, with the address as the first choice for presence. The window hides after the
// last.
TEST_F(PresenceRequestWindowTest, RequestsAreAnsweredOneAfterAnother) {
    using Answer = PresenceRequest::Answer;
    const struct {
        std::string address;
        const char* name;
        const char* account;
        const char* action;
        long group;
        const char* message;
        Answer answer;
    } cases[] = {
        {gina, "Gina Green", chatAccount, "allow:", 2,
         "Gina Green (gina@chat.lumiq.example) wants to communicate with you and see your online "
         "status on account  Alice (Chat) (XMPP)",
         Answer::accepted},
        {hal, "", sipAccount, "allow:", 0,
         "(sip:hal@sip.lumiq.example) wants to communicate with you and see your online status "
         "on account  Alice (SIP) (SIP)",
         Answer::accepted},
        {ivy, "Ivy", chatAccount, "ignore:", 0, nullptr, Answer::ignored},
        {"sip:joe@sip.lumiq.example", "Joe", sipAccount, "block:", 0, nullptr, Answer::blocked},
    };
    for (const auto& c : cases)
        Scenario().presenceRequest(c.address, c.name, {}, c.account);
    settle();
    ASSERT_EQ(controller->waitingPresenceRequestCount(), 3u);
    std::vector<std::shared_ptr<PresenceRequest>> shown;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ASSERT_TRUE(window().window()->isVisible());
        ASSERT_NE(window().request(), nullptr);
        EXPECT_EQ(window().request()->address(), c.address);
        shown.push_back(window().request());
        if (c.message)
            EXPECT_EQ(window().messageText(), c.message);
        EXPECT_EQ(window().displayAsField()->stringValue(), c.name);
        EXPECT_EQ(window().groupsPopUp()->itemTitles(),
                  (std::vector<std::string>{"Friends", "Work", "Family", "Support", "Sales"}));
        window().groupsPopUp()->selectItemAtIndex(c.group);
        window().tryToPerform("groupChanged:", window().groupsPopUp());
        window().tryToPerform(c.action, nullptr);
    }
    EXPECT_FALSE(window().window()->isVisible());
    EXPECT_EQ(window().request(), nullptr);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(shown[i]->answer(), cases[i].answer) << cases[i].address;

    const auto added = holding(gina);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->displayName(), "Gina Green");
    EXPECT_EQ(groupsOf(added[0]), std::vector<std::string>{"Family"});
    ASSERT_NE(added[0]->getFieldByName(OVField::fieldJidAddr), nullptr);
    const auto sip = holding(hal);
    ASSERT_EQ(sip.size(), 1u);
    EXPECT_EQ(groupsOf(sip[0]), std::vector<std::string>{"Friends"});
    const auto presence = sip[0]->getPrimary(OVField::fieldPrimaryTypePresence);
    ASSERT_NE(presence, nullptr);
    EXPECT_EQ(presence->name(), OVField::fieldSoftphone);
    EXPECT_TRUE(presence->hasType(OVField::fieldTypeIM));
    EXPECT_EQ(sip[0]->getPrimary(OVField::fieldPrimaryTypeCall)->name(), OVField::fieldSoftphone);
    EXPECT_TRUE(holding(ivy).empty()) << "ignored: not kept";
}

// A chat contact already there is not added twice: a typed name renames it and it is filed
// into the chosen group as well. An allow for an account that is down answers nothing and
// moves on.
TEST_F(PresenceRequestWindowTest, AllowKeepsOneContactAndNeedsAnEnabledAccount) {
    ASSERT_EQ(holding(dave).size(), 1u);
    Scenario().presenceRequest(dave, "Dave", "Hello again", chatAccount);
    settle();
    EXPECT_FALSE(window().inviteText()->isHidden()) << "a chat request's message is shown";
    EXPECT_EQ(window().inviteText()->stringValue(), "Hello again");
    window().displayAsField()->setStringValue("  Dave from chat ");
    window().groupsPopUp()->selectItemAtIndex(1);
    window().groupChanged(window().groupsPopUp());
    auto request = window().request();
    window().allow(nullptr);
    EXPECT_EQ(request->answer(), PresenceRequest::Answer::accepted);
    const auto matches = holding(dave);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0]->displayName(), "Dave from chat");
    EXPECT_EQ(groupsOf(matches[0]), (std::vector<std::string>{"Friends", "Work"}));

    Scenario().presenceRequest(ivy, "Ivy", "Hi", chatAccount);
    Scenario().presenceRequest(hal, "Hal", "not shown for SIP", sipAccount);
    settle();
    Scenario().accountFails(chatAccount, OVAccountFailureCause::failureConnectionError);
    pass(1);
    request = window().request();
    ASSERT_EQ(request->address(), ivy);
    window().allow(nullptr);
    EXPECT_FALSE(request->answer().has_value()) << "left unanswered";
    EXPECT_TRUE(holding(ivy).empty());
    ASSERT_NE(window().request(), nullptr);
    EXPECT_EQ(window().request()->address(), hal) << "the next one is shown";
    EXPECT_TRUE(window().inviteText()->isHidden()) << "no invitation text for SIP";
}

// Closing the window ignores the request shown and shows the next one; it closes only with
// the last. Without a writable group the pop-up offers "Other", and allowing makes that group.
TEST_F(PresenceRequestWindowTest, ClosingIgnoresOneRequestAtATime) {
    for (const auto& group : contacts()->getVeyraRoot()->entitiesAll())
        group->setReadOnly(true);
    for (const auto& who : {gina, ivy, std::string("kim@chat.lumiq.example")})
        Scenario().presenceRequest(who, "", {}, chatAccount);
    settle();
    auto first = window().request();
    window().window()->performClose(nullptr);
    settle();
    EXPECT_TRUE(window().window()->isVisible());
    EXPECT_EQ(first->answer(), PresenceRequest::Answer::ignored);
    ASSERT_EQ(window().request()->address(), ivy);
    EXPECT_EQ(window().groupsPopUp()->itemTitles(), std::vector<std::string>{"Other"});
    window().allow(nullptr);
    const auto added = holding(ivy);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(groupsOf(added[0]), std::vector<std::string>{"Other"});
    EXPECT_EQ(added[0]->displayName(), "ivy") << "no name typed: the address's user";

    auto last = window().request();
    window().window()->performClose(nullptr);
    settle();
    EXPECT_EQ(last->answer(), PresenceRequest::Answer::ignored);
    EXPECT_FALSE(window().window()->isVisible());
}

// While the user works in another window of the application, a request goes beside that
// window, behind it, and the focus stays where it was. The block button shows only with
// privacy on.
TEST_F(PresenceRequestWindowTest, ARequestWaitsBehindTheWindowInUse) {
    mainWindow->makeKeyAndOrderFront(nullptr);
    settle();
    ASSERT_TRUE(mainWindow->isKeyWindow());
    ASSERT_FALSE(controller->shouldOrderWindowFront());
    Scenario().presenceRequest(gina, "Gina", {}, chatAccount);
    settle();
    auto* shown = window().window();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(mainWindow->isKeyWindow()) << "the focus stays";
    EXPECT_DOUBLE_EQ(shown->frame().origin.x,
                     mainWindow->frame().origin.x + mainWindow->frame().size.width - 20);
    const auto& order = platform::WindowServer::shared().orderedWindows();
    const auto position = [&](const platform::Window* w) {
        return std::find(order.begin(), order.end(), w) - order.begin();
    };
    EXPECT_EQ(position(shown), position(mainWindow.get()) + 1) << "just behind it";
    EXPECT_FALSE(window().blockButton()->isHidden()) << "privacy is on in the demo";

    // Made again, the window comes back where it was last put.
    const auto origin = shown->frame().origin;
    PresenceRequestWindowController::releaseSharedPresenceRequestWindowController();
    engine().featuresService()->setFeatureAvailable("privacyEnabled", true);
    EXPECT_FALSE(window().blockButton()->isHidden());
    EXPECT_FALSE(window().blockText()->isHidden());
    EXPECT_DOUBLE_EQ(window().window()->frame().origin.x, origin.x);
    EXPECT_DOUBLE_EQ(window().window()->frame().origin.y, origin.y);
}

} // namespace
