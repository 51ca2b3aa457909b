#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/layers/LayerAction.h"
#include "platform/layers/LayerConstraint.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class GraphicsContext;
class Image;
class Layer;

// Decides how a layer's changes show. nullopt leaves it to the default: a fade of the
// transaction's duration for opacity and visibility.
class LayerDelegate {
public:
    virtual ~LayerDelegate() = default;
    virtual std::optional<LayerAction> actionForLayer(Layer& layer, std::string_view key) = 0;
};

enum class ContentsGravity {
    // Stretched to the bounds.
    resize,
    // Scaled to fit inside the bounds, keeping its proportions, centred.
    resizeAspect,
};

// A node of a tree of rectangles drawn by the platform itself: background, rounded corners,
// border and shadow, an image as contents, and sublayers drawn in z order over their parent,
// optionally clipped to it. Coordinates grow upwards, like an unflipped view; a frame is in the
// superlayer's coordinates. Layers with constraints are placed by their superlayer's
// constraint layout. Opacity and visibility fade or push as their action says, against the
// main run loop's clock; a host redraws the tree while `isAnimating` holds. Main thread only.
class Layer : public std::enable_shared_from_this<Layer> {
public:
    static std::shared_ptr<Layer> layer() { return std::make_shared<Layer>(); }
    Layer() = default;
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    LayerDelegate* delegate() const { return delegate_; }
    // Not owned.
    void setDelegate(LayerDelegate* delegate) { delegate_ = delegate; }

    // The tree.
    void addSublayer(std::shared_ptr<Layer> layer);
    void removeFromSuperlayer();
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    Layer* superlayer() const { return superlayer_; }
    // The direct sublayer of that name, or nullptr.
    std::shared_ptr<Layer> sublayerNamed(std::string_view name) const;
    Layer* rootLayer();

    // Geometry.
    Rect frame() const { return frame_; }
    void setFrame(const Rect& frame);
    Rect bounds() const { return {0, 0, frame_.size.width, frame_.size.height}; }
    Point anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(Point point) { anchorPoint_ = point; }
    double zPosition() const { return zPosition_; }
    void setZPosition(double z);

    // Look.
    const std::optional<Color>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    const std::optional<Color>& borderColor() const { return borderColor_; }
    void setBorderColor(std::optional<Color> color);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    const std::optional<Color>& shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<Color> color);
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius);
    Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Size offset);
    double shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(double opacity);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool flag);
    const std::shared_ptr<Image>& contents() const { return contents_; }
    void setContents(std::shared_ptr<Image> image);
    ContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(ContentsGravity gravity);

    // Visibility and opacity, as set (the model); what shows during a fade is `presentation`.
    bool isHidden() const { return hidden_; }
    void setHidden(bool flag);
    double opacity() const { return opacity_; }
    void setOpacity(double opacity);
    // The opacity drawn now, fades included (0 for a hidden layer that has faded out).
    double presentationOpacity() const;
    // Where the layer is drawn now, pushes included.
    Rect presentationFrame() const;
    // Whether this layer or one below it is fading or pushing now.
    bool isAnimating() const;

    // Constraints and layout.
    const std::vector<LayerConstraint>& constraints() const { return constraints_; }
    void addConstraint(LayerConstraint constraint);
    void removeAllConstraints() { constraints_.clear(); }
    // Whether the sublayers are placed by their constraints.
    bool usesConstraintLayout() const { return constraintLayout_; }
    void setUsesConstraintLayout(bool flag) { constraintLayout_ = flag; }
    void setNeedsLayout() { needsLayout_ = true; }
    bool needsLayout() const { return needsLayout_; }
    // Lays this layer's sublayers out when asked to, then theirs.
    void layoutIfNeeded();
    virtual void layoutSublayers();

    // Hit testing. Points are in the superlayer's coordinates for hitTest and containsPoint's
    // caller converts to the layer's own.
    bool containsPoint(Point point) const;
    // The deepest shown layer under the point (in the superlayer's coordinates), topmost in z
    // order first; nullptr when none.
    Layer* hitTest(Point point);
    Point convertPointFromLayer(Point point, const Layer* layer) const;
    Point convertPointToLayer(Point point, const Layer* layer) const;

    // Drawing. Renders the tree into the context, this layer's frame origin at the context's
    // origin offset by the frame.
    void renderInContext(GraphicsContext& context);
    // Asks the host to redraw (the root's observer is told).
    void setNeedsDisplay();
    void setDisplayObserver(std::function<void()> observer) { observer_ = std::move(observer); }

protected:
    // A layer's own drawing, over its background and contents and under its sublayers, in
    // its bounds; the context is current.
    virtual void drawInContext(GraphicsContext& /*context*/) {}

private:
    struct Animation {
        // "hidden" or "opacity".
        std::string key;
        LayerAction action;
        double start = 0;
        double from = 0;
        double to = 1;
        // For pushes and hides: whether the layer is going away.
        bool leaving = false;
    };
    void render(GraphicsContext& context, double now);
    // What a change of `key` does, the delegate and the open transaction asked.
    LayerAction actionForKey(std::string_view key);
    double animationProgress(double now) const;
    Point originInRoot() const;

    std::string name_;
    LayerDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<Layer>> sublayers_;
    Layer* superlayer_ = nullptr;
    Rect frame_;
    Point anchorPoint_{0.5, 0.5};
    double zPosition_ = 0;
    std::optional<Color> backgroundColor_;
    double cornerRadius_ = 0;
    std::optional<Color> borderColor_;
    double borderWidth_ = 0;
    std::optional<Color> shadowColor_;
    double shadowRadius_ = 3;
    Size shadowOffset_{0, -3};
    double shadowOpacity_ = 0;
    bool masksToBounds_ = false;
    std::shared_ptr<Image> contents_;
    ContentsGravity contentsGravity_ = ContentsGravity::resize;
    bool hidden_ = false;
    double opacity_ = 1;
    std::optional<Animation> animation_;
    std::vector<LayerConstraint> constraints_;
    bool constraintLayout_ = false;
    bool needsLayout_ = true;
    std::function<void()> observer_;
};

} // namespace platform
