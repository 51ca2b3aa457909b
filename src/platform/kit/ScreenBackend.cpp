#include "platform/kit/ScreenBackend.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Screen.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace platform {

namespace {

// Never destroyed, like the shared application: an exit() from inside an X error handler
// must not close windows on the display; main() removes the backend itself.
std::unique_ptr<ScreenBackend>& backendSlot() {
    static auto* backend = new std::unique_ptr<ScreenBackend>();
    return *backend;
}

std::uint64_t& backendGeneration() {
    static std::uint64_t generation = 0;
    return generation;
}

} // namespace

void setScreenBackend(std::unique_ptr<ScreenBackend> backend) {
    auto& slot = backendSlot();
    if (slot && RunLoop::main().source() == slot->runLoopSource())
        RunLoop::main().setSource(nullptr);
    slot = std::move(backend);
    ++backendGeneration();
    if (slot) {
        if (RunLoopSource* source = slot->runLoopSource())
            RunLoop::main().setSource(source);
        for (Window* window : WindowServer::shared().windows()) {
            slot->windowCreated(*window);
            if (window->isVisible())
                slot->windowOrderedIn(*window);
        }
    }
    screensChanged();
}

ScreenBackend* screenBackend() {
    return backendSlot().get();
}

std::uint64_t screenBackendGeneration() {
    return backendGeneration();
}

std::shared_ptr<Image> ScreenBackend::snapshotScreen() {
    Screen* main = Screen::mainScreen();
    return compositeScreenImage(main ? main->frame() : Rect(0, 0, 1440, 900));
}

std::shared_ptr<Image> compositeScreenImage(const Rect& screenFrame) {
    const int width = std::max(1, static_cast<int>(std::ceil(screenFrame.width())));
    const int height = std::max(1, static_cast<int>(std::ceil(screenFrame.height())));
    auto context = GraphicsContext::bitmapContext(width, height);
    cairo_t* cr = context->cairo();
    auto windows = WindowServer::shared().orderedWindows();
    std::reverse(windows.begin(), windows.end());
    for (Window* window : windows) {
        WindowPixels pixels = window->backingPixels();
        if (!pixels.data || window->alphaValue() <= 0)
            continue;
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            const_cast<unsigned char*>(pixels.data), CAIRO_FORMAT_ARGB32, pixels.width,
            pixels.height, pixels.stride);
        const Rect frame = window->frame();
        // Screen coordinates grow upwards, pixel rows downwards.
        const double x = frame.minX() - screenFrame.minX();
        const double y = screenFrame.maxY() - frame.maxY();
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_reset_clip(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1.0 / pixels.scale, 1.0 / pixels.scale);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_paint_with_alpha(cr, std::clamp(window->alphaValue(), 0.0, 1.0));
        cairo_restore(cr);
        cairo_surface_destroy(surface);
    }
    context->flush();
    return context->makeImage();
}

} // namespace platform
