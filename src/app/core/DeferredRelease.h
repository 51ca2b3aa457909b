#pragma once

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <memory>
#include <vector>

// Takes a controller that keeps itself alive out of the list of open ones and lets it go on
// the main loop's next pass, not now: the close may come from its own window's button, with
// the controller still running. Nothing happens when the list does not hold it.
template <class Controller>
void releaseOnNextPass(std::vector<std::shared_ptr<Controller>>& list,
                       const Controller& controller) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const auto& held) { return held.get() == &controller; });
    if (it == list.end()) {
        return;
    }
    auto self = std::move(*it);
    list.erase(it);
    platform::RunLoop::main().performInModes([self] {}, platform::commonModes());
}
