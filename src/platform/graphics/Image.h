#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct _cairo;
struct _cairo_surface;

namespace platform {

class GraphicsContext;

// A picture: a bitmap (PNG, or one drawn into) or a vector drawing (SVG, drawn at whatever
// size it is asked for). Image coordinates are points with the origin at the bottom left and
// y upwards, like an unflipped view. Images are shared (std::shared_ptr): imageNamed hands out
// the same object for a name, as the original did.
class Image : public std::enable_shared_from_this<Image> {
public:
    // An empty image of zero size; drawing it does nothing.
    Image();
    // A transparent bitmap to draw into (the original's initWithSize:), pixels rounded up.
    explicit Image(Size size);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // A bundle resource by name: "name" finds name.png, then name.svg, then any type;
    // "name.svg" asks for that type. Found images are cached by name; nullptr when missing or
    // unreadable.
    static std::shared_ptr<Image> imageNamed(std::string_view name);
    // Forgets the name cache (tests switch bundles).
    static void clearImageCache();
    // PNG, JPEG or SVG from a file or from bytes; nullptr when unreadable.
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::filesystem::path& path);
    static std::shared_ptr<Image> imageWithData(std::span<const std::uint8_t> bytes);
    // A deep copy with the same size, flipped flag and content.
    std::shared_ptr<Image> copy() const;

    bool isValid() const;
    Size size() const;
    // Changes the size the image is drawn at when no destination is given; the content is
    // scaled to it.
    void setSize(Size size);
    int pixelsWide() const;
    int pixelsHigh() const;
    const std::string& name() const;
    // Registers the image under `name` for imageNamed, as the original did.
    void setName(std::string_view name);
    // A flipped image has its first row at the bottom: it appears upright in flipped views.
    bool isFlipped() const;
    void setFlipped(bool flipped);

    // Drawing into the image: lockFocus makes a context over the image's bitmap current (an
    // SVG or loaded picture is turned into a bitmap of the current size first); unlockFocus
    // restores the previous context. The calls nest.
    void lockFocus();
    void unlockFocus();

    // Draws part of the image (`fromRect` in image points; the zero rectangle for the whole)
    // into `inRect` of the current context. Like the original, the image ignores the context's
    // flipping (it appears upside down in a flipped view) unless respectFlipped is set.
    void drawInRect(const Rect& inRect, const Rect& fromRect, CompositingOperation operation,
                    double fraction, bool respectFlipped = false) const;
    // The whole image, source over, opaque, upright.
    void drawInRect(const Rect& inRect) const;
    // At its own size with its lower left corner (upper left when flipped and respected) at
    // `point`.
    void drawAtPoint(Point point, const Rect& fromRect, CompositingOperation operation,
                     double fraction) const;
    // The original's compositeToPoint: at natural size, upright on the screen whatever the
    // transform's flipping, its screen-bottom-left corner at `point`.
    void compositeToPoint(Point point, CompositingOperation operation, double fraction = 1.0) const;

    bool writePNG(const std::filesystem::path& path) const;
    // The bitmap as the bytes of a PNG file; empty for an invalid image.
    std::vector<std::uint8_t> pngRepresentation() const;
    // The colour of a pixel, (0, 0) being the bottom-left pixel; clear outside the image.
    Color colorAt(int x, int y) const;

    // For the platform's own drawing code: the image as a Cairo image surface (ARGB32) of its
    // pixel size, made from the vector drawing when needed. Owned by the image.
    _cairo_surface* cairoSurface() const;

private:
    // Takes over a reference to an ARGB32 surface shown at `size` points.
    static std::shared_ptr<Image> adoptSurface(_cairo_surface* surface, Size size);
    // Draws the image's `fromRect` into `inRect` of the Cairo context's user space, its first
    // row at the small-y edge when `topAtMinY`.
    void drawImpl(_cairo* cr, const Rect& inRect, const Rect& fromRect,
                  CompositingOperation operation, double fraction, bool topAtMinY) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
    friend class GraphicsContext;
    friend void DrawNinePartImage(const Rect&, const Image*, const Image*, const Image*,
                                  const Image*, const Image*, const Image*, const Image*,
                                  const Image*, const Image*, CompositingOperation, double, bool);
};

// Draws a frame from nine images, as the original's NSDrawNinePartImage: corners at their own
// size in the frame's corners, edges as high (or wide) as their images, flush with the
// corners and tiled along the edge, the centre tiled over what remains. With `flipped` the
// "top" images go at the small-y edge. Missing (null) pieces leave their region empty.
void DrawNinePartImage(const Rect& frame, const Image* topLeftCorner, const Image* topEdgeFill,
                       const Image* topRightCorner, const Image* leftEdgeFill,
                       const Image* centerFill, const Image* rightEdgeFill,
                       const Image* bottomLeftCorner, const Image* bottomEdgeFill,
                       const Image* bottomRightCorner, CompositingOperation operation,
                       double alphaFraction, bool flipped);

} // namespace platform
