#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Compositing.h"
#include "platform/graphics/Geometry.h"

#include <filesystem>
#include <memory>

// Cairo's context type, so that the platform's own drawing code can reach it without this
// header including Cairo.
struct _cairo;

namespace platform {

class BezierPath;
class Image;

// Where drawing goes: a Cairo surface seen through the platform's coordinates. Unflipped
// (the default), the origin is at the bottom left and y grows upwards; flipped, the origin is
// at the top left and y grows downwards. A point is `scale` pixels.
//
// Drawing calls (BezierPath::fill, Gradient::drawInRect, Image::drawInRect, text drawing,
// RectFill) draw into the current context. The current context is a stack: lockFocus on an
// image, or a ContextScope, makes a context current and restores the previous one afterwards.
// The graphics state (transform, clip, colours, compositing operation, flipped flag,
// antialiasing) is saved and restored as a stack too. Everything here runs on the main thread.
class GraphicsContext {
public:
    // A transparent off-screen bitmap owned by the context.
    static std::unique_ptr<GraphicsContext> bitmapContext(int pixelsWide, int pixelsHigh,
                                                          double scale = 1.0, bool flipped = false);
    // Someone else's pixels: 32-bit premultiplied ARGB words in native byte order (Cairo's
    // ARGB32, SDL's ARGB8888), `stride` bytes a row, alive as long as the context.
    static std::unique_ptr<GraphicsContext> contextWithPixels(unsigned char* data, int pixelsWide,
                                                              int pixelsHigh, int stride,
                                                              double scale = 1.0,
                                                              bool flipped = false);
    // Drawing into an image's bitmap (an SVG or a loaded file is turned into one first).
    static std::unique_ptr<GraphicsContext> contextWithImage(Image& image, bool flipped);

    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    static GraphicsContext* currentContext();
    // Replaces the top of the current-context stack (pushes when the stack is empty).
    static void setCurrentContext(GraphicsContext* context);
    static void pushContext(GraphicsContext* context);
    static void popContext();
    // The original's class forms of save and restore, acting on the current context.
    static void saveCurrentGraphicsState();
    static void restoreCurrentGraphicsState();

    void saveGraphicsState();
    // An unbalanced restore is ignored.
    void restoreGraphicsState();

    bool isFlipped() const;
    // Turns the coordinates upside down within `height` points: what a flipped view does to
    // its drawing. Toggles isFlipped; undone by restoring the graphics state.
    void flipCoordinates(double height);

    CompositingOperation compositingOperation() const;
    void setCompositingOperation(CompositingOperation operation);
    bool shouldAntialias() const;
    void setShouldAntialias(bool antialias);
    const Color& fillColor() const;
    void setFillColor(const Color& color);
    const Color& strokeColor() const;
    void setStrokeColor(const Color& color);

    void translate(double dx, double dy);
    void scale(double sx, double sy);
    void rotateByDegrees(double degrees);
    void concat(const AffineTransform& transform);
    // Replaces the transform with `transform` relative to the context's base coordinates.
    void setTransform(const AffineTransform& transform);
    // The current transform from user coordinates to the base coordinates (points, origin as
    // the context was made).
    AffineTransform currentTransform() const;

    void clipToRect(const Rect& rect);
    void clipToPath(const BezierPath& path);
    void resetClip();
    // The clip's bounding box in user coordinates.
    Rect clipBoundingBox() const;

    // Filling uses the fill colour, stroking the stroke colour, both the compositing
    // operation unless one is given.
    void fillPath(const BezierPath& path);
    void strokePath(const BezierPath& path);
    void fillRect(const Rect& rect);
    void fillRect(const Rect& rect, CompositingOperation operation);
    // Makes every pixel transparent, whatever the clip and transform.
    void clear();

    int pixelsWide() const;
    int pixelsHigh() const;
    double backingScaleFactor() const;
    // The drawable area in points.
    Size size() const;
    // A copy of the pixels as an image of `size()` points.
    std::shared_ptr<Image> makeImage() const;
    bool writePNG(const std::filesystem::path& path) const;
    // Finishes pending drawing so that the pixels can be read.
    void flush();

    // For the platform's own drawing code (text, images, gradients, screens).
    _cairo* cairo() const;

private:
    struct Impl;
    explicit GraphicsContext(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Makes a context current for its lifetime.
class ContextScope {
public:
    explicit ContextScope(GraphicsContext& context) { GraphicsContext::pushContext(&context); }
    ~ContextScope() { GraphicsContext::popContext(); }
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;
};

// Saves the current context's graphics state and restores it at the end of the scope.
class GraphicsStateSaver {
public:
    GraphicsStateSaver();
    ~GraphicsStateSaver();
    GraphicsStateSaver(const GraphicsStateSaver&) = delete;
    GraphicsStateSaver& operator=(const GraphicsStateSaver&) = delete;

private:
    GraphicsContext* context_;
};

// The original's rectangle functions, on the current context. RectFill copies the fill colour
// into the rectangle (Copy), as the original did; FrameRect draws a frame one point wide
// inside the rectangle, also with Copy.
void RectFill(const Rect& rect);
void RectFillUsingOperation(const Rect& rect, CompositingOperation operation);
void FrameRect(const Rect& rect);
void FrameRectWithWidth(const Rect& rect, double width);
void FrameRectWithWidthUsingOperation(const Rect& rect, double width,
                                      CompositingOperation operation);
void RectClip(const Rect& rect);
// The original's sunken groove and light bezel borders, two points wide inside the rectangle,
// lit from the top of the screen; drawing is clipped to `clipRect`.
void DrawGroove(const Rect& rect, const Rect& clipRect);
void DrawLightBezel(const Rect& rect, const Rect& clipRect);
// The keyboard focus ring around a shape (what the original drew with the focus-ring-only
// style set): a translucent band in the focus colour just outside the path.
void DrawFocusRing(const BezierPath& path);

} // namespace platform
