#include "platform/layers/ConstraintLayoutManager.h"

#include "platform/layers/Layer.h"

#include <optional>

namespace platform {

namespace {

using A = ConstraintAttribute;

double valueOf(A attribute, const Rect& r) {
    switch (attribute) {
    case A::MinX:
        return r.origin.x;
    case A::MidX:
        return r.origin.x + r.size.width / 2;
    case A::MaxX:
        return r.origin.x + r.size.width;
    case A::Width:
        return r.size.width;
    case A::MinY:
        return r.origin.y;
    case A::MidY:
        return r.origin.y + r.size.height / 2;
    case A::MaxY:
        return r.origin.y + r.size.height;
    case A::Height:
        return r.size.height;
    }
    return 0;
}

// One axis: where it starts and how long it is, from its constraints.
void solve(std::optional<double> min, std::optional<double> mid, std::optional<double> max,
           std::optional<double> extent, double& origin, double& length) {
    if (extent) {
        length = *extent;
    }
    if (min && max) {
        origin = *min;
        length = *max - *min;
    } else if (min) {
        origin = *min;
    } else if (max) {
        origin = *max - length;
    } else if (mid) {
        origin = *mid - length / 2;
    }
}

} // namespace

void ConstraintLayoutManager::layoutSublayersOfLayer(Layer& layer) {
    const Rect superBounds = layer.bounds();
    for (const auto& sublayer : layer.sublayers()) {
        const auto& constraints = sublayer->constraints();
        if (constraints.empty()) {
            continue;
        }
        std::optional<double> values[8];
        for (const auto& c : constraints) {
            Rect source = superBounds;
            if (c.sourceName != "superlayer") {
                const auto sibling = layer.sublayerNamed(c.sourceName);
                if (!sibling || sibling == sublayer) {
                    continue;
                }
                source = sibling->frame();
            }
            values[static_cast<int>(c.attribute)] =
                valueOf(c.sourceAttribute, source) * c.scale + c.offset;
        }
        Rect frame = sublayer->frame();
        solve(values[static_cast<int>(A::MinX)], values[static_cast<int>(A::MidX)],
              values[static_cast<int>(A::MaxX)], values[static_cast<int>(A::Width)], frame.origin.x,
              frame.size.width);
        solve(values[static_cast<int>(A::MinY)], values[static_cast<int>(A::MidY)],
              values[static_cast<int>(A::MaxY)], values[static_cast<int>(A::Height)],
              frame.origin.y, frame.size.height);
        sublayer->setFrame(frame);
    }
}

} // namespace platform
