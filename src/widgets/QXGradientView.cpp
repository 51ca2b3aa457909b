#include "widgets/QXGradientView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

void QXGradientView::setGradient(std::shared_ptr<platform::Gradient> gradient,
                                 platform::Point param) {
    if (gradient != _gradient) {
        _gradient = std::move(gradient);
    }
    _originOrAngle = param;
    setNeedsDisplay(true);
}

void QXGradientView::setPath(std::shared_ptr<QXOutlinePath> path) {
    _path = std::move(path);
    setNeedsDisplay(true);
}

void QXGradientView::drawRect(const platform::Rect& dirtyRect) {
    platform::Color::clearColor().set();
    platform::RectFill(dirtyRect);

    if (_path) {
        _path->setFrame(bounds());
    }
    if (!_gradient) {
        return;
    }
    const auto [x, y] = _originOrAngle;
    const bool radial = x >= -1 && x <= 1;
    if (_path) {
        if (radial) {
            _gradient->drawInBezierPath(_path->bezierPath(), platform::Point(x, y));
        } else {
            _gradient->drawInBezierPath(_path->bezierPath(), y);
        }
    } else if (radial) {
        _gradient->drawInRect(bounds(), platform::Point(x, y));
    } else {
        _gradient->drawInRect(bounds(), y);
    }
}
