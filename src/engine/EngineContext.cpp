#include "engine/EngineContext.h"

#include "engine/SimulatedNetwork.h"

void EngineContext::post(platform::TimeInterval delay, std::function<void()> work) {
    platform::RunLoop::main().performAfterDelay(delay, guard(std::move(work)),
                                                {platform::DefaultRunLoopMode,
                                                 platform::ModalPanelRunLoopMode,
                                                 platform::EventTrackingRunLoopMode});
}

std::shared_ptr<EngineBackend> EngineContext::backend() {
    if (!backend_) {
        backend_ = SimulatedNetwork::fromMainBundle();
    }
    return backend_;
}
