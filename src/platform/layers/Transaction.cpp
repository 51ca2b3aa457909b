#include "platform/layers/Transaction.h"

#include <vector>

namespace platform {

namespace {

struct Frame {
    double duration = Transaction::defaultAnimationDuration;
    bool disableActions = false;
};

std::vector<Frame>& stack() {
    static std::vector<Frame> frames;
    return frames;
}

} // namespace

void Transaction::begin() {
    // A nested transaction starts from what its outer one says.
    stack().push_back(stack().empty() ? Frame{} : stack().back());
}

void Transaction::commit() {
    if (!stack().empty()) {
        stack().pop_back();
    }
}

double Transaction::animationDuration() {
    return stack().empty() ? defaultAnimationDuration : stack().back().duration;
}

void Transaction::setAnimationDuration(double seconds) {
    if (!stack().empty()) {
        stack().back().duration = seconds;
    }
}

bool Transaction::disableActions() {
    return !stack().empty() && stack().back().disableActions;
}

void Transaction::setDisableActions(bool flag) {
    if (!stack().empty()) {
        stack().back().disableActions = flag;
    }
}

} // namespace platform
