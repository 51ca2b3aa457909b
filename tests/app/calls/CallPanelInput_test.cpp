#include "app/calls/ConversationView.h"
#include "app/calls/ConversationViewController.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/SignInTestSupport.h"
#include "engine/CallHistoryService.h"
#include "engine/OVContactManager.h"
#include "engine/OVDirectoryItem.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "support/DraggedItems.h"
#include "support/Notifications.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXImageButton.h"

using namespace app_test;

namespace {

using Model = OVConversationModel;
using Items = std::vector<std::shared_ptr<platform::Object>>;

// A drag as a drop target sees it: the pasteboard names the kinds, the source's data source
// answers the rows.
class FakeDrag : public platform::DraggingInfo, public DraggedItemsSource {
public:
    FakeDrag(std::vector<std::string> types, Items items)
        : pasteboard_(platform::Pasteboard::pasteboardWithName("test drag")),
          items_(std::move(items)) {
        pasteboard_.declareTypes(std::move(types), nullptr);
    }
    platform::Pasteboard& draggingPasteboard() const override { return pasteboard_; }
    platform::Object* draggingSource() const override { return source_.get(); }
    platform::Point draggingLocation() const override { return {}; }
    platform::Window* draggingDestinationWindow() const override { return nullptr; }
    platform::DragOperation draggingSourceOperationMask() const override {
        return platform::DragOperationEvery;
    }
    long draggingSequenceNumber() const override { return 1; }
    const std::shared_ptr<platform::Image>& draggedImage() const override { return image_; }
    Items draggedItems() const override { return items_; }

private:
    // The list view the drag starts from answers its rows itself.
    struct Source : platform::Object, DraggedItemsSource {
        explicit Source(const FakeDrag& drag) : drag(drag) {}
        Items draggedItems() const override { return drag.draggedItems(); }
        const FakeDrag& drag;
    };
    platform::Pasteboard& pasteboard_;
    Items items_;
    std::shared_ptr<platform::Image> image_;
    std::shared_ptr<Source> source_ = std::make_shared<Source>(*this);
};

std::shared_ptr<OVEntity>
contact(long long id, const std::string& name,
        std::initializer_list<std::pair<const char*, const char*>> fields) {
    auto entity = std::make_shared<OVEntity>(id, OVEntity::typeLogicalContact, name);
    for (const auto& [field, value] : fields)
        entity->updateField(field, value);
    return entity;
}

std::shared_ptr<OVModelCallHistoryItem> historyRow(const std::string& address,
                                                   const std::string& display = {},
                                                   OVAddressType type = OVAddressType::softphone) {
    CallHistoryRecord record;
    record.address = address;
    record.display = display;
    record.addressType = type;
    return std::make_shared<OVModelCallHistoryItem>(record, std::weak_ptr<ConversationService>());
}

class CallPanelInputTest : public SignInTest {
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
    static void drop(ConversationViewController& p, std::vector<std::string> types, Items items) {
        FakeDrag drag(std::move(types), std::move(items));
        EXPECT_EQ(p.conversationView()->draggingEntered(drag), platform::DragOperationCopy);
        EXPECT_TRUE(p.conversationView()->performDragOperation(drag));
        settle();
    }
    static std::vector<std::string> type(std::string_view t) { return {std::string(t)}; }
};

TEST_F(CallPanelInputTest, DialKeysOnAFocusedPanelAreTonesOfItsCallNotOfAHeldOne) {
    signInToMainView();
    auto first = connectedCall("sip:erin@sip.lumiq.example");
    auto second = connectedCall("sip:dave@sip.lumiq.example");
    auto& p = panel(0);
    auto* view = p.conversationView();
    auto dtmf = engine().phoneService()->getDTMFService();

    click(*view);
    ASSERT_EQ(focus(), view) << "a click on the party's name focuses the panel";
    screen->typeText("12#");
    screen->typeText("a");
    EXPECT_EQ(first->tonesSent(), "12#") << "a letter is no tone";
    EXPECT_EQ(second->tonesSent(), "") << "only the focused panel's call";
    EXPECT_FALSE(dtmf->isPlayingTone()) << "released keys stop their tone";
    screen->keyDown(U'5');
    EXPECT_EQ(dtmf->currentTone(), '5') << "a held key plays its tone";
    screen->keyDown(U'5', 0, true);
    EXPECT_EQ(first->tonesSent(), "12#5") << "a key repeat sends nothing more";
    screen->key(U'7', platform::CommandKeyMask);
    EXPECT_EQ(first->tonesSent(), "12#5") << "Command with a digit is no tone";

    // Held: the panel gives the focus up, takes none from a click and sends no keys.
    click(*p.outlets().hold);
    settle();
    ASSERT_TRUE(first->isHoldingLocally());
    EXPECT_FALSE(dtmf->isPlayingTone()) << "holding stops the tone that played";
    EXPECT_NE(focus(), view);
    EXPECT_FALSE(view->acceptsFirstResponder());
    click(*view);
    EXPECT_NE(focus(), view);
    screen->typeText("9");
    EXPECT_EQ(first->tonesSent(), "12#5");

    // Resumed, the panel takes the keys again.
    click(*p.outlets().resume);
    settle();
    click(*view);
    screen->typeText("0");
    EXPECT_EQ(first->tonesSent(), "12#50");
}

TEST_F(CallPanelInputTest, ReturnInTheInCallFieldCallsTheTargetAsASecondCall) {
    setFeatures({{"transfersEnabled", true}, {"un_attended_transfers", true}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = panel(0);
    click(*p.outlets().transfer);
    settle();
    ASSERT_TRUE(p.isTransfering());
    screen->typeText("sip:frank@sip.lumiq.example");
    settle();
    EXPECT_EQ(p.numberEntryModel()->numberEntered(), "sip:frank@sip.lumiq.example");
    EXPECT_EQ(call->tonesSent(), "") << "a typed target is no tone";
    screen->key(U'\r');
    settle();
    auto consultation = call->getRelatedConversation();
    ASSERT_TRUE(consultation) << "Return calls the target";
    EXPECT_EQ(consultation->participants().front()->address(), "sip:frank@sip.lumiq.example");
    EXPECT_TRUE(call->isHoldingLocally());
    EXPECT_EQ(area().panels().size(), 1u);
}

TEST_F(CallPanelInputTest, DropsOnAPanelEnterTheTargetOrAddTheParty) {
    setFeatures({{"transfersEnabled", true},
                 {"conferencingEnabled", true},
                 {"primaryNumberEnabled", false}});
    signInToMainView();
    auto call = connectedCall("sip:erin@sip.lumiq.example");
    auto& p = panel(0);
    const auto contactType = type(QXDragDropContactType);
    const auto historyType = type(QXDragDropCallHistoryItemType);
    const auto directoryType = type(QXDragDropDirectoryItemType);
    auto model = p.numberEntryModel();
    auto entered = [&] {
        auto object = model->objectEntered();
        return object ? object->address() : "text:" + model->numberEntered();
    };
    auto frank = contact(7, "Frank Ford", {{"softphone", "sip:frank@sip.lumiq.example"}});
    auto gina = contact(8, "Gina Grey",
                        {{"softphone", "sip:gina@sip.lumiq.example"}, {"mobile", "+15550199"}});

    // While a target is entered, a drop fills the field and focuses it.
    p.conversationModel()->transferBegin();
    settle();
    drop(p, historyType,
         {historyRow("sip:anonymous@anonymous.invalid"), historyRow("sip:bob@x", "Bob"),
          historyRow("sip:carol@x")});
    EXPECT_EQ(entered(), "sip:bob@x") << "the first row not anonymous, the rest ignored";
    EXPECT_EQ(focus(), p.outlets().numberEntryTextField->currentEditor());
    EXPECT_EQ(p.outlets().numberEntryTextField->itemString()->string(), "Bob [Softphone:bob@x]");
    drop(p, historyType, {historyRow("bob@mail.example", "Bob", OVAddressType::email)});
    EXPECT_EQ(entered(), "sip:bob@x") << "an e-mail address is no target";
    drop(p, directoryType,
         {std::make_shared<OVDirectoryItem>("Nobody", std::vector<std::string>{},
                                            std::weak_ptr<ConversationService>()),
          std::make_shared<OVDirectoryItem>("Hal", std::vector<std::string>{"sip:hal@x"},
                                            std::weak_ptr<ConversationService>())});
    EXPECT_EQ(entered(), "sip:bob@x") << "a result without addresses ends the drop";
    drop(p, directoryType,
         {std::make_shared<OVDirectoryItem>("Hal", std::vector<std::string>{"sip:hal@x", "+1"},
                                            std::weak_ptr<ConversationService>())});
    EXPECT_EQ(entered(), "text:sip:hal@x") << "a result gives its first address as text";
    drop(p, {std::string(QXDragDropCallHistoryItemType), std::string(QXDragDropContactType)},
         {std::make_shared<ContactWithGroup>(frank, nullptr)});
    EXPECT_EQ(entered(), "sip:frank@sip.lumiq.example") << "a contact type wins over history";
    EXPECT_EQ(model->objectEntered()->entityID(), 7);

    // A contact with two numbers: a menu of them, nothing entered until one is chosen.
    std::vector<std::string> offered;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        for (long i = 0; i < menu.numberOfItems(); ++i)
            offered.push_back(menu.itemAtIndex(i)->title());
        menu.finishTrackingWithItem(menu.itemAtIndex(1));
    });
    drop(p, contactType, {gina});
    platform::Menu::setTrackingHook(nullptr);
    EXPECT_EQ(offered,
              (std::vector<std::string>{"Gina Grey [Softphone: sip:gina@sip.lumiq.example]",
                                        "Gina Grey [Mobile: +15550199]"}));
    EXPECT_EQ(entered(), "+15550199");
    p.conversationModel()->transferCancel();
    settle();

    // Otherwise a dropped party joins the call.
    Scenario().callsTo("sip:frank@sip.lumiq.example", RemoteAnswer::answers);
    drop(p, contactType, {std::make_shared<ContactWithGroup>(frank, nullptr)});
    ASSERT_EQ(call->participants().size(), 2u);
    EXPECT_EQ(call->participants().back()->address(), "sip:frank@sip.lumiq.example");
    drop(p, historyType, {historyRow("sip:anonymous@anonymous.invalid")});
    EXPECT_EQ(call->participants().size(), 2u);

    // Without conferencing, and while a consultation call lasts, drops do nothing.
    setFeatures({{"conferencingEnabled", false}});
    drop(p, historyType, {historyRow("sip:carol@x")});
    EXPECT_EQ(call->participants().size(), 2u);
}

} // namespace
