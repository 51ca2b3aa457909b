#pragma once

namespace platform {

// How a change of a layer's opacity or visibility shows: at once, as a fade, or as a push
// (the layer slides in or out across its own height).
struct LayerAction {
    enum class Kind { none, fade, push };
    Kind kind = Kind::none;
    double duration = 0;
    // For a push: whether the layer comes from (or leaves towards) the top.
    bool fromTop = false;

    static LayerAction none() { return {}; }
    static LayerAction fade(double duration) { return {Kind::fade, duration, false}; }
    static LayerAction push(double duration, bool fromTop) {
        return {Kind::push, duration, fromTop};
    }
};

} // namespace platform
