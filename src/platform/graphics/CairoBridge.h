#pragma once

// Helpers shared by the graphics sources that draw with Cairo. Cairo's own header stays in
// the .cpp files; these take and return its types through forward declarations.

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Compositing.h"

struct _cairo;

namespace platform::detail {

// Cairo's operator (a cairo_operator_t) for a compositing operation.
int cairoOperator(CompositingOperation operation);
// Sets a colour as the source, components clamped to 0..1 (NaN reading 0).
void setSourceColor(_cairo* cr, const Color& color);
double clampUnit(double value);
// Replaces Cairo's current path with the path.
void appendPath(_cairo* cr, const BezierPath& path);
// Fills Cairo's current clip with its current source under `operation`, so that Copy replaces
// the destination by the source (alpha included) and bounded operators stay inside the clip.
void paintWithOperation(_cairo* cr, CompositingOperation operation, double alpha = 1.0);

} // namespace platform::detail
