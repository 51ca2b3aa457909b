#include "platform/graphics/Image.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/CairoBridge.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/JpegDecoding.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <librsvg/rsvg.h>
#include <map>
#include <vector>

namespace platform {

namespace {

std::map<std::string, std::shared_ptr<Image>, std::less<>>& imageCache() {
    // Never destroyed: views torn down by static destruction at exit take their images out of
    // it, in whatever order that destruction runs.
    static auto* cache = new std::map<std::string, std::shared_ptr<Image>, std::less<>>();
    return *cache;
}

struct ByteReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->bytes.size() - reader->position < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

bool isPNG(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= 8 && std::equal(signature, signature + 8, bytes.begin());
}

// An ARGB32 copy of any image surface, so every bitmap has one pixel format.
cairo_surface_t* toARGB32(cairo_surface_t* source) {
    const int w = cairo_image_surface_get_width(source);
    const int h = cairo_image_surface_get_height(source);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return out;
}

int pixelsFor(double points) {
    if (!(points > 0) || !std::isfinite(points))
        return 0;
    return static_cast<int>(std::min(std::ceil(points - 1e-9), 32768.0));
}

} // namespace

struct Image::Impl {
    cairo_surface_t* bitmap = nullptr;
    RsvgHandle* svg = nullptr;
    Size size;
    bool flipped = false;
    std::string name;
    std::vector<std::unique_ptr<GraphicsContext>> focus;

    ~Impl() {
        if (bitmap)
            cairo_surface_destroy(bitmap);
        if (svg)
            g_object_unref(svg);
    }

    int pixelsWide() const {
        return bitmap ? cairo_image_surface_get_width(bitmap) : pixelsFor(size.width);
    }
    int pixelsHigh() const {
        return bitmap ? cairo_image_surface_get_height(bitmap) : pixelsFor(size.height);
    }

    // A bitmap of the vector drawing at the current size.
    void rasterize() {
        if (bitmap || !svg)
            return;
        bitmap = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsFor(size.width),
                                            pixelsFor(size.height));
        cairo_t* cr = cairo_create(bitmap);
        RsvgRectangle viewport{0, 0, static_cast<double>(pixelsFor(size.width)),
                               static_cast<double>(pixelsFor(size.height))};
        rsvg_handle_render_document(svg, cr, &viewport, nullptr);
        cairo_destroy(cr);
    }
};

Image::Image() : impl_(std::make_unique<Impl>()) {}

Image::Image(Size size) : impl_(std::make_unique<Impl>()) {
    impl_->size = {std::max(0.0, size.width), std::max(0.0, size.height)};
    impl_->bitmap = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsFor(size.width),
                                               pixelsFor(size.height));
}

Image::~Image() = default;

std::shared_ptr<Image> Image::adoptSurface(cairo_surface_t* surface, Size size) {
    auto image = std::make_shared<Image>();
    image->impl_->bitmap = surface;
    image->impl_->size = size;
    return image;
}

std::shared_ptr<Image> Image::imageNamed(std::string_view name) {
    if (name.empty())
        return nullptr;
    auto& cache = imageCache();
    if (auto it = cache.find(name); it != cache.end())
        return it->second;

    const Bundle& bundle = Bundle::mainBundle();
    std::optional<std::filesystem::path> path;
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        path = bundle.pathForResource(name.substr(0, dot), name.substr(dot + 1));
    if (!path)
        path = bundle.pathForResource(name, "png");
    if (!path)
        path = bundle.pathForResource(name, "svg");
    if (!path)
        path = bundle.pathForResource(name, "");
    if (!path)
        return nullptr;
    auto image = imageWithContentsOfFile(*path);
    if (!image)
        return nullptr;
    image->impl_->name = std::string(name);
    cache.emplace(std::string(name), image);
    return image;
}

void Image::clearImageCache() {
    imageCache().clear();
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    return imageWithData(bytes);
}

std::shared_ptr<Image> Image::imageWithData(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return nullptr;
    if (isPNG(bytes)) {
        ByteReader reader{bytes};
        cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readBytes, &reader);
        if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(loaded);
            return nullptr;
        }
        cairo_surface_t* bitmap = loaded;
        if (cairo_image_surface_get_format(loaded) != CAIRO_FORMAT_ARGB32) {
            bitmap = toARGB32(loaded);
            cairo_surface_destroy(loaded);
        }
        const Size size(cairo_image_surface_get_width(bitmap),
                        cairo_image_surface_get_height(bitmap));
        return adoptSurface(bitmap, size);
    }
    if (isJPEG(bytes)) {
        cairo_surface_t* bitmap = decodeJPEG(bytes);
        if (!bitmap)
            return nullptr;
        const Size size(cairo_image_surface_get_width(bitmap),
                        cairo_image_surface_get_height(bitmap));
        return adoptSurface(bitmap, size);
    }
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(bytes.data(), bytes.size(), &error);
    if (!handle) {
        if (error)
            g_error_free(error);
        return nullptr;
    }
    double w = 0, h = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h) || !(w > 0) || !(h > 0)) {
        gboolean hasViewBox = FALSE;
        RsvgRectangle viewBox{};
        rsvg_handle_get_intrinsic_dimensions(handle, nullptr, nullptr, nullptr, nullptr,
                                             &hasViewBox, &viewBox);
        if (!hasViewBox || !(viewBox.width > 0) || !(viewBox.height > 0)) {
            g_object_unref(handle);
            return nullptr;
        }
        w = viewBox.width;
        h = viewBox.height;
    }
    auto image = std::make_shared<Image>();
    image->impl_->svg = handle;
    image->impl_->size = {w, h};
    return image;
}

std::shared_ptr<Image> Image::copy() const {
    auto image = std::make_shared<Image>();
    image->impl_->size = impl_->size;
    image->impl_->flipped = impl_->flipped;
    if (impl_->svg) {
        image->impl_->svg = RSVG_HANDLE(g_object_ref(impl_->svg));
    } else if (impl_->bitmap) {
        cairo_surface_flush(impl_->bitmap);
        image->impl_->bitmap = toARGB32(impl_->bitmap);
    }
    return image;
}

bool Image::isValid() const {
    return (impl_->bitmap || impl_->svg) && impl_->size.width > 0 && impl_->size.height > 0;
}

Size Image::size() const {
    return impl_->size;
}

void Image::setSize(Size size) {
    if (size == impl_->size)
        return;
    impl_->size = {std::max(0.0, size.width), std::max(0.0, size.height)};
    // A vector drawing is drawn again at the new size; a bitmap keeps its pixels and scales.
    if (impl_->svg && impl_->bitmap) {
        cairo_surface_destroy(impl_->bitmap);
        impl_->bitmap = nullptr;
    }
}

int Image::pixelsWide() const {
    return impl_->pixelsWide();
}

int Image::pixelsHigh() const {
    return impl_->pixelsHigh();
}

const std::string& Image::name() const {
    return impl_->name;
}

void Image::setName(std::string_view name) {
    auto& cache = imageCache();
    if (!impl_->name.empty()) {
        auto it = cache.find(impl_->name);
        if (it != cache.end() && it->second.get() == this)
            cache.erase(it);
    }
    impl_->name = std::string(name);
    if (name.empty())
        return;
    if (auto self = weak_from_this().lock())
        cache[impl_->name] = self;
}

bool Image::isFlipped() const {
    return impl_->flipped;
}

void Image::setFlipped(bool flipped) {
    impl_->flipped = flipped;
}

void Image::lockFocus() {
    if (impl_->svg) {
        // Drawing turns the picture into a bitmap of its current size.
        impl_->rasterize();
        g_object_unref(impl_->svg);
        impl_->svg = nullptr;
    } else if (!impl_->bitmap) {
        impl_->bitmap = cairo_image_surface_create(
            CAIRO_FORMAT_ARGB32, pixelsFor(impl_->size.width), pixelsFor(impl_->size.height));
    }
    impl_->focus.push_back(GraphicsContext::contextWithImage(*this, impl_->flipped));
    GraphicsContext::pushContext(impl_->focus.back().get());
}

void Image::unlockFocus() {
    if (impl_->focus.empty())
        return;
    GraphicsContext::popContext();
    impl_->focus.back()->flush();
    impl_->focus.pop_back();
    cairo_surface_mark_dirty(impl_->bitmap);
}

cairo_surface_t* Image::cairoSurface() const {
    impl_->rasterize();
    if (!impl_->bitmap)
        impl_->bitmap = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
    cairo_surface_flush(impl_->bitmap);
    return impl_->bitmap;
}

void Image::drawImpl(cairo_t* cr, const Rect& inRect, const Rect& fromRect,
                     CompositingOperation operation, double fraction, bool topAtMinY) const {
    if (!isValid() || inRect.isEmpty())
        return;
    const Size size = impl_->size;
    const Rect src = fromRect.isEmpty() ? Rect(0, 0, size.width, size.height) : fromRect;
    if (src.isEmpty())
        return;

    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, inRect.minX(), inRect.minY(), inRect.width(), inRect.height());
    cairo_clip(cr);

    // From here on: the source rectangle's own box, in image points with y downwards from its
    // top edge, mapped onto the destination.
    if (topAtMinY) {
        cairo_translate(cr, inRect.minX(), inRect.minY());
        cairo_scale(cr, inRect.width() / src.width(), inRect.height() / src.height());
    } else {
        cairo_translate(cr, inRect.minX(), inRect.maxY());
        cairo_scale(cr, inRect.width() / src.width(), -inRect.height() / src.height());
    }
    // Image box coordinates: x as in the image, y downwards from the image's top.
    cairo_translate(cr, -src.minX(), -(size.height - src.maxY()));

    if (impl_->svg) {
        // The vector drawing itself, not its cached bitmap, so it stays sharp at any size.
        cairo_push_group(cr);
        RsvgRectangle viewport{0, 0, size.width, size.height};
        rsvg_handle_render_document(impl_->svg, cr, &viewport, nullptr);
        cairo_pop_group_to_source(cr);
    } else {
        cairo_surface_t* bitmap = cairoSurface();
        const double px = impl_->pixelsWide() / size.width;
        const double py = impl_->pixelsHigh() / size.height;
        cairo_scale(cr, 1 / px, 1 / py);
        cairo_set_source_surface(cr, bitmap, 0, 0);
        // Inside the image the edge pixels continue, so that scaling never fades a slice's
        // border; a source reaching outside the image shows transparency there.
        const bool inside = src.minX() >= 0 && src.minY() >= 0 && src.maxX() <= size.width &&
                            src.maxY() <= size.height;
        cairo_pattern_set_extend(cairo_get_source(cr),
                                 inside ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    }
    detail::paintWithOperation(cr, operation, fraction);
    cairo_restore(cr);
}

void Image::drawInRect(const Rect& inRect, const Rect& fromRect, CompositingOperation operation,
                       double fraction, bool respectFlipped) const {
    auto* context = GraphicsContext::currentContext();
    if (!context)
        return;
    const bool topAtMinY = impl_->flipped != (respectFlipped && context->isFlipped());
    drawImpl(context->cairo(), inRect, fromRect, operation, fraction, topAtMinY);
}

void Image::drawInRect(const Rect& inRect) const {
    drawInRect(inRect, ZeroRect, CompositingOperation::SourceOver, 1.0, true);
}

void Image::drawAtPoint(Point point, const Rect& fromRect, CompositingOperation operation,
                        double fraction) const {
    const Rect src = fromRect.isEmpty() ? Rect(ZeroPoint, size()) : fromRect;
    drawInRect(Rect(point, src.size), src, operation, fraction, false);
}

void Image::compositeToPoint(Point point, CompositingOperation operation, double fraction) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || !isValid())
        return;
    cairo_t* cr = context->cairo();
    double x = point.x, y = point.y;
    cairo_user_to_device(cr, &x, &y);
    const double scale = context->backingScaleFactor();
    const double w = size().width * scale, h = size().height * scale;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    // Device space has y downwards: the image's top row goes at the smaller y.
    drawImpl(cr, Rect(x, y - h, w, h), ZeroRect, operation, fraction, true);
    cairo_restore(cr);
}

std::vector<std::uint8_t> Image::pngRepresentation() const {
    std::vector<std::uint8_t> out;
    if (!isValid())
        return out;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
        bytes->insert(bytes->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(cairoSurface(), append, &out) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

bool Image::writePNG(const std::filesystem::path& path) const {
    if (!isValid())
        return false;
    return cairo_surface_write_to_png(cairoSurface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

Color Image::colorAt(int x, int y) const {
    if (!isValid())
        return Color::clearColor();
    cairo_surface_t* bitmap = cairoSurface();
    const int w = cairo_image_surface_get_width(bitmap);
    const int h = cairo_image_surface_get_height(bitmap);
    if (x < 0 || y < 0 || x >= w || y >= h)
        return Color::clearColor();
    const int row = h - 1 - y;
    const unsigned char* data = cairo_image_surface_get_data(bitmap);
    const int stride = cairo_image_surface_get_stride(bitmap);
    std::uint32_t pixel;
    std::memcpy(&pixel, data + row * stride + x * 4, 4);
    const double a = ((pixel >> 24) & 0xff) / 255.0;
    if (a == 0)
        return Color::clearColor();
    auto channel = [&](int shift) { return ((pixel >> shift) & 0xff) / 255.0 / a; };
    return {std::min(1.0, channel(16)), std::min(1.0, channel(8)), std::min(1.0, channel(0)), a};
}

namespace {

// Tiles an image over a region at its natural size, starting at the region's top-left corner
// as seen on the screen.
void tileImage(cairo_t* cr, const Image* image, const Rect& region, bool topAtMinY,
               CompositingOperation operation, double alpha) {
    if (!image || !image->isValid() || region.isEmpty())
        return;
    const Size size = image->size();
    cairo_surface_t* bitmap = image->cairoSurface();
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, region.minX(), region.minY(), region.width(), region.height());
    cairo_clip(cr);
    const double sx = size.width / image->pixelsWide();
    const double sy = size.height / image->pixelsHigh();
    if (topAtMinY) {
        cairo_translate(cr, region.minX(), region.minY());
        cairo_scale(cr, sx, sy);
    } else {
        cairo_translate(cr, region.minX(), region.maxY());
        cairo_scale(cr, sx, -sy);
    }
    cairo_set_source_surface(cr, bitmap, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    detail::paintWithOperation(cr, operation, alpha);
    cairo_restore(cr);
}

Size sizeOf(const Image* image) {
    return image && image->isValid() ? image->size() : ZeroSize;
}

} // namespace

void DrawNinePartImage(const Rect& frame, const Image* topLeftCorner, const Image* topEdgeFill,
                       const Image* topRightCorner, const Image* leftEdgeFill,
                       const Image* centerFill, const Image* rightEdgeFill,
                       const Image* bottomLeftCorner, const Image* bottomEdgeFill,
                       const Image* bottomRightCorner, CompositingOperation operation,
                       double alphaFraction, bool flipped) {
    auto* context = GraphicsContext::currentContext();
    if (!context || frame.isEmpty())
        return;
    cairo_t* cr = context->cairo();
    const Size tl = sizeOf(topLeftCorner), tr = sizeOf(topRightCorner);
    const Size bl = sizeOf(bottomLeftCorner), br = sizeOf(bottomRightCorner);
    const double topH = topEdgeFill ? sizeOf(topEdgeFill).height : std::max(tl.height, tr.height);
    const double bottomH =
        bottomEdgeFill ? sizeOf(bottomEdgeFill).height : std::max(bl.height, br.height);
    const double leftW = leftEdgeFill ? sizeOf(leftEdgeFill).width : std::max(tl.width, bl.width);
    const double rightW =
        rightEdgeFill ? sizeOf(rightEdgeFill).width : std::max(tr.width, br.width);

    // Regions laid out as if unflipped (top = max y), then mirrored within the frame when the
    // coordinates are flipped so that the top images land at the small-y edge.
    const double x0 = frame.minX(), x1 = frame.maxX(), y0 = frame.minY(), y1 = frame.maxY();
    auto place = [&](Rect r) {
        if (flipped)
            r.origin.y = y0 + (y1 - r.maxY());
        return r;
    };
    auto draw = [&](const Image* image, const Rect& r) {
        tileImage(cr, image, place(r), flipped, operation, alphaFraction);
    };
    draw(topLeftCorner, {x0, y1 - tl.height, tl.width, tl.height});
    draw(topRightCorner, {x1 - tr.width, y1 - tr.height, tr.width, tr.height});
    draw(bottomLeftCorner, {x0, y0, bl.width, bl.height});
    draw(bottomRightCorner, {x1 - br.width, y0, br.width, br.height});
    draw(topEdgeFill, {x0 + tl.width, y1 - topH, (x1 - tr.width) - (x0 + tl.width), topH});
    draw(bottomEdgeFill, {x0 + bl.width, y0, (x1 - br.width) - (x0 + bl.width), bottomH});
    draw(leftEdgeFill, {x0, y0 + bl.height, leftW, (y1 - tl.height) - (y0 + bl.height)});
    draw(rightEdgeFill, {x1 - rightW, y0 + br.height, rightW, (y1 - tr.height) - (y0 + br.height)});
    draw(centerFill,
         {x0 + leftW, y0 + bottomH, (x1 - rightW) - (x0 + leftW), (y1 - topH) - (y0 + bottomH)});
}

} // namespace platform
