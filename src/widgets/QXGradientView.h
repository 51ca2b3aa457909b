#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Gradient.h"
#include "platform/kit/View.h"
#include "widgets/QXOutlinePath.h"

#include <memory>

// A view that fills its bounds, or an outline fitted to its bounds, with a gradient. Placed
// and configured by interface definitions.
class QXGradientView : public platform::View {
public:
    explicit QXGradientView(const platform::Rect& frame = {}) : View(frame) {}

    // Replaces the gradient and the fill's geometry: with -1 <= x <= 1 a radial fill around
    // the relative centre (x, y), otherwise a linear fill at y degrees.
    void setGradient(std::shared_ptr<platform::Gradient> gradient, platform::Point param);
    const std::shared_ptr<platform::Gradient>& gradient() const { return _gradient; }
    platform::Point originOrAngle() const { return _originOrAngle; }

    // The shape to fill; none fills the whole bounds.
    void setPath(std::shared_ptr<QXOutlinePath> path);
    const std::shared_ptr<QXOutlinePath>& path() const { return _path; }

    void drawRect(const platform::Rect& dirtyRect) override;

private:
    std::shared_ptr<platform::Gradient> _gradient;
    platform::Point _originOrAngle;
    std::shared_ptr<QXOutlinePath> _path;
};
