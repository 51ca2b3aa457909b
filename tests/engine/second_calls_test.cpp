#include "EngineTestSupport.h"
#include "engine/OVConversationModel.h"
#include "engine/OVDialpadModel.h"
#include "engine/OVRelatedConversationModel.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

using namespace engine_test;

namespace {

// Writes down what a party tells its listeners, and what its call tells, in one order.
struct PartyLog : OVParticipantPro, OVConversationBasePro {
    std::vector<std::string> lines;
    void connectionStatusChanged(const std::shared_ptr<Participant>& p, int status) override {
        lines.push_back(p->displayName() + " " + std::to_string(status));
    }
    void isConferenceChange(bool conference) override {
        lines.push_back(conference ? "conference" : "no conference");
    }
    void participantAdded(const std::shared_ptr<Participant>& p) override {
        lines.push_back("added " + p->displayName());
    }
    void participantRemoved(const std::shared_ptr<Participant>& p) override {
        lines.push_back("removed " + p->displayName());
    }
};

struct RelatedLog : OVRelatedConversationModelPro {
    std::vector<std::string> states;
    std::shared_ptr<OVRelatedConversationModel> model;
    void ovmdRelatedConversationPropertyChanged(const std::string& name) override {
        if (name == OVRelatedConversationModel::visualStateNameProperty)
            states.emplace_back(model->getVisualStateName());
    }
};

class SecondCallsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        startSession();
        for (const char* address : {"sip:bob@x", "sip:carol@x", "sip:dave@x"})
            Scenario().callsTo(address, RemoteAnswer::answers);
    }
    static std::shared_ptr<ConversationService> service() {
        return engine().phoneService()->getConversationService();
    }
    static std::shared_ptr<Conversation> connected(const std::string& address) {
        auto call = service()->audioConversation(address, -1);
        pass(2);
        EXPECT_TRUE(call && call->wasConnected());
        return call;
    }
};

TEST_F(SecondCallsTest, AttendedTransferRunsThroughTheSecondCallsStatesAndEndsBothCalls) {
    auto call = connected("sip:bob@x");
    auto model = OVConversationModel::create(call);
    call->createRelatedConversation("sip:carol@x");
    settle();
    EXPECT_TRUE(call->isHoldingLocally()) << "the party waits on hold";
    auto related = model->getRelatedConversation();
    ASSERT_TRUE(related);
    RelatedLog log;
    log.model = related;
    related->setDelegate(&log);
    EXPECT_FALSE(related->canAttendedTransfer()) << "not before the target answers";
    pass(2);
    EXPECT_EQ(log.states, (std::vector<std::string>{"Connecting", "Connected"}));
    ASSERT_TRUE(related->canAttendedTransfer());
    EXPECT_TRUE(related->canMerge());
    EXPECT_TRUE(related->canSplit());

    related->keyIsPressed('5');
    related->keyIsReleased('5');
    EXPECT_EQ(related->keyLog(), (std::vector<std::string>{"+5", "-5"}));
    EXPECT_EQ(related->getSpaceRelatedConversation()->tonesSent(), "5");

    related->attendedTransfer();
    settle();
    EXPECT_EQ(call->connectionStatus(), Conversation::statusEnded);
    EXPECT_EQ(related->getSpaceRelatedConversation()->connectionStatus(),
              Conversation::statusEnded);
    EXPECT_EQ(log.states.back(), "Ended");
    EXPECT_EQ(call->participants().front()->transferStatus(), 3);
    EXPECT_EQ(call->participants().front()->transferTarget(), "sip:carol@x");
    EXPECT_FALSE(model->getRelatedConversation());
    EXPECT_EQ(service()->linesInUse(), 0);
    related->removeDelegate(&log);
}

TEST_F(SecondCallsTest, MergedSecondCallMakesAConferenceWhosePartyCanBeSeparatedAgain) {
    auto call = connected("sip:bob@x");
    call->createRelatedConversation("sip:carol@x");
    pass(2);
    auto consultation = call->getRelatedConversation();
    ASSERT_TRUE(consultation && consultation->canMergeConsultation());
    PartyLog log;
    call->setDelegate(&log);
    auto bob = call->participants().front();
    bob->setDelegate(&log);

    consultation->mergeConsultation();
    settle();
    ASSERT_EQ(call->participants().size(), 2u);
    auto carol = call->participants().back();
    EXPECT_EQ(carol->displayName(), "sip:carol@x");
    EXPECT_TRUE(call->isConference());
    EXPECT_FALSE(call->isHoldingLocally()) << "the merged conference is talked on";
    EXPECT_TRUE(bob->inConference() && carol->inConference());
    EXPECT_EQ(carol->conversation(), call);
    EXPECT_FALSE(call->getRelatedConversation());
    EXPECT_EQ(service()->linesInUse(), 1);
    EXPECT_TRUE(carol->canSeparate());

    carol->separate();
    settle();
    ASSERT_EQ(call->participants().size(), 1u);
    EXPECT_FALSE(call->isConference());
    EXPECT_FALSE(bob->inConference());
    auto own = carol->conversation();
    ASSERT_TRUE(own && own != call);
    EXPECT_TRUE(own->isHoldingLocally());
    EXPECT_TRUE(own->isEstablished());
    EXPECT_EQ(carol->connectionStatus(), Participant::statusConnected);
    EXPECT_EQ(service()->getAllConversations().size(), 2u);
    EXPECT_FALSE(bob->canSeparate()) << "one party left: nothing to separate from";
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"added sip:carol@x", "conference", "conference",
                                        "removed sip:carol@x", "no conference", "no conference"}));
    call->removeDelegate(&log);
    bob->removeDelegate(&log);
}

TEST_F(SecondCallsTest, SplitSecondCallBecomesACallOfItsOwn) {
    auto call = connected("sip:bob@x");
    call->createRelatedConversation("sip:dave@x");
    pass(2);
    auto consultation = call->getRelatedConversation();
    ASSERT_TRUE(consultation);
    consultation->splitConsultation();
    settle();
    EXPECT_FALSE(call->getRelatedConversation());
    EXPECT_TRUE(call->isHoldingLocally());
    const auto all = service()->getAllConversations();
    EXPECT_NE(std::find(all.begin(), all.end(), consultation), all.end());
    EXPECT_FALSE(consultation->consultedFor()) << "no longer a consultation";
    EXPECT_FALSE(consultation->canMergeConsultation());
    EXPECT_TRUE(call->canMerge());
}

TEST_F(SecondCallsTest, ServerConferencePartiesJoinAndLeaveEachSayingSoFirst) {
    auto focus = service()->conferenceFocusConversation();
    ASSERT_TRUE(focus);
    EXPECT_TRUE(focus->isRemoteConferenceFocus());
    pass(2);
    PartyLog log;
    focus->setDelegate(&log);
    Scenario().conferenceParticipantJoins(focus->callIdentifier(), "sip:erin@x", "Erin");
    settle();
    ASSERT_EQ(focus->participants().size(), 2u);
    auto erin = focus->participants().back();
    EXPECT_EQ(erin->connectionStatus(), Participant::statusConnected);
    EXPECT_TRUE(erin->inConference());
    EXPECT_FALSE(erin->canSeparate()) << "the server holds the conference";
    PartyLog erinLog;
    erin->setDelegate(&erinLog);

    Scenario().conferenceParticipantLeaves(focus->callIdentifier(), "sip:erin@x");
    Scenario().conferenceParticipantLeaves(focus->callIdentifier(), "sip:nobody@x");
    settle();
    EXPECT_EQ(focus->participants().size(), 1u);
    EXPECT_TRUE(focus->isConference()) << "still the server's conference";
    EXPECT_EQ(erinLog.lines, (std::vector<std::string>{"Erin 6"}));
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"added Erin", "Erin 4", "Erin 6", "removed Erin"}));
    focus->removeDelegate(&log);
}

TEST_F(SecondCallsTest, PartyCommandsFollowItsStateInALocalConference) {
    auto call = connected("sip:bob@x");
    call->callAndAddParticipant("sip:carol@x", -1);
    settle();
    auto carol = call->participants().back();
    EXPECT_EQ(carol->connectionStatus(), Participant::statusConnecting);
    EXPECT_FALSE(carol->canSeparate());
    carol->cancel();
    settle();
    EXPECT_EQ(call->participants().size(), 1u);
    EXPECT_EQ(carol->connectionStatus(), Participant::statusDisconnected);
    EXPECT_FALSE(carol->conversation());

    call->callAndAddParticipant("sip:dave@x", -1);
    pass(2);
    ASSERT_EQ(call->participants().size(), 2u);
    auto dave = call->participants().back();
    EXPECT_TRUE(call->isConference());
    dave->hangUp();
    settle();
    EXPECT_EQ(call->participants().size(), 1u);
    EXPECT_TRUE(call->isLive()) << "the other party stays";
    call->participants().front()->hangUp();
    pass(1);
    EXPECT_FALSE(call->isLive()) << "the last party hung up ends the call";
}

TEST_F(SecondCallsTest, DialpadKeysArePressedAndReleasedAndGoDownTheLiveCall) {
    auto pad = OVDialpadModel::create();
    struct Echo : OVDialpadModelPro {
        std::vector<int> keys;
        OVDialpadModel* pad = nullptr;
        void ovmdDialpadPropertyChanged(const std::string&) override {
            keys.push_back(pad->getPressedKey());
        }
    } echo;
    echo.pad = pad.get();
    pad->setDelegate(&echo);
    pad->keyIsPressed('#');
    pad->keyIsReleased('#');
    EXPECT_EQ(pad->keyLog(), (std::vector<std::string>{"+#", "-#"}));
    EXPECT_EQ(echo.keys, (std::vector<int>{'#', 0}));

    auto call = connected("sip:bob@x");
    for (char key : std::string("12*"))
        pad->keyIsPressed(key), pad->keyIsReleased(key);
    EXPECT_EQ(call->tonesSent(), "12*");
    pad->removeDelegate(&echo);
}

} // namespace
