#include "platform/layers/PixelLayer.h"

#include "platform/graphics/GraphicsContext.h"

#include <cairo.h>

namespace platform {

void PixelLayer::setPixels(std::shared_ptr<const void> owner, const std::uint32_t* pixels,
                           int width, int height, int stride) {
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4) {
        clearPixels();
        return;
    }
    owner_ = std::move(owner);
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    stride_ = stride;
    setNeedsDisplay();
}

void PixelLayer::clearPixels() {
    owner_.reset();
    pixels_ = nullptr;
    width_ = height_ = stride_ = 0;
    setNeedsDisplay();
}

void PixelLayer::setMirrored(bool flag) {
    if (mirrored_ != flag) {
        mirrored_ = flag;
        setNeedsDisplay();
    }
}

void PixelLayer::setFlipped(bool flag) {
    if (flipped_ != flag) {
        flipped_ = flag;
        setNeedsDisplay();
    }
}

void PixelLayer::drawInContext(GraphicsContext& context) {
    const Rect bounds = this->bounds();
    if (!pixels_ || bounds.isEmpty()) {
        return;
    }
    // Cairo only reads the pixels; the surface lives for this drawing alone.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels_)), CAIRO_FORMAT_RGB24,
        width_, height_, stride_);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    cairo_t* cr = context.cairo();
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, bounds.width(), bounds.height());
    cairo_clip(cr);
    // The picture's first row is its top; in these upward coordinates that is the far edge,
    // so drawing upright turns it over once, and a flipped picture is not turned.
    const double sx = bounds.width() / width_;
    const double sy = bounds.height() / height_;
    cairo_translate(cr, mirrored_ ? bounds.width() : 0, flipped_ ? 0 : bounds.height());
    cairo_scale(cr, mirrored_ ? -sx : sx, flipped_ ? sy : -sy);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

} // namespace platform
