#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/TabViewItem.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {
class Image;
}
class QXGradient;

// A tab page that draws its own label for QXTabView: a tab shape filled with a gradient and
// outlined in a border colour, a caption, an optional image above the caption and, on the
// selected label, an optional close button that follows the mouse. The tab view decides where
// labels go and passes the mouse on the selected label to its item.
class QXTabViewItem : public platform::TabViewItem {
public:
    // Label shapes.
    static int flareLabel() { return 0; }
    static int buttonLabel() { return 1; }
    static int squareLabel() { return 2; }
    static int hangingLabel() { return 3; }

    // States of the close button.
    static constexpr int kCloseHidden = 0;
    static constexpr int kCloseNormal = 2;
    static constexpr int kCloseHover = 3;
    static constexpr int kClosePressed = 4;

    explicit QXTabViewItem(std::string identifier = {});
    ~QXTabViewItem() override;

    void initialize() override;
    void awake() override;

    int labelStyle() const { return _labelStyle; }
    void setLabelStyle(int style) { _labelStyle = style; }
    const std::shared_ptr<QXGradient>& labelActiveGradient() const { return _labelActiveGradient; }
    void setLabelActiveGradient(std::shared_ptr<QXGradient> gradient) {
        _labelActiveGradient = std::move(gradient);
    }
    const std::shared_ptr<QXGradient>& labelInactiveGradient() const {
        return _labelInactiveGradient;
    }
    void setLabelInactiveGradient(std::shared_ptr<QXGradient> gradient) {
        _labelInactiveGradient = std::move(gradient);
    }
    const std::optional<platform::Color>& labelBorderColor() const { return _labelBorderColor; }
    void setLabelBorderColor(std::optional<platform::Color> color) { _labelBorderColor = color; }
    const std::shared_ptr<platform::Image>& labelImage() const { return _labelImage; }
    void setLabelImage(std::shared_ptr<platform::Image> image) { _labelImage = std::move(image); }
    bool labelCanClose() const { return _labelHasClose; }
    void setLabelCanClose(bool flag) { _labelHasClose = flag; }
    bool labelHasCaption() const { return _labelHasCaption; }
    void setLabelHasCaption(bool flag) { _labelHasCaption = flag; }
    bool borderOnInactiveTabs() const { return _borderOnInactiveTabs; }
    void setBorderOnInactiveTabs(bool flag) { _borderOnInactiveTabs = flag; }

    // What the close button shows now, and the rectangle of the last label drawn.
    int closeButtonState() const { return _closeButtonState; }
    platform::Rect currentRect() const { return _currentRect; }

    // Draws the label in `rect` of the tab view. The caption is always cut at its tail,
    // whatever `shouldTruncateLabel` says.
    void drawLabel(bool shouldTruncateLabel, const platform::Rect& rect) override;

    // The label outlines for a rectangle: the selected label's fill and border, and the
    // others'. The border shapes do not depend on the style.
    platform::BezierPath labelShape(const platform::Rect& rect) const;
    platform::BezierPath labelBorderShape(const platform::Rect& rect) const;
    platform::BezierPath inactiveLabelShape(const platform::Rect& rect) const;
    platform::BezierPath inactiveLabelBorderShape(const platform::Rect& rect) const;

    // The close button: a 12-point circle with a cross at the left of the current label.
    platform::Rect closeButtonRect() const;
    platform::BezierPath closeButtonPath() const;
    void drawCloseButton(int state) const;

    // The mouse on the selected label, points in the tab view. mouseDownInLabel answers
    // whether the press went to the close button, mouseUpInLabel whether the item is to close.
    bool mouseDownInLabel(platform::Point point);
    bool mouseUpInLabel(platform::Point point);
    void mouseMovedInLabel(platform::Point point);
    void mouseExitedLabel();

private:
    bool isOverCloseButton(platform::Point point) const;

    int _labelStyle = 0;
    std::shared_ptr<QXGradient> _labelActiveGradient;
    std::shared_ptr<QXGradient> _labelInactiveGradient;
    std::optional<platform::Color> _labelBorderColor;
    bool _labelHasClose = false;
    bool _labelHasCaption = true;
    bool _borderOnInactiveTabs = false;
    std::shared_ptr<platform::Image> _labelImage;
    int _closeButtonState = kCloseNormal;
    platform::Rect _currentRect;
    bool _closePressed = false;
};
