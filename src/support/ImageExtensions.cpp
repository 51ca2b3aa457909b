#include "support/ImageExtensions.h"

#include "platform/graphics/Image.h"

#include <cmath>

namespace OrvantaExtensions {

platform::Rect preservingArRect(platform::Size imageSize, const platform::Rect& inRect,
                                const platform::Rect& fromRect) {
    // A source of less than a point or so means "the whole image".
    const platform::Size source =
        fromRect.size.width + fromRect.size.height > 1.5 ? fromRect.size : imageSize;
    const double aspect = source.width / source.height;
    if (!std::isfinite(aspect) || !(aspect > 0))
        return platform::ZeroRect;
    platform::Rect drawn = inRect;
    if (inRect.size.width > inRect.size.height * aspect) {
        drawn.size.width = inRect.size.height * aspect;
        drawn.origin.x += (inRect.size.width - drawn.size.width) / 2;
    } else {
        drawn.size.height = inRect.size.width / aspect;
        drawn.origin.y += (inRect.size.height - drawn.size.height) / 2;
    }
    return drawn;
}

void drawPreservingArInRect(const platform::Image& image, const platform::Rect& inRect,
                            const platform::Rect& fromRect,
                            platform::CompositingOperation operation, double fraction,
                            bool respectFlipped) {
    const platform::Rect drawn = preservingArRect(image.size(), inRect, fromRect);
    if (drawn.size.width <= 0 || drawn.size.height <= 0)
        return;
    image.drawInRect(drawn, fromRect, operation, fraction, respectFlipped);
}

} // namespace OrvantaExtensions
