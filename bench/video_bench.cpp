// The video window.
//
// ComposeFrame: one composition of the video view at 1280 x 720 with every layer shown: the far
// end's picture (a new 640 x 480 frame each time), the camera's picture-in-picture with its
// glow and the notice of a picture not sent, the far end's overlay menu and both statistics
// strips. The goal is 4 ms or less (release build).
//
// ShowingThirtyFramesASecond: the signed-in program, headless, with an answered video call
// whose far end and camera (the test picture when the machine has none) each bring 30 frames a
// second, running on the real clock for 3 seconds. The process's CPU time over the wall time
// is reported as "cpu_percent" (goal: 15 % of one core or less), with the compositions
// ("composed_per_s") and the far end's frames shown ("frames_per_s").
#include "BenchSession.h"
#include "app/calls/LayerMenuItem.h"
#include "app/calls/VideoView.h"
#include "app/calls/VideoWindow.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/CocoaCAOpenGLLayer.h"
#include "engine/Scenario.h"
#include "engine/TestPatternSource.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Window.h"
#include "platform/layers/TextLayer.h"
#include "platform/layers/Transaction.h"

#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::shared_ptr<const VideoFrame> frame(TestPatternSource& source, std::uint64_t n) {
    auto f = std::make_shared<VideoFrame>(640, 480);
    source.drawFrame(n, *f);
    return f;
}

void ComposeFrame(benchmark::State& state) {
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    platform::setLogSink([](std::string_view) {});
    auto& screen = platform::HeadlessScreen::install();
    (void)screen;
    {
        auto window = platform::make<platform::Window>(platform::Rect(0, 0, 1280, 720),
                                                       platform::BorderlessWindowMask);
        auto view = platform::make<VideoView>(platform::Rect(0, 0, 1280, 720));
        window->setContentView(view);
        view->awake();
        window->orderFront(nullptr);
        TestPatternSource remote(640, 480, 30, TestPatternSource::Style::remote);
        TestPatternSource camera(640, 480, 30, TestPatternSource::Style::camera);
        view->setHasRemote(true);
        view->remoteLayer()->renderFrame(frame(remote, 0));
        view->localLayer()->renderFrame(frame(camera, 0));
        for (const auto& item : view->menus())
            if (item->action() == "toggleInfo:")
                view->toggleInfo(item.get());
        view->setSendingLocal(false);
        {
            platform::TransactionScope transaction;
            platform::Transaction::setDisableActions(true);
            view->remoteMenuLayer().setHidden(false);
            view->remoteWaitingLayer().setHidden(true);
            view->localWaitingLayer().setHidden(true);
        }
        // Every fade done.
        platform::RunLoop::main().runFor(3);
        view->remoteLayer()->renderFrame(frame(remote, 1));
        view->localLayer()->renderFrame(frame(camera, 1));
        view->updateInfoContents();
        {
            // The menu would hide once the pointer has not moved for a while.
            platform::TransactionScope transaction;
            platform::Transaction::setDisableActions(true);
            view->remoteMenuLayer().setHidden(false);
        }
        auto context = platform::GraphicsContext::bitmapContext(1280, 720);
        std::uint64_t n = 2;
        for (auto _ : state) {
            state.PauseTiming();
            auto next = frame(remote, n++);
            state.ResumeTiming();
            view->remoteLayer()->renderFrame(next);
            context->clear();
            view->rootLayer().renderInContext(*context);
            context->flush();
        }
        if (view->localMessageLayer().isHidden() || view->remoteMenuLayer().isHidden() ||
            view->remoteInfoLayer().isHidden())
            state.SkipWithError("not every layer showed");
        window->orderOut(nullptr);
    }
    platform::WindowServer::shared().reset();
    platform::setScreenBackend(nullptr);
    platform::setLogSink(nullptr);
}
BENCHMARK(ComposeFrame)->Unit(benchmark::kMillisecond);

void ShowingThirtyFramesASecond(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumiq-video-bench-" + std::to_string(getpid()));
    platform::setLogSink([](std::string_view) {});
    auto& screen = bench_session::startFresh(folder);
    AppController* controller = bench_session::launchAndSignIn(screen);
    auto& loop = platform::RunLoop::main();
    bool ready = controller && controller->mainWindow() &&
                 controller->mainWindow()->currentViewName() == "mainView";
    std::shared_ptr<Conversation> call;
    if (ready) {
        Scenario().incomingCall("sip:bob@sip.lumiq.example", "Bob", true);
        loop.runFor(0.1);
        for (const auto& c : StartupService::instance()
                                 .phoneService()
                                 ->getConversationService()
                                 ->getAllConversations())
            if (c->isRinging())
                call = c;
        if (call)
            call->answer();
        loop.runFor(3);
        ready = call && call->hasVideo() && VideoWindow::videoWindowExist() &&
                VideoWindow::sharedVideoWindow().isVisible() &&
                VideoWindow::sharedVideoWindow().videoView()->hasRemote();
    }
    if (!ready) {
        state.SkipWithError("the video call did not come up");
    } else {
        loop.setClock(std::make_shared<platform::SystemClock>());
        auto view = VideoWindow::sharedVideoWindow().videoView();
        const auto remote = view->remoteLayer();
        for (auto _ : state) {
            const int displayed = screen.displayCount();
            const auto frames = remote->framesRendered();
            const double cpu = processSeconds();
            const double wall = wallSeconds();
            loop.runFor(3.0);
            const double wallSpent = wallSeconds() - wall;
            state.counters["cpu_percent"] = 100 * (processSeconds() - cpu) / wallSpent;
            state.counters["composed_per_s"] = (screen.displayCount() - displayed) / wallSpent;
            state.counters["frames_per_s"] =
                static_cast<double>(remote->framesRendered() - frames) / wallSpent;
        }
        loop.setClock(std::make_shared<platform::ManualClock>());
        call->end();
        loop.runFor(1);
    }
    VideoWindow::sharedVideoWindowRelease();
    bench_session::releaseControllers();
    platform::setLogSink(nullptr);
    fs::remove_all(folder);
}
BENCHMARK(ShowingThirtyFramesASecond)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
