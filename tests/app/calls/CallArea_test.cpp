#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/core/SignInTestSupport.h"
#include "engine/OVConversationsModel.h"
#include "engine/SimulatedNetwork.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ValueTransformer.h"
#include "support/AlertExtensions.h"
#include "support/Notifications.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXCollectionViewItem.h"
#include "widgets/QXImageButton.h"

#include <filesystem>

using namespace app_test;

namespace {

using Model = OVConversationModel;

// The application signed in as the demo user: calls come and go through the simulated network
// and the user works the panels with the headless screen's mouse and keys.
class CallAreaTest : public SignInTest {
protected:
    static CallModuleController& area() { return CallModuleController::sharedController(); }
    static ConversationViewController& panel(std::size_t index) {
        return *area().panels().at(index);
    }
    static std::shared_ptr<ConversationService> service() {
        return engine().phoneService()->getConversationService();
    }
    static std::string status(ConversationViewController& p) {
        return p.callStatus()->stringValue();
    }
    static bool shows(const std::shared_ptr<platform::View>& view) {
        if (!view || view->isHidden())
            return false;
        for (auto* parent = view->superview(); parent; parent = parent->superview())
            if (parent->isHidden())
                return false;
        return view->window() != nullptr || view->superview() != nullptr;
    }
    // The titles of the buttons a panel shows, in a fixed order; the inert buttons of the hold
    // row in brackets, the row of the number entry after "|".
    static std::string buttons(ConversationViewController& p) {
        const auto& o = p.outlets();
        std::string text;
        auto add = [&](const std::shared_ptr<platform::View>& view, bool inert = false) {
            auto* button = dynamic_cast<platform::Button*>(view.get());
            if (!button || !shows(view))
                return;
            if (!text.empty())
                text += " ";
            text += inert ? "(" + button->title() + ")" : button->title();
            if (!button->isEnabled() && !inert)
                text += "-";
        };
        for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                 o.answer, o.answerVideo, o.answerAudio, o.callForward, o.decline, o.muteMic,
                 o.hold})
            add(view);
        add(o.mute, true);
        add(o.resume);
        add(o.transferInert, true);
        add(o.video, true);
        for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                 o.transfer, o.quickTransfer, o.startVideo, o.stopVideo, o.close,
                 o.actionMenuButton, o.im})
            add(view);
        if (p.isNumberEntryShown()) {
            text += text.empty() ? "|" : " |";
            for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                     o.transferNow, o.forwardNow, o.add, o.cancel})
                add(view);
        }
        return text;
    }
    // What is wrong with the panel's buttons row as drawn: a shown button outside the row,
    // over another one, or too narrow for its title on one line. Empty when nothing is.
    static std::string rowFaults(ConversationViewController& p) {
        const auto& row = p.outlets().buttonsView;
        std::vector<platform::View*> shown;
        for (const auto& view : row->subviews())
            if (shows(view))
                shown.push_back(view.get());
        std::string faults;
        for (auto* view : shown) {
            auto* button = dynamic_cast<QXImageButton*>(view);
            const std::string name = button ? button->title() : "?";
            const platform::Rect frame = view->frame();
            if (frame.minX() < 0 || frame.maxX() > row->bounds().maxX())
                faults += name + " outside the row; ";
            for (auto* other : shown)
                if (other != view && other->frame().minX() < frame.maxX() &&
                    frame.minX() < other->frame().maxX())
                    faults += name + " over another button; ";
            if (button && button->imageCell()) {
                const auto& m = button->imageCell()->margins();
                const auto title = button->attributedTitle();
                if (title.size().width > frame.width() - m.left - m.right - 1)
                    faults += name + " broken over lines; ";
            }
        }
        return faults;
    }
    static platform::Responder* focus() { return window().firstResponder(); }
    // A placed call the other side answered, with its panel.
    std::shared_ptr<Conversation> connectedCall(const std::string& address) {
        Scenario().callsTo(address, RemoteAnswer::answers);
        auto call = service()->audioConversation(address, -1);
        runFor(1.5);
        settle();
        EXPECT_TRUE(call && call->wasConnected() && area().panelOf(call.get()));
        return call;
    }
};

TEST_F(CallAreaTest, OutgoingRoadTypedCallRingsConnectsHoldsMutesAndEnds) {
    signInToMainView();
    auto& field = *PrimaryModuleController::sharedController().getCallEntryField();
    click(field);
    screen->typeText("5551234");
    screen->key(U'\r');
    settle();
    ASSERT_EQ(area().panels().size(), 1u) << "the placed call gets its panel";
    auto& first = panel(0);
    EXPECT_EQ(status(first), "Calling");
    EXPECT_EQ(buttons(first), "End") << "only the end while the call is being set up";
    runFor(0.35);
    settle();
    EXPECT_EQ(first.conversationModel()->getVisualStateName(), Model::connectingVisualState);
    EXPECT_EQ(buttons(first), "End");
    runFor(1.0);
    settle();
    EXPECT_EQ(status(first), "Call Established");
    EXPECT_EQ(buttons(first), "Mute Hold Transfer Video End");

    // A second call, answered too: two panels in the order the calls came.
    auto second = connectedCall("sip:erin@sip.lumiq.example");
    ASSERT_EQ(area().panels().size(), 2u);
    EXPECT_EQ(panel(1).conversation(), second);

    click(*first.outlets().hold);
    settle();
    EXPECT_EQ(status(first), "Call on Hold");
    EXPECT_EQ(first.conversation()->connectionStatus(), 2);
    EXPECT_EQ(buttons(first), "(Mute) Resume (Video) Transfer- End");
    click(*first.outlets().resume);
    settle();
    EXPECT_EQ(status(first), "Call Established");
    EXPECT_EQ(buttons(first), "Mute Hold Transfer Video End");

    click(*first.outlets().muteMic);
    settle();
    EXPECT_TRUE(engine().phoneService()->micMuted());
    EXPECT_EQ(first.outlets().muteMic->state(), 1);
    EXPECT_EQ(panel(1).outlets().muteMic->state(), 1) << "every panel shows the one microphone";
    click(*first.outlets().muteMic);
    settle();
    EXPECT_FALSE(engine().phoneService()->micMuted());

    // Clicking the panel gives it the focus; ending it moves the focus to the next panel.
    click(*first.conversationView());
    EXPECT_EQ(focus(), first.conversationView());
    auto firstCall = first.conversation();
    click(*first.outlets().close);
    runFor(0.2);
    settle();
    EXPECT_FALSE(firstCall->isLive());
    ASSERT_EQ(area().panels().size(), 1u);
    EXPECT_EQ(area().panels().front()->conversation(), second);
    EXPECT_EQ(focus(), panel(0).conversationView());
    EXPECT_EQ(area().collectionView()->viewItems().size(), 1u);
}

TEST_F(CallAreaTest, IncomingRoadAnswerByHotKeyDeclineByButtonAndRingingOrder) {
    signInToMainView();
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    settle();
    ASSERT_EQ(area().panels().size(), 1u);
    auto& bob = panel(0);
    EXPECT_EQ(status(bob), "Incoming call");
    EXPECT_EQ(buttons(bob), "Answer Decline");
    EXPECT_TRUE(bob.conversationView()->isIncomming());

    screen->key(U'n', platform::ControlKeyMask);
    settle();
    EXPECT_EQ(bob.conversation()->connectionStatus(), 0);
    EXPECT_EQ(focus(), bob.conversationView()) << "the answered panel takes the focus";
    EXPECT_FALSE(bob.conversationView()->isIncomming());

    // Carol rings in while Bob is connected (status 5); Bob ends; Dave rings in (status 1).
    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol");
    settle();
    auto carol = panel(1).conversation();
    EXPECT_EQ(carol->connectionStatus(), 5);
    click(*bob.outlets().close);
    runFor(0.2);
    settle();
    Scenario().incomingCall("sip:dave@sip.lumiq.example", "Dave");
    settle();
    ASSERT_EQ(area().panels().size(), 2u);
    auto dave = panel(1).conversation();
    EXPECT_EQ(dave->connectionStatus(), 1);

    // The answer key takes the first ringing panel in order, whatever its status.
    screen->key(U'n', platform::ControlKeyMask);
    settle();
    EXPECT_EQ(carol->connectionStatus(), 0);
    EXPECT_EQ(dave->connectionStatus(), 1);
    EXPECT_EQ(focus(), panel(0).conversationView());

    // Dave is declined from his panel's button: his panel goes, Carol's stays.
    click(*panel(1).outlets().decline);
    settle();
    EXPECT_FALSE(dave->isLive());
    ASSERT_EQ(area().panels().size(), 1u);
    EXPECT_EQ(area().panels().front()->conversation(), carol);
}

TEST_F(CallAreaTest, VisualStatesAndDisplaysDecideButtonsTitlesAndStatusLine) {
    // Without video on the network the video buttons stay out of the rows.
    useConfiguration("allowVideo", platform::Value(false));
    setFeatures({{"transfersEnabled", true},
                 {"forwardEnabled", true},
                 {"quickTransferEnabled", false},
                 {"call_panel_dropdown", false}});
    signInToMainView();
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    settle();
    auto& ringing = panel(0);
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& connected = *area().panelOf(call.get());
    // Rows run in order on one panel: a button a state leaves alone keeps what the row
    // before gave it.
    const struct {
        ConversationViewController* panel;
        std::string_view state;
        int display;
        const char* param;
        const char* buttons;
        const char* line;
    } rows[] = {
        {&ringing, Model::ringingVisualState, Model::incomingCallDisplay, "",
         "Answer Forward Decline", "Incoming call"},
        {&ringing, Model::ringingWithVideoVisualState, Model::incomingCallDisplay, "",
         "Video Audio only Forward Decline", "Incoming call"},
        {&ringing, Model::forwardBeginVisualState, Model::incomingCallDisplay, "",
         "| Forward- Cancel", "Incoming call"},
        {&connected, Model::activeVisualState, Model::callEstablishedDisplay, "",
         "Mute Hold Transfer End", "Call Established"},
        {&connected, Model::holdingRemotelyVisualState, Model::remoteHoldDisplay, "",
         "Mute Hold Transfer End", "Placed on hold by other party"},
        {&connected, Model::holdingLocallyVisualState, Model::localHoldDisplay, "",
         "(Mute) Resume- (Video) Transfer End", "Call on Hold"},
        {&connected, Model::transferBeginVisualState, Model::transferringDisplay, "sip:frank@x",
         "| Transfer- Cancel", "Transfer: calling sip:frank@x"},
        {&connected, Model::transferAttendedVisualState, Model::transferFailedDisplay, "", "Hold",
         "Sorry, transfer cannot be completed"},
        {&connected, Model::transferAttendedHoldingLocallyVisualState,
         Model::transferSucceededDisplay, "", "(Mute) Resume- (Transfer) (Video)",
         "Transfer Succeeded"},
        {&connected, Model::invitingToConferenceVisualState,
         Model::conferenceCallingParticipantsDisplay, "", "| Add- Cancel",
         "Conference: calling more participants"},
        {&connected, Model::isConferenceVisualState, Model::conferenceDefaultDisplay, "",
         "Mute Hold End", "Conference call 2 participants"},
        {&connected, Model::isConferenceHoldingLocallyVisualState,
         Model::conferenceOnLocalHoldDisplay, "", "Mute Hold Resume- End", "Conference on Hold"},
        {&connected, Model::isConferenceHoldingLocallyVisualState,
         Model::conferenceCallingOneParticipantDisplay, "Frank", "Mute Hold Resume- End",
         "Conference: calling Frank"},
        {&connected, Model::connectingVisualState, Model::callingDisplay, "", "Mute End",
         "Calling"},
        {&connected, Model::preCallingVisualState, Model::beingTransferredDisplay, "", "Mute End",
         "You are being transferred..."},
        {&connected, Model::failedToConnectVisualState, Model::failedToConnectDisplay, "",
         "Mute Hold Transfer End", "Call failed to connect"},
        {&connected, Model::endedVisualState, Model::callEndedDisplay, "", "Mute- Hold End-",
         "Call ended"},
        // A name the panel does not know changes nothing: the ended look stays.
        {&connected, "SomethingElse", 99, "", "Mute- Hold End-", ""},
    };
    for (const auto& row : rows) {
        row.panel->conversationModel()->present(row.state, row.display, row.param);
        settle();
        EXPECT_EQ(buttons(*row.panel), row.buttons) << row.state << " / " << row.display;
        EXPECT_EQ(status(*row.panel), row.line) << row.state << " / " << row.display;
    }
    // The engine's own next change replaces what was stated.
    call->hold();
    settle();
    EXPECT_EQ(status(connected), "Call on Hold");

    // Without transfers no transfer button shows, whatever the engine allows.
    setFeatures({{"transfersEnabled", false}});
    connected.conversationModel()->present(Model::activeVisualState, Model::callEstablishedDisplay);
    settle();
    EXPECT_EQ(buttons(connected).find("Transfer"), std::string::npos) << buttons(connected);
}

TEST_F(CallAreaTest, PanelLayoutLevelMetersAndMuteTransformer) {
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = *area().panelOf(call.get());
    const auto& o = p.outlets();
    // The row closes up: Hold 3 points after Mute, End at the row's right edge.
    EXPECT_DOUBLE_EQ(o.hold->frame().minX(), o.muteMic->frame().maxX() + 3);
    EXPECT_DOUBLE_EQ(o.close->frame().maxX(), o.buttonsView->bounds().maxX() - 8);
    EXPECT_EQ(p.conversationViewItem()->itemTag().rfind("call ", 0), 0u);
    // Whatever the state, the shown buttons sit side by side in the row, each title whole.
    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol Chen");
    settle();
    auto& ringing = *area().panels().back();
    EXPECT_EQ(buttons(ringing), "Answer Decline");
    EXPECT_EQ(rowFaults(ringing), "") << "ringing";
    EXPECT_DOUBLE_EQ(ringing.outlets().answer->frame().minX(), 8) << "the row's margin";
    EXPECT_EQ(rowFaults(p), "") << "connected";
    call->hold();
    settle();
    EXPECT_EQ(buttons(p), "(Mute) Resume (Video) Transfer- End");
    EXPECT_EQ(rowFaults(p), "") << "held";
    call->resume();
    ringing.conversation()->decline();
    settle();

    const struct {
        int percent;
        int image;
    } levels[] = {{0, 0}, {7, 0}, {8, 1}, {100, 12}};
    for (const auto& level : levels) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            UpdateSpeakerOutputLevelNotification, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(EntryPercent), platform::Value(level.percent)}}));
        platform::NotificationCenter::defaultCenter().postNotificationName(
            UpdateMicOutputLevelNotification, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(EntryPercent), platform::Value(level.percent)}}));
        EXPECT_EQ(p.speakerLevelImage(), level.image) << level.percent;
        EXPECT_EQ(p.micLevelImage(), level.image) << level.percent;
    }
    for (auto [level, diameter] : {std::pair{1, 1}, {10, 1}, {11, 2}, {100, 10}})
        EXPECT_EQ(ConversationViewController::micIndicatorDiameter(level), diameter);
    engine().phoneService()->muteMic(true);
    settle();
    EXPECT_TRUE(p.micShownMuted());
    auto transformer = platform::ValueTransformer::valueTransformerForName("MicMuteTransformer");
    ASSERT_TRUE(transformer);
    EXPECT_EQ(transformer->transformedValue(platform::Value(true)).intValue(), 1);
    EXPECT_EQ(transformer->transformedValue(platform::Value()).intValue(), 0);
    EXPECT_EQ(transformer->reverseTransformedValue(platform::Value(5)).intValue(), 1);
}

TEST_F(CallAreaTest, TransferForwardAndEscapeFromThePanel) {
    setFeatures(
        {{"transfersEnabled", true}, {"forwardEnabled", true}, {"un_attended_transfers", true}});
    signInToMainView();
    // Forward: the button enters forward mode; an empty or "@" target does nothing.
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    settle();
    auto& bob = panel(0);
    auto bobCall = bob.conversation();
    // The incoming call's toast lies over the main window: the buttons are pressed in place.
    bob.outlets().callForward->performClick(nullptr);
    settle();
    EXPECT_TRUE(bob.callForwardInProgress());
    EXPECT_TRUE(bob.isNumberEntryShown());
    bob.forward(nullptr);
    bob.numberEntryModel()->setNumberEntered("@frank");
    settle();
    bob.forward(nullptr);
    settle();
    EXPECT_TRUE(bobCall->isLive());
    bob.numberEntryModel()->setNumberEntered("  sip:frank@sip.lumiq.example ");
    settle();
    bob.outlets().forwardNow->performClick(nullptr);
    settle();
    EXPECT_FALSE(bobCall->isLive());
    EXPECT_TRUE(area().panels().empty());

    // Transfer: Control-T on the focused panel, a target typed into its number entry.
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = panel(0);
    window().makeFirstResponder(p.conversationView());
    screen->key(U't', platform::ControlKeyMask);
    settle();
    ASSERT_TRUE(p.isTransfering());
    EXPECT_EQ(focus(), p.outlets().numberEntryTextField->currentEditor())
        << "the number entry takes the keyboard";
    screen->typeText("sip:frank@sip.lumiq.example");
    settle();
    EXPECT_TRUE(p.outlets().transferNow->isEnabled());
    click(*p.outlets().transferNow);
    settle();
    EXPECT_EQ(status(p), "Transfer: calling sip:frank@sip.lumiq.example");
    runFor(1.1);
    settle();
    EXPECT_FALSE(call->isLive());
    EXPECT_TRUE(area().panels().empty());

    // Escape: cancels an invitation, else ends the call.
    auto other = connectedCall("sip:dave@sip.lumiq.example");
    auto& q = panel(0);
    q.conversationModel()->addToConferenceBegin();
    settle();
    ASSERT_TRUE(q.invitingToConference());
    window().makeFirstResponder(q.conversationView());
    screen->key(U'\x1b');
    settle();
    EXPECT_FALSE(q.invitingToConference());
    EXPECT_TRUE(other->isLive());
    window().makeFirstResponder(q.conversationView());
    screen->key(U'\x1b');
    runFor(0.2);
    settle();
    EXPECT_FALSE(other->isLive());
}

// Without blind transfers, Transfer now calls the target first: the party waits on hold in
// the same panel while the consultation call rings; Escape ends the consultation and the
// party is still there.
TEST_F(CallAreaTest, TransferWithoutBlindTransfersCallsTheTargetFirst) {
    setFeatures({{"transfersEnabled", true}, {"un_attended_transfers", false}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = panel(0);
    click(*p.outlets().transfer);
    settle();
    ASSERT_TRUE(p.isTransfering());
    screen->typeText("sip:frank@sip.lumiq.example");
    settle();
    platform::MenuItem consult("Call", "createRelatedConversation:", "");
    EXPECT_EQ(p.validateMenuItem(consult), std::optional<bool>(true));
    click(*p.outlets().transferNow);
    settle();

    auto consultation = call->getRelatedConversation();
    ASSERT_TRUE(consultation);
    EXPECT_EQ(consultation->participants().front()->address(), "sip:frank@sip.lumiq.example");
    EXPECT_TRUE(call->isHoldingLocally());
    EXPECT_TRUE(p.attendedTransferPending());
    EXPECT_EQ(area().panels().size(), 1u) << "the consultation call has no panel";
    EXPECT_EQ(status(p), "Transfer: calling Frank Ford");
    EXPECT_EQ(p.validateMenuItem(consult), std::optional<bool>(false)) << "one at a time";
    runFor(1.5);
    settle();
    EXPECT_TRUE(consultation->isEstablished());
    EXPECT_EQ(area().panels().size(), 1u);

    window().makeFirstResponder(p.conversationView());
    screen->key(U'\x1b');
    runFor(0.5);
    settle();
    EXPECT_FALSE(consultation->isLive());
    EXPECT_FALSE(call->getRelatedConversation());
    EXPECT_FALSE(p.attendedTransferPending());
    EXPECT_TRUE(call->isLive()) << "Escape ended the consultation, not the call";
    EXPECT_EQ(status(p), "Call on Hold");
}

TEST_F(CallAreaTest, RecordingsLeaveFilesAndTheirPromptsWaitForOtherSheets) {
    signInToMainView();
    const auto folder = tmp / "recordings";
    engine()
        .phoneService()
        ->getPreferenceSettings()
        ->sub("preferences")
        ->sub("advanced")
        ->sub("recordingLocation")
        ->setStringSetting(folder.string(), true);
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = *area().panelOf(call.get());
    auto itemTitled = [&](const std::string& title) -> platform::MenuItem* {
        p.menuNeedsUpdate(*p.actionsMenu());
        return p.actionsMenu()->itemWithTitle(title);
    };
    ASSERT_NE(itemTitled("Start Call Recording"), nullptr);
    EXPECT_EQ(p.actionsMenu()->itemAtIndex(0)->title(), "") << "the pull-down's title item";
    p.contextCommand(itemTitled("Start Call Recording"));
    settle();
    EXPECT_TRUE(shows(p.outlets().recordingLabel));
    EXPECT_TRUE(area().recordingInProgress());
    runFor(1);
    p.contextCommand(itemTitled("Stop Call Recording"));
    settle();
    EXPECT_FALSE(shows(p.outlets().recordingLabel));
    EXPECT_EQ(area().queuedRecordingPrompts(), 1u);

    // Another sheet on the main window holds the prompt back.
    auto alert = OrvantaExtensions::sheetOK(&window(), "Busy", "", platform::AlertStyle::Warning);
    runFor(2.1);
    EXPECT_FALSE(area().recordingSaveSheet()->isVisible());
    EXPECT_EQ(area().queuedRecordingPrompts(), 1u);
    platform::Application::sharedApplication().endSheet(*alert->window());
    settle();
    runFor(1.1);
    ASSERT_TRUE(area().recordingSaveSheet()->isVisible());
    const auto file =
        std::filesystem::path(area().recordingSheetLocation()) / area().recordingSheetName();
    EXPECT_EQ(file.extension(), ".wav");
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(file.parent_path(), folder);

    // Two more, queued while the first shows: one after another, then the timer stops.
    area().addCallRecordingPrompt(folder.string(), "second", ".wav");
    area().addCallRecordingPrompt(folder.string(), "third", ".wav");
    runFor(1.1);
    EXPECT_EQ(area().queuedRecordingPrompts(), 2u) << "one sheet at a time";
    area().recordingSaveOK(nullptr);
    settle();
    EXPECT_EQ(area().recordingSheetName(), "second.wav");
    area().recordingSaveOK(nullptr);
    settle();
    EXPECT_EQ(area().recordingSheetName(), "third.wav");
    area().recordingSaveOK(nullptr);
    runFor(1.1);
    EXPECT_FALSE(area().recordingPromptTimerRunning());

    // A recording that cannot start says so in a warning sheet on the panel's window.
    Scenario().failNextRecording();
    call->startRecording();
    settle();
    ASSERT_NE(window().attachedSheet(), nullptr);
    EXPECT_FALSE(call->canStopRecording());
}

TEST_F(CallAreaTest, CleanupLetsGoOfBothEngineDelegates) {
    signInToMainView();
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    settle();
    auto* model = area().conversationsModel();
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(service()->delegates().contains(&area()));
    area().cleanup();
    EXPECT_FALSE(service()->delegates().contains(&area()));
    EXPECT_TRUE(area().panels().empty());
    EXPECT_FALSE(area().hasServices());
    // Later calls reach no stale call area.
    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol");
    settle();
    EXPECT_TRUE(area().panels().empty());
}

TEST_F(CallAreaTest, APanelThatCannotBeBuiltSkipsOnlyItsOwnCall) {
    signInToMainView();
    area().cleanup();
    Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob");
    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol");
    Scenario().incomingCall("sip:dave@sip.lumiq.example", "Dave");
    settle();
    // The second panel's definition gives nothing.
    int loads = 0;
    platform::InterfaceDefinition::unregisterDefinition("ConversationView");
    platform::InterfaceDefinition::registerDefinition(
        "ConversationView", [&loads](platform::InterfaceDefinitionLoad& load) {
            if (++loads != 2)
                ConversationViewController::buildDefinition(load);
        });
    // Taking the services again hands over the three calls as one batch.
    area().setupServices();
    platform::InterfaceDefinition::unregisterDefinition("ConversationView");
    ASSERT_EQ(area().panels().size(), 2u);
    EXPECT_EQ(panel(0).conversation()->participants().front()->displayName(), "Bob");
    EXPECT_EQ(panel(1).conversation()->participants().front()->displayName(), "Dave");
    EXPECT_EQ(buttons(panel(1)), "Answer Decline") << "the steps after the loop still ran";
    EXPECT_EQ(area().collectionView()->viewItems().size(), 2u);
}

} // namespace
