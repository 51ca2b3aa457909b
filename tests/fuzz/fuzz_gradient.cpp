// Gradient texts ("linear@90:c(1,0,0,1)@0,c(0,0,1,1)@1", "radial@(0.5,0.5):..."). Every
// gradient read has a stop, no NaN colour and float locations, and draws.

#include "FuzzSupport.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "widgets/QXGradient.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto context = platform::GraphicsContext::bitmapContext(16, 16);
    platform::ContextScope scope(*context);

    const auto gradient = QXGradient::gradientFromString(fuzz::text(data, size));
    if (!gradient)
        return 0;
    FUZZ_CHECK(gradient->numberOfColorStops() >= 1);
    for (std::size_t s = 0; s < gradient->numberOfColorStops(); ++s) {
        platform::Color c;
        double location = 0;
        FUZZ_CHECK(gradient->getColor(&c, &location, s));
        FUZZ_CHECK(!std::isnan(c.redComponent()) && !std::isnan(c.greenComponent()) &&
                   !std::isnan(c.blueComponent()) && !std::isnan(c.alphaComponent()));
        FUZZ_CHECK(static_cast<double>(static_cast<float>(location)) == location);
    }
    gradient->drawInRect({0, 0, 16, 16});
    gradient->drawInBezierPath(platform::BezierPath::bezierPathWithOvalInRect({2, 2, 12, 12}));
    return 0;
}
