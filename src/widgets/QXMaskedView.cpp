#include "widgets/QXMaskedView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/GraphicsContext.h"

void QXMaskedView::awake() {
    View::awake();
    setWantsLayer(true);
}

void QXMaskedView::setMaskImage(std::shared_ptr<platform::Image> image) {
    _maskImg = std::move(image);
    setNeedsDisplay(true);
}

void QXMaskedView::setGradient(std::shared_ptr<platform::Gradient> gradient) {
    _gradient = std::move(gradient);
    setNeedsDisplay(true);
}

void QXMaskedView::setAngle(float angle) {
    _angle = angle;
    setNeedsDisplay(true);
}

void QXMaskedView::setRadial(bool radial) {
    _radial = radial;
    setNeedsDisplay(true);
}

void QXMaskedView::setOrigin(platform::Point origin) {
    _origin = origin;
    setNeedsDisplay(true);
}

void QXMaskedView::drawRect(const platform::Rect& /*dirtyRect*/) {
    auto* context = platform::GraphicsContext::currentContext();
    if (!context) {
        return;
    }
    const platform::Rect area = bounds();
    platform::Color::clearColor().set();
    platform::RectFill(area);

    if (_maskImg) {
        _maskImg->drawInRect(area, platform::ZeroRect, platform::CompositingOperation::Copy, 1.0);
    }
    if (!_gradient) {
        return;
    }
    // Source-atop paints only where the mask left coverage, keeping the mask's alpha.
    platform::GraphicsStateSaver saver;
    context->setCompositingOperation(platform::CompositingOperation::SourceAtop);
    if (_radial) {
        _gradient->drawInRect(area, _origin);
    } else {
        _gradient->drawInRect(area, _angle);
    }
}
