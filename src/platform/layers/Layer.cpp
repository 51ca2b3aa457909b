#include "platform/layers/Layer.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/layers/ConstraintLayoutManager.h"
#include "platform/layers/Transaction.h"

#include <algorithm>
#include <cairo.h>

namespace platform {

namespace {

double now() {
    return RunLoop::main().now();
}

BezierPath shapeOf(const Rect& rect, double radius) {
    if (radius <= 0) {
        return BezierPath::bezierPathWithRect(rect);
    }
    const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
    return BezierPath::bezierPathWithRoundedRect(rect, r, r);
}

// The sublayers in drawing order: lower z first, equal z in the order they were added.
std::vector<Layer*> inZOrder(const std::vector<std::shared_ptr<Layer>>& layers) {
    std::vector<Layer*> ordered;
    ordered.reserve(layers.size());
    for (const auto& layer : layers) {
        ordered.push_back(layer.get());
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](Layer* a, Layer* b) { return a->zPosition() < b->zPosition(); });
    return ordered;
}

} // namespace

Layer::~Layer() {
    for (const auto& sublayer : sublayers_) {
        sublayer->superlayer_ = nullptr;
    }
}

void Layer::addSublayer(std::shared_ptr<Layer> layer) {
    if (!layer || layer.get() == this) {
        return;
    }
    layer->removeFromSuperlayer();
    layer->superlayer_ = this;
    sublayers_.push_back(std::move(layer));
    setNeedsLayout();
    setNeedsDisplay();
}

void Layer::removeFromSuperlayer() {
    Layer* parent = superlayer_;
    if (!parent) {
        return;
    }
    auto self = shared_from_this();
    superlayer_ = nullptr;
    auto& siblings = parent->sublayers_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    parent->setNeedsDisplay();
}

std::shared_ptr<Layer> Layer::sublayerNamed(std::string_view name) const {
    for (const auto& layer : sublayers_) {
        if (layer->name_ == name) {
            return layer;
        }
    }
    return nullptr;
}

Layer* Layer::rootLayer() {
    Layer* layer = this;
    while (layer->superlayer_) {
        layer = layer->superlayer_;
    }
    return layer;
}

void Layer::setFrame(const Rect& frame) {
    if (frame_ == frame) {
        return;
    }
    if (frame_.size != frame.size) {
        needsLayout_ = true;
    }
    frame_ = frame;
    setNeedsDisplay();
}

void Layer::setZPosition(double z) {
    zPosition_ = z;
    setNeedsDisplay();
}

void Layer::setBackgroundColor(std::optional<Color> color) {
    backgroundColor_ = std::move(color);
    setNeedsDisplay();
}

void Layer::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    setNeedsDisplay();
}

void Layer::setBorderColor(std::optional<Color> color) {
    borderColor_ = std::move(color);
    setNeedsDisplay();
}

void Layer::setBorderWidth(double width) {
    borderWidth_ = width;
    setNeedsDisplay();
}

void Layer::setShadowColor(std::optional<Color> color) {
    shadowColor_ = std::move(color);
    setNeedsDisplay();
}

void Layer::setShadowRadius(double radius) {
    shadowRadius_ = radius;
    setNeedsDisplay();
}

void Layer::setShadowOffset(Size offset) {
    shadowOffset_ = offset;
    setNeedsDisplay();
}

void Layer::setShadowOpacity(double opacity) {
    shadowOpacity_ = opacity;
    setNeedsDisplay();
}

void Layer::setMasksToBounds(bool flag) {
    masksToBounds_ = flag;
    setNeedsDisplay();
}

void Layer::setContents(std::shared_ptr<Image> image) {
    contents_ = std::move(image);
    setNeedsDisplay();
}

void Layer::setContentsGravity(ContentsGravity gravity) {
    contentsGravity_ = gravity;
    setNeedsDisplay();
}

LayerAction Layer::actionForKey(std::string_view key) {
    if (Transaction::disableActions()) {
        return LayerAction::none();
    }
    if (delegate_) {
        if (auto action = delegate_->actionForLayer(*this, key)) {
            return *action;
        }
    }
    return LayerAction::fade(Transaction::animationDuration());
}

double Layer::animationProgress(double t) const {
    if (!animation_ || animation_->action.duration <= 0) {
        return 1;
    }
    return std::clamp((t - animation_->start) / animation_->action.duration, 0.0, 1.0);
}

void Layer::setHidden(bool flag) {
    if (hidden_ == flag) {
        return;
    }
    // The action is asked while the flag still reads its old value.
    const LayerAction action = actionForKey("hidden");
    const double t = now();
    double shown = hidden_ ? 0 : 1;
    if (animation_ && animation_->key == "hidden" && animationProgress(t) < 1 &&
        animation_->action.kind == LayerAction::Kind::fade) {
        shown = animation_->from + (animation_->to - animation_->from) * animationProgress(t);
    }
    hidden_ = flag;
    if (action.kind != LayerAction::Kind::none && action.duration > 0) {
        animation_ = Animation{"hidden", action, t, shown, flag ? 0.0 : 1.0, flag};
    } else {
        animation_.reset();
    }
    setNeedsDisplay();
}

void Layer::setOpacity(double opacity) {
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity_ == opacity) {
        return;
    }
    const double from = presentationOpacity();
    const LayerAction action = actionForKey("opacity");
    opacity_ = opacity;
    if (!hidden_ && action.kind != LayerAction::Kind::none && action.duration > 0) {
        animation_ =
            Animation{"opacity", LayerAction::fade(action.duration), now(), from, opacity, false};
    } else if (animation_ && animation_->key == "opacity") {
        animation_.reset();
    }
    setNeedsDisplay();
}

double Layer::presentationOpacity() const {
    const double t = now();
    if (animation_ && animationProgress(t) < 1) {
        const double p = animationProgress(t);
        const double value = animation_->from + (animation_->to - animation_->from) * p;
        if (animation_->key == "opacity") {
            return value;
        }
        if (animation_->action.kind == LayerAction::Kind::push) {
            return opacity_;
        }
        return value * opacity_;
    }
    return hidden_ ? 0 : opacity_;
}

Rect Layer::presentationFrame() const {
    const double t = now();
    if (animation_ && animation_->key == "hidden" &&
        animation_->action.kind == LayerAction::Kind::push && animationProgress(t) < 1) {
        const double p = animationProgress(t);
        // Coming in, the layer travels from one height away to its place; leaving, the other
        // way round.
        const double away = animation_->leaving ? p : 1 - p;
        const double direction = animation_->action.fromTop ? 1 : -1;
        return frame_.offsetBy(0, direction * away * frame_.height());
    }
    return frame_;
}

bool Layer::isAnimating() const {
    if (animation_ && animationProgress(now()) < 1) {
        return true;
    }
    return std::any_of(sublayers_.begin(), sublayers_.end(),
                       [](const auto& layer) { return layer->isAnimating(); });
}

void Layer::addConstraint(LayerConstraint constraint) {
    constraints_.push_back(std::move(constraint));
    if (superlayer_) {
        superlayer_->setNeedsLayout();
    }
}

void Layer::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSublayers();
    }
    for (const auto& sublayer : sublayers_) {
        sublayer->layoutIfNeeded();
    }
}

void Layer::layoutSublayers() {
    ConstraintLayoutManager::layoutSublayersOfLayer(*this);
}

bool Layer::containsPoint(Point point) const {
    return point.x >= 0 && point.y >= 0 && point.x <= frame_.width() && point.y <= frame_.height();
}

Layer* Layer::hitTest(Point point) {
    if (hidden_) {
        return nullptr;
    }
    const Point local{point.x - frame_.minX(), point.y - frame_.minY()};
    if (!containsPoint(local)) {
        return nullptr;
    }
    auto ordered = inZOrder(sublayers_);
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        if (Layer* hit = (*it)->hitTest(local)) {
            return hit;
        }
    }
    return this;
}

Point Layer::originInRoot() const {
    Point origin;
    for (const Layer* layer = this; layer && layer->superlayer_; layer = layer->superlayer_) {
        origin = origin.offsetBy(layer->frame_.minX(), layer->frame_.minY());
    }
    return origin;
}

Point Layer::convertPointFromLayer(Point point, const Layer* layer) const {
    const Point from = layer ? layer->originInRoot() : Point{};
    const Point to = originInRoot();
    return {point.x + from.x - to.x, point.y + from.y - to.y};
}

Point Layer::convertPointToLayer(Point point, const Layer* layer) const {
    const Point from = originInRoot();
    const Point to = layer ? layer->originInRoot() : Point{};
    return {point.x + from.x - to.x, point.y + from.y - to.y};
}

void Layer::setNeedsDisplay() {
    Layer* root = rootLayer();
    if (root->observer_) {
        root->observer_();
    }
}

void Layer::renderInContext(GraphicsContext& context) {
    ContextScope scope(context);
    layoutIfNeeded();
    render(context, now());
    // Finished animations are forgotten, so that a finished fade costs nothing later.
    std::vector<Layer*> pending{this};
    while (!pending.empty()) {
        Layer* layer = pending.back();
        pending.pop_back();
        if (layer->animation_ && layer->animationProgress(now()) >= 1) {
            layer->animation_.reset();
        }
        for (const auto& sublayer : layer->sublayers_) {
            pending.push_back(sublayer.get());
        }
    }
}

void Layer::render(GraphicsContext& context, double /*t*/) {
    const double alpha = presentationOpacity();
    if (alpha <= 0.001) {
        return;
    }
    const Rect frame = presentationFrame();
    const Rect bounds{0, 0, frame.width(), frame.height()};
    context.saveGraphicsState();
    context.translate(frame.minX(), frame.minY());
    cairo_t* cr = context.cairo();
    const bool group = alpha < 0.999;
    if (group) {
        cairo_push_group(cr);
    }
    const BezierPath shape = shapeOf(bounds, cornerRadius_);
    if (shadowOpacity_ > 0 && shadowColor_ && !bounds.isEmpty()) {
        // A soft edge of a few widening outlines, strongest next to the layer.
        const int steps = std::clamp(static_cast<int>(shadowRadius_), 1, 5);
        const double step = std::max(shadowRadius_, 1.0) / steps;
        for (int i = steps; i >= 1; --i) {
            const Rect spread = bounds.insetBy(-step * i, -step * i)
                                    .offsetBy(shadowOffset_.width, shadowOffset_.height);
            Color color = *shadowColor_;
            color = color.colorWithAlphaComponent(color.alphaComponent() * shadowOpacity_ /
                                                  (steps + 1));
            context.setFillColor(color);
            context.fillPath(shapeOf(spread, cornerRadius_ + step * i));
        }
    }
    if (backgroundColor_) {
        context.setFillColor(*backgroundColor_);
        context.fillPath(shape);
    }
    context.saveGraphicsState();
    if (masksToBounds_) {
        context.clipToPath(shape);
    }
    if (contents_ && contents_->isValid() && !bounds.isEmpty()) {
        Rect target = bounds;
        const Size size = contents_->size();
        if (contentsGravity_ == ContentsGravity::resizeAspect && size.width > 0 &&
            size.height > 0) {
            const double scale =
                std::min(bounds.width() / size.width, bounds.height() / size.height);
            const Size fitted{size.width * scale, size.height * scale};
            target = {(bounds.width() - fitted.width) / 2, (bounds.height() - fitted.height) / 2,
                      fitted.width, fitted.height};
        }
        contents_->drawInRect(target, ZeroRect, CompositingOperation::SourceOver, 1.0);
    }
    drawInContext(context);
    for (Layer* sublayer : inZOrder(sublayers_)) {
        sublayer->render(context, 0);
    }
    context.restoreGraphicsState();
    if (borderColor_ && borderWidth_ > 0) {
        BezierPath border = shapeOf(bounds.insetBy(borderWidth_ / 2, borderWidth_ / 2),
                                    std::max(cornerRadius_ - borderWidth_ / 2, 0.0));
        border.setLineWidth(borderWidth_);
        context.setStrokeColor(*borderColor_);
        context.strokePath(border);
    }
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    context.restoreGraphicsState();
}

} // namespace platform
