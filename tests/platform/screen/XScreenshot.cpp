#include "XScreenshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <cstdint>
#include <memory>

namespace sdltest {

bool saveScreenshot(const std::string& display, const std::filesystem::path& path,
                    std::string& why) {
    std::unique_ptr<Display, int (*)(Display*)> server(XOpenDisplay(display.c_str()),
                                                       XCloseDisplay);
    if (!server) {
        why = "the X server " + display + " cannot be reached";
        return false;
    }
    const int screen = DefaultScreen(server.get());
    const int width = DisplayWidth(server.get(), screen);
    const int height = DisplayHeight(server.get(), screen);
    const auto destroy = [](XImage* image) { XDestroyImage(image); };
    std::unique_ptr<XImage, decltype(destroy)> image(
        XGetImage(server.get(), DefaultRootWindow(server.get()), 0, 0, width, height, AllPlanes,
                  ZPixmap),
        destroy);
    if (!image) {
        why = "the screen's image cannot be read";
        return false;
    }
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<std::uint32_t>(XGetPixel(image.get(), x, y)) & 0xffffff;
    }
    cairo_surface_mark_dirty(surface.get());
    if (cairo_surface_write_to_png(surface.get(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        why = "the picture cannot be written to " + path.string();
        return false;
    }
    return true;
}

} // namespace sdltest
