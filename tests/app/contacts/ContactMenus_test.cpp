#include "app/contacts/ContactOperations.h"
#include "app/core/SignInTestSupport.h"
#include "engine/OVContactManager.h"
#include "engine/OVPrivacyService.h"
#include "support/Notifications.h"

using namespace app_test;

namespace {

// The contact menus and actions of the demo user's list, signed in with both accounts up. Its
// contacts' presence is watched over SIP; a case that wants a chat presence address says so.
class ContactMenusTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
        for (const auto& contact : manager()->allContacts())
            contact->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldSoftphone);
    }

    static ContactOperations& operations() { return ContactOperations::instance(); }
    static std::shared_ptr<OVContactManager> manager() {
        return engine().phoneService()->getContactManager();
    }
    static std::shared_ptr<OVEntity> contact(std::string_view name) {
        for (const auto& c : manager()->allContacts())
            if (c->displayName() == name)
                return c;
        ADD_FAILURE() << "no contact " << name;
        return nullptr;
    }
    static std::shared_ptr<OVEntity> group(std::string_view name) {
        for (const auto& g : manager()->getVeyraRoot()->entitiesAll())
            if (g->displayName() == name)
                return g;
        ADD_FAILURE() << "no group " << name;
        return nullptr;
    }
    // Items as their titles, "-" for a separator, "Title >" before the indented items of
    // its submenu.
    static std::vector<std::string> titles(const platform::Menu* menu, std::string indent = "") {
        std::vector<std::string> out;
        if (!menu)
            return out;
        for (const auto& item : menu->itemArray()) {
            if (item->isSeparatorItem()) {
                out.push_back(indent + "-");
            } else if (item->submenu()) {
                out.push_back(indent + item->title() + " >");
                for (auto& sub : titles(item->submenu().get(), indent + "  "))
                    out.push_back(sub);
            } else {
                out.push_back(indent + item->title());
            }
        }
        return out;
    }
    // The context menu of a selection, as the list builds it: call, text message, chat, edit.
    static std::vector<std::string> contextMenu(const ContactSelection& selection) {
        auto menu = std::make_shared<platform::Menu>();
        operations().callMenuForContacts(selection, menu);
        operations().SMSMenuForContacts(selection, menu);
        operations().IMMenuForContacts(selection, menu);
        operations().editMenuForEntities(selection, menu);
        return titles(menu.get());
    }
    static platform::MenuItem* itemTitled(const platform::Menu& menu, std::string_view title) {
        for (const auto& item : menu.itemArray())
            if (item->title() == title)
                return item.get();
        return nullptr;
    }
    static void allFeatures(bool on) {
        for (const char* name :
             {"presenceEnabled", "xmppEnabled", "conferencingEnabled", "textMessagingEnabled",
              "instantMessagingEnabled", "favoritesEnabled", "contactMergingEnabled",
              "privacyEnabled", "alertListEnabled", "groupChatEnabled", "xmpp_filetransfer",
              "allow_im_broadcast"})
            engine().featuresService()->setFeatureAvailable(name, on);
        engine().featuresService()->setFeatureAvailable("connectServiceEnabled", false);
    }
    using Titles = std::vector<std::string>;
};

bool wellSeparated(const std::vector<std::string>& items) {
    if (items.empty())
        return true;
    if (items.front() == "-" || items.back() == "-")
        return false;
    return std::adjacent_find(items.begin(), items.end(), [](const auto& a, const auto& b) {
               return a == "-" && b == "-";
           }) == items.end();
}

} // namespace

TEST_F(ContactMenusTest, AContactsMenuFollowsTheFeatureSwitches) {
    const auto dave = contact("Dave Dunn");
    ASSERT_NE(dave, nullptr);
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, bool>> features;
        Titles expected;
    } cases[] = {
        {"everything on",
         {},
         {"Call >",
          "  Mobile: +15550100",
          "  Softphone: sip:dave@sip.lumiq.example",
          "Video Call >",
          "  Mobile: +15550100",
          "  Softphone: sip:dave@sip.lumiq.example",
          "-",
          "Send Mobile Text Message",
          "-",
          "Send Instant Message >",
          "  Instant Message: dave@chat.lumiq.example",
          "  Softphone: sip:dave@sip.lumiq.example",
          "-",
          "View/Edit Profile",
          "View Call History",
          "Add Contact to Alert List",
          "Block this Person",
          "-",
          "Add to Favorites",
          "Delete Contact"}},
        {"no presence, chat server or alert list",
         {{"presenceEnabled", false}, {"xmppEnabled", false}, {"alertListEnabled", false}},
         {"Call >", "  Mobile: +15550100", "  Other: sip:dave@sip.lumiq.example", "Video Call >",
          "  Mobile: +15550100", "  Other: sip:dave@sip.lumiq.example", "-",
          "Send Mobile Text Message", "-", "Send Instant Message >",
          "  Other: dave@chat.lumiq.example", "  Other: sip:dave@sip.lumiq.example", "-",
          "View/Edit Profile", "View Call History", "Block this Person", "-", "Add to Favorites",
          "Delete Contact"}},
        {"no text messages, chats, privacy or favourites",
         {{"textMessagingEnabled", false},
          {"instantMessagingEnabled", false},
          {"privacyEnabled", false},
          {"favoritesEnabled", false}},
         {"Call >", "  Mobile: +15550100", "  Softphone: sip:dave@sip.lumiq.example",
          "Video Call >", "  Mobile: +15550100", "  Softphone: sip:dave@sip.lumiq.example", "-",
          "View/Edit Profile", "View Call History", "Add Contact to Alert List", "-",
          "Delete Contact"}},
    };
    for (const auto& c : cases) {
        allFeatures(true);
        for (const auto& [name, on] : c.features)
            engine().featuresService()->setFeatureAvailable(name, on);
        const auto menu = contextMenu({dave});
        EXPECT_EQ(menu, c.expected) << c.name;
        EXPECT_TRUE(wellSeparated(menu)) << c.name;
        // The same contact twice (in two groups) is one contact.
        EXPECT_EQ(contextMenu({dave, dave}), menu) << c.name;
    }

    // One callable address: flat items; with everything off the call items stand alone.
    allFeatures(false);
    EXPECT_EQ(contextMenu({contact("Frank Ford")}),
              (Titles{"Call", "Video Call", "-", "View/Edit Profile", "View Call History", "-",
                      "Delete Contact"}));
}

TEST_F(ContactMenusTest, BlockStatesFavouritesAndSourcesChangeTheEditItems) {
    allFeatures(true);
    const auto frank = contact("Frank Ford");
    const auto erin = contact("Erin Evans");
    engine().phoneService()->getPrivacyService()->blockAddresses({"sip:frank@sip.lumiq.example"},
                                                                 OVAccountProtocol::SIPprotocol);
    frank->setFavourite(true);
    const auto menu = operations().editMenuForEntities({frank}, nullptr);
    EXPECT_EQ(titles(menu.get()),
              (Titles{"View/Edit Profile", "View Call History", "Add Contact to Alert List",
                      "Unblock this Person", "-", "Remove from Favorites", "Delete Contact"}));

    // Partly blocked: both; a merged contact can be split; offline still joins the alert list.
    engine().phoneService()->getPrivacyService()->blockAddresses({"erin@chat.lumiq.example"},
                                                                 OVAccountProtocol::XMPPprotocol);
    const auto merged = manager()->mergeContacts({erin, contact("Lars Nilsson")});
    ASSERT_EQ(merged, erin);
    EXPECT_EQ(titles(operations().editMenuForEntities({erin}, nullptr).get()),
              (Titles{"View/Edit Profile", "View Call History", "Add Contact to Alert List",
                      "Unblock this Person", "Block this Person", "-", "Add to Favorites",
                      "Split Contacts", "Delete Contact"}));
}

TEST_F(ContactMenusTest, GroupAndSelectionMenus) {
    allFeatures(true);
    const auto family = group("Family");
    struct Case {
        const char* name;
        bool favourites;
        bool alertList;
        bool readOnly;
        Titles expected;
    } cases[] = {
        {"all on",
         true,
         true,
         false,
         {"Broadcast Instant Message", "-", "Add Contacts in Group to Alert List", "-",
          "Add Contacts in Group to Favorites", "-", "Add Contact to Group", "-", "New Group",
          "Rename Group", "Delete Group"}},
        {"no favourites",
         false,
         true,
         false,
         {"Broadcast Instant Message", "-", "Add Contacts in Group to Alert List", "-",
          "Add Contact to Group", "-", "New Group", "Rename Group", "Delete Group"}},
        {"nothing but the group's own",
         false,
         false,
         false,
         {"Broadcast Instant Message", "-", "Add Contact to Group", "-", "New Group",
          "Rename Group", "Delete Group"}},
        {"read only",
         true,
         true,
         true,
         {"Broadcast Instant Message", "-", "Read only group. Cannot be deleted!",
          "Add Contacts in Group to Alert List", "-", "Add Contacts in Group to Favorites"}},
    };
    for (const auto& c : cases) {
        engine().featuresService()->setFeatureAvailable("favoritesEnabled", c.favourites);
        engine().featuresService()->setFeatureAvailable("alertListEnabled", c.alertList);
        family->setReadOnly(c.readOnly);
        const auto menu = contextMenu({family});
        // A group has no call or text-message items; its chat block offers a broadcast.
        EXPECT_EQ(menu, c.expected) << c.name;
        EXPECT_TRUE(wellSeparated(menu)) << c.name;
    }
    family->setReadOnly(false);

    // Some favourites: both favourites items.
    engine().featuresService()->setFeatureAvailable("alertListEnabled", false);
    contact("Frank Ford")->setFavourite(true);
    EXPECT_EQ(contextMenu({family}),
              (Titles{"Broadcast Instant Message", "-", "Add Contacts in Group to Favorites",
                      "Remove Contacts in Group from Favorites", "-", "Add Contact to Group", "-",
                      "New Group", "Rename Group", "Delete Group"}));

    // Several contacts: broadcast, the selection's edit items; no merge with a contact of the
    // desktop's address book among them.
    const ContactSelection two{contact("Dave Dunn"), contact("Grace Hall")};
    EXPECT_EQ(contextMenu(two),
              (Titles{"Broadcast Instant Message", "-", "Add Selection to Favorites",
                      "Merge Contacts", "Delete Selected Items"}));
    contact("Grace Hall")->setProviderProtocol(OVProviderProtocol::protocolMacAddressBook);
    EXPECT_EQ(contextMenu(two), (Titles{"Broadcast Instant Message", "-",
                                        "Add Selection to Favorites", "Delete Selected Items"}));

    // A contact reached on the chat server and online: one group-chat item per chat account.
    contact("Dave Dunn")->setPrimary(OVField::fieldPrimaryTypePresence, OVField::fieldJidAddr);
    const auto chat = operations().IMMenuForContacts(two, nullptr);
    EXPECT_EQ(titles(chat.get()), (Titles{"Broadcast Instant Message",
                                          "Start Group Chat with chat.lumiq.example ..."}));
}
