#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

#include <memory>

namespace platform {
class Image;
}

// The view that fills a skinned window and draws its edges. This base draws only the resize
// handle: an image placed relative to a spot anchored at fractions of the view's size, so the
// same brand values fit the window at any size.
class QXBaseFrameView : public platform::View {
public:
    explicit QXBaseFrameView(const platform::Rect& frame = {}) : View(frame) {}

    // Replaces the handle image and its placement; the handle stays hidden until showResize.
    void setResize(std::shared_ptr<platform::Image> image, platform::Point pos,
                   platform::Point anchor);
    void showResize(bool show);
    bool isResizeShown() const { return _showResize; }
    // Whether `point` (window coordinates) lies on the shown handle.
    bool pointInResize(platform::Point point) const;
    // Where the handle image is drawn, in this view's coordinates; empty without an image.
    platform::Rect resizeRect() const;

    const std::shared_ptr<platform::Image>& resizeImage() const { return _resizeImage; }
    platform::Point resizePos() const { return _resizePos; }
    platform::Point resizeAnchor() const { return _resizeAnchor; }

    // The base frame view adds no border: content and frame are the same rectangle.
    virtual platform::Rect frameRectForContentRect(const platform::Rect& rect) const {
        return rect;
    }
    virtual platform::Rect contentRectForFrameRect(const platform::Rect& rect) const {
        return rect;
    }

    void drawRect(const platform::Rect& dirtyRect) override;

private:
    std::shared_ptr<platform::Image> _resizeImage;
    platform::Point _resizePos;
    platform::Point _resizeAnchor;
    bool _showResize = false;
};
