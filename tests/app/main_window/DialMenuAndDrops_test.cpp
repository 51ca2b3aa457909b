#include "app/contacts/ContactWithGroup.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/PrimaryModuleView.h"
#include "engine/AccountService.h"
#include "engine/CallHistoryService.h"
#include "engine/OVContactManager.h"
#include "engine/OVDirectoryItem.h"
#include "engine/SimulatedNetwork.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/TabViewItem.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TableView.h"
#include "support/DraggedItems.h"
#include "support/Notifications.h"
#include "widgets/QXBezierComboButton.h"
#include "widgets/QXTabView.h"

using namespace app_test;

namespace {

using Items = std::vector<std::shared_ptr<platform::Object>>;

// A list of contacts that drags its rows as the contact list does: the pasteboard names the
// kind, the rows come from the list's data source.
class ContactRows : public platform::TableViewDataSource, public DraggedItemsSource {
public:
    explicit ContactRows(std::vector<std::shared_ptr<OVEntity>> contacts)
        : contacts_(std::move(contacts)) {}
    long numberOfRowsInTableView(platform::TableView&) override {
        return static_cast<long>(contacts_.size());
    }
    platform::Value tableViewObjectValueForTableColumn(platform::TableView&, platform::TableColumn*,
                                                       long row) override {
        return platform::Value(contacts_.at(static_cast<std::size_t>(row))->displayName());
    }
    bool tableViewWriteRowsWithIndexes(platform::TableView&, const platform::IndexSet& rows,
                                       platform::Pasteboard& pasteboard) override {
        dragged_.clear();
        for (long row : rows)
            dragged_.push_back(std::make_shared<ContactWithGroup>(
                contacts_.at(static_cast<std::size_t>(row)), nullptr));
        pasteboard.declareTypes({std::string(QXDragDropContactType)}, nullptr);
        return true;
    }
    Items draggedItems() const override { return dragged_; }

private:
    std::vector<std::shared_ptr<OVEntity>> contacts_;
    Items dragged_;
};

// A drag as the drop target sees it, for the table of kinds.
class FakeDrag : public platform::DraggingInfo, public platform::Object, public DraggedItemsSource {
public:
    FakeDrag(std::vector<std::string> types, Items items)
        : pasteboard_(platform::Pasteboard::pasteboardWithName("test drag")),
          items_(std::move(items)) {
        pasteboard_.declareTypes(std::move(types), nullptr);
    }
    platform::Pasteboard& draggingPasteboard() const override { return pasteboard_; }
    platform::Object* draggingSource() const override { return const_cast<FakeDrag*>(this); }
    platform::Point draggingLocation() const override { return {}; }
    platform::Window* draggingDestinationWindow() const override { return nullptr; }
    platform::DragOperation draggingSourceOperationMask() const override {
        return platform::DragOperationEvery;
    }
    long draggingSequenceNumber() const override { return 1; }
    const std::shared_ptr<platform::Image>& draggedImage() const override { return image_; }
    Items draggedItems() const override { return items_; }

private:
    platform::Pasteboard& pasteboard_;
    Items items_;
    std::shared_ptr<platform::Image> image_;
};

std::shared_ptr<OVEntity>
contact(long long id, const std::string& name,
        std::initializer_list<std::pair<const char*, const char*>> fields) {
    auto entity = std::make_shared<OVEntity>(id, OVEntity::typeLogicalContact, name);
    for (const auto& [field, value] : fields)
        entity->updateField(field, value);
    return entity;
}

class DialMenuAndDropsTest : public SignInTest {
protected:
    static PrimaryModuleController& primary() {
        return PrimaryModuleController::sharedController();
    }
    static SimulatedNetwork* network() { return Scenario(engine()).network(); }
    static PrimaryModuleView& module() {
        return dynamic_cast<PrimaryModuleView&>(*primary().getCallEntryField()->superview());
    }
    // The placed calls, as the network heard them: the kind and the address.
    static std::vector<std::string> placedCalls() {
        std::vector<std::string> calls;
        for (const auto& request : network()->requests())
            if (request.rfind("call ", 0) == 0 || request.rfind("videoCall ", 0) == 0)
                calls.push_back(request.substr(0, request.find(' ')) +
                                request.substr(request.find(' ', request.find(' ') + 1)));
        return calls;
    }
    static void setDefaultCallAction(long action) {
        engine()
            .phoneService()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("defaultCallAction")
            ->setLongSetting(action, true);
    }
    static void setCallImmediately(bool on) {
        engine()
            .phoneService()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("callImmediatelyUponSelection")
            ->setBoolSetting(on, true);
    }
    // Opens the dial button's menu by a click on its menu part, with Alt held or not; answers
    // the titles shown and closes it.
    std::vector<std::string> openDialMenu(bool alt) {
        std::vector<std::string> shown;
        platform::Menu::setTrackingHook([&](platform::Menu& menu) {
            for (long i = 0; i < menu.numberOfItems(); ++i)
                if (platform::Menu::showsItem(*menu.itemAtIndex(i)))
                    shown.push_back(menu.itemAtIndex(i)->title());
            menu.finishTrackingWithItem(nullptr);
        });
        auto& button = *primary().dialButton();
        const platform::Rect b = button.bounds();
        screen->click(*button.window(),
                      button.convertPointToView({b.maxX() - 5, b.midY()}, nullptr),
                      alt ? platform::AlternateKeyMask : 0);
        platform::Menu::setTrackingHook(nullptr);
        return shown;
    }
};

TEST_F(DialMenuAndDropsTest, DialMenuFollowsTheFeaturesAndAltShowsTheDefaults) {
    signInToMainView();
    using Titles = std::vector<std::string>;
    struct Case {
        std::initializer_list<std::pair<const char*, bool>> features;
        Titles plain, alt;
    } cases[] = {
        {{{"callingEnabled", false},
          {"allow_video", false},
          {"conferencingEnabled", false},
          {"instantMessagingEnabled", false},
          {"textMessagingEnabled", false}},
         {""},
         {""}},
        {{{"callingEnabled", true}},
         {"", "Audio Call"},
         {"", "Set \"Audio Call\" as default action"}},
        {{{"allow_video", true}, {"conferencingEnabled", true}, {"server_based_conference", false}},
         {"", "Audio Call", "Video call", "Start Conference Call"},
         {"", "Set \"Audio Call\" as default action", "Set \"Video Call\" as default action",
          "Set \"Conference Call\" as default action"}},
        {{{"server_based_conference", true}, {"textMessagingEnabled", true}},
         {"", "Audio Call", "Video call", "Send Mobile Text Message (SMS)"},
         {"", "Set \"Audio Call\" as default action", "Set \"Video Call\" as default action",
          "Send Mobile Text Message (SMS)"}},
    };
    for (const auto& c : cases) {
        setFeatures(c.features);
        EXPECT_EQ(openDialMenu(false), c.plain);
        EXPECT_EQ(openDialMenu(true), c.alt);
    }

    // Choosing an alternate sets the default; the SMS entry carries the text as typed; the
    // entries follow what the call-entry model allows.
    auto& menu = *primary().dialMenu();
    primary().numberEntryModel()->setNumberEntered("(555) 123-4567");
    settle();
    primary().menuNeedsUpdate(menu);
    menu.performActionForItemAtIndex(
        menu.indexOfItemWithTarget(&primary(), "contextSetVideoCallAsDefault:"));
    EXPECT_EQ(primary().dialButton()->title(), "Video call");
    auto* sms = menu.itemAtIndex(
        menu.indexOfItemWithTarget(&primary(), "contextSendInstantMessageViaSMS:"));
    ASSERT_TRUE(sms);
    EXPECT_EQ(sms->representedObject().stringValue(), "(555) 123-4567");
    EXPECT_EQ(primary().validateMenuItem(*sms),
              std::optional<bool>(primary().callEntryModel()->canSendSms()));
    auto* audio = menu.itemAtIndex(menu.indexOfItemWithTarget(&primary(), "contextAudioCall:"));
    EXPECT_EQ(primary().validateMenuItem(*audio), std::optional<bool>(true));
    primary().numberEntryModel()->clearNumberEntered();
    settle();
    EXPECT_EQ(primary().validateMenuItem(*audio), std::optional<bool>(false))
        << "nothing typed, nothing to call";
}

TEST_F(DialMenuAndDropsTest, InstantMessageEntryByContactFieldOrAccountDomain) {
    auto account = [](OVAccountProtocol protocol, const char* domain, bool enabled) {
        AccountConfig config;
        config.protocol = protocol;
        config.domain = domain;
        auto a = std::make_shared<OVAccount>(nullptr, config);
        a->applyStatus(enabled ? OVAccount::statusEnabled : OVAccount::statusDisabled);
        return a;
    };
    const auto xmpp = account(OVAccount::XMPPprotocol, "chat.example", true);
    const auto sip = account(OVAccount::SIPprotocol, "chat.example", true);
    const auto sipOff = account(OVAccount::SIPprotocol, "sip.example", false);
    const auto dave =
        contact(1, "Dave", {{"jid", "dave@chat.example"}, {"softphone", "sip:5550100"}});
    using Accounts = std::vector<std::shared_ptr<OVAccount>>;
    struct Case {
        const char* typed;
        std::shared_ptr<OVEntity> found;
        Accounts accounts;
        const char* expected; // "" none, else "xmpp:<value>" or "im:<value>"
    } cases[] = {
        {"dave@chat.example", dave, {xmpp}, "xmpp:dave@chat.example"},
        {"dave@chat.example", dave, {sip}, ""},
        {"555-0100", dave, {sip}, "im:sip:5550100"},
        {"555-0100", dave, {xmpp}, ""},
        {"nobody@chat.example", nullptr, {xmpp, sip}, "xmpp:nobody@chat.example"},
        {"nobody@chat.example", nullptr, {sip, xmpp}, "im:nobody@chat.example"},
        {"nobody@sip.example", nullptr, {sipOff}, ""},
        {"not an address", nullptr, {xmpp}, ""},
    };
    for (const auto& c : cases) {
        const auto entry = PrimaryModuleController::instantMessageEntry(
            PrimaryModuleController::cleanedNumber(c.typed), c.found, c.accounts);
        std::string got;
        if (entry) {
            auto field = std::dynamic_pointer_cast<OVField>(entry->represented.object());
            got = std::string(entry->viaXMPP ? "xmpp:" : "im:") +
                  (field ? field->valueStr() : entry->represented.stringValue());
        }
        EXPECT_EQ(got, c.expected) << c.typed;
    }
}

TEST_F(DialMenuAndDropsTest, AContactDraggedFromAListOntoTheCallEntryIsCalledByDefault) {
    signInToMainView();
    setCallImmediately(true);
    setDefaultCallAction(0);
    auto frank = contact(7, "Frank Ford", {{"softphone", "sip:frank@sip.lumiq.example"}});
    ContactRows rows({frank});
    auto table = std::make_shared<platform::TableView>(platform::Rect(8, 8, 200, 60));
    table->addTableColumn(std::make_shared<platform::TableColumn>("name"));
    table->setDataSource(&rows);
    table->reloadData();
    auto* content = window().contentView();
    content->addSubview(table);
    network()->clearRequests();

    const platform::Rect row = table->rectOfRow(0);
    auto& field = *primary().getCallEntryField();
    screen->drag(window(), table->convertPointToView(row.center(), nullptr),
                 field.convertPointToView(field.bounds().center(), nullptr));
    settle();
    table->removeFromSuperview();
    table->setDataSource(nullptr);
    EXPECT_EQ(placedCalls(), std::vector<std::string>{"call sip:frank@sip.lumiq.example"});
}

TEST_F(DialMenuAndDropsTest, DropRoutingOnTheCallEntryByKindAndSettings) {
    setFeatures({{"primaryNumberEnabled", false}});
    signInToMainView();
    auto frank = contact(7, "Frank Ford", {{"softphone", "sip:frank@sip.lumiq.example"}});
    auto gina = contact(8, "Gina Grey", {{"softphone", "sip:gina@x"}, {"mobile", "+15550199"}});
    auto hal = contact(9, "Hal", {{"softphone", "sip:hal@x"}});
    auto calls = engine().phoneService()->getConversationService();
    auto history = [&](const std::string& address) {
        CallHistoryRecord record;
        record.address = address;
        return std::make_shared<OVModelCallHistoryItem>(record, calls);
    };
    const std::string contactType(QXDragDropContactType),
        historyType(QXDragDropCallHistoryItemType), directoryType(QXDragDropDirectoryItemType);
    struct Case {
        const char* what;
        bool immediately;
        long action;
        std::vector<std::string> types;
        Items items;
        std::vector<std::string> calls;
        std::string field;
    } cases[] = {
        {"three contacts, audio",
         true,
         0,
         {contactType},
         {std::make_shared<ContactWithGroup>(frank, nullptr), hal},
         {"call sip:frank@sip.lumiq.example", "call sip:hal@x"},
         ""},
        {"not calling upon selection: the first number goes into the field",
         false,
         0,
         {contactType},
         {frank, hal},
         {},
         "sip:frank@sip.lumiq.example"},
        {"history: anonymous rows are skipped",
         true,
         0,
         {historyType},
         {history("sip:anonymous@anonymous.invalid"), history("sip:bob@x")},
         {"call sip:bob@x"},
         ""},
        {"directory results, video",
         true,
         1,
         {directoryType},
         {std::make_shared<OVDirectoryItem>("Hal", std::vector<std::string>{"sip:hal@x"}, calls)},
         {"videoCall sip:hal@x"},
         ""},
        {"any other action is a conference",
         true,
         2,
         {historyType},
         {history("sip:bob@x")},
         {"call sip:bob@x"},
         ""},
        {"a contact type wins over history",
         true,
         0,
         {historyType, contactType},
         {std::make_shared<ContactWithGroup>(frank, nullptr)},
         {"call sip:frank@sip.lumiq.example"},
         ""},
    };
    for (const auto& c : cases) {
        setCallImmediately(c.immediately);
        setDefaultCallAction(c.action);
        primary().numberEntryModel()->clearNumberEntered();
        settle();
        network()->clearRequests();
        FakeDrag drag(c.types, c.items);
        EXPECT_EQ(module().draggingEntered(drag), platform::DragOperationCopy);
        EXPECT_TRUE(module().performDragOperation(drag));
        settle();
        EXPECT_EQ(placedCalls(), c.calls) << c.what;
        EXPECT_EQ(primary().numberEntryModel()->numberEntered(), c.field) << c.what;
        calls->endAll();
        runFor(0.3);
        settle();
    }

    // Two numbers: a menu of them and no call until one is chosen.
    setCallImmediately(true);
    setDefaultCallAction(0);
    network()->clearRequests();
    std::vector<std::string> offered;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        for (long i = 0; i < menu.numberOfItems(); ++i)
            offered.push_back(menu.itemAtIndex(i)->title());
        EXPECT_TRUE(placedCalls().empty());
        menu.finishTrackingWithItem(menu.itemAtIndex(1));
    });
    FakeDrag drag({contactType}, {gina, frank});
    module().performDragOperation(drag);
    platform::Menu::setTrackingHook(nullptr);
    settle();
    EXPECT_EQ(offered, (std::vector<std::string>{"Softphone: sip:gina@x", "Mobile: +15550199"}));
    EXPECT_EQ(placedCalls(), std::vector<std::string>{"call +15550199"})
        << "the chosen number only; the contacts after it are not handled";
}

TEST_F(DialMenuAndDropsTest, PhoneTogglesChangeTheEngineAndShowItsState) {
    signInToMainView();
    auto calls = engine().phoneService()->getConversationService();
    using Toggle = void (PrimaryModuleController::*)(platform::Object*);
    struct Case {
        const char* action;
        Toggle toggle;
        bool (ConversationService::*flag)() const;
    } cases[] = {
        {"togglAnonymousCalling:", &PrimaryModuleController::togglAnonymousCalling,
         &ConversationService::anonymous},
        {"togglAutoAnswer:", &PrimaryModuleController::togglAutoAnswer,
         &ConversationService::autoAnswer},
        {"togglLettersToNumbers:", &PrimaryModuleController::togglLettersToNumbers,
         &ConversationService::lettersToNumbers},
    };
    for (const auto& c : cases) {
        platform::MenuItem item("toggle", c.action, "");
        EXPECT_EQ(primary().validateMenuItem(item), std::optional<bool>(true)) << c.action;
        EXPECT_EQ(item.state(), platform::OffState) << c.action;
        (primary().*c.toggle)(&item);
        EXPECT_TRUE(((*calls).*c.flag)()) << c.action;
        primary().validateMenuItem(item);
        EXPECT_EQ(item.state(), platform::OnState) << c.action;
        (primary().*c.toggle)(&item);
        EXPECT_FALSE(((*calls).*c.flag)()) << c.action;
    }

    // No desk-phone subscription: the item shows the engine's state and cannot be chosen.
    platform::MenuItem deskphone("Desk phone", "toggleDeskphone:", "");
    EXPECT_EQ(primary().validateMenuItem(deskphone), std::optional<bool>(false));
    EXPECT_EQ(deskphone.state(), platform::OffState);

    // The speakerphone follows the sender's state and says so.
    auto& posted = recordNotifications({SpeakerPhoneEnabledNotification});
    auto button = std::make_shared<platform::Button>(platform::Rect(0, 0, 20, 20));
    button->setState(platform::OnState);
    primary().toggleSpeakerPhone(button.get());
    settle();
    EXPECT_TRUE(engine().phoneService()->speakerEnabled());
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_TRUE(postedUserInfo().front()[SpeakerPhoneEnabled].boolValue());
}

TEST_F(DialMenuAndDropsTest, MissedCallsMarksThemReviewedAndBringsTheHistoryTabForward) {
    signInToMainView();
    auto history = engine().phoneService()->getCallHistoryService();
    history->addMissedCall();
    history->addMissedCall();
    auto& tabs = FunctionModuleController::sharedController();
    tabs.displayTab("history", false);
    ASSERT_FALSE(tabs.isTabShowing("history"));

    primary().missedCallsPressed(nullptr);
    EXPECT_EQ(history->missedCallCount(), 0);
    EXPECT_TRUE(tabs.isTabShowing("history"));
    ASSERT_TRUE(tabs.tabView()->selectedTabViewItem());
    EXPECT_EQ(tabs.tabView()->selectedTabViewItem()->identifier(), "history");
}

} // namespace
