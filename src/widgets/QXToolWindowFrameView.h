#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Geometry.h"
#include "widgets/QXBaseFrameView.h"

#include <cstdint>
#include <memory>

namespace platform {
class Image;
}
class QXBubbleView;
class QXGradient;

// The frame view of a tool window: it fills the window, draws the background in the shape of
// the window's style and converts between the window's frame and its content. Bubble styles
// hand outline, arrow and conversions to a bubble view that this view owns but never shows.
//
// Styles: 0 drop-down (square top, bottom corners rounded 4), 1 pop-up and 2 toast (rounded 8),
// 3 free bubble, 4 to 6 bubbles right of their anchor (arrow tip at the bottom left, the left
// centre, the top left), 7 to 9 bubbles left of it (bottom right, right centre, top right).
class QXToolWindowFrameView : public QXBaseFrameView {
public:
    explicit QXToolWindowFrameView(const platform::Rect& frame = {});
    ~QXToolWindowFrameView() override;

    std::int32_t style() const { return _type; }
    // Stores the style, gives the bubble view its type and redraws.
    void setStyle(std::int32_t style);
    void updateStyles();

    // Fill of the drop-down, pop-up and toast shapes; bubbles take its middle colour.
    void setBkgGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& bkgGradient() const { return _bkgGradient; }
    // With both images set, they replace the style's shape.
    const std::shared_ptr<platform::Image>& imageBackgroundTop() const {
        return _imageBackgroundTop;
    }
    void setImageBackgroundTop(std::shared_ptr<platform::Image> image);
    const std::shared_ptr<platform::Image>& imageBackgroundBottom() const {
        return _imageBackgroundBottom;
    }
    void setImageBackgroundBottom(std::shared_ptr<platform::Image> image);

    QXBubbleView* bubbleView() const { return _bubbleView.get(); }

    platform::Rect contentRectForFrameRect(const platform::Rect& rect) const override;
    platform::Rect frameRectForContentRect(const platform::Rect& rect) const override;
    // The point of a frame that sits on the window's anchor.
    platform::Point frameAnchorForRect(const platform::Rect& rect) const;
    // The drop-down outline: square top corners, bottom corners rounded with radius 4. Only
    // the rectangle's size counts.
    static platform::BezierPath dropdownPathForRect(const platform::Rect& rect);

    void drawRect(const platform::Rect& dirtyRect) override;
    void drawBackgroundRect();

private:
    std::int32_t _type = 5;
    std::shared_ptr<QXBubbleView> _bubbleView;
    std::shared_ptr<QXGradient> _bkgGradient;
    std::shared_ptr<platform::Image> _imageBackgroundTop;
    std::shared_ptr<platform::Image> _imageBackgroundBottom;
};
