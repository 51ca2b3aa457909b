#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactImportWindowController.h"
#include "app/core/EntryRequests.h"
#include "app/core/ExitAppWindowController.h"
#include "app/core/InstanceChannel.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/ToolbarController.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/system/AddressBook.h"
#include "support/Notifications.h"
#include "widgets/QXImageButton.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace app_test {
namespace {

constexpr const char* bob = "sip:bob@sip.lumiq.example";

// Hears the engine's stop before the application controller does (it registers first) and
// notes what the application was doing at that moment.
struct StopRecorder : OVStartupServicePro {
    void ovssStopped() override {
        const auto& application = platform::Application::sharedApplication();
        events.push_back(
            std::string("engine stopped") +
            (application.isWaitingForTerminationReply() ? " while the quit waits" : "") +
            (application.isTerminated() ? " after the end" : ""));
        ++stops;
    }
    std::vector<std::string>& events;
    int stops = 0;
    explicit StopRecorder(std::vector<std::string>& record) : events(record) {}
};

class ShutdownTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        engine().setDelegate(&recorder);
        AppController::setRelauncher([this](const std::vector<std::string>& arguments) {
            relaunches.push_back(arguments);
            events.push_back(std::string("relaunch") +
                             (app().isTerminated() ? " after the end" : ""));
            return true;
        });
        auto& center = platform::NotificationCenter::defaultCenter();
        center.addObserver(this, ApplicationShutdownNotification, nullptr,
                           [this](const platform::Notification& n) {
                               events.push_back(
                                   std::string("shutdown posted") +
                                   (n.object == &controller() ? " by the controller" : "") +
                                   (engine().started() ? " while the engine runs" : "") +
                                   (controller().presenceService() ? " with the services" : ""));
                           });
        center.addObserver(
            this, platform::ApplicationWillTerminateNotification, nullptr,
            [this](const platform::Notification&) { events.push_back("application ends"); });
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        AppController::setRelauncher(nullptr);
        engine().removeDelegate(&recorder);
        SignInTest::TearDown();
    }

    void signedIn() {
        launch();
        signIn("alice", "wonderland");
        letTheEngineAnswer();
        ASSERT_EQ(view(), "mainView");
        ASSERT_TRUE(engine().started());
        events.clear();
    }
    static int linesInUse() {
        return engine().phoneService()->getConversationService()->linesInUse();
    }
    static platform::Alert* confirmation() {
        platform::Alert* alert = controller().quitAlert();
        return alert && alert->window() && alert->window()->isSheet() ? alert : nullptr;
    }
    static std::vector<std::string> buttonTitles(const platform::Alert& alert) {
        std::vector<std::string> titles;
        for (const auto& button : alert.buttons())
            titles.push_back(button->title());
        return titles;
    }
    long count(std::string_view prefix) const {
        return std::count_if(events.begin(), events.end(),
                             [&](const std::string& event) { return event.starts_with(prefix); });
    }

    std::vector<std::string> events;
    StopRecorder recorder{events};
    std::vector<std::vector<std::string>> relaunches;
};

TEST_F(ShutdownTest, QuitWithAnActiveCallAsksFirstAndCancelKeepsEverythingRunning) {
    signedIn();
    Scenario().incomingCall(bob, "Bob Baker");
    settle();
    ASSERT_EQ(linesInUse(), 1);

    app().terminate(nullptr);

    platform::Alert* alert = confirmation();
    ASSERT_NE(alert, nullptr) << "the question shows while the quit waits for its answer";
    EXPECT_EQ(window().attachedSheet(), alert->window());
    EXPECT_EQ(alert->messageText(), "Confirm Exit");
    EXPECT_EQ(alert->informativeText(), "All calls will end.\n");
    EXPECT_EQ(buttonTitles(*alert), (std::vector<std::string>{"Okay", "Cancel"}));
    EXPECT_EQ(alert->alertStyle(), platform::AlertStyle::Warning);
    EXPECT_TRUE(app().isWaitingForTerminationReply());
    EXPECT_TRUE(events.empty()) << "nothing is shut down before the answer";

    alert->pressButtonForTesting(1);

    EXPECT_FALSE(app().isWaitingForTerminationReply());
    EXPECT_FALSE(app().isTerminated());
    EXPECT_FALSE(controller().isAppTerminating());
    EXPECT_EQ(window().attachedSheet(), nullptr);
    EXPECT_EQ(controller().quitAlert(), nullptr);
    settle();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(engine().started());
    EXPECT_EQ(linesInUse(), 1) << "the call goes on";
    EXPECT_EQ(view(), "mainView");
}

// Confirmed or with nothing to confirm, the quit takes everything down once, in order, and the
// application ends only once the engine has reported its stop.
class QuitTest : public ShutdownTest, public ::testing::WithParamInterface<bool> {};

TEST_P(QuitTest, AQuitShutsDownOnceAndEndsOnlyAfterTheEngineStopped) {
    const bool withCall = GetParam();
    signedIn();
    if (withCall) {
        Scenario().incomingCall(bob, "Bob Baker");
        settle();
    }

    app().terminate(nullptr);
    if (withCall) {
        ASSERT_NE(confirmation(), nullptr);
        EXPECT_TRUE(events.empty());
        confirmation()->pressButtonForTesting(0);
    } else {
        EXPECT_EQ(controller().quitAlert(), nullptr) << "nothing to confirm";
    }

    EXPECT_EQ(events, (std::vector<std::string>{
                          "shutdown posted by the controller while the engine runs with "
                          "the services",
                          "engine stopped while the quit waits",
                          "application ends",
                      }));
    EXPECT_TRUE(app().isTerminated());
    EXPECT_EQ(view(), "splash");
    EXPECT_TRUE(controller().isForceShutDown());
    EXPECT_EQ(controller().presenceService(), nullptr);
    EXPECT_EQ(controller().phoneService(), nullptr);
    EXPECT_FALSE(engine().started());
    EXPECT_EQ(linesInUse(), 0);
    // A stop asked for twice would answer twice.
    settle();
    EXPECT_EQ(recorder.stops, 1);
    EXPECT_EQ(count("shutdown posted"), 1);
    EXPECT_TRUE(relaunches.empty());
}

INSTANTIATE_TEST_SUITE_P(ConfirmedOrNot, QuitTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("ConfirmedWithAnActiveCall")
                                               : std::string("NothingActive");
                         });

// exit() in the middle of a session (Xlib's handler of a fatal X error ends the process so)
// runs the static destructors: nothing they reach may already be gone.
TEST_F(ShutdownTest, AnExitInTheMiddleOfASessionEndsWithItsStatusAndNothingElse) {
    signedIn();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(EXIT_FAILURE), ::testing::ExitedWithCode(EXIT_FAILURE),
                ::testing::Not(::testing::HasSubstr("Sanitizer")));
}

// A signal during the sign-in is not lost: the program quits once the sign-in has ended.
TEST_F(ShutdownTest, ASignalDuringTheSignInQuitsOnceTheSignInHasEnded) {
    launch();
    signIn("alice", "wonderland");
    runFor(LoginController::kLoginDelay);
    settle();
    ASSERT_TRUE(engine().loggingIn());

    app().terminateForSignal();
    EXPECT_FALSE(app().isTerminated()) << "the sign-in goes on first";

    letTheEngineAnswer();
    runFor(2);
    settle();
    EXPECT_TRUE(app().isTerminated());
    EXPECT_FALSE(engine().started()) << "the engine stopped on the way out";
}

// A signal ends the program with live calls without asking, even when the user's quit is
// already waiting for its confirmation: nobody may be there to answer.
class SignalQuitTest : public ShutdownTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SignalQuitTest, ASignalWithLiveCallsQuitsWithoutAsking) {
    const bool confirmationShowing = GetParam();
    signedIn();
    Scenario().incomingCall(bob, "Bob Baker");
    settle();
    ASSERT_EQ(linesInUse(), 1);
    if (confirmationShowing) {
        app().terminate(nullptr);
        ASSERT_NE(confirmation(), nullptr);
    }

    app().terminateForSignal();
    EXPECT_EQ(confirmation(), nullptr) << "nothing asks";
    settle();

    EXPECT_TRUE(app().isTerminated());
    EXPECT_EQ(window().attachedSheet(), nullptr);
    EXPECT_FALSE(engine().started());
    EXPECT_EQ(linesInUse(), 0) << "the call ended on the way out";
    EXPECT_EQ(count("shutdown posted"), 1);
    EXPECT_EQ(recorder.stops, 1);
}

INSTANTIATE_TEST_SUITE_P(ConfirmationShowingOrNot, SignalQuitTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("WhileTheConfirmationShows")
                                               : std::string("NothingAskedYet");
                         });

TEST_F(ShutdownTest, WithoutARunningEngineAQuitEndsAtOnceAndDuringASignInNotAtAll) {
    launch();
    ASSERT_EQ(view(), "login");
    signIn("alice", "wonderland");
    runFor(LoginController::kLoginDelay);
    settle();
    ASSERT_TRUE(engine().loggingIn());

    app().terminate(nullptr);

    EXPECT_FALSE(app().isTerminated()) << "refused while the sign-in is under way";
    EXPECT_FALSE(app().isWaitingForTerminationReply());
    EXPECT_TRUE(events.empty());

    login().cancelLogin();
    settle();
    ASSERT_FALSE(engine().started());
    app().terminate(nullptr);

    EXPECT_TRUE(app().isTerminated()) << "no engine to wait for";
    EXPECT_EQ(controller().quitAlert(), nullptr);
    EXPECT_EQ(count("shutdown posted"), 1);
}

TEST_F(ShutdownTest, TheConfirmationListsWhatIsActive) {
    signedIn();
    Scenario scenario;
    scenario.incomingCall(bob, "Bob Baker");
    scenario.incomingMessage("sip:carol@sip.lumiq.example", "Hello", "Carol Cole");
    scenario.fileTransferOffered("sip:dave@sip.lumiq.example", "Dave", {"notes.txt"});
    settle();
    ASSERT_FALSE(controller().imSessions().empty());
    ASSERT_FALSE(controller().fileTransferRequests().empty());

    app().terminate(nullptr);

    ASSERT_NE(confirmation(), nullptr);
    EXPECT_EQ(confirmation()->informativeText(), "All calls will end.\n"
                                                 "All Messaging sessions will end.\n"
                                                 "All file transfers will end.");
    confirmation()->pressButtonForTesting(0);
    EXPECT_TRUE(app().isTerminated());
    EXPECT_TRUE(controller().imSessions().empty());
    EXPECT_TRUE(controller().imWindowControllers().empty());
    EXPECT_TRUE(controller().fileTransferRequests().empty());

    // A single line keeps its line break; the last of several has none.
    const struct {
        std::vector<std::string> lines;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{"All recordings will be saved."}, "All recordings will be saved.\n"},
        {{"All calls will end.", "All recordings will be saved."},
         "All calls will end.\nAll recordings will be saved."},
        {{"a", "b", "c"}, "a\nb\nc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppController::exitConfirmationText(c.lines), c.text);
}

TEST_F(ShutdownTest, AnotherSheetStillOpenWhenTheQuitIsConfirmedRefusesTheQuit) {
    signedIn();
    Scenario().incomingCall(bob, "Bob Baker");
    settle();
    app().terminate(nullptr);
    ASSERT_NE(confirmation(), nullptr);

    // Meanwhile another window has put up a sheet of its own.
    auto other = platform::make<platform::Window>(platform::Rect{0, 0, 300, 200},
                                                  platform::TitledWindowMask);
    other->orderFront(nullptr);
    auto sheet = platform::Alert::alert();
    sheet->setMessageText("Another question");
    sheet->beginSheetModalForWindow(*other);
    ASSERT_NE(other->attachedSheet(), nullptr);

    confirmation()->pressButtonForTesting(0);

    EXPECT_FALSE(app().isTerminated());
    EXPECT_FALSE(app().isWaitingForTerminationReply());
    EXPECT_FALSE(controller().isAppTerminating());
    EXPECT_EQ(other->attachedSheet(), sheet->window()) << "the other sheet stays";
    EXPECT_TRUE(engine().started());
    EXPECT_EQ(count("shutdown posted"), 0);
    platform::Application::sharedApplication().endSheet(*sheet->window());
}

TEST_F(ShutdownTest, LogoutReturnsToTheLoginViewWithTheEngineInitialisedAgain) {
    signedIn();
    Scenario().incomingMessage("sip:carol@sip.lumiq.example", "Hello", "Carol Cole");
    settle();

    controller().logout(nullptr);
    settle();

    ASSERT_NE(confirmation(), nullptr) << "a chat is open";
    EXPECT_EQ(confirmation()->messageText(), "Confirm Logout");
    EXPECT_EQ(confirmation()->informativeText(), "All Messaging sessions will end.\n");
    confirmation()->pressButtonForTesting(0);
    settle();
    runFor(2.0);
    settle();

    EXPECT_EQ(view(), "login");
    EXPECT_TRUE(controller().isLoggedOut());
    EXPECT_FALSE(controller().isLoggedIn());
    EXPECT_FALSE(controller().isForceShutDown());
    EXPECT_FALSE(engine().started());
    EXPECT_TRUE(engine().initialized());
    const auto& arguments = engine().initializeArguments();
    ASSERT_TRUE(arguments);
    EXPECT_EQ(arguments->userName, std::optional<std::string>("alice"));
    EXPECT_EQ(arguments->defaultGroups, (std::vector<std::string>{"Friends", "Family", "Work"}));
    EXPECT_EQ(arguments->upgroupedGrouopName, "Others");
    EXPECT_EQ(arguments->addedFriendsGrouopName, "Added Contacts");
    EXPECT_EQ(events, (std::vector<std::string>{
                          "shutdown posted by the controller while the engine runs with "
                          "the services",
                          "engine stopped",
                      }));
    EXPECT_FALSE(app().isTerminated());
    EXPECT_TRUE(controller().imSessions().empty());

    // The sign-in road runs again, and the next teardown runs in full.
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    EXPECT_EQ(view(), "mainView");
    controller().logout(nullptr);
    settle();
    EXPECT_EQ(count("shutdown posted"), 2);
}

// Every window over the session's data goes with it, at a logout as at a quit, and the
// toolbar keeps what the user left: the dialpad shown.
TEST_F(ShutdownTest, LogoutAndQuitTakeEveryWindowOfTheSessionWithThem) {
    const auto openEverything = [] {
        auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
        archive.showWindow(nullptr);
        auto& rooms = ChatRoomListWindowController::sharedChatRoomListWindowController();
        rooms.window()->makeKeyAndOrderFront(nullptr);
        WorkgroupWindowController::sharedController().showWindow(nullptr);
        const auto contacts = engine().phoneService()->getContactManager()->allContacts();
        ASSERT_FALSE(contacts.empty());
        ContactEditorController::openForContact(contacts.front());
        auto import = ContactImportWindowController::initWithParams(
            false, 1,
            platform::AddressBook::vCardFolder(std::filesystem::path(LUMIQ_RESOURCES_DIR) /
                                               "engine" / "address-book"));
        ASSERT_NE(import, nullptr);
        settle();
        std::vector<platform::Window*> windows{
            archive.window(), rooms.window(),
            WorkgroupWindowController::sharedController().window(),
            &ContactEditorController::openControllers()[0]->window()};
        for (auto* window : windows)
            EXPECT_TRUE(window && window->isVisible());
    };
    const auto everythingGone = [] {
        EXPECT_FALSE(IMArchiveWindowController::sharedIMArchiveWindowControllerExists());
        EXPECT_FALSE(ChatRoomListWindowController::isWindowExist());
        EXPECT_TRUE(ContactEditorController::openControllers().empty());
        EXPECT_EQ(ContactImportWindowController::instance(), nullptr);
        EXPECT_FALSE(ContactImportWindowController::isMacAddressBookImportRunning());
        for (platform::Window* window : platform::Application::sharedApplication().windows())
            if (window->isVisible() && window != controller().mainWindow())
                ADD_FAILURE() << "still shown: " << window->title();
    };
    const auto setting = [] {
        return engine()
            .phoneService()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("dialpadExpanded");
    };

    signedIn();
    openEverything();
    ToolbarController::sharedController()
        .button(ToolbarController::keyPadTag)
        ->setState(platform::OnState);
    controller().logout(nullptr);
    settle();
    runFor(2.0);
    settle();
    ASSERT_EQ(view(), "login");
    everythingGone();

    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_EQ(view(), "mainView");
    EXPECT_TRUE(setting()->boolSetting()) << "the dialpad was shown at the logout";
    openEverything();
    app().terminate(nullptr);
    settle();
    runFor(2.0);
    ASSERT_TRUE(app().isTerminated());
    everythingGone();
}

TEST_F(ShutdownTest, AServerForcedLogoutWithAnActiveCallAsksAndCancelKeepsTheUserSignedIn) {
    signedIn();
    Scenario().incomingCall(bob, "Bob Baker");
    settle();

    Scenario().serverForcedLogout();
    settle();

    ASSERT_NE(confirmation(), nullptr);
    EXPECT_EQ(confirmation()->messageText(), "Confirm Logout");
    EXPECT_EQ(controller().logoutReason(), StartupService::serverForced)
        << "the reason is recorded all the same";
    confirmation()->pressButtonForTesting(1);
    runFor(2.0);
    settle();

    EXPECT_TRUE(engine().started());
    EXPECT_TRUE(controller().isLoggedIn());
    EXPECT_EQ(view(), "mainView");
    EXPECT_EQ(linesInUse(), 1);
    EXPECT_TRUE(events.empty());
}

// A quit during a logout, once the engine has already answered its stop, has nothing left to
// wait for; waiting would never end.
TEST_F(ShutdownTest, AQuitDuringALogoutAfterTheEngineStoppedEndsAtOnce) {
    launch();
    platform::PopUpButton& menu = *login().profilesMenu();
    for (long i = 0; i < menu.numberOfItems(); ++i) {
        auto profile = std::dynamic_pointer_cast<LoginProfileItem>(
            menu.itemAtIndex(i)->representedObject().object());
        if (profile && profile->type() == LoginProfileItem::NO_LOGIN)
            menu.selectItemAtIndex(i);
    }
    login().login(nullptr);
    letTheEngineAnswer();
    ASSERT_EQ(view(), "mainView");
    ASSERT_FALSE(controller().loginEnabled());

    Scenario().serverForcedLogout();
    settle();
    ASSERT_TRUE(controller().isForceShutDown()) << "the logout is still under way";
    ASSERT_EQ(recorder.stops, 1);

    app().terminate(nullptr);

    EXPECT_TRUE(app().isTerminated());
    EXPECT_EQ(count("shutdown posted"), 1);
}

TEST_F(ShutdownTest, ARestartRelaunchesOnceTheEngineHasStopped) {
    signedIn();
    // A stop that ends a logout relaunches as well, with no quit to answer.
    controller().setRestart(true);
    controller().logout(nullptr);
    settle();
    EXPECT_EQ(relaunches.size(), 1u);
    EXPECT_FALSE(app().isTerminated());
    EXPECT_FALSE(controller().isRestart()) << "one relaunch for each request";
    runFor(2.0);
    settle();
    signIn("alice", "wonderland");
    letTheEngineAnswer();
    ASSERT_EQ(view(), "mainView");
    events.clear();
    relaunches.clear();

    controller().setRestart(true);
    app().terminate(nullptr);

    ASSERT_EQ(relaunches.size(), 1u);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "shutdown posted by the controller while the engine runs with "
                          "the services",
                          "engine stopped while the quit waits",
                          "relaunch",
                          "application ends",
                      }));
    const auto& arguments = relaunches[0];
    ASSERT_GE(arguments.size(), 6u);
    EXPECT_EQ(arguments[0], "/bin/sh");
    EXPECT_EQ(arguments[1], "-c");
    EXPECT_EQ(arguments[3], "") << "the script's name";
    EXPECT_EQ(arguments[4], std::to_string(::getpid()));
    EXPECT_EQ(arguments[5], std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST_F(ShutdownTest, HibernationIsNotedAndTheVideoWindowComesBackOnResume) {
    signedIn();
    VideoWindow& video = VideoWindow::sharedVideoWindow();
    video.orderFront(nullptr);
    auto other = platform::make<platform::Window>(platform::Rect{0, 0, 200, 100},
                                                  platform::TitledWindowMask);
    other->orderFront(nullptr);
    ASSERT_EQ(platform::WindowServer::shared().orderedWindows().front(), other.get());

    Scenario().hibernate();
    settle();
    EXPECT_TRUE(controller().hibernationSuspend());
    Scenario().wake();
    settle();
    EXPECT_FALSE(controller().hibernationSuspend());
    const auto order = platform::WindowServer::shared().orderedWindows();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), static_cast<platform::Window*>(&video));
    VideoWindow::sharedVideoWindowRelease();
}

TEST_F(ShutdownTest, TheExitWindowSitsOnTheMainWindowAndAnswersItsButtons) {
    launch();
    window().makeKeyAndOrderFront(nullptr);
    const platform::Rect main = window().frame();
    for (const bool pressOK : {true, false}) {
        ExitAppWindowController exitWindow;
        ASSERT_NE(exitWindow.window(), nullptr);
        platform::RunLoop::main().performInModes(
            [&] {
                EXPECT_EQ(app().modalWindow(), exitWindow.window());
                EXPECT_EQ(exitWindow.message()->stringValue(), "Leave now?");
                click(pressOK ? *exitWindow.okButton() : *exitWindow.cancelButton());
            },
            {std::string(platform::ModalPanelRunLoopMode)});

        const bool answer = exitWindow.runModal("Leave now?");

        EXPECT_EQ(answer, pressOK);
        EXPECT_FALSE(exitWindow.window()->isVisible());
        const platform::Rect frame = exitWindow.window()->frame();
        EXPECT_DOUBLE_EQ(frame.origin.y + frame.size.height, main.origin.y + main.size.height);
        EXPECT_DOUBLE_EQ(frame.origin.x + frame.size.width / 2,
                         main.origin.x + main.size.width / 2);
    }
}

// The shell that the relaunch starts waits for the old process, then runs the program with
// its options: tried with a process of the test's own and a stand-in program.
TEST_F(ShutdownTest, TheRelaunchShellStartsTheProgramOnlyAfterTheOldProcessHasEnded) {
    signedIn();
    controller().setRestart(true);
    app().terminate(nullptr);
    ASSERT_EQ(relaunches.size(), 1u);

    pid_t old = -1;
    char sleepPath[] = "/bin/sleep";
    char seconds[] = "30";
    char* sleepArgs[] = {sleepPath, seconds, nullptr};
    ASSERT_EQ(::posix_spawn(&old, sleepPath, nullptr, nullptr, sleepArgs, environ), 0);
    const auto marker = tmp / "started";
    std::vector<std::string> arguments(relaunches[0].begin(), relaunches[0].begin() + 4);
    arguments.push_back(std::to_string(old));
    for (std::string argument : {"/bin/sh", "-c", "echo \"$0 $1\" > \"$2\"", "with", "options"})
        arguments.push_back(argument);
    arguments.push_back(marker.string());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t shell = -1;
    ASSERT_EQ(::posix_spawn(&shell, argv[0], nullptr, nullptr, argv.data(), environ), 0);

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(std::filesystem::exists(marker)) << "the old process still runs";
    ::kill(old, SIGTERM);
    // Ended but not yet collected: that is ended enough.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::waitpid(shell, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::waitpid(old, nullptr, 0);
    std::ifstream written(marker);
    std::string line;
    std::getline(written, line);
    EXPECT_EQ(line, "with options");
    if (!WIFEXITED(status)) {
        ::kill(shell, SIGKILL);
        ::waitpid(shell, nullptr, 0);
        ADD_FAILURE() << "the shell did not end";
    }
}

// The real program, off screen, with home and settings of its own, asked to relaunch when it
// quits.
class RelaunchedProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (pid_t pid : {first, second})
            if (pid > 0 && running(pid))
                ::kill(pid, SIGKILL);
        if (first > 0)
            ::waitpid(first, nullptr, WNOHANG);
        if (output >= 0)
            ::close(output);
        if (!runtime.empty())
            std::filesystem::remove_all(runtime);
    }

    // Whether the process is there and not a zombie.
    static bool running(pid_t pid) {
        if (::kill(pid, 0) != 0)
            return false;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(") ");
        return close == std::string::npos || text.compare(close + 2, 1, "Z") != 0;
    }
    // Reads the programs' standard error until `text` has come `times` times.
    bool waitForOutput(std::string_view text, int times, double timeout) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
        for (;;) {
            int seen = 0;
            for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
                ++seen;
            if (seen >= times)
                return true;
            if (std::chrono::steady_clock::now() > deadline || output < 0)
                return false;
            pollfd p{output, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buffer[4096];
                const auto n = ::read(output, buffer, sizeof buffer);
                if (n > 0) {
                    log.append(buffer, static_cast<std::size_t>(n));
                } else {
                    ::close(output);
                    output = -1;
                }
            }
        }
    }

    foundation_test::TempDir tmp;
    std::filesystem::path runtime;
    std::string log;
    int output = -1;
    pid_t first = -1;
    pid_t second = -1;
};

TEST_F(RelaunchedProgramTest, ARelaunchStartsTheProgramAgainOnceTheOldProcessHasEnded) {
    // Without sign-in the engine starts by itself, so a quit has an engine to stop.
    const auto bundle = copyBundle(tmp / "bundle");
    auto features = platform::Value::readPropertyListFile(bundle / "engine" / "features.plist");
    ASSERT_TRUE(features);
    features->setObject("loginEnabled", false);
    ASSERT_TRUE(features->writePropertyListFile(bundle / "engine" / "features.plist"));
    // A short private runtime folder: the programs' socket lives there.
    char folder[] = "/tmp/lumiq-relaunch-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    runtime = folder;
    foundation_test::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.string());

    std::vector<std::string> environment{
        "HOME=" + (tmp / "home").string(),
        "XDG_DATA_HOME=" + (tmp / "data").string(),
        "XDG_CONFIG_HOME=" + (tmp / "config").string(),
        "XDG_RUNTIME_DIR=" + runtime.string(),
        "LUMIQ_RELAUNCH_ON_QUIT=1",
    };
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('=') + 1);
        if (name != "HOME=" && !name.starts_with("XDG_") && !name.starts_with("LUMIQ_"))
            environment.push_back(entry);
    }
    const std::string program = LUMIQ_BINARY_DIR "/bin/lumiq";
    std::vector<std::string> arguments{program, "--headless", "--bundle", bundle.string()};
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&first, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    output = fds[0];
    ASSERT_EQ(spawned, 0);

    ASSERT_TRUE(waitForOutput("Engine initialisation completed", 1, 30)) << log;
    // Once the program answers over its socket, the engine's start (asked for right after the
    // initialisation) has run before it.
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        platform::Value request;
        request.setObject("command", entry::testCommand);
        const auto sent = InstanceChannel::sendToRunningInstance(request, 5);
        answered = sent.status == InstanceChannel::SendStatus::delivered;
        if (!answered)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(answered) << log;

    ::kill(first, SIGTERM);

    ASSERT_TRUE(waitForOutput("Relaunch: the shell (process ", 1, 30)) << log;
    const auto at = log.find("Relaunch: the shell (process ") + 29;
    second = static_cast<pid_t>(std::atoi(log.c_str() + at));
    ASSERT_GT(second, 0) << log;
    int status = -1;
    const auto exitDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::waitpid(first, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() < exitDeadline)
        waitForOutput("\n\n\n", 1, 0.05);
    ASSERT_TRUE(WIFEXITED(status)) << log;
    EXPECT_EQ(WEXITSTATUS(status), 0) << log;
    first = -1;

    // The shell has become the program again, with the same options.
    ASSERT_TRUE(waitForOutput("Engine initialisation completed", 2, 30)) << log;
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(second) + "/exe"),
              std::filesystem::canonical(program));
    std::ifstream cmdline("/proc/" + std::to_string(second) + "/cmdline");
    std::string options((std::istreambuf_iterator<char>(cmdline)),
                        std::istreambuf_iterator<char>());
    EXPECT_NE(options.find(std::string("--headless") + '\0' + "--bundle" + '\0' + bundle.string()),
              std::string::npos);

    // The new program quits for good: the request to relaunch was used up.
    ::kill(second, SIGTERM);
    const auto endDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (running(second) && std::chrono::steady_clock::now() < endDeadline)
        waitForOutput("\n\n\n", 1, 0.05);
    EXPECT_FALSE(running(second)) << log;
    const auto relaunchLine = log.find("Relaunch: the shell");
    EXPECT_EQ(log.find("Relaunch: the shell", relaunchLine + 1), std::string::npos)
        << "one relaunch only\n"
        << log;
}

} // namespace
} // namespace app_test
