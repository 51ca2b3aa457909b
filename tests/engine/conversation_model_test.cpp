#include "EngineTestSupport.h"
#include "engine/CallRecording.h"
#include "engine/OVConversationsModel.h"
#include "engine/OVNumberEntryModel.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"

#include <filesystem>
#include <fstream>

using namespace engine_test;

namespace {

using Model = OVConversationModel;

// Hears the conversations model and every conversation model it hands out, as the call area and
// its panels do; keeps what it heard as text.
class CallListener : public OVConversationsModelPro,
                     public OVConversationModelPro,
                     public OVConversationBasePro {
public:
    void ovmdConversationCollectionAdded(
        const std::vector<std::shared_ptr<OVConversationModel>>& added) override {
        for (const auto& model : added) {
            models.push_back(model);
            model->setDelegate(this);
            model->getSpaceConversation()->setDelegate(this);
            heard.push_back("added " + model->getVisualStateName());
        }
    }
    void ovmdConversationCollectionRemoved(
        const std::vector<std::shared_ptr<OVConversationModel>>& removed) override {
        for (const auto& model : removed) {
            model->removeDelegate(this);
            model->getSpaceConversation()->removeDelegate(this);
            heard.push_back("removed");
        }
    }
    void ovmdConversationPropertyChanged(const std::string& name) override {
        if (name == Model::visualStateNameProperty)
            heard.push_back(current()->getVisualStateName());
        else if (name == Model::connectionStatusDisplayProperty)
            heard.push_back("display " + std::to_string(current()->connectionStatusDisplay()));
    }
    void recordingStarted() override { heard.push_back("recordingStarted"); }
    void recordingStopped(const std::string& folder, const std::string& name,
                          const std::string& extension) override {
        recorded = std::filesystem::path(folder) / (name + extension);
        heard.push_back("recordingStopped " + extension);
    }
    void startRecordingFailed() override { heard.push_back("startRecordingFailed"); }

    // The model being heard: the single one, or the last added.
    std::shared_ptr<OVConversationModel> current() const { return models.back(); }
    std::vector<std::shared_ptr<OVConversationModel>> models;
    std::vector<std::string> heard;
    std::filesystem::path recorded;
};

class ConversationModelTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        startSession();
        calls = OVConversationsModel::create();
        calls->setDelegate(&listener);
    }
    void TearDown() override {
        calls->removeDelegate(&listener);
        calls.reset();
        EngineTest::TearDown();
    }
    static std::shared_ptr<ConversationService> service() {
        return engine().phoneService()->getConversationService();
    }
    // A placed call the other side has answered.
    std::shared_ptr<Conversation> connectedCall(const std::string& address) {
        auto call = service()->audioConversation(address, -1);
        pass(1.5);
        EXPECT_TRUE(call && call->wasConnected());
        return call;
    }
    std::vector<std::string> heardSince(std::size_t from) const {
        return {listener.heard.begin() + static_cast<long>(from), listener.heard.end()};
    }
    std::shared_ptr<OVConversationsModel> calls;
    CallListener listener;
};

TEST_F(ConversationModelTest, AnOutgoingCallGoesThroughItsStatesAndLeavesTheCollection) {
    auto call = service()->audioConversation("sip:dave@sip.lumiq.example", -1);
    ASSERT_TRUE(call);
    settle();
    ASSERT_EQ(listener.models.size(), 1u);
    auto model = listener.current();
    EXPECT_EQ(model->getSpaceConversation(), call);
    EXPECT_EQ(model->getVisualStateName(), Model::preCallingVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::callingDisplay);
    EXPECT_EQ(call->connectionStatus(), 0) << "a call being placed is in progress";
    EXPECT_EQ(call->participants().front()->connectionStatus(), Participant::statusConnecting);

    pass(0.3);
    EXPECT_EQ(call->participants().front()->connectionStatus(), 1);
    EXPECT_EQ(model->getVisualStateName(), Model::connectingVisualState);
    pass(1.0);
    EXPECT_EQ(call->participants().front()->connectionStatus(), 4);
    EXPECT_EQ(model->getVisualStateName(), Model::activeVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::callEstablishedDisplay);

    model->toggleHoldResume();
    settle();
    EXPECT_EQ(call->connectionStatus(), 2);
    EXPECT_EQ(model->getVisualStateName(), Model::holdingLocallyVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::localHoldDisplay);
    model->toggleHoldResume();
    settle();
    EXPECT_EQ(call->connectionStatus(), 0);

    call->end();
    pass(0.1);
    EXPECT_EQ(call->connectionStatus(), 4);
    EXPECT_EQ(call->participants().front()->connectionStatus(), 6);
    EXPECT_EQ(listener.heard,
              (std::vector<std::string>{"added PreCalling", "Connecting", "Active", "display 4",
                                        "HoldingLocally", "display 9", "Active", "display 4",
                                        "Ended", "display 7", "removed"}));
    EXPECT_TRUE(calls->getConversations().empty());
}

TEST_F(ConversationModelTest, ScenarioEventsDriveEveryStateOfTheCall) {
    const struct {
        const char* name;
        bool connectFirst;
        std::function<void(Scenario&, const std::string&)> event;
        std::string_view state;
        int display;
        int status;
    } cases[] = {
        {"rejected", false, [](Scenario& s, const auto& id) { s.remoteRejects(id); },
         Model::failedToConnectVisualState, Model::failedToConnectDisplay, 3},
        {"held remotely", true, [](Scenario& s, const auto& id) { s.remoteHolds(id); },
         Model::holdingRemotelyVisualState, Model::remoteHoldDisplay, 0},
        {"held and resumed", true,
         [](Scenario& s, const auto& id) {
             s.remoteHolds(id);
             s.remoteHolds(id, false);
         },
         Model::activeVisualState, Model::callEstablishedDisplay, 0},
        {"transferred", true, [](Scenario& s, const auto& id) { s.remoteTransfers(id); },
         Model::activeVisualState, Model::beingTransferredDisplay, 0},
        {"hung up", true, [](Scenario& s, const auto& id) { s.remoteHangsUp(id); },
         Model::endedVisualState, Model::callEndedDisplay, 4},
    };
    for (const auto& c : cases) {
        Scenario scenario;
        scenario.callsTo("sip:erin@sip.lumiq.example",
                         c.connectFirst ? RemoteAnswer::answers : RemoteAnswer::noAnswer);
        auto call = service()->audioConversation("sip:erin@sip.lumiq.example", -1);
        pass(c.connectFirst ? 1.5 : 0.5);
        auto model = calls->modelOf(call.get());
        ASSERT_TRUE(model) << c.name;
        c.event(scenario, call->callIdentifier());
        settle();
        EXPECT_EQ(model->getVisualStateName(), c.state) << c.name;
        EXPECT_EQ(model->connectionStatusDisplay(), c.display) << c.name;
        EXPECT_EQ(call->connectionStatus(), c.status) << c.name;
        if (call->isLive())
            call->end();
        pass(0.2);
    }
    // Busy, unreachable: failed at once, the party failed to connect (5).
    Scenario().callsTo("sip:busy@sip.lumiq.example", RemoteAnswer::busy);
    auto busy = service()->audioConversation("sip:busy@sip.lumiq.example", -1);
    pass(0.5);
    EXPECT_EQ(busy->connectionStatus(), 3);
    EXPECT_EQ(busy->participants().front()->connectionStatus(), 5);
}

TEST_F(ConversationModelTest, IncomingCallsRingWaitAndForward) {
    Scenario scenario;
    scenario.incomingCall("sip:bob@sip.lumiq.example", "Bob");
    scenario.incomingCall("sip:carol@sip.lumiq.example", "Carol", true);
    settle();
    ASSERT_EQ(listener.models.size(), 2u);
    auto bob = listener.models[0];
    auto carol = listener.models[1];
    EXPECT_EQ(bob->getVisualStateName(), Model::ringingVisualState);
    EXPECT_EQ(bob->connectionStatusDisplay(), Model::incomingCallDisplay);
    EXPECT_EQ(carol->getVisualStateName(), Model::ringingWithVideoVisualState);
    EXPECT_EQ(bob->getSpaceConversation()->connectionStatus(), 1);

    bob->getSpaceConversation()->answer();
    settle();
    EXPECT_EQ(bob->getVisualStateName(), Model::activeVisualState);
    scenario.incomingCall("sip:dave@sip.lumiq.example", "Dave");
    settle();
    auto dave = listener.current();
    EXPECT_EQ(dave->getSpaceConversation()->connectionStatus(), 5)
        << "a call coming in while one is connected waits";

    // Forwarding: only a ringing call; the mode shows, cancels, and a target ends the call here.
    EXPECT_FALSE(bob->canForwardBegin());
    ASSERT_TRUE(dave->canForwardBegin());
    dave->forwardBegin();
    EXPECT_EQ(dave->getVisualStateName(), Model::forwardBeginVisualState);
    dave->forwardCancel();
    EXPECT_EQ(dave->getVisualStateName(), Model::ringingVisualState);
    dave->getSpaceConversation()->forward("sip:frank@sip.lumiq.example");
    settle();
    EXPECT_FALSE(dave->getSpaceConversation()->isLive());
    EXPECT_EQ(calls->getConversations().size(), 2u);
}

TEST_F(ConversationModelTest, BlindTransferSucceedsOrFailsByTheTarget) {
    auto call = connectedCall("sip:dave@sip.lumiq.example");
    auto model = calls->modelOf(call.get());
    ASSERT_TRUE(model->canTransferBegin());
    model->transferBegin();
    EXPECT_EQ(model->getVisualStateName(), Model::transferBeginVisualState);
    ASSERT_TRUE(model->canTransferCancel());
    model->transferCancel();
    EXPECT_EQ(model->getVisualStateName(), Model::activeVisualState);

    // A target that is busy: the failure shows and the call stays.
    Scenario().callsTo("sip:busy@x", RemoteAnswer::busy);
    model->transferBegin();
    call->blindTransfer("sip:busy@x");
    EXPECT_EQ(model->connectionStatusDisplay(), Model::transferringDisplay);
    EXPECT_EQ(model->connectionStatusDisplayParam(), "sip:busy@x");
    EXPECT_EQ(model->getVisualStateName(), Model::activeVisualState) << "the mode ends";
    pass(1.0);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::transferFailedDisplay);
    EXPECT_TRUE(call->isLive());
    EXPECT_TRUE(call->canBlindTransfer()) << "a failed transfer may be tried again";

    call->blindTransfer("sip:frank@sip.lumiq.example");
    pass(1.0);
    EXPECT_FALSE(call->isLive());
    EXPECT_EQ(call->participants().front()->transferStatus(), 3);
    EXPECT_TRUE(calls->getConversations().empty());
}

// An attended transfer: the party waits on hold while the target is called on a consultation
// call that has no place of its own in the list; then the party is handed over, or the
// consultation ends one way or another and the party is still there, on hold.
TEST_F(ConversationModelTest, ConsultationCallsTheTargetBeforeTheCallIsHandedOver) {
    enum class Ending { handedOver, userEndsConsultation, targetBusy, targetHangsUp, partyHangsUp };
    const struct {
        const char* name;
        Ending ending;
    } cases[] = {
        {"handed over", Ending::handedOver},
        {"the user ends the consultation", Ending::userEndsConsultation},
        {"the target is busy", Ending::targetBusy},
        {"the target hangs up", Ending::targetHangsUp},
        {"the waiting party hangs up", Ending::partyHangsUp},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        auto call = connectedCall("sip:dave@sip.lumiq.example");
        auto model = calls->modelOf(call.get());
        const std::string target =
            t.ending == Ending::targetBusy ? "sip:busy@x" : "sip:frank@sip.lumiq.example";
        Scenario().callsTo(target, t.ending == Ending::targetBusy ? RemoteAnswer::busy
                                                                  : RemoteAnswer::answers);
        const int linesBefore = service()->linesInUse();
        ASSERT_TRUE(call->canAttendedTransfer());

        // Begun as a transfer, then "Call" from the transfer button's menu.
        model->transferBegin();
        model->getNumberEntryModel()->setNumberEntered(" " + target + " ");
        std::shared_ptr<OVMenuItem> callFirst;
        for (const auto& item : model->getMenuItems())
            if (item->getType() == Model::menuItemAttendedTransfer)
                callFirst = item;
        ASSERT_TRUE(callFirst);
        callFirst->executeCommand();
        settle();
        auto consultation = call->getRelatedConversation();
        ASSERT_TRUE(consultation);
        ASSERT_TRUE(model->getRelatedConversation());
        EXPECT_EQ(model->getRelatedConversation()->getSpaceRelatedConversation(), consultation);
        EXPECT_EQ(consultation->participants().front()->address(), target);
        EXPECT_TRUE(call->isHoldingLocally()) << "the party waits on hold";
        EXPECT_EQ(model->getVisualStateName(), Model::transferAttendedHoldingLocallyVisualState);
        EXPECT_EQ(calls->getConversations().size(), 1u) << "no panel for the consultation";
        EXPECT_EQ(service()->linesInUse(), linesBefore + 1) << "but it takes a line";
        EXPECT_FALSE(call->canBlindTransfer());
        EXPECT_FALSE(call->canAttendedTransfer()) << "one consultation at a time";
        EXPECT_FALSE(consultation->canAttendedTransfer()) << "not before the target answers";
        if (t.ending != Ending::targetBusy) {
            EXPECT_EQ(model->connectionStatusDisplay(), Model::transferringDisplay);
            EXPECT_EQ(model->getRelatedConversation()->getVisualStateName(),
                      OVRelatedConversationModel::preCallingVisualState);
        }
        pass(1.5);

        switch (t.ending) {
        case Ending::handedOver:
            ASSERT_TRUE(consultation->isEstablished());
            EXPECT_EQ(model->getRelatedConversation()->getVisualStateName(),
                      OVRelatedConversationModel::connectedVisualState);
            ASSERT_TRUE(model->getRelatedConversation()->canAttendedTransfer());
            model->getRelatedConversation()->attendedTransfer();
            settle();
            EXPECT_FALSE(call->isLive());
            EXPECT_FALSE(consultation->isLive());
            EXPECT_EQ(call->participants().front()->transferStatus(), 3);
            EXPECT_EQ(call->transferState(), Conversation::Transfer::succeeded);
            EXPECT_TRUE(calls->getConversations().empty());
            EXPECT_EQ(service()->linesInUse(), 0);
            continue;
        case Ending::userEndsConsultation:
            // Escape, or Cancel: the consultation ends, the party stays.
            ASSERT_TRUE(model->canTransferCancel());
            model->transferCancel();
            pass(1.0);
            break;
        case Ending::targetBusy:
            break;
        case Ending::targetHangsUp:
            Scenario().remoteHangsUp(consultation->callIdentifier());
            settle();
            break;
        case Ending::partyHangsUp:
            Scenario().remoteHangsUp(call->callIdentifier());
            settle();
            EXPECT_FALSE(call->isLive());
            EXPECT_FALSE(consultation->isLive()) << "the consultation ends with the call";
            EXPECT_EQ(service()->linesInUse(), 0);
            continue;
        }
        EXPECT_FALSE(consultation->isLive());
        EXPECT_FALSE(call->getRelatedConversation());
        EXPECT_FALSE(model->getRelatedConversation());
        EXPECT_TRUE(call->isLive());
        EXPECT_TRUE(call->isHoldingLocally());
        EXPECT_EQ(model->getVisualStateName(), Model::holdingLocallyVisualState);
        EXPECT_EQ(service()->linesInUse(), linesBefore);
        EXPECT_TRUE(call->canAttendedTransfer()) << "another transfer may be tried";
        call->end();
        pass(1.0);
    }
}

TEST_F(ConversationModelTest, MergeAndAddedPartiesMakeAConference) {
    auto first = connectedCall("sip:dave@sip.lumiq.example");
    auto second = connectedCall("sip:erin@sip.lumiq.example");
    auto model = calls->modelOf(first.get());
    auto types = [&] {
        std::vector<int> found;
        for (const auto& item : model->getMenuItems())
            found.push_back(item->getType());
        return found;
    };
    EXPECT_EQ(types(), (std::vector<int>{Model::menuItemAddToConferenceBegin, Model::menuItemMerge,
                                         Model::menuItemStartRecording}));
    for (const auto& item : model->getMenuItems())
        if (item->getType() == Model::menuItemMerge)
            item->executeCommand();
    EXPECT_TRUE(first->isConference());
    EXPECT_EQ(first->participants().size(), 2u);
    EXPECT_EQ(calls->getConversations().size(), 1u) << "the merged call leaves the collection";
    EXPECT_EQ(model->getVisualStateName(), Model::isConferenceVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::conferenceDefaultDisplay);
    EXPECT_EQ(service()->linesInUse(), 1);

    // Inviting one more: the invitation shows, the party being called is named.
    model->addToConferenceBegin();
    EXPECT_EQ(model->getVisualStateName(), Model::invitingToConferenceVisualState);
    first->callAndAddParticipant("sip:frank@sip.lumiq.example", -1);
    EXPECT_EQ(model->getVisualStateName(), Model::isConferenceVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::conferenceCallingOneParticipantDisplay);
    EXPECT_EQ(model->connectionStatusDisplayParam(), "Frank Ford") << "the party is a contact";
    pass(1.5);
    EXPECT_EQ(first->participants().size(), 3u);
    EXPECT_EQ(first->participants().back()->connectionStatus(), 4);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::conferenceDefaultDisplay);
    model->toggleHoldResume();
    settle();
    EXPECT_EQ(model->getVisualStateName(), Model::isConferenceHoldingLocallyVisualState);
    EXPECT_EQ(model->connectionStatusDisplay(), Model::conferenceOnLocalHoldDisplay);
}

TEST_F(ConversationModelTest, RecordingLeavesAWavFileOrSaysItFailed) {
    const auto folder = std::filesystem::temp_directory_path() / "lumiq-recordings-test";
    std::filesystem::remove_all(folder);
    engine()
        .phoneService()
        ->getPreferenceSettings()
        ->sub("preferences")
        ->sub("advanced")
        ->sub("recordingLocation")
        ->setStringSetting(folder.string(), true);
    auto call = connectedCall("sip:dave@sip.lumiq.example");
    auto model = calls->modelOf(call.get());
    const auto from = listener.heard.size();

    Scenario().failNextRecording();
    call->startRecording();
    settle();
    EXPECT_FALSE(call->canStopRecording());

    call->startRecording();
    settle();
    EXPECT_TRUE(call->canStopRecording());
    ASSERT_EQ(model->getMenuItems().back()->getType(), Model::menuItemStopRecording);
    pass(2.0);
    model->getMenuItems().back()->executeCommand();
    settle();
    EXPECT_EQ(heardSince(from),
              (std::vector<std::string>{"startRecordingFailed", "recordingStarted",
                                        "recordingStopped .wav"}));
    ASSERT_TRUE(std::filesystem::exists(listener.recorded)) << listener.recorded;
    EXPECT_EQ(listener.recorded.parent_path(), folder);
    std::ifstream in(listener.recorded, std::ios::binary);
    std::string header(12, '\0');
    in.read(header.data(), 12);
    EXPECT_EQ(header.substr(0, 4), "RIFF");
    EXPECT_EQ(header.substr(8, 4), "WAVE");
    EXPECT_EQ(std::filesystem::file_size(listener.recorded),
              44u + 2u * 2u * CallRecording::sampleRate)
        << "two seconds of 16-bit mono";

    // A call that ends while recorded still leaves its file.
    call->startRecording();
    settle();
    call->end();
    pass(0.2);
    EXPECT_EQ(listener.heard.back(), "removed");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(CallRecording::safeName("../etc/pass wd"), "_etc_pass wd");
}

TEST_F(ConversationModelTest, DelegatesHearInTurnAndOneMayLeaveDuringACallback) {
    // The second listener leaves the model while the first change is being told; the third
    // still hears it, and the second hears nothing more.
    struct Leaver : OVConversationsModelPro {
        void ovmdConversationCollectionAdded(
            const std::vector<std::shared_ptr<OVConversationModel>>&) override {
            ++heard;
            model->removeDelegate(this);
        }
        std::shared_ptr<OVConversationsModel> model;
        int heard = 0;
    } leaver;
    struct Counter : OVConversationsModelPro {
        void ovmdConversationCollectionAdded(
            const std::vector<std::shared_ptr<OVConversationModel>>&) override {
            ++heard;
        }
        int heard = 0;
    } counter;
    leaver.model = calls;
    calls->setDelegate(&leaver);
    calls->setDelegate(&counter);
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol");
    settle();
    EXPECT_EQ(leaver.heard, 1);
    EXPECT_EQ(counter.heard, 2);
    EXPECT_EQ(listener.models.size(), 2u);
    calls->removeDelegate(&counter);
}

TEST_F(ConversationModelTest, TheDemoPartyHangsUpAfterAWhile) {
    auto call = connectedCall("sip:dave@sip.lumiq.example");
    const auto talk = Scenario().network()->latency("callHangUp");
    ASSERT_GT(talk, 0);
    pass(talk - 1);
    EXPECT_TRUE(call->isLive());
    pass(1.5);
    EXPECT_FALSE(call->isLive());
    EXPECT_TRUE(calls->getConversations().empty());
}

} // namespace
