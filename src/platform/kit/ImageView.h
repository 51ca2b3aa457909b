#pragma once

#include "platform/kit/Cell.h"
#include "platform/kit/Control.h"

#include <memory>

namespace platform {

class Image;

// How an image view frames its picture, as the original numbered it.
enum class ImageFrameStyle : int { None = 0, Photo = 1, GrayBezel = 2, Groove = 3, Button = 4 };

// The cell of an image view: an image scaled and aligned in the cell's frame.
class ImageCell : public Cell {
public:
    ImageCell();
    ImageCell(const ImageCell& other) = default;
    std::shared_ptr<Cell> copy() const override { return std::make_shared<ImageCell>(*this); }

    ImageAlignment imageAlignment() const { return alignment_; }
    void setImageAlignment(ImageAlignment alignment);
    ImageScaling imageScaling() const { return scaling_; }
    void setImageScaling(ImageScaling scaling);
    ImageFrameStyle imageFrameStyle() const { return frameStyle_; }
    void setImageFrameStyle(ImageFrameStyle style);

    Rect drawingRectForBounds(const Rect& bounds) const override;
    Size cellSizeForBounds(const Rect& bounds) const override;
    void drawWithFrame(const Rect& cellFrame, View* controlView) override;
    void drawInteriorWithFrame(const Rect& cellFrame, View* controlView) override;

private:
    ImageAlignment alignment_ = ImageAlignment::Center;
    ImageScaling scaling_ = ImageScaling::ProportionallyDown;
    ImageFrameStyle frameStyle_ = ImageFrameStyle::None;
};

// A view that shows an image. It does not take clicks: they go on to the next responder.
class ImageView : public Control {
public:
    explicit ImageView(const Rect& frame = {});

    ImageCell* imageCell() const;
    std::shared_ptr<Image> image() const;
    void setImage(std::shared_ptr<Image> image);
    ImageAlignment imageAlignment() const;
    void setImageAlignment(ImageAlignment alignment);
    ImageScaling imageScaling() const;
    void setImageScaling(ImageScaling scaling);
    ImageFrameStyle imageFrameStyle() const;
    void setImageFrameStyle(ImageFrameStyle style);
    // Kept for the original's callers; images are not dropped onto views here.
    bool isEditable() const { return editable_; }
    void setEditable(bool flag) { editable_ = flag; }
    bool animates() const { return animates_; }
    void setAnimates(bool flag) { animates_ = flag; }

    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    bool editable_ = false;
    bool animates_ = true;
};

} // namespace platform
