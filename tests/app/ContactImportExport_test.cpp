#include "app/AppTestSupport.h"
#include "app/core/ContactImportExportController.h"
#include "app/core/SheetsTracker.h"
#include "engine/ContactFileFormats.h"
#include "engine/LoginProfileItem.h"
#include "engine/PhoneService.h"
#include "engine/SimulatedNetwork.h"
#include "platform/foundation/FileManager.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Box.h"
#include "platform/kit/Button.h"
#include "platform/kit/Matrix.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"

#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;
using app_test::AppTest;
using platform::Alert;

// A signed-in engine, the application controller (left out of the engine's road, which the
// test drives itself) and a window for the sheets.
class ContactSheetsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        controller = std::make_unique<AppController>();
        engine().removeDelegate(controller.get());
        initializeDemoEngine({"Friends", "Family", "Work"}, "Added");
        signInDemoUser();
        if (HasFatalFailure())
            return;
        // Three of the demo's contacts, so that counts stay small.
        std::vector<ContactRecord> three;
        for (const auto& config : SimulatedNetwork::fromMainBundle()->contactsFor("alice")) {
            if (config.displayName == "Dave Dunn" || config.displayName == "Erin Evans" ||
                config.displayName == "Frank Ford")
                three.push_back({config.displayName,
                                 {config.fields.begin(), config.fields.end()},
                                 config.groups,
                                 {}});
        }
        ASSERT_EQ(std::get<int>(engine().phoneService()->getContactManager()->importRecords(
                      three, true, std::nullopt)),
                  3);
        ASSERT_EQ(contactNames().size(), 3u);

        window = platform::make<platform::Window>(platform::Rect{100, 100, 500, 400},
                                                  platform::TitledWindowMask);
        window->orderFront(nullptr);
        sheets().setSheetWindow(window.get());
    }
    void TearDown() override {
        SheetsTracker::sharedController().closeAllSheets();
        ContactImportExportController::setAddressBookImport({});
        controller.reset();
        window.reset();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }

    ContactImportExportController& sheets() { return controller->contactImportExportController(); }
    static void pass(platform::TimeInterval seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static std::vector<std::string> contactNames() {
        std::vector<std::string> names;
        for (const auto& c : engine().phoneService()->getContactManager()->allContacts()) {
            names.push_back(c->displayName());
        }
        return names;
    }
    platform::Window* attached() const { return window->attachedSheet(); }
    // Picks an item of a pop-up as a user does: the item is selected, then the action sent.
    static void choose(platform::PopUpButton& popUp, long tag) {
        ASSERT_TRUE(popUp.selectItemWithTag(tag));
        popUp.sendAction(popUp.action(), popUp.target());
    }
    // The radio button of a matrix that carries the tag, clicked.
    static void pick(platform::Matrix& matrix, long tag) {
        for (const auto& button : matrix.buttons()) {
            if (button->tag() == tag) {
                button->performClick(nullptr);
                return;
            }
        }
        FAIL() << "no button with tag " << tag;
    }
    // Chooses `path` in the open file panel and presses OK.
    void choosePath(const fs::path& path) {
        platform::OpenPanel* panel = sheets().filePanel();
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(attached(), panel);
        panel->setDirectory(path.parent_path());
        panel->setNameFieldStringValue(path.filename().string());
        ASSERT_TRUE(panel->okButton()->isEnabled()) << path;
        panel->okButton()->performClick(nullptr);
    }
    // The alert on the window, if the sheet is one.
    Alert* alertShown() const {
        Alert* alert = controller->contactImportExportController().resultAlert();
        return alert && attached() == alert->window() ? alert : nullptr;
    }
    void writeContacts(const fs::path& file, std::size_t count) {
        std::vector<ContactRecord> records;
        const char* names[] = {"Zoë Müller", "山田 太郎", "Smith, \"Bob\"", "Emoji 🎉"};
        for (std::size_t i = 0; i < count; ++i) {
            records.push_back(
                {names[i % 4], {{"mobile", "+1 555 01" + std::to_string(i)}}, {}, {}});
        }
        foundation_test::writeFile(file, contact_files::writeCSV(records));
    }

    std::unique_ptr<AppController> controller;
    std::shared_ptr<platform::Window> window;
};

TEST_F(ContactSheetsTest, ImportingAFileChosenWithBrowseShowsTheCount) {
    writeContacts(tmp / "in" / "people.csv", 4);
    sheets().importContacts(nullptr);
    ASSERT_EQ(attached(), sheets().contactImportSheet());
    EXPECT_TRUE(SheetsTracker::sharedController().hasCreator(controller.get()));
    EXPECT_FALSE(sheets().importButton()->isEnabled()) << "no file yet";
    EXPECT_TRUE(sheets().importBrowseButton()->isEnabled());
    EXPECT_FALSE(sheets().importPresenceOptionBox()->isHidden());

    sheets().importBrowseButton()->performClick(nullptr);
    ASSERT_NE(sheets().filePanel(), nullptr);
    EXPECT_EQ(sheets().filePanel()->message(), "Specify file to import contacts");
    EXPECT_EQ(sheets().filePanel()->allowedFileTypes(), std::vector<std::string>{"csv"});
    EXPECT_FALSE(sheets().filePanel()->canChooseDirectories());
    choosePath(tmp / "in" / "people.csv");
    EXPECT_EQ(sheets().importLocationTextField()->stringValue(),
              (tmp / "in" / "people.csv").string());
    EXPECT_EQ(attached(), nullptr) << "the sheet comes back half a second later";
    pass(0.4);
    EXPECT_EQ(attached(), nullptr);
    pass(0.1);
    ASSERT_EQ(attached(), sheets().contactImportSheet());
    EXPECT_TRUE(sheets().importButton()->isEnabled());

    sheets().importButton()->performClick(nullptr);
    EXPECT_NE(attached(), sheets().contactImportSheet());
    EXPECT_TRUE(sheets().importing());
    settle();
    EXPECT_FALSE(sheets().importing());
    Alert* alert = alertShown();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->messageText(), "Contact Import Succeeded!");
    EXPECT_EQ(alert->informativeText(),
              "4 contacts imported from\n" + (tmp / "in" / "people.csv").string());
    EXPECT_EQ(alert->alertStyle(), platform::AlertStyle::Informational);
    ASSERT_EQ(alert->buttons().size(), 1u);
    EXPECT_EQ(alert->buttons()[0]->title(), "Okay") << "the message table's text";
    EXPECT_EQ(sheets().importLocationTextField()->stringValue(), "");
    EXPECT_EQ(contactNames().size(), 7u);

    alert->pressButtonForTesting(0);
    EXPECT_EQ(attached(), nullptr);
    EXPECT_EQ(SheetsTracker::sharedController().sheetsForCreator(controller.get()).size(), 1u)
        << "a result stays registered until the tracker closes it";
}

TEST_F(ContactSheetsTest, CancellingTheFilePanelBringsTheSheetBackAsItWas) {
    sheets().importContacts(nullptr);
    sheets().importLocationTextField()->setStringValue("/some/old.csv");
    sheets().importBrowseButton()->performClick(nullptr);
    ASSERT_NE(sheets().filePanel(), nullptr);
    sheets().filePanel()->cancelButton()->performClick(nullptr);
    pass(0.5);
    ASSERT_EQ(attached(), sheets().contactImportSheet());
    EXPECT_EQ(sheets().importLocationTextField()->stringValue(), "/some/old.csv");
    EXPECT_TRUE(sheets().importButton()->isEnabled());
    EXPECT_TRUE(SheetsTracker::sharedController().hasCreator(controller.get()));

    sheets().importLocationTextField()->setStringValue("");
    choose(*sheets().importFromPopupButton(), 1);
    sheets().importBrowseButton()->performClick(nullptr);
    ASSERT_NE(sheets().filePanel(), nullptr);
    EXPECT_EQ(sheets().filePanel()->allowedFileTypes(), std::vector<std::string>{"vcf"});
}

TEST_F(ContactSheetsTest, TheFormatDecidesWhatTheSheetAsksFor) {
    engine().featuresService()->setFeatureAvailable("presenceEnabled", false);
    sheets().importContacts(nullptr);
    EXPECT_TRUE(sheets().importPresenceOptionBox()->isHidden());
    sheets().importLocationTextField()->setStringValue("/x.csv");

    const struct {
        long tag;
        bool importEnabled;
        bool browseEnabled;
    } changes[] = {{3, true, false}, {0, false, true}, {1, false, true}};
    for (const auto& change : changes) {
        choose(*sheets().importFromPopupButton(), change.tag);
        EXPECT_EQ(sheets().importLocationTextField()->stringValue(), "") << change.tag;
        EXPECT_EQ(sheets().importButton()->isEnabled(), change.importEnabled) << change.tag;
        EXPECT_EQ(sheets().importBrowseButton()->isEnabled(), change.browseEnabled) << change.tag;
    }
}

TEST_F(ContactSheetsTest, AMalformedFileIsReportedWithItsLineAndImportsNothing) {
    foundation_test::writeFile(tmp / "bad.csv", "Name,Mobile\nAnn,1\nB\"ob,2\n");
    sheets().importContacts(nullptr);
    sheets().importLocationTextField()->setStringValue((tmp / "bad.csv").string());
    pick(*sheets().importContactOptionMatrix(), 0);
    sheets().contactImportOK(nullptr);
    settle();
    Alert* alert = alertShown();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->messageText(), "Contact Import Failed!");
    EXPECT_EQ(alert->informativeText(), "Failed to import contacts");
    auto* reason = dynamic_cast<platform::TextField*>(alert->accessoryView().get());
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(reason->stringValue(), "bad.csv, line 3: a quote inside a field that is not quoted");
    EXPECT_EQ(contactNames().size(), 3u) << "nothing imported and nothing erased";
    EXPECT_EQ(sheets().importLocationTextField()->stringValue(), "");
}

TEST_F(ContactSheetsTest, ALongReasonWithALongFileNameIsShownWholeInsideTheAlert) {
    const fs::path file = tmp / "Contacts from my old phone, exported on the 3rd of March.csv";
    foundation_test::writeFile(file, "Name,Mobile\nAnn,1\nB\"ob,2\n");
    sheets().importContacts(nullptr);
    sheets().importLocationTextField()->setStringValue(file.string());
    sheets().contactImportOK(nullptr);
    settle();
    Alert* alert = alertShown();
    ASSERT_NE(alert, nullptr);
    auto* reason = dynamic_cast<platform::TextField*>(alert->accessoryView().get());
    ASSERT_NE(reason, nullptr);
    ASSERT_NE(reason->stringValue().find(file.filename().string()), std::string::npos);
    const platform::Rect frame = reason->frame();
    const platform::Rect content = alert->window()->contentView()->bounds();
    EXPECT_TRUE(content.containsRect(frame)) << platform::stringFromRect(frame);
    // The text, laid out in the label's width, needs no more height than the label has.
    const platform::Size needed = reason->cell()->cellSizeForBounds({0, 0, frame.width(), 1e6});
    EXPECT_LE(needed.height, frame.height() + 0.5);
    EXPECT_GT(needed.height, 30) << "long enough to need more than two lines";
    for (const auto& button : alert->buttons())
        EXPECT_FALSE(button->frame().intersects(frame)) << button->title();
}

TEST_F(ContactSheetsTest, AFolderImportShowsItsProgressOnASheetThatGoesAtTheEnd) {
    const fs::path cards = tmp / "cards";
    for (int i = 0; i < 3; ++i) {
        foundation_test::writeFile(cards / ("card" + std::to_string(i) + ".vcf"),
                                   "BEGIN:VCARD\nVERSION:3.0\nFN:Person " + std::to_string(i) +
                                       "\nTEL;TYPE=CELL:+1 555 010" + std::to_string(i) +
                                       "\nEND:VCARD\n");
    }
    const struct {
        const char* name;
        const char* broken; // a damaged card added to the folder, or none
        const char* result;
        std::size_t contacts;
    } cases[] = {
        {"whole", nullptr, "Contact Import Succeeded!", 6},
        {"one damaged card", "BEGIN:VCARD\nFN:Broken\n", "Contact Import Failed!", 6},
    };
    for (const auto& c : cases) {
        if (c.broken)
            foundation_test::writeFile(cards / "zz-broken.vcf", c.broken);
        sheets().importContacts(nullptr);
        choose(*sheets().importFromPopupButton(), 1);
        sheets().importLocationTextField()->setStringValue(cards.string());
        pick(*sheets().importContactOptionMatrix(), 1);
        sheets().contactImportOK(nullptr);
        ASSERT_TRUE(sheets().importing()) << c.name;
        ASSERT_NE(sheets().importProgressSheet(), nullptr) << c.name;
        EXPECT_EQ(attached(), sheets().importProgressSheet()) << c.name;
        // One pass of the loop at a time, the window's loop going on between the slices.
        std::vector<std::pair<double, double>> seen;
        auto& loop = platform::RunLoop::main();
        for (int pass = 0; pass < 100 && sheets().importing(); ++pass) {
            loop.runMode(platform::DefaultRunLoopMode, loop.now());
            if (const auto* bar = sheets().importProgressIndicator()) {
                const std::pair<double, double> now{bar->doubleValue(), bar->maxValue()};
                if (seen.empty() || seen.back() != now)
                    seen.push_back(now);
            }
        }
        ASSERT_FALSE(sheets().importing()) << c.name;
        const double total = c.broken ? 4 : 3;
        ASSERT_FALSE(seen.empty()) << c.name;
        for (std::size_t i = 1; i < seen.size(); ++i)
            EXPECT_GE(seen[i].first, seen[i - 1].first) << c.name << ": in order";
        for (const auto& [done, max] : seen)
            EXPECT_EQ(max, total) << c.name;
        EXPECT_EQ(seen.back().first, c.broken ? total - 1 : total)
            << c.name << ": up to the file that failed, or to the end";
        settle();
        EXPECT_EQ(sheets().importProgressSheet(), nullptr) << c.name;
        ASSERT_NE(alertShown(), nullptr) << c.name << ": the result replaces the progress";
        EXPECT_EQ(alertShown()->messageText(), c.result);
        EXPECT_EQ(contactNames().size(), c.contacts) << c.name << ": all or nothing";
        SheetsTracker::sharedController().closeAllSheets();
        settle();
    }
}

TEST_F(ContactSheetsTest, TheOptionsReachTheEngine) {
    writeContacts(tmp / "two.csv", 2);
    foundation_test::writeFile(tmp / "card.vcf",
                               "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nIMPP:xmpp:ann@chat\nEND:VCARD\n");
    sheets().importContacts(nullptr);
    sheets().importLocationTextField()->setStringValue((tmp / "two.csv").string());
    pick(*sheets().importContactOptionMatrix(), 0);
    sheets().contactImportOK(nullptr);
    settle();
    EXPECT_EQ(contactNames(), (std::vector<std::string>{"Zoë Müller", "山田 太郎"}))
        << "replace erased the demo contacts";
    alertShown()->pressButtonForTesting(0);

    sheets().importContacts(nullptr);
    choose(*sheets().importFromPopupButton(), 1);
    sheets().importLocationTextField()->setStringValue((tmp / "card.vcf").string());
    pick(*sheets().importContactOptionMatrix(), 1);
    pick(*sheets().importPresenceOptionMatrix(), 0);
    sheets().contactImportOK(nullptr);
    settle();
    ASSERT_NE(alertShown(), nullptr);
    EXPECT_EQ(alertShown()->informativeText(),
              "1 contacts imported from\n" + (tmp / "card.vcf").string());
    const auto manager = engine().phoneService()->getContactManager();
    const auto ann = manager->lookup("", "ann@chat", "");
    ASSERT_EQ(ann.size(), 1u);
    EXPECT_FALSE(manager->presenceSubscription(*ann[0])) << "presence option 0 forces none";
    EXPECT_EQ(contactNames().size(), 3u);
}

TEST_F(ContactSheetsTest, TheAddressBookIsHandedToItsImportWindow) {
    std::vector<std::pair<bool, long>> calls;
    ContactImportExportController::setAddressBookImport(
        [&](bool replace, long presence) { calls.emplace_back(replace, presence); });
    sheets().importContacts(nullptr);
    choose(*sheets().importFromPopupButton(), 3);
    pick(*sheets().importContactOptionMatrix(), 0);
    pick(*sheets().importPresenceOptionMatrix(), 1);
    sheets().importButton()->performClick(nullptr);
    EXPECT_EQ(calls, (std::vector<std::pair<bool, long>>{{true, 1}}));
    EXPECT_FALSE(sheets().importing());
    settle();
    EXPECT_EQ(alertShown(), nullptr);

    sheets().ovieSuccess(5);
    EXPECT_EQ(sheets().resultAlert(), nullptr) << "a result nobody waits for shows nothing";
}

TEST_F(ContactSheetsTest, ASheetAskedForTwiceBehindAnotherComesOnce) {
    sheets().contactsExported(false, 0);
    Alert* alert = alertShown();
    ASSERT_NE(alert, nullptr);
    sheets().importContacts(nullptr);
    sheets().importContacts(nullptr);
    EXPECT_EQ(attached(), alert->window()) << "the import sheet waits behind the alert";
    alert->pressButtonForTesting(0);
    ASSERT_EQ(attached(), sheets().contactImportSheet());
    sheets().contactImportCancel(nullptr);
    EXPECT_EQ(attached(), nullptr) << "and is not begun a second time";
    sheets().importContacts(nullptr);
    EXPECT_EQ(attached(), sheets().contactImportSheet()) << "it opens again once ended";
}

TEST_F(ContactSheetsTest, ExportingCardsToAFolderChosenWithBrowse) {
    sheets().exportContacts(nullptr);
    ASSERT_EQ(attached(), sheets().contactExportSheet());
    EXPECT_EQ(sheets().exportFileTextField()->stringValue(), "output");
    EXPECT_TRUE(sheets().exportFileTextField()->isEnabled());
    EXPECT_EQ(sheets().exportLocationTextField()->stringValue(),
              ContactImportExportController::defaultExportFolder().string());
    EXPECT_TRUE(sheets().exportButton()->isEnabled());

    choose(*sheets().exportToPopupButton(), 1);
    EXPECT_EQ(sheets().exportFileTextField()->stringValue(), "");
    EXPECT_FALSE(sheets().exportFileTextField()->isEnabled());
    EXPECT_TRUE(sheets().exportButton()->isEnabled());

    fs::create_directories(tmp / "cards");
    sheets().exportBrowseButton()->performClick(nullptr);
    ASSERT_NE(sheets().filePanel(), nullptr);
    EXPECT_EQ(sheets().filePanel()->message(), "Specify file to export contacts");
    EXPECT_TRUE(sheets().filePanel()->canChooseDirectories());
    EXPECT_FALSE(sheets().filePanel()->canChooseFiles());
    choosePath(tmp / "cards");
    pass(0.5);
    ASSERT_EQ(attached(), sheets().contactExportSheet());
    EXPECT_EQ(sheets().exportLocationTextField()->stringValue(), (tmp / "cards").string());
    EXPECT_EQ(sheets().exportFileTextField()->stringValue(), "") << "kept for vCard";

    sheets().exportButton()->performClick(nullptr);
    EXPECT_TRUE(sheets().exporting());
    settle();
    ASSERT_NE(alertShown(), nullptr);
    EXPECT_EQ(alertShown()->messageText(), "Contact Export Succeeded!");
    EXPECT_EQ(alertShown()->informativeText(),
              "3 contacts exported to\n" + (tmp / "cards").string());
    EXPECT_TRUE(fs::exists(tmp / "cards" / "Dave Dunn.vcf"));
}

TEST_F(ContactSheetsTest, ACsvFileThatExistsIsReplacedOnlyAfterYes) {
    fs::create_directories(tmp / "out");
    foundation_test::writeFile(tmp / "out" / "mine.csv", "keep me");
    sheets().exportLocationTextField()->setStringValue((tmp / "out").string());
    sheets().exportContacts(nullptr);
    sheets().exportFileTextField()->setStringValue("");
    sheets().exportFileTextField()->sendAction("exportTextChanged:",
                                               sheets().exportFileTextField()->target());
    EXPECT_FALSE(sheets().exportButton()->isEnabled()) << "no file name, no export";
    sheets().exportFileTextField()->setStringValue("mine");
    sheets().exportTextChanged(sheets().exportFileTextField());
    ASSERT_TRUE(sheets().exportButton()->isEnabled());

    sheets().exportButton()->performClick(nullptr);
    Alert* question = sheets().overwriteAlert();
    ASSERT_NE(question, nullptr);
    ASSERT_EQ(attached(), question->window());
    EXPECT_EQ(question->messageText(), "Warning");
    EXPECT_EQ(question->informativeText(),
              "The file " + (tmp / "out" / "mine.csv").string() +
                  " already exist! Saving will overwrite the existing file. Continue?");
    ASSERT_EQ(question->buttons().size(), 2u);
    EXPECT_EQ(question->buttons()[0]->title(), "Yes");
    EXPECT_EQ(question->buttons()[1]->title(), "No");
    EXPECT_EQ(question->alertStyle(), platform::AlertStyle::Warning);

    question->pressButtonForTesting(1);
    settle();
    EXPECT_FALSE(sheets().exporting());
    EXPECT_EQ(foundation_test::readFile(tmp / "out" / "mine.csv"), "keep me");
    pass(0.5);
    ASSERT_EQ(attached(), sheets().contactExportSheet()) << "No brings the sheet back";
    EXPECT_EQ(sheets().exportFileTextField()->stringValue(), "mine");
    EXPECT_EQ(sheets().exportLocationTextField()->stringValue(), (tmp / "out").string());

    sheets().exportButton()->performClick(nullptr);
    ASSERT_NE(sheets().overwriteAlert(), nullptr);
    sheets().overwriteAlert()->pressButtonForTesting(0);
    EXPECT_TRUE(sheets().exporting());
    settle();
    ASSERT_NE(alertShown(), nullptr);
    EXPECT_EQ(alertShown()->informativeText(),
              "3 contacts exported to\n" + (tmp / "out").string() + "/mine.csv");
    EXPECT_EQ(foundation_test::readFile(tmp / "out" / "mine.csv").rfind("Display Name,", 0), 0u);
}

TEST_F(ContactSheetsTest, AnExportTheEngineCannotDoShowsWhy) {
    sheets().exportLocationTextField()->setStringValue((tmp / "missing").string());
    sheets().exportContacts(nullptr);
    sheets().contactExportOK(nullptr);
    settle();
    ASSERT_NE(alertShown(), nullptr);
    EXPECT_EQ(alertShown()->messageText(), "Contact Export Failed!");
    EXPECT_EQ(alertShown()->informativeText(), "Failed to export contacts");
    auto* reason = dynamic_cast<platform::TextField*>(alertShown()->accessoryView().get());
    ASSERT_NE(reason, nullptr);
    EXPECT_NE(reason->stringValue().find("does not exist"), std::string::npos);
}

TEST_F(ContactSheetsTest, APathTypedByHandEnablesImport) {
    writeContacts(tmp / "typed.csv", 2);
    sheets().importContacts(nullptr);
    ASSERT_EQ(attached(), sheets().contactImportSheet());
    EXPECT_FALSE(sheets().importButton()->isEnabled());
    platform::TextField* field = sheets().importLocationTextField();
    const auto type = [&](const std::string& text) {
        field->setStringValue(text);
        field->textDidChange(platform::Notification{"NSTextDidChangeNotification", field, {}});
    };
    type((tmp / "typed.csv").string());
    EXPECT_TRUE(sheets().importButton()->isEnabled());
    type("");
    EXPECT_FALSE(sheets().importButton()->isEnabled()) << "nothing left to import";
    type((tmp / "typed.csv").string());
    sheets().importButton()->performClick(nullptr);
    settle();
    ASSERT_NE(alertShown(), nullptr);
    EXPECT_EQ(alertShown()->messageText(), "Contact Import Succeeded!");
    EXPECT_EQ(contactNames().size(), 5u);
}

// Where the export sheet offers to write when the user has not chosen a folder yet.
TEST_F(ContactSheetsTest, TheExportFolderIsOneThatExists) {
    const fs::path home = tmp / "home";
    foundation_test::ScopedEnv homeEnv("HOME", home.string());
    foundation_test::ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
    foundation_test::ScopedEnv desktopEnv("XDG_DESKTOP_DIR", std::nullopt);
    foundation_test::ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", std::nullopt);
    const struct {
        const char* name;
        std::string userDirs; // ~/.config/user-dirs.dirs, "" for none
        std::vector<std::string> folders;
        std::vector<std::string> files;
        std::string expected; // below home
    } cases[] = {
        {"the named desktop",
         "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n",
         {"Schreibtisch"},
         {},
         "Schreibtisch"},
        {"the named desktop, made", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n", {}, {}, "Bureau"},
        {"~/Desktop", "", {"Desktop", "Documents"}, {}, "Desktop"},
        {"no desktop: documents", "", {"Documents"}, {}, "Documents"},
        {"the named documents",
         "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
         {"Dokumente"},
         {},
         "Dokumente"},
        {"a desktop that cannot be made",
         "XDG_DESKTOP_DIR=\"$HOME/file/Desk\"\n",
         {"Documents"},
         {"file"},
         "Documents"},
        {"nothing: home", "", {}, {}, ""},
    };
    for (const auto& c : cases) {
        fs::remove_all(home);
        fs::create_directories(home);
        if (!c.userDirs.empty()) {
            foundation_test::writeFile(home / ".config" / "user-dirs.dirs", c.userDirs);
        }
        for (const auto& folder : c.folders) {
            fs::create_directories(home / folder);
        }
        for (const auto& file : c.files) {
            foundation_test::writeFile(home / file, "x");
        }
        sheets().exportLocationTextField()->setStringValue("");
        sheets().exportContacts(nullptr);
        ASSERT_EQ(attached(), sheets().contactExportSheet()) << c.name;
        const fs::path offered = sheets().exportLocationTextField()->stringValue();
        EXPECT_EQ(offered, c.expected.empty() ? home : home / c.expected) << c.name;
        EXPECT_TRUE(fs::is_directory(offered)) << c.name;
        sheets().contactExportCancel(nullptr);
        settle();
    }
}

} // namespace
