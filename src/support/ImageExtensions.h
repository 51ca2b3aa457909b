#pragma once

#include "platform/graphics/Compositing.h"
#include "platform/graphics/Geometry.h"

namespace platform {
class Image;
}

// Drawing an image fitted into a rectangle without distorting it. (The original named this
// one extension in the singular.)
namespace OrvantaExtensions {

// Where an image of `imageSize` drawn from `fromRect` (the zero rectangle: the whole image)
// lands in `inRect`: as large as fits with the source's proportions, centred along the axis it
// does not fill. The zero rectangle when the proportions are unknown (an empty image).
platform::Rect preservingArRect(platform::Size imageSize, const platform::Rect& inRect,
                                const platform::Rect& fromRect);
// Draws `fromRect` of the image into that part of `inRect` in the current context.
void drawPreservingArInRect(const platform::Image& image, const platform::Rect& inRect,
                            const platform::Rect& fromRect,
                            platform::CompositingOperation operation, double fraction,
                            bool respectFlipped);

} // namespace OrvantaExtensions
