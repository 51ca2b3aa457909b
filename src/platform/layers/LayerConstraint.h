#pragma once

#include <string>

namespace platform {

// Edges, centres and extents of a layer's frame; y grows upwards, so MaxY is the top edge.
enum class ConstraintAttribute { MinX, MidX, MaxX, Width, MinY, MidY, MaxY, Height };

// One relation: an attribute of a layer equals an attribute of a source (its superlayer, or a
// sibling by name) times a scale plus an offset.
struct LayerConstraint {
    ConstraintAttribute attribute = ConstraintAttribute::MinX;
    std::string sourceName = "superlayer";
    ConstraintAttribute sourceAttribute = ConstraintAttribute::MinX;
    double scale = 1;
    double offset = 0;

    static LayerConstraint constraintWithAttribute(ConstraintAttribute attribute,
                                                   std::string relativeTo,
                                                   ConstraintAttribute sourceAttribute,
                                                   double scale, double offset) {
        return {attribute, std::move(relativeTo), sourceAttribute, scale, offset};
    }
    static LayerConstraint constraintWithAttribute(ConstraintAttribute attribute,
                                                   std::string relativeTo,
                                                   ConstraintAttribute sourceAttribute,
                                                   double offset = 0) {
        return {attribute, std::move(relativeTo), sourceAttribute, 1, offset};
    }
};

} // namespace platform
