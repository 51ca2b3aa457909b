#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/kit/View.h"
#include "widgets/QXGradient.h"

#include <memory>

namespace platform {
class ImageView;
}

// The background of content areas: the image of its image view stretched over the view as a
// nine-part image, or, without one, a rounded rectangle with a one-point border filled with a
// gradient.
class QXBackgroundView : public platform::View {
public:
    explicit QXBackgroundView(const platform::Rect& frame = {});
    // Puts the start values back (the interface definition's loading runs it too).
    void initialize() override;

    const std::shared_ptr<QXGradient>& viewGradient() const { return _viewGradient; }
    void setViewGradient(std::shared_ptr<QXGradient> gradient);
    const platform::Color& viewBorderColor() const { return _viewBorderColor; }
    void setViewBorderColor(const platform::Color& color);
    // Nine-part slicing: x the left inset, y the top inset.
    platform::Point topLeftPoint() const { return _topLeftPoint; }
    void setTopLeftPoint(platform::Point point);
    // Nine-part slicing: x the right inset, y the bottom inset.
    platform::Point bottomRightPoint() const { return _bottomRightPoint; }
    void setBottomRightPoint(platform::Point point);
    // Distance of the rounded area from the view's edges.
    long margin() const { return _margin; }
    void setMargin(long margin);

    // The outlet of the interface definition: when its image view holds an image, that image
    // is the background.
    const std::shared_ptr<platform::ImageView>& image() const { return _image; }
    void setImage(std::shared_ptr<platform::ImageView> imageView);

    void drawRect(const platform::Rect& dirtyRect) override;
    // The rounded area, drawn only when a gradient is set.
    void drawViewArea();
    // `sourceImage` cut into nine pieces by the insets, drawn to fill `rect`.
    void drawViewAreaWithImage(const platform::Rect& rect, const platform::Image& sourceImage);

private:
    std::shared_ptr<QXGradient> _viewGradient;
    platform::Color _viewBorderColor;
    platform::Point _topLeftPoint;
    platform::Point _bottomRightPoint;
    long _margin = 0;
    std::shared_ptr<platform::ImageView> _image;
};
