// Launch to the main view, headless, with the simulated engine: the main menu's definition
// loads, the engine initialises, the login view appears, the demo user's credentials go in as
// key events, the engine signs in and starts, and the main view is up with
// "PhoneServiceStarted" posted. The engine's demo delays (the login view's second, the
// server's half second) pass on a manual clock, so the time measured is the program's own
// work. Each iteration is a fresh first start in its own settings folders. The peak resident
// memory of the process is reported as a counter.
#include "BenchSession.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// One first start from launch to the main view; false when the main view did not come.
bool launchToMainView(const fs::path& folder) {
    platform::HeadlessScreen& screen = bench_session::startFresh(folder);

    bool started = false;
    int observer = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &observer, "PhoneServiceStarted", nullptr,
        [&](const platform::Notification&) { started = true; });

    AppController* controller = bench_session::launchAndSignIn(screen);
    const bool mainView =
        started && controller && controller->mainWindow()->currentViewName() == "mainView";
    platform::NotificationCenter::defaultCenter().removeObserver(&observer);
    bench_session::releaseControllers();
    return mainView;
}

void BM_LaunchToMainView(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumiq-launch-bench-" + std::to_string(getpid()));
    platform::setLogSink([](std::string_view) {});
    for (auto _ : state) {
        if (!launchToMainView(folder)) {
            state.SkipWithError("the main view did not come up");
            break;
        }
    }
    platform::setLogSink(nullptr);
    fs::remove_all(folder);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_LaunchToMainView)->Unit(benchmark::kMillisecond);

} // namespace
