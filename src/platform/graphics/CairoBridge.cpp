#include "platform/graphics/CairoBridge.h"

#include <cairo.h>
#include <cmath>

namespace platform::detail {

int cairoOperator(CompositingOperation operation) {
    switch (operation) {
    case CompositingOperation::Clear:
        return CAIRO_OPERATOR_CLEAR;
    case CompositingOperation::Copy:
        return CAIRO_OPERATOR_SOURCE;
    case CompositingOperation::SourceOver:
    case CompositingOperation::Highlight:
        return CAIRO_OPERATOR_OVER;
    case CompositingOperation::SourceIn:
        return CAIRO_OPERATOR_IN;
    case CompositingOperation::SourceOut:
        return CAIRO_OPERATOR_OUT;
    case CompositingOperation::SourceAtop:
        return CAIRO_OPERATOR_ATOP;
    case CompositingOperation::DestinationOver:
        return CAIRO_OPERATOR_DEST_OVER;
    case CompositingOperation::DestinationIn:
        return CAIRO_OPERATOR_DEST_IN;
    case CompositingOperation::DestinationOut:
        return CAIRO_OPERATOR_DEST_OUT;
    case CompositingOperation::DestinationAtop:
        return CAIRO_OPERATOR_DEST_ATOP;
    case CompositingOperation::XOR:
        return CAIRO_OPERATOR_XOR;
    case CompositingOperation::PlusDarker:
        return CAIRO_OPERATOR_MULTIPLY;
    case CompositingOperation::PlusLighter:
        return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

double clampUnit(double value) {
    if (!(value > 0))
        return 0;
    return value > 1 ? 1 : value;
}

void setSourceColor(cairo_t* cr, const Color& color) {
    cairo_set_source_rgba(cr, clampUnit(color.redComponent()), clampUnit(color.greenComponent()),
                          clampUnit(color.blueComponent()), clampUnit(color.alphaComponent()));
}

void appendPath(cairo_t* cr, const BezierPath& path) {
    cairo_new_path(cr);
    for (const auto& e : path.elements()) {
        switch (e.type) {
        case PathElementType::MoveTo:
            cairo_move_to(cr, e.points[0].x, e.points[0].y);
            break;
        case PathElementType::LineTo:
            cairo_line_to(cr, e.points[0].x, e.points[0].y);
            break;
        case PathElementType::CurveTo:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                           e.points[2].x, e.points[2].y);
            break;
        case PathElementType::ClosePath:
            cairo_close_path(cr);
            break;
        }
    }
}

void paintWithOperation(cairo_t* cr, CompositingOperation operation, double alpha) {
    alpha = clampUnit(alpha);
    cairo_save(cr);
    if (operation == CompositingOperation::Copy && alpha < 1.0) {
        // Cairo's SOURCE with an alpha blends towards the source; copying a translucent
        // source means replacing the destination by it, so erase first and paint over.
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    } else {
        cairo_set_operator(cr, static_cast<cairo_operator_t>(cairoOperator(operation)));
    }
    if (alpha >= 1.0)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

} // namespace platform::detail
