#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/CairoBridge.h"
#include "platform/graphics/Image.h"

#include <cairo.h>
#include <cassert>
#include <cmath>
#include <vector>

namespace platform {

namespace {

struct State {
    Color fill{0, 0, 0, 1};
    Color stroke{0, 0, 0, 1};
    CompositingOperation operation = CompositingOperation::SourceOver;
    bool flipped = false;
    bool antialias = true;
};

std::vector<GraphicsContext*>& contextStack() {
    static std::vector<GraphicsContext*> stack;
    return stack;
}

AffineTransform fromCairo(const cairo_matrix_t& m) {
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

cairo_matrix_t toCairo(const AffineTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.m11, t.m12, t.m21, t.m22, t.tX, t.tY);
    return m;
}

void applyStrokeStyle(cairo_t* cr, const BezierPath& path) {
    cairo_set_line_width(cr, path.lineWidth());
    switch (path.lineCapStyle()) {
    case LineCapStyle::Butt:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        break;
    case LineCapStyle::Round:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        break;
    case LineCapStyle::Square:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        break;
    }
    switch (path.lineJoinStyle()) {
    case LineJoinStyle::Miter:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        break;
    case LineJoinStyle::Round:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        break;
    case LineJoinStyle::Bevel:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
        break;
    }
    cairo_set_miter_limit(cr, path.miterLimit());
    const auto& dash = path.lineDash();
    cairo_set_dash(cr, dash.empty() ? nullptr : dash.data(), static_cast<int>(dash.size()),
                   path.lineDashPhase());
}

} // namespace

struct GraphicsContext::Impl {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0;
    int height = 0;
    double scaleX = 1;
    double scaleY = 1;
    cairo_matrix_t base{};
    State state;
    std::vector<State> saved;

    Impl(cairo_surface_t* s, int w, int h, double sx, double sy, bool flipped)
        : surface(s), width(w), height(h), scaleX(sx), scaleY(sy) {
        cr = cairo_create(surface);
        if (flipped)
            cairo_matrix_init(&base, sx, 0, 0, sy, 0, 0);
        else
            cairo_matrix_init(&base, sx, 0, 0, -sy, 0, h);
        cairo_set_matrix(cr, &base);
        state.flipped = flipped;
    }
    ~Impl() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
};

GraphicsContext::GraphicsContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GraphicsContext::~GraphicsContext() {
    // A context that is destroyed while current must not stay reachable.
    auto& stack = contextStack();
    for (auto& entry : stack) {
        if (entry == this)
            entry = nullptr;
    }
}

std::unique_ptr<GraphicsContext> GraphicsContext::bitmapContext(int pixelsWide, int pixelsHigh,
                                                                double scale, bool flipped) {
    pixelsWide = std::max(0, pixelsWide);
    pixelsHigh = std::max(0, pixelsHigh);
    if (!(scale > 0))
        scale = 1;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsWide, pixelsHigh);
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(
        std::make_unique<Impl>(surface, pixelsWide, pixelsHigh, scale, scale, flipped)));
}

std::unique_ptr<GraphicsContext> GraphicsContext::contextWithPixels(unsigned char* data,
                                                                    int pixelsWide, int pixelsHigh,
                                                                    int stride, double scale,
                                                                    bool flipped) {
    if (!(scale > 0))
        scale = 1;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32,
                                                                   pixelsWide, pixelsHigh, stride);
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(
        std::make_unique<Impl>(surface, pixelsWide, pixelsHigh, scale, scale, flipped)));
}

std::unique_ptr<GraphicsContext> GraphicsContext::contextWithImage(Image& image, bool flipped) {
    cairo_surface_t* surface = image.cairoSurface();
    cairo_surface_reference(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const Size size = image.size();
    const double sx = size.width > 0 ? w / size.width : 1;
    const double sy = size.height > 0 ? h / size.height : 1;
    return std::unique_ptr<GraphicsContext>(
        new GraphicsContext(std::make_unique<Impl>(surface, w, h, sx, sy, flipped)));
}

GraphicsContext* GraphicsContext::currentContext() {
    auto& stack = contextStack();
    return stack.empty() ? nullptr : stack.back();
}

void GraphicsContext::setCurrentContext(GraphicsContext* context) {
    auto& stack = contextStack();
    if (stack.empty())
        stack.push_back(context);
    else
        stack.back() = context;
}

void GraphicsContext::pushContext(GraphicsContext* context) {
    contextStack().push_back(context);
}

void GraphicsContext::popContext() {
    auto& stack = contextStack();
    assert(!stack.empty() && "popContext without pushContext");
    if (!stack.empty())
        stack.pop_back();
}

void GraphicsContext::saveCurrentGraphicsState() {
    if (auto* context = currentContext())
        context->saveGraphicsState();
}

void GraphicsContext::restoreCurrentGraphicsState() {
    if (auto* context = currentContext())
        context->restoreGraphicsState();
}

void GraphicsContext::saveGraphicsState() {
    cairo_save(impl_->cr);
    impl_->saved.push_back(impl_->state);
}

void GraphicsContext::restoreGraphicsState() {
    if (impl_->saved.empty())
        return;
    cairo_restore(impl_->cr);
    impl_->state = impl_->saved.back();
    impl_->saved.pop_back();
}

bool GraphicsContext::isFlipped() const {
    return impl_->state.flipped;
}

void GraphicsContext::flipCoordinates(double height) {
    cairo_translate(impl_->cr, 0, height);
    cairo_scale(impl_->cr, 1, -1);
    impl_->state.flipped = !impl_->state.flipped;
}

CompositingOperation GraphicsContext::compositingOperation() const {
    return impl_->state.operation;
}

void GraphicsContext::setCompositingOperation(CompositingOperation operation) {
    impl_->state.operation = operation;
}

bool GraphicsContext::shouldAntialias() const {
    return impl_->state.antialias;
}

void GraphicsContext::setShouldAntialias(bool antialias) {
    impl_->state.antialias = antialias;
    cairo_set_antialias(impl_->cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

const Color& GraphicsContext::fillColor() const {
    return impl_->state.fill;
}

void GraphicsContext::setFillColor(const Color& color) {
    impl_->state.fill = color;
}

const Color& GraphicsContext::strokeColor() const {
    return impl_->state.stroke;
}

void GraphicsContext::setStrokeColor(const Color& color) {
    impl_->state.stroke = color;
}

void GraphicsContext::translate(double dx, double dy) {
    cairo_translate(impl_->cr, dx, dy);
}

void GraphicsContext::scale(double sx, double sy) {
    if (sx == 0 || sy == 0 || !std::isfinite(sx) || !std::isfinite(sy))
        return; // a singular matrix would put Cairo into an error state for good
    cairo_scale(impl_->cr, sx, sy);
}

void GraphicsContext::rotateByDegrees(double degrees) {
    cairo_rotate(impl_->cr, degrees * M_PI / 180.0);
}

void GraphicsContext::concat(const AffineTransform& transform) {
    const double det = transform.m11 * transform.m22 - transform.m12 * transform.m21;
    if (det == 0 || !std::isfinite(det))
        return;
    const cairo_matrix_t m = toCairo(transform);
    cairo_transform(impl_->cr, &m);
}

void GraphicsContext::setTransform(const AffineTransform& transform) {
    const double det = transform.m11 * transform.m22 - transform.m12 * transform.m21;
    if (det == 0 || !std::isfinite(det))
        return;
    const cairo_matrix_t t = toCairo(transform);
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &t, &impl_->base);
    cairo_set_matrix(impl_->cr, &m);
}

AffineTransform GraphicsContext::currentTransform() const {
    cairo_matrix_t m;
    cairo_get_matrix(impl_->cr, &m);
    cairo_matrix_t inverseBase = impl_->base;
    cairo_matrix_invert(&inverseBase);
    cairo_matrix_t user;
    cairo_matrix_multiply(&user, &m, &inverseBase);
    return fromCairo(user);
}

void GraphicsContext::clipToRect(const Rect& rect) {
    cairo_new_path(impl_->cr);
    cairo_rectangle(impl_->cr, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(impl_->cr);
}

void GraphicsContext::clipToPath(const BezierPath& path) {
    detail::appendPath(impl_->cr, path);
    cairo_set_fill_rule(impl_->cr, path.windingRule() == WindingRule::EvenOdd
                                       ? CAIRO_FILL_RULE_EVEN_ODD
                                       : CAIRO_FILL_RULE_WINDING);
    cairo_clip(impl_->cr);
}

void GraphicsContext::resetClip() {
    cairo_reset_clip(impl_->cr);
}

Rect GraphicsContext::clipBoundingBox() const {
    double x0, y0, x1, y1;
    cairo_clip_extents(impl_->cr, &x0, &y0, &x1, &y1);
    return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
}

void GraphicsContext::fillPath(const BezierPath& path) {
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    detail::appendPath(cr, path);
    cairo_set_fill_rule(cr, path.windingRule() == WindingRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                       : CAIRO_FILL_RULE_WINDING);
    detail::setSourceColor(cr, impl_->state.fill);
    cairo_set_operator(
        cr, static_cast<cairo_operator_t>(detail::cairoOperator(impl_->state.operation)));
    cairo_fill(cr);
    cairo_restore(cr);
}

void GraphicsContext::strokePath(const BezierPath& path) {
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    detail::appendPath(cr, path);
    applyStrokeStyle(cr, path);
    detail::setSourceColor(cr, impl_->state.stroke);
    cairo_set_operator(
        cr, static_cast<cairo_operator_t>(detail::cairoOperator(impl_->state.operation)));
    cairo_stroke(cr);
    cairo_restore(cr);
}

void GraphicsContext::fillRect(const Rect& rect) {
    fillRect(rect, impl_->state.operation);
}

void GraphicsContext::fillRect(const Rect& rect, CompositingOperation operation) {
    if (rect.isEmpty())
        return;
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(cr);
    detail::setSourceColor(cr, impl_->state.fill);
    detail::paintWithOperation(cr, operation);
    cairo_restore(cr);
}

void GraphicsContext::clear() {
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
}

int GraphicsContext::pixelsWide() const {
    return impl_->width;
}

int GraphicsContext::pixelsHigh() const {
    return impl_->height;
}

double GraphicsContext::backingScaleFactor() const {
    return impl_->scaleX;
}

Size GraphicsContext::size() const {
    return {impl_->width / impl_->scaleX, impl_->height / impl_->scaleY};
}

std::shared_ptr<Image> GraphicsContext::makeImage() const {
    cairo_surface_flush(impl_->surface);
    cairo_surface_t* copy =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, impl_->width, impl_->height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, impl_->surface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return Image::adoptSurface(copy, size());
}

bool GraphicsContext::writePNG(const std::filesystem::path& path) const {
    cairo_surface_flush(impl_->surface);
    return cairo_surface_write_to_png(impl_->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

void GraphicsContext::flush() {
    cairo_surface_flush(impl_->surface);
}

cairo_t* GraphicsContext::cairo() const {
    return impl_->cr;
}

GraphicsStateSaver::GraphicsStateSaver() : context_(GraphicsContext::currentContext()) {
    if (context_)
        context_->saveGraphicsState();
}

GraphicsStateSaver::~GraphicsStateSaver() {
    if (context_)
        context_->restoreGraphicsState();
}

void RectFill(const Rect& rect) {
    RectFillUsingOperation(rect, CompositingOperation::Copy);
}

void RectFillUsingOperation(const Rect& rect, CompositingOperation operation) {
    if (auto* context = GraphicsContext::currentContext())
        context->fillRect(rect, operation);
}

void FrameRect(const Rect& rect) {
    FrameRectWithWidth(rect, 1.0);
}

void FrameRectWithWidth(const Rect& rect, double width) {
    FrameRectWithWidthUsingOperation(rect, width, CompositingOperation::Copy);
}

void FrameRectWithWidthUsingOperation(const Rect& rect, double width,
                                      CompositingOperation operation) {
    auto* context = GraphicsContext::currentContext();
    if (!context || rect.isEmpty())
        return;
    // Four strips inside the rectangle, so that a frame never paints outside what it frames.
    const double w = std::min(width, rect.width() / 2);
    const double h = std::min(width, rect.height() / 2);
    context->fillRect({rect.minX(), rect.minY(), rect.width(), h}, operation);
    context->fillRect({rect.minX(), rect.maxY() - h, rect.width(), h}, operation);
    context->fillRect({rect.minX(), rect.minY() + h, w, rect.height() - 2 * h}, operation);
    context->fillRect({rect.maxX() - w, rect.minY() + h, w, rect.height() - 2 * h}, operation);
}

void RectClip(const Rect& rect) {
    if (auto* context = GraphicsContext::currentContext())
        context->clipToRect(rect);
}

} // namespace platform

namespace platform {

namespace {

// Paints two-tone edges one point wide: `light` along the top and left edges as seen on the
// screen, `dark` along the bottom and right.
void litEdges(GraphicsContext& context, const Rect& r, const Color& light, const Color& dark) {
    if (r.isEmpty())
        return;
    const bool flipped = context.isFlipped();
    const Rect top = flipped ? Rect(r.minX(), r.minY(), r.width(), 1)
                             : Rect(r.minX(), r.maxY() - 1, r.width(), 1);
    const Rect bottom = flipped ? Rect(r.minX(), r.maxY() - 1, r.width(), 1)
                                : Rect(r.minX(), r.minY(), r.width(), 1);
    context.setFillColor(dark);
    context.fillRect(bottom, CompositingOperation::SourceOver);
    context.fillRect({r.maxX() - 1, r.minY(), 1, r.height()}, CompositingOperation::SourceOver);
    context.setFillColor(light);
    context.fillRect(top, CompositingOperation::SourceOver);
    context.fillRect({r.minX(), r.minY(), 1, r.height()}, CompositingOperation::SourceOver);
}

} // namespace

void DrawGroove(const Rect& rect, const Rect& clipRect) {
    auto* context = GraphicsContext::currentContext();
    if (!context)
        return;
    GraphicsStateSaver saver;
    context->clipToRect(clipRect);
    litEdges(*context, rect, Color::grayColor(), Color::whiteColor());
    litEdges(*context, rect.insetBy(1, 1), Color::whiteColor(), Color::grayColor());
}

void DrawLightBezel(const Rect& rect, const Rect& clipRect) {
    auto* context = GraphicsContext::currentContext();
    if (!context)
        return;
    GraphicsStateSaver saver;
    context->clipToRect(clipRect);
    context->setFillColor(Color::colorWithCalibratedWhite(0.9, 1));
    context->fillRect(rect.insetBy(2, 2), CompositingOperation::SourceOver);
    litEdges(*context, rect, Color::whiteColor(), Color::grayColor());
    litEdges(*context, rect.insetBy(1, 1), Color::whiteColor(), Color::lightGrayColor());
}

void DrawFocusRing(const BezierPath& path) {
    auto* context = GraphicsContext::currentContext();
    if (!context || path.isEmpty())
        return;
    GraphicsStateSaver saver;
    BezierPath ring = path;
    ring.setLineWidth(6);
    ring.setLineJoinStyle(LineJoinStyle::Round);
    // Only the outer half of the stroke shows: clip away the inside of the shape.
    BezierPath outside = BezierPath::bezierPathWithRect(context->clipBoundingBox());
    outside.appendBezierPath(path);
    outside.setWindingRule(WindingRule::EvenOdd);
    context->clipToPath(outside);
    context->setStrokeColor(Color::keyboardFocusIndicatorColor().colorWithAlphaComponent(0.6));
    context->setCompositingOperation(CompositingOperation::SourceOver);
    context->strokePath(ring);
}

} // namespace platform
