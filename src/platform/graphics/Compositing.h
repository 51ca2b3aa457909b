#pragma once

namespace platform {

// How drawn pixels combine with those already there (Porter-Duff operators). Copy replaces
// the destination inside the drawn shape, source colour and alpha alike; SourceOver is
// ordinary painting; SourceAtop paints only where the destination already has coverage and
// keeps its alpha (tinting an icon); Clear erases. Highlight paints as SourceOver, as it did
// on the original platform; PlusDarker darkens (an approximation), PlusLighter adds.
enum class CompositingOperation {
    Clear,
    Copy,
    SourceOver,
    SourceIn,
    SourceOut,
    SourceAtop,
    DestinationOver,
    DestinationIn,
    DestinationOut,
    DestinationAtop,
    XOR,
    PlusDarker,
    Highlight,
    PlusLighter,
};

} // namespace platform
