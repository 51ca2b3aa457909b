#include "app/core/EntryRequests.h"
#include "app/core/InstanceChannel.h"
#include "app/core/MainMenu.h"
#include "app/core/SnapshotTour.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/ScreenSelection.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void printUsage() {
    platform::Log("Usage: lumiq [--headless] [--bundle DIR] [--snapshots DIR] "
                  "[LINK | --dial NUMBER [--video] | --end-call [CALL-ID]]");
}

} // namespace

int main(int argc, char** argv) {
    platform::ignoreFileSizeLimitSignal();
    // The source tree's resources are the bundle unless the command line or LUMIQ_BUNDLE
    // names another.
    const char* bundle = std::getenv("LUMIQ_BUNDLE");
    bool headless = false;
    std::optional<std::string> snapshots;
    std::vector<std::string> entryArguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--headless") {
            headless = true;
        } else if (argument == "--bundle" && i + 1 < argc) {
            bundle = argv[++i];
        } else if (argument == "--snapshots" && i + 1 < argc) {
            snapshots = argv[++i];
        } else if (argument == "--help" || argument == "-h") {
            printUsage();
            return EXIT_SUCCESS;
        } else {
            entryArguments.emplace_back(argument);
        }
    }
    // A link or a script command: the instance already running gets it, else this one does
    // once it has launched.
    auto entryRequest = entry::requestFromArguments(entryArguments);
    if (!entryRequest.error.empty()) {
        platform::Log(entryRequest.error);
        printUsage();
        return EXIT_FAILURE;
    }
    platform::Bundle::setMainBundlePath(bundle && *bundle ? bundle : LUMIQ_RESOURCES_DIR);
    // With an instance running, this start shows it, hands over its link or command and ends:
    // a second instance would sign in to the same account again.
    if (auto status = entry::handOverToRunningInstance(
            entryRequest.request ? *entryRequest.request : entry::requestToShow())) {
        // The tour pictures windows of its own: another instance's would be no answer.
        if (snapshots) {
            platform::Log("Snapshot tour failed: another instance of the program is running");
            return EXIT_FAILURE;
        }
        return *status;
    }

    // Real windows when a display is there, off-screen ones otherwise.
    platform::installScreenBackend(headless);
    if (headless) {
        // Nobody can answer an application-modal alert off screen: its texts go to the log
        // and it ends as if its first button had been pressed, so the program never waits
        // for ever. Sheets stay up; they block nothing but their window.
        platform::Alert::setPresentationHook([](platform::Alert& alert) {
            if (alert.window() && alert.window()->isSheet())
                return;
            platform::Logf("Alert: %@ - %@", alert.messageText(), alert.informativeText());
            platform::WindowServer::shared().stopModalWithCode(platform::AlertFirstButtonReturn);
        });
    }

    registerMainMenuInterfaceDefinition();
    auto& application = platform::Application::sharedApplication();
    application.handleTerminationSignals();
    if (!application.loadMainInterfaceDefinition("MainMenu")) {
        platform::Log("FATAL ERROR: the main menu cannot be loaded");
        return EXIT_FAILURE;
    }
    auto entryChannel = entry::listenForRequests(std::move(entryRequest.request));
    // The tour of the windows signs in by itself and ends the program when it is done.
    std::unique_ptr<SnapshotTour> tour;
    if (snapshots) {
        tour = std::make_unique<SnapshotTour>(*snapshots);
        platform::RunLoop::main().performAfterDelay(0, [&tour] { tour->start(); });
    }
    application.run();
    tour.reset();
    const int status = application.exitStatus();
    entryChannel.reset();
    // The application's objects go before the engine and the run loop they talk to, then the
    // engine, then the windows' screen.
    platform::Application::resetSharedApplication();
    StartupService::resetInstance();
    platform::setScreenBackend(nullptr);
    return status;
}
