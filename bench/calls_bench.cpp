// The call area, headless, signed in as the demo user with the simulated engine on a manual
// clock (the demo's delays pass at once, the time measured is the program's own work).
//
// CallsPlacedAndEnded: 100 calls placed and ended in a row, each waited for until its panel
// has come and gone. The heap in use after the first 10 and after all 100 is read from the
// allocator; the goal is a growth under 1 MB: no panel, row or delegate may stay behind.
// The counters also give what is left once the last call has gone.
//
// MainViewRedraw: a full redraw of the main window showing 5 call panels (two answered, one
// of them held, three ringing in). The goal is 4 ms a frame or less.
#include "BenchSession.h"
#include "app/calls/ConversationViewController.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/Scenario.h"
#include "platform/foundation/Log.h"
#include "widgets/QXCollectionView.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The signed-in program with its main view up, in settings folders of its own.
class SignedIn {
public:
    SignedIn() {
        folder_ = fs::temp_directory_path() / ("lumiq-calls-bench-" + std::to_string(getpid()));
        platform::setLogSink([](std::string_view) {});
        AppController* controller =
            bench_session::launchAndSignIn(bench_session::startFresh(folder_));
        if (!controller)
            return;
        window_ = controller->mainWindow();
        ready_ = window_ && window_->currentViewName() == "mainView" && service() &&
                 service()->newConversationAllowed();
    }
    ~SignedIn() {
        bench_session::releaseControllers();
        platform::setLogSink(nullptr);
        fs::remove_all(folder_);
    }

    bool ready() const { return ready_; }
    MainAppWindow* window() const { return window_; }
    static platform::RunLoop& loop() { return platform::RunLoop::main(); }
    static std::shared_ptr<ConversationService> service() {
        auto phone = StartupService::instance().phoneService();
        return phone ? phone->getConversationService() : nullptr;
    }
    static CallModuleController& area() { return CallModuleController::sharedController(); }

    // Places a call that is answered, waits for it to connect, ends it and waits for its
    // panel to go. False when something did not happen.
    bool placeAndEnd(const std::string& address) {
        Scenario().callsTo(address, RemoteAnswer::answers);
        auto call = service()->audioConversation(address, -1);
        if (!call)
            return false;
        loop().runFor(2.0);
        if (!call->wasConnected() || !area().panelOf(call.get()))
            return false;
        call->end();
        loop().runFor(3.0);
        return !area().panelOf(call.get());
    }

private:
    fs::path folder_;
    MainAppWindow* window_ = nullptr;
    bool ready_ = false;
};

double heapInUseMB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) / (1024.0 * 1024.0);
}

void CallsPlacedAndEnded(benchmark::State& state) {
    for (auto _ : state) {
        SignedIn program;
        if (!program.ready()) {
            state.SkipWithError("the main view did not come up ready for calls");
            return;
        }
        double afterTen = 0;
        for (int i = 0; i < 100; ++i) {
            if (!program.placeAndEnd("sip:party" + std::to_string(i) + "@sip.lumiq.example")) {
                state.SkipWithError("a call did not connect or its panel did not go");
                return;
            }
            if (i == 9) {
                malloc_trim(0);
                afterTen = heapInUseMB();
            }
        }
        malloc_trim(0);
        const double afterHundred = heapInUseMB();
        state.counters["heap_after_10_MB"] = afterTen;
        state.counters["heap_after_100_MB"] = afterHundred;
        state.counters["growth_KB"] = (afterHundred - afterTen) * 1024.0;
        state.counters["panels_left"] = static_cast<double>(SignedIn::area().panels().size());
        state.counters["items_left"] =
            static_cast<double>(SignedIn::area().collectionView()->viewItems().size());
        state.counters["calls_left"] =
            static_cast<double>(SignedIn::service()->getAllConversations().size());
        state.counters["service_delegates"] =
            static_cast<double>(SignedIn::service()->delegates().size());
        auto phone = StartupService::instance().phoneService();
        state.counters["phone_delegates"] = static_cast<double>(phone->delegates().size());
    }
}
BENCHMARK(CallsPlacedAndEnded)->Unit(benchmark::kMillisecond)->Iterations(1);

void MainViewRedraw(benchmark::State& state) {
    SignedIn program;
    if (!program.ready()) {
        state.SkipWithError("the main view did not come up ready for calls");
        return;
    }
    auto service = SignedIn::service();
    for (const char* name : {"dave", "erin"}) {
        const std::string address = std::string("sip:") + name + "@sip.lumiq.example";
        Scenario().callsTo(address, RemoteAnswer::answers);
        service->audioConversation(address, -1);
    }
    SignedIn::loop().runFor(2.0);
    service->getAllConversations().at(1)->hold();
    for (const char* name : {"carol", "frank", "grace"})
        Scenario().incomingCall(std::string("sip:") + name + "@sip.lumiq.example", name);
    SignedIn::loop().runFor(0.5);
    if (SignedIn::area().panels().size() != 5) {
        state.SkipWithError("the five call panels did not come up");
        return;
    }
    platform::Window& window = *program.window();
    for (auto _ : state)
        window.display();
    state.counters["panels"] = static_cast<double>(SignedIn::area().panels().size());
    service->endAll();
    SignedIn::loop().runFor(3.0);
}
BENCHMARK(MainViewRedraw)->Unit(benchmark::kMillisecond);

} // namespace
