#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/kit/View.h"

#include <memory>

// A gradient seen through the shape of an image: an icon tinted with a gradient. The mask's
// opaque parts show the gradient, its transparent parts stay clear. Placed and configured by
// interface definitions.
class QXMaskedView : public platform::View {
public:
    explicit QXMaskedView(const platform::Rect& frame = {}) : View(frame) {}

    // Loaded from an interface definition, the view draws into a layer of its own.
    void awake() override;

    const std::shared_ptr<platform::Image>& maskImage() const { return _maskImg; }
    void setMaskImage(std::shared_ptr<platform::Image> image);
    const std::shared_ptr<platform::Gradient>& gradient() const { return _gradient; }
    void setGradient(std::shared_ptr<platform::Gradient> gradient);
    // Angle of a linear fill, degrees.
    float angle() const { return _angle; }
    void setAngle(float angle);
    bool radial() const { return _radial; }
    void setRadial(bool radial);
    // Relative centre of a radial fill.
    platform::Point origin() const { return _origin; }
    void setOrigin(platform::Point origin);

    void drawRect(const platform::Rect& dirtyRect) override;

private:
    std::shared_ptr<platform::Image> _maskImg;
    std::shared_ptr<platform::Gradient> _gradient;
    float _angle = 0;
    platform::Point _origin;
    bool _radial = false;
};
