#pragma once

#include "widgets/QXBaseFrameView.h"

#include <memory>

class QXGradient;
class QXOutlinePath;

// The standard frame view of a skinned window: it paints the window's shape (a gradient
// filling an outline, or the whole bounds) and keeps the margins that place the content view
// inside it. The margins never limit the painting; they only place the content.
class QXFrameView : public QXBaseFrameView {
public:
    explicit QXFrameView(const platform::Rect& frame = {}) : QXBaseFrameView(frame) {}

    void setGradient(std::shared_ptr<QXGradient> gradient);
    const std::shared_ptr<QXGradient>& gradient() const { return _gradient; }
    void setOutlinePath(std::shared_ptr<QXOutlinePath> outlinePath);
    const std::shared_ptr<QXOutlinePath>& outlinePath() const { return _outlinePath; }
    // Takes effect at the next placement or resize of the content view.
    void setMarginsLeft(float left, float right, float top, float bottom);
    float leftMargin() const { return _leftMargin; }
    float rightMargin() const { return _rightMargin; }
    float topMargin() const { return _topMargin; }
    float bottomMargin() const { return _bottomMargin; }

    // The content rectangle grown by the margins (origin kept).
    platform::Rect frameRectForContentRect(const platform::Rect& rect) const override;
    // The frame's size less the margins, placed at (left, bottom) in this view's own
    // coordinates: the origin of `rect` is ignored.
    platform::Rect contentRectForFrameRect(const platform::Rect& rect) const override;

    // Every mouse-down anywhere in the window reaches the window's observer views from here.
    platform::View* hitTest(platform::Point point) override;
    void drawRect(const platform::Rect& dirtyRect) override;
    bool isOpaque() const override { return true; }

private:
    std::shared_ptr<QXGradient> _gradient;
    std::shared_ptr<QXOutlinePath> _outlinePath;
    float _leftMargin = 0;
    float _rightMargin = 0;
    float _topMargin = 0;
    float _bottomMargin = 0;
};
