#include "app/calls/CallModuleController.h"
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactImportWindowController.h"
#include "app/core/AppController.h"
#include "app/core/AutoUpdateController.h"
#include "app/core/Features.h"
#include "app/core/LoginController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "app/messaging/ChatInvitationWindowController.h"
#include "app/messaging/ChatRoomListWindowController.h"
#include "app/messaging/FileTransferWindowController.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "app/messaging/PresenceRequestWindowController.h"
#include "app/messaging/ScreenShareWindowController.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "app/preferences/PrefsWindowController.h"
#include "app/troubleshooting/TroubleshootingWindowController.h"
#include "engine/ConversationService.h"
#include "engine/FileTransferService.h"
#include "engine/OVAutoUpdateModel.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Window.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <type_traits>
#include <unistd.h>

extern char** environ;

// Logout and quit share one teardown. Quitting answers the platform's termination request
// Later while the engine stops and completes it from the engine's stop callback, which is
// also where a requested relaunch starts the shell that brings the program back.

namespace {

// The confirmation's OK button.
constexpr int kConfirmOK = platform::AlertFirstButtonReturn;

// Set (to anything but empty) in the environment of a quit that should relaunch the program,
// as the preferences' restart does: a way for tests and scripts to exercise the relaunch of
// a real process. It is taken out of the environment before the new process starts, so that
// process quits normally.
constexpr const char* kRelaunchOnQuitVariable = "LUMIQ_RELAUNCH_ON_QUIT";

// Waits until the process $1 has ended (gone, or a zombie its parent has not yet collected),
// then replaces itself with the program $2 and its arguments. The shell is the new program's
// parent chain, so nothing of the old process has to stay.
constexpr const char* kRelaunchScript =
    "while kill -0 \"$1\" 2>/dev/null; do\n"
    "  case $(sed 's/.*) //' \"/proc/$1/stat\" 2>/dev/null) in Z*) break;; esac\n"
    "  sleep 0.1\n"
    "done\n"
    "program=$2\n"
    "shift 2\n"
    "exec \"$program\" \"$@\"\n";

template <class Pro>
void stopListening(DelegatingService<Pro>* service, AppController* controller) {
    if constexpr (std::is_convertible_v<AppController*, Pro*>) {
        if (service)
            service->removeDelegate(controller);
    }
}

template <class Service> void letGo(std::shared_ptr<Service>& service, AppController* controller) {
    stopListening(service.get(), controller);
    service.reset();
}

// The relaunching shell, started without waiting for it: it waits for this process instead.
bool spawnShell(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return false;
    std::vector<char*> argv;
    std::vector<std::string> copies = arguments;
    for (auto& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        platform::Logf("Relaunch: %@ cannot be started: %@", arguments[0],
                       std::string(std::strerror(error)));
        return false;
    }
    platform::Logf("Relaunch: the shell (process %d) starts %@ once process %d has ended",
                   static_cast<int>(pid), arguments.size() > 5 ? arguments[5] : std::string(),
                   static_cast<int>(::getpid()));
    return true;
}

AppController::Relauncher& relauncher() {
    static AppController::Relauncher launcher;
    return launcher;
}

// This program's file.
std::string programPath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

// The options of this start that say how the program runs (off screen, on which bundle); a
// link or a script command it was started with is not handed on, it has been dealt with.
std::vector<std::string> programOptions() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\0', start);
        arguments.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::vector<std::string> options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--headless") {
            options.push_back(arguments[i]);
        } else if (arguments[i] == "--bundle" && i + 1 < arguments.size()) {
            options.push_back(arguments[i]);
            options.push_back(arguments[++i]);
        }
    }
    return options;
}

// Whether the environment asks this quit to relaunch; the request is used up.
bool relaunchAskedByEnvironment() {
    const char* value = std::getenv(kRelaunchOnQuitVariable);
    if (!value || !*value)
        return false;
    ::unsetenv(kRelaunchOnQuitVariable);
    return true;
}

bool anyWindowHasAttachedSheet() {
    const auto windows = platform::Application::sharedApplication().windows();
    return std::any_of(windows.begin(), windows.end(),
                       [](const platform::Window* window) { return window->attachedSheet(); });
}

} // namespace

void AppController::setRelauncher(Relauncher launcher) {
    relauncher() = std::move(launcher);
}

void AppController::logout(platform::Object* /*sender*/) {
    if (_e911ProvisioningController)
        _e911ProvisioningController->stopE911Provisioning();
    if (_e911AddressConfirmationController)
        _e911AddressConfirmationController->stopE911AddressConfirmation();
    if (_loggedOut)
        return;
    if (applicationShouldLogout(true))
        StartupService::instance().logout(StartupService::user);
}

void AppController::quit(platform::Object* /*sender*/) {
    platform::Application::sharedApplication().terminate(this);
}

platform::TerminateReply AppController::applicationShouldTerminate(platform::Application& sender) {
    // A sign-in under way must end (or be cancelled) before the application can go. A quit
    // asked for by a signal is carried out once it has ended rather than lost.
    if (_loginEnabled && _loginStateChanged && !_loggedIn && !_loggedOut) {
        if (sender.isTerminatingForSignal())
            _quitWhenSignInEnds = true;
        return platform::TerminateReply::Cancel;
    }
    if (sender.isTerminatingForSignal() && !_forceShutDown) {
        // A signal ends the program without asking: live calls end with the engine, and a
        // confirmation already showing goes away unanswered.
        _quitForSignal = true;
        _appIsTerminating = true;
    }
    if (_forceShutDown) {
        // The engine's stop callback completes the request; once it has answered (a logout's
        // teardown stops the engine too) nothing would, and the application can go at once.
        return _engineStopPending ? platform::TerminateReply::Later : platform::TerminateReply::Now;
    }
    if (!_appIsTerminating) {
        if (!applicationShouldLogout(false)) {
            // The confirmation answers the request, unless another sheet holds the window.
            return _appWindow && _appWindow->attachedSheet() ? platform::TerminateReply::Cancel
                                                             : platform::TerminateReply::Later;
        }
        _appIsTerminating = true;
        sender.terminate(this);
    }
    const bool started = StartupService::instance().started();
    shutdown();
    // A running engine answers its stop with ovssStopped, which lets the application go.
    return started ? platform::TerminateReply::Later : platform::TerminateReply::Now;
}

std::string AppController::exitConfirmationText(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i == 0 || i + 1 < lines.size())
            text += '\n';
    }
    return text;
}

bool AppController::applicationShouldLogout(bool isLogout) {
    auto& startup = StartupService::instance();
    if (!startup.started())
        return true;
    PrimaryModuleController::sharedController().clearSuggestion();
    const auto phone = startup.phoneService();
    const auto conversations = _conversationService
                                   ? _conversationService
                                   : (phone ? phone->getConversationService() : nullptr);

    std::vector<std::string> lines;
    if (conversations && conversations->linesInUse() > 0)
        lines.push_back(QXLS("msg.dialog.exitapp.calls", "All calls will end."));
    if (!_imSessions.empty())
        lines.push_back(QXLS("msg.dialog.exitapp.ims", "All Messaging sessions will end."));
    const bool transferActive = std::any_of(
        _fileTransferRequests.begin(), _fileTransferRequests.end(),
        [](const std::shared_ptr<platform::Object>& entry) {
            const auto* controller = dynamic_cast<const FileTransferWindowController*>(entry.get());
            return controller && controller->request() && controller->request()->isActive();
        });
    if (transferActive)
        lines.push_back(QXLS("msg.dialog.exitapp.file_transfers", "All file transfers will end."));
    // A call being recorded is one whose recording can be stopped.
    bool recording = false;
    if (conversations)
        for (const auto& conversation : conversations->getAllConversations())
            recording = recording || (conversation && conversation->canStopRecording());
    if (recording)
        lines.push_back(QXLS("msg.dialog.exitapp.recordings", "All recordings will be saved."));
    if (lines.empty())
        return true;

    _quitAlert = platform::Alert::alert();
    _quitAlert->addButtonWithTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    _quitAlert->addButtonWithTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    _quitAlert->setMessageText(isLogout
                                   ? QXLS("msg.opt.dialog.confirm_logout.title", "Confirm Logout")
                                   : QXLS("msg.opt.dialog.confirm_exit.title", "Confirm Exit"));
    _quitAlert->setInformativeText(exitConfirmationText(lines));
    _quitAlert->setAlertStyle(platform::AlertStyle::Warning);

    if (_appWindow) {
        // A quit waits for the answer in the modal-panel mode, so the sheet must show there.
        std::weak_ptr<bool> alive = _shutdownToken;
        OrvantaExtensions::beginSheetModalForWindow(
            _quitAlert, _appWindow->sharedWindow(),
            [this, alive](platform::Alert& alert, int returnCode, const platform::Value& context) {
                if (alive.lock())
                    logoutChoiceMade(alert, returnCode, context);
            },
            platform::Value(isLogout),
            isLogout ? platform::DefaultRunLoopMode : platform::ModalPanelRunLoopMode);
        if (platform::Panel* panel = _quitAlert->window())
            SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), this);
    }
    return false;
}

void AppController::logoutChoiceMade(platform::Alert& alert, int returnCode,
                                     const platform::Value& contextInfo) {
    const bool isLogout = contextInfo.boolValue();
    auto& application = platform::Application::sharedApplication();
    if (platform::Panel* panel = alert.window()) {
        panel->orderOut(nullptr);
        application.endSheet(*panel);
        SheetsTracker::sharedController().deRegisterSheet(panel, this);
    }
    // Closed by a signal's quit, which needs no answer.
    if (_quitForSignal) {
        _quitAlert.reset();
        return;
    }

    if (anyWindowHasAttachedSheet()) {
        _appIsTerminating = false;
        application.replyToApplicationShouldTerminate(false);
        return;
    }
    if (returnCode == kConfirmOK) {
        if (isLogout) {
            StartupService::instance().logout(StartupService::user);
        } else {
            _appIsTerminating = true;
            application.replyToApplicationShouldTerminate(false);
            application.terminate(this);
        }
    } else if (!isLogout) {
        _appIsTerminating = false;
        application.replyToApplicationShouldTerminate(false);
    }
    // The sheet keeps the alert alive until this answer is over.
    _quitAlert.reset();
}

void AppController::shutdown() {
    // A quit confirmed inside the termination request asks for termination again, and a quit
    // may come during a logout's teardown: the teardown and the engine's stop happen once.
    if (_shuttingDown || _forceShutDown)
        return;
    _shuttingDown = true;
    auto& sheets = SheetsTracker::sharedController();
    sheets.closeAllSheets();
    platform::NotificationCenter::defaultCenter().postNotificationName(
        ApplicationShutdownNotification, this);
    auto& startup = StartupService::instance();
    if (featureOn("externalResourcesEnabled"))
        if (auto phone = startup.phoneService())
            if (auto history = phone->getCallHistoryService())
                history->setReviewedAll();
    TroubleshootingWindowController::releaseSharedController();
    PrefsWindowController::releaseSharedController();
    if (VideoWindow::videoWindowExist())
        VideoWindow::sharedVideoWindowRelease();
    if (PresenceRequestWindowController::sharedPresenceRequestWindowControllerExists()) {
        platform::Window* window =
            PresenceRequestWindowController::sharedPresenceRequestWindowController().window();
        if (window && window->isVisible()) {
            _presenceRequests.clear();
            window->close();
        }
    }

    if (_loginController)
        _loginController->cancelLogin();
    _loginProfile.reset();
    if (_e911ProvisioningController) {
        _e911ProvisioningController->stopE911Provisioning();
        _e911ProvisioningController->setDelegate(nullptr);
        _e911ProvisioningController = nullptr;
        E911ProvisioningController::releaseInstance();
    }
    if (_e911AddressConfirmationController) {
        _e911AddressConfirmationController->stopE911AddressConfirmation();
        _e911AddressConfirmationController->setDelegate(nullptr);
        _e911AddressConfirmationController = nullptr;
        E911AddressConfirmationController::releaseInstance();
    }
    sheets.closeAllSheets();
    if (AutoUpdateController* update = AutoUpdateController::sharedAutoUpdateController())
        update->cancel(this);
    // The toast service goes with its windows and every slot set free.
    detachToastService();

    if (DialpadWindowController::dialpadExist())
        DialpadWindowController::sharedController().close();
    saveMainWindowSettings();
    auto& primary = PrimaryModuleController::sharedController();
    primary.saveUserSetting();
    primary.cleanup();
    // The toolbar remembers the dialpad while the main window still shows.
    auto& toolbar = ToolbarController::sharedController();
    toolbar.saveUserSetting();
    toolbar.cleanup();
    if (CallModuleController::sharedControllerExists())
        CallModuleController::sharedController().cleanup();
    FunctionModuleController::sharedController().cleanup();
    ContactEditorController::cleanup();
    // Windows over the signed-in user's data go with the session.
    if (IMArchiveWindowController::sharedIMArchiveWindowControllerExists())
        IMArchiveWindowController::close();
    if (ChatRoomListWindowController::isWindowExist())
        ChatRoomListWindowController::releaseSharedChatRoomListWindowController();
    WorkgroupWindowController::releaseSharedController();
    ScreenShareWindowController::releaseSharedController();
    if (ContactImportWindowController* import = ContactImportWindowController::instance())
        import->cancel();
    ChatInvitationWindowController::closeAll();
    _forceShutDown = true;

    // Closing a chat window does not take it out of the register while _forceShutDown is set.
    const auto chats = _imWindowControllers;
    for (const auto& entry : chats)
        if (auto* chat = dynamic_cast<IMWindowController*>(entry.get()))
            chat->close();
    _imSessions.clear();
    _imWindowControllers.clear();
    const auto transfers = std::move(_fileTransferRequests);
    _fileTransferRequests.clear();
    for (const auto& entry : transfers) {
        if (auto* transfer = dynamic_cast<FileTransferWindowController*>(entry.get())) {
            transfer->cancel(this);
            if (transfer->window())
                transfer->window()->close();
        }
    }
    _toastSlots.assign(toastSlotCount, false);

    releaseEngineServices();
    _engineStopPending = true;
    startup.stop();
    if (_appWindow)
        _appWindow->displaySplashScreen();
}

void AppController::ovssStopped() {
    _engineStopPending = false;
    letGo(_deskphoneService, this);
    letGo(_connectService, this);
    letGo(_connectAccountModel, this);
    auto& application = platform::Application::sharedApplication();
    if (_restart || (application.isWaitingForTerminationReply() && relaunchAskedByEnvironment()))
        relaunch();
    application.replyToApplicationShouldTerminate(true);
}

void AppController::relaunch() {
    // One relaunch for each request: a later stop must not start a second program.
    _restart = false;
    const std::string program = programPath();
    if (program.empty()) {
        platform::Log("Relaunch: the program's own file cannot be found");
        return;
    }
    std::vector<std::string> arguments{"/bin/sh",
                                       "-c",
                                       kRelaunchScript,
                                       "",
                                       platform::formatString("%d", static_cast<int>(::getpid())),
                                       program};
    for (auto& option : programOptions())
        arguments.push_back(std::move(option));
    // Without a shell the program still quits; it just does not come back.
    const Relauncher& launcher = relauncher();
    if (!(launcher ? launcher(arguments) : spawnShell(arguments)))
        platform::Log("Relaunch: the program will not start again by itself");
}

void AppController::ovssLogoutRequested(StartupService::LogoutReason reason) {
    if (reason == StartupService::reRegistrationFailed || reason == StartupService::serverForced)
        logout(this);
    _logoutReason = reason;
}

void AppController::ovssLogoutStarted(StartupService::LogoutReason /*reason*/) {
    _loggedIn = false;
    _loggedOut = false;
    _loginStateChanged = true;
    shutdown();
    if (_appWindow)
        _appWindow->displaySplashScreen();
}

void AppController::ovssLogoutComplete() {
    _loggedIn = false;
    _loggedOut = true;
    _loginStateChanged = true;
    quitIfAskedDuringSignIn();
    _forceShutDown = false;
    _shuttingDown = false;
    letGo(_phoneStatusService, this);
    stopListening(_phoneService.get(), this);
    setPhoneService(nullptr);
    if (_autoUpdateModel)
        letGo(_autoUpdateModel, this);
    // The sign-in road runs again from the engine's ovssInitCompleted.
    initializeEngine();
}

void AppController::ovssHibernationSuspend() {
    _hibernationSuspend = true;
}

void AppController::ovssHibernationResume() {
    _hibernationSuspend = false;
    if (VideoWindow::videoWindowExist()) {
        VideoWindow& video = VideoWindow::sharedVideoWindow();
        if (video.isVisible())
            video.orderFront(this);
    }
}
