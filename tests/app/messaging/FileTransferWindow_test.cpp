#include "app/AppTestSupport.h"
#include "app/messaging/FileTransferWindowController.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/SimulatedNetwork.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/ProgressIndicator.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "support/StringExtensions.h"
#include "support/UserDirectories.h"

#include <unistd.h>

using namespace app_test;

namespace {

namespace fs = std::filesystem;
using foundation_test::readFile;
using foundation_test::writeFile;

const std::string dave = "dave@chat.lumiq.example";

// Every entry of the folder, hidden ones included, sorted.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FileTransferWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        signInDemoUser();
        folder = tmp / "received";
        fs::create_directories(folder);
        // Every modal alert is recorded and answered by the next planned answer ("Yes" when
        // none is left).
        platform::Alert::setPresentationHook([this](platform::Alert& alert) {
            if (alert.window() && alert.window()->isSheet())
                return;
            asked.push_back(alert.informativeText());
            const std::string answer = answers.empty() ? "Yes" : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            std::size_t press = 0;
            for (std::size_t i = 0; i < alert.buttons().size(); ++i)
                if (alert.buttons()[i]->title() == answer)
                    press = i;
            alert.pressButtonForTesting(press);
        });
    }
    void TearDown() override {
        controller.reset();
        platform::Alert::setPresentationHook({});
        OrvantaExtensions::setDesktopLauncher({});
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }
    static void pass(platform::TimeInterval seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
    static std::shared_ptr<FileTransferService> service() {
        return engine().phoneService()->getFileTransferService();
    }
    // The files offered by Dave, with a window for the offer.
    FileTransferWindowController& offer(std::vector<std::pair<std::string, std::string>> files) {
        Scenario().fileTransferOfferedWithContents(dave, "Dave", std::move(files));
        settle();
        controller = std::make_shared<FileTransferWindowController>(service()->requests().back());
        return *controller;
    }
    // The user accepts and picks the folder in the chooser.
    void acceptInto(const fs::path& chosen) {
        controller->save(nullptr);
        choose(chosen);
    }
    void choose(const fs::path& chosen) {
        auto* panel = controller->folderPanel();
        ASSERT_NE(panel, nullptr) << "the folder chooser is up";
        EXPECT_EQ(panel->message(), "Select folder for transfered files:");
        panel->setDirectory(chosen);
        panel->okButton()->performClick(nullptr);
        settle();
    }
    static std::vector<std::string> shownButtons(const FileTransferWindowController& window) {
        std::vector<std::string> shown;
        for (auto* b : {window.acceptButton(), window.declineButton(), window.cancelButton(),
                        window.openButton(), window.closeButton()})
            if (!b->isHidden())
                shown.push_back(b->action());
        return shown;
    }
    static bool red(const FileTransferWindowController& window) {
        const auto text = window.messageField()->attributedStringValue();
        return text.length() > 0 &&
               text.attributesAtIndex(0).foregroundColor == platform::Color::redColor();
    }

    fs::path folder;
    std::shared_ptr<FileTransferWindowController> controller;
    std::vector<std::string> answers;
    std::vector<std::string> asked;
};

// An offer shows accept and decline; accepted, only cancel while the files move; done, close
// and show. An offer sent waits with cancel and says when it is complete. The texts put two
// spaces before the party's name.
TEST_F(FileTransferWindowTest, TheWindowFollowsTheTransfer) {
    auto& window = offer({{"a.txt", std::string(20000, 'a')}});
    EXPECT_EQ(window.window()->title(), "File transfer from:  Dave");
    EXPECT_EQ(window.messageText(), "Accept the following files from Dave?");
    EXPECT_EQ(shownButtons(window), (std::vector<std::string>{"save:", "decline:"}));
    EXPECT_EQ(window.fileTable()->numberOfRows(), 1);
    EXPECT_TRUE(window.window()->isVisible());

    acceptInto(folder);
    EXPECT_EQ(window.savedPath(), folder.string());
    pass(0.25);
    EXPECT_EQ(window.messageText(), "Receiving files from  Dave");
    EXPECT_EQ(shownButtons(window), std::vector<std::string>{"cancel:"});
    EXPECT_GT(window.progressIndicator()->doubleValue(), 0.0);
    EXPECT_FALSE(window.progressIndicator()->isHidden());

    pass(3);
    EXPECT_EQ(window.messageText(), "You have received the following files");
    EXPECT_EQ(shownButtons(window), (std::vector<std::string>{"open:", "closeWindow:"}));
    EXPECT_FALSE(red(window));
    std::vector<std::string> opened;
    OrvantaExtensions::setDesktopLauncher([&](const std::vector<std::string>& argv) {
        opened = argv;
        return true;
    });
    window.tryToPerform("open:", nullptr);
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back(), folder.string()) << "the folder goes to the desktop's opener";

    const auto sent = tmp / "out.txt";
    writeFile(sent, "hello");
    auto outgoing = service()->newOutgoingFileTransfer(dave, "", "Dave", {sent.string()});
    FileTransferWindowController sending(outgoing);
    EXPECT_EQ(sending.window()->title(), "Send files to:  Dave");
    EXPECT_EQ(sending.messageText(), "Waiting for remote party to accept");
    EXPECT_EQ(shownButtons(sending), std::vector<std::string>{"cancel:"});
    pass(1.05);
    EXPECT_EQ(sending.messageText(), "Sending files to  Dave");
    pass(3);
    EXPECT_EQ(sending.messageText(), "File transfer completed");
    EXPECT_EQ(shownButtons(sending), std::vector<std::string>{"closeWindow:"});
}

// Cancelled and failed transfers say so in red and offer only Close.
TEST_F(FileTransferWindowTest, EndsBeforeCompletionShowInRed) {
    const struct {
        const char* name;
        bool breaks;
        const char* message;
    } cases[] = {
        {"cancelled", false, "The file transfer has been canceled"},
        {"failed", true, "Failed to transfer file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.breaks)
            Scenario().failNextFileTransfer();
        auto& window = offer({{"big.bin", std::string(80000, 'b')}});
        acceptInto(folder);
        pass(0.25);
        if (!c.breaks)
            window.tryToPerform("cancel:", nullptr);
        pass(3);
        EXPECT_EQ(window.messageText(), c.message);
        EXPECT_TRUE(red(window));
        EXPECT_EQ(shownButtons(window), std::vector<std::string>{"closeWindow:"});
        EXPECT_TRUE(entries(folder).empty()) << "no partial file";
    }
}

// Three files offered, two of whose names are taken in the folder. Each clash is asked about
// before anything happens; one "No" brings the chooser back with every file as it was. Once
// all are confirmed the transfer runs, and a cancel half way still leaves the old files. Only
// a completed transfer replaces them.
TEST_F(FileTransferWindowTest, ClashesAreAllConfirmedBeforeAnyFileIsReplaced) {
    writeFile(folder / "a.txt", "old a");
    writeFile(folder / "c.txt", "old c");
    const std::vector<std::pair<std::string, std::string>> files{
        {"a.txt", std::string(40000, 'A')}, {"b.txt", "new b"}, {"c.txt", "new c"}};
    auto& window = offer(files);

    answers = {"Yes", "No"};
    acceptInto(folder);
    EXPECT_EQ(asked, (std::vector<std::string>{
                         "The file a.txt already exist! Saving will overwrite the existing file. "
                         "Continue?",
                         "The file c.txt already exist! Saving will overwrite the existing file. "
                         "Continue?"}));
    EXPECT_NE(window.folderPanel(), nullptr) << "back to the folder choice";
    EXPECT_EQ(readFile(folder / "a.txt"), "old a") << "confirmed but not yet replaced";
    EXPECT_EQ(readFile(folder / "c.txt"), "old c");
    EXPECT_EQ(window.request()->state(), FileTransferRequest::stateWaitingForUser);

    // The chooser cancelled: the offer stays open, nothing touched.
    window.folderPanel()->cancelButton()->performClick(nullptr);
    settle();
    EXPECT_EQ(window.folderPanel(), nullptr);
    EXPECT_EQ(window.request()->state(), FileTransferRequest::stateWaitingForUser);

    asked.clear();
    answers = {"Yes", "Yes"};
    acceptInto(folder);
    EXPECT_EQ(asked.size(), 2u);
    pass(0.35);
    ASSERT_EQ(window.request()->state(), FileTransferRequest::stateTransferring);
    window.tryToPerform("cancel:", nullptr);
    settle();
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(readFile(folder / "a.txt"), "old a");

    auto& again = offer(files);
    answers = {"Yes", "Yes"};
    acceptInto(folder);
    pass(4);
    ASSERT_EQ(again.request()->state(), FileTransferRequest::stateCompleted);
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(readFile(folder / "a.txt"), std::string(40000, 'A'));
    EXPECT_EQ(readFile(folder / "c.txt"), "new c");
}

// Names with folders in them are asked about, and saved, by their last part in the chosen
// folder; the files of the same names outside it are never touched.
TEST_F(FileTransferWindowTest, OfferedPathsStayInTheChosenFolder) {
    writeFile(tmp / "x", "outside x");
    writeFile(folder / "passwd", "mine");
    auto& window = offer({{"../x", "1"}, {"a/b", "2"}, {"/etc/passwd", "3"}});
    acceptInto(folder);
    EXPECT_EQ(asked, std::vector<std::string>{"The file passwd already exist! Saving will "
                                              "overwrite the existing file. Continue?"});
    pass(3);
    ASSERT_EQ(window.request()->state(), FileTransferRequest::stateCompleted);
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"b", "passwd", "x"}));
    EXPECT_EQ(readFile(tmp / "x"), "outside x");
    EXPECT_EQ(readFile(folder / "passwd"), "3");
}

// A folder that cannot be written to is refused with a warning and the chooser comes back.
TEST_F(FileTransferWindowTest, AReadOnlyFolderIsRefused) {
    // Root may write into any folder it owns; a process's folder of /proc it may not.
    const bool root = ::geteuid() == 0;
    const auto locked = root ? fs::path("/proc/1") : tmp / "locked";
    if (!root) {
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    } else if (::access(locked.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "no folder here is read-only for root";
    }
    auto& window = offer({{"a.txt", "a"}});
    acceptInto(locked);
    EXPECT_EQ(asked, std::vector<std::string>{
                         "The folder you chose is read only. Please pick another and save again."});
    EXPECT_NE(window.folderPanel(), nullptr);
    EXPECT_EQ(window.request()->state(), FileTransferRequest::stateWaitingForUser);
    choose(folder);
    pass(2);
    EXPECT_EQ(window.request()->state(), FileTransferRequest::stateCompleted);
    if (!root)
        fs::permissions(locked, fs::perms::owner_all);
}

// Closing a window whose transfer still runs asks first: No keeps both, Yes ends the transfer
// (an offer is declined) and closes the window. A finished transfer with "close when done"
// closes its window by itself.
TEST_F(FileTransferWindowTest, ClosingARunningTransferAsksFirst) {
    const auto answerSheet = [](platform::Window& window, std::size_t button) {
        auto* sheet = window.attachedSheet();
        ASSERT_NE(sheet, nullptr);
        auto* alert = dynamic_cast<platform::Panel*>(sheet);
        ASSERT_NE(alert, nullptr);
        platform::WindowServer::shared().endSheet(*sheet, platform::AlertFirstButtonReturn +
                                                              static_cast<int>(button));
        settle();
    };
    auto& window = offer({{"a.txt", "a"}});
    window.window()->performClose(nullptr);
    settle();
    EXPECT_TRUE(window.window()->isVisible());
    answerSheet(*window.window(), 1);
    EXPECT_TRUE(window.window()->isVisible()) << "No: nothing happens";
    EXPECT_EQ(window.request()->state(), FileTransferRequest::stateWaitingForUser);

    window.window()->performClose(nullptr);
    settle();
    auto request = window.request();
    answerSheet(*window.window(), 0);
    pass(0.1);
    EXPECT_FALSE(window.window()->isVisible());
    EXPECT_EQ(request->state(), FileTransferRequest::stateDeclined);
    EXPECT_EQ(window.request(), nullptr) << "the window let the request go";
    EXPECT_FALSE(request->delegates().contains(&window));

    auto& done = offer({{"a.txt", std::string(80000, 'a')}});
    done.closeWhenDoneCheckBox()->setState(platform::OnState);
    acceptInto(folder);
    pass(0.3);
    EXPECT_TRUE(done.window()->isVisible());
    pass(2);
    EXPECT_FALSE(done.window()->isVisible());
}

// The chooser starts in the folder of the settings; without one (or with the placeholder for
// the home folder, in any case) in the user's download folder, made when missing.
TEST_F(FileTransferWindowTest, TheTransferFolderComesFromTheSettingsOrTheDesktop) {
    const auto home = tmp / "home";
    const auto setting = engine()
                             .phoneService()
                             ->getPreferenceSettings()
                             ->sub("preferences")
                             ->sub("advanced")
                             ->sub("fileTransferLocation");
    writeFile(tmp / "config" / "user-dirs.dirs",
              "# written by the desktop\nXDG_DOWNLOAD_DIR=\"$HOME/Stuff \\\"in\\\"\"\n");
    const struct {
        const char* setting;
        fs::path folder;
    } cases[] = {
        {"", home / "Stuff \"in\""},
        {"%user_home_folder%", home / "Stuff \"in\""},
        {"%USER_HOME_FOLDER%", home / "Stuff \"in\""},
    };
    for (const auto& c : cases) {
        setting->setStringSetting(c.setting);
        EXPECT_EQ(FileTransferWindowController::transferFolder(), c.folder) << c.setting;
        EXPECT_TRUE(fs::is_directory(c.folder)) << c.setting;
    }
    setting->setStringSetting((tmp / "chosen" / "deep").string());
    EXPECT_EQ(FileTransferWindowController::transferFolder(), tmp / "chosen" / "deep");
    EXPECT_TRUE(fs::is_directory(tmp / "chosen" / "deep"));

    // Where the desktop names no download folder: ~/Downloads; the environment comes first.
    fs::remove(tmp / "config" / "user-dirs.dirs");
    EXPECT_EQ(OrvantaExtensions::userDownloadFolder(), home / "Downloads");
    writeFile(tmp / "config" / "user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"relative/no\"\n");
    EXPECT_EQ(OrvantaExtensions::userDownloadFolder(), home / "Downloads");
    foundation_test::ScopedEnv direct{"XDG_DOWNLOAD_DIR", (tmp / "direct").string()};
    EXPECT_EQ(OrvantaExtensions::userDownloadFolder(), tmp / "direct");
}

} // namespace
