#pragma once

namespace platform {

class Layer;

// Places the sublayers of a layer by their constraints, in the order they were added, so that
// one may be constrained to a sibling placed before it. A layer without constraints keeps its
// frame; an axis without a size constraint keeps the layer's size on it.
class ConstraintLayoutManager {
public:
    static void layoutSublayersOfLayer(Layer& layer);
};

} // namespace platform
