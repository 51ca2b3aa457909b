#include "app/calls/CallModuleController.h"
#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/calls/ParticipantViewController.h"
#include "app/calls/RelatedConversationView.h"
#include "app/calls/RelatedConversationViewController.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/SignInTestSupport.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TextField.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXImageButton.h"

using namespace app_test;

namespace {

// The rows of a call's parties and the strip of its second call, worked with the headless
// screen's mouse and keys while the simulated network plays the other side.
class CallPartiesTest : public SignInTest {
protected:
    static CallModuleController& area() { return CallModuleController::sharedController(); }
    static ConversationViewController& panel(std::size_t index) {
        return *area().panels().at(index);
    }
    static std::shared_ptr<ConversationService> service() {
        return engine().phoneService()->getConversationService();
    }
    static platform::Responder* focus() { return window().firstResponder(); }
    std::shared_ptr<Conversation> connectedCall(const std::string& address) {
        Scenario().callsTo(address, RemoteAnswer::answers);
        auto call = service()->audioConversation(address, -1);
        runFor(1.5);
        settle();
        EXPECT_TRUE(call && call->wasConnected() && area().panelOf(call.get()));
        return call;
    }
    // Bob's call with Carol added: a local conference of two parties.
    std::shared_ptr<Conversation> conference() {
        auto call = connectedCall("sip:bob@sip.lumiq.example");
        Scenario().callsTo("sip:carol@sip.lumiq.example", RemoteAnswer::answers);
        call->callAndAddParticipant("sip:carol@sip.lumiq.example", -1);
        runFor(1.5);
        settle();
        EXPECT_TRUE(call->isConference());
        return call;
    }
    static std::string caller(const ParticipantViewController& row) {
        return row.outlets().callerLine->stringValue();
    }
    static std::string number(const ParticipantViewController& row) {
        return row.outlets().numberLine->stringValue();
    }
    // The titles of a menu after it was brought up to date, "|" between items.
    template <class Controller> static std::string menuTitles(Controller& controller) {
        auto menu = controller.actionsMenu();
        controller.menuNeedsUpdate(*menu);
        std::string titles;
        for (std::size_t i = 0; i < menu->itemArray().size(); ++i)
            titles += (i == 0 ? "" : "|") + menu->itemArray()[i]->title();
        return titles;
    }
    template <class Controller> static void choose(Controller& controller, std::string_view title) {
        auto menu = controller.actionsMenu();
        controller.menuNeedsUpdate(*menu);
        for (const auto& item : menu->itemArray())
            if (item->title() == title) {
                controller.tryToPerform(item->action(), item.get());
                return;
            }
        ADD_FAILURE() << "no menu item " << title;
    }
    static bool shows(const std::shared_ptr<platform::View>& view) {
        return view && !view->isHidden() && view->superview();
    }
};

TEST_F(CallPartiesTest, EachPartyHasItsRowThatComesAndGoesWithItAndThePanelFollows) {
    signInToMainView();
    auto call = connectedCall("sip:bob@sip.lumiq.example");
    auto& p = panel(0);
    ASSERT_EQ(p.participantRows().size(), 1u);
    auto& bob = *p.participantRows().front();
    EXPECT_EQ(bob.view()->superview(), p.conversationView());
    EXPECT_FALSE(shows(bob.outlets().actionMenuButton)) << "no menu outside a conference";
    const double single = p.conversationView()->frame().height();

    Scenario().callsTo("sip:carol@sip.lumiq.example", RemoteAnswer::answers);
    call->callAndAddParticipant("sip:carol@sip.lumiq.example", -1);
    settle();
    ASSERT_EQ(p.participantRows().size(), 2u) << "a row while the party is being called";
    runFor(1.5);
    settle();
    auto& carol = *p.participantRows().back();
    EXPECT_TRUE(shows(carol.outlets().actionMenuButton));
    EXPECT_TRUE(shows(bob.outlets().actionMenuButton)) << "both are in the conference now";
    EXPECT_GT(p.conversationView()->frame().height(), single);
    EXPECT_GT(bob.view()->frame().minY(), carol.view()->frame().minY()) << "first party on top";
    EXPECT_EQ(menuTitles(carol), "|Separate|Send Instant Message|End Call");

    // Carol hangs up: her row first cleans itself up (it is no longer her listener), then
    // the panel still finds it by her and lets it go.
    auto carolParty = carol.participant();
    Scenario().participantHangsUp(call->callIdentifier(), "sip:carol@sip.lumiq.example");
    settle();
    EXPECT_TRUE(carolParty->delegates().empty());
    ASSERT_EQ(p.participantRows().size(), 1u);
    EXPECT_EQ(p.participantRows().front()->participant()->address(), "sip:bob@sip.lumiq.example");
    EXPECT_EQ(p.participantRowFor(carolParty), nullptr);
    EXPECT_DOUBLE_EQ(p.conversationView()->frame().height(), single) << "the panel shrank back";
    EXPECT_FALSE(shows(bob.outlets().actionMenuButton));
}

TEST_F(CallPartiesTest, CallerLineSuffixesShowOnceHoweverOftenTheLineIsRedrawn) {
    signInToMainView();
    auto call = conference();
    auto& row = *panel(0).participantRows().front();
    auto party = row.participant();
    struct Case {
        bool video, remoteHold;
        std::string line;
    };
    const Case cases[] = {
        {false, false, "sip:bob@sip.lumiq.example"},
        {true, false, "sip:bob@sip.lumiq.example- Video"},
        {false, true, "sip:bob@sip.lumiq.example- Remote Hold"},
        {true, true, "sip:bob@sip.lumiq.example- Video- Remote Hold"},
    };
    const std::string name = party->displayName();
    for (const auto& c : cases) {
        party->setAudioOnly(!c.video);
        party->setHoldingRemotely(c.remoteHold);
        row.updateDisplayName();
        row.updateDisplayName();
        row.initialize();
        EXPECT_EQ(caller(row),
                  name + c.line.substr(std::string("sip:bob@sip.lumiq.example").size()))
            << c.video << c.remoteHold;
    }
    // Out of the conference a remote hold is no suffix.
    Scenario().participantHangsUp(call->callIdentifier(), "sip:carol@sip.lumiq.example");
    settle();
    party->setAudioOnly(true);
    row.updateDisplayName();
    EXPECT_EQ(caller(row), name);
}

TEST_F(CallPartiesTest, NumberLineByWhatTheContactsKnowAndWhetherTheCallerIsWithheld) {
    struct Case {
        const char* address;
        const char* name;
        bool contactsEnabled;
        std::string number;
        bool numberShown, addButton;
    };
    const Case cases[] = {
        {"sip:5551234@sip.lumiq.example", "", true, "[Other: 5551234@sip.lumiq.example]", true,
         true},
        {"sip:5551234@sip.lumiq.example", "", false, "5551234@sip.lumiq.example", true, true},
        {"sip:anonymous@sip.lumiq.example", "Anonymous", true, "Caller has withheld identity", true,
         false},
    };
    signInToMainView();
    for (const auto& c : cases) {
        setFeatures({{"contactsEnabled", c.contactsEnabled}});
        Scenario().incomingCall(c.address, c.name);
        settle();
        ASSERT_FALSE(area().panels().empty());
        auto& p = *area().panels().back();
        ASSERT_EQ(p.participantRows().size(), 1u);
        auto& row = *p.participantRows().front();
        EXPECT_EQ(number(row), c.number) << c.address;
        EXPECT_EQ(shows(row.outlets().numberLine), c.numberShown) << c.address;
        EXPECT_EQ(shows(row.outlets().addContactButton), c.addButton) << c.address;
        EXPECT_FALSE(shows(row.outlets().avatar));
        p.conversation()->decline();
        runFor(0.5);
        settle();
    }
}

TEST_F(CallPartiesTest, AddingAStrangerAsAContactOpensOneEditorForItsAddress) {
    signInToMainView();
    Scenario().incomingCall("sip:5551234@sip.lumiq.example", "Pat Stranger");
    settle();
    ASSERT_FALSE(area().panels().empty());
    auto& p = *area().panels().back();
    ASSERT_EQ(p.participantRows().size(), 1u);
    // The panel's button and the row's both add the caller; the second finds the first editor.
    p.addContact(nullptr);
    p.participantRows().front()->addToContactList(nullptr);
    settle();
    ASSERT_EQ(ContactEditorController::openControllers().size(), 1u);
    EXPECT_TRUE(ContactEditorController::findControllerForAddress("sip:5551234@sip.lumiq.example"));
    EXPECT_TRUE(p.outlets().addContact->isHidden());
    ContactEditorController::cleanup();
    p.conversation()->decline();
    runFor(0.5);
    settle();
}

TEST_F(CallPartiesTest, PartyThatFailedIsHungUpFourSecondsLaterUnlessItsRowWentFirst) {
    signInToMainView();
    auto call = conference();
    auto& p = panel(0);
    auto carol = call->participants().back();
    carol->setConnectionStatus(Participant::statusFailedToConnect);
    ASSERT_TRUE(p.participantRowFor(carol)->callEndTimerRunning());
    runFor(3.9);
    settle();
    EXPECT_EQ(call->participants().size(), 2u) << "not yet";
    runFor(0.2);
    settle();
    EXPECT_EQ(call->participants().size(), 1u);
    EXPECT_EQ(p.participantRows().size(), 1u);

    // Again, but the call area is cleaned up (as at logout) before the time is up: the row
    // went with it and nothing is hung up.
    Scenario().callsTo("sip:dave@sip.lumiq.example", RemoteAnswer::answers);
    call->callAndAddParticipant("sip:dave@sip.lumiq.example", -1);
    runFor(1.5);
    settle();
    auto dave = call->participants().back();
    dave->setConnectionStatus(Participant::statusFailedToConnect);
    area().cleanup();
    runFor(5);
    settle();
    EXPECT_EQ(call->participants().size(), 2u);
    EXPECT_TRUE(dave->delegates().empty());
    area().setupServices();
}

TEST_F(CallPartiesTest, AttendedTransferEndToEndThroughTheSecondCallStrip) {
    setFeatures({{"transfersEnabled", true}, {"un_attended_transfers", false}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = panel(0);
    click(*p.outlets().transfer);
    settle();
    screen->typeText("sip:frank@sip.lumiq.example");
    settle();
    click(*p.outlets().transferNow);
    settle();
    auto* strip = p.relatedConversationStrip();
    ASSERT_TRUE(strip) << "the second call shows in its strip";
    const auto& s = strip->outlets();
    EXPECT_EQ(strip->view()->superview(), p.conversationView());
    EXPECT_EQ(s.connectionStatusLine->stringValue(), "Calling");
    EXPECT_FALSE(shows(s.transfer)) << "nothing to hand over before the target answers";
    EXPECT_TRUE(shows(s.cancel));
    EXPECT_LT(strip->view()->frame().maxY(), p.outlets().buttonsView->frame().minY() + 1)
        << "below the panel's own buttons";
    runFor(1.5);
    settle();
    EXPECT_EQ(s.connectionStatusLine->stringValue(), "Call Established");
    EXPECT_TRUE(shows(s.transfer));
    EXPECT_TRUE(shows(s.hold));
    EXPECT_EQ(focus(), strip->view().get()) << "the answered second call takes the keys";

    // Keys typed on it go to the second call; a letter does not; Command lets shortcuts by.
    screen->typeText("5");
    screen->typeText("a");
    screen->key(U'7', platform::CommandKeyMask);
    EXPECT_EQ(strip->relatedConversationModel()->keyLog(), (std::vector<std::string>{"+5", "-5"}));

    // Held, the strip refuses the focus and its resume shows.
    click(*s.hold);
    settle();
    EXPECT_EQ(s.connectionStatusLine->stringValue(), "Call on Hold");
    EXPECT_TRUE(shows(s.resume) && s.resume->isEnabled());
    EXPECT_FALSE(shows(s.hold));
    EXPECT_FALSE(strip->view()->acceptsFirstResponder());
    click(*s.resume);
    settle();
    EXPECT_EQ(s.connectionStatusLine->stringValue(), "Call Established");

    click(*s.transfer);
    runFor(0.5);
    settle();
    EXPECT_FALSE(call->isLive());
    EXPECT_TRUE(area().panels().empty()) << "both calls went, and the panel with them";
}

TEST_F(CallPartiesTest, MergingTheSecondCallMakesRowsAndSeparatingGivesThePartyItsOwnPanel) {
    setFeatures({{"transfersEnabled", true},
                 {"un_attended_transfers", false},
                 {"conferencingEnabled", true}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    Scenario().callsTo("sip:frank@sip.lumiq.example", RemoteAnswer::answers);
    call->createRelatedConversation("sip:frank@sip.lumiq.example");
    settle();
    auto& p = panel(0);
    ASSERT_TRUE(p.relatedConversationStrip());
    EXPECT_EQ(menuTitles(*p.relatedConversationStrip()), "") << "nothing to merge while calling";
    runFor(1.5);
    settle();
    EXPECT_EQ(menuTitles(*p.relatedConversationStrip()), "|Merge Calls|Separate");
    setFeatures({{"conferencingEnabled", false}});
    EXPECT_EQ(menuTitles(*p.relatedConversationStrip()), "|Separate");
    setFeatures({{"conferencingEnabled", true}});

    choose(*p.relatedConversationStrip(), "Merge Calls");
    settle();
    EXPECT_FALSE(p.relatedConversationStrip()) << "the strip went with the second call";
    ASSERT_EQ(p.participantRows().size(), 2u);
    EXPECT_TRUE(call->isConference());
    EXPECT_FALSE(call->isHoldingLocally());
    EXPECT_EQ(area().panels().size(), 1u);

    auto& frank = *p.participantRows().back();
    EXPECT_EQ(frank.participant()->address(), "sip:frank@sip.lumiq.example");
    choose(frank, "Separate");
    settle();
    ASSERT_EQ(area().panels().size(), 2u) << "Frank's call has its own panel";
    EXPECT_EQ(p.participantRows().size(), 1u);
    auto& own = panel(1);
    EXPECT_TRUE(own.conversation()->isHoldingLocally());
    ASSERT_EQ(own.participantRows().size(), 1u);
    EXPECT_EQ(own.participantRows().front()->participant()->address(),
              "sip:frank@sip.lumiq.example");
    EXPECT_FALSE(call->isConference());
}

TEST_F(CallPartiesTest, SplitSecondCallGetsItsOwnPanelAndTheStripGoes) {
    setFeatures({{"transfersEnabled", true}, {"un_attended_transfers", false}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    Scenario().callsTo("sip:frank@sip.lumiq.example", RemoteAnswer::answers);
    call->createRelatedConversation("sip:frank@sip.lumiq.example");
    runFor(1.5);
    settle();
    auto& p = panel(0);
    ASSERT_TRUE(p.relatedConversationStrip());
    choose(*p.relatedConversationStrip(), "Separate");
    settle();
    EXPECT_FALSE(p.relatedConversationStrip());
    ASSERT_EQ(area().panels().size(), 2u);
    EXPECT_TRUE(call->isHoldingLocally());
    EXPECT_EQ(panel(1).conversation()->participants().front()->address(),
              "sip:frank@sip.lumiq.example");
}

} // namespace
