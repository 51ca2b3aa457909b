#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

#include <cstdint>

// A call-out bubble: a rounded body with a small triangular arrow in one of twelve places (or
// none), filled with a vertical gradient made from one base colour. Besides drawing, it says
// where the arrow's tip lies in a frame and converts between a bubble's frame and the
// rectangle left free for content, which is what the tool window needs to point at a spot.
//
// Left bubbles lie left of the point they point at, with the arrow on their right side; top
// bubbles lie above it, with the arrow on their bottom side.
class QXBubbleView : public platform::View {
public:
    static constexpr int leftUpBubble() { return 0; }
    static constexpr int leftCenterBubble() { return 1; }
    static constexpr int leftDownBubble() { return 2; }
    static constexpr int rightUpBubble() { return 3; }
    static constexpr int rightCenterBubble() { return 4; }
    static constexpr int rightDownBubble() { return 5; }
    static constexpr int topLeftBubble() { return 6; }
    static constexpr int topCenterBubble() { return 7; }
    static constexpr int topRightBubble() { return 8; }
    static constexpr int bottomLeftBubble() { return 9; }
    static constexpr int bottomCenterBubble() { return 10; }
    static constexpr int bottomRightBubble() { return 11; }
    static constexpr int freeBubble() { return 12; }

    explicit QXBubbleView(const platform::Rect& frame = {});

    // Setters only store; callers redraw when they want the change seen.
    std::int32_t type() const { return _type; }
    void setType(std::int32_t type) { _type = type; }
    float arrowLength() const { return _arrowLength; }
    void setArrowLength(float length) { _arrowLength = length; }
    float arrowWidth() const { return _arrowWidth; }
    void setArrowWidth(float width) { _arrowWidth = width; }
    // Kept for callers that set it; the drawing does not depend on it.
    bool flatAppearance() const { return _flat; }
    void setFlatAppearance(bool flat) { _flat = flat; }
    const platform::Color& color() const { return _color; }
    void setColor(const platform::Color& color) { _color = color; }
    float cornerRadius() const { return _cornerRadius; }
    void setCornerRadius(float radius) { _cornerRadius = radius; }

    // Where the arrow's tip lies in `frame` for a bubble of `type`; the origin for a bubble
    // without an arrow.
    static platform::Point arrowTipInFrameRect(const platform::Rect& frame, std::int32_t type);
    platform::Point arrowTipInFrameRect(const platform::Rect& frame) const;

    // The body without the arrow, at origin (0, 0).
    platform::Rect contentRectForFrameRect(const platform::Rect& frame) const;
    // The frame that holds `content` plus the arrow, keeping the content's origin.
    platform::Rect frameRectForContentRect(const platform::Rect& content) const;

    void drawRect(const platform::Rect& dirtyRect) override;
    void drawBubbleInRect(const platform::Rect& rect) const;
    // The outline drawBubbleInRect fills: body and arrow as one counter-clockwise path.
    platform::BezierPath bubblePathInRect(const platform::Rect& rect) const;

private:
    std::int32_t _type = 4;
    float _arrowLength = 20;
    float _arrowWidth = 10;
    bool _flat = false;
    platform::Color _color{0.59, 0.59, 0.59, 0.97};
    float _cornerRadius = 10;
};
