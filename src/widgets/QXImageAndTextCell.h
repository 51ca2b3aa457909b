#pragma once

#include "platform/kit/TextFieldCell.h"

#include <memory>
#include <string>

namespace platform {
class Image;
}

// A text cell preceded by up to two images: the primary image at the left edge, then the
// image, each with `spacing` points beside it. Only a cell with an image shows its text.
class QXImageAndTextCell : public platform::TextFieldCell {
public:
    // Truncates at the tail, selectable, spacing 0.
    QXImageAndTextCell();
    // The same with the spacing taken as the value's integer.
    explicit QXImageAndTextCell(const platform::Value& spacing);
    // Copies share both images.
    QXImageAndTextCell(const QXImageAndTextCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    // Keeps a copy of a new image (the cell's image(), drawn next to the text).
    void setImage(std::shared_ptr<platform::Image> image) override;
    const std::shared_ptr<platform::Image>& primaryImage() const { return imagePrimary; }
    void setPrimaryImage(std::shared_ptr<platform::Image> image);
    int imageTextSpacing() const { return _imageTextSpacing; }
    void setImageTextSpacing(int spacing) { _imageTextSpacing = spacing; }
    // A reference kept for the cell's user; the cell never reads it.
    const std::string& imagePath() const { return _imagePath; }
    void setImagePath(std::string path) { _imagePath = std::move(path); }

    platform::Rect imageRectForBounds(const platform::Rect& bounds) const override;
    platform::Rect titleRectForBounds(const platform::Rect& bounds) const override;
    // The platform's size widened by both images and both spacings.
    platform::Size cellSizeForBounds(const platform::Rect& bounds) const override;
    void drawWithFrame(const platform::Rect& cellFrame, platform::View* controlView) override;
    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
    platform::CellHitResult hitTestForEvent(const platform::Event& event,
                                            const platform::Rect& cellFrame,
                                            platform::View* controlView) override;
    void editWithFrame(const platform::Rect& frame, platform::View* controlView,
                       platform::TextView& editor, platform::TextViewDelegate* delegate,
                       const platform::Event* event) override;
    void selectWithFrame(const platform::Rect& frame, platform::View* controlView,
                         platform::TextView& editor, platform::TextViewDelegate* delegate,
                         std::size_t selectionStart, std::size_t selectionLength) override;

private:
    // The frame less the image's slice, where the field editor goes.
    platform::Rect editingFrame(const platform::Rect& frame) const;
    double imageWidth() const;

    std::shared_ptr<platform::Image> imagePrimary;
    int _imageTextSpacing = 0;
    std::string _imagePath;
    // Set while editWithFrame hands an already cut frame on.
    bool _frameCut = false;
};
