// Opens one window the way the application does (the backend the display allows, a titled
// window with a background and a line of text) and runs the main loop. With
// LUMIQ_EXIT_AFTER_FIRST_PAINT=1 the SDL2 backend ends the process once the window's pixels
// reached the X server and prints the time since the process started and its peak memory;
// bench/startup_to_first_paint.sh runs it under a virtual X server.
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/screen/ScreenSelection.h"

#include <cstdio>
#include <cstdlib>

namespace {

class SampleView : public platform::View {
public:
    using View::View;
    void drawRect(const platform::Rect& /*dirtyRect*/) override {
        auto* context = platform::GraphicsContext::currentContext();
        context->setFillColor(platform::Color(0.93, 0.95, 0.97));
        context->fillRect(bounds());
        platform::TextAttributes attributes;
        attributes.font = platform::Font::systemFontOfSize(13);
        platform::drawAtPoint("First paint", platform::Point(20, bounds().height() - 40),
                              attributes);
    }
};

} // namespace

int main() {
    platform::ScreenBackend& backend = platform::installScreenBackend(false);
    if (backend.name() != "sdl2") {
        std::fprintf(stderr, "first_paint: no display to open a window on\n");
        return 2;
    }
    auto window = platform::make<platform::Window>(platform::Rect(200, 200, 480, 320),
                                                   platform::TitledWindowMask);
    window->setTitle("First paint");
    window->setContentView(platform::make<SampleView>(platform::Rect(0, 0, 480, 320)));
    window->makeKeyAndOrderFront(nullptr);
    // The backend exits from inside the loop when asked to; otherwise the window stays up
    // for a moment to be looked at.
    platform::RunLoop::main().runUntil([] { return false; }, 10.0);
    std::fprintf(stderr, "first_paint: the window was not painted\n");
    return std::getenv("LUMIQ_EXIT_AFTER_FIRST_PAINT") ? 1 : 0;
}
