#include "app/calls/CallDurationClock.h"
#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/calls/ServerConferenceViewController.h"
#include "app/core/SignInTestSupport.h"
#include "platform/kit/Button.h"
#include "platform/kit/TextField.h"
#include "widgets/QXBezierButton.h"
#include "widgets/QXCollectionView.h"
#include "widgets/QXCollectionViewItem.h"

#include <thread>

using namespace app_test;

namespace {

TEST(CallDurationClockText, HoursMinutesAndSecondsWithHoursNotWrapped) {
    const std::pair<long long, const char*> cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"},    {60, "00:01:00"},      {3725, "01:02:05"},
        {86399, "23:59:59"}, {90000, "25:00:00"}, {360000, "100:00:00"}, {-5, "00:00:00"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(CallDurationClock::textForSeconds(seconds), text) << seconds;
}

// The conference bridge: a call to the conference server, its parties joining and leaving as
// the server reports them, its clock on a virtual time of its own.
class ConferenceBridgeTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        CallDurationClock::setVirtualTime(true);
    }
    void TearDown() override {
        SignInTest::TearDown();
        CallDurationClock::setVirtualTime(false);
    }
    static CallModuleController& area() { return CallModuleController::sharedController(); }
    static std::shared_ptr<ConversationService> service() {
        return engine().phoneService()->getConversationService();
    }
    static std::string status(const ServerConferenceViewController& panel) {
        return panel.outlets().connectionStatus->stringValue();
    }
    // Lets the clock's thread hand its text over: waits (with a bound) until the field shows
    // the text, running the main loop meanwhile.
    static std::string clockShows(ServerConferenceViewController& panel, const std::string& text) {
        for (int i = 0; i < 2000 && panel.callTimerTextField()->stringValue() != text; ++i) {
            settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return panel.callTimerTextField()->stringValue();
    }
    std::shared_ptr<Conversation> bridge() {
        auto call = service()->conferenceFocusConversation();
        runFor(1.5);
        settle();
        EXPECT_TRUE(call && call->wasConnected());
        EXPECT_EQ(area().conferencePanels().size(), 1u);
        return call;
    }
};

TEST_F(ConferenceBridgeTest, PartiesJoinAndLeaveAndTheStatusLineCountsThem) {
    signInToMainView();
    auto call = bridge();
    EXPECT_TRUE(area().panels().empty()) << "no ordinary panel for the bridge";
    auto& panel = *area().conferencePanels().front();
    EXPECT_EQ(panel.outlets().title->stringValue(), "Conference Bridge");
    EXPECT_EQ(panel.conversationViewItem()->view(), panel.outlets().conversationView);
    EXPECT_EQ(status(panel), "Conference in progress");
    ASSERT_TRUE(panel.callDurationClock()) << "the clock runs once the server answered";

    Scenario().conferenceParticipantJoins(call->callIdentifier(), "sip:grace@x", "Grace");
    settle();
    EXPECT_EQ(status(panel), "Conference call 3 participants");
    Scenario().conferenceParticipantJoins(call->callIdentifier(), "sip:heidi@x", "Heidi");
    Scenario().conferenceParticipantLeaves(call->callIdentifier(), "sip:grace@x");
    settle();
    EXPECT_EQ(call->participants().size(), 2u);
    EXPECT_EQ(status(panel), "Conference call 3 participants");
    Scenario().conferenceParticipantLeaves(call->callIdentifier(), "sip:heidi@x");
    settle();
    EXPECT_EQ(status(panel), "Conference in progress");

    // A party being called shows by name while it is the last to come.
    call->serverParticipantJoins("sip:ivan@x", "Ivan");
    EXPECT_EQ(status(panel), "Conference: calling Ivan");
}

TEST_F(ConferenceBridgeTest, ClockTextFollowsTheVirtualSecondsAndStopsWhenTheConferenceEnds) {
    signInToMainView();
    auto call = bridge();
    auto& panel = *area().conferencePanels().front();
    auto* clock = panel.callDurationClock();
    ASSERT_TRUE(clock);
    clock->advance(59);
    EXPECT_EQ(clockShows(panel, "00:00:59"), "00:00:59");
    clock->advance(3725 - 59);
    EXPECT_EQ(clockShows(panel, "01:02:05"), "01:02:05");
    clock->advance(360000 - 3725);
    EXPECT_EQ(clockShows(panel, "100:00:00"), "100:00:00");

    // A second party reaching the line starts no second clock.
    Scenario().conferenceParticipantJoins(call->callIdentifier(), "sip:grace@x", "Grace");
    settle();
    EXPECT_EQ(panel.callDurationClock(), clock);

    clock->advance(1);
    call->end();
    runFor(0.5);
    settle();
    EXPECT_FALSE(panel.callDurationClock()) << "stopped with the conference";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    settle();
    const std::string last = panel.callTimerTextField()->stringValue();
    EXPECT_TRUE(last == "100:00:00" || last == "100:00:01") << last;
    EXPECT_EQ(status(panel), "Conference call 3 participants")
        << "with two parties the line counts them, ended or not";
    EXPECT_FALSE(panel.outlets().end->isEnabled());
}

TEST_F(ConferenceBridgeTest, EndedPanelGoesFourSecondsLaterEvenAfterTheCallAreaWasCleanedUp) {
    signInToMainView();
    auto call = bridge();
    call->end();
    runFor(0.5);
    settle();
    ASSERT_EQ(area().conferencePanels().size(), 1u);
    EXPECT_TRUE(area().conferencePanels().front()->removalPending());
    runFor(3.0);
    settle();
    EXPECT_EQ(area().conferencePanels().size(), 1u) << "not yet";
    runFor(1.0);
    settle();
    EXPECT_TRUE(area().conferencePanels().empty());
    EXPECT_TRUE(area().collectionView()->viewItems().empty());

    // The call area is cleaned up (logout) while an ended bridge waits to go: the panel is
    // let go with it and its timer does nothing later.
    auto second = bridge();
    second->end();
    runFor(0.5);
    settle();
    std::weak_ptr<ServerConferenceViewController> gone = area().conferencePanels().front();
    area().cleanup();
    EXPECT_TRUE(gone.expired());
    runFor(5);
    settle();
    area().setupServices();
}

TEST_F(ConferenceBridgeTest, EndDeclinesWhileTheBridgeRingsAndEndsOtherwise) {
    signInToMainView();
    auto call = bridge();
    auto& panel = *area().conferencePanels().front();
    EXPECT_TRUE(panel.outlets().end->isEnabled());
    EXPECT_FALSE(panel.outlets().hold->isHidden());
    panel.hold(nullptr);
    settle();
    EXPECT_TRUE(panel.isLocalOnHold());
    EXPECT_EQ(status(panel), "Conference on Hold");
    EXPECT_FALSE(panel.outlets().resume->isHidden());
    panel.resume(nullptr);
    settle();
    panel.end(nullptr);
    runFor(0.5);
    settle();
    EXPECT_TRUE(panel.isEnding());
}

TEST_F(ConferenceBridgeTest, EscapeOnThePanelEndsTheConferenceAndAnEndedPanelLetsItsBodyGo) {
    signInToMainView();
    auto call = bridge();
    auto& panel = *area().conferencePanels().front();
    auto body = panel.outlets().conversationView;
    ASSERT_EQ(body->controller(), &panel) << "the body reaches its panel";
    window().makeFirstResponder(body.get());
    screen->key(U'\x1b');
    runFor(0.5);
    settle();
    EXPECT_TRUE(panel.isEnding());
    EXPECT_EQ(body->controller(), nullptr) << "an ended panel takes no more keys or drops";
}

} // namespace
